// A finish-line host reduced to what the autosave depends on: the race clock records
// finishes as fast as it can into an in-memory protocol, rewriting the autosave file
// after each one exactly as the main window does, and reports every finish whose
// autosave completed. It is killed at random moments by tst_crashconsistency.
//
// Usage: reliability_race_child <autosave file> <report fd> [max finishes]
#include "ManualClock.h"
#include "MemoryProtocolTable.h"
#include "ProtocolColumns.h"
#include "ProtocolText.h"
#include "RaceClock.h"
#include "RaceRows.h"
#include "AutosavingHost.h"

#include <QCoreApplication>

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

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <autosave file> <report fd> [max finishes]\n", argv[0]);
        return 2;
    }
    QCoreApplication app(argc, argv);
    const QString file = QString::fromLocal8Bit(argv[1]);
    const int reportFd = std::atoi(argv[2]);
    const long maxFinishes = argc > 3 ? std::atol(argv[3]) : 0;

    // Start-up as the program does it: the autosave file read back into the protocol,
    // the result counter taken from the table.
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

    for (long done = 0; maxFinishes == 0 || done < maxFinishes; ++done) {
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
    return 0;
}
