#include "XlsxWorkbookReader.h"

#include "WorkbookCellText.h"
#include "WorkbookPackage.h"
#include "WorkbookRows.h"

#include "XmlPullReader.h"

#include <QHash>

#include <cctype>
#include <charconv>

#include <vector>

namespace {

using WorkbookCellText::TNumberKind;

const QLatin1StringView RelationshipTypeSuffixes[] = {
    QLatin1StringView("/officeDocument"), QLatin1StringView("/sharedStrings"),
    QLatin1StringView("/styles")};
// The namespace of relationship identifiers, transitional and strict.
constexpr std::string_view RelationshipNamespaces[] = {
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships",
    "http://purl.oclc.org/ooxml/officeDocument/relationships"};

struct TWorkbookParts
{
    QString Sheet;
    QString SharedStrings;
    QString Styles;
    QDate Origin{1899, 12, 30};
};

// Everything but the cells: the shared strings and the number-format kind of every
// cell format, by the index a cell's "s" attribute names.
struct TSheetContext
{
    QStringList SharedStrings;
    std::vector<TNumberKind> FormatKinds;
    QDate Origin;
};

void SetError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

QString FolderOf(const QString &part)
{
    return part.left(part.lastIndexOf(u'/') + 1);
}

// A relationship's target as a part name: relative to the source part's folder, or
// from the package root when it starts with "/".
QString ResolveTarget(const QString &sourcePart, const QString &target)
{
    const QString path = target.startsWith(u'/') ? target.mid(1) : FolderOf(sourcePart) + target;
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

struct TRelationship
{
    QString Type;
    QString Target; // resolved part name
};

// The relationships of `part` by their identifiers; none when the package has no
// relationship part for it.
bool ReadRelationships(const TWorkbookPackage &package, const QString &part,
                       QHash<QString, TRelationship> &relationships, QString *error)
{
    const qsizetype slash = part.lastIndexOf(u'/');
    const QString relsPart = FolderOf(part) + QLatin1String("_rels/") + part.mid(slash + 1)
                             + QLatin1String(".rels");
    if (!package.Contains(relsPart))
        return true;
    return package.ReadXml(relsPart, error, [&](TXmlPullReader &reader) {
        while (!reader.AtEnd()) {
            if (reader.ReadNext() != TXmlPullReader::TToken::tkStartElement
                || reader.Name() != "Relationship"
                || reader.Attribute({}, "TargetMode") == QLatin1StringView("External"))
                continue;
            relationships.insert(reader.Attribute({}, "Id"),
                                 {reader.Attribute({}, "Type"),
                                  ResolveTarget(part, reader.Attribute({}, "Target"))});
        }
        return true;
    });
}

// The first relationship whose type ends in `suffix`.
QString TargetOfType(const QHash<QString, TRelationship> &relationships, QLatin1StringView suffix)
{
    for (const TRelationship &relationship : relationships)
        if (relationship.Type.endsWith(suffix))
            return relationship.Target;
    return QString();
}

bool LocateParts(const TWorkbookPackage &package, TWorkbookParts &parts, QString *error)
{
    QHash<QString, TRelationship> packageRelationships;
    if (!ReadRelationships(package, QString(), packageRelationships, error))
        return false;
    QString workbookPart = TargetOfType(packageRelationships, RelationshipTypeSuffixes[0]);
    if (workbookPart.isEmpty())
        workbookPart = QStringLiteral("xl/workbook.xml");
    QString firstSheetId;
    const bool read = package.ReadXml(workbookPart, error, [&](TXmlPullReader &reader) {
        while (!reader.AtEnd() && firstSheetId.isEmpty()) {
            if (reader.ReadNext() != TXmlPullReader::TToken::tkStartElement)
                continue;
            if (reader.Name() == "workbookPr") {
                const std::string_view date1904 = reader.RawAttribute({}, "date1904");
                if (date1904 == "1" || date1904 == "true")
                    parts.Origin = QDate(1904, 1, 1);
            } else if (reader.Name() == "sheet") {
                for (std::string_view ns : RelationshipNamespaces)
                    if (reader.HasAttribute(ns, "id"))
                        firstSheetId = reader.Attribute(ns, "id");
            }
        }
        return true;
    });
    if (!read)
        return false;
    QHash<QString, TRelationship> workbookRelationships;
    if (!ReadRelationships(package, workbookPart, workbookRelationships, error))
        return false;
    parts.Sheet = workbookRelationships.value(firstSheetId).Target;
    if (firstSheetId.isEmpty() || parts.Sheet.isEmpty()) {
        SetError(error, QStringLiteral("Die Arbeitsmappe enth\u00e4lt kein Tabellenblatt."));
        return false;
    }
    parts.SharedStrings = TargetOfType(workbookRelationships, RelationshipTypeSuffixes[1]);
    parts.Styles = TargetOfType(workbookRelationships, RelationshipTypeSuffixes[2]);
    return true;
}

// The text of a string item (<si>, <is>): its <t> pieces, rich-text runs included,
// phonetic hints left out. The reader stands on the item's start and ends on its end.
QString ReadStringItem(TXmlPullReader &reader)
{
    QString text;
    const size_t item = reader.Depth();
    while (reader.ReadInside(item)) {
        if (reader.Token() != TXmlPullReader::TToken::tkStartElement)
            continue;
        if (reader.Name() == "t")
            text += reader.ReadElementText();
        else if (reader.Name() == "rPh")
            reader.SkipCurrentElement();
    }
    return WorkbookCellText::DecodeEscapes(text);
}

bool ReadSharedStrings(const TWorkbookPackage &package, const QString &part, QStringList &strings,
                       QString *error)
{
    if (part.isEmpty())
        return true;
    return package.ReadXml(part, error, [&](TXmlPullReader &reader) {
        while (!reader.AtEnd()) {
            if (reader.ReadNext() == TXmlPullReader::TToken::tkStartElement && reader.Name() == "si")
                strings.append(ReadStringItem(reader));
        }
        return true;
    });
}

// A whole number written plainly, or `fallback`.
qint64 NumberOf(std::string_view text, qint64 fallback)
{
    qint64 value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() ? value : fallback;
}

bool ReadFormatKinds(const TWorkbookPackage &package, const QString &part,
                     std::vector<TNumberKind> &kinds, QString *error)
{
    if (part.isEmpty())
        return true;
    QHash<int, TNumberKind> customKinds;
    enum class TSection { scOther, scNumberFormats, scCellFormats } section = TSection::scOther;
    return package.ReadXml(part, error, [&](TXmlPullReader &reader) {
        while (!reader.AtEnd()) {
            const TXmlPullReader::TToken token = reader.ReadNext();
            const std::string_view name = reader.Name();
            if (token == TXmlPullReader::TToken::tkEndElement && (name == "numFmts" || name == "cellXfs"))
                section = TSection::scOther;
            if (token != TXmlPullReader::TToken::tkStartElement)
                continue;
            if (name == "numFmts") {
                section = TSection::scNumberFormats;
            } else if (name == "cellXfs") {
                section = TSection::scCellFormats;
            } else if (name == "numFmt" && section == TSection::scNumberFormats) {
                customKinds.insert(int(NumberOf(reader.RawAttribute({}, "numFmtId"), 0)),
                                   WorkbookCellText::KindOfFormatCode(reader.Attribute({}, "formatCode")));
            } else if (name == "xf" && section == TSection::scCellFormats) {
                const int id = int(NumberOf(reader.RawAttribute({}, "numFmtId"), 0));
                kinds.push_back(customKinds.value(id, WorkbookCellText::KindOfBuiltinFormat(id)));
            }
        }
        return true;
    });
}

// The 0-based column of a cell reference such as "AB12"; -1 when it has no letters.
qint64 ColumnOf(std::string_view reference)
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


struct TCellData
{
    std::string_view Type;
    int Style = 0;
    QString Value;
    bool HasValue = false;
    QString InlineText;
    bool HasInlineText = false;
};

// The protocol text of one cell, or std::nullopt with the reason in *reason.
std::optional<QString> CellText(const TCellData &cell, const TSheetContext &context, QString *reason)
{
    const std::string_view type = cell.Type;
    if (type == "inlineStr")
        return cell.HasInlineText ? cell.InlineText : WorkbookCellText::DecodeEscapes(cell.Value);
    if (!cell.HasValue)
        return QString(); // a formatted cell without a value, or a formula never calculated
    if (type.empty() || type == "n") {
        bool ok = false;
        const double number = QStringView(cell.Value).trimmed().toDouble(&ok);
        if (!ok) {
            *reason = QStringLiteral("\u201e%1\u201c ist keine Zahl.").arg(cell.Value);
            return std::nullopt;
        }
        const TNumberKind kind = cell.Style >= 0 && size_t(cell.Style) < context.FormatKinds.size()
                                     ? context.FormatKinds[size_t(cell.Style)]
                                     : TNumberKind::nkNumber;
        std::optional<QString> text = WorkbookCellText::Serial(number, kind, context.Origin);
        if (!text)
            *reason = QStringLiteral("Der Wert %1 ist als Zahl, Datum oder Zeit nicht darstellbar.")
                          .arg(cell.Value);
        return text;
    }
    if (type == "s") {
        bool ok = false;
        const int index = QStringView(cell.Value).trimmed().toInt(&ok);
        if (!ok || index < 0 || index >= context.SharedStrings.size()) {
            *reason = QStringLiteral("Der gemeinsame Text Nr. %1 fehlt.").arg(cell.Value);
            return std::nullopt;
        }
        return context.SharedStrings.at(index);
    }
    if (type == "str")
        return WorkbookCellText::DecodeEscapes(cell.Value);
    if (type == "b") {
        const QStringView value = QStringView(cell.Value).trimmed();
        if (value == QLatin1StringView("1") || value == QLatin1StringView("true"))
            return WorkbookCellText::Boolean(true);
        if (value == QLatin1StringView("0") || value == QLatin1StringView("false"))
            return WorkbookCellText::Boolean(false);
        *reason = QStringLiteral("\u201e%1\u201c ist kein Wahrheitswert.").arg(cell.Value);
        return std::nullopt;
    }
    if (type == "e")
        return WorkbookCellText::Error();
    if (type == "d") {
        std::optional<QString> text = WorkbookCellText::IsoDate(QStringView(cell.Value).trimmed());
        if (!text)
            *reason = QStringLiteral("\u201e%1\u201c ist kein Datum.").arg(cell.Value);
        return text;
    }
    *reason = QStringLiteral("Der Zelltyp \u201e%1\u201c ist unbekannt.")
                  .arg(QString::fromUtf8(type.data(), qsizetype(type.size())));
    return std::nullopt;
}

// Reads the cells of one <row>; the reader stands on its start and ends on its end.
bool ReadRow(TXmlPullReader &reader, qint64 row, const TSheetContext &context,
             TWorkbookRows &rows, QString *error)
{
    qint64 col = -1;
    while (reader.ReadNextStartElement()) {
        if (reader.Name() != "c") {
            reader.SkipCurrentElement();
            continue;
        }
        const qint64 named = ColumnOf(reader.RawAttribute({}, "r"));
        col = named >= 0 ? named : col + 1;
        if (!rows.Wants(col)) {
            reader.SkipCurrentElement();
            continue;
        }
        TCellData cell;
        cell.Type = reader.RawAttribute({}, "t");
        cell.Style = int(NumberOf(reader.RawAttribute({}, "s"), 0));
        while (reader.ReadNextStartElement()) {
            if (reader.Name() == "v") {
                cell.Value = reader.ReadElementText();
                cell.HasValue = true;
            } else if (reader.Name() == "is") {
                cell.InlineText = ReadStringItem(reader);
                cell.HasInlineText = true;
            } else {
                reader.SkipCurrentElement();
            }
        }
        if (reader.HasError())
            return true; // reported by the caller with the part's name
        QString reason;
        const std::optional<QString> text = CellText(cell, context, &reason);
        if (!text) {
            SetError(error, TWorkbookRows::CellError(row, col, reason));
            return false;
        }
        rows.SetCell(int(col), *text);
    }
    return true;
}

bool ReadSheet(const TWorkbookPackage &package, const QString &part, const TSheetContext &context,
               TWorkbookRows &rows, QString *error)
{
    return package.ReadXml(part, error, [&](TXmlPullReader &reader) {
        while (!reader.AtEnd()) {
            if (reader.ReadNext() == TXmlPullReader::TToken::tkStartElement && reader.Name() == "sheetData")
                break;
        }
        qint64 row = -1;
        while (!rows.Ended() && reader.ReadNextStartElement()) {
            if (reader.Name() != "row") {
                reader.SkipCurrentElement();
                continue;
            }
            const qint64 named = NumberOf(reader.RawAttribute({}, "r"), 0);
            row = named > 0 ? named - 1 : row + 1;
            if (!rows.BeginRow(row))
                break;
            if (!ReadRow(reader, row, context, rows, error))
                return false;
            rows.EndRow();
        }
        return true;
    });
}

} // namespace

bool TXlsxWorkbookReader::ReadFirstSheet(const TWorkbookPackage &package, TWorkbookRows &rows,
                                         QString *error)
{
    TWorkbookParts parts;
    if (!LocateParts(package, parts, error))
        return false;
    TSheetContext context;
    context.Origin = parts.Origin;
    if (!ReadSharedStrings(package, parts.SharedStrings, context.SharedStrings, error)
        || !ReadFormatKinds(package, parts.Styles, context.FormatKinds, error))
        return false;
    return ReadSheet(package, parts.Sheet, context, rows, error);
}
