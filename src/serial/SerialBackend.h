#pragma once

#include "serial/SerialTypes.h"

#include <QString>

#include <memory>
#include <vector>

enum class SerialWaitResult {
    Events, // one or more watched events occurred
    Interrupted, // wakeWaiter ended the wait, or nothing watched happened
    Failed // the device is gone or the wait itself failed
};

// Why a wait failed.
struct SerialFailure
{
    QString text; // the system's text
    bool disconnected = false; // the device is gone (an unplugged adapter)
};

// What one waitEvent saw.
struct SerialWaitReport
{
    // In the order they happened; every counted change of a modem line is a
    // notification of its own. The stamps are left for the caller.
    std::vector<SerialNotification> notifications;
    // Line changes counted but too many to list one by one.
    quint32 unlisted = 0;
    SerialFailure failure;
};

// One open serial device. Configure, setEventMask, modemStatus, inQueCount and
// purgeInput run on the interface thread, waitEvent on the monitor thread;
// wakeWaiter may be called from any thread at any time.
class SerialDevice
{
public:
    virtual ~SerialDevice() = default;

    // Programs the line. On failure returns false and sets `error` to the
    // system's text for the failure.
    virtual bool configure(const SerialLineSettings &settings, QString *error) = 0;

    // Selects the events waitEvent reports (platform bits, ComEvent).
    virtual void setEventMask(quint32 mask) = 0;

    // The modem-status word (ModemLine bits); 0 when it cannot be read.
    virtual quint32 modemStatus() = 0;

    // Bytes waiting in the input queue.
    virtual quint32 inQueCount() = 0;

    // Blocks until a watched event occurs (reported in `report`), until
    // wakeWaiter is called, or until the device fails (`report->Failure`).
    virtual SerialWaitResult waitEvent(SerialWaitReport *report) = 0;

    // Makes a waitEvent that is running or about to start return soon. A wake
    // may be lost when it comes just before the wait begins, so a caller that
    // waits for the monitor to end repeats it until the monitor has ended.
    virtual void wakeWaiter() = 0;

    // Discards the input queue.
    virtual void purgeInput() = 0;
};

// The platform's serial devices, addressed by the port number n of "COM" n.
class SerialBackend
{
public:
    virtual ~SerialBackend() = default;

    // Opens "COM" `port` exclusively. On failure returns null and sets `error`
    // to the system's text for the failure.
    virtual std::unique_ptr<SerialDevice> open(int port, QString *error) = 0;

    // Whether "COM" `port` is present: the presence probe. Where the system
    // tells a port another program holds from a missing one (Win32), a held
    // port is present too; elsewhere only a free one is.
    virtual bool present(int port) = 0;

    // The device behind "COM" `port` as the operator would look for it (a device path);
    // empty where the port's name is all there is.
    virtual QString deviceName(int port) const = 0;
    // Puts the device at `path` behind "COM" `port`, for a device the fixed numbering does
    // not reach or one whose name changes with each plugging in. Ignored where ports are
    // no device paths.
    virtual void mapDevice(int port, const QString &path) = 0;

    // False when the device behind "COM" `port` cannot report its CTS input
    // (it always reads as set), so a finish barrier on CTS cannot work there.
    virtual bool ctsInputUsable(int port) = 0;
};

// The backend of the platform the program runs on.
SerialBackend &defaultComBackend();
