#pragma once

#include "ComBackend.h"
#include "ModemWatch.h"

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
// pseudo-terminal) only waits for input or a hang-up. WakeWaiter interrupts a
// TIOCMIWAIT with the same signal, whose handler is installed without
// SA_RESTART.
class PosixComDevice final : public ComDevice, private ModemLineAccess
{
public:
    enum class WaitMode {
        Auto,   // TIOCMIWAIT where the driver supports it, else polling
        Polling // always poll the lines
    };

    // Takes ownership of the open descriptor `fd`; `lockFile`, when not
    // empty, is the lock file taken for the device, removed with it.
    PosixComDevice(int fd, WaitMode mode, const QString &lockFile = QString());
    ~PosixComDevice() override;

    int Handle() const { return m_fd; }

    bool Configure(const ComLineSettings &settings, QString *error) override;
    void SetEventMask(quint32 mask) override;
    quint32 ModemStatus() override;
    quint32 InQueCount() override;
    ComWaitResult WaitEvent(ComWaitReport *report) override;
    void WakeWaiter() override;
    void PurgeInput() override;

    // How the monitor waits at the moment (it turns to Polling when the driver
    // turns out to lack TIOCMIWAIT).
    bool Polling() const { return m_polling.load(); }
    bool HasModemLines() const { return m_hasModemLines; }

private:
    // ModemLineAccess
    bool Look(ModemLook *look, ComFailure *failure) override;
    bool AwaitLineChange(quint32 watchedLines, bool poll, ComFailure *failure) override;
    bool WakeRequested() const override { return m_wake.load(); }

    // Waits for input, a hang-up or a wake only: no modem line is watched.
    ComWaitResult WaitInput(ComWaitReport *report);
    // One poll of the input, a hang-up and the wake, for at most
    // `timeoutMicroseconds` (-1: no limit).
    bool PollInput(int timeoutMicroseconds, ComFailure *failure);
    // TIOCMIWAIT, ended by the wake timer at the latest.
    bool WaitModemInterrupt(quint32 watchedLines, ComFailure *failure);
    bool ArmWakeTimer();
    void DisarmWakeTimer();
    void SetReceiver(bool on);

    int m_fd;
    int m_wakeFd = -1;
    QString m_lockFile;
    std::atomic<quint32> m_mask{0};
    std::atomic<bool> m_polling{false};
    std::atomic<bool> m_wake{false};
    bool m_forcedPolling = false;
    bool m_hasModemLines = true;
    bool m_hasCounters = false;
    bool m_received = false;         // input arrived; reported with the next look
    bool m_receivedReported = false; // input reported; emptied before the next wait
    int m_lastLines = 0;
    ModemWatch m_watch;

    // The timer that bounds TIOCMIWAIT; it signals the thread that created it.
    timer_t m_wakeTimer{};
    bool m_hasWakeTimer = false;
    pid_t m_wakeTimerThread = 0;

    // Guards the signal target: WakeWaiter signals the monitor thread only
    // while it is inside WaitEvent, so never a thread that has ended.
    std::mutex m_waiterMutex;
    bool m_inWait = false;
    pthread_t m_waiter{};
};
