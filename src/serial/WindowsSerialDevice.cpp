#include "serial/WindowsSerialDevice.h"

#include "platform/WindowsError.h"

namespace {

// How often a pending wait looks at the lines itself. Wine's driver neither
// keeps a change that comes just before its wait begins nor completes a wait
// when the device goes; both are found out this way.
constexpr DWORD CatchUpMilliseconds = ModemWatch::MaxWaitMicroseconds / 1000;

SerialFailure failureOf(DWORD code)
{
    return {windowsErrorText(code), isDeviceGoneError(code)};
}

} // namespace

bool isDeviceGoneError(DWORD code)
{
    switch (code) {
    case ERROR_BAD_COMMAND: // the classic answer of a USB serial driver after removal
    case ERROR_DEVICE_REMOVED:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_GEN_FAILURE:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_NOT_READY:
    case ERROR_ACCESS_DENIED: // FTDI's driver, once the adapter has gone
    case ERROR_INVALID_HANDLE:
    case ERROR_IO_DEVICE:
        return true;
    default:
        return false;
    }
}

WindowsSerialDevice::WindowsSerialDevice(HANDLE port)
    : m_port(port)
    , m_stopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr))
    , m_wait(std::make_unique<PendingWait>())
{
    // Manual reset, signalled while no wait is pending.
    m_wait->overlapped.hEvent = CreateEventW(nullptr, TRUE, TRUE, nullptr);
}

WindowsSerialDevice::~WindowsSerialDevice()
{
    if (cancelPendingWait()) {
        CloseHandle(m_wait->overlapped.hEvent);
    } else {
        // The driver may still write into the wait's storage: it is given up,
        // not freed.
        (void)m_wait.release();
    }
    if (m_stopEvent)
        CloseHandle(m_stopEvent);
    CloseHandle(m_port);
}

