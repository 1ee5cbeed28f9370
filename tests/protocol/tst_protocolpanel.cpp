#include "ProtocolFakes.h"
#include "TestMainServing.h"
#include "grid/SortGrid.h"
#include "protocol/GridProtocolTable.h"
#include "protocol/ProtocolAutosaver.h"
#include "protocol/ProtocolColumns.h"
#include "protocol/ProtocolFileCommands.h"
#include "protocol/ProtocolFiles.h"
#include "protocol/ProtocolPanel.h"
#include "protocol/ProtocolText.h"
#include "protocol/SpreadsheetBridge.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

QByteArray readFile(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestProtocolPanel : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ProtocolPanel> m_panel;
    std::unique_ptr<QTemporaryDir> m_dir;
    FakeShell m_shell;
    FakeDialogs m_dialogs;
    QStringList m_startNumbers;
    QStringList m_questions;
    QStringList m_errors;
    bool m_answerYes = true; // how the window's question is answered
    int m_autosaveEvents = 0;

    ProtocolPanel &panel() { return *m_panel; }
    ProtocolGrid &grid() { return *m_panel->grid(); }

    // One finish as the main window records it, with the next start number of the list.
    void finish(const QString &time, const QString &country)
    {
        panel().addFinish(time, country, m_startNumbers.isEmpty() ? QString() : m_startNumbers.takeFirst());
    }

    QStringList row(int row)
    {
        QStringList cells;
        for (int c = 0; c < grid().colCount(); ++c)
            cells.append(grid().cells(c, row));
        return cells;
    }

    void clickCell(int col, int row)
    {
        const QRect rect = grid().cellRect(col, row);
        QVERIFY(!rect.isEmpty());
        QTest::mouseClick(grid().viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QDir::setCurrent(m_dir->path());
        m_shell = FakeShell();
        m_shell.pdfName = m_dir->filePath(QStringLiteral("print.pdf"));
        m_dialogs = FakeDialogs();
        m_startNumbers = {QStringLiteral("18"), QStringLiteral("345")};
        m_questions.clear();
        m_errors.clear();
        m_answerYes = true;
        m_autosaveEvents = 0;

        m_panel = std::make_unique<ProtocolPanel>();
        panel().files().setShell(&m_shell);
        panel().files().setFileDialogs(&m_dialogs);
        panel().autosaver().setFolder(m_dir->path());
        panel().files().setWorkbookFolder(m_dir->filePath(QStringLiteral("books")));
        panel().setCountryCodes({QStringLiteral("GER"), QStringLiteral("AUT"), QStringLiteral("SUI")});
        connect(&panel(), &ProtocolPanel::clearRequested, this, [this] {
            m_questions.append(ProtocolPanel::ClearQuestion);
            if (m_answerYes)
                panel().clearProtocol();
        });
        connect(&panel(), &ProtocolPanel::errorOccurred, this,
                [this](const QString &message) { m_errors.append(message); });
        connect(&panel().autosaver(), &ProtocolAutosaver::failedChanged, this,
                [this] { ++m_autosaveEvents; });
        panel().resize(400, 300);
        panel().initProtocolTable();
        panel().updateProtocolCommands();
        panel().show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel()));
    }

    void cleanup()
    {
        m_panel.reset();
        QDir::setCurrent(QDir::tempPath());
        m_dir.reset();
    }

    void headingBar()
    {
        const QList<QToolButton *> buttons{panel().openButton(),    panel().saveButton(),
                                           panel().printButton(),   panel().restoreButton(),
                                           panel().webPageButton(), panel().spreadsheetButton(),
                                           panel().clearButton()};
        const QStringList hints{"Protokoll \u00f6ffnen",
                                "Protokoll speichern unter",
                                "Protokoll drucken",
                                "Protokoll wiederherstellen \u2026",
                                "Als Webseite",
                                "Datei in MS Excel",
                                "F8"};
        for (int i = 0; i < buttons.size(); ++i) {
            QCOMPARE(buttons[i]->size(), QSize(28, 28));
            QCOMPARE(buttons[i]->toolTip(), hints[i]);
            QVERIFY(!buttons[i]->accessibleName().isEmpty());
            QVERIFY(!buttons[i]->icon().isNull());
        }
        QCOMPARE(panel().headingLabel()->text(), QStringLiteral("Protokoll"));
        QCOMPARE(panel().headingLabel()->parentWidget()->height(), 41);
        // Load, save, print and restore at the left, the other three at the right edge.
        QVERIFY(panel().restoreButton()->geometry().right() < panel().headingLabel()->x());
        QVERIFY(panel().clearButton()->geometry().right() >= panel().width() - 4);
        QVERIFY(panel().webPageButton()->x() > panel().headingLabel()->geometry().right());
        QCOMPARE(row(0), ProtocolColumns::columnTitles());
        QCOMPARE(grid().rowCount(), 2);
        QCOMPARE(grid().fixedCols(), 0);
    }

    void columnLayoutFillsTheWidth()
    {
        QTRY_COMPARE(grid().columnWidth(4), 47);
        QCOMPARE(grid().columnWidth(0), 40);
        QCOMPARE(grid().columnWidth(2), 80);
        QCOMPARE(grid().columnWidth(3), 47);
        int total = grid().colCount();
        for (int c = 0; c < grid().colCount(); ++c)
            total += grid().columnWidth(c);
        QCOMPARE(total, grid().viewport()->width());
        panel().resize(600, 300);
        QTRY_COMPARE(grid().columnWidth(1), grid().viewport()->width() - 40 - 80 - 47 - 47 - 5);
        QTRY_COMPARE(grid().columnWidth(4), 47);
    }

    void resultRows()
    {
        QVERIFY(!panel().saveButton()->isEnabled());
        finish(QStringLiteral("9:05.12,34"), QStringLiteral("AT"));
        QCOMPARE(row(1), (QStringList{"00001", "9:05.12,34", "AT", "18", ""}));
        QCOMPARE(grid().rowCount(), 2);
        // One result: the commands stay off.
        for (QToolButton *b : {panel().saveButton(), panel().printButton(), panel().clearButton(),
                               panel().webPageButton(), panel().spreadsheetButton()})
            QVERIFY(!b->isEnabled());
        QVERIFY(panel().openButton()->isEnabled());

        // A new result's status starts empty, whatever the store held in its row.
        grid().setCells(4, 2, QStringLiteral("DNF"));
        finish(QStringLiteral("9:06.00,00"), QString());
        QCOMPARE(row(2), (QStringList{"00002", "9:06.00,00", "", "345", ""}));
        QCOMPARE(grid().rowCount(), 3);
        for (QToolButton *b : {panel().saveButton(), panel().printButton(), panel().clearButton(),
                               panel().webPageButton(), panel().spreadsheetButton()})
            QVERIFY(b->isEnabled());

        finish(QStringLiteral("9:07"), QStringLiteral("GER"));
        QCOMPARE(grid().cells(3, 3), QString());

        panel().setLastResultRow(123455);
        finish(QStringLiteral("1"), QString());
        QCOMPARE(grid().cells(0, 123456), QStringLiteral("123456"));
        QCOMPARE(grid().rowCount(), 123457);
    }

    void workbookCommandFollowsSupport()
    {
        FakeShell shell;
        shell.application = false; // a desktop without an application for workbooks
        panel().files().setShell(&shell);
        finish(QStringLiteral("1"), QString());
        finish(QStringLiteral("2"), QString());
        QVERIFY(panel().saveButton()->isEnabled());
        QVERIFY(!panel().spreadsheetButton()->isEnabled());
        panel().setExportEnabled(true);
        QVERIFY(!panel().spreadsheetButton()->isEnabled());
        // The program reads and writes workbooks itself: their types stay offered.
        panel().files().buildProtocolFileFilters(FileTypeNames());
        QCOMPARE(panel().files().fileFilters().openFilter(),
                 QStringLiteral(
                     "Textdatei (*.txt)|*.txt|MS Excel (*.xlsx)|*.xlsx|OpenDocument-Tabelle (*.ods)|*.ods"));
    }

    void exportCommandsWithoutRows()
    {
        QVERIFY(!panel().webPageButton()->isEnabled());
        panel().setExportEnabled(true);
        QVERIFY(panel().webPageButton()->isEnabled());
        QVERIFY(panel().spreadsheetButton()->isEnabled());
        QVERIFY(!panel().printButton()->isEnabled());
        panel().setExportEnabled(false);
        QVERIFY(!panel().webPageButton()->isEnabled());
        QVERIFY(!panel().spreadsheetButton()->isEnabled());
    }

    void clearAsksFirst_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<int>("rowsAfter");
        QTest::addColumn<int>("resultCountAfter");
        QTest::newRow("no") << false << 4 << 3;
        QTest::newRow("yes") << true << 2 << 0;
    }

    void clearAsksFirst()
    {
        QFETCH(bool, yes);
        QFETCH(int, rowsAfter);
        QFETCH(int, resultCountAfter);
        for (int i = 0; i < 3; ++i)
            finish(QStringLiteral("1:00"), QStringLiteral("AT"));
        m_answerYes = yes;
        QTest::mouseClick(panel().clearButton(), Qt::LeftButton);
        QCOMPARE(m_questions, QStringList{QStringLiteral("Zeitenprotokoll  l\u00f6schen?")});
        QCOMPARE(grid().rowCount(), rowsAfter);
        QCOMPARE(panel().lastResultRow(), resultCountAfter);
        QCOMPARE(row(0), ProtocolColumns::columnTitles());
        QCOMPARE(grid().cells(0, 1).isEmpty(), yes);
        QCOMPARE(panel().saveButton()->isEnabled(), !yes);
    }

    void resetEmptiesWithoutAsking()
    {
        for (int i = 0; i < 3; ++i)
            finish(QStringLiteral("1:00"), QStringLiteral("AT"));
        panel().resetProtocol();
        QVERIFY(m_questions.isEmpty());
        QCOMPARE(grid().rowCount(), 2);
        QCOMPARE(panel().lastResultRow(), 0);
        QCOMPARE(row(1), (QStringList{"", "", "", "", ""}));
        QVERIFY(!panel().saveButton()->isEnabled());
        finish(QStringLiteral("2:00"), QString());
        QCOMPARE(grid().cells(0, 1), QStringLiteral("00001"));
    }

    void autosaveRoundTrip()
    {
        finish(QStringLiteral("9:05.12,34"), QStringLiteral("\u00d6S"));
        finish(QStringLiteral("9:06"), QString());
        QVERIFY(panel().autosaver().autosave());
        const QString name = m_dir->filePath(QStringLiteral("Tivano.txt"));
        QCOMPARE(panel().autosaver().fileName(), name);
        QCOMPARE(readFile(name),
                 QByteArray("Nr.\tStoppzeit\tLKZ\tStNr.\tStat\t\r\n"
                            "00001\t9:05.12,34\t\xd6S\t18\t \t\r\n"
                            "00002\t9:06\t \t345\t \t\r\n"));

        ProtocolPanel next;
        next.autosaver().setFolder(m_dir->path());
        next.initProtocolTable();
        next.loadAutosave();
        QCOMPARE(next.lastResultRow(), 2);
        QCOMPARE(next.grid()->rowCount(), 3);
        QCOMPARE(next.grid()->cells(2, 1), QStringLiteral("\u00d6S"));
        QCOMPARE(next.grid()->fixedCols(), 1);
        QCOMPARE(next.grid()->selection(), (GridRect{1, 2, 4, 2}));
        QVERIFY(next.webPageButton()->isEnabled());
    }

    void failingAutosaveWarnsUntilItWorksAgain()
    {
        finish(QStringLiteral("1"), QString());
        QVERIFY(panel().autosaver().autosave());
        const QByteArray before = readFile(panel().autosaver().fileName());
        // A folder of the autosave file's name makes the write fail.
        const QString blocked = m_dir->filePath(QStringLiteral("blocked"));
        QVERIFY(QDir().mkpath(blocked + QStringLiteral("/Tivano.txt/x")));
        panel().autosaver().setFolder(blocked);
        finish(QStringLiteral("2"), QString());
        QVERIFY(!panel().autosaver().autosave());
        QVERIFY(panel().autosaver().failed());
        QTRY_VERIFY(panel().autosaveWarningLabel()->isVisible());
        QVERIFY(panel().autosaveWarningLabel()->text().contains(QStringLiteral("blocked")));
        QCOMPARE(m_autosaveEvents, 1);
        QVERIFY(m_errors.isEmpty());
        QVERIFY(!panel().autosaver().autosave());
        QCOMPARE(m_autosaveEvents, 1);

        panel().autosaver().setFolder(m_dir->path());
        QVERIFY(panel().autosaver().autosave());
        QVERIFY(!panel().autosaver().failed());
        QVERIFY(!panel().autosaveWarningLabel()->isVisible());
        QCOMPARE(m_autosaveEvents, 2);
        QVERIFY(readFile(panel().autosaver().fileName()) != before);
    }

    void saveCommandDispatchesByType_data()
    {
        QTest::addColumn<int>("filterIndex");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("text, no extension") << 1 << "result"
                                            << "result.txt" << QByteArray("Nr.\t");
        QTest::newRow("workbook") << 2 << "result"
                                  << "result.xlsx" << QByteArray("PK");
        QTest::newRow("web page") << 3 << "result"
                                  << "result.html" << QByteArray("<HTML>\r\n");
        QTest::newRow("type wins over extension") << 3 << "result.txt"
                                                  << "result.txt" << QByteArray("<HTML>\r\n");
    }

    void saveCommandDispatchesByType()
    {
        QFETCH(int, filterIndex);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QFETCH(QByteArray, start);
        finish(QStringLiteral("1"), QString());
        finish(QStringLiteral("2"), QString());
        m_dialogs.answer = m_dir->filePath(typed);
        m_dialogs.chosenIndex = filterIndex;
        QTest::mouseClick(panel().saveButton(), Qt::LeftButton);
        QCOMPARE(m_dialogs.presetIndex, 2);
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d-\\d\\d-\\d\\d$"))
                     .match(m_dialogs.presetName)
                     .hasMatch(),
                 qPrintable(m_dialogs.presetName));
        QCOMPARE(m_dialogs.offeredTypes.size(), 3);
        QVERIFY(readFile(m_dir->filePath(written)).startsWith(start));
        QCOMPARE(panel().files().saveTypeIndex(), filterIndex);
        QVERIFY(m_errors.isEmpty());
    }

    // A save writes the text kept for the autosave; it must be the protocol as it stands
    // after any kind of change, not the text of an earlier state.
    void aSaveWritesTheProtocolAsItStands_data()
    {
        QTest::addColumn<std::function<void(TestProtocolPanel &)>>("change");
        QTest::newRow("finishes") << std::function(
            [](TestProtocolPanel &test) { test.finish(QStringLiteral("2"), QStringLiteral("AUT")); });
        QTest::newRow("a cell typed over") << std::function(
            [](TestProtocolPanel &test) { test.grid().setCells(2, 1, QStringLiteral("SUI")); });
        QTest::newRow("rows cut") << std::function(
            [](TestProtocolPanel &test) { test.grid().setRowCount(2); });
        QTest::newRow("a finish after a cell typed over") << std::function([](TestProtocolPanel &test) {
            test.grid().setCells(1, 1, QStringLiteral("0:59"));
            test.finish(QStringLiteral("3"), QString());
        });
        QTest::newRow("cleared") << std::function([](TestProtocolPanel &test) { test.panel().clearTable(); });
    }

    void aSaveWritesTheProtocolAsItStands()
    {
        QFETCH(std::function<void(TestProtocolPanel &)>, change);
        finish(QStringLiteral("1"), QStringLiteral("GER"));
        finish(QStringLiteral("1:30"), QString());
        const QString name = m_dir->filePath(QStringLiteral("saved.txt"));
        QVERIFY(panel().files().saveProtocolText(name));
        change(*this);
        QVERIFY(panel().files().saveProtocolText(name));
        QCOMPARE(readFile(name), ProtocolText::encode(GridProtocolTable(&grid())));
        QVERIFY(m_errors.isEmpty());
    }

    void cancelledSaveWritesNothing()
    {
        finish(QStringLiteral("1"), QString());
        finish(QStringLiteral("2"), QString());
        m_dialogs.answer = m_dir->filePath(QStringLiteral("never"));
        m_dialogs.accept = false;
        panel().files().setSaveTypeIndex(1);
        panel().files().saveAs();
        QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("never.txt"))));
        QCOMPARE(panel().files().saveTypeIndex(), 1);
    }

    void failedSaveAsIsReported()
    {
        finish(QStringLiteral("1"), QString());
        finish(QStringLiteral("2"), QString());
        const QString name = m_dir->filePath(QStringLiteral("missing/result.txt"));
        m_dialogs.answer = name;
        m_dialogs.chosenIndex = 1;
        panel().files().saveAs();
        QCOMPARE(m_errors.size(), 1);
        // The file name, then the reason.
        const QString prefix = QStringLiteral("Der Schreibfehler der Datei: ")
            + QDir::toNativeSeparators(name) + QLatin1Char('\n');
        QVERIFY2(m_errors[0].startsWith(prefix) && m_errors[0].size() > prefix.size(),
                 qPrintable(m_errors[0]));
    }

    void loadCommandDispatchesByType()
    {
        finish(QStringLiteral("1"), QString());
        finish(QStringLiteral("2"), QString());
        // A workbook under a .txt name, opened with the workbook type.
        const QString book = m_dir->filePath(QStringLiteral("book.txt"));
        QVERIFY(panel().files().exportToSpreadsheet(book, false));
        m_dialogs.answer = book;
        m_dialogs.chosenIndex = 2;
        QCOMPARE(panel().files().fileFilters().openTypes.at(1).kind, ProtocolFileKind::Spreadsheet);
        grid().setRowCount(6);
        QTest::mouseClick(panel().openButton(), Qt::LeftButton);
        QVERIFY(m_errors.isEmpty());
        QCOMPARE(grid().rowCount(), 3);
        QCOMPARE(panel().lastResultRow(), 2);
        QCOMPARE(row(2), (QStringList{"00002", "2", "", "345", ""}));

        // Protocol text opened with the workbook type goes to the workbook import and fails.
        const QString text = m_dir->filePath(QStringLiteral("protocol.txt"));
        QVERIFY(panel().files().saveProtocolText(text));
        finish(QStringLiteral("3"), QString());
        m_dialogs.answer = text;
        panel().files().openFile();
        QCOMPARE(m_errors.size(), 1);
        QVERIFY(m_errors[0].contains(text));
        QCOMPARE(grid().rowCount(), 4);

        // The same file with the text type loads.
        m_dialogs.chosenIndex = 1;
        grid().setRowCount(2);
        panel().files().openFile();
        QCOMPARE(grid().rowCount(), 3);
        QCOMPARE(panel().lastResultRow(), 2);
    }

    void damagedWorkbookKeepsTheProtocol()
    {
        finish(QStringLiteral("1"), QString());
        finish(QStringLiteral("2"), QString());
        const QStringList before = row(2);
        m_dialogs.answer = QStringLiteral(TIVANO_WORKBOOK_REGRESSIONS "/col-element-without-range.xlsx");
        m_dialogs.chosenIndex = 2;
        QTest::mouseClick(panel().openButton(), Qt::LeftButton);
        QCOMPARE(m_errors.size(), 1);
        QVERIFY2(m_errors[0].contains(QStringLiteral("besch\u00e4digt")), qPrintable(m_errors[0]));
        QCOMPARE(grid().rowCount(), 3);
        QCOMPARE(panel().lastResultRow(), 2);
        QCOMPARE(row(2), before);
    }

    void importWithEmptyA1()
    {
        finish(QStringLiteral("1"), QString());
        finish(QStringLiteral("2"), QString());
        grid().setCells(0, 0, QString());
        const QString book = m_dir->filePath(QStringLiteral("a1.xlsx"));
        QVERIFY(panel().files().exportToSpreadsheet(book, false));
        QVERIFY(panel().files().importFromSpreadsheet(book));
        QVERIFY(grid().rowCount() <= 2);
        QCOMPARE(m_errors, QStringList{QStringLiteral("Rowsize too small")});
        QCOMPARE(grid().cells(1, 0), QStringLiteral("Stoppzeit"));
        QCOMPARE(grid().cells(0, 0), QString());
    }

    void spreadsheetCommandOpensWorkbook()
    {
        finish(QStringLiteral("1"), QString());
        finish(QStringLiteral("2"), QString());
        QTest::mouseClick(panel().spreadsheetButton(), Qt::LeftButton);
        QCOMPARE(m_shell.opened.size(), 1);
        QVERIFY(m_shell.opened[0].startsWith(m_dir->filePath(QStringLiteral("books/"))));
        QVERIFY(m_shell.opened[0].endsWith(QStringLiteral(".xlsx")));
        QVERIFY(readFile(m_shell.opened[0]).startsWith("PK"));
        panel().files().openInSpreadsheet();
        QCOMPARE(m_shell.opened.size(), 2);
        QVERIFY(m_shell.opened[1] != m_shell.opened[0]);
    }

    void webPageCommand()
    {
        finish(QStringLiteral("1:02.03,04"), QStringLiteral("A&B"));
        finish(QStringLiteral("2"), QString());
        QTest::mouseClick(panel().webPageButton(), Qt::LeftButton);
        const QString page = QDir::current().absoluteFilePath(ProtocolFiles::protocolPageFileName());
        QCOMPARE(m_shell.opened, QStringList{page});
        const QByteArray bytes = readFile(page);
        QVERIFY(bytes.contains("<tr><td>00001<td>1:02.03.04<td>A&amp;B<td>18<td></tr>\r\n"));
    }

    void webPageFailureIsReported()
    {
        const QString page = ProtocolFiles::protocolPageFileName();
        QVERIFY(QDir().mkpath(page + QStringLiteral("/x")));
        panel().files().publishPage();
        QCOMPARE(m_errors.size(), 1);
        QVERIFY2(m_errors[0].startsWith(QStringLiteral("Der Schreibfehler der Datei: ")
                                        + QDir::toNativeSeparators(page) + QLatin1Char('\n')),
                 qPrintable(m_errors[0]));
        QVERIFY(m_shell.opened.isEmpty());
    }

    void printCommandPrintsThePage()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext is not installed");
        finish(QStringLiteral("1:02.03,04"), QStringLiteral("GER"));
        finish(QStringLiteral("0:59.00,10"), QStringLiteral("AUT"));
        QTest::mouseClick(panel().printButton(), Qt::LeftButton);
        QCOMPARE(m_shell.printerQuestions, 1);
        QVERIFY(QFileInfo(m_shell.pdfName).size() > 0);
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {m_shell.pdfName, QStringLiteral("-")});
        QVERIFY(pdftotext.waitForFinished(30000));
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
        QVERIFY2(text.contains(QStringLiteral("Zeitenprotokoll")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("1:02.03.04")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("0:59.00.10")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("AUT")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Stoppzeit")), qPrintable(text));
    }

    void cancelledPrintPrintsNothing()
    {
        finish(QStringLiteral("1"), QString());
        finish(QStringLiteral("2"), QString());
        m_shell.acceptPrinter = false;
        panel().files().printPage();
        QCOMPARE(m_shell.printerQuestions, 1);
        QVERIFY(!QFile::exists(m_shell.pdfName));
    }

    void cellFormat_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<bool>("combobox");
        QTest::newRow("Nr. data") << 0 << 1 << int(HorizontalAlignment::Right) << false;
        QTest::newRow("time data") << 1 << 3 << int(HorizontalAlignment::Right) << false;
        QTest::newRow("LKZ data") << 2 << 1 << int(HorizontalAlignment::Left) << true;
        QTest::newRow("StNr. data") << 3 << 2 << int(HorizontalAlignment::Right) << false;
        QTest::newRow("Stat data") << 4 << 1 << int(HorizontalAlignment::Center) << false;
        QTest::newRow("Nr. title") << 0 << 0 << int(HorizontalAlignment::Left) << false;
        QTest::newRow("LKZ title") << 2 << 0 << int(HorizontalAlignment::Left) << true;
        QTest::newRow("Stat title") << 4 << 0 << int(HorizontalAlignment::Center) << false;
    }

    void cellFormat()
    {
        QFETCH(int, col);
        QFETCH(int, row);
        QFETCH(int, alignment);
        QFETCH(bool, combobox);
        const CellFormat format = grid().cellFormat(col, row, GridDrawState());
        QCOMPARE(int(format.alignmentHorz), alignment);
        QCOMPARE(format.comboBox, combobox);
        QVERIFY(!format.checkBox);
        QVERIFY(!format.ellipsis);
    }

    void clickOnNumberOrTimeSelectsTheRow_data()
    {
        QTest::addColumn<int>("col");
        QTest::newRow("Nr.") << 0;
        QTest::newRow("Stoppzeit") << 1;
    }

    void clickOnNumberOrTimeSelectsTheRow()
    {
        QFETCH(int, col);
        finish(QStringLiteral("1"), QString());
        finish(QStringLiteral("2"), QString());
        finish(QStringLiteral("3"), QString());
        grid().setFixedCols(0);
        clickCell(3, 1);
        QCOMPARE(grid().currentCol(), 3);
        QCOMPARE(grid().currentRow(), 1);
        clickCell(col, 2);
        QCOMPARE(grid().selection(), (GridRect{1, 2, 4, 2}));
        // The row shows as selected; the cell cursor stays where it was.
        QCOMPARE(grid().currentCol(), 3);
        QCOMPARE(grid().currentRow(), 1);
        QVERIFY(!grid().editorShowing());
        clickCell(4, 3);
        QCOMPARE(grid().currentCol(), 4);
        QCOMPARE(grid().currentRow(), 3);
    }

    void countryPickList()
    {
        finish(QStringLiteral("1"), QStringLiteral("GER"));
        finish(QStringLiteral("2"), QStringLiteral("GER"));
        QVERIFY(grid().showComboList(2, 2));
        QListWidget *list = grid().comboList();
        QTRY_VERIFY(list->isVisible());
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(0)->text(), QStringLiteral("GER"));
        QCOMPARE(list->item(2)->text(), QStringLiteral("SUI"));
        const QRect item = list->visualItemRect(list->item(2));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, item.center());
        QTRY_COMPARE(grid().cells(2, 2), QStringLiteral("SUI"));
        QCOMPARE(grid().cells(2, 1), QStringLiteral("GER"));
    }

    void emptyPickList()
    {
        panel().setCountryCodes({});
        finish(QStringLiteral("1"), QStringLiteral("X"));
        grid().showComboList(2, 1);
        QCOMPARE(grid().comboList()->count(), 0);
        QCOMPARE(grid().cells(2, 1), QStringLiteral("X"));
    }

    void selectAllAndCopy()
    {
        finish(QStringLiteral("1,5"), QStringLiteral("GER"));
        QVERIFY(!panel().selectAllAction()->isEnabled());
        finish(QStringLiteral("2,5"), QString());
        QVERIFY(panel().selectAllAction()->isEnabled());
        panel().selectAllAction()->trigger();
        QCOMPARE(grid().selection(), (GridRect{1, 1, 4, 2}));
        panel().copyAction()->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("1,5\tGER\t18\t\r\n2,5\t\t345\t\r\n"));
    }

    void pickListOnlyWhileEditing()
    {
        grid().setOptions(grid().options() & ~GridOptions(GridOption::Editing));
        QVERIFY(grid().comboChoices(2, 1).items.isEmpty());
        grid().setOptions(grid().options() | GridOption::Editing);
        const ComboChoices choices = grid().comboChoices(2, 1);
        QCOMPARE(choices.items, panel().countryCodes());
        QCOMPARE(choices.items.size(), 3);
        QVERIFY(!choices.sorted);
    }
};

TIVANO_TEST_MAIN_SERVING(TestProtocolPanel, SpreadsheetBridge::workbookParseTask())
#include "tst_protocolpanel.moc"
