// A finish-line host reduced to what the autosave depends on: the race clock records
// finishes as fast as it can into an in-memory protocol, rewriting the autosave file
// after each one exactly as the main window does, and reports every finish whose
// autosave completed. It is killed at random moments by tst_crashconsistency.
//
// With "window" the real main window races instead, on the simulated serial port, and
// its protocol panel writes the autosave; the window's start-up reads it back.
//
// Usage: reliability_race_child <autosave file> <report fd> [window]
#include "ManualClock.h"
#include "MemoryProtocolTable.h"
#include "ProtocolColumns.h"
#include "ProtocolText.h"
#include "RaceClock.h"
#include "RaceRows.h"
#include "AutosavingHost.h"

#include "FMain.h"
#include "ProtocolPanel.h"
#include "SimulatedComBackend.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

bool WriteAll(int fd, const char *data, size_t size)
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

int RaceCore(const QString &file, int reportFd)
{
    // Start-up as the program does it: the title row laid out, the autosave file read
    // back into the protocol, the result counter taken from the table.
    TMemoryProtocolTable table;
    AutosavingHost::InitTitles(table);
    TProtocolText::LoadProtocolText(table, file);
    AutosavingHost host(table, file);
    host.setResultCount(table.ResultCountFromTable());

    ManualClock clocks;
    RaceClock clock(host, clocks);
    clock.setLockoutInterval(0);
    clock.mStartClick();

    char line[32];
    const int len = std::snprintf(line, sizeof line, "S%d\n", host.ResultCount());
    if (!WriteAll(reportFd, line, size_t(len)))
        return 3;
    for (;;) {
        const int row = host.ResultCount() + 1;
        clocks.timeOfDay = RaceRows::TimeOfDay(row);
        host.lastSaveOk = false;
        clock.mLAPClick();
        if (!host.lastSaveOk) {
            std::fprintf(stderr, "autosave of row %d failed\n", row);
            return 4;
        }
        const int n = std::snprintf(line, sizeof line, "%d\n", host.ResultCount());
        if (!WriteAll(reportFd, line, size_t(n)))
            return 3;
    }
}

int RaceWindow(const QString &file, int reportFd)
{
    ManualClock clocks;
    SimulatedComBackend serial;
    const QString folder = QFileInfo(file).absolutePath();
    FormMainEnvironment environment;
    environment.clocks = &clocks;
    environment.serialBackend = &serial;
    environment.settings = SettingsLocation::File(QDir(folder).filePath(QStringLiteral("settings.ini")));
    environment.programFolder = folder;
    environment.autosaveFolder = folder;
    TFormMain window(environment);
    if (window.Protocol().AutosaveFileName() != QFileInfo(file).absoluteFilePath()) {
        std::fprintf(stderr, "the window saves elsewhere: %s\n", qPrintable(window.Protocol().AutosaveFileName()));
        return 5;
    }
    window.Clock().mStartClick();

    char line[32];
    const int len = std::snprintf(line, sizeof line, "S%d\n", window.Protocol().ResultCount());
    if (!WriteAll(reportFd, line, size_t(len)))
        return 3;
    for (;;) {
        const int row = window.Protocol().ResultCount() + 1;
        clocks.timeOfDay = RaceRows::TimeOfDay(row);
        window.Clock().mLAPClick();
        if (window.Protocol().ResultCount() != row || window.Protocol().AutosaveFailed()) {
            std::fprintf(stderr, "finish %d not recorded or not saved\n", row);
            return 4;
        }
        const int n = std::snprintf(line, sizeof line, "%d\n", row);
        if (!WriteAll(reportFd, line, size_t(n)))
            return 3;
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <autosave file> <report fd> [window]\n", argv[0]);
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    const int reportFd = std::atoi(argv[2]);
    if (argc > 3 && qstrcmp(argv[3], "window") == 0) {
        QApplication app(argc, argv);
        return RaceWindow(file, reportFd);
    }
    QCoreApplication app(argc, argv);
    return RaceCore(file, reportFd);
}
