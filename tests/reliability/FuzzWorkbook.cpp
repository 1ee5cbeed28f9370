// The workbook import on any bytes, on damaged copies of a workbook the program exported,
// and on damaged XML inside intact packages: an input that starts with "XLSX\n" or
// "ODS\n" is the XML of a worksheet (then, after a line "--", its shared strings and
// styles) or of an OpenDocument content part, packed here into a real package so that
// the mutations reach the XML readers and not only the zip layer. No crash, a reason for
// every failure, and rows of exactly the protocol's columns.
#include "FuzzScratch.h"
#include "WorkbookPackages.h"
#include "protocol/MemoryProtocolTable.h"
#include "protocol/ProtocolColumns.h"
#include "protocol/SpreadsheetBridge.h"
#include "protocol/WorkbookReader.h"

#include <QFile>

namespace {

using FuzzScratch::folder;

const std::string XlsxMarker = "XLSX\n";
const std::string OdsMarker = "ODS\n";
const QByteArray PartSeparator = "\n--\n";

std::string exportedWorkbook(int rows)
{
    MemoryProtocolTable table;
    for (int c = 0; c < table.colCount(); ++c)
        table.setCells(c, 0, ProtocolColumns::columnTitles().at(c));
    table.setRowCount(rows + 1);
    for (int r = 1; r <= rows; ++r) {
        table.setCells(0, r, QStringLiteral("%1").arg(r, 5, 10, QLatin1Char('0')));
        table.setCells(1, r, QStringLiteral("1:%1,25").arg(r % 60));
        table.setCells(2, r, r % 2 ? QStringLiteral("AUT") : QStringLiteral("Ö"));
        table.setCells(3, r, QString::number(r * 3));
        table.setCells(4, r, r % 3 ? QString() : QStringLiteral("DNF _x0041_"));
    }
    const QString path = folder().filePath(QStringLiteral("seed.xlsx"));
    if (!SpreadsheetBridge::exportToSpreadsheet(table, path, ProtocolColumns::applicationTitle()))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

// The package an input describes: itself, or its XML packed as .xlsx or .ods.
QByteArray package(const std::string &input)
{
    const QByteArray bytes(input.data(), qsizetype(input.size()));
    if (input.compare(0, OdsMarker.size(), OdsMarker) == 0)
        return WorkbookPackages::ods(bytes.mid(qsizetype(OdsMarker.size())));
    if (input.compare(0, XlsxMarker.size(), XlsxMarker) == 0) {
        const QList<QByteArray> parts = bytes.mid(qsizetype(XlsxMarker.size())).split('\n');
        QByteArray sheet, strings, styles;
        QByteArray *target = &sheet;
        for (const QByteArray &line : parts) {
            if (line == "--") {
                target = target == &sheet ? &strings : &styles;
                continue;
            }
            *target += line + '\n';
        }
        return WorkbookPackages::xlsx(sheet, strings, styles);
    }
    return bytes;
}

void checkRows(bool ok, const QString &error, const QList<QStringList> &rows)
{
    FUZZ_CHECK(ok || !error.isEmpty(), "a failed import without a reason");
    FUZZ_CHECK(!ok || !rows.isEmpty(), "an import without its first row");
    for (const QStringList &row : rows)
        FUZZ_CHECK(row.size() == ProtocolColumns::Count, "a row not as wide as the protocol");
}

} // namespace

extern "C" int llvmFuzzerInitialize(int *argc, char ***argv)
{
    // On Windows the isolated parse runs in this program, started again for it.
    if (const std::optional<int> served
        = serveIsolatedTask(*argc, *argv, {SpreadsheetBridge::workbookParseTask()}))
        std::exit(*served);
    return FuzzScratch::start(argc, argv);
}

void fuzzTeardown()
{
    FuzzScratch::stop();
}

std::vector<std::string> fuzzSeeds()
{
    std::vector<std::string> seeds{"", "PK\x03\x04", std::string("PK\x05\x06", 4) + std::string(18, '\0')};
    for (int rows : {1, 12})
        seeds.push_back(exportedWorkbook(rows));
    seeds.push_back(
        XlsxMarker
        + "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t xml:space=\"preserve\"> Nr._x0009_</t></is></c>"
          "<c r=\"B1\" t=\"s\"><v>0</v></c><c r=\"C1\" s=\"1\"><v>0.0175167824074074</v></c>"
          "<c r=\"D1\" s=\"2\"><v>45784.5</v></c><c r=\"E1\" t=\"b\"><v>1</v></c></row>\n"
          "<row><c t=\"e\"><v>#DIV/0!</v></c><c t=\"str\"><f>1</f><v>ab</v></c><c t=\"d\">"
          "<v>2025-05-07T09:05:30.45</v></c><c><v>1e20</v></c></row>\n--\n"
          "<si><r><t>fett</t></r><rPh><t>x</t></rPh></si><si><t>&amp;&#x20AC;</t></si>\n--\n"
          "<numFmts><numFmt numFmtId=\"164\" formatCode=\"[hh]:mm:ss.00\"/></numFmts>"
          "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/><xf numFmtId=\"22\"/></cellXfs>\n");
    seeds.push_back(
        OdsMarker
        + WorkbookPackages::odsContent(
              "<table:table-header-rows><table:table-row><table:table-cell office:value-type=\"string\">"
              "<text:p><text:s text:c=\"2\"/>Nr.<text:tab/><text:span>x</text:span></text:p>"
              "<text:p>2<text:line-break/></text:p></table:table-cell></table:table-row>"
              "</table:table-header-rows><table:table-row table:number-rows-repeated=\"3\">"
              "<table:table-cell office:value-type=\"time\" office:time-value=\"PT25H13M07.45S\"/>"
              "<table:table-cell office:value-type=\"date\" office:date-value=\"2025-05-07T09:05:30.45\"/>"
              "<table:table-cell table:number-columns-repeated=\"2\" office:value-type=\"percentage\" "
              "office:value=\"0.5\"/><table:covered-table-cell/><table:table-cell "
              "office:value-type=\"boolean\" office:boolean-value=\"true\"/></table:table-row>"
              "<table:table-row><table:table-cell table:formula=\"of:=1/0\" office:value-type=\"string\" "
              "office:string-value=\"\" calcext:value-type=\"error\"/><table:table-cell "
              "office:value-type=\"currency\" office:value=\"12.5\"/></table:table-row>"
              "<table:table-row table:number-rows-repeated=\"1048000\"><table:table-cell/></table:table-row>")
              .toStdString());
    return seeds;
}

extern "C" int llvmFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string input(reinterpret_cast<const char *>(data), size);
    const QByteArray packed = package(input);

    // In this process, where the sanitizers see the readers.
    QList<QStringList> rows;
    QString error;
    checkRows(WorkbookReader::parse(packed, ProtocolColumns::Count, rows, &error), error, rows);
    if (!rows.isEmpty() && rows.size() < 5000) {
        MemoryProtocolTable table;
        SpreadsheetBridge::applyWorkbookRows(table, rows);
        FUZZ_CHECK(table.rowCount() == rows.size(), "the table does not have the rows read");
    }

    // Now and then through the import as the program runs it, in its isolated process.
    if (size % 8 == 0) {
        const QString path = FuzzScratch::writeFile(QStringLiteral("input.xlsx"), packed);
        QList<QStringList> isolatedRows;
        QString isolatedError;
        const bool ok
            = SpreadsheetBridge::readWorkbook(path, ProtocolColumns::Count, isolatedRows, &isolatedError);
        checkRows(ok, isolatedError, isolatedRows);
    }
    return 0;
}
