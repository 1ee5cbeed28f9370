#include "TestMainServing.h"
#include "protocol/MemoryProtocolTable.h"
#include "protocol/ProtocolColumns.h"
#include "protocol/SpreadsheetBridge.h"
#include "protocol/WorkbookCellText.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <ixion/cell_access.hpp>
#include <ixion/model_context.hpp>
#include <memory>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/document.hpp>
#include <orcus/spreadsheet/factory.hpp>
#include <orcus/spreadsheet/sheet.hpp>
#include <orcus/spreadsheet/styles.hpp>
#include <orcus/zip_archive.hpp>
#include <orcus/zip_archive_stream.hpp>
#include <xlsxwriter.h>

using Rows = QList<QStringList>;

namespace {

// A workbook read back with the spreadsheet model, independent of the bridge's reader.
struct LoadedBook
{
    orcus::spreadsheet::document doc{orcus::spreadsheet::range_size_t{1048576, 16384}};

    explicit LoadedBook(const QString &fileName)
    {
        orcus::spreadsheet::import_factory factory(doc);
        orcus::orcus_xlsx loader(&factory);
        loader.read_file(QFile::encodeName(fileName).toStdString());
    }

    QString text(int row, int col) const
    {
        const ixion::cell_access cell
            = doc.get_model_context().get_cell_access(ixion::abs_address_t(0, row, col));
        if (cell.get_value_type() != ixion::cell_value_t::string)
            return QString();
        const std::string_view s = cell.get_string_value();
        return QString::fromUtf8(s.data(), qsizetype(s.size()));
    }

    const orcus::spreadsheet::cell_format_t *format(int row, int col) const
    {
        return doc.get_styles().get_cell_format(doc.get_sheet(0)->get_cell_format(row, col));
    }

    bool bold(int row, int col) const
    {
        const auto *xf = format(row, col);
        const auto *font = xf ? doc.get_styles().get_font(xf->font) : nullptr;
        return font && font->bold;
    }

    orcus::spreadsheet::border_style_t topBorder(int row, int col) const
    {
        const auto *xf = format(row, col);
        const auto *border = xf ? doc.get_styles().get_border(xf->border) : nullptr;
        return border ? border->top.style : orcus::spreadsheet::border_style_t::unknown;
    }
};

QByteArray zipEntry(const QString &fileName, const char *entry)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray bytes = file.readAll();
    orcus::zip_archive_stream_blob stream(reinterpret_cast<const uint8_t *>(bytes.constData()),
                                          size_t(bytes.size()));
    orcus::zip_archive archive(&stream);
    archive.load();
    std::vector<unsigned char> buffer;
    if (!archive.read_file_entry(entry, buffer))
        return QByteArray();
    return QByteArray(reinterpret_cast<const char *>(buffer.data()), qsizetype(buffer.size()));
}

struct BookCloser
{
    void operator()(lxw_workbook *book) const { workbook_close(book); }
};

} // namespace

class TestSpreadsheetBridge : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    static void fill(ProtocolTable &table, const Rows &rows)
    {
        table.setRowCount(rows.size());
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < rows[r].size(); ++c)
                table.setCells(c, r, rows[r][c]);
    }

