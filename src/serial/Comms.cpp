#include "Comms.h"

#include "ClockSource.h"
#include "ComThread.h"

#include <QDeadlineTimer>

EComException::EComException(const QString &message)
    : m_message(message)
    , m_what(message.toStdString())
{
}

TComPort::TComPort(QObject *parent, ComBackend *backend)
    : QObject(parent)
    , m_backend(backend ? backend : &DefaultComBackend())
    , m_clocks(&DefaultClockSource())
{
}

TComPort::~TComPort()
{
    Close();
}

void TComPort::setDataBits(quint8 value)
{
    m_dataBits = qBound<quint8>(5, value, 8);
}

void TComPort::setBackend(ComBackend *backend)
{
    m_backend = backend ? backend : &DefaultComBackend();
}

void TComPort::setClockSource(const ClockSource *clocks)
{
    m_clocks = clocks ? clocks : &DefaultClockSource();
}

ComLineSettings TComPort::LineSettings() const
{
    ComLineSettings settings;
    settings.BaudRate = BaudRateValue(m_baudRate, quint32(m_baudRateUser));
    settings.DataBits = m_dataBits;
    settings.Parity = m_parity;
    settings.StopBits = m_stopBits;
    settings.FlowControl = m_flowControl;
    settings.EnableDTR = m_enableDTR;
    settings.ReadBufSize = m_readBufSize;
    settings.WriteBufSize = m_writeBufSize;
    settings.XonLim = m_writeBufSize / 4;
    settings.XoffLim = 1;
    settings.XonChar = 17;
    settings.XoffChar = 19;
    return settings;
}

void TComPort::Open()
{
    Close();
    m_lastWaitError = ComFailure();

    QString error;
    std::unique_ptr<ComDevice> device = m_backend->Open(m_port, &error);
    if (!device)
        throw EComHandle(QStringLiteral("Unable to open com port: ") + error);
    // A device that cannot be programmed is released again at once.
    if (!device->Configure(LineSettings(), &error))
        throw EComState(QStringLiteral("Unable to set com state: ") + error);

    m_device = std::move(device);
    m_lostEvents = 0;
    m_thread = std::make_unique<TComThread>(*this, *m_device, *m_clocks,
                                            PlatformEventMask(m_events), ++m_generation);
    m_connected = true;
    if (OnOpen)
        OnOpen(this);
}

void TComPort::Close()
{
    if (!m_connected || m_closing)
        return;
    m_closing = true;

    m_thread->RequestStop();
    m_device->WakeWaiter();
    // The monitor may be blocked in a wait that ignores the first wake: keep
    // waking it until it has ended.
    while (!m_thread->wait(QDeadlineTimer(1)))
        m_device->WakeWaiter();
    // Events it queued before still run while the port is open, unless the
    // port is closed from one of their handlers: that ends the batch.
    if (!m_dispatching)
        ServiceDispatch();
    m_thread.reset();
    // The device is closed only once no thread can be waiting on it.
    m_device.reset();
    m_connected = false;
    m_closing = false;
    if (OnClose)
        OnClose(this);
}

quint32 TComPort::ModemStatus()
{
    if (!m_device)
        return 0;
    return m_dispatching ? m_current.ModemStatus : m_device->ModemStatus();
}

ClockStamp TComPort::EventStamp() const
{
    return m_dispatching ? m_current.Stamp : m_clocks->Now();
}

quint32 TComPort::InQueCount()
{
    return m_device ? m_device->InQueCount() : 0;
}

bool TComPort::DispatchPending() const
{
    return m_thread && m_thread->HasPending();
}

void TComPort::ServiceDispatch()
{
    if (!m_thread)
        return;
    quint64 lost = 0;
    const std::vector<ComNotification> pending = m_thread->TakePending(&lost);
    const quint64 generation = m_generation;
    const bool outer = !m_dispatching;
    const ComNotification outerCurrent = m_current;
    m_dispatching = true;
    for (const ComNotification &notification : pending) {
        // A handler that closes the port drops the rest.
        if (!m_device || m_generation != generation)
            break;
        m_current = notification;
        Dispatch(notification.Events);
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

void TComPort::Dispatch(quint32 mask)
{
    const quint64 generation = m_generation;
    // A handler that closes the port ends the batch.
    const auto open = [this, generation] { return m_device && m_generation == generation; };

    if ((mask & ComEvent::RxChar) && OnRxChar)
        OnRxChar(this, int(m_current.InQue));
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

void TComPort::MonitorFailed(quint64 generation, const ComFailure &failure)
{
    if (!m_connected || !m_thread || m_thread->Generation() != generation)
        return;
    // Kept through Close, so its OnClose handler can tell why.
    m_lastWaitError = failure;
    Close();
}
