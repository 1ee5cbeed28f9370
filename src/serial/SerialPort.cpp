#include "serial/SerialPort.h"

#include "platform/ClockSource.h"
#include "serial/SerialMonitorThread.h"

#include <QDeadlineTimer>

SerialPortError::SerialPortError(const QString &message)
    : m_message(message)
    , m_what(message.toStdString())
{ }

SerialPort::SerialPort(QObject *parent, SerialBackend *backend)
    : QObject(parent)
    , m_backend(backend ? backend : &defaultComBackend())
    , m_clocks(&defaultClockSource())
{ }

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
    m_thread = std::make_unique<SerialMonitorThread>(*this, *m_device, *m_clocks, platformEventMask(m_events),
                                                     ++m_generation);
    m_connected = true;
    Q_EMIT opened();
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
    // Events it queued before are still emitted while the port is open, unless
    // the port is closed from one of their slots: that ends the batch.
    if (!m_dispatching)
        serviceDispatch();
    m_thread.reset();
    // The device is closed only once no thread can be waiting on it.
    m_device.reset();
    m_connected = false;
    m_closing = false;
    Q_EMIT closed();
}

quint32 SerialPort::modemStatus()
{
    return m_device ? m_device->modemStatus() : 0;
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
    // A modal loop in a slot may run a dispatch of its own; the outer one
    // still runs when that ends.
    const bool outer = !m_dispatching;
    m_dispatching = true;
    for (const SerialNotification &notification : pending) {
        // A slot that closes the port drops the rest.
        if (!m_device || m_generation != generation)
            break;
        dispatch(notification);
    }
    if (outer)
        m_dispatching = false;
    if (lost != 0 && m_device && m_generation == generation) {
        m_lostEvents += lost;
        Q_EMIT eventsLost();
    }
}

void SerialPort::dispatch(const SerialNotification &notification)
{
    const quint64 generation = m_generation;
    // A slot that closes the port ends the batch.
    const auto stillOpen = [this, generation] { return m_device && m_generation == generation; };
    const quint32 events = notification.events;
    const quint32 status = notification.modemStatus;
    const ClockStamp &at = notification.stamp;

    if (events & ComEvent::RxChar)
        Q_EMIT charactersReceived(notification.inQue, at);
    if ((events & ComEvent::Break) && stillOpen())
        Q_EMIT breakReceived(at);
    if ((events & ComEvent::Ring) && stillOpen())
        Q_EMIT ringChanged(status, at);
    if ((events & ComEvent::Cts) && stillOpen())
        Q_EMIT ctsChanged(status, at);
    if ((events & ComEvent::Dsr) && stillOpen())
        Q_EMIT dsrChanged(status, at);
    if ((events & ComEvent::Rlsd) && stillOpen())
        Q_EMIT rlsdChanged(status, at);
    if ((events & ComEvent::Error) && stillOpen())
        Q_EMIT lineErrorOccurred(at);
}

void SerialPort::monitorFailed(quint64 generation, const SerialFailure &failure)
{
    if (!m_connected || !m_thread || m_thread->generation() != generation)
        return;
    // Kept through Close, so a slot of closed() can tell why.
    m_lastWaitError = failure;
    close();
}
