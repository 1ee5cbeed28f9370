// The race journal through the whole program: a scripted race whose journal replays to
// the autosave at every point, the restore command and dialog, the journal's warning,
// and "tivano --replay".
#include "FileBytes.h"
#include "JournalEventKinds.h"
#include "ProgramFixture.h"
#include "TestMainServing.h"
#include "app/StartNumberEdit.h"
#include "journal/JournalKinds.h"
#include "journal/JournalLine.h"
#include "journal/JournalReader.h"
#include "journal/JournalReplay.h"
#include "journal/JournalRestoreDialog.h"
#include "protocol/ProtocolAutosaver.h"
#include "protocol/ProtocolColumns.h"
#include "protocol/ProtocolFileCommands.h"
#include "protocol/ProtocolPanel.h"
#include "protocol/ProtocolResults.h"
#include "protocol/ProtocolText.h"
#include "protocol/SpreadsheetBridge.h"
#include "serial/SerialPort.h"

#include <QComboBox>
#include <QMenu>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

namespace K = JournalKinds;
namespace F = JournalKinds::Field;

namespace {

class JournalFixture : public Fixture
{
public:
    QString journalPath() const { return home.filePath(QStringLiteral("Tivano-Journal.txt")); }

    JournalContents journal() const
    {
        const std::optional<JournalContents> contents = JournalReader::readFile(journalPath());
        return contents.value_or(JournalContents{});
    }

    // The protocol text the journal's replay gives, before event `before` (0: all).
    QByteArray replayed(qint64 before = 0) const
    {
        return ProtocolText::encode(JournalReplay::replay(journal().entries, before));
    }

    const JournalEntry *last(QLatin1StringView kind) const
    {
        static JournalContents contents;
        contents = journal();
        for (auto it = contents.entries.crbegin(); it != contents.entries.crend(); ++it) {
            if (it->kind == kind)
                return &*it;
        }
        return nullptr;
    }
};

SortGrid &gridOf(MainWindow &window)
{
    return *window.protocol().grid();
}

void clickCell(MainWindow &window, int col, int row)
{
    QTest::mouseClick(gridOf(window).viewport(), Qt::LeftButton, {},
                      gridOf(window).cellRect(col, row).center());
}

// Types `text` into a cell through its in-place editor, leaving the editor open.
bool typeIntoCell(MainWindow &window, int col, int row, const QString &text)
{
    clickCell(window, col, row);
    clickCell(window, col, row);
    if (!QTest::qWaitFor([&] { return gridOf(window).editorShowing(); }))
        return false;
    QTest::keyClicks(gridOf(window).inplaceEditor(), text);
    return true;
}

// Picks the event described as `description` in the restore dialog when it has read the
// journals and presses "Wiederherstellen"; cancels the dialog when there is no such event.
void pickInRestoreDialog(QObject *owner, const QString &description)
{
    answerNextModal<JournalRestoreDialog>(
        owner,
        [description](JournalRestoreDialog &dialog) {
            const QList<QTreeWidgetItem *> items
                = dialog.eventList->findItems(description, Qt::MatchExactly, 2);
            if (items.isEmpty()) {
                dialog.reject();
                return;
            }
            dialog.eventList->setCurrentItem(items.last());
            QTest::mouseClick(dialog.restoreButton, Qt::LeftButton);
        },
        [](JournalRestoreDialog &dialog) { return !dialog.isReading(); });
}

// A hand-made journal begun today and one line per number, each a settings event that
// leaves the protocol as it is. "bad" lines fail their checksum.
QByteArray journalNumbered(const QStringList &numbers)
{
    QByteArray bytes = JournalLine::header(QDateTime(QDate::currentDate(), QTime(0, 0)));
    for (const QString &number : numbers) {
        JournalEntry entry;
        entry.sequence = number == QLatin1String("bad") ? 7 : number.toLongLong();
        entry.time = QStringLiteral("2026-12-08T09:00:00.000");
        entry.kind = K::Settings;
        QByteArray line = JournalLine::encode(entry);
        if (number == QLatin1String("bad"))
            line.replace("EINSTELLUNGEN", "EINSTELLUNGEM");
        bytes += line;
    }
    return bytes;
}

// Runs `during` once, while the next table is read beside the race: posted as the
// progress dialog is made, it comes before the reading's end, however fast that is.
class WhileReading : public QObject
{
public:
    WhileReading(MainWindow &window, std::function<void(QProgressDialog &)> during)
        : m_window(window)
        , m_during(std::move(during))
    {
        qApp->installEventFilter(this);
    }

    bool ran = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::ChildAdded && !ran)
            QMetaObject::invokeMethod(this, [this] {
                auto *progress = m_window.findChild<QProgressDialog *>();
                if (!progress || ran)
                    return;
                ran = true;
                m_during(*progress);
            }, Qt::QueuedConnection);
        return false;
    }

private:
    MainWindow &m_window;
    std::function<void(QProgressDialog &)> m_during;
};

// A journal clock that holds the journal's own thread (not the window's) while closed:
// whatever that thread appends waits, so that a test sees what goes on meanwhile.
class HeldJournalThread
{
public:
    JournalFile::Clock clock()
    {
        return [this] {
            if (QThread::currentThread() != qApp->thread()) {
                std::unique_lock lock(m_mutex);
                m_heldOnce = m_heldOnce || m_closed;
                m_opened.wait_for(lock, std::chrono::seconds(30), [this] { return !m_closed; });
            }
            return QDateTime::currentDateTime();
        };
    }
    void close()
    {
        const std::lock_guard lock(m_mutex);
        m_closed = true;
    }
    void open()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_closed = false;
        }
        m_opened.notify_all();
    }
    bool heldOnce()
    {
        const std::lock_guard lock(m_mutex);
        return m_heldOnce;
    }
    // Opens from another thread a moment from now, while this one waits for the journal.
    void openSoon()
    {
        m_opener = std::thread([this] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            open();
        });
    }
    ~HeldJournalThread()
    {
        if (m_opener.joinable())
            m_opener.join();
    }

