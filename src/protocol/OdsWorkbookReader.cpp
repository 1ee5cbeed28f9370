#include "OdsWorkbookReader.h"

#include "WorkbookCellText.h"
#include "WorkbookPackage.h"
#include "WorkbookRows.h"

#include "XmlPullReader.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr std::string_view OfficeNs("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
constexpr std::string_view TableNs("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
constexpr std::string_view TextNs("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
constexpr std::string_view CalcExtNs("urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0");
const QLatin1StringView ContentPart("content.xml");

// Longest text a spreadsheet cell holds; a space run beyond it is damage, not text.
constexpr qint64 MaxSpaceRun = 32767;
// Columns a repeated cell may span; a worksheet has at most 16,384.
constexpr qint64 MaxColumnRepeat = 1 << 20;

void SetError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// A count attribute such as a repeat: 1 when absent or not a positive number.
qint64 CountOf(const TXmlPullReader &reader, std::string_view ns, std::string_view name, qint64 most)
{
    const std::string_view text = reader.RawAttribute(ns, name);
    qint64 count = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), count);
    return ec == std::errc() && end == text.data() + text.size() && count > 0 ? std::min(count, most) : 1;
}

// Appends the text of a paragraph: its characters, the spaces of <text:s>, tabs and
// line breaks, and the text of spans and links; notes and annotations are left out.
// The reader stands on the paragraph's start and ends on its end.
void ReadParagraph(TXmlPullReader &reader, QString &text)
{
    const size_t paragraph = reader.Depth();
    while (reader.ReadInside(paragraph)) {
        if (reader.Token() == TXmlPullReader::TToken::tkCharacters) {
            reader.AppendText(text);
            continue;
        }
        if (reader.Token() != TXmlPullReader::TToken::tkStartElement)
            continue;
        // Spans, links and other markup are entered: their text counts.
        if (reader.Is(TextNs, "s"))
            text += QString(qsizetype(CountOf(reader, TextNs, "c", MaxSpaceRun)), u' ');
        else if (reader.Is(TextNs, "tab"))
            text += u'\t';
        else if (reader.Is(TextNs, "line-break"))
            text += u'\n';
        else if (!reader.Is(TextNs, "note") && !reader.Is(OfficeNs, "annotation"))
            continue;
        reader.SkipCurrentElement();
    }
}

// The cell's paragraphs, one line each. The reader stands on the cell's start and ends
// on its end.
QString ReadCellParagraphs(TXmlPullReader &reader)
{
    QString text;
    bool first = true;
    while (reader.ReadNextStartElement()) {
        if (reader.Is(TextNs, "p") || reader.Is(TextNs, "h")) {
            if (!first)
                text += u'\n';
            first = false;
            ReadParagraph(reader, text);
        } else {
            reader.SkipCurrentElement();
        }
    }
    return text;
}

// The protocol text of the cell the reader stands on, or std::nullopt with the reason in
// *reason. The reader ends on the cell's end.
std::optional<QString> ReadCellText(TXmlPullReader &reader, QString *reason)
{
    const std::string_view type = reader.RawAttribute(OfficeNs, "value-type");
    auto typeText = [type] { return QString::fromUtf8(type.data(), qsizetype(type.size())); };
    std::optional<QString> text;
    QString value;
    if (reader.RawAttribute(CalcExtNs, "value-type") == "error") {
        text = WorkbookCellText::Error();
    } else if (type == "float" || type == "percentage" || type == "currency") {
        value = reader.Attribute(OfficeNs, "value").trimmed();
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (ok)
            text = WorkbookCellText::Number(number);
    } else if (type == "date") {
        value = reader.Attribute(OfficeNs, "date-value").trimmed();
        text = WorkbookCellText::IsoDate(value);
    } else if (type == "time") {
        value = reader.Attribute(OfficeNs, "time-value").trimmed();
        text = WorkbookCellText::IsoDuration(value);
    } else if (type == "boolean") {
        value = reader.Attribute(OfficeNs, "boolean-value").trimmed();
        if (value == QLatin1StringView("true") || value == QLatin1StringView("1"))
            text = WorkbookCellText::Boolean(true);
        else if (value == QLatin1StringView("false") || value == QLatin1StringView("0"))
            text = WorkbookCellText::Boolean(false);
    } else if (type == "string" || type.empty() || type == "void") {
        // A formula's text result is its string value; a typed-in text is its paragraphs.
        if (reader.HasAttribute(OfficeNs, "string-value")) {
            text = reader.Attribute(OfficeNs, "string-value");
            reader.SkipCurrentElement();
            return text;
        }
        return ReadCellParagraphs(reader);
    } else {
        *reason = QStringLiteral("Der Werttyp \u201e%1\u201c ist unbekannt.").arg(typeText());
        reader.SkipCurrentElement();
        return std::nullopt;
    }
    reader.SkipCurrentElement();
    if (!text)
        *reason = QStringLiteral("Der Wert \u201e%1\u201c passt nicht zum Werttyp \u201e%2\u201c.")
                      .arg(value, typeText());
    return text;
}

