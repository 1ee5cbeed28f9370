#include "protocol/OdsWorkbookReader.h"

#include "protocol/WorkbookCellText.h"
#include "protocol/WorkbookPackage.h"
#include "protocol/WorkbookRows.h"
#include "protocol/XmlPullReader.h"

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

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// A count attribute such as a repeat: 1 when absent or not a positive number.
qint64 countOf(const XmlPullReader &reader, std::string_view ns, std::string_view name, qint64 most)
{
    const std::string_view text = reader.rawAttribute(ns, name);
    qint64 count = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), count);
    return ec == std::errc() && end == text.data() + text.size() && count > 0 ? std::min(count, most) : 1;
}

// Appends the text of a paragraph: its characters, the spaces of <text:s>, tabs and
// line breaks, and the text of spans and links; notes and annotations are left out.
// The reader stands on the paragraph's start and ends on its end.
void readParagraph(XmlPullReader &reader, QString &text)
{
    const size_t paragraph = reader.depth();
    while (reader.readInside(paragraph)) {
        if (reader.token() == XmlPullReader::Token::Characters) {
            reader.appendText(text);
            continue;
        }
        if (reader.token() != XmlPullReader::Token::StartElement)
            continue;
        // Spans, links and other markup are entered: their text counts.
        if (reader.is(TextNs, "s"))
            text += QString(qsizetype(countOf(reader, TextNs, "c", MaxSpaceRun)), u' ');
        else if (reader.is(TextNs, "tab"))
            text += u'\t';
        else if (reader.is(TextNs, "line-break"))
            text += u'\n';
        else if (!reader.is(TextNs, "note") && !reader.is(OfficeNs, "annotation"))
            continue;
        reader.skipCurrentElement();
    }
}

// The cell's paragraphs, one line each. The reader stands on the cell's start and ends
// on its end.
QString readCellParagraphs(XmlPullReader &reader)
{
    QString text;
    bool first = true;
    while (reader.readNextStartElement()) {
        if (reader.is(TextNs, "p") || reader.is(TextNs, "h")) {
            if (!first)
                text += u'\n';
            first = false;
            readParagraph(reader, text);
        } else {
            reader.skipCurrentElement();
        }
    }
    return text;
}

// The protocol text of the cell the reader stands on, or std::nullopt with the reason in
// *reason. The reader ends on the cell's end.
std::optional<QString> readCellText(XmlPullReader &reader, QString *reason)
{
    const std::string_view type = reader.rawAttribute(OfficeNs, "value-type");
    auto typeText = [type] { return QString::fromUtf8(type.data(), qsizetype(type.size())); };
    std::optional<QString> text;
    QString value;
    if (reader.rawAttribute(CalcExtNs, "value-type") == "error") {
        text = WorkbookCellText::error();
    } else if (type == "float" || type == "percentage" || type == "currency") {
        value = reader.attribute(OfficeNs, "value").trimmed();
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (ok)
            text = WorkbookCellText::number(number);
    } else if (type == "date") {
        value = reader.attribute(OfficeNs, "date-value").trimmed();
        text = WorkbookCellText::isoDate(value);
    } else if (type == "time") {
        value = reader.attribute(OfficeNs, "time-value").trimmed();
        text = WorkbookCellText::isoDuration(value);
    } else if (type == "boolean") {
        value = reader.attribute(OfficeNs, "boolean-value").trimmed();
        if (value == QLatin1StringView("true") || value == QLatin1StringView("1"))
            text = WorkbookCellText::boolean(true);
        else if (value == QLatin1StringView("false") || value == QLatin1StringView("0"))
            text = WorkbookCellText::boolean(false);
    } else if (type == "string" || type.empty() || type == "void") {
        // A formula's text result is its string value; a typed-in text is its paragraphs.
        if (reader.hasAttribute(OfficeNs, "string-value")) {
            text = reader.attribute(OfficeNs, "string-value");
            reader.skipCurrentElement();
            return text;
        }
        return readCellParagraphs(reader);
    } else {
        *reason = QStringLiteral("Der Werttyp \u201e%1\u201c ist unbekannt.").arg(typeText());
        reader.skipCurrentElement();
        return std::nullopt;
    }
    reader.skipCurrentElement();
    if (!text)
        *reason = QStringLiteral("Der Wert \u201e%1\u201c passt nicht zum Werttyp \u201e%2\u201c.")
                      .arg(value, typeText());
    return text;
}

// Reads the cells of one row; the reader stands on its start and ends on its end.
bool readRow(XmlPullReader &reader, qint64 row, WorkbookRows &rows, QString *error)
{
    qint64 col = 0;
    while (reader.readNextStartElement()) {
        if (!reader.is(TableNs, "table-cell") && !reader.is(TableNs, "covered-table-cell")) {
            reader.skipCurrentElement();
            continue;
        }
        const qint64 repeat = countOf(reader, TableNs, "number-columns-repeated", MaxColumnRepeat);
        if (!rows.wants(col)) {
            reader.skipCurrentElement();
            col += repeat;
            continue;
        }
        QString reason;
        const std::optional<QString> text = readCellText(reader, &reason);
        if (reader.hasError())
            return true; // reported by the caller with the part's name
        if (!text) {
            setError(error, WorkbookRows::cellError(row, col, reason));
            return false;
        }
        for (qint64 c = col; c < col + repeat && rows.wants(c); ++c)
            rows.setCell(int(c), *text);
        col += repeat;
    }
    return true;
}

// Reads the rows of the table the reader stands on, through row groups and header rows.
bool readTable(XmlPullReader &reader, WorkbookRows &rows, QString *error)
{
    qint64 row = 0;
    const size_t table = reader.depth();
    while (!rows.ended() && reader.readInside(table)) {
        if (reader.token() != XmlPullReader::Token::StartElement)
            continue;
        if (reader.is(TableNs, "table-row")) {
            const qint64 repeat = countOf(reader, TableNs, "number-rows-repeated", WorkbookRows::MaxRows);
            if (!rows.beginRow(row))
                break;
            if (!readRow(reader, row, rows, error))
                return false;
            rows.endRow(repeat);
            row += repeat;
            // Row groups and header rows are entered; columns, shapes and the like skipped.
        } else if (!reader.is(TableNs, "table-header-rows") && !reader.is(TableNs, "table-rows")
                   && !reader.is(TableNs, "table-row-group")) {
            reader.skipCurrentElement();
        }
    }
    return true;
}

} // namespace

bool OdsWorkbookReader::isSpreadsheet(const WorkbookPackage &package)
{
    // A package without its media type is taken by its content part.
    if (!package.contains(QStringLiteral("mimetype")))
        return package.contains(ContentPart) && !package.contains(QStringLiteral("[Content_Types].xml"));
    const std::optional<QByteArray> type = package.read(QStringLiteral("mimetype"), nullptr);
    return type && type->trimmed() == "application/vnd.oasis.opendocument.spreadsheet";
}

bool OdsWorkbookReader::readFirstSheet(const WorkbookPackage &package, WorkbookRows &rows, QString *error)
{
    bool found = false;
    const bool read = package.readXml(ContentPart, error, [&](XmlPullReader &reader) {
        while (!reader.atEnd() && !found) {
            found = reader.readNext() == XmlPullReader::Token::StartElement && reader.is(TableNs, "table");
        }
        return !found || readTable(reader, rows, error);
    });
    if (!read)
        return false;
    if (!found) {
        setError(error, QStringLiteral("Die Arbeitsmappe enth\u00e4lt kein Tabellenblatt."));
        return false;
    }
    return true;
}
