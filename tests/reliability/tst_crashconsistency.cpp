// Kills a racing child process at random moments and checks after every kill that the
// autosave file is a complete protocol holding every finish reported before the kill.
// The main window journals each finish before its autosave is written beside the race:
// there the journal holds every finish reported, the autosave is the protocol as it stood
// at one of the journal's events with only finishes after it, the next start shows the
// journal's end, and bytes left by a torn write never become an event nor hide the next.
// A race left running by a killed child, or by a close answered yes, goes on at the next
// start when the operator wants it to.
#include "KilledRace.h"
#include "ProgramFixture.h"
#include "RaceRows.h"
#include "app/StartNumberEdit.h"
#include "grid/SortGrid.h"
#include "journal/JournalFile.h"
#include "journal/JournalKinds.h"
#include "journal/JournalLine.h"
#include "journal/JournalReader.h"
#include "journal/JournalReplay.h"
#include "protocol/MemoryProtocolTable.h"
#include "protocol/ProtocolColumns.h"
#include "protocol/ProtocolPanel.h"
#include "protocol/ProtocolText.h"
#include "timing/RaceTime.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <random>
#include <thread>

namespace {

int envInt(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

// One run of the child: started, fed its report lines into `reported`, killed.
struct ChildRun
{
    QProcess process;
    QByteArray pending;
    int startedWith = -1; // rows the child loaded from the autosave file
    int lastReported = 0; // latest row whose autosave the child reported complete

    bool start(const QString &file, const QByteArray &mode, const QStringList &modeArguments = {})
    {
        // The child reports on its standard output (descriptor 1).
        QStringList arguments{file, QStringLiteral("1")};
        if (!mode.isEmpty())
            arguments << QString::fromLatin1(mode) << modeArguments;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(RELIABILITY_RACE_CHILD), arguments);
        return process.waitForStarted(20000);
    }

    // Reads what is there, waiting at most `timeoutMs`; false once the child has ended.
    bool read(int timeoutMs)
    {
        if (process.bytesAvailable() == 0)
            process.waitForReadyRead(timeoutMs);
        take(process.readAllStandardOutput());
        return process.state() != QProcess::NotRunning;
    }

    void take(const QByteArray &bytes)
    {
        pending.append(bytes);
        qsizetype eol;
        while ((eol = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(eol);
            pending.remove(0, eol + 1);
            if (line.startsWith('S'))
                startedWith = line.mid(1).toInt();
            else
                lastReported = line.toInt();
        }
    }

    // A test that fails halfway leaves no child racing on.
    ~ChildRun()
    {
        if (process.state() != QProcess::NotRunning)
            killAndReap();
    }

    // Kills the child (SIGKILL, TerminateProcess); false when it had ended on its own.
    bool killAndReap()
    {
        const bool running = process.state() != QProcess::NotRunning;
        process.kill();
        process.waitForFinished(20000);
        // Everything the child wrote before it died is still in the pipe.
        take(process.readAllStandardOutput());
        return running && process.exitStatus() == QProcess::CrashExit;
    }
};

} // namespace

class TestCrashConsistency : public QObject
{
    Q_OBJECT

private:
    // Checks the title row and rows 1..rows as the race wrote them; the core race writes
    // every cell from the row number, in the window's rows the number and the time are
    // checked, the rest through the byte comparisons.
    static bool checkRows(const MemoryProtocolTable &table, int rows, bool window, QString *problem)
    {
        const QStringList &titles = ProtocolColumns::columnTitles();
        for (int c = 0; c < table.colCount(); ++c) {
            if (table.cells(c, 0) != titles.at(c)) {
                *problem = QStringLiteral("title %1 is '%2'").arg(c).arg(table.cells(c, 0));
                return false;
            }
        }
        for (int r = 1; r <= rows; ++r) {
            const QString blank = QStringLiteral(" ");
            const QStringList expected{RaceRows::number(r), formatRaceTime(RaceRows::timeOfDay(r), 2),
                                       RaceRows::countryCode(r), RaceRows::startNumber(r), blank};
            // The window's own country code and start number are not the test's to choose.
            const int checked = window ? 2 : table.colCount();
            for (int c = 0; c < checked; ++c) {
                if (table.cells(c, r) != expected.at(c)) {
                    *problem = QStringLiteral("row %1 cell %2 is '%3', written '%4'")
                                   .arg(r)
                                   .arg(c)
                                   .arg(table.cells(c, r), expected.at(c));
                    return false;
                }
            }
        }
        return true;
    }

