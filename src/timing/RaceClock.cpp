#include "RaceClock.h"

#include "ClockSource.h"
#include "RaceTime.h"

#include <algorithm>

RaceClock::RaceClock(RaceClockHost &host, ClockSource &clocks, QObject *parent)
    : QObject(parent)
    , m_host(host)
    , m_clocks(clocks)
{
    m_clock.setInterval(10);
    m_clock.setTimerType(Qt::PreciseTimer);
    connect(&m_clock, &QTimer::timeout, this, &RaceClock::ClockTimer);

    m_lockout.setSingleShot(true);
    m_lockout.setTimerType(Qt::PreciseTimer);
    connect(&m_lockout, &QTimer::timeout, this, &RaceClock::TimerGesperrtTimer);

    // Ready: only START is enabled.
    ButtonRef(RaceCommand::Start) = {true, Colors::clGreen};
}

const CommandButtonState &RaceClock::Button(RaceCommand command) const
{
    return m_buttons[size_t(command)];
}

CommandButtonState &RaceClock::ButtonRef(RaceCommand command)
{
    return m_buttons[size_t(command)];
}

QString RaceClock::RunningLapCaption() const
{
    return m_finishWord + QLatin1Char(' ') + QString::number(m_host.ResultCount() + 1);
}

void RaceClock::setFinishWord(const QString &word)
{
    m_finishWord = word;
    m_lapCaption = Enabled(RaceCommand::Lap) ? RunningLapCaption() : m_finishWord;
    m_host.CommandStatesChanged();
}

QString RaceClock::FormatRaceTime(qint32 milliseconds) const
{
    return ::FormatRaceTime(milliseconds, m_precision);
}

void RaceClock::mStartClick()
{
    if (Enabled(RaceCommand::Start))
        mStartClickAt(m_clocks.TickCount());
}

void RaceClock::mStartClickAt(quint32 tick)
{
    if (!Enabled(RaceCommand::Start))
        return;
    m_startTick = tick;
    m_clock.start();
    if (m_lockoutInterval > 0 && !LockedAt(m_startTick))
        StartLockout(m_startTick);
    m_settingsEnabled = false;
    ButtonRef(RaceCommand::Start) = {false, Colors::clBtnFace};
    ButtonRef(RaceCommand::Lap) = {true, Colors::clYellow};
    ButtonRef(RaceCommand::Stop) = {true, Colors::clRed};
    ButtonRef(RaceCommand::Reset).enabled = false;
    m_lapCaption = RunningLapCaption();
    m_host.CommandStatesChanged();
    m_host.FocusControl(FocusTarget::StartNumbers);
}

void RaceClock::mLAPClick()
{
    if (Enabled(RaceCommand::Lap))
        mLAPClickAt(m_clocks.TimeOfDayMs());
}

void RaceClock::mLAPClickAt(qint32 timeOfDayMs)
{
    if (!Enabled(RaceCommand::Lap))
        return;
    m_host.setResultCount(m_host.ResultCount() + 1);
    m_host.ShowTime(DisplayRow::Lower, timeOfDayMs);
    m_host.AddResultRow(FormatRaceTime(timeOfDayMs), m_host.CurrentCountryCode());
    m_lapCaption = RunningLapCaption();
    m_host.CommandStatesChanged();
    m_host.ShowResultRow(m_host.ResultCount());
    m_host.FocusControl(FocusTarget::StartNumbers);
    m_host.SaveAutosave();
}

void RaceClock::mStopClick()
{
    if (!Enabled(RaceCommand::Stop))
        return;
    m_stopTick = m_clocks.TickCount();
    m_clock.stop();
    ButtonRef(RaceCommand::Start).enabled = false;
    ButtonRef(RaceCommand::Lap) = {false, Colors::clBtnFace};
    ButtonRef(RaceCommand::Stop) = {false, Colors::clBtnFace};
    ButtonRef(RaceCommand::Reset) = {true, Colors::clBlack};
    m_host.EnableExportCommands(false);
    m_host.ShowTime(DisplayRow::Upper, ElapsedMs());
    m_host.ShowTime(DisplayRow::Lower, 0);
    m_lapCaption = m_finishWord;
    m_host.CommandStatesChanged();
    m_host.FocusControl(FocusTarget::ResetButton);
}

void RaceClock::mResetClick()
{
    if (!Enabled(RaceCommand::Reset))
        return;
    const int answer = m_host.AskYesNo(QStringLiteral("Protokoll wird gelöscht!"),
                                       QStringLiteral("OK"), QStringLiteral("Abbrechen"));
    if (answer != 6)
        return;
    m_host.ClearProtocol();
    m_host.setResultCount(0);
    m_host.LayoutProtocolColumns();
    m_host.ShowTime(DisplayRow::Upper, 0);
    m_host.ShowTime(DisplayRow::Lower, 0);
    m_settingsEnabled = true;
    ButtonRef(RaceCommand::Start) = {true, Colors::clGreen};
    ButtonRef(RaceCommand::Reset) = {false, Colors::clBtnFace};
    m_stopTick = m_startTick;
    m_host.CommandStatesChanged();
    m_host.FocusControl(FocusTarget::StartButton);
    m_host.UpdateProtocolCommands();
}

void RaceClock::ClockTimer()
{
    m_host.ShowTime(DisplayRow::Upper, m_clocks.TimeOfDayMs());
}

void RaceClock::TimerGesperrtTimer()
{
    m_lockout.stop();
    // Ends the lockout now; when the timer fires on time that is its end anyway.
    const quint32 now = m_clocks.TickCount();
    if (qint32(now - m_lockoutEnd) < 0)
        m_lockoutEnd = now;
}

bool RaceClock::LockedAt(quint32 tick) const
{
    return qint32(tick - m_lockoutStart) >= 0 && qint32(tick - m_lockoutEnd) < 0;
}

void RaceClock::StartLockout(quint32 tick)
{
    m_lockoutStart = tick;
    m_lockoutEnd = tick + quint32(m_lockoutInterval);
    const qint32 remaining = qint32(m_lockoutEnd - m_clocks.TickCount());
    if (remaining > 0)
        m_lockout.start(std::min(remaining, m_lockoutInterval));
    else
        m_lockout.stop();
}

void RaceClock::ArmLockout()
{
    ArmLockoutAt(m_clocks.TickCount());
}

void RaceClock::ArmLockoutAt(quint32 tick)
{
    if (!LockedAt(tick) && Enabled(RaceCommand::Stop) && m_lockoutInterval > 0)
        StartLockout(tick);
}
