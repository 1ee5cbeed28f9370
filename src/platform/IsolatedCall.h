#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Runs work on untrusted input in a separate process, so that a crash, an abort or an
// endless loop inside a third-party parser ends only that process and the program can
// report it like any other unreadable file. The work hands its result back as bytes.
struct IsolatedResult
{
    enum class Status {
        Done, // the work returned; `output` holds what it returned
        Crashed, // the process died or ended abnormally; `output` is empty, `detail`
                 // names the signal or exit code ("Signal 6")
        TimedOut, // the work did not finish in time and was killed; `output` is empty
        NotRun // no process could be started; `detail` says why
    };
    Status status = Status::NotRun;
    QByteArray output;
    QString detail;
};

// The work must not touch objects shared with other threads (widgets, timers, the serial
// monitor): it runs in a copy of the process that has only the calling thread. It may
// allocate up to `memoryHeadroom` bytes beyond what the process held when it started;
// past that its allocations fail, so a file that unpacks to gigabytes ends the work
// instead of exhausting the machine.
IsolatedResult runIsolated(const std::function<QByteArray()> &work, int timeoutMs, qint64 memoryHeadroom);