// Reads the cells of one row; the reader stands on its start and ends on its end.
bool ReadRow(TXmlPullReader &reader, qint64 row, TWorkbookRows &rows, QString *error)
{
    qint64 col = 0;
    while (reader.ReadNextStartElement()) {
        if (!reader.Is(TableNs, "table-cell") && !reader.Is(TableNs, "covered-table-cell")) {
            reader.SkipCurrentElement();
            continue;
        }
        const qint64 repeat = CountOf(reader, TableNs, "number-columns-repeated", MaxColumnRepeat);
        if (!rows.Wants(col)) {
            reader.SkipCurrentElement();
            col += repeat;
            continue;
        }
        QString reason;
        const std::optional<QString> text = ReadCellText(reader, &reason);
        if (reader.HasError())
            return true; // reported by the caller with the part's name
        if (!text) {
            SetError(error, TWorkbookRows::CellError(row, col, reason));
            return false;
        }
        for (qint64 c = col; c < col + repeat && rows.Wants(c); ++c)
            rows.SetCell(int(c), *text);
        col += repeat;
    }
    return true;
}

// Reads the rows of the table the reader stands on, through row groups and header rows.
bool ReadTable(TXmlPullReader &reader, TWorkbookRows &rows, QString *error)
{
    qint64 row = 0;
    const size_t table = reader.Depth();
    while (!rows.Ended() && reader.ReadInside(table)) {
        if (reader.Token() != TXmlPullReader::TToken::tkStartElement)
            continue;
        if (reader.Is(TableNs, "table-row")) {
            const qint64 repeat = CountOf(reader, TableNs, "number-rows-repeated", TWorkbookRows::MaxRows);
            if (!rows.BeginRow(row))
                break;
            if (!ReadRow(reader, row, rows, error))
                return false;
            rows.EndRow(repeat);
            row += repeat;
            // Row groups and header rows are entered; columns, shapes and the like skipped.
        } else if (!reader.Is(TableNs, "table-header-rows") && !reader.Is(TableNs, "table-rows")
                   && !reader.Is(TableNs, "table-row-group")) {
            reader.SkipCurrentElement();
        }
    }
    return true;
}

} // namespace

bool TOdsWorkbookReader::IsSpreadsheet(const TWorkbookPackage &package)
{
    // A package without its media type is taken by its content part.
    if (!package.Contains(QStringLiteral("mimetype")))
        return package.Contains(ContentPart) && !package.Contains(QStringLiteral("[Content_Types].xml"));
    const std::optional<QByteArray> type = package.Read(QStringLiteral("mimetype"), nullptr);
    return type && type->trimmed() == "application/vnd.oasis.opendocument.spreadsheet";
}

bool TOdsWorkbookReader::ReadFirstSheet(const TWorkbookPackage &package, TWorkbookRows &rows,
                                        QString *error)
{
    bool found = false;
    const bool read = package.ReadXml(ContentPart, error, [&](TXmlPullReader &reader) {
        while (!reader.AtEnd() && !found) {
            found = reader.ReadNext() == TXmlPullReader::TToken::tkStartElement
                    && reader.Is(TableNs, "table");
        }
        return !found || ReadTable(reader, rows, error);
    });
    if (!read)
        return false;
    if (!found) {
        SetError(error, QStringLiteral("Die Arbeitsmappe enth\u00e4lt kein Tabellenblatt."));
        return false;
    }
    return true;
}
