#pragma once

#include "serial/SerialTypes.h"

#include <vector>

// One reading of a device's modem inputs: the lines and, where the driver keeps
// them, its interrupt counters, which count every change of a line even when
// the line has changed back before anybody looked.
struct ModemLook
{
    quint32 status = 0; // ModemLine bits
    bool counted = false; // the counters below are valid
    quint32 cts = 0;
    quint32 dsr = 0;
    quint32 ring = 0;
    quint32 rlsd = 0;
    quint32 breaks = 0;
    quint32 errors = 0;
    // Events (ComEvent bits) the device reported since the last look; a line's
    // event stands for at least one change of that line.
    quint32 events = 0;
};

// At most this many changes of one line between two looks are listed one by
// one; more is noise on the line, and the rest is reported as unlisted.
inline constexpr quint32 MaxListedChanges = 256;

// Appends what happened between two looks to `out`, in order, as far as
// `mask` (ComEvent bits) watches it: every change of a line that happened
// before the line's last change is a notification of its own, with the status
// word as it was after that change; the last change of every line and the
// other events share one final notification with the status word of `after`,
// so changes of CTS and DSR seen together are reported together. A line that
// reads as before but has counted or reported changes was pulsed: off, on, off
// is two changes. Returns the number of changes that were not listed.
quint32 appendModemTransitions(const ModemLook &before, const ModemLook &after, quint32 mask,
                               std::vector<SerialNotification> *out);
