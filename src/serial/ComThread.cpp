#include "ComThread.h"

#include "ComBackend.h"
#include "Comms.h"

TComThread::TComThread(TComPort &port, ComDevice &device, quint32 eventMask, quint64 generation)
    : m_port(port)
    , m_device(device)
    , m_generation(generation)
{
    m_device.SetEventMask(eventMask);
    start(QThread::TimeCriticalPriority);
}

TComThread::~TComThread()
{
    // The owner joins the thread before freeing it; this only guards misuse.
    RequestStop(true);
    while (!wait(QDeadlineTimer(1)))
        m_device.WakeWaiter();
}

void TComThread::RequestStop(bool abandonDispatch)
{
    {
        std::lock_guard lock(m_mutex);
        m_stop.store(true);
        if (abandonDispatch)
            m_abandon = true;
    }
    m_dispatched.notify_all();
}

bool TComThread::HasPending() const
{
    std::lock_guard lock(m_mutex);
    return m_pending && !m_taken;
}

bool TComThread::TakePending(quint32 *mask)
{
    std::lock_guard lock(m_mutex);
    if (!m_pending || m_taken)
        return false;
    m_taken = true;
    *mask = m_pendingMask;
    return true;
}

void TComThread::FinishDispatch()
{
    {
        std::lock_guard lock(m_mutex);
        m_done = true;
    }
    m_dispatched.notify_all();
}

void TComThread::HandOver(quint32 mask)
{
    {
        std::lock_guard lock(m_mutex);
        m_pendingMask = mask;
        m_pending = true;
        m_taken = false;
        m_done = false;
    }
    TComPort *port = &m_port;
    QMetaObject::invokeMethod(
        port, [port] { port->ServiceDispatch(); }, Qt::QueuedConnection);

    std::unique_lock lock(m_mutex);
    // Close runs a batch it finds pending itself, so this wait ends while the
    // port closes too; only a Close from inside this very dispatch abandons it.
    m_dispatched.wait(lock, [this] { return m_done || m_abandon; });
    m_pending = false;
}

void TComThread::run()
{
    while (!m_stop.load()) {
        quint32 occurred = 0;
        QString error;
        const ComWaitResult result = m_device.WaitEvent(&occurred, &error);
        if (m_stop.load())
            break;
        if (result == ComWaitResult::Failed) {
            // The port stays usable for nothing: let the interface thread close it.
            TComPort *port = &m_port;
            const quint64 generation = m_generation;
            QMetaObject::invokeMethod(
                port, [port, generation, error] { port->MonitorFailed(generation, error); },
                Qt::QueuedConnection);
            break;
        }
        if (result == ComWaitResult::Events && occurred != 0)
            HandOver(occurred);
    }
    m_device.PurgeInput();
}
