#pragma once

#include "serial/SerialPort.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

// Runs the event loop until `done` holds, waking for every posted event (a
// dispatch from the monitor thread) instead of sleeping in fixed steps.
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

// Opens the port; the message of the failure, empty when it opened.
inline QString openError(SerialPort &port)
{
    try {
        port.open();
    } catch (const SerialPortError &e) {
        return e.message();
    }
    return QString();
}
