#include "platform/ClockSource.h"

#include <QTime>

#include <chrono>

quint32 SystemClockSource::tickCount() const
{
    const auto sinceBoot = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceBoot).count();
    return quint32(quint64(ms)); // wraps like a 32-bit tick counter
}

qint32 SystemClockSource::timeOfDayMs() const
{
    return QTime::currentTime().msecsSinceStartOfDay();
}

ClockSource &defaultClockSource()
{
    static SystemClockSource source;
    return source;
}
