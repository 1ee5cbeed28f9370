#include "journal/JournalWriteQueue.h"

#include "journal/JournalFile.h"

JournalWriteQueue::JournalWriteQueue(JournalFile &file, std::function<void()> emptied)
    : m_file(file)
    , m_emptied(std::move(emptied))
{ }

JournalWriteQueue::~JournalWriteQueue()
{
    waitUntilEmptied();
    if (m_thread.joinable())
        m_thread.join();
}

bool JournalWriteQueue::busy() const
{
    const std::lock_guard lock(m_mutex);
    return m_busy;
}

void JournalWriteQueue::enqueue(Make make)
{
    std::unique_lock lock(m_mutex);
    m_queue.push_back(std::move(make));
    if (m_busy)
        return;
    m_busy = true;
    lock.unlock();
    // The thread of the last round has emptied the queue and is at most announcing it.
    if (m_thread.joinable())
        m_thread.join();
    m_thread = std::thread([this] { writeAll(); });
}

void JournalWriteQueue::waitUntilEmptied()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_busy; });
}

std::optional<bool> JournalWriteQueue::takeOutcome()
{
    const std::lock_guard lock(m_mutex);
    if (m_busy)
        return std::nullopt;
    return std::exchange(m_outcome, std::nullopt);
}

void JournalWriteQueue::writeAll()
{
    std::unique_lock lock(m_mutex);
    bool ok = m_outcome.value_or(true);
    while (!m_queue.empty()) {
        Make make = std::move(m_queue.front());
        m_queue.pop_front();
        lock.unlock();
        // After a failed write the rest are dropped, not written past a gap: the protocol
        // holds them, and the journal's next file or reopening begins with a copy of it.
        if (ok)
            ok = m_file.append(make());
        lock.lock();
    }
    m_outcome = ok;
    m_busy = false;
    m_idle.notify_all();
    lock.unlock();
    m_emptied();
}
