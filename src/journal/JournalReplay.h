#pragma once

#include "journal/JournalEntry.h"
#include "protocol/MemoryProtocolTable.h"

#include <QList>

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

} // namespace JournalReplay
