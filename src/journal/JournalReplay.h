#pragma once

#include "journal/JournalEntry.h"
#include "journal/JournalReader.h"
#include "protocol/MemoryProtocolTable.h"

#include <QList>

#include <optional>

// Rebuilds the protocol from the journal's events: snapshots (program start, a file
// taken up, a race continued, loads, imports, restores) replace it, finishes and cell edits write into
// it, clears and resets empty it. Everything else leaves it as it is.
namespace JournalReplay {

// An empty protocol: the title row and one empty result row.
MemoryProtocolTable emptyProtocol();

// Applies one event to the table.
void apply(const JournalEntry &entry, ProtocolTable &table);

// The protocol as it stood just before event number `before`; after the last event
// when `before` is 0.
MemoryProtocolTable replay(const QList<JournalEntry> &entries, qint64 before = 0);

// The protocol at the journal's end, and whether that is `saved` with finishes added:
// `saved` is the protocol as it stood at some event, and every event after that one is a
// finish or leaves the protocol alone. So it is with an autosave that a crash left behind
// the journal, which records each change before the autosave is asked for.
struct Ending
{
    MemoryProtocolTable table;
    bool addsFinishesToSaved = false;
};
Ending replayFrom(const QList<JournalEntry> &entries, const ProtocolTable &saved);

// Whether the event is one the operator picks as a point to go back to: the race's
// START (also continued after a restart) and STOPP, clears, resets, loads, imports,
// restores, program start and exit, and every file taken up.
bool isKeyEvent(const JournalEntry &entry);

// A key event and the protocol's result count just before it; or, last of all, the
// journal's end, where `entry` is no event but numbered one past the last.
struct RestorePoint
{
    JournalEntry entry;
    int resultsBefore = 0;
    bool atEnd = false;
};
// Every key event, then the end of a journal that has events.
QList<RestorePoint> restorePoints(const QList<JournalEntry> &entries);

// The restore points gathered as the events come: of each key event it keeps what the
// list shows, not the protocol it carries, so that memory grows with the key events only.
class RestorePointCollector
{
public:
    void take(const JournalEntry &entry);
    // The points, the journal's end last.
    QList<RestorePoint> finish();

private:
    MemoryProtocolTable m_table = emptyProtocol();
    QList<RestorePoint> m_points;
    std::optional<JournalEntry> m_lastEvent;
};

// A journal file's restore points and its damaged lines, from one streaming read.
struct Scan
{
    QList<RestorePoint> points;
    int damagedLines = 0;
};
std::optional<Scan> scanFile(const QString &fileName, QString *error = nullptr,
                             TaskProgress *control = nullptr);

// The protocol as it stood before event `before` (after the last when 0), from one
// streaming read of the file, with the number of events replayed and of damaged lines.
struct Replayed
{
    MemoryProtocolTable table;
    qint64 events = 0;
    int damagedLines = 0;
};
std::optional<Replayed> replayFile(const QString &fileName, qint64 before, QString *error = nullptr,
                                   TaskProgress *control = nullptr);

} // namespace JournalReplay
