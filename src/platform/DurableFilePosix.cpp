#include "platform/DurableFile.h"

#include <QFile>
#include <QThreadPool>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

bool syncToDisk(QFile &file, QString *error)
{
    int rc;
    do {
        rc = ::fsync(file.handle());
    } while (rc != 0 && errno == EINTR);
    if (rc != 0)
        *error = systemError(errno);
    return rc == 0;
}

bool replaceFile(const QString &from, const QString &to, QString *error)
{
    // Renaming over a large file frees its blocks inside the rename, for milliseconds. Held
    // open across the rename, the old file is freed when that handle closes, which a pool
    // thread does. Opened without blocking, so that a pipe of that name cannot stall.
    const int old = ::open(QFile::encodeName(to).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    const bool renamed
        = ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
    if (!renamed)
        *error = systemError(errno);
    if (old >= 0)
        QThreadPool::globalInstance()->start([old] { ::close(old); });
    return renamed;
}
