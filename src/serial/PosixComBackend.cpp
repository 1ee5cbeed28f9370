#include "PosixComBackend.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

QString ErrorText(int error)
{
    return QString::fromLocal8Bit(strerror(error));
}

QString HeldBy(const QString &holder)
{
    return ErrorText(EBUSY) + QStringLiteral(" (") + holder + QLatin1Char(')');
}

// Opens `path` as a tty without making it the controlling terminal and without
// blocking on the carrier; -1 with errno on failure.
int OpenTty(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (!isatty(fd)) {
        ::close(fd);
        errno = ENOTTY;
        return -1;
    }
    return fd;
}

// Takes the device for this process alone; errno EBUSY when somebody has it.
bool TakeExclusive(int fd)
{
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            errno = EBUSY;
        return false;
    }
    if (ioctl(fd, TIOCEXCL) != 0) {
        const int failure = errno;
        flock(fd, LOCK_UN);
        errno = failure;
        return false;
    }
    return true;
}

// USB adapters (FTDI) hold received data back up to 16 ms unless told not to.
void RequestLowLatency(int fd)
{
    serial_struct info;
    if (ioctl(fd, TIOCGSERIAL, &info) != 0)
        return;
    if (info.flags & ASYNC_LOW_LATENCY)
        return;
    info.flags |= ASYNC_LOW_LATENCY;
    ioctl(fd, TIOCSSERIAL, &info);
}

} // namespace

PosixComBackend::PosixComBackend(const ComDeviceMap &map)
    : m_map(map)
{
}

std::unique_ptr<ComDevice> PosixComBackend::Open(int port, QString *error)
{
    const QString path = m_map.Path(port);
    if (path.isEmpty()) {
        *error = ErrorText(ENOENT);
        return nullptr;
    }
    return OpenPath(path, error);
}

std::unique_ptr<PosixComDevice> PosixComBackend::OpenPath(const QString &path, QString *error)
{
    // flock and TIOCEXCL stop only programs that ask for them (and TIOCEXCL
    // not root): a lock file of another program is honoured before the
    // device is touched, and a tty another program has open is refused too.
    const bool locking = !m_lockFolder.isEmpty();
    const PosixPortLock lock(m_lockFolder, path);
    QString holder = locking ? lock.Holder() : QString();
    if (!holder.isEmpty()) {
        *error = HeldBy(holder);
        return nullptr;
    }
    const int fd = OpenTty(path);
    if (fd < 0) {
        *error = ErrorText(errno);
        return nullptr;
    }
    if (!TakeExclusive(fd)) {
        *error = ErrorText(errno);
        ::close(fd);
        return nullptr;
    }
    const auto refuse = [fd, error](const QString &who) {
        *error = HeldBy(who);
        flock(fd, LOCK_UN);
        ioctl(fd, TIOCNXCL);
        ::close(fd);
        return nullptr;
    };
    holder = OtherProcessUsing(path);
    if (!holder.isEmpty())
        return refuse(holder);
    bool locked = false;
    if (locking && !lock.Take(&holder, &locked))
        return refuse(holder);
    RequestLowLatency(fd);
    return std::make_unique<PosixComDevice>(fd, m_waitMode, locked ? lock.Path() : QString());
}

bool PosixComBackend::Present(int port)
{
    const QString path = m_map.Path(port);
    if (path.isEmpty())
        return false;
    const int fd = OpenTty(path);
    if (fd < 0)
        return false;
    // The port must be free, as the open would be exclusive.
    bool present = flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (present) {
        // /dev/ttyS* exists for every possible UART; one without hardware
        // answers with port type unknown.
        serial_struct info;
        if (ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type == PORT_UNKNOWN)
            present = false;
        flock(fd, LOCK_UN);
    }
    ::close(fd);
    return present;
}

QString PosixComBackend::DriverName(int port) const
{
    const QString path = m_map.Path(port);
    if (path.isEmpty())
        return QString();
    // /dev/serial/by-id and similar names are links to the tty node.
    QFileInfo device(path);
    const QString resolved = device.canonicalFilePath();
    const QString name = QFileInfo(resolved.isEmpty() ? path : resolved).fileName();
    const QFileInfo driver(m_map.SysfsRoot() + QStringLiteral("/class/tty/") + name
                           + QStringLiteral("/device/driver"));
    if (!driver.isSymLink())
        return QString();
    return QFileInfo(driver.symLinkTarget()).fileName();
}

bool PosixComBackend::CtsInputUsable(int port)
{
    // cdc_acm has no CTS input and always reports it set.
    return DriverName(port) != QLatin1String("cdc_acm");
}

ComBackend &DefaultComBackend()
{
    static PosixComBackend backend;
    return backend;
}
