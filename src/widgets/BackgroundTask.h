#pragma once

#include "platform/TaskProgress.h"

#include <QObject>

#include <functional>
#include <memory>

class QThread;

// Runs one long piece of work (a journal read, a replay) on a thread of its own, so that
// the window's thread goes on with the race meanwhile. The owner shows permille() in a
// progress bar and hears finished() on its own thread; the work looks at its progress's
// `cancelled` now and then. One task at a time: a new start, cancel() and the destructor
// stop a running one and wait for it.
class BackgroundTask : public QObject
{
    Q_OBJECT

public:
    using Work = std::function<void(TaskProgress &progress)>;

    explicit BackgroundTask(QObject *parent = nullptr);
    ~BackgroundTask() override;

    void start(Work work);
    // Stops the running work, if any; finished() does not follow.
    void cancel();
    bool isRunning() const { return m_thread != nullptr; }
    int permille() const { return m_progress ? m_progress->permille.load() : 0; }

Q_SIGNALS:
    void finished();

private:
    QThread *m_thread = nullptr;
    std::shared_ptr<TaskProgress> m_progress;
    quint64 m_generation = 0; // tells a finished run from the running one
};
