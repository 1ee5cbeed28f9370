#pragma once

#include <QString>
#include <QtGlobal>

// One moment read from both clocks: the tick for intervals, the time of day
// for what is recorded.
struct ClockStamp
{
    quint32 tick = 0;
    qint32 timeOfDayMs = 0;
};

// The two clocks the race clock reads. Tests replace them to set midnight,
// a tick-counter wrap or any time of day. Both may be read from any thread.
class ClockSource
{
public:
    virtual ~ClockSource() = default;

    ClockStamp now() const { return {tickCount(), timeOfDayMs()}; }

    // Milliseconds from a monotonic clock, wrapping at 2^32 like a tick counter.
    virtual quint32 tickCount() const = 0;

    // Local time of day: (h * 3600 + m * 60 + s) * 1000 + ms, 0 .. 86 399 999.
    virtual qint32 timeOfDayMs() const = 0;
};

// The clocks of the machine.
class SystemClockSource final : public ClockSource
{
public:
    quint32 tickCount() const override;
    qint32 timeOfDayMs() const override;
};

// A clock that stands still at the time of day written in a file ("HH:mm:ss.zzz", read
// anew at every reading), for scripted end-to-end runs that must record the same times on
// every machine. The tick counts the milliseconds of that time of day; an unreadable file
// reads as midnight.
class ScriptedClockSource final : public ClockSource
{
public:
    explicit ScriptedClockSource(const QString &fileName)
        : m_fileName(fileName)
    { }
    quint32 tickCount() const override { return quint32(timeOfDayMs()); }
    qint32 timeOfDayMs() const override;

private:
    QString m_fileName;
};

// The clock source the program uses unless a test installs its own: the machine's clocks,
// or the scripted clock when the environment variable TIVANO_SCRIPTED_CLOCK names its file.
ClockSource &defaultClockSource();
