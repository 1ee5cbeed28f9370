#include "platform/AppendOnlyFile.h"

#include "platform/ErrnoText.h"
#include "platform/FileKindPosix.h"
#include "platform/FileTargetPosix.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool AppendOnlyFile::open(const QString &fileName)
{
    close();
    m_fileName = fileName;
    // Links are followed as for every write; the file itself must already exist.
    FileTarget target;
    if (!target.resolve(fileName, &m_error))
        return false;
    if (!target.exists()) {
        m_error = errnoText(ENOENT);
        return false;
    }
    do {
        m_handle = ::openat(target.folder(), target.name().constData(),
                            O_RDWR | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    } while (m_handle < 0 && errno == EINTR);
    if (m_handle < 0) {
        m_error = errnoText(errno);
        return false;
    }
    // Something else may have taken the regular file's place since the look at it.
    struct stat status{};
    if (::fstat(int(m_handle), &status) != 0 || !S_ISREG(status.st_mode)) {
        m_error = notRegularFileText(fileKindOf(status.st_mode));
        close();
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
            m_error = errnoText(n < 0 ? errno : EIO);
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
        m_error = errnoText(errno);
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
            m_error = errnoText(errno);
            return false;
        }
        if (n == 0) {
            m_error = errnoText(ENOSPC);
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
        m_error = errnoText(errno);
    return rc == 0;
}
