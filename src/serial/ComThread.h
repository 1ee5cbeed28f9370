#pragma once

#include <QThread>

#include <atomic>
#include <condition_variable>
#include <mutex>

class ComDevice;
class TComPort;

// The monitor thread of an open TComPort: waits for line events and hands each
// batch to the interface thread, blocking until the handlers there have run.
// A failed wait is reported to the interface thread and ends the thread.
class TComThread : public QThread
{
    Q_OBJECT

public:
    // Created on the interface thread; selects the events and starts running.
    TComThread(TComPort &port, ComDevice &device, quint32 eventMask, quint64 generation);
    ~TComThread() override;

    quint64 Generation() const { return m_generation; }

    // Interface thread: asks the loop to end. `abandonDispatch` releases a
    // monitor blocked on a dispatch that can no longer finish (the port is
    // being closed from inside that very dispatch).
    void RequestStop(bool abandonDispatch);
    bool StopRequested() const { return m_stop.load(); }

    // Whether a batch has been handed over and not yet taken.
    bool HasPending() const;
    // Interface thread: takes the batch handed over, if there is one.
    bool TakePending(quint32 *mask);
    // Interface thread: the batch taken has been dispatched.
    void FinishDispatch();

protected:
    void run() override;

private:
    void HandOver(quint32 mask);

    TComPort &m_port;
    ComDevice &m_device;
    const quint64 m_generation;
    std::atomic<bool> m_stop{false};

    mutable std::mutex m_mutex;
    std::condition_variable m_dispatched;
    bool m_pending = false;
    bool m_taken = false;
    bool m_done = false;
    bool m_abandon = false;
    quint32 m_pendingMask = 0;
};
