#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Replaces a file so that a crash or power loss leaves either the previous file or the
// complete new one: the bytes go to a temporary file in the target's folder, which is
// flushed and synced to disk and then renamed over the target. A symbolic link is
// followed to its target, which is replaced while the link stays; the new file keeps
// the access rights of the file it replaces.
class AtomicFileWriter
{
public:
    // Writes `data` to `fileName`. On failure the target is untouched, the temporary file
    // is removed and errorString() tells why.
    bool write(const QString &fileName, const QByteArray &data);

    QString errorString() const { return m_error; }

    // Runs after the temporary file is complete and synced, right before the rename.
    // Returning false aborts the write as a failure. Tests use it to inject failures.
    std::function<bool(const QString &tempFileName)> beforeRename;

private:
    QString m_error;
};
