#pragma once

#include "serial/ModemTransitions.h"
#include "serial/SerialBackend.h"

// What the modem watch needs of a device.
class ModemLineAccess
{
public:
    virtual ~ModemLineAccess() = default;

    // Reads the lines and the counters as one consistent look. False with
    // `failure` filled when the device cannot be read.
    virtual bool look(ModemLook *look, SerialFailure *failure) = 0;

    // Blocks until one of `watchedLines` (ModemLine bits) changes, for at
    // most ModemWatch::MaxWaitMicroseconds, or, with `poll`, for
    // ModemWatch::PollMicroseconds whatever happens on the lines. A device
    // that reads the lines itself every MaxWaitMicroseconds while it waits,
    // and returns once they differ from the last look, may wait longer. A
    // wake or an event the device notes itself may end it early. False with
    // `failure` filled when the device failed.
    virtual bool awaitLineChange(quint32 watchedLines, bool poll, SerialFailure *failure) = 0;

    // Whether wakeWaiter has been called.
    virtual bool wakeRequested() const = 0;
};

// Watches the modem lines of one device so that no change is lost: after
// every wake, however it came, the lines and counters are read again and
// compared with the last look, and no wait lasts longer than
// MaxWaitMicroseconds. A change that comes between the look and the start of
// the wait, which a driver's change wait does not notice, is therefore seen
// within that time. Without counters the lines are sampled every
// PollMicroseconds, so a pulse of two milliseconds is always sampled.
class ModemWatch
{
public:
    static constexpr int MaxWaitMicroseconds = 2000;
    static constexpr int PollMicroseconds = 500;

    // Takes the look from which changes are counted.
    bool start(ModemLineAccess &device, SerialFailure *failure);

    // Waits for a change of a line watched by `mask` (ComEvent bits), an
    // event the device notes, a wake or a failure.
    SerialWaitResult wait(ModemLineAccess &device, quint32 mask, SerialWaitReport *report);

private:
    ModemLook m_last;
    bool m_started = false;
};

// The ModemLine bits of the lines whose changes `mask` (ComEvent bits) watches.
quint32 watchedModemLines(quint32 mask);
