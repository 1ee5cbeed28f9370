// The window's thread while the restore dialog reads a long journal and a restore replays
// it: the longest time between two ticks of a 1 ms timer on that thread (target <= 50 ms),
// against the time the read and the replay take, and the memory the read adds.
//   bench_restore [events]   (default 2,000,000)
#include "journal/JournalFile.h"
#include "journal/JournalKinds.h"
#include "journal/JournalLine.h"
#include "journal/JournalReplay.h"
#include "journal/JournalRestoreDialog.h"
#include "widgets/BackgroundTask.h"

#include "../StallProbe.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cstdio>
#ifdef Q_OS_LINUX
#include <sys/resource.h>
#endif

namespace {

namespace K = JournalKinds;
namespace F = JournalKinds::Field;

// A race of `events` finishes, the protocol cleared every 100,000 but at the end.
bool writeJournal(const QString &fileName, qint64 events)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(JournalLine::header(QDateTime::currentDateTime()));
    JournalEntry entry;
    entry.time = QStringLiteral("2026-12-09T10:00:00.000");
    int row = 0;
    for (qint64 n = 1; n <= events; ++n) {
        entry.sequence = n;
        entry.fields.clear();
        if (n % 100000 == 0 && n < events) {
            entry.kind = K::Clear;
            row = 0;
        } else {
            entry.kind = K::Finish;
            ++row;
            entry.add(F::Number, QString::number(row))
                .add(F::TimeText, QStringLiteral("10:%1.%2,00").arg(row / 60 % 60).arg(row % 60))
                .add(F::Stamp, QStringLiteral("10:00:00.000"))
                .add(F::Source, QStringLiteral("taste"))
                .add(F::StartNumber, QString::number(row))
                .add(F::CountryCode, QStringLiteral("GER"));
        }
        if (file.write(JournalLine::encode(entry)) < 0)
            return false;
    }
    return true;
}

long peakKilobytes()
{
#ifdef Q_OS_LINUX
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
#else
    return 0;
#endif
}

// Runs the event loop until `done`, noting the longest stall of this thread.
template<typename Done>
double longestStallMs(Done done)
{
    StallProbe probe;
    while (!done())
        QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    return probe.longestMs();
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const qint64 events = argc > 1 ? std::max(1000LL, std::atoll(argv[1])) : 2000000;
    QTemporaryDir folder;
    const QString journal = QDir(folder.path()).filePath(JournalFile::FileName);
    if (!writeJournal(journal, events)) {
        std::fprintf(stderr, "bench_restore: cannot write %s\n", qPrintable(journal));
        return 1;
    }
    std::printf("journal: %lld events, %.0f MB\n", static_cast<long long>(events),
                double(QFile(journal).size()) / 1e6);

    JournalRestoreDialog dialog;
    dialog.show();
    const long before = peakKilobytes();
    QElapsedTimer read;
    read.start();
    dialog.showJournals(folder.path());
    const double dialogStall = longestStallMs([&] { return !dialog.isReading(); });
    std::printf("restore dialog read: %.0f ms, %d points, longest stall of the window's thread %.1f ms, "
                "peak memory +%ld kB\n",
                double(read.elapsed()), dialog.eventList->topLevelItemCount(), dialogStall,
                peakKilobytes() - before);

    BackgroundTask replay;
    std::optional<JournalReplay::Replayed> replayed;
    QElapsedTimer replaying;
    replaying.start();
    replay.start([&](TaskProgress &task) { replayed = JournalReplay::replayFile(journal, 0, nullptr, &task); });
    const double replayStall = longestStallMs([&] { return !replay.isRunning(); });
    std::printf("replay to the end: %.0f ms, %d results, longest stall of the window's thread %.1f ms\n",
                double(replaying.elapsed()), replayed ? replayed->table.lastResultRowFromTable() : -1, replayStall);
    std::printf("target: longest stall <= 50 ms\n");
    return 0;
}
