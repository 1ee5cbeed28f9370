#include "platform/AtomicFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThreadPool>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool syncHandle(int handle)
{
#ifdef Q_OS_WIN
    return ::_commit(handle) == 0;
#else
    int rc;
    do {
        rc = ::fsync(handle);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
#endif
}

bool replaceFile(const QString &from, const QString &to)
{
#ifdef Q_OS_WIN
    return ::MoveFileExW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(from).utf16()),
                         reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(to).utf16()),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
        != 0;
#else
    // Renaming over a large file frees its blocks inside the rename, for milliseconds. Held
    // open across the rename, the old file is freed when that handle closes, which a pool
    // thread does. Opened without blocking, so that a pipe of that name cannot stall.
    const int old = ::open(QFile::encodeName(to).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    const bool renamed
        = ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
    const int renameError = errno;
    if (old >= 0)
        QThreadPool::globalInstance()->start([old] { ::close(old); });
    errno = renameError;
    return renamed;
#endif
}

// The file that a chain of symbolic links finally names; at most 40 links are followed,
// as the system does.
QString resolveLinks(const QString &fileName)
{
    QFileInfo info(fileName);
    for (int links = 0; links < 40 && info.isSymbolicLink(); ++links)
        info.setFile(info.symLinkTarget());
    return info.absoluteFilePath();
}

} // namespace

bool AtomicFileWriter::write(const QString &fileName, const QByteArray &data)
{
    m_error.clear();
    // Renaming over a link would replace the link: the new file goes beside its target.
    const QFileInfo target(resolveLinks(fileName));
    const QString folder = target.absolutePath();
    const QString tempName = folder + QLatin1String("/.") + target.fileName() + QLatin1String(".tmp");

    QFile temp(tempName);
    if (!temp.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        // The file itself may be writable, but its replacement is made in the folder.
        m_error = QFileInfo(folder).isDir() ? QStringLiteral("Der Ordner %1 ist nicht beschreibbar: %2")
                                                  .arg(QDir::toNativeSeparators(folder), temp.errorString())
                                            : temp.errorString();
        return false;
    }
    // The replacement keeps the access rights of the file it replaces, so that a file
    // shared with a group stays shared.
    if (target.exists())
        temp.setPermissions(target.permissions());
    auto fail = [&](const QString &reason) {
        m_error = reason;
        temp.close();
        QFile::remove(tempName);
        return false;
    };
    if (temp.write(data) != data.size())
        return fail(temp.errorString());
    if (!temp.flush())
        return fail(temp.errorString());
    if (!syncHandle(temp.handle()))
        return fail(systemError());
    temp.close();
    if (temp.error() != QFileDevice::NoError)
        return fail(temp.errorString());
    if (beforeRename && !beforeRename(tempName))
        return fail(QStringLiteral("aborted before rename"));
    if (!replaceFile(tempName, target.absoluteFilePath()))
        return fail(systemError());
    // The folder itself is not synced: after a power loss the rename may be missing,
    // which leaves the previous complete file, and the sync would double the cost.
    return true;
}
