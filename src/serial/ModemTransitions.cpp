#include "serial/ModemTransitions.h"

#include <array>

namespace {

struct LineOfLook
{
    quint32 event;
    quint32 statusBit;
    quint32 ModemLook::*counter;
};

// In the order of the fixed dispatch order: CTS before DSR.
const std::array<LineOfLook, 4> Lines = {{
    {ComEvent::Ring, ModemLine::RingOn, &ModemLook::ring},
    {ComEvent::Cts, ModemLine::CtsOn, &ModemLook::cts},
    {ComEvent::Dsr, ModemLine::DsrOn, &ModemLook::dsr},
    {ComEvent::Rlsd, ModemLine::RlsdOn, &ModemLook::rlsd},
}};

// How often a line changed between two looks. The counters and the levels
// must agree: an odd count changes the level, an even one leaves it. Where they
// disagree (a driver that missed an interrupt) one change more is assumed.
// Without counters, a change the device reported for a line that reads as
// before went and came back: two changes, so a short pulse is still one crossing.
quint32 changes(const ModemLook &before, const ModemLook &after, const LineOfLook &line)
{
    const bool levelChanged = ((before.status ^ after.status) & line.statusBit) != 0;
    if (!before.counted || !after.counted) {
        if (levelChanged)
            return 1;
        return (after.events & line.event) ? 2 : 0;
    }
    quint32 counted = after.*line.counter - before.*line.counter;
    // A counter that went back was reset; only the level tells anything then.
    if (counted > 0x7FFFFFFFu)
        counted = 0;
    if (counted == 0)
        return levelChanged ? 1 : 0;
    return ((counted % 2 == 1) == levelChanged) ? counted : counted + 1;
}

} // namespace

quint32 appendModemTransitions(const ModemLook &before, const ModemLook &after, quint32 mask,
                               std::vector<SerialNotification> *out)
{
    quint32 unlisted = 0;
    quint32 finalEvents = after.events & mask;
    if (before.counted && after.counted) {
        if (after.breaks != before.breaks)
            finalEvents |= ComEvent::Break & mask;
        if (after.errors != before.errors)
            finalEvents |= ComEvent::Error & mask;
    }

    quint32 status = before.status;
    for (const LineOfLook &line : Lines) {
        if (!(mask & line.event))
            continue;
        quint32 changed = changes(before, after, line);
        if (changed == 0)
            continue;
        if (changed > MaxListedChanges) {
            // Keep the parity so the listed changes still end at the level read.
            const quint32 kept = MaxListedChanges - ((changed - MaxListedChanges) % 2);
            unlisted += changed - kept;
            changed = kept;
        }
        // The line's last change goes into the final notification; its level
        // before that change is what the next line's earlier changes see.
        for (quint32 i = 1; i < changed; ++i) {
            status ^= line.statusBit;
            out->push_back({line.event, status, {}, 0});
        }
        finalEvents |= line.event;
    }
    if (finalEvents != 0)
        out->push_back({finalEvents, after.status, {}, 0});
    return unlisted;
}
