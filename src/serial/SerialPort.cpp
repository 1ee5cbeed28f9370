#include "serial/SerialPort.h"

#include "platform/ClockSource.h"
#include "serial/SerialMonitorThread.h"

#include <QDeadlineTimer>

SerialPortError::SerialPortError(const QString &message)
    : m_message(message)
    , m_what(message.toStdString())
{
}

SerialPort::SerialPort(QObject *parent, SerialBackend *backend)
    : QObject(parent)
    , m_backend(backend ? backend : &defaultComBackend())
    , m_clocks(&defaultClockSource())
{
}

SerialPort::~SerialPort()
{
    close();
}

void SerialPort::setDataBits(quint8 value)
{
    m_dataBits = qBound<quint8>(5, value, 8);
}

void SerialPort::setBackend(SerialBackend *backend)
{
    m_backend = backend ? backend : &defaultComBackend();
}

void SerialPort::setClockSource(const ClockSource *clocks)
{
    m_clocks = clocks ? clocks : &defaultClockSource();
}

SerialLineSettings SerialPort::lineSettings() const
{
    SerialLineSettings settings;
    settings.baudRate = baudRateValue(m_baudRate, quint32(m_baudRateUser));
    settings.dataBits = m_dataBits;
    settings.parity = m_parity;
    settings.stopBits = m_stopBits;
    settings.flowControl = m_flowControl;
    settings.enableDTR = m_enableDTR;
    settings.readBufSize = m_readBufSize;
    settings.writeBufSize = m_writeBufSize;
    settings.xonLim = m_writeBufSize / 4;
    settings.xoffLim = 1;
    settings.xonChar = 17;
    settings.xoffChar = 19;
    return settings;
}

void SerialPort::open()
{
    close();
    m_lastWaitError = SerialFailure();

    QString error;
    std::unique_ptr<SerialDevice> device = m_backend->open(m_port, &error);
    if (!device)
        throw SerialOpenError(QStringLiteral("Unable to open com port: ") + error);
    // A device that cannot be programmed is released again at once.
    if (!device->configure(lineSettings(), &error))
        throw SerialSetupError(QStringLiteral("Unable to set com state: ") + error);

    m_device = std::move(device);
    m_lostEvents = 0;
    m_thread = std::make_unique<SerialMonitorThread>(*this, *m_device, *m_clocks,
                                            platformEventMask(m_events), ++m_generation);
    m_connected = true;
    if (OnOpen)
        OnOpen(this);
}

void SerialPort::close()
{
    if (!m_connected || m_closing)
        return;
    m_closing = true;

    m_thread->requestStop();
    m_device->wakeWaiter();
    // The monitor may be blocked in a wait that ignores the first wake: keep
    // waking it until it has ended.
    while (!m_thread->wait(QDeadlineTimer(1)))
        m_device->wakeWaiter();
    // Events it queued before still run while the port is open, unless the
    // port is closed from one of their handlers: that ends the batch.
    if (!m_dispatching)
        serviceDispatch();
    m_thread.reset();
    // The device is closed only once no thread can be waiting on it.
    m_device.reset();
    m_connected = false;
    m_closing = false;
    if (OnClose)
        OnClose(this);
}

quint32 SerialPort::modemStatus()
{
    if (!m_device)
        return 0;
    return m_dispatching ? m_current.modemStatus : m_device->modemStatus();
}

ClockStamp SerialPort::eventStamp() const
{
    return m_dispatching ? m_current.stamp : m_clocks->now();
}

quint32 SerialPort::inQueCount()
{
    return m_device ? m_device->inQueCount() : 0;
}

bool SerialPort::dispatchPending() const
{
    return m_thread && m_thread->hasPending();
}

void SerialPort::serviceDispatch()
{
    if (!m_thread)
        return;
    quint64 lost = 0;
    const std::vector<SerialNotification> pending = m_thread->takePending(&lost);
    const quint64 generation = m_generation;
    const bool outer = !m_dispatching;
    const SerialNotification outerCurrent = m_current;
    m_dispatching = true;
    for (const SerialNotification &notification : pending) {
        // A handler that closes the port drops the rest.
        if (!m_device || m_generation != generation)
            break;
        m_current = notification;
        dispatch(notification.events);
    }
    m_current = outerCurrent;
    if (outer)
        m_dispatching = false;
    if (lost != 0 && m_device && m_generation == generation) {
        m_lostEvents += lost;
        if (OnOverflow)
            OnOverflow(this);
    }
}

void SerialPort::dispatch(quint32 mask)
{
    const quint64 generation = m_generation;
    // A handler that closes the port ends the batch.
    const auto open = [this, generation] { return m_device && m_generation == generation; };

    if ((mask & ComEvent::RxChar) && OnRxChar)
        OnRxChar(this, int(m_current.inQue));
    if ((mask & ComEvent::TxEmpty) && OnTxEmpty && open())
        OnTxEmpty(this);
    if ((mask & ComEvent::Break) && OnBreak && open())
        OnBreak(this);
    if ((mask & ComEvent::Ring) && OnRing && open())
        OnRing(this);
    if ((mask & ComEvent::Cts) && OnCTS && open())
        OnCTS(this);
    if ((mask & ComEvent::Dsr) && OnDSR && open())
        OnDSR(this);
    if ((mask & ComEvent::RxFlag) && OnRxFlag && open())
        OnRxFlag(this);
    if ((mask & ComEvent::Rlsd) && OnRLSD && open())
        OnRLSD(this);
    if ((mask & ComEvent::Error) && OnError && open())
        OnError(this);
}

void SerialPort::monitorFailed(quint64 generation, const SerialFailure &failure)
{
    if (!m_connected || !m_thread || m_thread->generation() != generation)
        return;
    // Kept through Close, so its OnClose handler can tell why.
    m_lastWaitError = failure;
    close();
}
