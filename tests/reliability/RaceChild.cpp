// A finish-line host reduced to what the autosave depends on: the race clock records
// finishes as fast as it can into an in-memory protocol, rewriting the autosave file
// after each one exactly as the main window does, and reports every finish whose
// autosave completed. It is killed at random moments by tst_crashconsistency.
//
// With "window" the real main window races instead, on the simulated serial port: it
// appends each finish to the race journal, then has the autosave written beside the race;
// its start-up reads the autosave and the journal back. A finish is reported once its
// journal line is written.
//
// With "unfinished", a day and a time of day in milliseconds the real main window starts
// a race then, takes the finishes of KilledRace.h, reports them and waits to be killed
// with the race running.
//
// Usage: reliability_race_child <autosave file> <report fd> [window | unfinished <day> <ms>]
#include "AutosavingProtocol.h"
#include "KilledRace.h"
#include "ManualClock.h"
#include "RaceRows.h"
#include "app/MainWindow.h"
#include "app/StartNumberEdit.h"
#include "protocol/MemoryProtocolTable.h"
#include "protocol/ProtocolAutosaver.h"
#include "protocol/ProtocolColumns.h"
#include "protocol/ProtocolPanel.h"
#include "protocol/ProtocolText.h"
#include "serial/SimulatedSerialBackend.h"
#include "timing/RaceClock.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

bool writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

int raceCore(const QString &file, int reportFd)
{
    // Start-up as the program does it: the title row laid out, the autosave file read
    // back into the protocol, the result counter taken from the table.
    MemoryProtocolTable table;
    AutosavingProtocol::initTitles(table);
    ProtocolText::loadProtocolText(table, file);
    AutosavingProtocol host(table, file);
    host.setLastResultRow(table.lastResultRowFromTable());

    ManualClock clocks;
    RaceClock clock(clocks);
    host.listenTo(clock);
    clock.setLockoutInterval(0);
    clock.start();

    char line[32];
    const int len = std::snprintf(line, sizeof line, "S%d\n", host.lastResultRow());
    if (!writeAll(reportFd, line, size_t(len)))
        return 3;
    for (;;) {
        const int row = host.lastResultRow() + 1;
        clocks.timeOfDay = RaceRows::timeOfDay(row);
        host.lastSaveOk = false;
        clock.recordFinish();
        if (!host.lastSaveOk) {
            std::fprintf(stderr, "autosave of row %d failed\n", row);
            return 4;
        }
        const int n = std::snprintf(line, sizeof line, "%d\n", host.lastResultRow());
        if (!writeAll(reportFd, line, size_t(n)))
            return 3;
    }
}

// The window's surroundings in the autosave file's folder.
MainWindowEnvironment windowEnvironment(const QString &file, ManualClock &clocks,
                                        SimulatedSerialBackend &serial)
{
    const QString folder = QFileInfo(file).absolutePath();
    MainWindowEnvironment environment;
    environment.clocks = &clocks;
    environment.serialBackend = &serial;
    environment.settings = SettingsLocation::file(QDir(folder).filePath(QStringLiteral("settings.ini")));
    environment.programFolder = folder;
    environment.autosaveFolder = folder;
    return environment;
}

int raceWindow(const QString &file, int reportFd)
{
    ManualClock clocks;
    SimulatedSerialBackend serial;
    MainWindowEnvironment environment = windowEnvironment(file, clocks, serial);
    // One day for the whole test, so that a run past midnight does not begin a new journal.
    environment.journalClock = [] { return QDateTime(QDate(2026, 12, 8), QTime::currentTime()); };
    MainWindow window(environment);
    if (window.protocol().autosaver().fileName() != QFileInfo(file).absoluteFilePath()) {
        std::fprintf(stderr, "the window saves elsewhere: %s\n",
                     qPrintable(window.protocol().autosaver().fileName()));
        return 5;
    }
    if (window.journal().failed()) {
        std::fprintf(stderr, "the journal did not begin: %s\n", qPrintable(window.journal().errorString()));
        return 6;
    }
    window.clock().start();

    char line[32];
    const int len = std::snprintf(line, sizeof line, "S%d\n", window.protocol().lastResultRow());
    if (!writeAll(reportFd, line, size_t(len)))
        return 3;
    for (;;) {
        const int row = window.protocol().lastResultRow() + 1;
        clocks.timeOfDay = RaceRows::timeOfDay(row);
        window.clock().recordFinish();
        if (window.protocol().lastResultRow() != row || window.protocol().autosaver().failed()
            || window.journal().failed()) {
            std::fprintf(stderr, "finish %d not recorded, saved or journaled\n", row);
            return 4;
        }
        const int n = std::snprintf(line, sizeof line, "%d\n", row);
        if (!writeAll(reportFd, line, size_t(n)))
            return 3;
    }
}

int raceUnfinished(const QString &file, int reportFd, const QDate &day, qint32 startMs)
{
    ManualClock clocks;
    SimulatedSerialBackend serial;
    MainWindowEnvironment environment = windowEnvironment(file, clocks, serial);
    environment.journalClock
        = [&] { return QDateTime(day, QTime::fromMSecsSinceStartOfDay(clocks.timeOfDay)); };
    // A tick counter that wraps during the race.
    clocks.tick = 0xFFFFF000u;
    clocks.timeOfDay = startMs;
    MainWindow window(environment);
    window.startNumberEdit()->setText(KilledRace::StartNumbers);
    window.clock().start();
    char line[32];
    int n = std::snprintf(line, sizeof line, "S%d\n", window.protocol().lastResultRow());
    if (!writeAll(reportFd, line, size_t(n)))
        return 3;
    for (const int step : KilledRace::FinishSteps) {
        clocks.advance(step);
        window.clock().recordFinish();
        n = std::snprintf(line, sizeof line, "%d\n", window.protocol().lastResultRow());
        if (!writeAll(reportFd, line, size_t(n)))
            return 3;
    }
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <autosave file> <report fd> [window | unfinished <day> <start ms>]\n",
                     argv[0]);
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    const int reportFd = std::atoi(argv[2]);
    if (argc > 3 && qstrcmp(argv[3], "window") == 0) {
        QApplication app(argc, argv);
        return raceWindow(file, reportFd);
    }
    if (argc > 5 && qstrcmp(argv[3], "unfinished") == 0) {
        QApplication app(argc, argv);
        return raceUnfinished(file, reportFd, QDate::fromString(QString::fromLatin1(argv[4]), Qt::ISODate),
                              std::atoi(argv[5]));
    }
    QCoreApplication app(argc, argv);
    return raceCore(file, reportFd);
}
