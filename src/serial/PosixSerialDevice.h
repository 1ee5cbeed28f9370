#pragma once

#include "serial/ModemWatch.h"
#include "serial/SerialBackend.h"

#include <QString>

#include <atomic>
#include <mutex>
#include <pthread.h>
#include <time.h>

// An open tty programmed through termios and watched through the modem ioctls.
//
// Waiting: the modem lines go through a ModemWatch, which compares the
// TIOCGICOUNT counters (where the driver keeps them) after every wake, so no
// change is lost. Its change wait is TIOCMIWAIT, bounded by a timer signal
// that ends it at the latest after ModemWatch::MaxWaitMicroseconds; a driver
// without TIOCMIWAIT or without counters is sampled every
// ModemWatch::PollMicroseconds instead. A tty without modem lines (a
// pseudo-terminal) only waits for input or a hang-up. wakeWaiter interrupts a
// TIOCMIWAIT with the same signal, whose handler is installed without
// SA_RESTART.
class PosixSerialDevice final : public SerialDevice, private ModemLineAccess
{
public:
    enum class WaitMode {
        Auto, // TIOCMIWAIT where the driver supports it, else polling
        Polling // always poll the lines
    };

    // Takes ownership of the open descriptor `fd`; `lockFile`, when not
    // empty, is the lock file taken for the device, removed with it.
    PosixSerialDevice(int fd, WaitMode mode, const QString &lockFile = QString());
    ~PosixSerialDevice() override;

    int handle() const { return m_fd; }

    bool configure(const SerialLineSettings &settings, QString *error) override;
    void setEventMask(quint32 mask) override;
    quint32 modemStatus() override;
    quint32 inQueCount() override;
    SerialWaitResult waitEvent(SerialWaitReport *report) override;
    void wakeWaiter() override;
    void purgeInput() override;

private:
    // ModemLineAccess
    bool look(ModemLook *look, SerialFailure *failure) override;
    bool awaitLineChange(quint32 watchedLines, bool poll, SerialFailure *failure) override;
    bool wakeRequested() const override { return m_wake.load(); }

    // Waits for input, a hang-up or a wake only: no modem line is watched.
    SerialWaitResult waitInput(SerialWaitReport *report);
    // One poll of the input, a hang-up and the wake, for at most
    // `timeoutMicroseconds` (-1: no limit).
    bool pollInput(int timeoutMicroseconds, SerialFailure *failure);
    // TIOCMIWAIT, ended by the wake timer at the latest.
    bool waitModemInterrupt(quint32 watchedLines, SerialFailure *failure);
    bool armWakeTimer();
    void disarmWakeTimer();
    void setReceiver(bool on);

    int m_fd;
    int m_wakeFd = -1;
    QString m_lockFile;
    std::atomic<quint32> m_mask{0};
    // Set once the driver turns out to lack TIOCMIWAIT.
    std::atomic<bool> m_polling{false};
    std::atomic<bool> m_wake{false};
    bool m_forcedPolling = false;
    bool m_hasModemLines = true;
    bool m_hasCounters = false;
    bool m_received = false; // input arrived; reported with the next look
    bool m_receivedReported = false; // input reported; emptied before the next wait
    int m_lastLines = 0;
    ModemWatch m_watch;

    // The timer that bounds TIOCMIWAIT; it signals the thread that created it.
    timer_t m_wakeTimer{};
    bool m_hasWakeTimer = false;
    pid_t m_wakeTimerThread = 0;

    // Guards the signal target: wakeWaiter signals the monitor thread only
    // while it is inside waitEvent, so never a thread that has ended.
    std::mutex m_waiterMutex;
    bool m_inWait = false;
    pthread_t m_waiter{};
};
