#pragma once

#include <QtGlobal>

// The two clocks the race clock reads. Tests replace them to set midnight,
// a tick-counter wrap or any time of day.
class ClockSource
{
public:
    virtual ~ClockSource() = default;

    // Milliseconds from a monotonic clock, wrapping at 2^32 like a tick counter.
    virtual quint32 TickCount() const = 0;

    // Local time of day: (h * 3600 + m * 60 + s) * 1000 + ms, 0 .. 86 399 999.
    virtual qint32 TimeOfDayMs() const = 0;
};

// The clocks of the machine.
class SystemClockSource final : public ClockSource
{
public:
    quint32 TickCount() const override;
    qint32 TimeOfDayMs() const override;
};

// The clock source the program uses unless a test installs its own.
ClockSource &DefaultClockSource();
