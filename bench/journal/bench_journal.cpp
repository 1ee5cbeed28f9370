// Figures for the race journal: one finish appended and synced (RaceJournal::recordFinish)
// beside the autosave of the same protocol, at 10,000 and 100,000 rows; and a journal of
// 100,000 events read and replayed, as the restore dialog and --replay do. The files lie
// on the disk under the build folder, so the syncs reach a real device.
//
//   bench_journal [appends per size, default 1000]
#include "journal/JournalKinds.h"
#include "journal/JournalLine.h"
#include "journal/JournalReader.h"
#include "journal/JournalReplay.h"
#include "journal/ProtocolSnapshot.h"
#include "journal/RaceJournal.h"
#include "platform/DurableFile.h"
#include "protocol/BenchTable.h"
#include "protocol/ProtocolResults.h"
#include "protocol/ProtocolText.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStorageInfo>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

namespace K = JournalKinds;
namespace F = JournalKinds::Field;

double milliseconds(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

struct Spread
{
    double p50 = 0;
    double p99 = 0;
};

Spread spreadOf(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    auto at = [&times](double p) { return times[size_t(std::ceil(p * double(times.size()))) - 1]; };
    return {at(0.50), at(0.99)};
}

Spread timeRuns(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    times.reserve(size_t(runs));
    for (int i = 0; i < runs; ++i)
        times.push_back(milliseconds(work));
    return spreadOf(std::move(times));
}

// One finish's journal line and the autosave after it, for a protocol of `rows` results.
void benchFinish(const QString &folder, int rows, int appends)
{
    MemoryProtocolTable protocol;
    fillTable(protocol, rows);
    const QString journalFolder = QDir(folder).filePath(QStringLiteral("rows-%1").arg(rows));
    QDir(journalFolder).removeRecursively();
    RaceJournal journal(protocol);
    journal.setFolder(journalFolder);
    if (!journal.recordProgramStart(QStringLiteral("bench"))) {
        std::printf("  the journal in %s cannot be written: %s\n", qPrintable(journalFolder),
                    qPrintable(journal.errorString()));
        return;
    }
    JournalFinish finish;
    finish.timeText = QStringLiteral("1:02.03,45");
    finish.countryCode = QStringLiteral("GER");
    finish.source = FinishSource::LightBarrier;
    // The floor: a line of about a finish's length appended to a file of its own and
    // synced, by turns with the journal so both meet the same load of the disk.
    const QByteArray line(100, 'x');
    QFile plain(QDir(journalFolder).filePath(QStringLiteral("plain.txt")));
    plain.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
    std::vector<double> appendTimes;
    std::vector<double> plainTimes;
    for (int i = 0; i < appends; ++i) {
        finish.row = rows + 1 + i;
        finish.timeOfDayMs = 36000000 + i * 1337;
        finish.startNumber = QString::number(i);
        appendTimes.push_back(milliseconds([&] { journal.recordFinish(finish); }));
        plainTimes.push_back(milliseconds([&] {
            QString ignored;
            if (plain.write(line) == line.size())
                syncToDisk(plain, &ignored);
        }));
    }
    plain.close();
    const Spread append = spreadOf(std::move(appendTimes));
    const Spread plainAppend = spreadOf(std::move(plainTimes));
    const QString autosaveName = QDir(journalFolder).filePath(QStringLiteral("Tivano.txt"));
    const Spread autosave = timeRuns(rows >= 100000 ? 21 : 101,
                                     [&] { ProtocolText::saveProtocolText(protocol, autosaveName); });
    std::printf("%6d rows: journal append+sync p50 %6.3f ms, p99 %6.3f ms (target p99 <= 1 ms), "
                "%d appends%s\n",
                rows, append.p50, append.p99, appends, journal.failed() ? ", SOME FAILED" : "");
    std::printf(
        "             plain write+sync of 100 B       p50 %6.3f ms, p99 %6.3f ms (the disk's floor)\n",
        plainAppend.p50, plainAppend.p99);
    std::printf("             autosave (saveProtocolText)  p50 %6.2f ms, p99 %6.2f ms\n", autosave.p50,
                autosave.p99);
}

JournalEntry event(qint64 sequence, QLatin1StringView kind)
{
    JournalEntry entry;
    entry.sequence = sequence;
    entry.time = QStringLiteral("2026-12-08T10:00:00.000");
    entry.kind = kind;
    return entry;
}

// A day's journal of `count` events: the program's start, mostly finishes, an edit every
// 200 events, a clear and a protocol of 20,000 rows loaded at a third of the way.
QByteArray longJournal(int count)
{
    QByteArray bytes = JournalLine::header(QDateTime::currentDateTime());
    MemoryProtocolTable loaded;
    fillTable(loaded, 20000);
    int row = 0;
    for (qint64 sequence = 1; sequence <= count; ++sequence) {
        JournalEntry entry;
        if (sequence == 1) {
            entry = event(sequence, K::ProgramStart);
            entry.add(F::Table, ProtocolSnapshot::encode(JournalReplay::emptyProtocol()));
        } else if (sequence == count / 3) {
            entry = event(sequence, K::Clear);
            row = 0;
        } else if (sequence == count / 3 + 1) {
            entry = event(sequence, K::Load);
            entry.add(F::File, QStringLiteral("Lauf 2.txt")).add(F::Table, ProtocolSnapshot::encode(loaded));
            row = 20000;
        } else if (sequence % 200 == 0 && row > 0) {
            entry = event(sequence, K::CellEdit);
            entry.add(F::Row, QString::number(row))
                .add(F::Column, QStringLiteral("3"))
                .add(F::OldText, QString())
                .add(F::NewText, QString::number(sequence));
        } else {
            entry = event(sequence, K::Finish);
            ++row;
            entry.add(F::Number, QString::number(row))
                .add(F::TimeText,
                     QStringLiteral("1:%1,%2").arg(row % 60).arg(row % 100, 2, 10, QLatin1Char('0')))
                .add(F::Stamp, RaceJournal::timeOfDayText(36000000 + row * 977))
                .add(F::Source, QStringLiteral("lichtschranke"))
                .add(F::StartNumber, QString::number(row))
                .add(F::CountryCode, QStringLiteral("AUT"));
        }
        bytes += JournalLine::encode(entry);
    }
    return bytes;
}

void benchReplay(const QString &folder, int events)
{
    const QString name = QDir(folder).filePath(QStringLiteral("long-journal.txt"));
    const QByteArray bytes = longJournal(events);
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::printf("  %s cannot be written\n", qPrintable(name));
        return;
    }
    file.close();
    std::vector<double> readTimes;
    std::vector<double> replayTimes;
    int results = 0;
    qsizetype read = 0;
    for (int run = 0; run < 5; ++run) {
        std::optional<JournalContents> contents;
        readTimes.push_back(milliseconds([&] { contents = JournalReader::readFile(name); }));
        if (!contents)
            return;
        read = contents->entries.size();
        replayTimes.push_back(milliseconds(
            [&] { results = JournalReplay::replay(contents->entries).lastResultRowFromTable(); }));
    }
    const double readMs = spreadOf(readTimes).p50;
    const double replayMs = spreadOf(replayTimes).p50;
    std::printf("journal of %d events (%.1f MB, %lld read): read %.0f ms + replay %.0f ms = %.0f ms "
                "(target <= 1000 ms), %d results\n",
                events, double(bytes.size()) / 1e6, static_cast<long long>(read), readMs, replayMs,
                readMs + replayMs, results);
}

