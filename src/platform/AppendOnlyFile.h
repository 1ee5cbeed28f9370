#pragma once

#include <QByteArray>
#include <QString>

// A file of lines that only grows: every append goes to its end (also when another
// handle appends too) and is on the disk before append() returns. A failed append or
// a crash leaves at most a partial line behind; the next append ends it with an empty
// line and starts on a line of its own, so one failure never spoils the next record.
class AppendOnlyFile
{
public:
    AppendOnlyFile() = default;
    ~AppendOnlyFile();
    AppendOnlyFile(const AppendOnlyFile &) = delete;
    AppendOnlyFile &operator=(const AppendOnlyFile &) = delete;

    // Opens an existing file for appending; false and errorString() when it cannot.
    bool open(const QString &fileName);
    void close();
    bool isOpen() const { return m_fd >= 0; }
    QString fileName() const { return m_fileName; }

    // Writes the bytes at the end and syncs the data to the disk.
    bool append(const QByteArray &bytes);

    QString errorString() const { return m_error; }

private:
    bool writeAll(const char *data, qsizetype size);
    bool endsInPartialLine() const;

    int m_fd = -1;
    QString m_fileName;
    QString m_error;
    // A failed append may have left a partial line at the end.
    bool m_partialLine = false;
};
