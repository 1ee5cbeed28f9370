#include "PosixComDevice.h"

#include "PosixBaudRate.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr quint32 ModemEvents = ComEvent::Cts | ComEvent::Dsr | ComEvent::Ring | ComEvent::Rlsd;
constexpr quint32 ReceiveEvents = ComEvent::RxChar | ComEvent::RxFlag | ComEvent::Break
                                  | ComEvent::Error;

QString ErrorText(int error)
{
    return QString::fromLocal8Bit(strerror(error));
}

// The signal that ends a TIOCMIWAIT; its handler does nothing.
int WakeSignal()
{
    static const int signal = [] {
        const int number = SIGRTMIN + 5;
        struct sigaction action;
        std::memset(&action, 0, sizeof action);
        action.sa_handler = [](int) {};
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0; // no SA_RESTART: the blocked ioctl returns EINTR
        sigaction(number, &action, nullptr);
        return number;
    }();
    return signal;
}

speed_t StandardSpeed(quint32 rate)
{
    switch (rate) {
    case 50: return B50;
    case 75: return B75;
    case 110: return B110;
    case 134: return B134;
    case 150: return B150;
    case 200: return B200;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 1800: return B1800;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return B0;
    }
}

tcflag_t CharacterSize(int dataBits)
{
    switch (dataBits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
    }
}

// Raises or lowers one modem output; a tty without modem lines has none to set.
bool SetModemOutput(int fd, int line, bool on, int *error)
{
    if (ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line) == 0)
        return true;
    if (errno == ENOTTY || errno == EINVAL)
        return true;
    *error = errno;
    return false;
}

bool IsUnsupported(int error)
{
    return error == ENOTTY || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

} // namespace

PosixComDevice::PosixComDevice(int fd, WaitMode mode)
    : m_fd(fd)
    , m_forcedPolling(mode == WaitMode::Polling)
{
    WakeSignal();
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_polling.store(m_forcedPolling);
}

PosixComDevice::~PosixComDevice()
{
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
    flock(m_fd, LOCK_UN);
    ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);
}

bool PosixComDevice::Configure(const ComLineSettings &settings, QString *error)
{
    termios tio;
    if (tcgetattr(m_fd, &tio) != 0) {
        *error = ErrorText(errno);
        return false;
    }
    // Raw binary line: no translation, no echo, no signals; parity checking,
    // error replacement and null stripping stay off.
    tio.c_iflag = 0;
    tio.c_oflag = 0;
    tio.c_lflag = 0;
    // CLOCAL: the carrier line never hangs the port up. CREAD follows the events.
    tio.c_cflag = CLOCAL | CREAD | HUPCL | CharacterSize(settings.DataBits);
    switch (settings.Parity) {
    case prNone: break;
    case prOdd: tio.c_cflag |= PARENB | PARODD; break;
    case prEven: tio.c_cflag |= PARENB; break;
    case prMark: tio.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case prSpace: tio.c_cflag |= PARENB | CMSPAR; break;
    }
    // With five data bits the UART sends 1.5 stop bits for CSTOPB.
    if (settings.StopBits != sbOneStopBit)
        tio.c_cflag |= CSTOPB;
    if (settings.FlowControl == fcRtsCts)
        tio.c_cflag |= CRTSCTS;
    if (settings.FlowControl == fcXonXoff)
        tio.c_iflag |= IXON | IXOFF;
    tio.c_cc[VSTART] = cc_t(settings.XonChar);
    tio.c_cc[VSTOP] = cc_t(settings.XoffChar);
    // A read returns at once with whatever is queued.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;

    const speed_t speed = StandardSpeed(settings.BaudRate);
    cfsetispeed(&tio, speed != B0 ? speed : B38400);
    cfsetospeed(&tio, speed != B0 ? speed : B38400);
    if (tcsetattr(m_fd, TCSANOW, &tio) != 0) {
        *error = ErrorText(errno);
        return false;
    }
    if (speed == B0) {
        if (const int failure = SetPosixBaudRate(m_fd, settings.BaudRate)) {
            *error = ErrorText(failure);
            return false;
        }
    }

    int failure = 0;
    // DTR raised while open when enabled; RTS is the handshake line under
    // RTS/CTS and otherwise held low.
    if (!SetModemOutput(m_fd, TIOCM_DTR, settings.EnableDTR, &failure)
        || (settings.FlowControl != fcRtsCts
            && !SetModemOutput(m_fd, TIOCM_RTS, false, &failure))) {
        *error = ErrorText(failure);
        return false;
    }
    // The tty layer has fixed queue sizes; ReadBufSize, WriteBufSize and the
    // XON/XOFF limits have nothing to map to.
    return true;
}