// A protocol of `rows` results loaded: the journal's copy of it as the window's thread
// records it, with the rows encoded before by the worker that read them (as the program
// does) and without, how long the copy takes to be on the disk, and how long a finish
// recorded at once after the load waits for it.
void benchLoad(const QString &folder, int rows)
{
    MemoryProtocolTable protocol;
    fillTable(protocol, rows);
    const QString journalFolder = QDir(folder).filePath(QStringLiteral("load-%1").arg(rows));
    QDir(journalFolder).removeRecursively();
    RaceJournal journal(protocol);
    journal.setFolder(journalFolder);
    journal.recordProgramStart(QStringLiteral("bench"));
    journal.waitForProtocolCopy();
    for (const bool encodedBefore : {true, false}) {
        ProtocolSnapshot::EncodedRows read;
        const double encodeMs = milliseconds([&] {
            if (encodedBefore)
                read = ProtocolSnapshot::encodeResults(protocol);
        });
        QElapsedTimer written;
        written.start();
        const double recordMs
            = milliseconds([&] { journal.recordLoad(false, QStringLiteral("Lauf.txt"), std::move(read)); });
        journal.waitForProtocolCopy();
        std::printf(
            "%7d rows loaded, %s: window's thread %.1f ms (target <= 50 ms), on the disk after %.0f ms%s\n",
            rows,
            encodedBefore
                ? qPrintable(QStringLiteral("rows encoded by the reader in %1 ms").arg(encodeMs, 0, 'f', 0))
                : "nothing encoded before",
            recordMs, double(written.nsecsElapsed()) / 1e6, journal.failed() ? ", FAILED" : "");
    }
    JournalFinish finish;
    finish.row = rows + 1;
    finish.timeText = QStringLiteral("1:02.03,45");
    journal.recordLoad(false, QStringLiteral("Lauf.txt"), ProtocolSnapshot::encodeResults(protocol));
    const double waitedMs = milliseconds([&] { journal.recordFinish(finish); });
    std::printf("        a finish recorded at once after the load waits for the copy: %.0f ms\n", waitedMs);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int appends = argc > 1 ? std::max(100, std::atoi(argv[1])) : 1000;
    const QString folder
        = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("journal-files"));
    QDir().mkpath(folder);
    const QStorageInfo storage(folder);
    std::printf("files in %s (%s on %s)\n", qPrintable(folder), storage.fileSystemType().constData(),
                storage.device().constData());
    for (const int rows : {10000, 100000})
        benchFinish(folder, rows, appends);
    benchReplay(folder, 100000);
    benchLoad(folder, 1000000);
    return 0;
}
