#include "AtomicFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

QString SystemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool SyncHandle(int handle)
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

bool ReplaceFile(const QString &from, const QString &to)
{
#ifdef Q_OS_WIN
    return ::MoveFileExW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(from).utf16()),
                         reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(to).utf16()),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
}

} // namespace

bool AtomicFileWriter::Write(const QString &fileName, const QByteArray &data)
{
    FError.clear();
    const QFileInfo target(fileName);
    const QString folder = target.absolutePath();
    const QString tempName = folder + QLatin1String("/.") + target.fileName() + QLatin1String(".tmp");

    QFile temp(tempName);
    if (!temp.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        FError = temp.errorString();
        return false;
    }
    auto fail = [&](const QString &reason) {
        FError = reason;
        temp.close();
        QFile::remove(tempName);
        return false;
    };
    if (temp.write(data) != data.size())
        return fail(temp.errorString());
    if (!temp.flush())
        return fail(temp.errorString());
    if (!SyncHandle(temp.handle()))
        return fail(SystemError());
    temp.close();
    if (temp.error() != QFileDevice::NoError)
        return fail(temp.errorString());
    if (OnBeforeRename && !OnBeforeRename(tempName))
        return fail(QStringLiteral("aborted before rename"));
    if (!ReplaceFile(tempName, target.absoluteFilePath()))
        return fail(SystemError());
    // The folder itself is not synced: after a power loss the rename may be missing,
    // which leaves the previous complete file, and the sync would double the cost.
    return true;
}
