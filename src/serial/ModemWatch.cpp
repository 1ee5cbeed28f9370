#include "serial/ModemWatch.h"

quint32 watchedModemLines(quint32 mask)
{
    quint32 lines = 0;
    if (mask & ComEvent::Cts)
        lines |= ModemLine::CtsOn;
    if (mask & ComEvent::Dsr)
        lines |= ModemLine::DsrOn;
    if (mask & ComEvent::Ring)
        lines |= ModemLine::RingOn;
    if (mask & ComEvent::Rlsd)
        lines |= ModemLine::RlsdOn;
    return lines;
}

bool ModemWatch::start(ModemLineAccess &device, SerialFailure *failure)
{
    m_started = device.look(&m_last, failure);
    // Events noted before the start are not reported.
    m_last.events = 0;
    return m_started;
}

SerialWaitResult ModemWatch::wait(ModemLineAccess &device, quint32 mask, SerialWaitReport *report)
{
    if (!m_started && !start(device, &report->failure))
        return SerialWaitResult::Failed;
    for (;;) {
        ModemLook look;
        if (!device.look(&look, &report->failure))
            return SerialWaitResult::Failed;
        report->unlisted += appendModemTransitions(m_last, look, mask, &report->notifications);
        m_last = look;
        m_last.events = 0;
        if (!report->notifications.empty())
            return SerialWaitResult::Events;
        if (device.wakeRequested())
            return SerialWaitResult::Interrupted;
        if (!device.awaitLineChange(watchedModemLines(mask), !look.counted, &report->failure))
            return SerialWaitResult::Failed;
    }
}
