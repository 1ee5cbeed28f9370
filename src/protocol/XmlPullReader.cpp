#include "protocol/XmlPullReader.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>

namespace {

constexpr std::string_view XmlNamespace("http://www.w3.org/XML/1998/namespace");
constexpr std::string_view XmlnsNamespace("http://www.w3.org/2000/xmlns/");
// Deeper nesting than any workbook part has; it would only cost memory.
constexpr size_t MaxDepth = 100000;

bool isSpace(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r';
}

bool endsName(char ch)
{
    return isSpace(ch) || ch == '/' || ch == '>' || ch == '=' || ch == '<' || ch == '"' || ch == '\'';
}

bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

// The character a reference such as "amp" or "#x41" stands for.
std::optional<char32_t> reference(std::string_view name)
{
    if (name == "lt")
        return U'<';
    if (name == "gt")
        return U'>';
    if (name == "amp")
        return U'&';
    if (name == "quot")
        return U'"';
    if (name == "apos")
        return U'\'';
    if (name.size() < 2 || name[0] != '#')
        return std::nullopt;
    const bool hex = name[1] == 'x';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    char32_t value = 0;
    for (char ch : digits) {
        int digit = -1;
        if (ch >= '0' && ch <= '9')
            digit = ch - '0';
        else if (hex && ch >= 'a' && ch <= 'f')
            digit = ch - 'a' + 10;
        else if (hex && ch >= 'A' && ch <= 'F')
            digit = ch - 'A' + 10;
        if (digit < 0)
            return std::nullopt;
        value = value * (hex ? 16 : 10) + char32_t(digit);
    }
    if (!isXmlChar(value))
        return std::nullopt;
    return value;
}

// Appends raw XML text: references resolved and line ends read as one line feed; in an
// attribute value, tabs and line ends read as blanks.
void appendDecoded(std::string_view raw, bool attribute, bool cdata, QString &out)
{
    size_t start = 0;
    auto flush = [&](size_t end) {
        if (end > start)
            out += QString::fromUtf8(raw.data() + start, qsizetype(end - start));
    };
    for (size_t i = 0; i < raw.size(); ++i) {
        const char ch = raw[i];
        if (ch == '\r') {
            flush(i);
            out += attribute ? u' ' : u'\n';
            if (i + 1 < raw.size() && raw[i + 1] == '\n')
                ++i;
            start = i + 1;
        } else if (attribute && (ch == '\n' || ch == '\t')) {
            flush(i);
            out += u' ';
            start = i + 1;
        } else if (ch == '&' && !cdata) {
            const size_t semicolon = raw.find(';', i + 1);
            if (semicolon == std::string_view::npos || semicolon - i > 12)
                continue;
            const std::optional<char32_t> c = reference(raw.substr(i + 1, semicolon - i - 1));
            if (!c)
                continue;
            flush(i);
            const char32_t ucs4[] = {*c};
            out += QString::fromUcs4(ucs4, 1);
            i = semicolon;
            start = i + 1;
        }
    }
    flush(raw.size());
}

} // namespace

XmlPullReader::XmlPullReader(std::string_view document)
    : m_doc(document)
{
    if (m_doc.substr(0, 3) == "\xEF\xBB\xBF")
        m_pos = 3;
}

XmlPullReader::Token XmlPullReader::fail(const char *reason)
{
    m_error = reason;
    m_errorPos = m_pos;
    m_token = Token::Error;
    return m_token;
}

QString XmlPullReader::errorString() const
{
    if (!m_error)
        return QString();
    const size_t end = std::min(m_errorPos, m_doc.size());
    const qint64 line = std::count(m_doc.begin(), m_doc.begin() + qsizetype(end), '\n') + 1;
    return QStringLiteral("Zeile %1: %2").arg(line).arg(QString::fromUtf8(m_error));
}

bool XmlPullReader::skipPast(std::string_view terminator)
{
    const size_t end = m_doc.find(terminator, m_pos);
    if (end == std::string_view::npos)
        return false;
    m_pos = end + terminator.size();
    return true;
}

bool XmlPullReader::checkDeclaration(std::string_view declaration)
{
    const size_t at = declaration.find("encoding");
    if (at == std::string_view::npos)
        return true;
    const size_t open = declaration.find_first_of("\"'", at);
    if (open == std::string_view::npos)
        return false;
    const size_t close = declaration.find(declaration[open], open + 1);
    if (close == std::string_view::npos)
        return false;
    std::string encoding(declaration.substr(open + 1, close - open - 1));
    std::transform(encoding.begin(), encoding.end(), encoding.begin(),
                   [](char ch) { return char(std::tolower(static_cast<unsigned char>(ch))); });
    return encoding == "utf-8" || encoding == "utf8";
}

