#include "serial/PosixPortLock.h"

#include "platform/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace {

// The name of the device under /dev with "/" as "_" (pts/3 gives pts_3).
QString deviceName(const QString &devicePath)
{
    const QString resolved = QFileInfo(devicePath).canonicalFilePath();
    const QString path = resolved.isEmpty() ? devicePath : resolved;
    const QString dev = QStringLiteral("/dev/");
    if (path.startsWith(dev))
        return path.mid(dev.size()).replace(QLatin1Char('/'), QLatin1Char('_'));
    return QFileInfo(path).fileName();
}

bool alive(qint64 pid)
{
    return pid > 0 && (kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

// The PID a lock file names: ASCII (HDB UUCP) or a binary int (older ones).
qint64 lockOwner(const QString &path)
{
    // The lock folder is open to every user: whatever stands there is read with care.
    QString ignored;
    const QByteArray content = readRegularFile(path, 4096, &ignored).value_or(QByteArray()).left(64);
    bool ok = false;
    const qint64 pid = content.trimmed().toLongLong(&ok);
    if (ok)
        return pid;
    if (content.size() == int(sizeof(int))) {
        int binary = 0;
        std::memcpy(&binary, content.constData(), sizeof binary);
        return binary;
    }
    return 0;
}

// The parent of a running process; 0 when unknown.
qint64 parentOf(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    // "pid (name) state ppid ...": the name may hold blanks and parentheses.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 1).simplified().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() : 0;
}

} // namespace

PosixPortLock::PosixPortLock(const QString &folder, const QString &devicePath)
    : m_path(QDir(folder).filePath(QStringLiteral("LCK..") + deviceName(devicePath)))
{ }

QString PosixPortLock::holderDescription() const
{
    if (!QFileInfo::exists(m_path))
        return QString();
    const qint64 pid = lockOwner(m_path);
    if (pid == qint64(getpid()))
        return QString();
    if (alive(pid))
        return describeProcess(pid);
    // Its owner has ended (or it names nobody): stale.
    QFile::remove(m_path);
    return QString();
}

bool PosixPortLock::take(QString *holder, bool *taken) const
{
    *taken = false;
    const QByteArray name = QFile::encodeName(m_path);
    int fd = -1;
    // A second try after a stale lock was removed.
    for (int attempt = 0; fd < 0 && attempt < 2; ++attempt) {
        fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0)
            break;
        if (errno != EEXIST)
            return true;
        // This process's own lock belongs to whoever took it here.
        if (lockOwner(m_path) == qint64(getpid()))
            return true;
        *holder = holderDescription();
        if (!holder->isEmpty())
            return false;
    }
    if (fd < 0)
        return true;
    const QByteArray content = QByteArray::number(qint64(getpid())).rightJustified(10, ' ') + '\n';
    const bool written = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    ::close(fd);
    if (!written) {
        ::unlink(name.constData());
        return true;
    }
    *taken = true;
    return true;
}

QString describeProcess(qint64 pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    QString name;
    if (comm.open(QIODevice::ReadOnly))
        name = QString::fromLocal8Bit(comm.readAll()).trimmed();
    const QString id = QStringLiteral("PID %1").arg(pid);
    return name.isEmpty() ? id : name + QStringLiteral(", ") + id;
}

QString otherProcessUsing(const QString &devicePath)
{
    const QString resolved = QFileInfo(devicePath).canonicalFilePath();
    if (resolved.isEmpty())
        return QString();
    const QByteArray device = QFile::encodeName(resolved);
    const qint64 self = getpid();
    DIR *proc = opendir("/proc");
    if (!proc)
        return QString();
    QString found;
    while (found.isEmpty()) {
        const dirent *process = readdir(proc);
        if (!process)
            break;
        bool numeric = false;
        const qint64 pid = QByteArray(process->d_name).toLongLong(&numeric);
        if (!numeric || pid == self)
            continue;
        const QByteArray fdFolder = "/proc/" + QByteArray(process->d_name) + "/fd";
        DIR *fds = opendir(fdFolder.constData());
        if (!fds)
            continue; // gone, or another user's
        bool holds = false;
        while (const dirent *fd = readdir(fds)) {
            char target[4096];
            const QByteArray link = fdFolder + '/' + fd->d_name;
            const ssize_t length = readlink(link.constData(), target, sizeof target);
            if (length == device.size() && device == QByteArray(target, int(length))) {
                holds = true;
                break;
            }
        }
        closedir(fds);
        // A child forked while the port was open (an isolated parse) holds
        // it by inheritance only.
        if (holds && parentOf(pid) != self)
            found = describeProcess(pid);
    }
    closedir(proc);
    return found;
}
