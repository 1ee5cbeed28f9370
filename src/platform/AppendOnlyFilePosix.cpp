#include "platform/AppendOnlyFile.h"

#include <QFile>

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

AppendOnlyFile::~AppendOnlyFile()
{
    close();
}

bool AppendOnlyFile::open(const QString &fileName)
{
    close();
    m_fileName = fileName;
    const QByteArray path = QFile::encodeName(fileName);
    do {
        m_fd = ::open(path.constData(), O_RDWR | O_APPEND | O_CLOEXEC);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0) {
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
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool AppendOnlyFile::endsInPartialLine() const
{
    const off_t size = ::lseek(m_fd, 0, SEEK_END);
    char last = '\n';
    return size > 0 && (::pread(m_fd, &last, 1, size - 1) != 1 || last != '\n');
}

bool AppendOnlyFile::writeAll(const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, size_t(size));
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

bool AppendOnlyFile::append(const QByteArray &bytes)
{
    if (m_fd < 0) {
        m_error = QStringLiteral("nicht ge\u00f6ffnet");
        return false;
    }
    QByteArray record;
    const QByteArray *out = &bytes;
    if (m_partialLine && endsInPartialLine()) {
        // A record glued to a torn line would be lost with it. The torn line is ended and
        // an empty line after it tells a reader that it was torn, not damaged later.
        record.reserve(bytes.size() + 2);
        record.append("\n\n").append(bytes);
        out = &record;
    }
    if (!writeAll(out->constData(), out->size())) {
        m_partialLine = true;
        return false;
    }
    int rc;
    do {
        rc = ::fdatasync(m_fd);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        m_error = systemError(errno);
        m_partialLine = true;
        return false;
    }
    m_partialLine = false;
    m_error.clear();
    return true;
}
