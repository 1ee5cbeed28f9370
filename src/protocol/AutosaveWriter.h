#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

// Writes the autosave on a thread of its own, so that a finish never waits for the disk:
// at most one write runs, and of the texts asked for meanwhile only the newest is written
// next. Each write replaces the file whole (AtomicFileWriter).
class AutosaveWriter : public QObject
{
    Q_OBJECT

public:
    explicit AutosaveWriter(QObject *parent = nullptr);
    // Writes what is still asked for, then ends the thread.
    ~AutosaveWriter() override;

    // Asks for the pieces of `text`, one after the other, to become the file `fileName`
    // (its folder made when missing). Returns the write's number; numbers grow with each
    // call.
    quint64 write(const QString &fileName, const QList<QByteArray> &text);

    struct Outcome
    {
        quint64 number = 0;
        QString error; // empty: written
    };
    // Blocks until every write asked for is done; what the newest one gave.
    Outcome waitUntilWritten();

Q_SIGNALS:
    // A write is done (emitted on the writer's thread).
    void written(quint64 number, const QString &error);

private:
    struct Job
    {
        quint64 number = 0;
        QString fileName;
        QList<QByteArray> text;
    };
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake; // a job or the end is waiting
    std::condition_variable m_done; // a write ended
    std::optional<Job> m_pending;
    bool m_writing = false;
    bool m_ending = false;
    quint64 m_asked = 0;
    Outcome m_latest;
    std::thread m_thread;
};
