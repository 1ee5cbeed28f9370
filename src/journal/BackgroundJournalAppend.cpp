#include "journal/BackgroundJournalAppend.h"

#include "journal/JournalFile.h"

BackgroundJournalAppend::BackgroundJournalAppend(JournalFile &file, std::function<void()> done)
    : m_file(file)
    , m_done(std::move(done))
{ }

BackgroundJournalAppend::~BackgroundJournalAppend()
{
    if (m_thread.joinable())
        m_thread.join();
}

void BackgroundJournalAppend::start(Make make)
{
    // The thread of the last append has ended it and at most announces that.
    if (m_thread.joinable())
        m_thread.join();
    {
        const std::lock_guard lock(m_mutex);
        m_running = true;
    }
    m_thread = std::thread([this, make = std::move(make)] {
        const bool written = m_file.append(make());
        {
            const std::lock_guard lock(m_mutex);
            m_outcome = written;
            m_running = false;
        }
        m_ended.notify_all();
        m_done();
    });
}

void BackgroundJournalAppend::waitUntilDone()
{
    std::unique_lock lock(m_mutex);
    m_ended.wait(lock, [this] { return !m_running; });
}

std::optional<bool> BackgroundJournalAppend::takeOutcome()
{
    const std::lock_guard lock(m_mutex);
    if (m_running)
        return std::nullopt;
    return std::exchange(m_outcome, std::nullopt);
}
