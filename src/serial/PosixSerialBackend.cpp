#include "serial/PosixSerialBackend.h"

#include "platform/ErrnoText.h"

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

QString errorText(int error)
{
    return errnoText(error);
}

QString heldBy(const QString &holder)
{
    return errorText(EBUSY) + QStringLiteral(" (") + holder + QLatin1Char(')');
}

// Opens `path` as a tty without making it the controlling terminal and without
// blocking on the carrier; -1 with errno on failure.
int openTty(const QString &path)
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
bool takeExclusive(int fd)
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
void requestLowLatency(int fd)
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

PosixSerialBackend::PosixSerialBackend(const SerialDeviceMap &map)
    : m_map(map)
{ }

std::unique_ptr<SerialDevice> PosixSerialBackend::open(int port, QString *error)
{
    const QString path = m_map.path(port);
    if (path.isEmpty()) {
        *error = errorText(ENOENT);
        return nullptr;
    }
    return openPath(path, error);
}

std::unique_ptr<PosixSerialDevice> PosixSerialBackend::openPath(const QString &path, QString *error)
{
    // flock and TIOCEXCL stop only programs that ask for them (and TIOCEXCL
    // not root): a lock file of another program is honoured before the
    // device is touched, and a tty another program has open is refused too.
    const bool locking = !m_lockFolder.isEmpty();
    const PosixPortLock lock(m_lockFolder, path);
    QString holder = locking ? lock.holderDescription() : QString();
    if (!holder.isEmpty()) {
        *error = heldBy(holder);
        return nullptr;
    }
    const int fd = openTty(path);
    if (fd < 0) {
        *error = errorText(errno);
        return nullptr;
    }
    if (!takeExclusive(fd)) {
        *error = errorText(errno);
        ::close(fd);
        return nullptr;
    }
    const auto refuse = [fd, error](const QString &who) {
        *error = heldBy(who);
        flock(fd, LOCK_UN);
        ioctl(fd, TIOCNXCL);
        ::close(fd);
        return nullptr;
    };
    holder = otherProcessUsing(path);
    if (!holder.isEmpty())
        return refuse(holder);
    bool locked = false;
    if (locking && !lock.take(&holder, &locked))
        return refuse(holder);
    requestLowLatency(fd);
    return std::make_unique<PosixSerialDevice>(fd, m_waitMode, locked ? lock.path() : QString());
}

bool PosixSerialBackend::present(int port)
{
    const QString path = m_map.path(port);
    if (path.isEmpty())
        return false;
    const int fd = openTty(path);
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

QString PosixSerialBackend::driverName(int port) const
{
    const QString path = m_map.path(port);
    if (path.isEmpty())
        return QString();
    // /dev/serial/by-id and similar names are links to the tty node.
    QFileInfo device(path);
    const QString resolved = device.canonicalFilePath();
    const QString name = QFileInfo(resolved.isEmpty() ? path : resolved).fileName();
    const QFileInfo driver(m_map.sysfsRoot() + QStringLiteral("/class/tty/") + name
                           + QStringLiteral("/device/driver"));
    if (!driver.isSymLink())
        return QString();
    return QFileInfo(driver.symLinkTarget()).fileName();
}

bool PosixSerialBackend::ctsInputUsable(int port)
{
    // cdc_acm has no CTS input and always reports it set.
    return driverName(port) != QLatin1String("cdc_acm");
}

SerialBackend &defaultComBackend()
{
    static PosixSerialBackend backend;
    return backend;
}