private:
    std::thread m_opener;
    std::mutex m_mutex;
    std::condition_variable m_opened;
    bool m_closed = false;
    bool m_heldOnce = false;
};

} // namespace

class TestRaceJournal : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void replayEqualsTheAutosaveThroughoutARace()
    {
        JournalFixture fixture;
        fixture.writeCountryCodes("GER\r\nAUT\r\nSUI\r\n");
        fixture.plugAdapter(1);
        QVERIFY(fixture.showProgram());
        MainWindow &window = fixture.window();
        QuestionAnswerer answerer;
        // Every step ends with the autosave written and compared with the replay.
        auto checkpoint = [&](const char *step) {
            window.protocol().autosaver().autosave();
            const QByteArray replayed = fixture.replayed();
            if (replayed != fixture.autosave())
                qWarning("after %s:\nreplay:\n%s\nautosave:\n%s", step, replayed.constData(),
                         fixture.autosave().constData());
            return replayed == fixture.autosave();
        };
        QVERIFY(checkpoint("start"));

        QTest::keyClick(&window, Qt::Key_F5);
        QTest::mouseDClick(window.startNumberEdit(), Qt::LeftButton);
        QTest::keyClicks(window.startNumberEdit(), QStringLiteral("18,345,2,7"));
        fixture.takeThreeFinishes(window);
        QVERIFY(checkpoint("three finishes"));
        const JournalEntry *mouse = fixture.last(K::Finish);
        QVERIFY(mouse);
        QCOMPARE(mouse->field(F::Number), QStringLiteral("3"));
        QCOMPARE(mouse->field(F::Stamp), QStringLiteral("10:00:05.470"));
        QCOMPARE(mouse->field(F::StartNumber), QStringLiteral("2"));
        QCOMPARE(mouse->field(F::CountryCode), QStringLiteral("AUT"));
        const QList<JournalEntry> entries = fixture.journal().entries;
        QStringList sources;
        for (const JournalEntry &entry : entries)
            if (entry.kind == K::Finish)
                sources << entry.field(F::Source);
        QCOMPARE(sources, (QStringList{"taste", "maus", "taste"}));
        QCOMPARE(entries.at(1).kind, QString(K::PortOpened));

        // A status typed and confirmed, then one still open when the next finish comes.
        QVERIFY(typeIntoCell(window, 4, 2, QStringLiteral("DNF")));
        QTest::keyClick(gridOf(window).inplaceEditor(), Qt::Key_Return);
        QVERIFY(checkpoint("an edit"));
        const JournalEntry *edit = fixture.last(K::CellEdit);
        QVERIFY(edit);
        QCOMPARE((QStringList{edit->field(F::Row), edit->field(F::Column), edit->field(F::OldText),
                              edit->field(F::NewText)}),
                 (QStringList{"2", "4", "", "DNF"}));
        // A country picked from the list.
        clickCell(window, 2, 1);
        QTRY_VERIFY(gridOf(window).comboList()->hasFocus());
        QTest::keyClick(gridOf(window).comboList(), Qt::Key_Down);
        QTest::keyClick(gridOf(window).comboList(), Qt::Key_Return);
        QCOMPARE(gridOf(window).cells(2, 1), QStringLiteral("AUT"));
        QVERIFY(checkpoint("a pick from the list"));
        QCOMPARE(fixture.last(K::CellEdit)->field(F::OldText), QStringLiteral("GER"));
        QVERIFY(typeIntoCell(window, 3, 1, QStringLiteral("99")));
        fixture.clocks.advance(250);
        QTest::keyClick(&window, Qt::Key_F4);
        QCOMPARE(gridOf(window).cells(3, 1), QStringLiteral("99"));
        QVERIFY(checkpoint("an edit ended by a finish"));
        // An edit given up with Esc changes nothing and is not recorded.
        const qint64 beforeEscape = fixture.journal().entries.size();
        QVERIFY(typeIntoCell(window, 4, 3, QStringLiteral("DSQ")));
        QTest::keyClick(gridOf(window).inplaceEditor(), Qt::Key_Escape);
        QCOMPARE(fixture.journal().entries.size(), beforeEscape);
        QVERIFY(checkpoint("an edit given up"));

        answerer.answerNext(true);
        QTest::mouseClick(window.protocol().clearButton(), Qt::LeftButton);
        QCOMPARE(window.protocol().lastResultRow(), 0);
        QVERIFY(checkpoint("clear"));
        // From here on the buttons: a closed dialog gives the window back its keys only
        // when the platform gets round to it.

        fixture.clocks.advance(1000);
        pressButton(window, RaceCommand::Lap);
        QVERIFY(checkpoint("a finish after the clear"));

        const QString loaded = fixture.home.filePath(QStringLiteral("Vorlauf.txt"));
        {
            QFile file(loaded);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("Nr.\tStoppzeit\tLKZ\tStNr.\tStat\t\r\n00001\t1:02,34\tSUI\t5\t \t\r\n"
                       "00002\t1:05,00\tGER\t9\tDNS\t\r\n");
        }
        QVERIFY(window.protocol().files().loadProtocolText(loaded));
        QVERIFY(checkpoint("a load"));
        QCOMPARE(fixture.last(K::Load)->field(F::File), QDir::toNativeSeparators(loaded));

        fixture.clocks.advance(1000);
        pressButton(window, RaceCommand::Stop);
        QVERIFY(checkpoint("stop"));
        const JournalEntry *stop = fixture.last(K::Stop);
        QVERIFY(stop);
        QCOMPARE(stop->field(F::TimeOfDay), QStringLiteral("10:00:07.720"));
        answerer.answerNext(true);
        QTest::mouseClick(window.commandButton(RaceCommand::Reset), Qt::LeftButton);
        QVERIFY(!window.commandButton(RaceCommand::Stop)->isEnabled());
        QVERIFY(checkpoint("reset"));

        // Back to the protocol just before the clear: every finish and edit of the race.
        const qint64 clearEvent = fixture.last(K::Clear)->sequence;
        const QByteArray beforeClear = fixture.replayed(clearEvent);
        QVERIFY(beforeClear.contains("00004\t"));
        QVERIFY(beforeClear.contains("\tDNF\t"));
        QVERIFY(beforeClear.contains("\t99\t"));
        pickInRestoreDialog(this, QStringLiteral("Protokoll gel\u00f6scht"));
        answerer.answerNext(true);
        QTest::mouseClick(window.protocol().restoreButton(), Qt::LeftButton);
        QCOMPARE(
            answerer.questions.last(),
            QStringLiteral("Protokoll vor Ereignis %1 (4 Ergebnisse) wiederherstellen?").arg(clearEvent));
        QCOMPARE(fixture.autosave(window), beforeClear);
        QCOMPARE(window.protocol().lastResultRow(), 4);
        QVERIFY(checkpoint("restore"));
        const JournalEntry *restore = fixture.last(K::Restore);
        QVERIFY(restore);
        QCOMPARE(restore->field(F::Before), QString::number(clearEvent));

        // The next finish goes on after the restored results.
        pressButton(window, RaceCommand::Start);
        pressButton(window, RaceCommand::Lap);
        QCOMPARE(window.protocol().lastResultRow(), 5);
        QVERIFY(checkpoint("a finish after the restore"));
    }

    void restoreCanBeDeclinedAtEitherStep_data()
    {
        QTest::addColumn<bool>("dialogAccepted");
        QTest::newRow("dialog cancelled") << false;
        QTest::newRow("question answered no") << true;
    }

    void restoreCanBeDeclinedAtEitherStep()
    {
        QFETCH(bool, dialogAccepted);
        JournalFixture fixture;
        QVERIFY(fixture.showProgram());
        MainWindow &window = fixture.window();
        QTest::keyClick(&window, Qt::Key_F5);
        QTest::keyClick(&window, Qt::Key_F4);
        QTest::keyClick(&window, Qt::Key_F4);
        QuestionAnswerer answerer;
        answerer.answerNext(true);
        QTest::mouseClick(window.protocol().clearButton(), Qt::LeftButton);
        const QByteArray cleared = (window.protocol().autosaver().autosave(), fixture.autosave());
        const qint64 events = fixture.journal().entries.size();

        // The context menu offers the command too.
        QVERIFY(window.protocol().contextMenu()->actions().contains(window.protocol().restoreAction()));
        if (dialogAccepted) {
            pickInRestoreDialog(this, QStringLiteral("Protokoll gel\u00f6scht"));
            answerer.answerNext(false);
        } else {
            pickInRestoreDialog(this, QStringLiteral("no such event"));
        }
        window.protocol().restoreAction()->trigger();
        QCOMPARE(window.protocol().lastResultRow(), 0);
        window.protocol().autosaver().autosave();
        QCOMPARE(fixture.autosave(), cleared);
        QCOMPARE(fixture.journal().entries.size(), events);
    }

    void dialogListsKeyEventsAndPicksTheLatestLoss()
    {
        JournalFixture fixture;
        {
            Program program(fixture.environment());
            MainWindow &window = *program.window;
            QVERIFY(program.show());
            QTest::keyClick(&window, Qt::Key_F5);
            QTest::keyClick(&window, Qt::Key_F4);
            QTest::keyClick(&window, Qt::Key_F4);
            QTest::keyClick(&window, Qt::Key_F9);
            QuestionAnswerer answerer;
            answerer.answerNext(true);
            QTest::mouseClick(window.commandButton(RaceCommand::Reset), Qt::LeftButton);
        }
        JournalRestoreDialog dialog;
        dialog.showJournals(fixture.home.path());
        QTRY_VERIFY(!dialog.isReading());
        QCOMPARE(dialog.journalBox->currentText(), QStringLiteral("Tivano-Journal.txt"));
        QStringList shown;
        for (int i = 0; i < dialog.eventList->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = dialog.eventList->topLevelItem(i);
            shown << item->text(2) + QLatin1Char('/') + item->text(3);
        }
        QCOMPARE(shown,
                 (QStringList{"Programmstart/0", "START um 10:00:00.000/0",
                              "STOPP um 10:00:00.000, Laufzeit 0,00/2", "Zur\u00fcckgesetzt (0,00)/2",
                              "Programmende/0", "Stand am Ende des Journals/0"}));
        QCOMPARE(dialog.eventList->currentItem()->text(2), QStringLiteral("Zur\u00fcckgesetzt (0,00)"));
        QVERIFY(dialog.restoreButton->isEnabled());

        JournalRestoreDialog empty;
        QTemporaryDir nothing;
        empty.showJournals(nothing.path());
        QVERIFY(!empty.restoreButton->isEnabled());
        QVERIFY(empty.noteLabel->text().contains(QStringLiteral("kein Journal")));
    }

    // The caption and all seven commands fit the window's smallest and its default size
    // side by side.
    void headingFitsTheSmallestWindow()
    {
        JournalFixture fixture;
        QVERIFY(fixture.showProgram());
        MainWindow &window = fixture.window();
        const ProtocolPanel &panel = window.protocol();
        for (const QSize size : {window.minimumSize(), QSize(1100, 500)}) {
            window.resize(size);
            QTRY_COMPARE(window.size(), size);
            QTRY_VERIFY(panel.headingLabel()->isVisible());
            QVERIFY(panel.restoreButton()->geometry().right() < panel.headingLabel()->x());
            QVERIFY(panel.headingLabel()->x() + panel.headingLabel()->fontMetrics().horizontalAdvance(
                        panel.headingLabel()->text())
                    <= panel.webPageButton()->x());
        }
    }

    // Only what changes the timing is journaled: precision, lockout, port, polarity.
    void timingSettingsAreJournaled()
    {
        JournalFixture fixture;
        QVERIFY(fixture.showProgram());
        MainWindow &window = fixture.window();
        auto editSettings = [&](const std::function<void(SettingsDialog &)> &change) {
            answerNextModal<SettingsDialog>(&window, [&](SettingsDialog &dialog) {
                change(dialog);
                QTest::mouseClick(dialog.yesButton, Qt::LeftButton);
            });
            window.showSettings();
        };
        const int precision = window.clock().precision();
        editSettings([](SettingsDialog &dialog) {
            dialog.precisionBox->setCurrentIndex((dialog.precisionBox->currentIndex() + 1) % 3);
        });
        QVERIFY(window.clock().precision() != precision);
        const JournalEntry *settings = fixture.last(K::Settings);
        QVERIFY(settings);
        QCOMPARE(settings->field(F::Precision), QString::number(window.clock().precision()));
        QCOMPARE(settings->field(F::Lockout), QString::number(window.clock().lockoutInterval()));
        QCOMPARE(settings->field(F::Port), QStringLiteral("0"));
        const qint64 events = fixture.journal().entries.size();

        editSettings([](SettingsDialog &dialog) {
            dialog.finishCaptionBox->setCurrentIndex((dialog.finishCaptionBox->currentIndex() + 1) % 5);
        });
        QCOMPARE(fixture.journal().entries.size(), events);
    }

    void portEventsAreJournaled()
    {
        JournalFixture fixture;
        fixture.plugAdapter(1);
        QVERIFY(fixture.showProgram());
        MainWindow &window = fixture.window();
        QVERIFY(window.serialPort().connected());

        fixture.serial.unplug(1);
        QTRY_VERIFY(!window.serialPort().connected());
        const JournalEntry *lost = fixture.last(K::PortLost);
        QVERIFY(lost);
        QCOMPARE(lost->field(F::Port), QStringLiteral("1"));
        QVERIFY(!lost->field(F::Reason).isEmpty());

        fixture.serial.replug(1);
        QVERIFY(!window.session().openPort().has_value());
        fixture.program.reset();
        QStringList kinds;
        for (const JournalEntry &entry : fixture.journal().entries)
            kinds << entry.kind;
        QCOMPARE(kinds,
                 (QStringList{"PROGRAMMSTART", "PORT-OFFEN", "PORT-WEG", "PORT-OFFEN", "PORT-ZU",
                              "PROGRAMMENDE"}));
    }

    void aJournalThatCannotBeWrittenIsShownAndTheRaceGoesOn()
    {
        JournalFixture fixture;
        QVERIFY(QDir(fixture.home.path()).mkdir(QStringLiteral("Tivano-Journal.txt")));
        QVERIFY(fixture.showProgram());
        MainWindow &window = fixture.window();
        QLabel *warning = window.protocol().autosaveWarningLabel();
        QVERIFY(warning->isVisible());
        QVERIFY2(warning->text().startsWith(QStringLiteral("Journal kann nicht geschrieben werden: ")),
                 qPrintable(warning->text()));
        QTest::keyClick(&window, Qt::Key_F5);
        QTest::keyClick(&window, Qt::Key_F4);
        QCOMPARE(window.protocol().lastResultRow(), 1);
        QVERIFY(!window.protocol().autosaver().failed());

        QVERIFY(QDir(fixture.home.path()).rmdir(QStringLiteral("Tivano-Journal.txt")));
        QTest::keyClick(&window, Qt::Key_F4);
        QVERIFY(!warning->isVisible());
        window.protocol().autosaver().autosave();
        QCOMPARE(fixture.replayed(), fixture.autosave());
    }

    // The journal's file, or the whole folder of journal and autosave, goes away during a
    // race: the next finish begins the journal there again with the whole protocol and
    // the restore dialog names what happened; the warning shows while that fails.
    void aLostJournalIsTakenUpAgainWithTheProtocol_data()
    {
        QTest::addColumn<QString>("loss");
        QTest::addColumn<QString>("described");
        QTest::newRow("deleted") << "deleted"
                                 << "Journal neu angelegt";
        QTest::newRow("moved away") << "moved"
                                    << "Journal neu angelegt";
        QTest::newRow("replaced by an older copy") << "replaced"
                                                   << "Journal fortgesetzt";
        QTest::newRow("folder removed") << "folder removed"
                                        << "Journal neu angelegt";
        QTest::newRow("folder blocked, then free") << "folder blocked"
                                                   << "Journal neu angelegt";
    }

    void aLostJournalIsTakenUpAgainWithTheProtocol()
    {
        QFETCH(QString, loss);
        QFETCH(QString, described);
        JournalFixture fixture;
        const QString journal = fixture.journalPath();
        const QString copy = fixture.home.filePath(QStringLiteral("copy.txt"));
        QVERIFY(fixture.showProgram());
        MainWindow &window = fixture.window();
        QTest::keyClick(&window, Qt::Key_F5);
        QTest::keyClick(&window, Qt::Key_F4);
        QVERIFY(QFile::copy(journal, copy));
        QTest::keyClick(&window, Qt::Key_F4);

        QDir home(fixture.home.path());
        std::error_code replaceError;
        if (loss == "deleted")
            QVERIFY(QFile::remove(journal));
        else if (loss == "moved")
            QVERIFY(QFile::rename(journal, home.filePath(QStringLiteral("elsewhere.txt"))));
        else if (loss == "replaced")
            std::filesystem::rename(QFileInfo(copy).filesystemFilePath(),
                                    QFileInfo(journal).filesystemFilePath(), replaceError);
        else if (!home.removeRecursively())
            QSKIP("this system keeps a folder that holds an open file");
#ifdef Q_OS_WIN
        // Windows does not let a file that the journal holds open be replaced; and under
        // Wine a deleted open journal is taken up again under another label than on Linux
        // (the protocol is the same), which wants a look on a real Windows.
        if (loss == "replaced" && replaceError == std::errc::permission_denied)
            QSKIP("this system does not let the open journal be replaced");
        if (loss == "deleted")
            QSKIP("the label of a journal deleted while open is checked on Linux");
#endif
        QVERIFY2(!replaceError, replaceError.message().c_str());
        if (loss == "folder blocked") {
            QFile blocker(fixture.home.path());
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            blocker.close();
            QTest::keyClick(&window, Qt::Key_F4);
            QLabel *warning = window.protocol().autosaveWarningLabel();
            QVERIFY(warning->isVisible());
            QVERIFY2(warning->text().contains(QStringLiteral("Journal kann nicht geschrieben werden")),
                     qPrintable(warning->text()));
            QVERIFY(blocker.remove());
        }
        QTest::keyClick(&window, Qt::Key_F4);
        QCOMPARE(fixture.autosave(window).isEmpty(), false);
        QVERIFY(!window.protocol().autosaveWarningLabel()->isVisible());
        QCOMPARE(window.protocol().lastResultRow(), loss == "folder blocked" ? 4 : 3);
        QCOMPARE(fixture.replayed(), fixture.autosave());

        JournalRestoreDialog dialog;
        dialog.showJournals(fixture.home.path());
        QTRY_VERIFY(!dialog.isReading());
        const QList<QTreeWidgetItem *> items = dialog.eventList->findItems(described, Qt::MatchExactly, 2);
        QCOMPARE(items.size(), 1);
        QCOMPARE(items.first()->text(0), QString::number(fixture.last(K::Continued)->sequence));
    }

    // While a large autosave is read after the window shows, the window takes no command;
    // cancelling that read ends the program without writing anything.
    void aCancelledStartReadLeavesTheFilesAsTheyWere()
    {
        JournalFixture fixture;
        {
            Program program(fixture.environment());
            QVERIFY(program.show());
            QTest::keyClick(program.window.get(), Qt::Key_F5);
            QTest::keyClick(program.window.get(), Qt::Key_F4);
            QTest::keyClick(program.window.get(), Qt::Key_F9);
        }
        const QByteArray autosave = fixture.autosave();
        const QByteArray journal = fileBytes(fixture.journalPath());
        MainWindowEnvironment environment = fixture.environment();
        environment.readAfterShowingBytes = 0;
        {
            Program program(environment);
            MainWindow &window = *program.window;
            bool clockStarted = true;
            WhileReading during(window, [&](QProgressDialog &progress) {
                QTest::keyClick(&window, Qt::Key_F5);
                QTest::keyClick(&progress, Qt::Key_F5);
                // START is neither enabled nor lit.
                const CommandButton *start = window.commandButton(RaceCommand::Start);
                clockStarted
                    = window.clock().running() || start->isEnabled() || start->color() != Colors::clBtnFace;
                progress.cancel();
            });
            window.show();
            QTRY_VERIFY(during.ran);
            QVERIFY(!clockStarted);
            QTRY_VERIFY(!window.isVisible());
        }
        QCOMPARE(fixture.autosave(), autosave);
        QCOMPARE(fileBytes(fixture.journalPath()), journal);
    }

    // The journal's copy of a long protocol at the program's start is written on the
    // journal's own thread: the window shows meanwhile, and the race's first events wait
    // for the copy and follow it into the journal.
    void aLongProtocolsCopyAtStartLeavesTheWindowFree()
    {
        JournalFixture fixture;
        MemoryProtocolTable table;
        ProtocolText::repairTitles(table);
        for (int row = 1; row < RaceJournal::LongCopyRows; ++row)
            ProtocolResults::writeResult(table, row, QStringLiteral("1,00"), QString(), QString());
        QVERIFY(ProtocolText::saveProtocolText(table, fixture.autosavePath()));
        HeldJournalThread journalThread;
        MainWindowEnvironment environment = fixture.environment();
        environment.journalClock = journalThread.clock();
        journalThread.close();
        fixture.program = std::make_unique<Program>(environment);
        QVERIFY(fixture.program->show());
        MainWindow &window = fixture.window();
        QVERIFY(journalThread.heldOnce());
        QVERIFY(kindsOf(fixture.journal()).isEmpty());

        journalThread.openSoon();
        QTest::keyClick(&window, Qt::Key_F5);
        for (int finish = 0; finish < 2; ++finish) {
            fixture.clocks.advance(1000);
            QTest::keyClick(&window, Qt::Key_F4);
        }
        QCOMPARE(window.protocol().lastResultRow(), RaceJournal::LongCopyRows + 1);
        QCOMPARE(kindsOf(fixture.journal()), (QStringList{K::ProgramStart, K::Start, K::Finish, K::Finish}));
        QCOMPARE(fixture.replayed(), fixture.autosave(window));
        QVERIFY(!window.journal().failed());
    }

    // The autosave could not keep up (a full disk, a crash) while the journal did, or the
    // other way round: the next start takes the journal's end when the journal only added
    // finishes to the autosave, offers it when it holds more in another way, and leaves
    // it when it holds less.
    // A large autosave is read with the journal after the window shows, to the same end.
    void aJournalAheadOfTheAutosaveIsOfferedAtStart_data()
    {
        QTest::addColumn<QString>("behind");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<int>("shown");
        QTest::addColumn<bool>("readAfterShowing");
        for (const bool after : {false, true}) {
            const char *when = after ? ", read after showing" : "";
            QTest::addRow("autosave behind by finishes%s", when)
                << "autosave by finishes" << true << 3 << after;
            QTest::addRow("autosave behind an edit, Ja%s", when) << "autosave" << true << 3 << after;
            QTest::addRow("autosave behind an edit, Nein%s", when) << "autosave" << false << 1 << after;
            QTest::addRow("autosave gone, Ja%s", when) << "autosave gone" << true << 3 << after;
            QTest::addRow("journal behind%s", when) << "journal" << true << 3 << after;
            QTest::addRow("both alike%s", when) << "" << true << 3 << after;
        }
    }

    void aJournalAheadOfTheAutosaveIsOfferedAtStart()
    {
        QFETCH(QString, behind);
        QFETCH(bool, answer);
        QFETCH(int, shown);
        QFETCH(bool, readAfterShowing);
        JournalFixture fixture;
        QByteArray olderAutosave;
        {
            Program program(fixture.environment());
            MainWindow &window = *program.window;
            QVERIFY(program.show());
            QTest::keyClick(&window, Qt::Key_F5);
            QTest::keyClick(&window, Qt::Key_F4);
            olderAutosave = fixture.autosave(window);
            if (behind == "autosave") {
                QVERIFY(typeIntoCell(window, 4, 1, QStringLiteral("DNF")));
                QTest::keyClick(gridOf(window).inplaceEditor(), Qt::Key_Return);
            }
            fixture.clocks.advance(1000);
            QTest::keyClick(&window, Qt::Key_F4);
            fixture.clocks.advance(1000);
            QTest::keyClick(&window, Qt::Key_F4);
            QTest::keyClick(&window, Qt::Key_F9);
        }
        const QByteArray fullAutosave = fixture.autosave();
        if (behind == "autosave" || behind == "autosave by finishes") {
            QFile file(fixture.autosavePath());
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(olderAutosave);
        } else if (behind == "journal") {
            // The journal lost the last two finishes; the race was stopped all the same.
            QFile file(fixture.journalPath());
            QVERIFY(file.open(QIODevice::ReadWrite));
            QList<QByteArray> lines = file.readAll().split('\n');
            const auto finish = [](const QByteArray &line) { return line.contains("\tZIEL\t"); };
            lines.erase(std::find_if(lines.begin(), lines.end(), finish) + 1,
                        std::find_if(lines.rbegin(), lines.rend(), finish).base());
            QVERIFY(file.resize(0));
            file.write(lines.join('\n'));
        } else if (behind == "autosave gone") {
            QVERIFY(QFile::remove(fixture.autosavePath()));
        }
        const qint64 lastEvent = fixture.journal().entries.last().sequence;

        QuestionAnswerer answerer;
        answerer.answerNext(answer);
        MainWindowEnvironment environment = fixture.environment();
        if (readAfterShowing)
            environment.readAfterShowingBytes = 0;
        fixture.program = std::make_unique<Program>(environment);
        QVERIFY(fixture.program->show());
        MainWindow &window = fixture.window();
        QTRY_VERIFY(window.commandButton(RaceCommand::Start)->isEnabled());
        const bool asked = behind == "autosave" || behind == "autosave gone";
        if (asked) {
            QTRY_COMPARE(answerer.questions.size(), 1);
            QCOMPARE(answerer.questions.first(),
                     QStringLiteral("Das Journal hat 3 Ergebnisse, die Sicherung %1. Journal wiederherstellen?")
                         .arg(behind == "autosave" ? 1 : 0));
        } else {
            QTest::qWait(50);
            QVERIFY2(answerer.questions.isEmpty(), qPrintable(answerer.questions.join('|')));
        }
        QCOMPARE(window.protocol().lastResultRow(), shown);
        window.protocol().autosaver().autosave();
        if (shown == 3)
            QCOMPARE(fixture.autosave(), fullAutosave);
        // The journal replays to what is shown, and a restore names the journal's end.
        QCOMPARE(fixture.replayed(), fixture.autosave());
        const JournalEntry *restore = fixture.last(K::Restore);
        QCOMPARE(restore != nullptr, asked && answer);
        if (restore)
            QCOMPARE(restore->field(F::Before), QString::number(lastEvent + 1));
        // The start copies the protocol into the journal only when the journal does not
        // already end with it.
        const bool alike = behind.isEmpty() || behind == "autosave by finishes";
        QCOMPARE(fixture.last(K::ProgramStart)->hasField(F::Table), !alike);
    }

    // A journal whose last event is damaged or bears the last number a journal may use
    // cannot be continued: the start keeps it aside, says so, and begins a new one with
    // the whole protocol. Damage before a sound last event is passed over.
    void aJournalThatCannotBeContinuedIsKeptAside_data()
    {
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<bool>("keptAside");
        QTest::addColumn<QStringList>("events"); // the current file's last ones, after F5 and F4
        const QStringList begun{"PROGRAMMSTART/1", "START/2", "ZIEL/3"};
        QTest::newRow("last number beyond any journal")
            << QStringList{"1", "2", "9223372036854775807"} << true << begun;
        QTest::newRow("last number a journal may use")
            << QStringList{"1", QString::number(JournalLine::MaxSequence)} << true << begun;
        QTest::newRow("damaged last line") << QStringList{"1", "2", "bad"} << true << begun;
        QTest::newRow("damage before a sound last line")
            << QStringList{"1", "9223372036854775807", "bad", "3"} << false
            << QStringList{"PROGRAMMSTART/4", "START/5", "ZIEL/6"};
        // START takes the last number; the finish begins a new file with the protocol.
        QTest::newRow("the last number reached in the race")
            << QStringList{"1", QString::number(JournalLine::MaxSequence - 2)} << false
            << QStringList{"FORTSETZUNG/1", "ZIEL/2"};
    }

    void aJournalThatCannotBeContinuedIsKeptAside()
    {
        QFETCH(QStringList, numbers);
        QFETCH(bool, keptAside);
        QFETCH(QStringList, events);
        JournalFixture fixture;
        const QByteArray written = journalNumbered(numbers);
        {
            QFile file(fixture.journalPath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(written);
        }
        MessageBoxWatcher notices;
        QVERIFY(fixture.showProgram());
        MainWindow &window = fixture.window();
        const QString keptName = fixture.home.filePath(
            QStringLiteral("Tivano-Journal-%1.txt").arg(QDate::currentDate().toString(Qt::ISODate)));
        if (keptAside) {
            QTRY_COMPARE(notices.texts().size(), 1);
            QCOMPARE(
                notices.texts().first(),
                QStringLiteral("Das Journal %1 endet mit einem besch\u00e4digten Ereignis und kann nicht "
                               "fortgesetzt werden. Es wurde als %2 beiseitegelegt; ein neues Journal "
                               "beginnt mit dem ganzen Protokoll.")
                    .arg(QDir::toNativeSeparators(fixture.journalPath()),
                         QDir::toNativeSeparators(keptName)));
            QFile kept(keptName);
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), written);
            window.activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), &window);
        } else {
            QTest::qWait(50);
            QVERIFY(notices.seen().isEmpty());
            QVERIFY(!QFileInfo::exists(keptName));
        }
        QTest::keyClick(&window, Qt::Key_F5);
        QTest::keyClick(&window, Qt::Key_F4);
        QStringList shown;
        for (const JournalEntry &entry : fixture.journal().entries)
            shown << entry.kind + QLatin1Char('/') + QString::number(entry.sequence);
        QCOMPARE(shown.mid(shown.size() - events.size()), events);
        // The current file alone gives the whole protocol.
        window.protocol().autosaver().autosave();
        QCOMPARE(fixture.replayed(), fixture.autosave());
    }

    void finishesTakenWhileATableIsReadStay_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<int>("resultsRead");
        for (const char *source : {"text", "workbook", "journal"}) {
            const int read = QByteArray(source) == "journal" ? 2 : 3;
            QTest::addRow("%s read", source) << QString::fromLatin1(source) << false << read;
            QTest::addRow("%s cancelled", source) << QString::fromLatin1(source) << true << read;
        }
        // The journal copies a long table on its own thread.
        for (const char *source : {"text", "workbook"})
            QTest::addRow("long %s read", source)
                << QString::fromLatin1(source) << false << RaceJournal::LongCopyRows;
    }

    void finishesTakenWhileATableIsReadStay()
    {
        QFETCH(QString, source);
        QFETCH(bool, cancelled);
        QFETCH(int, resultsRead);
        JournalFixture fixture;
        HeldJournalThread journalThread;
        MainWindowEnvironment environment = fixture.environment();
        environment.journalClock = journalThread.clock();
        fixture.program = std::make_unique<Program>(environment);
        QVERIFY(fixture.program->show());
        MainWindow &window = fixture.window();
        QTest::keyClick(&window, Qt::Key_F5);
        for (int finish = 0; finish < 2; ++finish) {
            fixture.clocks.advance(1000);
            QTest::keyClick(&window, Qt::Key_F4);
        }
        MemoryProtocolTable table;
        ProtocolText::repairTitles(table);
        for (int row = 1; row <= std::max(3, resultsRead); ++row)
            ProtocolResults::writeResult(table, row,
                                         QStringLiteral("0:%1,00").arg(row, 2, 10, QLatin1Char('0')),
                                         QString(), QString());
        const QString text = fixture.home.filePath(QStringLiteral("Vorlauf.txt"));
        const QString workbook = fixture.home.filePath(QStringLiteral("Vorlauf.xlsx"));
        QVERIFY(ProtocolText::saveProtocolText(table, text));
        QVERIFY(SpreadsheetBridge::exportToSpreadsheet(table, workbook, QStringLiteral("Vorlauf")));
        QuestionAnswerer answerer;
        answerer.answerNext(true);
        QTest::mouseClick(window.protocol().clearButton(), Qt::LeftButton);
        const int resultsBefore = window.protocol().lastResultRow();
        QCOMPARE(resultsBefore, 0);
        window.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &window);

        // Two finishes while the table is read; in some runs the operator then cancels.
        QStringList takenMeanwhile;
        WhileReading during(window, [&](QProgressDialog &progress) {
            for (int finish = 0; finish < 2; ++finish) {
                fixture.clocks.advance(700);
                // The operator's keys go to the dialog in front.
                QTest::keyClick(&progress, Qt::Key_F4);
                takenMeanwhile << gridOf(window).cells(ProtocolColumns::ColTime, window.protocol().lastResultRow());
            }
            if (cancelled)
                progress.cancel();
        });
        journalThread.close();
        if (source == QLatin1String("text")) {
            QCOMPARE(window.protocol().files().loadProtocolText(text), !cancelled);
        } else if (source == QLatin1String("workbook")) {
            QCOMPARE(window.protocol().files().importFromSpreadsheet(workbook), !cancelled);
        } else {
            pickInRestoreDialog(this, QStringLiteral("Protokoll gel\u00f6scht"));
            answerer.answerNext(true);
            QTest::mouseClick(window.protocol().restoreButton(), Qt::LeftButton);
        }
        QVERIFY(during.ran);
        QCOMPARE(takenMeanwhile.size(), 2);
        // A long table's copy is written on the journal's thread: the load has ended while
        // that thread is held. A finish then waits for the copy and follows it.
        const bool long_ = resultsRead >= RaceJournal::LongCopyRows;
        QTRY_COMPARE(journalThread.heldOnce(), long_);
        journalThread.openSoon();
        if (long_) {
            fixture.clocks.advance(900);
            // The lockout after the last finish runs on the real clock: F4 waits it out.
            QTRY_VERIFY(window.commandButton(RaceCommand::Lap)->isEnabled());
            QTest::keyClick(&window, Qt::Key_F4);
            takenMeanwhile << gridOf(window).cells(ProtocolColumns::ColTime,
                                                   window.protocol().lastResultRow());
        }

        const int kept = cancelled ? resultsBefore : resultsRead;
        const int taken = int(takenMeanwhile.size());
        QCOMPARE(window.protocol().lastResultRow(), kept + taken);
        QCOMPARE(gridOf(window).rowCount(), kept + taken + 1);
        QCOMPARE(window.commandButton(RaceCommand::Lap)->text(),
                 QStringLiteral("ZIEL %1").arg(kept + taken + 1));
        for (int finish = 0; finish < taken; ++finish) {
            const int row = kept + 1 + finish;
            QCOMPARE(gridOf(window).cells(ProtocolColumns::ColTime, row), takenMeanwhile.at(finish));
            QCOMPARE(gridOf(window).cells(ProtocolColumns::ColNr, row), ProtocolResults::resultNumber(row));
        }
        if (!cancelled && source != QLatin1String("journal"))
            QCOMPARE(gridOf(window).cells(ProtocolColumns::ColTime, 3), QStringLiteral("0:03,00"));
        // The journal tells the same, in the order it happened.
        window.protocol().autosaver().autosave();
        QCOMPARE(fixture.replayed(), fixture.autosave());
        if (long_) {
            const QList<JournalEntry> entries = fixture.journal().entries;
            QCOMPARE(entries.at(entries.size() - 2).kind,
                     source == QLatin1String("text") ? K::Load : K::Import);
            QCOMPARE(entries.constLast().field(F::Number), QString::number(kept + taken));
        }
        QVERIFY(!window.journal().failed());
    }

    void replayCommandWritesTheProtocolWithoutAWindow()
    {
        JournalFixture fixture;
        {
            Program program(fixture.environment());
            MainWindow &window = *program.window;
            QVERIFY(program.show());
            QTest::keyClick(&window, Qt::Key_F5);
            for (int i = 0; i < 3; ++i) {
                fixture.clocks.advance(1230);
                QTest::keyClick(&window, Qt::Key_F4);
            }
            QuestionAnswerer answerer;
            answerer.answerNext(true);
            QTest::mouseClick(window.protocol().clearButton(), Qt::LeftButton);
        }
        const qint64 clearEvent = fixture.last(K::Clear)->sequence;
        auto run = [&](const QStringList &arguments, QByteArray *out = nullptr, QByteArray *err = nullptr) {
            QProcess process;
            process.start(QStringLiteral(TIVANO_EXECUTABLE), arguments);
            if (!process.waitForFinished(60000))
                return -1;
            if (out)
                *out = process.readAllStandardOutput();
            if (err)
                *err = process.readAllStandardError();
            return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        };
        const QString journal = fixture.journalPath();
        const QString written = fixture.home.filePath(QStringLiteral("vor-dem-loeschen.txt"));
        QCOMPARE(run({"--replay", journal, "--until", QString::number(clearEvent), "-o", written}), 0);
        QFile file(written);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray beforeClear = file.readAll();
        QCOMPARE(beforeClear, fixture.replayed(clearEvent));
        QCOMPARE(beforeClear.count("\r\n"), 4);
        QVERIFY(beforeClear.contains("00003\t10:00.03,69\t"));

        QByteArray out;
        QByteArray err;
        QCOMPARE(run({"--replay", journal}, &out, &err), 0);
        QCOMPARE(out, fixture.autosave());
        QVERIFY2(err.contains("0 Ergebnisse"), err.constData());

        const QStringList wrongCalls[] = {{"--replay"},
                                          {"--replay", journal, "--until"},
                                          {"--replay", journal, "--until", "0"},
                                          {"--replay", journal, "-o"},
                                          {"--replay", journal, "--zeit"}};
        for (const QStringList &arguments : wrongCalls)
            QCOMPARE(run(arguments, nullptr, &err), 2);
        QVERIFY(err.contains("Aufruf: tivano --replay"));
        QCOMPARE(run({"--replay", fixture.home.filePath(QStringLiteral("fehlt.txt"))}), 1);
        QCOMPARE(run({"--replay", fixture.autosavePath()}, nullptr, &err), 1);
        QVERIFY(err.contains("kein Tivano-Journal"));
    }
};

TIVANO_TEST_MAIN_SERVING(TestRaceJournal, SpreadsheetBridge::workbookParseTask())
#include "tst_racejournal.moc"