    // Checks the autosave file with the program's reader into `table`; returns its row
    // count or -1.
    int checkAutosave(const QString &file, bool window, MemoryProtocolTable &table, QString *problem)
    {
        QFile f(file);
        if (!f.exists())
            return 0;
        if (!ProtocolText::loadProtocolText(table, file)) {
            *problem = QStringLiteral("the autosave file does not load");
            return -1;
        }
        const int rows = table.lastResultRowFromTable();
        if (!checkRows(table, rows, window, problem))
            return -1;
        // Byte for byte what the writer makes of the rows read: no torn line, no stray
        // bytes after the last row.
        f.open(QIODevice::ReadOnly);
        if (f.readAll() != ProtocolText::encode(table)) {
            *problem = QStringLiteral("the file holds more than its %1 rows").arg(rows);
            return -1;
        }
        return rows;
    }

    // What the journal held after a kill.
    struct JournalState
    {
        int programStarts = 0;
        int tornLines = 0;
        int damagedLines = 0;
        int results = 0; // at the journal's end
    };

    // Reads and replays the journal beside the autosave. Its events must be numbered
    // without gap or repeat (a torn line neither counts nor hides the next event), the
    // replay must hold every finish reported so far, and the autosave must be the protocol
    // as it stood at one of its events, with nothing but finishes after it.
    static std::optional<JournalState>
    checkJournal(const QString &folder, const MemoryProtocolTable &autosave, int reported, QString *problem)
    {
        JournalState state;
        const QString name = QDir(folder).filePath(JournalFile::FileName);
        QList<JournalEntry> entries;
        if (QFile::exists(name)) {
            QString error;
            const std::optional<JournalContents> contents = JournalReader::readFile(name, &error);
            if (!contents) {
                *problem = QStringLiteral("the journal does not read: ") + error;
                return std::nullopt;
            }
            entries = contents->entries;
            state.tornLines = contents->tornLines;
            state.damagedLines = contents->damagedLines;
        }
        for (qsizetype i = 0; i < entries.size(); ++i) {
            if (entries.at(i).sequence != i + 1) {
                *problem = QStringLiteral("event %1 of the journal is numbered %2")
                               .arg(i + 1)
                               .arg(entries.at(i).sequence);
                return std::nullopt;
            }
            if (entries.at(i).kind == JournalKinds::ProgramStart)
                ++state.programStarts;
        }
        const JournalReplay::Ending end = JournalReplay::replayFrom(entries, autosave);
        state.results = end.table.lastResultRowFromTable();
        if (!checkRows(end.table, std::max(reported, state.results), true, problem)) {
            problem->prepend(QStringLiteral("journal: "));
            return std::nullopt;
        }
        if (state.results < reported || !end.addsFinishesToSaved) {
            *problem = QStringLiteral("the journal replays to %1 results, %2 reported; the autosave holds %3, "
                                      "no state of the journal")
                           .arg(state.results)
                           .arg(reported)
                           .arg(autosave.lastResultRowFromTable());
            return std::nullopt;
        }
        return state;
    }

    // An autosave of `rows` results as the race children write them, for a race that goes
    // on from a long protocol.
    static bool writeLongProtocol(const QString &file, int rows)
    {
        MemoryProtocolTable table(ProtocolColumns::Count, rows + 1);
        const QStringList &titles = ProtocolColumns::columnTitles();
        for (int c = 0; c < table.colCount(); ++c)
            table.setCells(c, 0, titles.at(c));
        for (int r = 1; r <= rows; ++r) {
            table.setCells(0, r, RaceRows::number(r));
            table.setCells(1, r, formatRaceTime(RaceRows::timeOfDay(r), 2));
            table.setCells(2, r, RaceRows::countryCode(r));
            table.setCells(3, r, RaceRows::startNumber(r));
            table.setCells(4, r, QStringLiteral(" "));
        }
        return ProtocolText::saveProtocolText(table, file);
    }