bool WindowsSerialDevice::configure(const SerialLineSettings &settings, QString *error)
{
    DCB dcb;
    ZeroMemory(&dcb, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = settings.baudRate;
    dcb.fBinary = 1;
    dcb.fDtrControl = settings.enableDTR ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    const bool handshake = settings.flowControl == FlowControl::RtsCts;
    dcb.fOutxCtsFlow = handshake ? 1 : 0;
    dcb.fRtsControl = handshake ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_DISABLE;
    const bool xonXoff = settings.flowControl == FlowControl::XonXoff;
    dcb.fOutX = xonXoff ? 1 : 0;
    dcb.fInX = xonXoff ? 1 : 0;
    dcb.XonLim = WORD(settings.xonLim);
    dcb.XoffLim = WORD(settings.xoffLim);
    dcb.ByteSize = BYTE(settings.dataBits);
    dcb.Parity = BYTE(settings.parity);
    dcb.StopBits = BYTE(settings.stopBits);
    dcb.XonChar = settings.xonChar;
    dcb.XoffChar = settings.xoffChar;

    COMMTIMEOUTS timeouts;
    bool programmed = SetCommState(m_port, &dcb) && GetCommTimeouts(m_port, &timeouts);
    if (programmed) {
        // A read returns at once with whatever is queued.
        timeouts.ReadIntervalTimeout = MAXDWORD;
        timeouts.ReadTotalTimeoutMultiplier = 0;
        timeouts.ReadTotalTimeoutConstant = 0;
        timeouts.WriteTotalTimeoutMultiplier = 1000;
        timeouts.WriteTotalTimeoutConstant = 1500;
        programmed = SetCommTimeouts(m_port, &timeouts)
            && SetupComm(m_port, DWORD(settings.readBufSize), DWORD(settings.writeBufSize));
    }
    if (!programmed)
        *error = windowsErrorText(GetLastError());
    return programmed;
}

void WindowsSerialDevice::setEventMask(quint32 mask)
{
    // The ComEvent bits are Win32's EV_ bits.
    m_mask.store(mask);
    SetCommMask(m_port, mask);
    SerialFailure ignored;
    m_watch.start(*this, &ignored);
}

quint32 WindowsSerialDevice::modemStatus()
{
    DWORD errors = 0;
    ClearCommError(m_port, &errors, nullptr);
    DWORD status = 0;
    if (!GetCommModemStatus(m_port, &status))
        return 0;
    // MS_CTS_ON ... MS_RLSD_ON are the ModemLine bits.
    return quint32(status);
}

quint32 WindowsSerialDevice::inQueCount()
{
    DWORD errors = 0;
    COMSTAT state;
    if (!ClearCommError(m_port, &errors, &state))
        return 0;
    return quint32(state.cbInQue);
}

void WindowsSerialDevice::purgeInput()
{
    PurgeComm(m_port, PURGE_RXABORT | PURGE_RXCLEAR);
}

void WindowsSerialDevice::wakeWaiter()
{
    m_wake.store(true);
    SetEvent(m_stopEvent);
}

bool WindowsSerialDevice::look(ModemLook *look, SerialFailure *failure)
{
    DWORD status = 0;
    if (!GetCommModemStatus(m_port, &status)) {
        *failure = failureOf(GetLastError());
        return false;
    }
    look->status = quint32(status);
    m_lookedStatus = look->status;
    look->counted = false;
    look->events = m_reported;
    m_reported = 0;
    return true;
}

bool WindowsSerialDevice::startWait(SerialFailure *failure)
{
    if (m_waitPending)
        return true;
    // Nothing reads the port: under RTS/CTS a full input queue would drop
    // RTS, the supply of the finish barrier.
    if (!(m_mask.load() & ComEvent::RxChar))
        PurgeComm(m_port, PURGE_RXCLEAR);
    m_wait->occurred = 0;
    if (WaitCommEvent(m_port, &m_wait->occurred, &m_wait->overlapped)) {
        m_reported |= quint32(m_wait->occurred);
        return true;
    }
    const DWORD code = GetLastError();
    if (code != ERROR_IO_PENDING) {
        *failure = failureOf(code);
        return false;
    }
    m_waitPending = true;
    return true;
}

bool WindowsSerialDevice::awaitLineChange(quint32 watchedLines, bool, SerialFailure *failure)
{
    if (!startWait(failure))
        return false;
    if (!m_waitPending)
        return true;
    const HANDLE handles[2] = {m_stopEvent, m_wait->overlapped.hEvent};
    int differingChecks = 0;
    for (;;) {
        const DWORD woken = WaitForMultipleObjects(2, handles, FALSE, CatchUpMilliseconds);
        if (woken == WAIT_OBJECT_0)
            return true; // the pending wait is cancelled when the device closes
        if (woken == WAIT_OBJECT_0 + 1)
            break;
        if (woken != WAIT_TIMEOUT) {
            *failure = failureOf(GetLastError());
            return false;
        }
        DWORD status = 0;
        if (!GetCommModemStatus(m_port, &status)) {
            *failure = failureOf(GetLastError());
            return false;
        }
        if (!((quint32(status) ^ m_lookedStatus) & watchedLines)) {
            differingChecks = 0;
            continue;
        }
        // A line has differed from the last look for two checks and the wait
        // has not said so (one check could meet a driver between reading the
        // line and completing the wait): the change came before the wait
        // began. The wait is ended and its events kept, so the next look
        // counts every change once.
        if (++differingChecks == 2) {
            if (!cancelPendingWait()) {
                *failure = failureOf(ERROR_SEM_TIMEOUT);
                return false;
            }
            SetCommMask(m_port, m_mask.load());
            return true;
        }
    }
    m_waitPending = false;
    DWORD transferred = 0;
    if (!GetOverlappedResult(m_port, &m_wait->overlapped, &transferred, FALSE)) {
        const DWORD code = GetLastError();
        if (isDeviceGoneError(code)) {
            *failure = failureOf(code);
            return false;
        }
        // Any other failed result is ignored; the next look and wait follow.
        return true;
    }
    m_reported |= quint32(m_wait->occurred);
    return true;
}

bool WindowsSerialDevice::cancelPendingWait()
{
    if (!m_waitPending)
        return true;
    // An empty mask ends a pending wait; CancelIoEx ends it where the driver
    // ignores that.
    SetCommMask(m_port, 0);
    CancelIoEx(m_port, &m_wait->overlapped);
    if (WaitForSingleObject(m_wait->overlapped.hEvent, CancelWaitMilliseconds) != WAIT_OBJECT_0)
        return false;
    DWORD transferred = 0;
    if (GetOverlappedResult(m_port, &m_wait->overlapped, &transferred, FALSE))
        m_reported |= quint32(m_wait->occurred);
    m_waitPending = false;
    return true;
}

SerialWaitResult WindowsSerialDevice::waitEvent(SerialWaitReport *report)
{
    return m_watch.wait(*this, m_mask.load(), report);
}
