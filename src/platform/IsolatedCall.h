#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <initializer_list>
#include <optional>

// Runs work on untrusted input in a separate process, so that a crash, an abort or an
// endless loop inside a third-party parser ends only that process and the program can
// report it like any other unreadable file. The work takes bytes and hands its result
// back as bytes.
struct IsolatedResult
{
    enum class Status {
        Done, // the work returned; `output` holds what it returned
        Crashed, // the process died or ended abnormally; `output` is empty, `detail`
                 // names the signal or exit code ("Signal 6", "Exitcode 0xC0000005")
        TimedOut, // the work did not finish in time and was killed; `output` is empty
        Cancelled, // the caller's `cancelled` was set and the work was killed
        NotRun // no process could be started; `detail` says why
    };
    Status status = Status::NotRun;
    QByteArray output;
    QString detail;
};

// A piece of work that may run isolated. Its name is how a worker process started for it
// (on Windows, the program itself started again) finds it; `run` may throw.
struct IsolatedTask
{
    const char *name;
    QByteArray (*run)(const QByteArray &input);
};

// Runs `task` on `input` in a process of its own. The work must not touch objects shared
// with other threads (widgets, timers, the serial monitor): on POSIX it runs in a copy of
// the process that has only the calling thread. It may allocate up to `memoryHeadroom`
// bytes beyond what its process held when it started; past that its allocations fail,
// so a file that unpacks to gigabytes ends the work instead of exhausting the machine.
// Setting `*cancelled` from another thread ends the work within a tenth of a second.
IsolatedResult runIsolated(const IsolatedTask &task, const QByteArray &input, int timeoutMs,
                           qint64 memoryHeadroom, const std::atomic<bool> *cancelled = nullptr);

// Called first thing in main() by every program that runs isolated tasks. When this
// process was started as the worker of one of `tasks`, runs it (input from standard
// input, output to standard output) and returns the process's exit code; otherwise
// returns nothing and the program starts as usual.
std::optional<int> serveIsolatedTask(int argc, char **argv, std::initializer_list<IsolatedTask> tasks);
