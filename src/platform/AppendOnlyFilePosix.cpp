#include "platform/AppendOnlyFile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

bool AppendOnlyFile::open(const QString &fileName)
{
    close();
    m_fileName = fileName;
    const QByteArray path = QFile::encodeName(fileName);
    do {
        m_handle = ::open(path.constData(), O_RDWR | O_APPEND | O_CLOEXEC);
    } while (m_handle < 0 && errno == EINTR);
    if (m_handle < 0) {
        m_error = systemError(errno);
        return false;
    }
    m_error.clear();
    // Whatever the file's last writer left unfinished ends before the first record.
    m_partialLine = true;
    return true;
}

void AppendOnlyFile::close()
{
    if (m_handle >= 0)
        ::close(m_handle);
    m_handle = -1;
}

bool AppendOnlyFile::isStillAtItsName() const
{
    // The device and the inode number tell one file from another.
    struct stat held = {};
    struct stat named = {};
    if (!isOpen() || ::fstat(int(m_handle), &held) != 0 || held.st_nlink == 0)
        return false;
    return ::stat(QFile::encodeName(m_fileName).constData(), &named) == 0 && named.st_dev == held.st_dev
        && named.st_ino == held.st_ino;
}

bool AppendOnlyFile::cutPartialLine()
{
    const off_t size = ::lseek(m_handle, 0, SEEK_END);
    off_t keep = size;
    char block[4096];
    for (off_t end = size; end > 0;) {
        const off_t begin = std::max<off_t>(0, end - off_t(sizeof block));
        const ssize_t n = ::pread(m_handle, block, size_t(end - begin), begin);
        if (n != end - begin) {
            m_error = systemError(n < 0 ? errno : EIO);
            return false;
        }
        const char *lineFeed = static_cast<const char *>(::memrchr(block, '\n', size_t(n)));
        if (lineFeed) {
            keep = begin + (lineFeed - block) + 1;
            break;
        }
        end = begin;
    }
    // Without any line feed the file is no file of lines; it is left as it is.
    if (keep < size && keep > 0 && (::ftruncate(m_handle, keep) != 0 || ::fdatasync(m_handle) != 0)) {
        m_error = systemError(errno);
        return false;
    }
    return true;
}

bool AppendOnlyFile::writeAll(const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(m_handle, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_error = systemError(errno);
            return false;
        }
        if (n == 0) {
            m_error = systemError(ENOSPC);
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

bool AppendOnlyFile::syncData()
{
    int rc;
    do {
        rc = ::fdatasync(m_handle);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0)
        m_error = systemError(errno);
    return rc == 0;
}
