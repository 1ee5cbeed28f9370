#pragma once

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

// The clock source the program uses unless a test installs its own.
ClockSource &defaultClockSource();
