// A twelve-hour event compressed: 100,000 finishes (TIVANO_SOAK_FINISHES) through the
// simulated finish barrier, the serial port's monitor thread, the trigger decision with
// its lockout, the race clock and the autosave. Prints the resident memory and the cost
// of one autosave every 10,000 finishes. TIVANO_SOAK_SAVE_EVERY=n writes the autosave
// after every n-th finish only (the program writes after each; with 100,000 rows one
// write is several megabytes).
#include "../ProcessMemory.h"
#include "SerialSoak.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

namespace {

int envInt(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int finishes = envInt("TIVANO_SOAK_FINISHES", 100000);
    const int saveEvery = envInt("TIVANO_SOAK_SAVE_EVERY", 1);
    const int step = std::max(1, std::min(10000, finishes / 10));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Tivano.txt"));
    SerialSoak soak(file, 1);
    soak.protocol.saveEvery = saveEvery;
    if (!soak.begin()) {
        std::fprintf(stderr, "the simulated port did not open\n");
        return 1;
    }
    std::printf("finishes  RSS MiB  growth MiB  file KiB  one autosave ms  finishes/s\n");
    const double start = residentMiB();
    double previous = start;
    QElapsedTimer lap;
    lap.start();
    for (int i = 1; i <= finishes; ++i) {
        if (!soak.cross()) {
            std::fprintf(stderr, "finish %d was lost\n", i);
            return 1;
        }
        if (i % step == 0) {
            const double rate = step * 1000.0 / std::max<qint64>(1, lap.elapsed());
            QElapsedTimer save;
            save.start();
            ProtocolText::saveProtocolText(soak.table, file);
            const double saveMs = save.nsecsElapsed() / 1e6;
            const double rss = residentMiB();
            std::printf("%8d  %7.1f  %10.1f  %8lld  %15.2f  %10.0f\n", i, rss, rss - previous,
                        QFileInfo(file).size() / 1024, saveMs, rate);
            std::fflush(stdout);
            previous = rss;
            lap.restart();
        }
    }
    const double grown = residentMiB() - start;
    std::printf("total growth %.1f MiB over %d finishes (%.0f bytes per finish), autosaves written %d\n",
                grown, finishes, grown * 1048576.0 / finishes, soak.protocol.saves);

    // The protocol's own data: the same rows once more in a second table, no race around it.
    const double beforeCopy = residentMiB();
    MemoryProtocolTable copy;
    copy.setRowCount(soak.table.rowCount());
    for (int r = 0; r < soak.table.rowCount(); ++r)
        for (int c = 0; c < soak.table.colCount(); ++c)
            if (const QString cell = soak.table.cells(c, r); !cell.isEmpty())
                copy.setCells(c, r, QString(cell.constData(), cell.size()));
    const double rows = residentMiB() - beforeCopy;
    std::printf("the same %d rows alone take %.1f MiB (%.0f bytes per row): growth beyond the "
                "protocol's data %.1f MiB\n",
                soak.table.rowCount() - 1, rows, rows * 1048576.0 / finishes, grown - rows);

    // A restart after a crash late in the event reads it all back.
    ProtocolText::saveProtocolText(soak.table, file);
    QElapsedTimer reading;
    reading.start();
    MemoryProtocolTable restarted;
    ProtocolText::loadProtocolText(restarted, file);
    std::printf("reading the autosave of %d rows back: %.1f ms\n", restarted.lastResultRowFromTable(),
                reading.nsecsElapsed() / 1e6);
    return restarted.lastResultRowFromTable() == finishes ? 0 : 1;
}
