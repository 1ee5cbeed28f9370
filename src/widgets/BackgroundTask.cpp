#include "widgets/BackgroundTask.h"

#include <QThread>

BackgroundTask::BackgroundTask(QObject *parent)
    : QObject(parent)
{ }

BackgroundTask::~BackgroundTask()
{
    cancel();
}

void BackgroundTask::start(Work work)
{
    cancel();
    m_progress = std::make_shared<TaskProgress>();
    const quint64 generation = ++m_generation;
    m_thread = QThread::create([work = std::move(work), progress = m_progress] { work(*progress); });
    // Queued to this object's thread: the run is over there once the signal arrives.
    connect(m_thread, &QThread::finished, this, [this, generation] {
        if (generation != m_generation || !m_thread)
            return;
        m_thread->deleteLater();
        m_thread = nullptr;
        Q_EMIT finished();
    });
    m_thread->start();
}

void BackgroundTask::cancel()
{
    if (!m_thread)
        return;
    m_progress->cancelled = true;
    m_thread->wait();
    // Its finished signal, if still queued, now names an older run.
    ++m_generation;
    delete m_thread;
    m_thread = nullptr;
}
