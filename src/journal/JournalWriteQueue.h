#pragma once

#include "journal/JournalEntry.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

class JournalFile;

// Appends events to a journal file on a thread of its own, in the order they are given,
// so that a long event (the copy of a large protocol) never holds the thread that records
// the race. While the queue is busy the file is the writing thread's alone; the owner
// touches it again only once busy() is false.
class JournalWriteQueue
{
public:
    // Gives the event to append; run on the writing thread.
    using Make = std::function<JournalEntry()>;

    // `emptied` runs on the writing thread each time it has written all it was given.
    JournalWriteQueue(JournalFile &file, std::function<void()> emptied);
    ~JournalWriteQueue();
    JournalWriteQueue(const JournalWriteQueue &) = delete;
    JournalWriteQueue &operator=(const JournalWriteQueue &) = delete;

    bool busy() const;
    // Appended after every event given before; starts the writing thread when idle.
    void enqueue(Make make);
    void waitUntilEmptied();
    // Once the queue is idle: whether every event given since the last call was written
    // (the file says why not); nothing while it is busy or when it was given none.
    std::optional<bool> takeOutcome();

private:
    void writeAll();

    JournalFile &m_file;
    std::function<void()> m_emptied;
    mutable std::mutex m_mutex;
    std::condition_variable m_idle;
    std::deque<Make> m_queue;
    bool m_busy = false;
    std::optional<bool> m_outcome;
    std::thread m_thread;
};
