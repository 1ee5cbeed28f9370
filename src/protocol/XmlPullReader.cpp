#include "XmlPullReader.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>

namespace {

constexpr std::string_view XmlNamespace("http://www.w3.org/XML/1998/namespace");
constexpr std::string_view XmlnsNamespace("http://www.w3.org/2000/xmlns/");
// Deeper nesting than any workbook part has; it would only cost memory.
constexpr size_t MaxDepth = 100000;

bool IsSpace(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r';
}

bool EndsName(char ch)
{
    return IsSpace(ch) || ch == '/' || ch == '>' || ch == '=' || ch == '<' || ch == '"' || ch == '\'';
}

bool IsXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF)
           || (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// The character a reference such as "amp" or "#x41" stands for.
std::optional<char32_t> Reference(std::string_view name)
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
    if (!IsXmlChar(value))
        return std::nullopt;
    return value;
}

// Appends raw XML text: references resolved and line ends read as one line feed; in an
// attribute value, tabs and line ends read as blanks.
void AppendDecoded(std::string_view raw, bool attribute, bool cdata, QString &out)
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
            const std::optional<char32_t> c = Reference(raw.substr(i + 1, semicolon - i - 1));
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

TXmlPullReader::TXmlPullReader(std::string_view document)
    : FDoc(document)
{
    if (FDoc.substr(0, 3) == "\xEF\xBB\xBF")
        FPos = 3;
}

TXmlPullReader::TToken TXmlPullReader::Fail(const char *reason)
{
    FError = reason;
    FErrorPos = FPos;
    FToken = TToken::tkError;
    return FToken;
}

QString TXmlPullReader::ErrorString() const
{
    if (!FError)
        return QString();
    const size_t end = std::min(FErrorPos, FDoc.size());
    const qint64 line = std::count(FDoc.begin(), FDoc.begin() + qsizetype(end), '\n') + 1;
    return QStringLiteral("Zeile %1: %2").arg(line).arg(QString::fromUtf8(FError));
}

bool TXmlPullReader::SkipPast(std::string_view terminator)
{
    const size_t end = FDoc.find(terminator, FPos);
    if (end == std::string_view::npos)
        return false;
    FPos = end + terminator.size();
    return true;
}

bool TXmlPullReader::CheckDeclaration(std::string_view declaration)
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

bool TXmlPullReader::Resolve(std::string_view prefix, std::string_view &ns) const
{
    if (prefix == "xml") {
        ns = XmlNamespace;
        return true;
    }
    for (auto binding = FBindings.rbegin(); binding != FBindings.rend(); ++binding) {
        if (binding->Prefix == prefix) {
            ns = binding->Uri;
            return true;
        }
    }
    ns = std::string_view();
    return prefix.empty(); // no default namespace: the name has none
}

