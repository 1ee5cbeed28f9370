#include "serial/PosixSerialDevice.h"

#include "platform/ErrnoText.h"
#include "serial/PosixBaudRate.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <mutex>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr quint32 ModemEvents = ComEvent::Cts | ComEvent::Dsr | ComEvent::Ring | ComEvent::Rlsd;
constexpr quint32 ReceiveEvents = ComEvent::RxChar | ComEvent::RxFlag | ComEvent::Break | ComEvent::Error;

QString errorText(int error)
{
    return errnoText(error);
}

// The signal that ends a TIOCMIWAIT; its handler does nothing.
int wakeSignal()
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

speed_t standardSpeed(quint32 rate)
{
    switch (rate) {
    case 50:
        return B50;
    case 75:
        return B75;
    case 110:
        return B110;
    case 134:
        return B134;
    case 150:
        return B150;
    case 200:
        return B200;
    case 300:
        return B300;
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 1800:
        return B1800;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    case 460800:
        return B460800;
    case 921600:
        return B921600;
    default:
        return B0;
    }
}

tcflag_t characterSize(int dataBits)
{
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

// Raises or lowers one modem output; a tty without modem lines has none to set.
bool setModemOutput(int fd, int line, bool on, int *error)
{
    if (ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line) == 0)
        return true;
    if (errno == ENOTTY || errno == EINVAL)
        return true;
    *error = errno;
    return false;
}

bool isUnsupported(int error)
{
    return error == ENOTTY || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

// EIO for an unplugged USB adapter, ENODEV on cdc_acm, ENXIO for a device
// whose driver has gone.
SerialFailure failureOf(int error)
{
    return {errorText(error), error == EIO || error == ENODEV || error == ENXIO};
}

bool sameLineCounts(const serial_icounter_struct &a, const serial_icounter_struct &b)
{
    return a.cts == b.cts && a.dsr == b.dsr && a.rng == b.rng && a.dcd == b.dcd;
}

quint32 statusOf(int lines)
{
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

int tiocmLines(quint32 status)
{
    int lines = 0;
    if (status & ModemLine::CtsOn)
        lines |= TIOCM_CTS;
    if (status & ModemLine::DsrOn)
        lines |= TIOCM_DSR;
    if (status & ModemLine::RingOn)
        lines |= TIOCM_RNG;
    if (status & ModemLine::RlsdOn)
        lines |= TIOCM_CD;
    return lines;
}

timespec microseconds(int us)
{
    return {us / 1000000, long(us % 1000000) * 1000};
}

} // namespace

PosixSerialDevice::PosixSerialDevice(int fd, WaitMode mode, const QString &lockFile)
    : m_fd(fd)
    , m_lockFile(lockFile)
    , m_forcedPolling(mode == WaitMode::Polling)
{
    wakeSignal();
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_polling.store(m_forcedPolling);
}

PosixSerialDevice::~PosixSerialDevice()
{
    if (m_hasWakeTimer)
        timer_delete(m_wakeTimer);
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
    flock(m_fd, LOCK_UN);
    ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);
    if (!m_lockFile.isEmpty())
        ::unlink(QFile::encodeName(m_lockFile).constData());
}

bool PosixSerialDevice::configure(const SerialLineSettings &settings, QString *error)
{
    termios tio;
    if (tcgetattr(m_fd, &tio) != 0) {
        *error = errorText(errno);
        return false;
    }
    // Raw binary line: no translation, no echo, no signals; parity checking,
    // error replacement and null stripping stay off.
    tio.c_iflag = 0;
    tio.c_oflag = 0;
    tio.c_lflag = 0;
    // CLOCAL: the carrier line never hangs the port up. CREAD follows the events.
    tio.c_cflag = CLOCAL | CREAD | HUPCL | characterSize(settings.dataBits);
    switch (settings.parity) {
    case Parity::None:
        break;
    case Parity::Odd:
        tio.c_cflag |= PARENB | PARODD;
        break;
    case Parity::Even:
        tio.c_cflag |= PARENB;
        break;
    case Parity::Mark:
        tio.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case Parity::Space:
        tio.c_cflag |= PARENB | CMSPAR;
        break;
    }
    // With five data bits the UART sends 1.5 stop bits for CSTOPB.
    if (settings.stopBits != StopBits::One)
        tio.c_cflag |= CSTOPB;
    if (settings.flowControl == FlowControl::RtsCts)
        tio.c_cflag |= CRTSCTS;
    if (settings.flowControl == FlowControl::XonXoff)
        tio.c_iflag |= IXON | IXOFF;
    tio.c_cc[VSTART] = cc_t(settings.xonChar);
    tio.c_cc[VSTOP] = cc_t(settings.xoffChar);
    // A read returns at once with whatever is queued.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;

    const speed_t speed = standardSpeed(settings.baudRate);
    cfsetispeed(&tio, speed != B0 ? speed : B38400);
    cfsetospeed(&tio, speed != B0 ? speed : B38400);
    if (tcsetattr(m_fd, TCSANOW, &tio) != 0) {
        *error = errorText(errno);
        return false;
    }
    if (speed == B0) {
        if (const int failure = setPosixBaudRate(m_fd, settings.baudRate)) {
            *error = errorText(failure);
            return false;
        }
    }

    int failure = 0;
    // DTR raised while open when enabled; RTS is the handshake line under
    // RTS/CTS and otherwise held low.
    if (!setModemOutput(m_fd, TIOCM_DTR, settings.enableDTR, &failure)
        || (settings.flowControl != FlowControl::RtsCts
            && !setModemOutput(m_fd, TIOCM_RTS, false, &failure))) {
        *error = errorText(failure);
        return false;
    }
    // The tty layer has fixed queue sizes; readBufSize, writeBufSize and the
    // XON/XOFF limits have nothing to map to.
    return true;
}