void PosixComDevice::SetReceiver(bool on)
{
    termios tio;
    if (tcgetattr(m_fd, &tio) != 0)
        return;
    const tcflag_t wanted = on ? (tio.c_cflag | CREAD) : (tio.c_cflag & ~tcflag_t(CREAD));
    if (wanted == tio.c_cflag)
        return;
    tio.c_cflag = wanted;
    tcsetattr(m_fd, TCSANOW, &tio);
}

void PosixComDevice::SetEventMask(quint32 mask)
{
    m_mask.store(mask);
    // Nothing reads the port. Under RTS/CTS the line discipline drops RTS when
    // its input buffer fills, which would switch off the finish barrier: with
    // no receive event watched the receiver is off, otherwise the monitor
    // empties the input after each report.
    SetReceiver((mask & ReceiveEvents) != 0);
    tcflush(m_fd, TCIFLUSH);

    int lines = 0;
    if (ioctl(m_fd, TIOCMGET, &lines) == 0) {
        m_lastLines = lines;
    } else if (IsUnsupported(errno) && !m_forcedPolling) {
        m_hasModemLines = false;
    }
    m_hasCounters = ioctl(m_fd, TIOCGICOUNT, &m_lastCounters) == 0;
}

quint32 PosixComDevice::ModemStatus()
{
    int lines = 0;
    if (ioctl(m_fd, TIOCMGET, &lines) != 0)
        return 0;
    quint32 status = 0;
    if (lines & TIOCM_CTS)
        status |= ModemLine::CtsOn;
    if (lines & TIOCM_DSR)
        status |= ModemLine::DsrOn;
    if (lines & TIOCM_RNG)
        status |= ModemLine::RingOn;
    if (lines & TIOCM_CAR)
        status |= ModemLine::RlsdOn;
    return status;
}

quint32 PosixComDevice::InQueCount()
{
    int count = 0;
    if (ioctl(m_fd, FIONREAD, &count) != 0 || count < 0)
        return 0;
    return quint32(count);
}

void PosixComDevice::PurgeInput()
{
    tcflush(m_fd, TCIFLUSH);
}

void PosixComDevice::WakeWaiter()
{
    m_wake.store(true);
    const quint64 one = 1;
    if (m_wakeFd >= 0 && ::write(m_wakeFd, &one, sizeof one) < 0) {
        // The counter is already set: the poll sees it either way.
    }
    std::lock_guard lock(m_waiterMutex);
    if (m_inWait)
        pthread_kill(m_waiter, WakeSignal());
}

PosixComDevice::Check PosixComDevice::CheckLines(quint32 *occurred, QString *error)
{
    const quint32 mask = m_mask.load();
    quint32 events = 0;
    int lines = 0;
    if (ioctl(m_fd, TIOCMGET, &lines) != 0) {
        if (!(m_forcedPolling && IsUnsupported(errno))) {
            *error = ErrorText(errno);
            return Check::Failed;
        }
        lines = m_lastLines;
    }
    const int changed = lines ^ m_lastLines;
    m_lastLines = lines;
    if (changed & TIOCM_CTS)
        events |= ComEvent::Cts;
    if (changed & TIOCM_DSR)
        events |= ComEvent::Dsr;
    if (changed & TIOCM_RNG)
        events |= ComEvent::Ring;
    if (changed & TIOCM_CAR)
        events |= ComEvent::Rlsd;

    // A pulse shorter than the way from the wake to TIOCMGET leaves the lines
    // as they were; the counters still show it.
    serial_icounter_struct counters;
    if (m_hasCounters && ioctl(m_fd, TIOCGICOUNT, &counters) == 0) {
        const serial_icounter_struct &last = m_lastCounters;
        if (counters.cts != last.cts)
            events |= ComEvent::Cts;
        if (counters.dsr != last.dsr)
            events |= ComEvent::Dsr;
        if (counters.rng != last.rng)
            events |= ComEvent::Ring;
        if (counters.dcd != last.dcd)
            events |= ComEvent::Rlsd;
        if (counters.brk != last.brk)
            events |= ComEvent::Break;
        if (counters.frame != last.frame || counters.overrun != last.overrun
            || counters.parity != last.parity || counters.buf_overrun != last.buf_overrun)
            events |= ComEvent::Error;
        m_lastCounters = counters;
    }
    *occurred |= events & mask;
    return (*occurred != 0) ? Check::Changed : Check::Unchanged;
}

