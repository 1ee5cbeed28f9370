#include "ProtocolColumns.h"
#include "ProtocolFakes.h"
#include "ProtocolFiles.h"
#include "ProtocolPanel.h"
#include "SortGrid.h"
#include "SpreadsheetBridge.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QAction>
#include <QListWidget>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

QByteArray ReadFile(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestProtocolPanel : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TProtocolPanel> FPanel;
    std::unique_ptr<QTemporaryDir> FDir;
    FakeShell FShell;
    FakeDialogs FDialogs;
    QStringList FStartNumbers;
    QStringList FQuestions;
    QStringList FErrors;
    int FAnswer = 6;
    int FAutosaveEvents = 0;

    TProtocolPanel &Panel() { return *FPanel; }
    TSortGrid &Grid() { return *FPanel->SortGrid1; }

    // One finish as the race clock records it.
    void Finish(const QString &time, const QString &country)
    {
        Panel().setResultCount(Panel().ResultCount() + 1);
        Panel().AddResultRow(time, country);
        Grid().setFixedCols(1);
    }

    QStringList Row(int row)
    {
        QStringList cells;
        for (int c = 0; c < Grid().ColCount(); ++c)
            cells.append(Grid().Cells(c, row));
        return cells;
    }

    void ClickCell(int col, int row)
    {
        const QRect rect = Grid().CellRect(col, row);
        QVERIFY(!rect.isEmpty());
        QTest::mouseClick(Grid().viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    }

private Q_SLOTS:
    void init()
    {
        FDir = std::make_unique<QTemporaryDir>();
        QDir::setCurrent(FDir->path());
        FShell = FakeShell();
        FShell.PdfName = FDir->filePath(QStringLiteral("print.pdf"));
        FDialogs = FakeDialogs();
        FStartNumbers = {QStringLiteral("18"), QStringLiteral("345")};
        FQuestions.clear();
        FErrors.clear();
        FAnswer = 6;
        FAutosaveEvents = 0;

        FPanel = std::make_unique<TProtocolPanel>();
        Panel().setShell(&FShell);
        Panel().setFileDialogs(&FDialogs);
        Panel().setAutosaveFolder(FDir->path());
        Panel().setWorkbookFolder(FDir->filePath(QStringLiteral("books")));
        Panel().setCountryCodes({QStringLiteral("GER"), QStringLiteral("AUT"), QStringLiteral("SUI")});
        Panel().TakeNextStartNumber = [this] {
            return FStartNumbers.isEmpty() ? QString() : FStartNumbers.takeFirst();
        };
        Panel().AskYesNo = [this](const QString &question) {
            FQuestions.append(question);
            return FAnswer;
        };
        Panel().ShowError = [this](const QString &message) { FErrors.append(message); };
        Panel().OnAutosaveStateChanged = [this](TProtocolPanel *) { ++FAutosaveEvents; };
        Panel().resize(400, 300);
        Panel().InitProtocolTable();
        Panel().UpdateProtocolCommands();
        Panel().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Panel()));
    }

    void cleanup()
    {
        FPanel.reset();
        QDir::setCurrent(QDir::tempPath());
        FDir.reset();
    }

    void headingBar()
    {
        const QList<QToolButton *> buttons{Panel().sbLoad, Panel().sbSave, Panel().sbPrint,
                                           Panel().sbHTML, Panel().sbExcel, Panel().sbCLS};
        const QStringList hints{"Protokoll \u00f6ffnen", "Protokoll speichern unter",
                                "Protokoll drucken", "Als Webseite", "Datei in MS Excel", "F8"};
        for (int i = 0; i < buttons.size(); ++i) {
            QCOMPARE(buttons[i]->size(), QSize(36, 36));
            QCOMPARE(buttons[i]->toolTip(), hints[i]);
            QVERIFY(!buttons[i]->accessibleName().isEmpty());
            QVERIFY(!buttons[i]->icon().isNull());
        }
        QCOMPARE(Panel().LabelProtokoll->text(), QStringLiteral("Protokoll"));
        QCOMPARE(Panel().LabelProtokoll->parentWidget()->height(), 41);
        // Load, save and print at the left, the other three at the right edge.
        QVERIFY(Panel().sbPrint->x() < Panel().LabelProtokoll->x());
        QVERIFY(Panel().sbCLS->geometry().right() >= Panel().width() - 4);
        QVERIFY(Panel().sbHTML->x() > Panel().LabelProtokoll->geometry().right());
        QCOMPARE(Row(0), ProtocolColumns::ColumnTitles());
        QCOMPARE(Grid().RowCount(), 2);
        QCOMPARE(Grid().FixedCols(), 0);
    }

    void columnLayoutFillsTheWidth()
    {
        QTRY_COMPARE(Grid().ColWidths(4), 47);
        QCOMPARE(Grid().ColWidths(0), 40);
        QCOMPARE(Grid().ColWidths(2), 80);
        QCOMPARE(Grid().ColWidths(3), 47);
        int total = Grid().ColCount();
        for (int c = 0; c < Grid().ColCount(); ++c)
            total += Grid().ColWidths(c);
        QCOMPARE(total, Grid().viewport()->width());
        Panel().resize(600, 300);
        QTRY_COMPARE(Grid().ColWidths(1), Grid().viewport()->width() - 40 - 80 - 47 - 47 - 5);
        QTRY_COMPARE(Grid().ColWidths(4), 47);
    }

    void resultRows()
    {
        QVERIFY(!Panel().sbSave->isEnabled());
        Finish(QStringLiteral("9:05.12,34"), QStringLiteral("AT"));
        QCOMPARE(Row(1), (QStringList{"00001", "9:05.12,34", "AT", "18", ""}));
        QCOMPARE(Grid().RowCount(), 2);
        // One result: the commands stay off.
        for (QToolButton *b : {Panel().sbSave, Panel().sbPrint, Panel().sbCLS, Panel().sbHTML,
                               Panel().sbExcel})
            QVERIFY(!b->isEnabled());
        QVERIFY(Panel().sbLoad->isEnabled());

        // A new result's status starts empty, whatever the store held in its row.
        Grid().setCells(4, 2, QStringLiteral("DNF"));
        Finish(QStringLiteral("9:06.00,00"), QString());
        QCOMPARE(Row(2), (QStringList{"00002", "9:06.00,00", "", "345", ""}));
        QCOMPARE(Grid().RowCount(), 3);
        for (QToolButton *b : {Panel().sbSave, Panel().sbPrint, Panel().sbCLS, Panel().sbHTML,
                               Panel().sbExcel})
            QVERIFY(b->isEnabled());

        Finish(QStringLiteral("9:07"), QStringLiteral("GER"));
        QCOMPARE(Grid().Cells(3, 3), QString());

        Panel().setResultCount(123455);
        Finish(QStringLiteral("1"), QString());
        QCOMPARE(Grid().Cells(0, 123456), QStringLiteral("123456"));
        QCOMPARE(Grid().RowCount(), 123457);
    }

    void workbookCommandFollowsSupport()
    {
        // A desktop without an application for workbooks.
        struct NoApplicationShell : FakeShell
        {
            void FindApplication(const QString &, std::function<void(bool)> answer) override
            {
                answer(false);
            }
        } shell;
        Panel().setShell(&shell);
        Finish(QStringLiteral("1"), QString());
        Finish(QStringLiteral("2"), QString());
        QVERIFY(Panel().sbSave->isEnabled());
        QVERIFY(!Panel().sbExcel->isEnabled());
        Panel().EnableExportCommands(false);
        QVERIFY(!Panel().sbExcel->isEnabled());
        // The program reads and writes workbooks itself: their types stay offered.
        Panel().BuildProtocolFileFilters(FileTypeNames());
        QCOMPARE(Panel().FileFilters().OpenFilter(),
                 QStringLiteral("Textdatei (*.txt)|*.txt|MS Excel (*.xlsx)|*.xlsx|OpenDocument-Tabelle (*.ods)|*.ods"));
    }

    void exportCommandsWithoutRows()
    {
        QVERIFY(!Panel().sbHTML->isEnabled());
        Panel().EnableExportCommands(false);
        QVERIFY(Panel().sbHTML->isEnabled());
        QVERIFY(Panel().sbExcel->isEnabled());
        QVERIFY(!Panel().sbPrint->isEnabled());
        Panel().EnableExportCommands(true);
        QVERIFY(!Panel().sbHTML->isEnabled());
        QVERIFY(!Panel().sbExcel->isEnabled());
    }

    void clearAsksFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("rowsAfter");
        QTest::addColumn<int>("resultCountAfter");
        QTest::newRow("no") << 2 << 4 << 3;
        QTest::newRow("yes") << 6 << 2 << 0;
    }

    void clearAsksFirst()
    {
        QFETCH(int, answer);
        QFETCH(int, rowsAfter);
        QFETCH(int, resultCountAfter);
        for (int i = 0; i < 3; ++i)
            Finish(QStringLiteral("1:00"), QStringLiteral("AT"));
        FAnswer = answer;
        QTest::mouseClick(Panel().sbCLS, Qt::LeftButton);
        QCOMPARE(FQuestions, QStringList{QStringLiteral("Zeitenprotokoll  l\u00f6schen?")});
        QCOMPARE(Grid().RowCount(), rowsAfter);
        QCOMPARE(Panel().ResultCount(), resultCountAfter);
        QCOMPARE(Row(0), ProtocolColumns::ColumnTitles());
        QCOMPARE(Grid().Cells(0, 1).isEmpty(), answer == 6);
        QCOMPARE(Panel().sbSave->isEnabled(), answer != 6);
    }

    void resetEmptiesWithoutAsking()
    {
        for (int i = 0; i < 3; ++i)
            Finish(QStringLiteral("1:00"), QStringLiteral("AT"));
        Panel().ResetProtocol();
        QVERIFY(FQuestions.isEmpty());
        QCOMPARE(Grid().RowCount(), 2);
        QCOMPARE(Panel().ResultCount(), 0);
        QCOMPARE(Row(1), (QStringList{"", "", "", "", ""}));
        QVERIFY(!Panel().sbSave->isEnabled());
        Finish(QStringLiteral("2:00"), QString());
        QCOMPARE(Grid().Cells(0, 1), QStringLiteral("00001"));
    }

    void autosaveRoundTrip()
    {
        Finish(QStringLiteral("9:05.12,34"), QStringLiteral("\u00d6S"));
        Finish(QStringLiteral("9:06"), QString());
        QVERIFY(Panel().Autosave());
        const QString name = FDir->filePath(QStringLiteral("Tivano.txt"));
        QCOMPARE(Panel().AutosaveFileName(), name);
        QCOMPARE(ReadFile(name), QByteArray("Nr.\tStoppzeit\tLKZ\tStNr.\tStat\t\r\n"
                                            "00001\t9:05.12,34\t\xd6S\t18\t \t\r\n"
                                            "00002\t9:06\t \t345\t \t\r\n"));

        TProtocolPanel next;
        next.setAutosaveFolder(FDir->path());
        next.InitProtocolTable();
        next.LoadAutosave();
        QCOMPARE(next.ResultCount(), 2);
        QCOMPARE(next.SortGrid1->RowCount(), 3);
        QCOMPARE(next.SortGrid1->Cells(2, 1), QStringLiteral("\u00d6S"));
        QCOMPARE(next.SortGrid1->FixedCols(), 1);
        QCOMPARE(next.SortGrid1->Selection(), (TGridRect{1, 2, 4, 2}));
        QVERIFY(next.sbHTML->isEnabled());
    }

    void failingAutosaveWarnsUntilItWorksAgain()
    {
        Finish(QStringLiteral("1"), QString());
        QVERIFY(Panel().Autosave());
        const QByteArray before = ReadFile(Panel().AutosaveFileName());
        // A folder of the autosave file's name makes the write fail.
        const QString blocked = FDir->filePath(QStringLiteral("blocked"));
        QVERIFY(QDir().mkpath(blocked + QStringLiteral("/Tivano.txt/x")));
        Panel().setAutosaveFolder(blocked);
        Finish(QStringLiteral("2"), QString());
        QVERIFY(!Panel().Autosave());
        QVERIFY(Panel().AutosaveFailed());
        QTRY_VERIFY(Panel().LabelAutosave->isVisible());
        QVERIFY(Panel().LabelAutosave->text().contains(QStringLiteral("blocked")));
        QCOMPARE(FAutosaveEvents, 1);
        QVERIFY(FErrors.isEmpty());
        QVERIFY(!Panel().Autosave());
        QCOMPARE(FAutosaveEvents, 1);

        Panel().setAutosaveFolder(FDir->path());
        QVERIFY(Panel().Autosave());
        QVERIFY(!Panel().AutosaveFailed());
        QVERIFY(!Panel().LabelAutosave->isVisible());
        QCOMPARE(FAutosaveEvents, 2);
        QVERIFY(ReadFile(Panel().AutosaveFileName()) != before);
    }

    void saveCommandDispatchesByType_data()
    {
        QTest::addColumn<int>("filterIndex");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("text, no extension") << 1 << "result" << "result.txt" << QByteArray("Nr.\t");
        QTest::newRow("workbook") << 2 << "result" << "result.xlsx" << QByteArray("PK");
        QTest::newRow("web page") << 3 << "result" << "result.html" << QByteArray("<HTML>\r\n");
        QTest::newRow("type wins over extension")
            << 3 << "result.txt" << "result.txt" << QByteArray("<HTML>\r\n");
    }

    void saveCommandDispatchesByType()
    {
        QFETCH(int, filterIndex);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QFETCH(QByteArray, start);
        Finish(QStringLiteral("1"), QString());
        Finish(QStringLiteral("2"), QString());
        FDialogs.Answer = FDir->filePath(typed);
        FDialogs.ChosenIndex = filterIndex;
        QTest::mouseClick(Panel().sbSave, Qt::LeftButton);
        QCOMPARE(FDialogs.PresetIndex, 2);
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d-\\d\\d-\\d\\d$"))
                     .match(FDialogs.PresetName)
                     .hasMatch(),
                 qPrintable(FDialogs.PresetName));
        QCOMPARE(FDialogs.OfferedTypes.size(), 3);
        QVERIFY(ReadFile(FDir->filePath(written)).startsWith(start));
        QCOMPARE(Panel().FilterInd(), filterIndex);
        QVERIFY(FErrors.isEmpty());
    }

    void cancelledSaveWritesNothing()
    {
        Finish(QStringLiteral("1"), QString());
        Finish(QStringLiteral("2"), QString());
        FDialogs.Answer = FDir->filePath(QStringLiteral("never"));
        FDialogs.Accept = false;
        Panel().setFilterInd(1);
        Panel().sbSaveClick();
        QVERIFY(!QFile::exists(FDir->filePath(QStringLiteral("never.txt"))));
        QCOMPARE(Panel().FilterInd(), 1);
    }

    void failedSaveAsIsReported()
    {
        Finish(QStringLiteral("1"), QString());
        Finish(QStringLiteral("2"), QString());
        const QString name = FDir->filePath(QStringLiteral("missing/result.txt"));
        FDialogs.Answer = name;
        FDialogs.ChosenIndex = 1;
        Panel().sbSaveClick();
        QCOMPARE(FErrors.size(), 1);
        // The file name, then the reason.
        const QString prefix = QStringLiteral("Der Schreibfehler der Datei: ") + name + QLatin1Char('\n');
        QVERIFY2(FErrors[0].startsWith(prefix) && FErrors[0].size() > prefix.size(),
                 qPrintable(FErrors[0]));
    }

    void loadCommandDispatchesByType()
    {
        Finish(QStringLiteral("1"), QString());
        Finish(QStringLiteral("2"), QString());
        // A workbook under a .txt name, opened with the workbook type.
        const QString book = FDir->filePath(QStringLiteral("book.txt"));
        QVERIFY(Panel().ExportToSpreadsheet(book, false));
        FDialogs.Answer = book;
        FDialogs.ChosenIndex = 2;
        QCOMPARE(Panel().FileFilters().OpenTypes.at(1).Kind, TProtocolFileKind::pkSpreadsheet);
        Grid().setRowCount(6);
        QTest::mouseClick(Panel().sbLoad, Qt::LeftButton);
        QVERIFY(FErrors.isEmpty());
        QCOMPARE(Grid().RowCount(), 3);
        QCOMPARE(Panel().ResultCount(), 2);
        QCOMPARE(Row(2), (QStringList{"00002", "2", "", "345", ""}));

        // Protocol text opened with the workbook type goes to the workbook import and fails.
        const QString text = FDir->filePath(QStringLiteral("protocol.txt"));
        QVERIFY(Panel().SaveProtocolText(text));
        Finish(QStringLiteral("3"), QString());
        FDialogs.Answer = text;
        Panel().sbLoadClick();
        QCOMPARE(FErrors.size(), 1);
        QVERIFY(FErrors[0].contains(text));
        QCOMPARE(Grid().RowCount(), 4);

        // The same file with the text type loads.
        FDialogs.ChosenIndex = 1;
        Grid().setRowCount(2);
        Panel().sbLoadClick();
        QCOMPARE(Grid().RowCount(), 3);
        QCOMPARE(Panel().ResultCount(), 2);
    }

    void damagedWorkbookKeepsTheProtocol()
    {
        Finish(QStringLiteral("1"), QString());
        Finish(QStringLiteral("2"), QString());
        const QStringList before = Row(2);
        FDialogs.Answer = QStringLiteral(TIVANO_WORKBOOK_REGRESSIONS "/col-element-without-range.xlsx");
        FDialogs.ChosenIndex = 2;
        QTest::mouseClick(Panel().sbLoad, Qt::LeftButton);
        QCOMPARE(FErrors.size(), 1);
        QVERIFY2(FErrors[0].contains(QStringLiteral("besch\u00e4digt")), qPrintable(FErrors[0]));
        QCOMPARE(Grid().RowCount(), 3);
        QCOMPARE(Panel().ResultCount(), 2);
        QCOMPARE(Row(2), before);
    }

    void importWithEmptyA1()
    {
        Finish(QStringLiteral("1"), QString());
        Finish(QStringLiteral("2"), QString());
        Grid().setCells(0, 0, QString());
        const QString book = FDir->filePath(QStringLiteral("a1.xlsx"));
        QVERIFY(Panel().ExportToSpreadsheet(book, false));
        QVERIFY(Panel().ImportFromSpreadsheet(book));
        QVERIFY(Grid().RowCount() <= 2);
        QCOMPARE(FErrors, QStringList{QStringLiteral("Rowsize too small")});
        QCOMPARE(Grid().Cells(1, 0), QStringLiteral("Stoppzeit"));
        QCOMPARE(Grid().Cells(0, 0), QString());
    }

    void spreadsheetCommandOpensWorkbook()
    {
        Finish(QStringLiteral("1"), QString());
        Finish(QStringLiteral("2"), QString());
        QTest::mouseClick(Panel().sbExcel, Qt::LeftButton);
        QCOMPARE(FShell.Opened.size(), 1);
        QVERIFY(FShell.Opened[0].startsWith(FDir->filePath(QStringLiteral("books/"))));
        QVERIFY(FShell.Opened[0].endsWith(QStringLiteral(".xlsx")));
        QVERIFY(ReadFile(FShell.Opened[0]).startsWith("PK"));
        Panel().sbExcelClick();
        QCOMPARE(FShell.Opened.size(), 2);
        QVERIFY(FShell.Opened[1] != FShell.Opened[0]);
    }

    void webPageCommand()
    {
        Finish(QStringLiteral("1:02.03,04"), QStringLiteral("A&B"));
        Finish(QStringLiteral("2"), QString());
        QTest::mouseClick(Panel().sbHTML, Qt::LeftButton);
        const QString page = QDir::current().absoluteFilePath(TProtocolFiles::ProtocolPageFileName());
        QCOMPARE(FShell.Opened, QStringList{page});
        const QByteArray bytes = ReadFile(page);
        QVERIFY(bytes.contains("<tr><td>00001<td>1:02.03.04<td>A&amp;B<td>18<td></tr>\r\n"));
    }

    void webPageFailureIsReported()
    {
        const QString page = TProtocolFiles::ProtocolPageFileName();
        QVERIFY(QDir().mkpath(page + QStringLiteral("/x")));
        Panel().sbHTMLClick();
        QCOMPARE(FErrors.size(), 1);
        QVERIFY2(FErrors[0].startsWith(QStringLiteral("Der Schreibfehler der Datei: ") + page
                                       + QLatin1Char('\n')),
                 qPrintable(FErrors[0]));
        QVERIFY(FShell.Opened.isEmpty());
    }

    void printCommandPrintsThePage()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext is not installed");
        Finish(QStringLiteral("1:02.03,04"), QStringLiteral("GER"));
        Finish(QStringLiteral("0:59.00,10"), QStringLiteral("AUT"));
        QTest::mouseClick(Panel().sbPrint, Qt::LeftButton);
        QCOMPARE(FShell.PrinterQuestions, 1);
        QVERIFY(QFileInfo(FShell.PdfName).size() > 0);
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {FShell.PdfName, QStringLiteral("-")});
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
        Finish(QStringLiteral("1"), QString());
        Finish(QStringLiteral("2"), QString());
        FShell.AcceptPrinter = false;
        Panel().sbPrintClick();
        QCOMPARE(FShell.PrinterQuestions, 1);
        QVERIFY(!QFile::exists(FShell.PdfName));
    }

    void cellFormat_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<bool>("combobox");
        QTest::newRow("Nr. data") << 0 << 1 << int(taRightJustify) << false;
        QTest::newRow("time data") << 1 << 3 << int(taRightJustify) << false;
        QTest::newRow("LKZ data") << 2 << 1 << int(taLeftJustify) << true;
        QTest::newRow("StNr. data") << 3 << 2 << int(taRightJustify) << false;
        QTest::newRow("Stat data") << 4 << 1 << int(taCenter) << false;
        QTest::newRow("Nr. title") << 0 << 0 << int(taLeftJustify) << false;
        QTest::newRow("LKZ title") << 2 << 0 << int(taLeftJustify) << true;
        QTest::newRow("Stat title") << 4 << 0 << int(taCenter) << false;
    }

    void cellFormat()
    {
        QFETCH(int, col);
        QFETCH(int, row);
        QFETCH(int, alignment);
        QFETCH(bool, combobox);
        TFormatOptions options;
        bool checkBox = false, comboBox = false, ellipsis = false;
        Grid().GetCellFormat(col, row, options, checkBox, comboBox, ellipsis);
        QCOMPARE(int(options.AlignmentHorz), alignment);
        QCOMPARE(comboBox, combobox);
        QVERIFY(!checkBox);
        QVERIFY(!ellipsis);
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
        Finish(QStringLiteral("1"), QString());
        Finish(QStringLiteral("2"), QString());
        Finish(QStringLiteral("3"), QString());
        Grid().setFixedCols(0);
        ClickCell(3, 1);
        QCOMPARE(Grid().Col(), 3);
        QCOMPARE(Grid().Row(), 1);
        ClickCell(col, 2);
        QCOMPARE(Grid().Selection(), (TGridRect{1, 2, 4, 2}));
        // The row shows as selected; the cell cursor stays where it was.
        QCOMPARE(Grid().Col(), 3);
        QCOMPARE(Grid().Row(), 1);
        QVERIFY(!Grid().EditorShowing());
        ClickCell(4, 3);
        QCOMPARE(Grid().Col(), 4);
        QCOMPARE(Grid().Row(), 3);
    }

    void countryPickList()
    {
        Finish(QStringLiteral("1"), QStringLiteral("GER"));
        Finish(QStringLiteral("2"), QStringLiteral("GER"));
        QVERIFY(Grid().ShowComboList(2, 2));
        QListWidget *list = Grid().ComboList();
        QTRY_VERIFY(list->isVisible());
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(0)->text(), QStringLiteral("GER"));
        QCOMPARE(list->item(2)->text(), QStringLiteral("SUI"));
        const QRect item = list->visualItemRect(list->item(2));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, item.center());
        QTRY_COMPARE(Grid().Cells(2, 2), QStringLiteral("SUI"));
        QCOMPARE(Grid().Cells(2, 1), QStringLiteral("GER"));
    }

    void emptyPickList()
    {
        Panel().setCountryCodes({});
        Finish(QStringLiteral("1"), QStringLiteral("X"));
        Grid().ShowComboList(2, 1);
        QCOMPARE(Grid().ComboList()->count(), 0);
        QCOMPARE(Grid().Cells(2, 1), QStringLiteral("X"));
    }

    void selectAllAndCopy()
    {
        Finish(QStringLiteral("1,5"), QStringLiteral("GER"));
        QVERIFY(!Panel().mSelectAll->isEnabled());
        Finish(QStringLiteral("2,5"), QString());
        QVERIFY(Panel().mSelectAll->isEnabled());
        Panel().mSelectAll->trigger();
        QCOMPARE(Grid().Selection(), (TGridRect{1, 1, 4, 2}));
        Panel().mCopy->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("1,5\tGER\t18\t\r\n2,5\t\t345\t\r\n"));
    }

    void pickListOnlyWhileEditing()
    {
        QStringList strs{QStringLiteral("keep")};
        int width = 0, height = 0;
        bool sorted = true;
        Grid().setOptions(Grid().Options() & ~TGridOptions(goEditing));
        Panel().SortGrid1GetComboBox(&Grid(), 2, 1, strs, width, height, sorted);
        QCOMPARE(strs, QStringList{QStringLiteral("keep")});
        QVERIFY(sorted);
        Grid().setOptions(Grid().Options() | goEditing);
        Panel().SortGrid1GetComboBox(&Grid(), 2, 1, strs, width, height, sorted);
        QCOMPARE(strs.size(), 3);
        QVERIFY(!sorted);
    }
};

QTEST_MAIN(TestProtocolPanel)
#include "tst_protocolpanel.moc"