void PosixSerialDevice::setReceiver(bool on)
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

void PosixSerialDevice::setEventMask(quint32 mask)
{
    m_mask.store(mask);
    // Nothing reads the port. Under RTS/CTS the line discipline drops RTS when
    // its input buffer fills, which would switch off the finish barrier: with
    // no receive event watched the receiver is off, otherwise the monitor
    // empties the input after each report.
    setReceiver((mask & ReceiveEvents) != 0);
    tcflush(m_fd, TCIFLUSH);

    int lines = 0;
    if (ioctl(m_fd, TIOCMGET, &lines) == 0) {
        m_lastLines = lines;
    } else if (isUnsupported(errno) && !m_forcedPolling) {
        m_hasModemLines = false;
    }
    serial_icounter_struct counters;
    m_hasCounters = ioctl(m_fd, TIOCGICOUNT, &counters) == 0;
    if (m_hasModemLines) {
        SerialFailure ignored;
        m_watch.start(*this, &ignored);
    }
}

quint32 PosixSerialDevice::modemStatus()
{
    int lines = 0;
    if (ioctl(m_fd, TIOCMGET, &lines) != 0)
        return 0;
    return statusOf(lines);
}

quint32 PosixSerialDevice::inQueCount()
{
    int count = 0;
    if (ioctl(m_fd, FIONREAD, &count) != 0 || count < 0)
        return 0;
    return quint32(count);
}

void PosixSerialDevice::purgeInput()
{
    tcflush(m_fd, TCIFLUSH);
}

void PosixSerialDevice::wakeWaiter()
{
    m_wake.store(true);
    const quint64 one = 1;
    if (m_wakeFd >= 0 && ::write(m_wakeFd, &one, sizeof one) < 0) {
        // The counter is already set: the poll sees it either way.
    }
    std::lock_guard lock(m_waiterMutex);
    if (m_inWait)
        pthread_kill(m_waiter, wakeSignal());
}

bool PosixSerialDevice::look(ModemLook *look, SerialFailure *failure)
{
    // Counters, lines, counters again: a change between the two counter reads
    // would leave the lines out of step with the counters, so look again.
    for (int attempt = 0;; ++attempt) {
        serial_icounter_struct counters;
        bool counted = m_hasCounters && ioctl(m_fd, TIOCGICOUNT, &counters) == 0;
        int lines = 0;
        if (ioctl(m_fd, TIOCMGET, &lines) != 0) {
            if (!(m_forcedPolling && isUnsupported(errno))) {
                *failure = failureOf(errno);
                return false;
            }
            lines = m_lastLines;
        }
        if (counted) {
            serial_icounter_struct again;
            counted = ioctl(m_fd, TIOCGICOUNT, &again) == 0;
            if (counted && !sameLineCounts(counters, again) && attempt < 3)
                continue;
            counters = again;
        }
        m_lastLines = lines;
        look->status = statusOf(lines);
        look->counted = counted;
        if (counted) {
            look->cts = quint32(counters.cts);
            look->dsr = quint32(counters.dsr);
            look->ring = quint32(counters.rng);
            look->rlsd = quint32(counters.dcd);
            look->breaks = quint32(counters.brk);
            look->errors = quint32(counters.frame) + quint32(counters.overrun) + quint32(counters.parity)
                + quint32(counters.buf_overrun);
        }
        look->events = 0;
        if (m_received) {
            look->events = ComEvent::RxChar;
            m_received = false;
            m_receivedReported = true;
        }
        return true;
    }
}