private Q_SLOTS:
    void exportReadsBack()
    {
        MemoryProtocolTable table;
        fill(table,
             {ProtocolColumns::columnTitles(),
              {"00001", "9:05.12,34", QStringLiteral("\u00d6S"), "18", ""},
              {"", "", "", "", ""},
              {"00003", "1:00:00,00", "D", "4711", "DNF"}});
        const QString name = m_dir.filePath(QStringLiteral("export.xlsx"));
        QString error;
        QVERIFY2(SpreadsheetBridge::exportToSpreadsheet(table, name, QStringLiteral("Tivano"), &error),
                 qPrintable(error));

        LoadedBook book(name);
        QCOMPARE(book.doc.get_sheet_count(), size_t(1));
        QCOMPARE(book.doc.get_sheet_name(0), std::string_view("Tivano"));
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 5; ++c)
                QCOMPARE(book.text(r, c), table.cells(c, r));
        QVERIFY(book.bold(0, 0));
        QVERIFY(book.bold(0, 4));
        QVERIFY(!book.bold(1, 0));
        using orcus::spreadsheet::border_style_t;
        QCOMPARE(book.topBorder(0, 2), border_style_t::medium);
        QCOMPARE(book.topBorder(1, 1), border_style_t::thin);
        // The empty row is written too, with its borders.
        QCOMPARE(book.topBorder(2, 4), border_style_t::thin);

        const QByteArray core = zipEntry(name, "docProps/core.xml");
        QVERIFY(core.contains("<dc:creator>Korvano Software</dc:creator>"));
        QVERIFY(core.contains("<dc:subject>Tivano</dc:subject>"));

        // Columns are fitted to their longest text: "1:00:00,00" is wider than "Nr.".
        const QByteArray sheet = zipEntry(name, "xl/worksheets/sheet1.xml");
        QVERIFY(sheet.contains("<cols>"));
        const qsizetype col1 = sheet.indexOf("<col min=\"1\"");
        const qsizetype col2 = sheet.indexOf("<col min=\"2\"");
        QVERIFY(col1 >= 0 && col2 > col1);
        auto width = [&](qsizetype at) {
            const qsizetype w = sheet.indexOf("width=\"", at) + 7;
            return sheet.mid(w, sheet.indexOf('"', w) - w).toDouble();
        };
        QVERIFY(width(col2) > width(col1));
    }

    void exportThenImportRoundTrips()
    {
        MemoryProtocolTable table;
        fill(table,
             {ProtocolColumns::columnTitles(),
              {"00001", "1,00", "AT", "7", "ok"},
              {"00002", "2,00", "", "8", ""}});
        const QString name = m_dir.filePath(QStringLiteral("round.xlsx"));
        QVERIFY(SpreadsheetBridge::exportToSpreadsheet(table, name, QStringLiteral("Tivano")));
        Rows rows;
        QVERIFY(SpreadsheetBridge::readWorkbook(name, 5, rows));
        QCOMPARE(rows, table.rows());
    }

    void exportFailureLeavesNoFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("cellLength");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no such folder") << "no/folder/x.xlsx" << 10 << "";
        // The writing library's limit, said in German.
        QTest::newRow("a cell longer than a workbook holds")
            << "long.xlsx" << 32768
            << "Eine Zelle ist l\u00e4nger als die 32.767 Zeichen, die eine Arbeitsmappe fasst.";
    }

    void exportFailureLeavesNoFile()
    {
        QFETCH(QString, file);
        QFETCH(int, cellLength);
        QFETCH(QString, reason);
        MemoryProtocolTable table;
        table.setRowCount(2);
        table.setCells(ProtocolColumns::ColStartNumber, 1, QString(cellLength, QLatin1Char('7')));
        const QString name = m_dir.filePath(file);
        QString error;
        QVERIFY(!SpreadsheetBridge::exportToSpreadsheet(table, name, QStringLiteral("Tivano"), &error));
        QVERIFY(!error.isEmpty());
        if (!reason.isEmpty())
            QCOMPARE(error, reason);
        QVERIFY(!QFile::exists(name));
    }

    void importNumbersAndDates()
    {
        const QString name = m_dir.filePath(QStringLiteral("made.xlsx"));
        {
            std::unique_ptr<lxw_workbook, BookCloser> book(workbook_new(QFile::encodeName(name).constData()));
            lxw_worksheet *sheet = workbook_add_worksheet(book.get(), "Erste");
            lxw_worksheet *other = workbook_add_worksheet(book.get(), "Zweite");
            worksheet_write_string(other, 0, 0, "not this sheet", nullptr);
            lxw_format *date = workbook_add_format(book.get());
            format_set_num_format(date, "dd.mm.yyyy");
            lxw_format *time = workbook_add_format(book.get());
            format_set_num_format(time, "hh:mm:ss");
            lxw_format *builtinDate = workbook_add_format(book.get());
            format_set_num_format_index(builtinDate, 14);
            const char *titles[] = {"Nr.", "Zeit", "LKZ", "StNr.", "Stat", "Extra", "More"};
            for (int c = 0; c < 7; ++c)
                worksheet_write_string(sheet, 0, c, titles[c], nullptr);
            worksheet_write_number(sheet, 1, 0, 1, nullptr);
            worksheet_write_number(sheet, 1, 1, 12.5, nullptr);
            lxw_datetime day = {2025, 5, 7, 0, 0, 0};
            worksheet_write_datetime(sheet, 1, 2, &day, date);
            lxw_datetime clock = {0, 0, 0, 9, 5, 30};
            worksheet_write_datetime(sheet, 1, 3, &clock, time);
            worksheet_write_string(sheet, 1, 6, "ignored", nullptr);
            worksheet_write_string(sheet, 2, 0, "00002", nullptr);
            worksheet_write_number(sheet, 2, 1, -0.25, nullptr);
            lxw_datetime other2 = {2024, 12, 31, 0, 0, 0};
            worksheet_write_datetime(sheet, 2, 2, &other2, builtinDate);
            worksheet_write_boolean(sheet, 2, 3, 1, nullptr);
            worksheet_write_number(sheet, 2, 4, 1e20, nullptr);
            // Row 4 has an empty column A, which ends the table; row 5 is never read.
            worksheet_write_string(sheet, 3, 1, "gap", nullptr);
            worksheet_write_string(sheet, 4, 0, "after the gap", nullptr);
        }
        Rows rows;
        QString error;
        QVERIFY2(SpreadsheetBridge::readWorkbook(name, 5, rows, &error), qPrintable(error));
        const Rows expected{{"Nr.", "Zeit", "LKZ", "StNr.", "Stat"},
                            {"1", "12,5", "07.05.2025", "09:05:30", ""},
                            {"00002", "-0,25", "31.12.2024", "True", "100000000000000000000"}};
        QCOMPARE(rows, expected);

        MemoryProtocolTable table(5, 10);
        table.setCells(0, 9, QStringLiteral("old"));
        SpreadsheetBridge::applyWorkbookRows(table, rows);
        QCOMPARE(table.rowCount(), 3);
        QCOMPARE(table.lastResultRowFromTable(), 2);
        QCOMPARE(table.cells(3, 1), QStringLiteral("09:05:30"));
    }

    void importWithEmptyA1KeepsTitleRowOnly()
    {
        const QString name = m_dir.filePath(QStringLiteral("emptyA1.xlsx"));
        {
            std::unique_ptr<lxw_workbook, BookCloser> book(workbook_new(QFile::encodeName(name).constData()));
            lxw_worksheet *sheet = workbook_add_worksheet(book.get(), nullptr);
            worksheet_write_string(sheet, 0, 1, "Zeit", nullptr);
            worksheet_write_string(sheet, 1, 0, "00001", nullptr);
        }
        Rows rows;
        QVERIFY(SpreadsheetBridge::readWorkbook(name, 5, rows));
        QCOMPARE(rows, (Rows{{"", "Zeit", "", "", ""}}));
        MemoryProtocolTable table(5, 4);
        SpreadsheetBridge::applyWorkbookRows(table, rows);
        QCOMPARE(table.rowCount(), 1);
        QCOMPARE(table.cells(1, 0), QStringLiteral("Zeit"));
        // Empty title cells are not repaired by the import.
        QCOMPARE(table.cells(0, 0), QString());
    }

    // Every reason is German, the zip library's too, and said once.
    void notAWorkbook_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const QString noWorkbook = QStringLiteral("Die Datei ist keine Arbeitsmappe (.xlsx oder .ods).");
        QTest::newRow("protocol text") << QByteArray("Nr.\tStoppzeit\t\r\n00001\t1,00\t\r\n")
                                       << noWorkbook + QStringLiteral(" Die Datei ist kein Zip-Archiv.");
        QTest::newRow("empty") << QByteArray() << noWorkbook;
        QTest::newRow("truncated zip") << QByteArray("PK\x03\x04\x14\x00\x00\x00", 8)
                                       << noWorkbook + QStringLiteral(" Die Datei ist kein Zip-Archiv.");
    }

    void notAWorkbook()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        const QString name = m_dir.filePath(QStringLiteral("bad.xlsx"));
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        Rows rows{{"keep"}};
        QString error;
        QVERIFY(!SpreadsheetBridge::readWorkbook(name, 5, rows, &error));
        QCOMPARE(error, reason);
        QVERIFY(rows.isEmpty());
    }

    void truncatedRealWorkbook()
    {
        MemoryProtocolTable table;
        const QString name = m_dir.filePath(QStringLiteral("cut.xlsx"));
        QVERIFY(SpreadsheetBridge::exportToSpreadsheet(table, name, QStringLiteral("Tivano")));
        QFile file(name);
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.resize(file.size() / 2);
        file.close();
        Rows rows;
        QString error;
        QVERIFY(!SpreadsheetBridge::readWorkbook(name, 5, rows, &error));
        QVERIFY(!error.isEmpty());
    }

    void damagedWorkbookIsReportedAsDamage()
    {
        // A damaged workbook that once made a parsing library abort: its styles part fails
        // its checksum.
        const QString name = QStringLiteral(TIVANO_WORKBOOK_REGRESSIONS "/col-element-without-range.xlsx");
        QVERIFY(QFile::exists(name));
        Rows rows{{"keep"}};
        QString error;
        QVERIFY(!SpreadsheetBridge::readWorkbook(name, 5, rows, &error));
        QVERIFY2(error.contains(QStringLiteral("besch\u00e4digt")), qPrintable(error));
        QVERIFY(rows.isEmpty());

        // The import still works afterwards.
        MemoryProtocolTable table;
        const QString good = m_dir.filePath(QStringLiteral("after-crash.xlsx"));
        QVERIFY(SpreadsheetBridge::exportToSpreadsheet(table, good, QStringLiteral("Tivano")));
        QVERIFY2(SpreadsheetBridge::readWorkbook(good, 5, rows, &error), qPrintable(error));
        QCOMPARE(rows.size(), 1);
    }

    void numberText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("fraction") << 12.5 << QStringLiteral("12,5");
        QTest::newRow("whole") << 42.0 << QStringLiteral("42");
        QTest::newRow("negative") << -3.75 << QStringLiteral("-3,75");
        QTest::newRow("tiny") << 1.5e-7 << QStringLiteral("0,00000015");
        QTest::newRow("fifteen digits") << 0.1 + 0.2 << QStringLiteral("0,3");
    }

    void numberText()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(WorkbookCellText::number(value), text);
    }
};

TIVANO_GUILESS_TEST_MAIN_SERVING(TestSpreadsheetBridge, SpreadsheetBridge::workbookParseTask())
#include "tst_spreadsheetbridge.moc"
