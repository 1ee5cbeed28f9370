#include "timing/RaceClock.h"

#include "platform/ClockSource.h"
#include "timing/RaceTime.h"

#include <algorithm>

RaceClock::RaceClock(RaceClockHost &host, ClockSource &clocks, QObject *parent)
    : QObject(parent)
    , m_host(host)
    , m_clocks(clocks)
{
    m_clock.setInterval(10);
    m_clock.setTimerType(Qt::PreciseTimer);
    connect(&m_clock, &QTimer::timeout, this, &RaceClock::showTimeOfDay);

    m_lockout.setSingleShot(true);
    m_lockout.setTimerType(Qt::PreciseTimer);
    connect(&m_lockout, &QTimer::timeout, this, &RaceClock::endLockout);

    // Ready: only START is enabled.
    buttonRef(RaceCommand::Start) = {true, Colors::clGreen};
}

const CommandButtonState &RaceClock::button(RaceCommand command) const
{
    return m_buttons[size_t(command)];
}

CommandButtonState &RaceClock::buttonRef(RaceCommand command)
{
    return m_buttons[size_t(command)];
}

QString RaceClock::runningLapCaption() const
{
    return m_finishWord + QLatin1Char(' ') + QString::number(m_host.lastResultRow() + 1);
}

void RaceClock::setFinishWord(const QString &word)
{
    m_finishWord = word;
    m_lapCaption = enabled(RaceCommand::Lap) ? runningLapCaption() : m_finishWord;
    m_host.commandStatesChanged();
}

QString RaceClock::formatRaceTime(qint32 milliseconds) const
{
    return ::formatRaceTime(milliseconds, m_precision);
}

void RaceClock::start()
{
    if (enabled(RaceCommand::Start))
        mStartClickAt(m_clocks.tickCount());
}

void RaceClock::mStartClickAt(quint32 tick)
{
    if (!enabled(RaceCommand::Start))
        return;
    m_startTick = tick;
    m_clock.start();
    if (m_lockoutInterval > 0 && !lockedAt(m_startTick))
        startLockout(m_startTick);
    m_settingsEnabled = false;
    buttonRef(RaceCommand::Start) = {false, Colors::clBtnFace};
    buttonRef(RaceCommand::Lap) = {true, Colors::clYellow};
    buttonRef(RaceCommand::Stop) = {true, Colors::clRed};
    buttonRef(RaceCommand::Reset).enabled = false;
    m_lapCaption = runningLapCaption();
    m_host.commandStatesChanged();
    m_host.focusControl(FocusTarget::StartNumbers);
}

void RaceClock::recordFinish()
{
    if (enabled(RaceCommand::Lap))
        mLAPClickAt(m_clocks.timeOfDayMs());
}

void RaceClock::mLAPClickAt(qint32 timeOfDayMs)
{
    if (!enabled(RaceCommand::Lap))
        return;
    m_host.setLastResultRow(m_host.lastResultRow() + 1);
    m_host.showTime(DisplayRow::Lower, timeOfDayMs);
    m_host.addResultRow(formatRaceTime(timeOfDayMs), m_host.currentCountryCode());
    m_lapCaption = runningLapCaption();
    m_host.commandStatesChanged();
    m_host.showResultRow(m_host.lastResultRow());
    m_host.focusControl(FocusTarget::StartNumbers);
    m_host.saveAutosave();
}

void RaceClock::stop()
{
    if (!enabled(RaceCommand::Stop))
        return;
    m_stopTick = m_clocks.tickCount();
    m_clock.stop();
    buttonRef(RaceCommand::Start).enabled = false;
    buttonRef(RaceCommand::Lap) = {false, Colors::clBtnFace};
    buttonRef(RaceCommand::Stop) = {false, Colors::clBtnFace};
    buttonRef(RaceCommand::Reset) = {true, Colors::clBlack};
    m_host.enableExportCommands(false);
    m_host.showTime(DisplayRow::Upper, elapsedMs());
    m_host.showTime(DisplayRow::Lower, 0);
    m_lapCaption = m_finishWord;
    m_host.commandStatesChanged();
    m_host.focusControl(FocusTarget::ResetButton);
}

void RaceClock::reset()
{
    if (!enabled(RaceCommand::Reset))
        return;
    const int answer = m_host.askYesNo(QStringLiteral("Protokoll wird gelöscht!"),
                                       QStringLiteral("OK"), QStringLiteral("Abbrechen"));
    if (answer != 6)
        return;
    m_host.clearProtocol();
    m_host.setLastResultRow(0);
    m_host.layoutProtocolColumns();
    m_host.showTime(DisplayRow::Upper, 0);
    m_host.showTime(DisplayRow::Lower, 0);
    m_settingsEnabled = true;
    buttonRef(RaceCommand::Start) = {true, Colors::clGreen};
    buttonRef(RaceCommand::Reset) = {false, Colors::clBtnFace};
    m_stopTick = m_startTick;
    m_host.commandStatesChanged();
    m_host.focusControl(FocusTarget::StartButton);
    m_host.updateProtocolCommands();
}

void RaceClock::showTimeOfDay()
{
    m_host.showTime(DisplayRow::Upper, m_clocks.timeOfDayMs());
}

void RaceClock::endLockout()
{
    m_lockout.stop();
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
