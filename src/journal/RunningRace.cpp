#include "journal/RunningRace.h"

#include "journal/JournalKinds.h"
#include "journal/JournalLine.h"
#include "journal/JournalReplay.h"

namespace K = JournalKinds;
namespace F = JournalKinds::Field;

namespace {

std::optional<qint32> timeOfDayIn(const JournalEntry &entry)
{
    const QTime time = QTime::fromString(entry.field(F::TimeOfDay), QStringLiteral("HH:mm:ss.zzz"));
    return time.isValid() ? std::optional(time.msecsSinceStartOfDay()) : std::nullopt;
}

// When the race that the event starts or carries on began. A START names only its time
// of day; its date is the one of the event's stamp, written a moment later.
std::optional<QDateTime> raceStartIn(const JournalEntry &entry)
{
    const std::optional<qint32> timeOfDay = timeOfDayIn(entry);
    if (!timeOfDay)
        return std::nullopt;
    if (entry.kind == K::Start) {
        const QDateTime stamp = QDateTime::fromString(entry.time, QLatin1String(JournalLine::TimeFormat));
        return stamp.isValid() ? std::optional(nearestWithTimeOfDay(stamp, *timeOfDay)) : std::nullopt;
    }
    const QDateTime start(QDate::fromString(entry.field(F::Date), Qt::ISODate),
                          QTime::fromMSecsSinceStartOfDay(*timeOfDay));
    return start.isValid() ? std::optional(start) : std::nullopt;
}

} // namespace

QDateTime nearestWithTimeOfDay(const QDateTime &reference, qint32 timeOfDayMs)
{
    const QTime time = QTime::fromMSecsSinceStartOfDay(timeOfDayMs);
    QDateTime nearest(reference.date(), time);
    for (const int days : {-1, 1}) {
        const QDateTime other(reference.date().addDays(days), time);
        if (qAbs(reference.msecsTo(other)) < qAbs(reference.msecsTo(nearest)))
            nearest = other;
    }
    return nearest;
}

std::optional<UnfinishedRace> findUnfinishedRace(const QList<JournalEntry> &entries)
{
    std::optional<RunningRace> race;
    for (const JournalEntry &entry : entries) {
        // A file taken up during a race names it; older journals do not say either way.
        const bool carriesRace = entry.kind == K::Start || entry.kind == K::RaceContinued
            || (entry.kind == K::Continued && entry.hasField(F::Date));
        if (carriesRace) {
            const std::optional<QDateTime> start = raceStartIn(entry);
            race = start ? std::optional(RunningRace{*start, std::nullopt}) : std::nullopt;
        } else if (entry.kind == K::Stop || entry.kind == K::Reset || entry.kind == K::RaceNotContinued
                   || (entry.kind == K::Continued && entry.hasField(F::Reason))) {
            race.reset();
        }
        if (race && entry.hasField(F::StartNumberList))
            race->startNumbers = entry.field(F::StartNumberList);
    }
    if (!race)
        return std::nullopt;
    return UnfinishedRace{*race, JournalReplay::replay(entries)};
}
