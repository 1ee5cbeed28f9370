// Editing the protocol in the running program: open edits and pick lists while
// finishes arrive, typing, the mouse, Esc, the cursor keys and the pick list's place.
#include "ManualClock.h"
#include "app/CountryCodeBox.h"
#include "app/MainWindow.h"
#include "app/StartNumberEdit.h"
#include "grid/SortGrid.h"
#include "journal/JournalKinds.h"
#include "journal/JournalReader.h"
#include "journal/JournalReplay.h"
#include "protocol/ProtocolAutosaver.h"
#include "protocol/ProtocolPanel.h"
#include "serial/SimulatedSerialBackend.h"
#include "settings/SettingsDialog.h"
#include "widgets/CommandButton.h"
#include "widgets/ConfirmDialog.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <memory>

namespace {

// The program on a manual clock, port 1 of a simulated serial line and a
// temporary folder holding the settings, twelve country codes and the autosave.
struct Race
{
    QTemporaryDir home;
    ManualClock clocks;
    SimulatedSerialBackend serial;
    std::unique_ptr<MainWindow> window;
    ConfirmDialog *yesNo = nullptr;

    Race()
    {
        clocks.timeOfDay = 10 * 3600 * 1000;
        serial.setPresent(1, true);
        QSettings(home.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat)
            .setValue(QStringLiteral("Port"), 1);
        QFile codes(home.filePath(QStringLiteral("LKZ.txt")));
        if (codes.open(QIODevice::WriteOnly))
            codes.write(
                "GER\r\nAUT\r\nSUI\r\nITA\r\nFRA\r\nNOR\r\nSWE\r\nFIN\r\nCZE\r\nSLO\r\nPOL\r\nUSA\r\n");
        codes.close();
        window = std::make_unique<MainWindow>(MainWindowEnvironment{
            .clocks = &clocks,
            .serialBackend = &serial,
            .settings = SettingsLocation::file(home.filePath(QStringLiteral("settings.ini"))),
            .programFolder = home.path(),
            .autosaveFolder = home.path(),
            .journalClock = {}});
        yesNo = new ConfirmDialog(window.get());
        window->setDialogs(new SettingsDialog(window.get()), yesNo);
    }

    SortGrid &grid() { return *window->protocol().grid(); }
    QString cell(int col, int row) { return grid().cells(col, row); }
    QPoint cellCenter(int col, int row) { return grid().cellRect(col, row).center(); }
    void click(int col, int row, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(grid().viewport(), button, {}, cellCenter(col, row));
    }
    // A click on the current cell (or a double click) opens its editor.
    bool openEditor(int col, int row, bool doubleClick = false)
    {
        click(col, row);
        if (doubleClick)
            QTest::mouseDClick(grid().viewport(), Qt::LeftButton, {}, cellCenter(col, row));
        else
            click(col, row);
        return QTest::qWaitFor([this] { return grid().editorShowing(); });
    }

    // Started, with `finishes` results whose start numbers are 11, 12, ...
    bool run(int finishes)
    {
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            return false;
        QTest::keyClick(window.get(), Qt::Key_F5);
        QStringList numbers;
        for (int i = 0; i < finishes; ++i)
            numbers << QString::number(11 + i);
        window->startNumberEdit()->setText(numbers.join(QLatin1Char(',')));
        for (int i = 0; i < finishes; ++i) {
            clocks.advance(1000);
            QTest::keyClick(window.get(), Qt::Key_F4);
        }
        return window->protocol().lastResultRow() == finishes;
    }

    void finish(const QString &channel)
    {
        clocks.advance(1000);
        if (channel == QLatin1String("F4")) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4);
        } else if (channel == QLatin1String("ZIEL")) {
            QTest::mousePress(window->commandButton(RaceCommand::Lap), Qt::LeftButton);
            QTest::mouseRelease(window->commandButton(RaceCommand::Lap), Qt::LeftButton);
        } else {
            window->clock().endLockout();
            serial.setCts(1, true);
        }
    }

    // The protocol's data rows as the grid shows them.
    QList<QStringList> rows()
    {
        QList<QStringList> rows;
        for (int r = 1; r < grid().rowCount(); ++r)
            rows << grid().rowStrings(r).toStringList();
        return rows;
    }

    // Chooses a context-menu entry on a row; a question that follows gets `answer`.
    void chooseFromMenu(int row, const QString &entry, bool answer)
    {
        click(2, row, Qt::RightButton);
        QMenu *menu = window->protocol().contextMenu();
        QTRY_VERIFY(menu->isVisible());
        QAction *action = nullptr;
        for (QAction *candidate : menu->actions())
            action = candidate->text() == entry ? candidate : action;
        QVERIFY(action && action->isEnabled());
        menu->hide();
        QTimer::singleShot(0, yesNo, [this, answer] {
            if (yesNo->isVisible())
                QTest::mouseClick(answer ? yesNo->yesButton : yesNo->noButton, Qt::LeftButton);
        });
        action->trigger();
        // The offscreen platform leaves the closed question active; a window manager would
        // give the window back its activation.
        window->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), window.get());
    }

    // Asks to close with the clock stopped; true when the close question came.
    bool closeAsks()
    {
        QTest::keyClick(window.get(), Qt::Key_F9);
        bool asked = false;
        QTimer::singleShot(0, yesNo, [this, &asked] {
            asked = yesNo->isVisible();
            QTest::mouseClick(yesNo->noButton, Qt::LeftButton);
        });
        if (window->close())
            return false;
        return asked;
    }
};

} // namespace

