#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// Replaces a file so that a crash or power loss leaves either the previous file or the
// complete new one (see DurableFile): the bytes go to a new file in the target's folder,
// made exclusively under an unforeseeable name, which is synced to disk and then renamed
// over the target. A symbolic link of the operator's own is followed to its target, which
// is replaced while the link stays; another user's link is refused (see FileTarget). The
// new file keeps the access rights of the file it replaces.
class AtomicFileWriter
{
public:
    // Writes `data` to `fileName`. On failure the target is untouched, the temporary file
    // is removed and errorString() tells why, in German.
    bool write(const QString &fileName, const QByteArray &data);
    // The same for bytes in pieces, written one after the other.
    bool write(const QString &fileName, const QList<QByteArray> &pieces);

    QString errorString() const { return m_error; }

    // Runs after the temporary file is complete and synced, right before the rename.
    // Returning false aborts the write as a failure. Tests use it to inject failures.
    std::function<bool(const QString &tempFileName)> beforeRename;

private:
    QString m_error;
};