TXmlPullReader::TToken TXmlPullReader::ReadNext()
{
    if (AtEnd())
        return FToken;
    if (FPopPending) {
        FBindings.resize(FOpen.back().Bindings);
        FOpen.pop_back();
        FPopPending = false;
    }
    if (FEmptyPending) {
        FEmptyPending = false;
        FPopPending = true;
        FToken = TToken::tkEndElement;
        return FToken;
    }
    if (FPos == 0 && FDoc.size() >= 2
        && ((FDoc[0] == '\xFE' && FDoc[1] == '\xFF') || (FDoc[0] == '\xFF' && FDoc[1] == '\xFE')))
        return Fail("nur UTF-8 wird gelesen");
    const size_t declarationPos = FPos;
    while (FPos < FDoc.size()) {
        if (FDoc[FPos] != '<') {
            const void *next = std::memchr(FDoc.data() + FPos, '<', FDoc.size() - FPos);
            const size_t end = next ? size_t(static_cast<const char *>(next) - FDoc.data()) : FDoc.size();
            const std::string_view text = FDoc.substr(FPos, end - FPos);
            if (FOpen.empty()) {
                if (!std::all_of(text.begin(), text.end(), IsSpace))
                    return Fail("Text au\u00dferhalb des Wurzelelements");
                FPos = end;
                continue;
            }
            FPos = end;
            FText = text;
            FTextIsCData = false;
            FToken = TToken::tkCharacters;
            return FToken;
        }
        const std::string_view rest = FDoc.substr(FPos);
        if (rest.substr(0, 2) == "<?") {
            const size_t start = FPos;
            if (!SkipPast("?>"))
                return Fail("Verarbeitungsanweisung endet nicht");
            const std::string_view instruction = FDoc.substr(start, FPos - start);
            if (start == declarationPos && instruction.substr(0, 6) == "<?xml "
                && !CheckDeclaration(instruction))
                return Fail("die Zeichenkodierung wird nicht unterst\u00fctzt (nur UTF-8)");
            continue;
        }
        if (rest.substr(0, 4) == "<!--") {
            if (!SkipPast("-->"))
                return Fail("Kommentar endet nicht");
            continue;
        }
        if (rest.substr(0, 9) == "<![CDATA[") {
            const size_t start = FPos + 9;
            if (!SkipPast("]]>"))
                return Fail("CDATA-Abschnitt endet nicht");
            if (FOpen.empty())
                return Fail("Text au\u00dferhalb des Wurzelelements");
            FText = FDoc.substr(start, FPos - 3 - start);
            FTextIsCData = true;
            FToken = TToken::tkCharacters;
            return FToken;
        }
        if (rest.substr(0, 2) == "<!")
            return Fail("Dokumenttypdeklarationen sind nicht erlaubt");
        if (rest.substr(0, 2) == "</")
            return ReadEndTag();
        return ReadStartTag();
    }
    if (!FRootSeen)
        return Fail("kein Wurzelelement");
    if (!FOpen.empty())
        return Fail("das Dokument endet vor dem Ende seiner Elemente");
    FToken = TToken::tkEndDocument;
    return FToken;
}

TXmlPullReader::TToken TXmlPullReader::ReadStartTag()
{
    if (FOpen.empty() && FRootSeen)
        return Fail("ein zweites Wurzelelement");
    if (FOpen.size() >= MaxDepth)
        return Fail("zu tief verschachtelt");
    size_t p = FPos + 1;
    auto readName = [&]() {
        const size_t start = p;
        while (p < FDoc.size() && !EndsName(FDoc[p]))
            ++p;
        return FDoc.substr(start, p - start);
    };
    auto skipSpace = [&]() {
        while (p < FDoc.size() && IsSpace(FDoc[p]))
            ++p;
    };
    const std::string_view qualifiedName = readName();
    if (qualifiedName.empty())
        return Fail("Elementname fehlt");
    FAttributes.clear();
    bool empty = false;
    for (;;) {
        skipSpace();
        if (p >= FDoc.size())
            return Fail("Start-Tag endet nicht");
        if (FDoc[p] == '>') {
            ++p;
            break;
        }
        if (FDoc[p] == '/') {
            if (p + 1 >= FDoc.size() || FDoc[p + 1] != '>')
                return Fail("Start-Tag endet nicht");
            p += 2;
            empty = true;
            break;
        }
        const std::string_view name = readName();
        if (name.empty())
            return Fail("Attributname fehlt");
        skipSpace();
        if (p >= FDoc.size() || FDoc[p] != '=')
            return Fail("Attribut ohne Wert");
        ++p;
        skipSpace();
        if (p >= FDoc.size() || (FDoc[p] != '"' && FDoc[p] != '\''))
            return Fail("Attributwert ohne Anf\u00fchrungszeichen");
        const size_t close = FDoc.find(FDoc[p], p + 1);
        if (close == std::string_view::npos)
            return Fail("Attributwert endet nicht");
        const std::string_view raw = FDoc.substr(p + 1, close - p - 1);
        if (raw.find('<') != std::string_view::npos)
            return Fail("\u201e<\u201c in einem Attributwert");
        p = close + 1;
        const size_t colon = name.find(':');
        TAttribute attribute;
        attribute.Prefix = colon == std::string_view::npos ? std::string_view() : name.substr(0, colon);
        attribute.Name = colon == std::string_view::npos ? name : name.substr(colon + 1);
        attribute.Raw = raw;
        FAttributes.push_back(attribute);
    }

    // Namespace declarations first: they count for the element's own names.
    const size_t bindingsBefore = FBindings.size();
    for (TAttribute &attribute : FAttributes) {
        const bool declaresDefault = attribute.Prefix.empty() && attribute.Name == "xmlns";
        if (!declaresDefault && attribute.Prefix != "xmlns")
            continue;
        TBinding binding;
        binding.Prefix = declaresDefault ? std::string_view() : attribute.Name;
        QString uri;
        AppendDecoded(attribute.Raw, true, false, uri);
        binding.Uri = uri.toStdString();
        FBindings.push_back(std::move(binding));
        attribute.Namespace = XmlnsNamespace;
    }
    for (TAttribute &attribute : FAttributes) {
        if (attribute.Namespace == XmlnsNamespace || attribute.Prefix.empty())
            continue;
        if (!Resolve(attribute.Prefix, attribute.Namespace)) {
            FPos = p;
            return Fail("ein Namensraum-Pr\u00e4fix ist nicht deklariert");
        }
    }
    const size_t colon = qualifiedName.find(':');
    const std::string_view prefix = colon == std::string_view::npos ? std::string_view()
                                                                    : qualifiedName.substr(0, colon);
    FName = colon == std::string_view::npos ? qualifiedName : qualifiedName.substr(colon + 1);
    if (!Resolve(prefix, FNamespace)) {
        FPos = p;
        return Fail("ein Namensraum-Pr\u00e4fix ist nicht deklariert");
    }
    FOpen.push_back({qualifiedName, FName, FNamespace, bindingsBefore});
    FRootSeen = true;
    FEmptyPending = empty;
    FPos = p;
    FToken = TToken::tkStartElement;
    return FToken;
}