bool XmlPullReader::resolve(std::string_view prefix, std::string_view &ns) const
{
    if (prefix == "xml") {
        ns = XmlNamespace;
        return true;
    }
    for (auto binding = m_bindings.rbegin(); binding != m_bindings.rend(); ++binding) {
        if (binding->prefix == prefix) {
            ns = binding->uri;
            return true;
        }
    }
    ns = std::string_view();
    return prefix.empty(); // no default namespace: the name has none
}

XmlPullReader::Token XmlPullReader::readNext()
{
    if (atEnd())
        return m_token;
    if (m_popPending) {
        m_bindings.resize(m_open.back().bindings);
        m_open.pop_back();
        m_popPending = false;
    }
    if (m_emptyPending) {
        m_emptyPending = false;
        m_popPending = true;
        m_token = Token::EndElement;
        return m_token;
    }
    if (m_pos == 0 && m_doc.size() >= 2
        && ((m_doc[0] == '\xFE' && m_doc[1] == '\xFF') || (m_doc[0] == '\xFF' && m_doc[1] == '\xFE')))
        return fail("nur UTF-8 wird gelesen");
    const size_t declarationPos = m_pos;
    while (m_pos < m_doc.size()) {
        if (m_doc[m_pos] != '<') {
            const void *next = std::memchr(m_doc.data() + m_pos, '<', m_doc.size() - m_pos);
            const size_t end = next ? size_t(static_cast<const char *>(next) - m_doc.data()) : m_doc.size();
            const std::string_view text = m_doc.substr(m_pos, end - m_pos);
            if (m_open.empty()) {
                if (!std::all_of(text.begin(), text.end(), isSpace))
                    return fail("Text au\u00dferhalb des Wurzelelements");
                m_pos = end;
                continue;
            }
            m_pos = end;
            m_text = text;
            m_textIsCData = false;
            m_token = Token::Characters;
            return m_token;
        }
        const std::string_view rest = m_doc.substr(m_pos);
        if (rest.substr(0, 2) == "<?") {
            const size_t start = m_pos;
            if (!skipPast("?>"))
                return fail("Verarbeitungsanweisung endet nicht");
            const std::string_view instruction = m_doc.substr(start, m_pos - start);
            if (start == declarationPos && instruction.substr(0, 6) == "<?xml "
                && !checkDeclaration(instruction))
                return fail("die Zeichenkodierung wird nicht unterst\u00fctzt (nur UTF-8)");
            continue;
        }
        if (rest.substr(0, 4) == "<!--") {
            if (!skipPast("-->"))
                return fail("Kommentar endet nicht");
            continue;
        }
        if (rest.substr(0, 9) == "<![CDATA[") {
            const size_t start = m_pos + 9;
            if (!skipPast("]]>"))
                return fail("CDATA-Abschnitt endet nicht");
            if (m_open.empty())
                return fail("Text au\u00dferhalb des Wurzelelements");
            m_text = m_doc.substr(start, m_pos - 3 - start);
            m_textIsCData = true;
            m_token = Token::Characters;
            return m_token;
        }
        if (rest.substr(0, 2) == "<!")
            return fail("Dokumenttypdeklarationen sind nicht erlaubt");
        if (rest.substr(0, 2) == "</")
            return readEndTag();
        return readStartTag();
    }
    if (!m_rootSeen)
        return fail("kein Wurzelelement");
    if (!m_open.empty())
        return fail("das Dokument endet vor dem Ende seiner Elemente");
    m_token = Token::EndDocument;
    return m_token;
}

