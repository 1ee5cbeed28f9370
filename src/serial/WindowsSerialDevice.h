#pragma once

#include "serial/ModemWatch.h"
#include "serial/SerialBackend.h"

#include <windows.h>

#include <atomic>
#include <memory>

// An open COM port of Win32, programmed with SetCommState and watched with an
// overlapped WaitCommEvent.
//
// Waiting: the modem lines go through a ModemWatch. The driver keeps no
// counters a program can read, but WaitCommEvent names every line that changed
// since the wait began, so a line that is reported and reads as before was
// pulsed. The wait ends when the driver reports an event or when wakeWaiter
// sets the stop event. Windows' driver keeps the events that come between two
// waits for the next one; Wine's does not, so a pending wait also reads the
// lines every ModemWatch::MaxWaitMicroseconds and, when they have differed
// from the last look for two readings, ends itself so that the look counts the
// change. A wait still pending when the device closes is cancelled; the device
// is closed once the driver has let go of it or, should the driver never
// answer, after a second.
class WindowsSerialDevice final : public SerialDevice, private ModemLineAccess
{
public:
    // Takes ownership of `port`, opened for overlapped I/O.
    explicit WindowsSerialDevice(HANDLE port);
    ~WindowsSerialDevice() override;

    WindowsSerialDevice(const WindowsSerialDevice &) = delete;
    WindowsSerialDevice &operator=(const WindowsSerialDevice &) = delete;

    bool configure(const SerialLineSettings &settings, QString *error) override;
    void setEventMask(quint32 mask) override;
    quint32 modemStatus() override;
    quint32 inQueCount() override;
    SerialWaitResult waitEvent(SerialWaitReport *report) override;
    void wakeWaiter() override;
    void purgeInput() override;

    // How long the close waits for a cancelled wait to end.
    static constexpr DWORD CancelWaitMilliseconds = 1000;

private:
    // ModemLineAccess
    bool look(ModemLook *look, SerialFailure *failure) override;
    bool awaitLineChange(quint32 watchedLines, bool poll, SerialFailure *failure) override;
    bool wakeRequested() const override { return m_wake.load(); }

    // Starts the overlapped WaitCommEvent unless one is pending; events of a
    // wait that completes at once are noted.
    bool startWait(SerialFailure *failure);
    // Ends a pending wait, keeping the events it reported; false when the
    // driver did not let go in time.
    bool cancelPendingWait();

    // What a pending WaitCommEvent writes into; it lives until the driver has
    // let go of it.
    struct PendingWait
    {
        OVERLAPPED overlapped{};
        DWORD occurred = 0;
    };

    HANDLE m_port;
    HANDLE m_stopEvent;
    std::unique_ptr<PendingWait> m_wait;
    bool m_waitPending = false;
    quint32 m_reported = 0; // events reported and not yet looked at
    quint32 m_lookedStatus = 0; // the lines at the last look
    std::atomic<quint32> m_mask{0};
    std::atomic<bool> m_wake{false};
    ModemWatch m_watch;
};

// Whether a Win32 error code of a serial call means the device has gone (an
// unplugged USB adapter).
bool isDeviceGoneError(DWORD code);