TXmlPullReader::TToken TXmlPullReader::ReadEndTag()
{
    size_t p = FPos + 2;
    const size_t start = p;
    while (p < FDoc.size() && !EndsName(FDoc[p]))
        ++p;
    const std::string_view qualifiedName = FDoc.substr(start, p - start);
    while (p < FDoc.size() && IsSpace(FDoc[p]))
        ++p;
    if (p >= FDoc.size() || FDoc[p] != '>')
        return Fail("End-Tag endet nicht");
    if (FOpen.empty() || FOpen.back().QualifiedName != qualifiedName)
        return Fail("End-Tag passt nicht zum Start-Tag");
    FPos = p + 1;
    FName = FOpen.back().Name;
    FNamespace = FOpen.back().Namespace;
    FPopPending = true;
    FToken = TToken::tkEndElement;
    return FToken;
}

bool TXmlPullReader::HasAttribute(std::string_view ns, std::string_view name) const
{
    return std::any_of(FAttributes.begin(), FAttributes.end(), [&](const TAttribute &attribute) {
        return attribute.Name == name && attribute.Namespace == ns;
    });
}

QString TXmlPullReader::Attribute(std::string_view ns, std::string_view name) const
{
    QString value;
    for (const TAttribute &attribute : FAttributes) {
        if (attribute.Name == name && attribute.Namespace == ns) {
            AppendDecoded(attribute.Raw, true, false, value);
            break;
        }
    }
    return value;
}

std::string_view TXmlPullReader::RawAttribute(std::string_view ns, std::string_view name) const
{
    for (const TAttribute &attribute : FAttributes)
        if (attribute.Name == name && attribute.Namespace == ns)
            return attribute.Raw;
    return std::string_view();
}

void TXmlPullReader::AppendText(QString &text) const
{
    AppendDecoded(FText, false, FTextIsCData, text);
}

bool TXmlPullReader::ReadNextStartElement()
{
    for (;;) {
        switch (ReadNext()) {
        case TToken::tkStartElement:
            return true;
        case TToken::tkCharacters:
            continue;
        default:
            return false;
        }
    }
}

bool TXmlPullReader::ReadInside(size_t depth)
{
    const TToken token = ReadNext();
    // An element's end token comes while it is still open.
    return !AtEnd() && !(token == TToken::tkEndElement && FOpen.size() == depth);
}

void TXmlPullReader::SkipCurrentElement()
{
    const size_t depth = Depth();
    while (ReadInside(depth)) {
    }
}

QString TXmlPullReader::ReadElementText()
{
    QString text;
    const size_t depth = Depth();
    while (ReadInside(depth))
        if (FToken == TToken::tkCharacters)
            AppendText(text);
    return text;
}