XmlPullReader::Token XmlPullReader::readStartTag()
{
    if (m_open.empty() && m_rootSeen)
        return fail("ein zweites Wurzelelement");
    if (m_open.size() >= MaxDepth)
        return fail("zu tief verschachtelt");
    size_t p = m_pos + 1;
    auto readName = [&]() {
        const size_t start = p;
        while (p < m_doc.size() && !endsName(m_doc[p]))
            ++p;
        return m_doc.substr(start, p - start);
    };
    auto skipSpace = [&]() {
        while (p < m_doc.size() && isSpace(m_doc[p]))
            ++p;
    };
    const std::string_view qualifiedName = readName();
    if (qualifiedName.empty())
        return fail("Elementname fehlt");
    m_attributes.clear();
    bool empty = false;
    for (;;) {
        skipSpace();
        if (p >= m_doc.size())
            return fail("Start-Tag endet nicht");
        if (m_doc[p] == '>') {
            ++p;
            break;
        }
        if (m_doc[p] == '/') {
            if (p + 1 >= m_doc.size() || m_doc[p + 1] != '>')
                return fail("Start-Tag endet nicht");
            p += 2;
            empty = true;
            break;
        }
        const std::string_view name = readName();
        if (name.empty())
            return fail("Attributname fehlt");
        skipSpace();
        if (p >= m_doc.size() || m_doc[p] != '=')
            return fail("Attribut ohne Wert");
        ++p;
        skipSpace();
        if (p >= m_doc.size() || (m_doc[p] != '"' && m_doc[p] != '\''))
            return fail("Attributwert ohne Anf\u00fchrungszeichen");
        const size_t close = m_doc.find(m_doc[p], p + 1);
        if (close == std::string_view::npos)
            return fail("Attributwert endet nicht");
        const std::string_view raw = m_doc.substr(p + 1, close - p - 1);
        if (raw.find('<') != std::string_view::npos)
            return fail("\u201e<\u201c in einem Attributwert");
        p = close + 1;
        const size_t colon = name.find(':');
        Attribute attribute;
        attribute.prefix = colon == std::string_view::npos ? std::string_view() : name.substr(0, colon);
        attribute.name = colon == std::string_view::npos ? name : name.substr(colon + 1);
        attribute.raw = raw;
        m_attributes.push_back(attribute);
    }

    // Namespace declarations first: they count for the element's own names.
    const size_t bindingsBefore = m_bindings.size();
    for (Attribute &attribute : m_attributes) {
        const bool declaresDefault = attribute.prefix.empty() && attribute.name == "xmlns";
        if (!declaresDefault && attribute.prefix != "xmlns")
            continue;
        Binding binding;
        binding.prefix = declaresDefault ? std::string_view() : attribute.name;
        QString uri;
        appendDecoded(attribute.raw, true, false, uri);
        binding.uri = uri.toStdString();
        m_bindings.push_back(std::move(binding));
        attribute.namespaceUri = XmlnsNamespace;
    }
    for (Attribute &attribute : m_attributes) {
        if (attribute.namespaceUri == XmlnsNamespace || attribute.prefix.empty())
            continue;
        if (!resolve(attribute.prefix, attribute.namespaceUri)) {
            m_pos = p;
            return fail("ein Namensraum-Pr\u00e4fix ist nicht deklariert");
        }
    }
    const size_t colon = qualifiedName.find(':');
    const std::string_view prefix
        = colon == std::string_view::npos ? std::string_view() : qualifiedName.substr(0, colon);
    m_name = colon == std::string_view::npos ? qualifiedName : qualifiedName.substr(colon + 1);
    if (!resolve(prefix, m_namespace)) {
        m_pos = p;
        return fail("ein Namensraum-Pr\u00e4fix ist nicht deklariert");
    }
    m_open.push_back({qualifiedName, m_name, m_namespace, bindingsBefore});
    m_rootSeen = true;
    m_emptyPending = empty;
    m_pos = p;
    m_token = Token::StartElement;
    return m_token;
}

XmlPullReader::Token XmlPullReader::readEndTag()
{
    size_t p = m_pos + 2;
    const size_t start = p;
    while (p < m_doc.size() && !endsName(m_doc[p]))
        ++p;
    const std::string_view qualifiedName = m_doc.substr(start, p - start);
    while (p < m_doc.size() && isSpace(m_doc[p]))
        ++p;
    if (p >= m_doc.size() || m_doc[p] != '>')
        return fail("End-Tag endet nicht");
    if (m_open.empty() || m_open.back().qualifiedName != qualifiedName)
        return fail("End-Tag passt nicht zum Start-Tag");
    m_pos = p + 1;
    m_name = m_open.back().name;
    m_namespace = m_open.back().namespaceUri;
    m_popPending = true;
    m_token = Token::EndElement;
    return m_token;
}

bool XmlPullReader::hasAttribute(std::string_view ns, std::string_view name) const
{
    return std::any_of(m_attributes.begin(), m_attributes.end(), [&](const Attribute &attribute) {
        return attribute.name == name && attribute.namespaceUri == ns;
    });
}

QString XmlPullReader::attribute(std::string_view ns, std::string_view name) const
{
    QString value;
    for (const Attribute &attribute : m_attributes) {
        if (attribute.name == name && attribute.namespaceUri == ns) {
            appendDecoded(attribute.raw, true, false, value);
            break;
        }
    }
    return value;
}

std::string_view XmlPullReader::rawAttribute(std::string_view ns, std::string_view name) const
{
    for (const Attribute &attribute : m_attributes)
        if (attribute.name == name && attribute.namespaceUri == ns)
            return attribute.raw;
    return std::string_view();
}

void XmlPullReader::appendText(QString &text) const
{
    appendDecoded(m_text, false, m_textIsCData, text);
}

bool XmlPullReader::readNextStartElement()
{
    for (;;) {
        switch (readNext()) {
        case Token::StartElement:
            return true;
        case Token::Characters:
            continue;
        default:
            return false;
        }
    }
}

bool XmlPullReader::readInside(size_t depth)
{
    const Token token = readNext();
    // An element's end token comes while it is still open.
    return !atEnd() && !(token == Token::EndElement && m_open.size() == depth);
}

void XmlPullReader::skipCurrentElement()
{
    const size_t level = depth();
    while (readInside(level)) { }
}

QString XmlPullReader::readElementText()
{
    QString text;
    const size_t level = depth();
    while (readInside(level))
        if (m_token == Token::Characters)
            appendText(text);
    return text;
}
