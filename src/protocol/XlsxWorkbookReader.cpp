#include "protocol/XlsxWorkbookReader.h"

#include "protocol/WorkbookCellText.h"
#include "protocol/WorkbookPackage.h"
#include "protocol/WorkbookRows.h"
#include "protocol/XmlPullReader.h"

#include <QHash>

#include <cctype>
#include <charconv>
#include <vector>

namespace {

using WorkbookCellText::NumberKind;

const QLatin1StringView RelationshipTypeSuffixes[] = {
    QLatin1StringView("/officeDocument"), QLatin1StringView("/sharedStrings"), QLatin1StringView("/styles")};
// The namespace of relationship identifiers, transitional and strict.
constexpr std::string_view RelationshipNamespaces[]
    = {"http://schemas.openxmlformats.org/officeDocument/2006/relationships",
       "http://purl.oclc.org/ooxml/officeDocument/relationships"};

struct WorkbookParts
{
    QString sheet;
    QString sharedStrings;
    QString styles;
    QDate origin{1899, 12, 30};
};

// Everything but the cells: the shared strings and the number-format kind of every
// cell format, by the index a cell's "s" attribute names.
struct SheetContext
{
    QStringList sharedStrings;
    std::vector<NumberKind> formatKinds;
    QDate origin;
};

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

QString folderOf(const QString &part)
{
    return part.left(part.lastIndexOf(u'/') + 1);
}

// A relationship's target as a part name: relative to the source part's folder, or
// from the package root when it starts with "/".
QString resolveTarget(const QString &sourcePart, const QString &target)
{
    const QString path = target.startsWith(u'/') ? target.mid(1) : folderOf(sourcePart) + target;
    QStringList pieces;
    for (const QString &piece : path.split(u'/')) {
        if (piece.isEmpty() || piece == QLatin1String("."))
            continue;
        if (piece == QLatin1String("..")) {
            if (!pieces.isEmpty())
                pieces.removeLast();
            continue;
        }
        pieces.append(piece);
    }
    return pieces.join(u'/');
}

struct Relationship
{
    QString type;
    QString target; // resolved part name
};

// The relationships of `part` by their identifiers; none when the package has no
// relationship part for it.
bool readRelationships(const WorkbookPackage &package, const QString &part,
                       QHash<QString, Relationship> &relationships, QString *error)
{
    const qsizetype slash = part.lastIndexOf(u'/');
    const QString relsPart
        = folderOf(part) + QLatin1String("_rels/") + part.mid(slash + 1) + QLatin1String(".rels");
    if (!package.contains(relsPart))
        return true;
    return package.readXml(relsPart, error, [&](XmlPullReader &reader) {
        while (!reader.atEnd()) {
            if (reader.readNext() != XmlPullReader::Token::StartElement || reader.name() != "Relationship"
                || reader.attribute({}, "TargetMode") == QLatin1StringView("External"))
                continue;
            relationships.insert(
                reader.attribute({}, "Id"),
                {reader.attribute({}, "Type"), resolveTarget(part, reader.attribute({}, "Target"))});
        }
        return true;
    });
}

// The first relationship whose type ends in `suffix`.
QString targetOfType(const QHash<QString, Relationship> &relationships, QLatin1StringView suffix)
{
    for (const Relationship &relationship : relationships)
        if (relationship.type.endsWith(suffix))
            return relationship.target;
    return QString();
}

bool locateParts(const WorkbookPackage &package, WorkbookParts &parts, QString *error)
{
    QHash<QString, Relationship> packageRelationships;
    if (!readRelationships(package, QString(), packageRelationships, error))
        return false;
    QString workbookPart = targetOfType(packageRelationships, RelationshipTypeSuffixes[0]);
    if (workbookPart.isEmpty())
        workbookPart = QStringLiteral("xl/workbook.xml");
    QString firstSheetId;
    const bool read = package.readXml(workbookPart, error, [&](XmlPullReader &reader) {
        while (!reader.atEnd() && firstSheetId.isEmpty()) {
            if (reader.readNext() != XmlPullReader::Token::StartElement)
                continue;
            if (reader.name() == "workbookPr") {
                const std::string_view date1904 = reader.rawAttribute({}, "date1904");
                if (date1904 == "1" || date1904 == "true")
                    parts.origin = QDate(1904, 1, 1);
            } else if (reader.name() == "sheet") {
                for (std::string_view ns : RelationshipNamespaces)
                    if (reader.hasAttribute(ns, "id"))
                        firstSheetId = reader.attribute(ns, "id");
            }
        }
        return true;
    });
    if (!read)
        return false;
    QHash<QString, Relationship> workbookRelationships;
    if (!readRelationships(package, workbookPart, workbookRelationships, error))
        return false;
    parts.sheet = workbookRelationships.value(firstSheetId).target;
    if (firstSheetId.isEmpty() || parts.sheet.isEmpty()) {
        setError(error, QStringLiteral("Die Arbeitsmappe enth\u00e4lt kein Tabellenblatt."));
        return false;
    }
    parts.sharedStrings = targetOfType(workbookRelationships, RelationshipTypeSuffixes[1]);
    parts.styles = targetOfType(workbookRelationships, RelationshipTypeSuffixes[2]);
    return true;
}

// The text of a string item (<si>, <is>): its <t> pieces, rich-text runs included,
// phonetic hints left out. The reader stands on the item's start and ends on its end.
QString readStringItem(XmlPullReader &reader)
{
    QString text;
    const size_t item = reader.depth();
    while (reader.readInside(item)) {
        if (reader.token() != XmlPullReader::Token::StartElement)
            continue;
        if (reader.name() == "t")
            text += reader.readElementText();
        else if (reader.name() == "rPh")
            reader.skipCurrentElement();
    }
    return WorkbookCellText::decodeEscapes(text);
}

bool readSharedStrings(const WorkbookPackage &package, const QString &part, QStringList &strings,
                       QString *error)
{
    if (part.isEmpty())
        return true;
    return package.readXml(part, error, [&](XmlPullReader &reader) {
        while (!reader.atEnd()) {
            if (reader.readNext() == XmlPullReader::Token::StartElement && reader.name() == "si")
                strings.append(readStringItem(reader));
        }
        return true;
    });
}

// A whole number written plainly, or `fallback`.
qint64 numberOf(std::string_view text, qint64 fallback)
{
    qint64 value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() ? value : fallback;
}

bool readFormatKinds(const WorkbookPackage &package, const QString &part, std::vector<NumberKind> &kinds,
                     QString *error)
{
    if (part.isEmpty())
        return true;
    QHash<int, NumberKind> customKinds;
    enum class Section { scOther, scNumberFormats, scCellFormats } section = Section::scOther;
    return package.readXml(part, error, [&](XmlPullReader &reader) {
        while (!reader.atEnd()) {
            const XmlPullReader::Token token = reader.readNext();
            const std::string_view name = reader.name();
            if (token == XmlPullReader::Token::EndElement && (name == "numFmts" || name == "cellXfs"))
                section = Section::scOther;
            if (token != XmlPullReader::Token::StartElement)
                continue;
            if (name == "numFmts") {
                section = Section::scNumberFormats;
            } else if (name == "cellXfs") {
                section = Section::scCellFormats;
            } else if (name == "numFmt" && section == Section::scNumberFormats) {
                customKinds.insert(int(numberOf(reader.rawAttribute({}, "numFmtId"), 0)),
                                   WorkbookCellText::kindOfFormatCode(reader.attribute({}, "formatCode")));
            } else if (name == "xf" && section == Section::scCellFormats) {
                const int id = int(numberOf(reader.rawAttribute({}, "numFmtId"), 0));
                kinds.push_back(customKinds.value(id, WorkbookCellText::kindOfBuiltinFormat(id)));
            }
        }
        return true;
    });
}

// The 0-based column of a cell reference such as "AB12"; -1 when it has no letters.
qint64 columnOf(std::string_view reference)
{
    qint64 col = 0;
    size_t i = 0;
    for (; i < reference.size() && i < 4; ++i) {
        const char ch = char(std::toupper(static_cast<unsigned char>(reference[i])));
        if (ch < 'A' || ch > 'Z')
            break;
        col = col * 26 + (ch - 'A' + 1);
    }
    return i == 0 ? -1 : col - 1;
}

struct CellData
{
    std::string_view type;
    int style = 0;
    QString value;
    bool hasValue = false;
    QString inlineText;
    bool hasInlineText = false;
};

// The protocol text of one cell, or std::nullopt with the reason in *reason.
std::optional<QString> cellText(const CellData &cell, const SheetContext &context, QString *reason)
{
    const std::string_view type = cell.type;
    if (type == "inlineStr")
        return cell.hasInlineText ? cell.inlineText : WorkbookCellText::decodeEscapes(cell.value);
    if (!cell.hasValue)
        return QString(); // a formatted cell without a value, or a formula never calculated
    if (type.empty() || type == "n") {
        bool ok = false;
        const double number = QStringView(cell.value).trimmed().toDouble(&ok);
        if (!ok) {
            *reason = QStringLiteral("\u201e%1\u201c ist keine Zahl.").arg(cell.value);
            return std::nullopt;
        }
        const NumberKind kind = cell.style >= 0 && size_t(cell.style) < context.formatKinds.size()
            ? context.formatKinds[size_t(cell.style)]
            : NumberKind::Number;
        std::optional<QString> text = WorkbookCellText::serial(number, kind, context.origin);
        if (!text)
            *reason = QStringLiteral("Der Wert %1 ist als Zahl, Datum oder Zeit nicht darstellbar.")
                          .arg(cell.value);
        return text;
    }
    if (type == "s") {
        bool ok = false;
        const int index = QStringView(cell.value).trimmed().toInt(&ok);
        if (!ok || index < 0 || index >= context.sharedStrings.size()) {
            *reason = QStringLiteral("Der gemeinsame Text Nr. %1 fehlt.").arg(cell.value);
            return std::nullopt;
        }
        return context.sharedStrings.at(index);
    }
    if (type == "str")
        return WorkbookCellText::decodeEscapes(cell.value);
    if (type == "b") {
        const QStringView value = QStringView(cell.value).trimmed();
        if (value == QLatin1StringView("1") || value == QLatin1StringView("true"))
            return WorkbookCellText::boolean(true);
        if (value == QLatin1StringView("0") || value == QLatin1StringView("false"))
            return WorkbookCellText::boolean(false);
        *reason = QStringLiteral("\u201e%1\u201c ist kein Wahrheitswert.").arg(cell.value);
        return std::nullopt;
    }
    if (type == "e")
        return WorkbookCellText::error();
    if (type == "d") {
        std::optional<QString> text = WorkbookCellText::isoDate(QStringView(cell.value).trimmed());
        if (!text)
            *reason = QStringLiteral("\u201e%1\u201c ist kein Datum.").arg(cell.value);
        return text;
    }
    *reason = QStringLiteral("Der Zelltyp \u201e%1\u201c ist unbekannt.")
                  .arg(QString::fromUtf8(type.data(), qsizetype(type.size())));
    return std::nullopt;
}

// Reads the cells of one <row>; the reader stands on its start and ends on its end.
bool readRow(XmlPullReader &reader, qint64 row, const SheetContext &context, WorkbookRows &rows,
             QString *error)
{
    qint64 col = -1;
    while (reader.readNextStartElement()) {
        if (reader.name() != "c") {
            reader.skipCurrentElement();
            continue;
        }
        const qint64 named = columnOf(reader.rawAttribute({}, "r"));
        col = named >= 0 ? named : col + 1;
        if (!rows.wants(col)) {
            reader.skipCurrentElement();
            continue;
        }
        CellData cell;
        cell.type = reader.rawAttribute({}, "t");
        cell.style = int(numberOf(reader.rawAttribute({}, "s"), 0));
        while (reader.readNextStartElement()) {
            if (reader.name() == "v") {
                cell.value = reader.readElementText();
                cell.hasValue = true;
            } else if (reader.name() == "is") {
                cell.inlineText = readStringItem(reader);
                cell.hasInlineText = true;
            } else {
                reader.skipCurrentElement();
            }
        }
        if (reader.hasError())
            return true; // reported by the caller with the part's name
        QString reason;
        const std::optional<QString> text = cellText(cell, context, &reason);
        if (!text) {
            setError(error, WorkbookRows::cellError(row, col, reason));
            return false;
        }
        rows.setCell(int(col), *text);
    }
    return true;
}

bool readSheet(const WorkbookPackage &package, const QString &part, const SheetContext &context,
               WorkbookRows &rows, QString *error)
{
    return package.readXml(part, error, [&](XmlPullReader &reader) {
        while (!reader.atEnd()) {
            if (reader.readNext() == XmlPullReader::Token::StartElement && reader.name() == "sheetData")
                break;
        }
        qint64 row = -1;
        while (!rows.ended() && reader.readNextStartElement()) {
            if (reader.name() != "row") {
                reader.skipCurrentElement();
                continue;
            }
            const qint64 named = numberOf(reader.rawAttribute({}, "r"), 0);
            row = named > 0 ? named - 1 : row + 1;
            if (!rows.beginRow(row))
                break;
            if (!readRow(reader, row, context, rows, error))
                return false;
            rows.endRow();
        }
        return true;
    });
}

} // namespace

bool XlsxWorkbookReader::readFirstSheet(const WorkbookPackage &package, WorkbookRows &rows, QString *error)
{
    WorkbookParts parts;
    if (!locateParts(package, parts, error))
        return false;
    SheetContext context;
    context.origin = parts.origin;
    if (!readSharedStrings(package, parts.sharedStrings, context.sharedStrings, error)
        || !readFormatKinds(package, parts.styles, context.formatKinds, error))
        return false;
    return readSheet(package, parts.sheet, context, rows, error);
}
