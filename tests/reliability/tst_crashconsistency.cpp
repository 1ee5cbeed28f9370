// Kills a racing child process at random moments and checks after every kill that the
// autosave file is a complete protocol holding every finish reported before the kill.
#include "RaceRows.h"
#include "protocol/MemoryProtocolTable.h"
#include "protocol/ProtocolColumns.h"
#include "protocol/ProtocolText.h"
#include "timing/RaceTime.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

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
    pid_t pid = -1;
    int fd = -1;
    QByteArray pending;
    int startedWith = -1; // rows the child loaded from the autosave file
    int lastReported = 0; // latest row whose autosave the child reported complete

    bool start(const QString &file, const QByteArray &mode)
    {
        int fds[2];
        if (::pipe(fds) != 0)
            return false;
        pid = ::fork();
        if (pid < 0)
            return false;
        if (pid == 0) {
            ::close(fds[0]);
            const QByteArray exe = RELIABILITY_RACE_CHILD;
            const QByteArray path = QFile::encodeName(file);
            const QByteArray fdText = QByteArray::number(fds[1]);
            char *args[] = {const_cast<char *>(exe.constData()), const_cast<char *>(path.constData()),
                            const_cast<char *>(fdText.constData()),
                            mode.isEmpty() ? nullptr : const_cast<char *>(mode.constData()), nullptr};
            ::execv(args[0], args);
            ::_exit(127);
        }
        ::close(fds[1]);
        fd = fds[0];
        return true;
    }

    // Reads what is there, waiting at most `timeoutMs`; false at end of the pipe.
    bool read(int timeoutMs)
    {
        pollfd p{fd, POLLIN, 0};
        const int rc = ::poll(&p, 1, timeoutMs);
        if (rc <= 0)
            return true;
        char buffer[4096];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return n < 0 && errno == EINTR;
        pending.append(buffer, n);
        qsizetype eol;
        while ((eol = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(eol);
            pending.remove(0, eol + 1);
            if (line.startsWith('S'))
                startedWith = line.mid(1).toInt();
            else
                lastReported = line.toInt();
        }
        return true;
    }

    // A test that fails halfway leaves no child racing on.
    ~ChildRun()
    {
        if (pid > 0)
            killAndReap();
    }

    int killAndReap()
    {
        ::kill(pid, SIGKILL);
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
        // Everything the child wrote before it died is still in the pipe.
        while (read(0) && pending.size() >= 0) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 0) <= 0)
                break;
        }
        ::close(fd);
        pid = -1;
        return status;
    }
};

} // namespace

class TestCrashConsistency : public QObject
{
    Q_OBJECT

private:
    // Checks the autosave file with the program's reader; returns its row count or -1.
    // The core race writes every cell from the row number; in the window's rows the
    // number and the time are checked, the rest through the byte comparison below.
    int checkAutosave(const QString &file, bool window, QString *problem)
    {
        MemoryProtocolTable table;
        QFile f(file);
        if (!f.exists())
            return 0;
        if (!ProtocolText::loadProtocolText(table, file)) {
            *problem = QStringLiteral("the autosave file does not load");
            return -1;
        }
        const QStringList &titles = ProtocolColumns::columnTitles();
        for (int c = 0; c < table.colCount(); ++c) {
            if (table.cells(c, 0) != titles.at(c)) {
                *problem = QStringLiteral("title %1 is '%2'").arg(c).arg(table.cells(c, 0));
                return -1;
            }
        }
        const int rows = table.lastResultRowFromTable();
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
                    return -1;
                }
            }
        }
        // Byte for byte what the writer makes of the rows read: no torn line, no stray
        // bytes after the last row.
        f.open(QIODevice::ReadOnly);
        if (f.readAll() != ProtocolText::encode(table)) {
            *problem = QStringLiteral("the file holds more than its %1 rows").arg(rows);
            return -1;
        }
        return rows;
    }

private Q_SLOTS:
    void randomKillsLoseNoFinish_data()
    {
        QTest::addColumn<bool>("window");
        QTest::addColumn<int>("kills");
        QTest::addColumn<int>("earlyKillUs");
        // TIVANO_CRASH_KILLS sets the number of kills of the core race (for longer runs).
        QTest::newRow("race clock, protocol text, autosave")
            << false << envInt("TIVANO_CRASH_KILLS", 200) << 40000;
        QTest::newRow("main window") << true << envInt("TIVANO_CRASH_WINDOW_KILLS", 40) << 400000;
    }

    void randomKillsLoseNoFinish()
    {
        QFETCH(bool, window);
        QFETCH(int, kills);
        QFETCH(int, earlyKillUs);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath(QStringLiteral("Tivano.txt"));

        std::mt19937 random(20261208u);
        std::uniform_int_distribution<int> percent(0, 99);
        std::uniform_int_distribution<int> runMs(0, 25);
        std::uniform_int_distribution<int> earlyUs(0, earlyKillUs);

        int survived = 0;
        int lost = 0;
        int onDisk = 0; // rows in the autosave file after the previous kill
        for (int k = 0; k < kills; ++k) {
            ChildRun run;
            QVERIFY(run.start(file, window ? QByteArray("window") : QByteArray()));
            if (percent(random) < 10) {
                // Some kills land in the start-up, while the autosave is being read.
                ::usleep(useconds_t(earlyUs(random)));
            } else {
                QDeadlineTimer started(20000);
                while (run.startedWith < 0 && !started.hasExpired())
                    QVERIFY(run.read(50));
                QVERIFY2(run.startedWith >= 0, "the child did not start");
                QDeadlineTimer racing(runMs(random));
                while (!racing.hasExpired())
                    run.read(int(std::max<qint64>(0, racing.remainingTime())));
            }
            const int status = run.killAndReap();
            QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL,
                     qPrintable(QStringLiteral("child ended on its own, status %1").arg(status)));
            if (run.startedWith >= 0)
                QCOMPARE(run.startedWith, onDisk); // each restart continues from the file

            QString problem;
            const int rows = checkAutosave(file, window, &problem);
            QVERIFY2(rows >= 0, qPrintable(QStringLiteral("kill %1: %2").arg(k).arg(problem)));
            if (rows < run.lastReported)
                lost += run.lastReported - rows;
            // At most the finish in flight can be on disk without its report.
            QVERIFY2(rows <= std::max(run.lastReported, onDisk) + 1,
                     qPrintable(QStringLiteral("kill %1: %2 rows on disk, %3 reported")
                                    .arg(k)
                                    .arg(rows)
                                    .arg(run.lastReported)));
            QVERIFY2(rows >= onDisk, qPrintable(QStringLiteral("kill %1: the file shrank").arg(k)));
            onDisk = rows;
            ++survived;
        }
        std::printf(
            "crash consistency (%s): kills survived %d of %d, finishes on disk %d, finishes lost %d\n",
            QTest::currentDataTag(), survived, kills, onDisk, lost);
        QCOMPARE(lost, 0);
        QVERIFY2(onDisk > kills, "the children recorded too few finishes to mean anything");
    }
};

QTEST_GUILESS_MAIN(TestCrashConsistency)
#include "tst_crashconsistency.moc"
