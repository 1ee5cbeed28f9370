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
class TXmlPullReader
{
public:
    enum class TToken { tkNone, tkStartElement, tkEndElement, tkCharacters, tkEndDocument, tkError };

    explicit TXmlPullReader(std::string_view document);

    TToken ReadNext();
    TToken Token() const { return FToken; }
    bool AtEnd() const { return FToken == TToken::tkEndDocument || FToken == TToken::tkError; }
    bool HasError() const { return FToken == TToken::tkError; }
    // The reason and the line it was found in.
    QString ErrorString() const;

    // The element of the current start or end: its local name and namespace.
    std::string_view Name() const { return FName; }
    std::string_view NamespaceUri() const { return FNamespace; }
    bool Is(std::string_view ns, std::string_view name) const
    {
        return FName == name && FNamespace == ns;
    }

    // The attributes of the current start element, by namespace (empty for an unprefixed
    // attribute) and local name.
    bool HasAttribute(std::string_view ns, std::string_view name) const;
    QString Attribute(std::string_view ns, std::string_view name) const;
    // The attribute as written, references not resolved: for names, types and numbers,
    // which workbooks write plainly. Empty when absent.
    std::string_view RawAttribute(std::string_view ns, std::string_view name) const;

    // The text of the current characters token, references resolved.
    void AppendText(QString &text) const;

    // How many elements are open, the current one included.
    size_t Depth() const { return FOpen.size(); }
    // Reads the next token inside the element that was current at `depth`; false once
    // that element has ended (or the document is damaged).
    bool ReadInside(size_t depth);

    // As QXmlStreamReader's: the next start element inside the current element, false at
    // its end; skipping the rest of the current element; the text of the current element.
    bool ReadNextStartElement();
    void SkipCurrentElement();
    QString ReadElementText();

private:
    struct TAttribute
    {
        std::string_view Prefix;
        std::string_view Name;
        std::string_view Raw;
        std::string_view Namespace;
    };
    struct TBinding
    {
        std::string_view Prefix;
        std::string Uri;
    };
    struct TOpenElement
    {
        std::string_view QualifiedName;
        std::string_view Name;
        std::string_view Namespace;
        size_t Bindings; // bindings in force before this element
    };

    TToken Fail(const char *reason);
    bool SkipPast(std::string_view terminator);
    TToken ReadStartTag();
    TToken ReadEndTag();
    bool CheckDeclaration(std::string_view declaration);
    bool Resolve(std::string_view prefix, std::string_view &ns) const;

    std::string_view FDoc;
    size_t FPos = 0;
    TToken FToken = TToken::tkNone;
    const char *FError = nullptr;
    size_t FErrorPos = 0;

    std::string_view FName;
    std::string_view FNamespace;
    std::string_view FText;
    bool FTextIsCData = false;
    std::vector<TAttribute> FAttributes;
    std::deque<TBinding> FBindings; // a deque keeps the URIs in place while it grows
    std::vector<TOpenElement> FOpen;
    bool FEmptyPending = false; // <a/>: the end follows the start
    bool FPopPending = false;   // the element just ended leaves the stack on the next read
    bool FRootSeen = false;
};
