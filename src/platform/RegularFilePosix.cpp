#include "platform/RegularFile.h"

#include "platform/ErrnoText.h"
#include "platform/FileKindPosix.h"
#include "platform/FileTargetPosix.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A descriptor of the regular file, or -1 with the reason. Links are followed as for a
// write (see FileTarget), and a device is not even opened: opening one can already act
// (a serial line raises its control lines).
int openDescriptor(const QString &fileName, struct stat *status, QString *error)
{
    auto fail = [error](const QString &why) {
        *error = why;
        return -1;
    };
    FileTarget target;
    if (!target.resolve(fileName, error))
        return -1;
    if (!target.exists())
        return fail(errnoText(ENOENT));
    int fd;
    do {
        fd = ::openat(target.folder(), target.name().constData(),
                      O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return fail(errnoText(errno));
    // Replaced by something else since the look above.
    if (::fstat(fd, status) != 0 || !S_ISREG(status->st_mode)) {
        const QString why = notRegularFileText(fileKindOf(status->st_mode));
        ::close(fd);
        return fail(why);
    }
    return fd;
}

} // namespace

bool openRegularFile(QFile &file, const QString &fileName, QString *error)
{
    struct stat status{};
    const int fd = openDescriptor(fileName, &status, error);
    if (fd < 0)
        return false;
    file.setFileName(fileName);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *error = errnoText(EBADF);
        return false;
    }
    return true;
}

std::optional<QByteArray> readRegularFile(const QString &fileName, qint64 limit, QString *error)
{
    struct stat status{};
    const int fd = openDescriptor(fileName, &status, error);
    if (fd < 0)
        return std::nullopt;
    auto fail = [fd, error](const QString &why) -> std::optional<QByteArray> {
        ::close(fd);
        *error = why;
        return std::nullopt;
    };
    if (status.st_size > limit)
        return fail(fileTooLargeText(limit));
    // One byte more than the file holds shows its end, or that it grew past the limit.
    QByteArray bytes(qsizetype(status.st_size) + 1, Qt::Uninitialized);
    qsizetype used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (used > limit)
                return fail(fileTooLargeText(limit));
            bytes.resize(qsizetype(std::min<qint64>(qint64(used) * 2, limit + 1)));
        }
        const ssize_t n = ::read(fd, bytes.data() + used, size_t(bytes.size() - used));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(errnoText(errno));
        if (n == 0)
            break;
        used += n;
    }
    ::close(fd);
    if (used > limit) {
        *error = fileTooLargeText(limit);
        return std::nullopt;
    }
    bytes.truncate(used);
    return bytes;
}
