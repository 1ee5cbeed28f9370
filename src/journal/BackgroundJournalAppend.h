#pragma once

#include "journal/JournalEntry.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

class JournalFile;

// Appends one long event (the copy of a large protocol) to a journal file on a thread of
// its own, so that the thread that records the race is free meanwhile. While it runs the
// file is that thread's alone: the owner waits for it before it touches the file again.
class BackgroundJournalAppend
{
public:
    // Gives the event to append; run on the appending thread.
    using Make = std::function<JournalEntry()>;

    // `done` runs on the appending thread when an append has ended.
    BackgroundJournalAppend(JournalFile &file, std::function<void()> done);
    ~BackgroundJournalAppend();
    BackgroundJournalAppend(const BackgroundJournalAppend &) = delete;
    BackgroundJournalAppend &operator=(const BackgroundJournalAppend &) = delete;

    // Starts the append; the last one must have ended.
    void start(Make make);
    void waitUntilDone();
    // Once the append has ended: whether it was written (the file says why not); nothing
    // while it runs or when none ran since the last call.
    std::optional<bool> takeOutcome();

private:
    JournalFile &m_file;
    std::function<void()> m_done;
    std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_running = false;
    std::optional<bool> m_outcome;
    std::thread m_thread;
};
