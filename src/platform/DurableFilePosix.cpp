#include "platform/DurableFile.h"

#include "platform/ErrnoText.h"
#include "platform/FileTargetPosix.h"

#include <QFile>
#include <QThreadPool>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Names tried before giving up: each can only be taken by someone who guessed it.
constexpr int NameAttempts = 100;

} // namespace

DurableFile::DurableFile() = default;

DurableFile::~DurableFile()
{
    discard();
}

bool DurableFile::create(const QString &target)
{
    discard();
    m_error.clear();
    m_target = std::make_unique<FileTarget>();
    QString why;
    if (!m_target->resolve(target, &why))
        return fail(why);
    const bool replaces = m_target->exists();
    for (int attempt = 0; attempt < NameAttempts && m_handle < 0; ++attempt) {
        const QByteArray name = QFile::encodeName(temporaryName(QFile::decodeName(m_target->name())));
        // Exclusive and never through a link: only a file made here and now is written.
        const int fd = ::openat(m_target->folder(), name.constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, replaces ? 0600 : 0666);
        if (fd >= 0) {
            m_handle = fd;
            m_name = QFile::decodeName(name);
            m_path = m_target->folderPath() + QLatin1Char('/') + m_name;
        } else if (errno != EEXIST && errno != EINTR) {
            // The file itself may be writable, but its replacement is made in the folder.
            const int error = errno;
            return fail(QStringLiteral("Der Ordner %1 ist nicht beschreibbar: %2")
                            .arg(m_target->folderPath(), errnoText(error)));
        }
    }
    if (m_handle < 0)
        return fail(errnoText(EEXIST));
    // A file shared with a group stays shared.
    if (replaces && ::fchmod(int(m_handle), m_target->status().st_mode & 0777) != 0)
        return fail(errnoText(errno));
    return true;
}

bool DurableFile::write(QByteArrayView bytes)
{
    const char *data = bytes.data();
    qsizetype size = bytes.size();
    while (size > 0) {
        const ssize_t n = ::write(int(m_handle), data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(errnoText(n < 0 ? errno : ENOSPC));
        data += n;
        size -= n;
    }
    return true;
}

bool DurableFile::finish()
{
    int rc;
    do {
        rc = ::fsync(int(m_handle));
    } while (rc != 0 && errno == EINTR);
    if (rc != 0)
        return fail(errnoText(errno));
    // A file system that stores on close (network, quota) reports its failure here.
    rc = ::close(int(m_handle));
    m_handle = -1;
    if (rc != 0 && errno != EINTR)
        return fail(errnoText(errno));
    return true;
}

bool DurableFile::replaceTarget()
{
    const int folder = m_target->folder();
    const QByteArray name = QFile::encodeName(m_name);
    // Renaming over a large file frees its blocks inside the rename, for milliseconds. Held
    // open across the rename, the old file is freed when that handle closes, which a pool
    // thread does.
    const int old = ::openat(folder, m_target->name().constData(),
                             O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY);
    const bool renamed = ::renameat(folder, name.constData(), folder, m_target->name().constData()) == 0;
    const int error = errno;
    if (old >= 0)
        QThreadPool::globalInstance()->start([old] { ::close(old); });
    if (!renamed)
        return fail(errnoText(error));
    m_name.clear();
    m_path.clear();
    m_target.reset();
    return true;
}

void DurableFile::discard()
{
    if (m_handle >= 0)
        ::close(int(m_handle));
    m_handle = -1;
    if (!m_name.isEmpty() && m_target)
        ::unlinkat(m_target->folder(), QFile::encodeName(m_name).constData(), 0);
    m_name.clear();
    m_path.clear();
    m_target.reset();
}

bool syncToDisk(QFile &file, QString *error)
{
    int rc;
    do {
        rc = ::fsync(file.handle());
    } while (rc != 0 && errno == EINTR);
    if (rc != 0)
        *error = errnoText(errno);
    return rc == 0;
}
