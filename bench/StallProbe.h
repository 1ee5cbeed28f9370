#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

// The longest time the thread it lives on went without running its timers: a 1 ms timer
// notes the gap between two of its ticks, for as long as the probe exists and that
// thread's event loop runs.
class StallProbe
{
public:
    StallProbe()
    {
        m_clock.start();
        m_last = m_clock.nsecsElapsed();
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
        m_timer.start(1);
    }

    // Counts a tick now; called at the end of the measured stretch, the time since the
    // timer's last tick counts too.
    void tick()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }

    double longestMs() const { return double(m_longest) / 1e6; }
    double elapsedMs() const { return double(m_clock.nsecsElapsed()) / 1e6; }

private:
    QElapsedTimer m_clock;
    QTimer m_timer;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};
