#include "SerialTriggers.h"

#include "RaceClock.h"

SerialTriggers::SerialTriggers(RaceClock &clock)
    : m_clock(clock)
{
}

void SerialTriggers::ComPortDSR(quint32 status)
{
    if (status == m_lastModemStatus)
        return;
    m_lastModemStatus = status;
    const bool on = (status & StartLine) != 0;
    if ((m_alg == AlgOn && on) || (m_alg == AlgOff && !on))
        SerialStartTrigger();
}

void SerialTriggers::ComPortCTS(quint32 status)
{
    if (status == m_lastModemStatus)
        return;
    m_lastModemStatus = status;
    const bool on = (status & FinishLine) != 0;
    switch (m_alg) {
    case AlgOn:
        if (on)
            SerialFinishTrigger();
        break;
    case AlgOff:
        if (!on)
            SerialFinishTrigger();
        break;
    case AlgFinishOnly:
        // The finish line alone, acted on whatever the mode.
        if (on && m_clock.Enabled(RaceCommand::Lap) && !m_clock.Locked()) {
            m_clock.mLAPClick();
            m_clock.ArmLockout();
        }
        break;
    default:
        break;
    }
}

void SerialTriggers::SerialStartTrigger()
{
    if (!m_auto || m_clock.Locked())
        return;
    if (m_clock.Enabled(RaceCommand::Start))
        m_clock.mStartClick();
}

void SerialTriggers::SerialFinishTrigger()
{
    if (!m_auto || m_clock.Locked())
        return;
    if (m_clock.Enabled(RaceCommand::Lap))
        m_clock.mLAPClick();
    m_clock.ArmLockout();
}
