#include "timing/RaceClock.h"

#include "platform/ClockSource.h"
#include "timing/RaceTime.h"

#include <algorithm>

RaceClock::RaceClock(ClockSource &clocks, QObject *parent)
    : QObject(parent)
    , m_clocks(clocks)
{
    m_clock.setInterval(10);
    m_clock.setTimerType(Qt::PreciseTimer);
    connect(&m_clock, &QTimer::timeout, this, &RaceClock::showTimeOfDay);

    m_lockout.setSingleShot(true);
    m_lockout.setTimerType(Qt::PreciseTimer);
    connect(&m_lockout, &QTimer::timeout, this, &RaceClock::lockoutTimeReached);
}

bool RaceClock::enabled(RaceCommand command) const
{
    switch (command) {
    case RaceCommand::Start:
        return m_state == RaceState::Ready;
    case RaceCommand::Lap:
    case RaceCommand::Stop:
        return m_state == RaceState::Running;
    case RaceCommand::Reset:
        return m_state == RaceState::Stopped;
    }
    return false;
}

void RaceClock::setFinishWord(const QString &word)
{
    m_finishWord = word;
    Q_EMIT commandStatesChanged();
}

QString RaceClock::formatRaceTime(qint32 milliseconds) const
{
    return ::formatRaceTime(milliseconds, m_precision);
}

void RaceClock::start()
{
    if (enabled(RaceCommand::Start))
        startAt(m_clocks.tickCount());
}

void RaceClock::startAt(quint32 tick)
{
    if (!enabled(RaceCommand::Start))
        return;
    run(tick);
    Q_EMIT started();
}

void RaceClock::continueAt(quint32 startTick)
{
    if (!enabled(RaceCommand::Start))
        return;
    run(startTick);
}

void RaceClock::run(quint32 startTick)
{
    m_startTick = startTick;
    m_clock.start();
    if (m_lockoutInterval > 0 && !lockedAt(m_startTick))
        startLockout(m_startTick);
    m_state = RaceState::Running;
    Q_EMIT commandStatesChanged();
}

void RaceClock::recordFinish()
{
    if (enabled(RaceCommand::Lap))
        recordFinishAt(m_clocks.timeOfDayMs(), FinishSource::Key);
}

void RaceClock::recordFinishAt(qint32 timeOfDayMs, FinishSource source)
{
    if (!enabled(RaceCommand::Lap))
        return;
    Q_EMIT timeShown(DisplayRow::Lower, timeOfDayMs);
    Q_EMIT finishRecorded({timeOfDayMs, formatRaceTime(timeOfDayMs), source});
    // The finish button counts the finishes: its caption changes with each one.
    Q_EMIT commandStatesChanged();
}

void RaceClock::stop()
{
    if (!enabled(RaceCommand::Stop))
        return;
    m_stopTick = m_clocks.tickCount();
    m_clock.stop();
    m_state = RaceState::Stopped;
    Q_EMIT timeShown(DisplayRow::Upper, elapsedMs());
    Q_EMIT timeShown(DisplayRow::Lower, 0);
    Q_EMIT commandStatesChanged();
    Q_EMIT stopped();
}

void RaceClock::reset()
{
    if (!enabled(RaceCommand::Reset))
        return;
    Q_EMIT timeShown(DisplayRow::Upper, 0);
    Q_EMIT timeShown(DisplayRow::Lower, 0);
    m_state = RaceState::Ready;
    m_stopTick = m_startTick;
    Q_EMIT commandStatesChanged();
    Q_EMIT wasReset();
}

void RaceClock::showTimeOfDay()
{
    Q_EMIT timeShown(DisplayRow::Upper, m_clocks.timeOfDayMs());
}

void RaceClock::endLockout()
{
    m_lockout.stop();
    lockoutTimeReached();
}

void RaceClock::lockoutTimeReached()
{
    // Ends the lockout now; when the timer fires on time that is its end anyway.
    const quint32 now = m_clocks.tickCount();
    if (qint32(now - m_lockoutEnd) < 0)
        m_lockoutEnd = now;
}

bool RaceClock::lockedAt(quint32 tick) const
{
    return qint32(tick - m_lockoutStart) >= 0 && qint32(tick - m_lockoutEnd) < 0;
}

void RaceClock::startLockout(quint32 tick)
{
    m_lockoutStart = tick;
    m_lockoutEnd = tick + quint32(m_lockoutInterval);
    const qint32 remaining = qint32(m_lockoutEnd - m_clocks.tickCount());
    if (remaining > 0)
        m_lockout.start(std::min(remaining, m_lockoutInterval));
    else
        m_lockout.stop();
}

void RaceClock::armLockout()
{
    armLockoutAt(m_clocks.tickCount());
}

void RaceClock::armLockoutAt(quint32 tick)
{
    if (!lockedAt(tick) && enabled(RaceCommand::Stop) && m_lockoutInterval > 0)
        startLockout(tick);
}