bool PosixSerialDevice::pollInput(int timeoutMicroseconds, SerialFailure *failure)
{
    const bool watchInput = (m_mask.load() & ComEvent::RxChar) != 0;
    pollfd fds[2] = {{m_fd, short(watchInput ? POLLIN : 0), 0}, {m_wakeFd, POLLIN, 0}};
    const timespec timeout = microseconds(timeoutMicroseconds);
    const int ready = ppoll(fds, 2, timeoutMicroseconds < 0 ? nullptr : &timeout, nullptr);
    if (ready < 0) {
        if (errno == EINTR)
            return true;
        *failure = failureOf(errno);
        return false;
    }
    if (fds[1].revents & POLLIN)
        return true;
    if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
        *failure = failureOf(EIO);
        return false;
    }
    if (watchInput && (fds[0].revents & POLLIN))
        m_received = true;
    return true;
}

bool PosixSerialDevice::armWakeTimer()
{
    const pid_t self = pid_t(syscall(SYS_gettid));
    if (m_hasWakeTimer && m_wakeTimerThread != self) {
        timer_delete(m_wakeTimer);
        m_hasWakeTimer = false;
    }
    if (!m_hasWakeTimer) {
        sigevent event;
        std::memset(&event, 0, sizeof event);
        event.sigev_notify = SIGEV_THREAD_ID;
        event.sigev_signo = wakeSignal();
        event._sigev_un._tid = self;
        if (timer_create(CLOCK_MONOTONIC, &event, &m_wakeTimer) != 0)
            return false;
        m_hasWakeTimer = true;
        m_wakeTimerThread = self;
    }
    // Periodic: should the first signal come before the wait has begun, the
    // next one ends it.
    itimerspec period;
    period.it_value = microseconds(ModemWatch::MaxWaitMicroseconds);
    period.it_interval = period.it_value;
    return timer_settime(m_wakeTimer, 0, &period, nullptr) == 0;
}

void PosixSerialDevice::disarmWakeTimer()
{
    const itimerspec off{};
    timer_settime(m_wakeTimer, 0, &off, nullptr);
}

bool PosixSerialDevice::waitModemInterrupt(quint32 watchedLines, SerialFailure *failure)
{
    // Without the timer the wait could not be bounded: sample instead.
    if (!armWakeTimer())
        return pollInput(ModemWatch::PollMicroseconds, failure);
    const int result = ioctl(m_fd, TIOCMIWAIT, tiocmLines(watchedLines));
    const int error = errno;
    disarmWakeTimer();
    if (result == 0 || error == EINTR)
        return true;
    if (isUnsupported(error)) {
        // cp210x and others: poll from now on.
        m_polling.store(true);
        return true;
    }
    *failure = failureOf(error);
    return false;
}

bool PosixSerialDevice::awaitLineChange(quint32 watchedLines, bool poll, SerialFailure *failure)
{
    if (poll || m_polling.load() || (m_mask.load() & ComEvent::RxChar))
        return pollInput(ModemWatch::PollMicroseconds, failure);
    return waitModemInterrupt(watchedLines, failure);
}

SerialWaitResult PosixSerialDevice::waitInput(SerialWaitReport *report)
{
    for (;;) {
        if (m_wake.load())
            return SerialWaitResult::Interrupted;
        if (!pollInput(-1, &report->failure))
            return SerialWaitResult::Failed;
        if (m_received) {
            m_received = false;
            m_receivedReported = true;
            report->notifications.push_back({ComEvent::RxChar, modemStatus(), {}, 0});
            return SerialWaitResult::Events;
        }
    }
}

SerialWaitResult PosixSerialDevice::waitEvent(SerialWaitReport *report)
{
    {
        std::lock_guard lock(m_waiterMutex);
        m_waiter = pthread_self();
        m_inWait = true;
    }
    // The input reported last time has been handed over; nothing reads it.
    if (m_receivedReported) {
        tcflush(m_fd, TCIFLUSH);
        m_receivedReported = false;
    }
    const quint32 mask = m_mask.load();
    const bool watchLines = m_hasModemLines && (mask & (ModemEvents | ComEvent::Break | ComEvent::Error));
    const SerialWaitResult result = watchLines ? m_watch.wait(*this, mask, report) : waitInput(report);
    // The input is emptied before the next wait, perhaps before the
    // interface thread runs the report: count it now.
    for (SerialNotification &notification : report->notifications) {
        if (notification.events & ComEvent::RxChar)
            notification.inQue = inQueCount();
    }

    std::lock_guard lock(m_waiterMutex);
    m_inWait = false;
    return result;
}
