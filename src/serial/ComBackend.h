#pragma once

#include "ComTypes.h"

#include <QString>

#include <memory>
#include <vector>

enum class ComWaitResult {
    Events,      // one or more watched events occurred
    Interrupted, // WakeWaiter ended the wait, or nothing watched happened
    Failed       // the device is gone or the wait itself failed
};

// Why a wait failed.
struct ComFailure
{
    QString Text;              // the system's text
    bool Disconnected = false; // the device is gone (an unplugged adapter)
};

// What one WaitEvent saw.
struct ComWaitReport
{
    // In the order they happened; every counted change of a modem line is a
    // notification of its own. The stamps are left for the caller.
    std::vector<ComNotification> Notifications;
    // Line changes counted but too many to list one by one.
    quint32 Unlisted = 0;
    ComFailure Failure;
};

// One open serial device. Configure, SetEventMask, ModemStatus, InQueCount and
// PurgeInput run on the interface thread, WaitEvent on the monitor thread;
// WakeWaiter may be called from any thread at any time.
class ComDevice
{
public:
    virtual ~ComDevice() = default;

    // Programs the line. On failure returns false and sets `error` to the
    // system's text for the failure.
    virtual bool Configure(const ComLineSettings &settings, QString *error) = 0;

    // Selects the events WaitEvent reports (platform bits, ComEvent).
    virtual void SetEventMask(quint32 mask) = 0;

    // The modem-status word (ModemLine bits); 0 when it cannot be read.
    virtual quint32 ModemStatus() = 0;

    // Bytes waiting in the input queue.
    virtual quint32 InQueCount() = 0;

    // Blocks until a watched event occurs (reported in `report`), until
    // WakeWaiter is called, or until the device fails (`report->Failure`).
    virtual ComWaitResult WaitEvent(ComWaitReport *report) = 0;

    // Makes a WaitEvent that is running or about to start return soon. A wake
    // may be lost when it comes just before the wait begins, so a caller that
    // waits for the monitor to end repeats it until the monitor has ended.
    virtual void WakeWaiter() = 0;

    // Discards the input queue.
    virtual void PurgeInput() = 0;
};

// The platform's serial devices, addressed by the port number n of "COM" n.
class ComBackend
{
public:
    virtual ~ComBackend() = default;

    // Opens "COM" `port` exclusively. On failure returns null and sets `error`
    // to the system's text for the failure.
    virtual std::unique_ptr<ComDevice> Open(int port, QString *error) = 0;

    // Whether "COM" `port` is present and free: the presence probe.
    virtual bool Present(int port) = 0;

    // False when the device behind "COM" `port` cannot report its CTS input
    // (it always reads as set), so a finish barrier on CTS cannot work there.
    virtual bool CtsInputUsable(int port) = 0;
};

// The backend of the platform the program runs on.
ComBackend &DefaultComBackend();
