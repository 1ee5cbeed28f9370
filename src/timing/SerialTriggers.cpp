#include "SerialTriggers.h"

#include "RaceClock.h"

SerialTriggers::SerialTriggers(RaceClock &clock)
    : m_clock(clock)
{
}

void SerialTriggers::ComPortDSR(quint32 status)
{
    ComPortDSR(status, m_clock.Clocks().Now());
}

void SerialTriggers::ComPortCTS(quint32 status)
{
    ComPortCTS(status, m_clock.Clocks().Now());
}

void SerialTriggers::ComPortDSR(quint32 status, const ClockStamp &at)
{
    if (status == m_lastModemStatus)
        return;
    m_lastModemStatus = status;
    const bool on = (status & StartLine) != 0;
    if ((m_alg == AlgOn && on) || (m_alg == AlgOff && !on))
        SerialStartTrigger(at);
}

void SerialTriggers::ComPortCTS(quint32 status, const ClockStamp &at)
{
    if (status == m_lastModemStatus)
        return;
    m_lastModemStatus = status;
    const bool on = (status & FinishLine) != 0;
    switch (m_alg) {
    case AlgOn:
        if (on)
            SerialFinishTrigger(at);
        break;
    case AlgOff:
        if (!on)
            SerialFinishTrigger(at);
        break;
    case AlgFinishOnly:
        // The finish line alone, acted on whatever the mode.
        if (on && m_clock.Enabled(RaceCommand::Lap) && !m_clock.LockedAt(at.Tick)) {
            m_clock.mLAPClickAt(at.TimeOfDayMs);
            m_clock.ArmLockoutAt(at.Tick);
        }
        break;
    default:
        break;
    }
}

void SerialTriggers::SerialStartTrigger(const ClockStamp &at)
{
    if (!m_auto || m_clock.LockedAt(at.Tick))
        return;
    if (m_clock.Enabled(RaceCommand::Start))
        m_clock.mStartClickAt(at.Tick);
}

void SerialTriggers::SerialFinishTrigger(const ClockStamp &at)
{
    if (!m_auto || m_clock.LockedAt(at.Tick))
        return;
    if (m_clock.Enabled(RaceCommand::Lap))
        m_clock.mLAPClickAt(at.TimeOfDayMs);
    m_clock.ArmLockoutAt(at.Tick);
}
