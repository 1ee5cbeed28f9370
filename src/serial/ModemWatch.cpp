#include "ModemWatch.h"

quint32 WatchedModemLines(quint32 mask)
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

bool ModemWatch::Start(ModemLineAccess &device, ComFailure *failure)
{
    m_started = device.Look(&m_last, failure);
    // Events noted before the start are not reported.
    m_last.Events = 0;
    return m_started;
}

ComWaitResult ModemWatch::Wait(ModemLineAccess &device, quint32 mask, ComWaitReport *report)
{
    if (!m_started && !Start(device, &report->Failure))
        return ComWaitResult::Failed;
    for (;;) {
        ModemLook look;
        if (!device.Look(&look, &report->Failure))
            return ComWaitResult::Failed;
        report->Unlisted += AppendModemTransitions(m_last, look, mask, &report->Notifications);
        m_last = look;
        m_last.Events = 0;
        if (!report->Notifications.empty())
            return ComWaitResult::Events;
        if (device.WakeRequested())
            return ComWaitResult::Interrupted;
        if (!device.AwaitLineChange(WatchedModemLines(mask), !look.Counted, &report->Failure))
            return ComWaitResult::Failed;
    }
}
