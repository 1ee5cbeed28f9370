#include "serial/SerialMonitorThread.h"

#include "serial/SerialBackend.h"
#include "serial/SerialPort.h"

#include <algorithm>

SerialMonitorThread::SerialMonitorThread(SerialPort &port, SerialDevice &device, const ClockSource &clocks,
                                         quint32 eventMask, quint64 generation)
    : m_port(port)
    , m_device(device)
    , m_clocks(clocks)
    , m_generation(generation)
{
    m_device.setEventMask(eventMask);
    start(QThread::TimeCriticalPriority);
}

SerialMonitorThread::~SerialMonitorThread()
{
    // The owner joins the thread before freeing it; this only guards misuse.
    requestStop();
    while (!wait(QDeadlineTimer(1)))
        m_device.wakeWaiter();
}

void SerialMonitorThread::requestStop()
{
    m_stop.store(true);
}

bool SerialMonitorThread::hasPending() const
{
    std::lock_guard lock(m_mutex);
    return !m_queue.empty() || m_lost != 0;
}

std::vector<SerialNotification> SerialMonitorThread::takePending(quint64 *lost)
{
    std::vector<SerialNotification> taken;
    std::lock_guard lock(m_mutex);
    taken.swap(m_queue);
    *lost = m_lost;
    m_lost = 0;
    m_posted = false;
    return taken;
}

void SerialMonitorThread::handOver(std::vector<SerialNotification> &notifications, quint32 unlisted)
{
    bool post = false;
    {
        std::lock_guard lock(m_mutex);
        const size_t room = QueueCapacity - std::min(QueueCapacity, m_queue.size());
        const size_t taken = std::min(room, notifications.size());
        m_queue.insert(m_queue.end(), notifications.begin(), notifications.begin() + taken);
        m_lost += (notifications.size() - taken) + unlisted;
        post = !m_posted;
        m_posted = true;
    }
    if (post) {
        SerialPort *port = &m_port;
        QMetaObject::invokeMethod(
            port, [port] { port->serviceDispatch(); }, Qt::QueuedConnection);
    }
}

void SerialMonitorThread::reportFailure(const SerialFailure &failure)
{
    // The port stays usable for nothing: let the interface thread close it.
    SerialPort *port = &m_port;
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        port, [port, generation, failure] { port->monitorFailed(generation, failure); },
        Qt::QueuedConnection);
}

void SerialMonitorThread::run()
{
    SerialWaitReport report;
    while (!m_stop.load()) {
        report.notifications.clear();
        report.unlisted = 0;
        const SerialWaitResult result = m_device.waitEvent(&report);
        // The moment the wait returned is when the events were seen.
        const ClockStamp stamp = m_clocks.now();
        if (m_stop.load())
            break;
        if (result == SerialWaitResult::Failed) {
            reportFailure(report.failure);
            break;
        }
        if (result == SerialWaitResult::Events && (!report.notifications.empty() || report.unlisted != 0)) {
            for (SerialNotification &notification : report.notifications)
                notification.stamp = stamp;
            handOver(report.notifications, report.unlisted);
        }
    }
    m_device.purgeInput();
}
