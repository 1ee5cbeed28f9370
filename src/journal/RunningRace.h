#pragma once

#include "journal/JournalEntry.h"
#include "protocol/MemoryProtocolTable.h"

#include <QDateTime>
#include <QList>

#include <optional>

// A race between its START and its STOPP or reset, as the journal knows it: when it
// started and the start numbers left for its next finishes.
struct RunningRace
{
    QDateTime start; // local date and time of the START
    std::optional<QString> startNumbers; // unknown in journals that did not record the list
};

// A race the journal shows started and never stopped: the program ended while it ran
// (a crash, a power cut, a close answered yes), and the protocol the journal ends with.
struct UnfinishedRace
{
    RunningRace race;
    MemoryProtocolTable protocol;
};

// The race running at the end of the events, if one is.
std::optional<UnfinishedRace> findUnfinishedRace(const QList<JournalEntry> &entries);

// The local date and time with the time of day `timeOfDayMs` that lies nearest to
// `reference`: a time of day read just before or after the reference, dated across
// midnight.
QDateTime nearestWithTimeOfDay(const QDateTime &reference, qint32 timeOfDayMs);