    // Ends the journal as a write torn by a power cut leaves it: a few bytes, or the next
    // event's whole line but for its LF; only after a complete line, since that is where
    // a write begins.
    static bool tearJournal(const QString &folder, std::mt19937 &random)
    {
        const QString name = QDir(folder).filePath(JournalFile::FileName);
        const std::optional<JournalContents> contents = JournalReader::readFile(name);
        QFile file(name);
        if (!contents || contents->tornLines > 0 || !file.open(QIODevice::Append))
            return false;
        QByteArray bytes;
        if (std::uniform_int_distribution<int>(0, 1)(random) == 0) {
            JournalEntry finish;
            finish.sequence = contents->entries.isEmpty() ? 1 : contents->entries.last().sequence + 1;
            finish.time = QStringLiteral("2026-12-08T10:00:00.000");
            finish.kind = JournalKinds::Stop;
            bytes = JournalLine::encode(finish).chopped(1);
        } else {
            std::uniform_int_distribution<int> length(1, 40);
            std::uniform_int_distribution<int> byte(0, 255);
            for (int n = length(random); n > 0; --n) {
                const char ch = char(byte(random));
                bytes.append(ch == '\n' ? '\t' : ch);
            }
        }
        return file.write(bytes) == bytes.size();
    }

private Q_SLOTS:
    void randomKillsLoseNoFinish_data()
    {
        QTest::addColumn<bool>("window");
        QTest::addColumn<int>("kills");
        QTest::addColumn<int>("earlyKillUs");
        QTest::addColumn<int>("longProtocol"); // results in the autosave before the first child
        QTest::addColumn<int>("racingMs"); // longest race of a child between its start and the kill
        // TIVANO_CRASH_KILLS sets the number of kills of the core race (for longer runs).
        QTest::newRow("race clock, protocol text, autosave")
            << false << envInt("TIVANO_CRASH_KILLS", 200) << 40000 << 0 << 25;
        QTest::newRow("main window") << true << envInt("TIVANO_CRASH_WINDOW_KILLS", 40) << 400000 << 0 << 25;
        // Bursts of finishes while the autosave of the whole protocol is still being written.
        QTest::newRow("main window at 100,000 rows")
            << true << envInt("TIVANO_CRASH_LONG_KILLS", 12) << 1500000 << 100000 << 100;
    }

