#pragma once

#include <QString>

#include <deque>
#include <string>
#include <string_view>
#include <vector>

// A pull reader for the XML parts of workbook packages, made for their size: a protocol
// of 100,000 rows is some 60 MB of XML. Names and attribute values stay views into the
// document until a caller asks for text. It checks what the workbook readers rely on:
// tags nest and match, one root element, prefixes are declared, the text is UTF-8. A
// document type declaration (workbooks have none; it could only expand entities) and
// any structural damage end the reading with an error. A reference it does not know
// ("&foo;") stays in the text as written.
class XmlPullReader
{
public:
    enum class Token { None, StartElement, EndElement, Characters, EndDocument, Error };

    explicit XmlPullReader(std::string_view document);

    Token readNext();
    Token token() const { return m_token; }
    bool atEnd() const { return m_token == Token::EndDocument || m_token == Token::Error; }
    bool hasError() const { return m_token == Token::Error; }
    // The reason and the line it was found in.
    QString errorString() const;

    // The element of the current start or end: its local name and namespace.
    std::string_view name() const { return m_name; }
    std::string_view namespaceUri() const { return m_namespace; }
    bool is(std::string_view ns, std::string_view name) const { return m_name == name && m_namespace == ns; }

    // The attributes of the current start element, by namespace (empty for an unprefixed
    // attribute) and local name.
    bool hasAttribute(std::string_view ns, std::string_view name) const;
    QString attribute(std::string_view ns, std::string_view name) const;
    // The attribute as written, references not resolved: for names, types and numbers,
    // which workbooks write plainly. Empty when absent.
    std::string_view rawAttribute(std::string_view ns, std::string_view name) const;

    // The text of the current characters token, references resolved.
    void appendText(QString &text) const;

    // How many elements are open, the current one included.
    size_t depth() const { return m_open.size(); }
    // Reads the next token inside the element that was current at `depth`; false once
    // that element has ended (or the document is damaged).
    bool readInside(size_t depth);

    // As QXmlStreamReader's: the next start element inside the current element, false at
    // its end; skipping the rest of the current element; the text of the current element.
    bool readNextStartElement();
    void skipCurrentElement();
    QString readElementText();

private:
    struct Attribute
    {
        std::string_view prefix;
        std::string_view name;
        std::string_view raw;
        std::string_view namespaceUri;
    };
    struct Binding
    {
        std::string_view prefix;
        std::string uri;
    };
    struct OpenElement
    {
        std::string_view qualifiedName;
        std::string_view name;
        std::string_view namespaceUri;
        size_t bindings; // bindings in force before this element
    };

    Token fail(const char *reason);
    bool skipPast(std::string_view terminator);
    Token readStartTag();
    Token readEndTag();
    bool checkDeclaration(std::string_view declaration);
    bool resolve(std::string_view prefix, std::string_view &ns) const;

    std::string_view m_doc;
    size_t m_pos = 0;
    Token m_token = Token::None;
    const char *m_error = nullptr;
    size_t m_errorPos = 0;

    std::string_view m_name;
    std::string_view m_namespace;
    std::string_view m_text;
    bool m_textIsCData = false;
    std::vector<Attribute> m_attributes;
    std::deque<Binding> m_bindings; // a deque keeps the URIs in place while it grows
    std::vector<OpenElement> m_open;
    bool m_emptyPending = false; // <a/>: the end follows the start
    bool m_popPending = false; // the element just ended leaves the stack on the next read
    bool m_rootSeen = false;
};