class TestProtocolEditing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("Tivano")); }

    void finishWhileEditing_data()
    {
        QTest::addColumn<QString>("channel");
        QTest::addColumn<bool>("pickList");
        for (const char *channel : {"F4", "ZIEL", "serial"}) {
            QTest::addRow("%s, editor", channel) << QString::fromLatin1(channel) << false;
            QTest::addRow("%s, pick list", channel) << QString::fromLatin1(channel) << true;
        }
    }

    // What is open ends in its own row; the new result row is as the finish wrote it.
    void finishWhileEditing()
    {
        QFETCH(QString, channel);
        QFETCH(bool, pickList);
        Race race;
        QVERIFY(race.run(3));
        QVERIFY(race.serial.waitUntilWaiting(1, 1));
        const int col = pickList ? 2 : 3;
        if (pickList) {
            race.click(col, 2);
            QTRY_VERIFY(race.grid().comboList()->hasFocus());
            QTest::keyClick(race.grid().comboList(), Qt::Key_Down); // GER -> AUT
        } else {
            QVERIFY(race.openEditor(col, 2));
            QTest::keyClicks(race.grid().inplaceEditor(), QStringLiteral("77"));
        }
        race.finish(channel);
        QTRY_COMPARE(race.window->protocol().lastResultRow(), 4);

        const QString edited = pickList ? QStringLiteral("AUT") : QStringLiteral("77");
        QCOMPARE(race.cell(col, 2), edited);
        QVERIFY(!race.grid().editorShowing());
        QVERIFY(!race.grid().comboList()->isVisible());
        QCOMPARE(QApplication::focusWidget(), race.window->startNumberEdit());
        // Esc in the editor reaches no row any more.
        QTest::keyClick(race.grid().inplaceEditor(), Qt::Key_Escape);
        QCOMPARE(race.cell(col, 2), edited);
        QCOMPARE((QStringList{race.cell(2, 4), race.cell(3, 4), race.cell(4, 4)}),
                 (QStringList{QStringLiteral("GER"), QString(), QString()}));
        race.window->protocol().autosaver().waitUntilWritten();
        QFile autosave(race.home.filePath(QStringLiteral("Tivano.txt")));
        QVERIFY(autosave.open(QIODevice::ReadOnly));
        QVERIFY(autosave.readAll().contains("\t" + edited.toLatin1() + "\t"));
    }

    // "07" typed on StNr. of row 8 is row 8's start number; nothing else moves.
    void typingEditsTheCellUnderTheCursor()
    {
        Race race;
        QVERIFY(race.run(9));
        race.click(3, 8);
        for (char key : {'0', '7'})
            QTest::keyClick(QApplication::focusWidget(), key);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(race.cell(3, 8), QStringLiteral("07"));
        QCOMPARE((QPoint(race.grid().currentCol(), race.grid().currentRow())), QPoint(3, 8));
        QCOMPARE(race.cell(4, 9), QString());
    }

    void mouseOpenedEditorTakesTheKeys_data()
    {
        QTest::addColumn<bool>("doubleClick");
        QTest::newRow("click on the current cell") << false;
        QTest::newRow("double click") << true;
    }

    void mouseOpenedEditorTakesTheKeys()
    {
        QFETCH(bool, doubleClick);
        Race race;
        QVERIFY(race.run(3));
        QVERIFY(race.openEditor(3, 2, doubleClick));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("5"));
        QCOMPARE(race.cell(3, 2), QStringLiteral("5"));
    }

    void escapeRestoresTextAndModified_data()
    {
        QTest::addColumn<bool>("modified");
        QTest::newRow("unmodified protocol") << false;
        QTest::newRow("modified protocol") << true;
    }

    void escapeRestoresTextAndModified()
    {
        QFETCH(bool, modified);
        Race race;
        QVERIFY(race.run(3));
        race.grid().setModified(modified);
        QVERIFY(race.openEditor(3, 2));
        QTest::keyClicks(race.grid().inplaceEditor(), QStringLiteral("9"));
        QTest::keyClick(race.grid().inplaceEditor(), Qt::Key_Escape);
        QCOMPARE(race.cell(3, 2), QStringLiteral("12"));
        QCOMPARE(race.grid().modified(), modified);
        QCOMPARE(race.closeAsks(), modified);
    }

    void cursorMovesScrollIntoView_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QPoint>("cell");
        QTest::newRow("Ctrl+Home") << int(Qt::Key_Home) << int(Qt::ControlModifier) << QPoint(2, 1);
        QTest::newRow("Home") << int(Qt::Key_Home) << 0 << QPoint(2, 20);
        QTest::newRow("Ctrl+End") << int(Qt::Key_End) << int(Qt::ControlModifier) << QPoint(4, 30);
    }

    void cursorMovesScrollIntoView()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QPoint, cell);
        Race race;
        QVERIFY(race.run(30));
        SortGrid &grid = race.grid();
        grid.setFocus();
        grid.setSelection(GridRect{4, 20, 4, 20});
        grid.setTopRow(1);
        QTest::keyClick(&grid, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE((QPoint(grid.currentCol(), grid.currentRow())), cell);
        QVERIFY(cell.y() >= grid.topRow() && cell.y() < grid.topRow() + grid.visibleRowCount());
        // A click on "Stoppzeit" highlights its row and leaves the cursor.
        race.click(1, grid.topRow());
        QCOMPARE((QPoint(grid.currentCol(), grid.currentRow())), cell);
    }

    void pickListCloses_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("text");
        QTest::newRow("Esc") << "Esc"
                             << "GER";
        QTest::newRow("wheel over the grid") << "wheel"
                                             << "GER";
        QTest::newRow("click elsewhere chooses") << "click"
                                                 << "AUT";
        QTest::newRow("right button") << "right"
                                      << "GER";
    }

    void pickListCloses()
    {
        QFETCH(QString, action);
        QFETCH(QString, text);
        Race race;
        QVERIFY(race.run(30));
        SortGrid &grid = race.grid();
        const int row = grid.topRow() + grid.visibleRowCount() - 1;
        QListWidget *list = grid.comboList();
        if (action == QLatin1String("right")) {
            race.click(2, row, Qt::RightButton);
            QTRY_VERIFY(race.window->protocol().contextMenu()->isVisible());
            race.window->protocol().contextMenu()->hide();
        } else {
            race.click(2, row);
            QTRY_VERIFY(list->hasFocus());
            QTest::keyClick(list, Qt::Key_Down);
            if (action == QLatin1String("Esc")) {
                QTest::keyClick(list, Qt::Key_Escape);
            } else if (action == QLatin1String("wheel")) {
                const QPointF at = race.cellCenter(1, grid.topRow());
                QWheelEvent wheel(at, grid.viewport()->mapToGlobal(at), {}, {0, 120}, Qt::NoButton,
                                  Qt::NoModifier, Qt::NoScrollPhase, false);
                QApplication::sendEvent(grid.viewport(), &wheel);
            } else {
                QTest::mouseClick(race.window->startNumberEdit(), Qt::LeftButton);
            }
        }
        QVERIFY(!list->isVisible());
        QCOMPARE(race.cell(2, row), text);
    }

    void pickListStaysInTheWindow_data()
    {
        QTest::addColumn<bool>("lastRow");
        QTest::newRow("first visible row opens down") << false;
        QTest::newRow("last visible row opens up") << true;
    }

    void pickListStaysInTheWindow()
    {
        QFETCH(bool, lastRow);
        Race race;
        QVERIFY(race.run(30));
        SortGrid &grid = race.grid();
        const int row = lastRow ? grid.topRow() + grid.visibleRowCount() - 1 : grid.topRow();
        race.click(2, row);
        QListWidget *list = grid.comboList();
        QTRY_VERIFY(list->isVisible());
        const QRect cell(grid.viewport()->mapTo(race.window.get(), grid.cellRect(2, row).topLeft()),
                         grid.cellRect(2, row).size());
        QVERIFY(race.window->rect().contains(list->geometry()));
        QCOMPARE(list->count(), 12);
        if (lastRow)
            QCOMPARE(list->geometry().bottom(), cell.bottom());
        else
            QCOMPARE(list->geometry().top(), cell.top());
    }

    // A phantom finish taken out, a missed one put in: the numbers follow the rows, the
    // next finish numbers on, the autosave holds it and the journal replays it, and the
    // restore point before it brings the protocol back.
    void rowCommands_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QStringList>("startNumbers"); // after the command and one more finish
        const QString remove = QStringLiteral("Zeile l\u00f6schen");
        const QString insert = QStringLiteral("Zeile einf\u00fcgen");
        QTest::newRow("delete inside") << remove << 2 << true << QStringList{"11", "13", "14", "15", "16"};
        QTest::newRow("delete last") << remove << 5 << true << QStringList{"11", "12", "13", "14", "16"};
        QTest::newRow("delete declined") << remove << 2 << false
                                         << QStringList{"11", "12", "13", "14", "15", "16"};
        QTest::newRow("insert inside") << insert << 2 << true
                                       << QStringList{"11", "", "12", "13", "14", "15", "16"};
        QTest::newRow("insert at last") << insert << 5 << true
                                        << QStringList{"11", "12", "13", "14", "15", "", "16"};
    }

    void rowCommands()
    {
        QFETCH(QString, entry);
        QFETCH(int, row);
        QFETCH(bool, answer);
        QFETCH(QStringList, startNumbers);
        Race race;
        QVERIFY(race.run(5));
        const QList<QStringList> before = race.rows();
        race.chooseFromMenu(row, entry, answer);
        race.window->startNumberEdit()->setText(QStringLiteral("16"));
        race.finish(QStringLiteral("F4"));

        const int results = int(startNumbers.size());
        QCOMPARE(race.window->protocol().lastResultRow(), results);
        QCOMPARE(race.grid().rowCount(), results + 1);
        for (int r = 1; r <= results; ++r) {
            QCOMPARE(race.cell(0, r), QStringLiteral("%1").arg(r, 5, 10, QLatin1Char('0')));
            QCOMPARE(race.cell(3, r), startNumbers.at(r - 1));
            QCOMPARE(race.cell(1, r).isEmpty(), startNumbers.at(r - 1).isEmpty());
        }
        QCOMPARE(race.window->commandButton(RaceCommand::Lap)->text(), QStringLiteral("ZIEL %1").arg(results + 1));
        QVERIFY(race.window->protocol().autosaver().autosave());
        QFile autosave(race.home.filePath(QStringLiteral("Tivano.txt")));
        QVERIFY(autosave.open(QIODevice::ReadOnly));
        QCOMPARE(autosave.readAll().count("\r\n"), qsizetype(results + 1));

        const std::optional<JournalContents> journal = JournalReader::readFile(race.window->journal().fileName());
        QVERIFY(journal);
        MemoryProtocolTable replayed = JournalReplay::replay(journal->entries);
        QCOMPARE(replayed.rows().mid(1), race.rows());
        const auto command = std::find_if(journal->entries.cbegin(), journal->entries.cend(), [](const auto &e) {
            return e.kind == JournalKinds::RowDeleted || e.kind == JournalKinds::RowInserted;
        });
        QCOMPARE(command != journal->entries.cend(), answer);
        if (answer) {
            const QList<JournalReplay::RestorePoint> points = JournalReplay::restorePoints(journal->entries);
            QVERIFY(std::any_of(points.cbegin(), points.cend(),
                                [&](const auto &point) { return point.entry.sequence == command->sequence; }));
            QCOMPARE(JournalReplay::replay(journal->entries, command->sequence).rows().mid(1), before);
        }
    }

    // A start number given twice, or none at all, is recorded as it is and noted beside
    // the list; a long one widens its column instead of being cut.
    void startNumberNotes_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("note"); // after the third finish
        QTest::newRow("fresh") << QStringLiteral("7,8,9") << QString();
        QTest::newRow("used before") << QStringLiteral("7,8,7") << QStringLiteral("Startnummer 7 schon bei Nr. 00001");
        QTest::newRow("list empty") << QStringLiteral("7,8") << QStringLiteral("Nr. 00003 ohne Startnummer");
        QTest::newRow("long") << QStringLiteral("7,8,1234567890123456") << QString();
    }

    void startNumberNotes()
    {
        QFETCH(QString, list);
        QFETCH(QString, note);
        Race race;
        QVERIFY(race.run(0));
        race.window->startNumberEdit()->setText(list);
        for (int i = 0; i < 3; ++i)
            race.finish(QStringLiteral("F4"));
        QCOMPARE(race.window->protocol().lastResultRow(), 3);
        const QString third = list.section(QLatin1Char(','), 2, 2);
        QCOMPARE(race.cell(3, 3), third);
        const QLabel *hint = race.window->startNumberEdit()->hintLabel();
        QCOMPARE(hint && hint->isVisible(), !note.isEmpty());
        if (hint && !note.isEmpty())
            QCOMPARE(hint->text(), note);
        QVERIFY(race.grid().columnWidth(3) >= race.grid().fontMetrics().horizontalAdvance(third) + 4);
    }
};

QTEST_MAIN(TestProtocolEditing)
#include "tst_protocolediting.moc"
