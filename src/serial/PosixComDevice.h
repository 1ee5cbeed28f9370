#pragma once

#include "ComBackend.h"

#include <QString>

#include <atomic>
#include <linux/serial.h>
#include <mutex>
#include <pthread.h>

// An open tty programmed through termios and watched through the modem ioctls.
//
// Waiting: TIOCMIWAIT where the driver has it. It wakes on a line change without
// saying which, and a change between two waits is invisible to the next one, so
// every wake reads TIOCMGET and compares the TIOCGICOUNT counters (where the
// driver keeps them) with the last ones seen. Drivers without TIOCMIWAIT are
// polled every millisecond; a tty without modem lines (a pseudo-terminal) only
// waits for a hang-up. A thread blocked in TIOCMIWAIT is woken by a signal
// whose handler is installed without SA_RESTART; WakeWaiter sends it.
class PosixComDevice final : public ComDevice
{
public:
    enum class WaitMode {
        Auto,   // TIOCMIWAIT where the driver supports it, else polling
        Polling // always poll the lines every millisecond
    };

    // Takes ownership of the open descriptor `fd`.
    PosixComDevice(int fd, WaitMode mode);
    ~PosixComDevice() override;

    int Handle() const { return m_fd; }

    bool Configure(const ComLineSettings &settings, QString *error) override;
    void SetEventMask(quint32 mask) override;
    quint32 ModemStatus() override;
    quint32 InQueCount() override;
    ComWaitResult WaitEvent(quint32 *occurred, QString *error) override;
    void WakeWaiter() override;
    void PurgeInput() override;

    // How the monitor waits at the moment (it turns to Polling when the driver
    // turns out to lack TIOCMIWAIT).
    bool Polling() const { return m_polling.load(); }
    bool HasModemLines() const { return m_hasModemLines; }

private:
    enum class Check { Unchanged, Changed, Failed };

    // Compares lines and counters with the last seen; the changed events go
    // into `occurred`.
    Check CheckLines(quint32 *occurred, QString *error);
    ComWaitResult WaitModemInterrupt(quint32 *occurred, QString *error);
    ComWaitResult WaitPolling(quint32 *occurred, QString *error);
    void SetReceiver(bool on);

    int m_fd;
    int m_wakeFd = -1;
    std::atomic<quint32> m_mask{0};
    std::atomic<bool> m_polling{false};
    std::atomic<bool> m_wake{false};
    bool m_forcedPolling = false;
    bool m_hasModemLines = true;
    bool m_hasCounters = false;
    bool m_receivedReported = false;
    int m_lastLines = 0;
    serial_icounter_struct m_lastCounters{};

    // Guards the signal target: WakeWaiter signals the monitor thread only
    // while it is inside WaitEvent, so never a thread that has ended.
    std::mutex m_waiterMutex;
    bool m_inWait = false;
    pthread_t m_waiter{};
};
