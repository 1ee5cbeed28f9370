#pragma once

#include "ClockSource.h"

// A clock source whose values the test sets by hand.
class ManualClock final : public ClockSource
{
public:
    quint32 tick = 0;
    qint32 timeOfDay = 0;

    quint32 TickCount() const override { return tick; }
    qint32 TimeOfDayMs() const override { return timeOfDay; }

    void Advance(qint32 ms)
    {
        tick += quint32(ms);
        timeOfDay = (timeOfDay + ms) % 86400000;
    }
};
