#pragma once

#include "serial/SerialTypes.h"

#include <QThread>

#include <atomic>
#include <mutex>
#include <vector>

class ClockSource;
class SerialDevice;
class SerialPort;
struct SerialFailure;

// The monitor thread of an open SerialPort: waits for line events, stamps each
// notification with the time its wait returned and queues it for the
// interface thread. It never waits for the interface thread: the queue is
// bounded, and what does not fit is counted as lost and reported. A failed
// wait is reported to the interface thread and ends the thread.
class SerialMonitorThread : public QThread
{
    Q_OBJECT

public:
    // Notifications the queue holds at most.
    static constexpr size_t QueueCapacity = 4096;

    // Created on the interface thread; selects the events and starts running.
    SerialMonitorThread(SerialPort &port, SerialDevice &device, const ClockSource &clocks, quint32 eventMask,
                        quint64 generation);
    ~SerialMonitorThread() override;

    quint64 generation() const { return m_generation; }

    // Asks the loop to end.
    void requestStop();

    // Whether notifications are queued and not yet taken.
    bool hasPending() const;
    // Interface thread: takes the queued notifications, oldest first, and the
    // number of those lost since the last take.
    std::vector<SerialNotification> takePending(quint64 *lost);

protected:
    void run() override;

private:
    void handOver(std::vector<SerialNotification> &notifications, quint32 unlisted);
    void reportFailure(const SerialFailure &failure);

    SerialPort &m_port;
    SerialDevice &m_device;
    const ClockSource &m_clocks;
    const quint64 m_generation;
    std::atomic<bool> m_stop{false};

    mutable std::mutex m_mutex;
    std::vector<SerialNotification> m_queue;
    quint64 m_lost = 0;
    bool m_posted = false; // a serviceDispatch is on its way to the interface thread
};