ComWaitResult PosixComDevice::WaitModemInterrupt(quint32 *occurred, QString *error)
{
    const quint32 mask = m_mask.load();
    int watched = 0;
    if (mask & ComEvent::Cts)
        watched |= TIOCM_CTS;
    if (mask & ComEvent::Dsr)
        watched |= TIOCM_DSR;
    if (mask & ComEvent::Ring)
        watched |= TIOCM_RNG;
    if (mask & ComEvent::Rlsd)
        watched |= TIOCM_CD;

    // A change since the last look would not wake the next TIOCMIWAIT.
    switch (CheckLines(occurred, error)) {
    case Check::Failed: return ComWaitResult::Failed;
    case Check::Changed: return ComWaitResult::Events;
    case Check::Unchanged: break;
    }
    if (m_wake.load())
        return ComWaitResult::Interrupted;
    if (ioctl(m_fd, TIOCMIWAIT, watched) != 0) {
        const int failure = errno;
        if (failure == EINTR)
            return ComWaitResult::Interrupted;
        if (IsUnsupported(failure)) {
            // cp210x and others: poll from now on.
            m_polling.store(true);
            return ComWaitResult::Interrupted;
        }
        // EIO for an unplugged USB adapter, ENODEV on cdc_acm.
        *error = ErrorText(failure);
        return ComWaitResult::Failed;
    }
    switch (CheckLines(occurred, error)) {
    case Check::Failed: return ComWaitResult::Failed;
    case Check::Changed: return ComWaitResult::Events;
    case Check::Unchanged: break;
    }
    return ComWaitResult::Interrupted;
}

ComWaitResult PosixComDevice::WaitPolling(quint32 *occurred, QString *error)
{
    const quint32 mask = m_mask.load();
    // Breaks and line errors show only in the counters, which are polled too.
    const bool watchLines =
        m_hasModemLines && (mask & (ModemEvents | ComEvent::Break | ComEvent::Error));
    const bool watchInput = (mask & ComEvent::RxChar) != 0;
    // Without lines to poll, only input, a hang-up or a wake ends the wait.
    const int timeout = watchLines ? 1 : -1;

    pollfd fds[2] = {{m_fd, short(watchInput ? POLLIN : 0), 0}, {m_wakeFd, POLLIN, 0}};
    for (;;) {
        if (m_wake.load())
            return ComWaitResult::Interrupted;
        const int ready = poll(fds, 2, timeout);
        if (ready < 0) {
            if (errno == EINTR)
                return ComWaitResult::Interrupted;
            *error = ErrorText(errno);
            return ComWaitResult::Failed;
        }
        if (fds[1].revents & POLLIN)
            return ComWaitResult::Interrupted;
        if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            *error = ErrorText(EIO);
            return ComWaitResult::Failed;
        }
        if (watchLines) {
            if (CheckLines(occurred, error) == Check::Failed)
                return ComWaitResult::Failed;
        }
        if (watchInput && (fds[0].revents & POLLIN)) {
            *occurred |= ComEvent::RxChar;
            m_receivedReported = true;
        }
        if (*occurred != 0)
            return ComWaitResult::Events;
    }
}

ComWaitResult PosixComDevice::WaitEvent(quint32 *occurred, QString *error)
{
    {
        std::lock_guard lock(m_waiterMutex);
        m_waiter = pthread_self();
        m_inWait = true;
    }
    // The input reported last time has been dispatched; nothing reads it.
    if (m_receivedReported) {
        tcflush(m_fd, TCIFLUSH);
        m_receivedReported = false;
    }
    *occurred = 0;
    const quint32 mask = m_mask.load();
    const bool modemOnly = (mask & ReceiveEvents) == 0;
    ComWaitResult result;
    if (modemOnly && m_hasModemLines && !m_polling.load() && (mask & ModemEvents))
        result = WaitModemInterrupt(occurred, error);
    else
        result = WaitPolling(occurred, error);

    std::lock_guard lock(m_waiterMutex);
    m_inWait = false;
    return result;
}