    void randomKillsLoseNoFinish()
    {
        QFETCH(bool, window);
        QFETCH(int, kills);
        QFETCH(int, earlyKillUs);
        QFETCH(int, longProtocol);
        QFETCH(int, racingMs);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath(QStringLiteral("Tivano.txt"));
        if (longProtocol > 0)
            QVERIFY(writeLongProtocol(file, longProtocol));

        std::mt19937 random(20261208u);
        std::uniform_int_distribution<int> percent(0, 99);
        std::uniform_int_distribution<int> runMs(0, racingMs);
        std::uniform_int_distribution<int> earlyUs(0, earlyKillUs);

        int survived = 0;
        int lost = 0;
        int onDisk = longProtocol; // rows in the autosave file after the previous kill
        int recovered = longProtocol; // rows the next start is to show
        int reported = 0; // the latest finish any child reported
        int childrenStarted = 0;
        int startsReported = 0;
        int tears = 0;
        int autosaveBehind = 0; // kills after which the autosave lacked journaled finishes
        int mostBehind = 0;
        for (int k = 0; k < kills; ++k) {
            ChildRun run;
            QVERIFY(run.start(file, window ? QByteArray("window") : QByteArray()));
            ++childrenStarted;
            if (percent(random) < 10) {
                // Some kills land in the start-up, while the autosave is being read.
                std::this_thread::sleep_for(std::chrono::microseconds(earlyUs(random)));
            } else {
                QDeadlineTimer started(20000);
                while (run.startedWith < 0 && !started.hasExpired())
                    QVERIFY(run.read(50));
                QVERIFY2(run.startedWith >= 0, "the child did not start");
                QDeadlineTimer racing(runMs(random));
                while (!racing.hasExpired())
                    run.read(int(std::max<qint64>(0, racing.remainingTime())));
            }
            QVERIFY2(run.killAndReap(),
                     qPrintable(
                         QStringLiteral("child ended on its own, exit code %1").arg(run.process.exitCode())));
            if (run.startedWith >= 0) {
                QCOMPARE(run.startedWith, recovered); // each restart continues where the last ended
                ++startsReported;
            }
            reported = std::max(reported, run.lastReported);

            QString problem;
            MemoryProtocolTable autosave;
            const int rows = checkAutosave(file, window, autosave, &problem);
            QVERIFY2(rows >= 0, qPrintable(QStringLiteral("kill %1: %2").arg(k).arg(problem)));
            // At most the finish in flight can be on disk without its report.
            QVERIFY2(rows <= std::max(run.lastReported, recovered) + 1,
                     qPrintable(QStringLiteral("kill %1: %2 rows on disk, %3 reported")
                                    .arg(k)
                                    .arg(rows)
                                    .arg(run.lastReported)));
            QVERIFY2(rows >= onDisk, qPrintable(QStringLiteral("kill %1: the file shrank").arg(k)));
            onDisk = rows;
            recovered = rows;
            ++survived;

            if (window) {
                const std::optional<JournalState> journal
                    = checkJournal(dir.path(), autosave, reported, &problem);
                QVERIFY2(journal, qPrintable(QStringLiteral("kill %1: %2").arg(k).arg(problem)));
                recovered = journal->results;
                autosaveBehind += journal->results > rows;
                mostBehind = std::max(mostBehind, journal->results - rows);
                // Every child that reported its start began with its own event.
                QVERIFY(journal->programStarts >= startsReported);
                QVERIFY(journal->programStarts <= childrenStarted);
                // A torn end is cut away by the next child's first event; at most the last
                // line, torn by the kill or by the test, is left out, and nothing is damaged.
                QVERIFY2(journal->damagedLines == 0 && journal->tornLines <= 1,
                         qPrintable(QStringLiteral("kill %1: %2 torn and %3 damaged lines")
                                        .arg(k)
                                        .arg(journal->tornLines)
                                        .arg(journal->damagedLines)));
                if (percent(random) < 30 && tearJournal(dir.path(), random))
                    ++tears;
            }
            // The next start shows every finish reported.
            lost += std::max(0, run.lastReported - recovered);
        }
        std::printf(
            "crash consistency (%s): kills survived %d of %d, finishes on disk %d, finishes lost %d\n",
            QTest::currentDataTag(), survived, kills, onDisk, lost);
        if (window)
            std::printf("  journal: %d torn ends added; %d kills left the autosave behind the journal, by up "
                        "to %d finishes\n",
                        tears, autosaveBehind, mostBehind);
        QCOMPARE(lost, 0);
        QVERIFY2(recovered - longProtocol > kills, "the children recorded too few finishes to mean anything");
        if (window)
            QVERIFY2(tears > 0, "no torn end was tried");
    }

    // The race runs in a killed child or in a window closed with Alt+B (the question
    // answered yes); the next start, on fresh ticks as after a reboot, asks to go on.
    void anUnfinishedRaceGoesOnAfterARestart_data()
    {
        QTest::addColumn<bool>("killed");
        QTest::addColumn<bool>("autosaveLost");
        QTest::addColumn<qint32>("startMs");
        QTest::addColumn<qint32>("restartMs");
        QTest::addColumn<int>("daysLater");
        QTest::addColumn<bool>("continued");
        const qint32 hour = 3600 * 1000;
        QTest::newRow("killed, Ja") << true << false << 10 * hour << 10 * hour + 40000 << 0 << true;
        QTest::newRow("killed, restarted after midnight, Ja")
            << true << false << 24 * hour - 10000 << 30000 << 1 << true;
        QTest::newRow("killed, autosave lost, Ja")
            << true << true << 10 * hour << 10 * hour + 40000 << 0 << true;
        QTest::newRow("closed with Alt+B, Ja") << false << false << 10 * hour << 11 * hour << 0 << true;
        QTest::newRow("closed with Alt+B, Nein")
            << false << false << 10 * hour << 10 * hour + 40000 << 0 << false;
    }

