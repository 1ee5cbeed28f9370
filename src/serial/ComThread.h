#pragma once

#include "ComTypes.h"

#include <QThread>

#include <atomic>
#include <mutex>
#include <vector>

class ClockSource;
class ComDevice;
class TComPort;
struct ComFailure;

// The monitor thread of an open TComPort: waits for line events, stamps each
// notification with the time its wait returned and queues it for the
// interface thread. It never waits for the interface thread: the queue is
// bounded, and what does not fit is counted as lost and reported. A failed
// wait is reported to the interface thread and ends the thread.
class TComThread : public QThread
{
    Q_OBJECT

public:
    // Notifications the queue holds at most.
    static constexpr size_t QueueCapacity = 4096;

    // Created on the interface thread; selects the events and starts running.
    TComThread(TComPort &port, ComDevice &device, const ClockSource &clocks, quint32 eventMask,
               quint64 generation);
    ~TComThread() override;

    quint64 Generation() const { return m_generation; }

    // Asks the loop to end.
    void RequestStop();
    bool StopRequested() const { return m_stop.load(); }

    // Whether notifications are queued and not yet taken.
    bool HasPending() const;
    // Interface thread: takes the queued notifications, oldest first, and the
    // number of those lost since the last take.
    std::vector<ComNotification> TakePending(quint64 *lost);

protected:
    void run() override;

private:
    void HandOver(std::vector<ComNotification> &notifications, quint32 unlisted);
    void ReportFailure(const ComFailure &failure);

    TComPort &m_port;
    ComDevice &m_device;
    const ClockSource &m_clocks;
    const quint64 m_generation;
    std::atomic<bool> m_stop{false};

    mutable std::mutex m_mutex;
    std::vector<ComNotification> m_queue;
    quint64 m_lost = 0;
    bool m_posted = false; // a ServiceDispatch is on its way to the interface thread
};
