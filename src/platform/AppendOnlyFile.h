#pragma once

#include <QByteArray>
#include <QString>

// A file of lines that only grows by whole lines: every append goes to its end and is
// on the disk before append() returns. A failed append or a crash may leave a partial
// line behind (even one complete but for its line feed); it never counted, and the next
// append cuts it away first, so one failure never spoils or adds a record.
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
    bool isOpen() const { return m_handle != -1; }
    QString fileName() const { return m_fileName; }
    // Whether the file held open is still the one its name leads to: false once it was
    // deleted, moved away or replaced by another file.
    bool isStillAtItsName() const;

    // Writes the bytes at the end and syncs the data to the disk.
    bool append(const QByteArray &bytes);

    QString errorString() const { return m_error; }

private:
    bool writeAll(const char *data, qsizetype size);
    // Forces what was written onto the disk.
    bool syncData();
    // Cuts the file back to its last line feed: what follows it never counted.
    bool cutPartialLine();

    // The file descriptor, or the Windows file handle; -1 when closed.
    qintptr m_handle = -1;
    QString m_fileName;
    QString m_error;
    // A failed append may have left a partial line at the end.
    bool m_partialLine = false;
};
