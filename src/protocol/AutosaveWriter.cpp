#include "protocol/AutosaveWriter.h"

#include "platform/AtomicFileWriter.h"

#include <QDir>
#include <QFileInfo>

AutosaveWriter::AutosaveWriter(QObject *parent)
    : QObject(parent)
    , m_thread([this] { run(); })
{ }

AutosaveWriter::~AutosaveWriter()
{
    {
        std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

quint64 AutosaveWriter::write(const QString &fileName, const QList<QByteArray> &text)
{
    quint64 number;
    {
        std::lock_guard lock(m_mutex);
        number = ++m_asked;
        m_pending = Job{number, fileName, text};
    }
    m_wake.notify_one();
    return number;
}

AutosaveWriter::Outcome AutosaveWriter::waitUntilWritten()
{
    std::unique_lock lock(m_mutex);
    m_done.wait(lock, [this] { return !m_pending && !m_writing; });
    return m_latest;
}

void AutosaveWriter::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_pending || m_ending; });
        if (!m_pending)
            return; // ending, with nothing left to write
        Job job = std::move(*m_pending);
        m_pending.reset();
        m_writing = true;
        lock.unlock();

        // A folder removed during the race is made again; one that cannot be made (a drive
        // gone) fails the write, which is shown.
        QDir().mkpath(QFileInfo(job.fileName).absolutePath());
        AtomicFileWriter writer;
        QString error;
        if (!writer.write(job.fileName, job.text))
            error = writer.errorString().isEmpty() ? QStringLiteral("Schreibfehler") : writer.errorString();
        Q_EMIT written(job.number, error);

        lock.lock();
        m_writing = false;
        m_latest = {job.number, error};
        m_done.notify_all();
    }
}
