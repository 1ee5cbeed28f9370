#include "ComThread.h"

#include "ComBackend.h"
#include "Comms.h"

#include <algorithm>

TComThread::TComThread(TComPort &port, ComDevice &device, const ClockSource &clocks,
                       quint32 eventMask, quint64 generation)
    : m_port(port)
    , m_device(device)
    , m_clocks(clocks)
    , m_generation(generation)
{
    m_device.SetEventMask(eventMask);
    start(QThread::TimeCriticalPriority);
}

TComThread::~TComThread()
{
    // The owner joins the thread before freeing it; this only guards misuse.
    RequestStop();
    while (!wait(QDeadlineTimer(1)))
        m_device.WakeWaiter();
}

void TComThread::RequestStop()
{
    m_stop.store(true);
}

bool TComThread::HasPending() const
{
    std::lock_guard lock(m_mutex);
    return !m_queue.empty() || m_lost != 0;
}

std::vector<ComNotification> TComThread::TakePending(quint64 *lost)
{
    std::vector<ComNotification> taken;
    std::lock_guard lock(m_mutex);
    taken.swap(m_queue);
    *lost = m_lost;
    m_lost = 0;
    m_posted = false;
    return taken;
}

void TComThread::HandOver(std::vector<ComNotification> &notifications, quint32 unlisted)
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
        TComPort *port = &m_port;
        QMetaObject::invokeMethod(
            port, [port] { port->ServiceDispatch(); }, Qt::QueuedConnection);
    }
}

void TComThread::ReportFailure(const ComFailure &failure)
{
    // The port stays usable for nothing: let the interface thread close it.
    TComPort *port = &m_port;
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        port, [port, generation, failure] { port->MonitorFailed(generation, failure); },
        Qt::QueuedConnection);
}

void TComThread::run()
{
    ComWaitReport report;
    while (!m_stop.load()) {
        report.Notifications.clear();
        report.Unlisted = 0;
        const ComWaitResult result = m_device.WaitEvent(&report);
        // The moment the wait returned is when the events were seen.
        const ClockStamp stamp = m_clocks.Now();
        if (m_stop.load())
            break;
        if (result == ComWaitResult::Failed) {
            ReportFailure(report.Failure);
            break;
        }
        if (result == ComWaitResult::Events
            && (!report.Notifications.empty() || report.Unlisted != 0)) {
            for (ComNotification &notification : report.Notifications)
                notification.Stamp = stamp;
            HandOver(report.Notifications, report.Unlisted);
        }
    }
    m_device.PurgeInput();
}
