#include "timing/SerialTriggers.h"

#include "serial/SerialPort.h"
#include "timing/RaceClock.h"

SerialTriggers::SerialTriggers(RaceClock &clock, QObject *parent)
    : QObject(parent)
    , m_clock(clock)
{ }

void SerialTriggers::listenTo(const SerialPort &port)
{
    connect(&port, &SerialPort::ctsChanged, this, &SerialTriggers::finishLineChanged);
    connect(&port, &SerialPort::dsrChanged, this, &SerialTriggers::startLineChanged);
}

void SerialTriggers::startLineChanged(quint32 status, const ClockStamp &at)
{
    if (status == m_lastModemStatus)
        return;
    m_lastModemStatus = status;
    const bool on = (status & StartLine) != 0;
    if ((m_alg == AlgOn && on) || (m_alg == AlgOff && !on))
        triggerStart(at);
}

void SerialTriggers::finishLineChanged(quint32 status, const ClockStamp &at)
{
    if (status == m_lastModemStatus)
        return;
    m_lastModemStatus = status;
    const bool on = (status & FinishLine) != 0;
    switch (m_alg) {
    case AlgOn:
        if (on)
            triggerFinish(at);
        break;
    case AlgOff:
        if (!on)
            triggerFinish(at);
        break;
    case AlgFinishOnly:
        // The finish line alone, acted on whatever the mode.
        if (on && m_clock.enabled(RaceCommand::Lap) && !m_clock.lockedAt(at.tick)) {
            m_clock.recordFinishAt(at.timeOfDayMs, FinishSource::LightBarrier);
            m_clock.armLockoutAt(at.tick);
        }
        break;
    default:
        break;
    }
}

void SerialTriggers::triggerStart(const ClockStamp &at)
{
    if (!m_auto || m_clock.lockedAt(at.tick))
        return;
    if (m_clock.enabled(RaceCommand::Start))
        m_clock.startAt(at.tick);
}

void SerialTriggers::triggerFinish(const ClockStamp &at)
{
    if (!m_auto || m_clock.lockedAt(at.tick))
        return;
    if (m_clock.enabled(RaceCommand::Lap))
        m_clock.recordFinishAt(at.timeOfDayMs, FinishSource::LightBarrier);
    m_clock.armLockoutAt(at.tick);
}
