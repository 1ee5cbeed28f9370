#include "platform/RegularFile.h"

#include "platform/ErrnoText.h"
#include "platform/FileKindPosix.h"
#include "platform/FileTargetPosix.h"

#include <QFile>

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
    std::optional<QByteArray> bytes
        = readWithinLimit(status.st_size, limit, [fd](char *buffer, qint64 max, QString *why) -> qint64 {
              for (;;) {
                  const ssize_t n = ::read(fd, buffer, size_t(max));
                  if (n >= 0)
                      return n;
                  if (errno != EINTR) {
                      *why = errnoText(errno);
                      return -1;
                  }
              }
          }, error);
    ::close(fd);
    return bytes;
}
