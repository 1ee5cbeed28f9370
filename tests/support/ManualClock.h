#pragma once

#include "platform/ClockSource.h"

#include <atomic>

// A clock source whose values the test sets by hand. The serial monitor
// thread reads it too, so the values are atomic.
class ManualClock final : public ClockSource
{
public:
    std::atomic<quint32> tick{0};
    std::atomic<qint32> timeOfDay{0};

    quint32 tickCount() const override { return tick; }
    qint32 timeOfDayMs() const override { return timeOfDay; }

    void advance(qint32 ms)
    {
        tick += quint32(ms);
        timeOfDay = (timeOfDay + ms) % 86400000;
    }
};