    void anUnfinishedRaceGoesOnAfterARestart()
    {
        QFETCH(bool, killed);
        QFETCH(bool, autosaveLost);
        QFETCH(qint32, startMs);
        QFETCH(qint32, restartMs);
        QFETCH(int, daysLater);
        QFETCH(bool, continued);
        Fixture fixture;
        QDate day(2026, 12, 8);
        MainWindowEnvironment environment = fixture.environment();
        environment.journalClock
            = [&] { return QDateTime(day, QTime::fromMSecsSinceStartOfDay(fixture.clocks.timeOfDay)); };
        QString numbersLeft = QStringLiteral("33,41");
        if (killed) {
            ChildRun run;
            const QStringList arguments{day.toString(Qt::ISODate), QString::number(startMs)};
            QVERIFY(run.start(fixture.autosavePath(), "unfinished", arguments));
            QDeadlineTimer deadline(20000);
            while (run.lastReported < 2 && !deadline.hasExpired())
                QVERIFY(run.read(50));
            QCOMPARE(run.lastReported, 2);
            QVERIFY(run.killAndReap());
        } else {
            Program program(environment);
            MainWindow &window = *program.window;
            QVERIFY(program.show());
            fixture.clocks.tick = 0xFFFFF000u;
            fixture.clocks.timeOfDay = startMs;
            window.startNumberEdit()->setText(KilledRace::StartNumbers);
            QTest::keyClick(&window, Qt::Key_F5);
            for (const int step : KilledRace::FinishSteps) {
                fixture.clocks.advance(step);
                QTest::keyClick(&window, Qt::Key_F4);
            }
            // Numbers typed just before the close are kept too.
            QTest::keyClicks(window.startNumberEdit(), QStringLiteral(",58"));
            numbersLeft += QStringLiteral(",58");
            QuestionAnswerer answerer;
            answerer.answerNext(true);
            QTest::keyClick(&window, Qt::Key_B, Qt::AltModifier);
            QTRY_VERIFY(!window.isVisible());
        }

        // Then only the journal holds the race's results.
        if (autosaveLost)
            QVERIFY(QFile::remove(fixture.autosavePath()));
        // The machine restarted: the ticks begin anew.
        day = day.addDays(daysLater);
        fixture.clocks.tick = 5000;
        fixture.clocks.timeOfDay = restartMs;
        QuestionAnswerer answerer;
        answerer.answerNext(continued);
        Program program(environment);
        MainWindow &window = *program.window;
        QVERIFY(program.show());
        QTRY_COMPARE(answerer.questions.size(), 1);
        const QTime start = QTime::fromMSecsSinceStartOfDay(startMs);
        QVERIFY2(answerer.questions.first().contains(start.toString(QStringLiteral("HH:mm:ss"))),
                 qPrintable(answerer.questions.first()));
        QCOMPARE(window.protocol().lastResultRow(), 2);
        QCOMPARE(window.protocol().grid()->cells(3, 2), QStringLiteral("12"));
        QCOMPARE(window.clock().running(), continued);
        if (!continued) {
            program.window.reset();
            // The race declined is not offered again.
            answerer.answerNext(true);
            Program next(environment);
            QVERIFY(next.show());
            QCoreApplication::processEvents();
            QCOMPARE(answerer.questions.size(), 1);
            return;
        }
        QCOMPARE(window.commandButton(RaceCommand::Lap)->text(), QStringLiteral("ZIEL 3"));
        QCOMPARE(window.startNumberEdit()->text(), numbersLeft);
        // The buttons: a closed question gives the window its keys back only when the
        // platform gets round to it.
        fixture.clocks.advance(1000);
        pressButton(window, RaceCommand::Lap);
        QCOMPARE(window.protocol().grid()->cells(3, 3), QStringLiteral("33"));
        fixture.clocks.advance(1000);
        pressButton(window, RaceCommand::Stop);
        const qint32 dayMs = 24 * 3600 * 1000;
        QCOMPARE(window.clock().elapsedMs(), (restartMs - startMs + dayMs) % dayMs + 2000);
    }
};

QTEST_MAIN(TestCrashConsistency)
#include "tst_crashconsistency.moc"
