#pragma once

// Waiting in tests for what another thread or the event loop brings about.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

// Runs the event loop until `done` holds, waking for every posted event (a
// dispatch from the serial monitor thread) instead of sleeping in fixed steps.
// Returns false when `timeoutMs` passes first.
template<typename Predicate>
bool processUntil(Predicate done, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    QTimer wake;
    wake.start(20);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Waits without running the event loop, for state another thread changes.
template<typename Predicate>
bool spinUntil(Predicate done, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QThread::yieldCurrentThread();
    }
    return true;
}
