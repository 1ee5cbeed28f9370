#include "Comms.h"

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

    QString error;
    std::unique_ptr<ComDevice> device = m_backend->Open(m_port, &error);
    if (!device)
        throw EComHandle(QStringLiteral("Unable to open com port: ") + error);
    // A device that cannot be programmed is released again at once.
    if (!device->Configure(LineSettings(), &error))
        throw EComState(QStringLiteral("Unable to set com state: ") + error);

    m_device = std::move(device);
    m_lastWaitError.clear();
    m_thread = std::make_unique<TComThread>(*this, *m_device, PlatformEventMask(m_events),
                                            ++m_generation);
    m_connected = true;
    if (OnOpen)
        OnOpen(this);
}

void TComPort::Close()
{
    if (!m_connected || m_closing)
        return;
    m_closing = true;

    // A Close from inside a handler cannot let that dispatch finish first.
    m_thread->RequestStop(m_dispatching);
    m_device->WakeWaiter();
    // The monitor may be blocked in a wait that ignores the first wake, or on
    // a dispatch it handed over just now: run that dispatch here (the port is
    // still open) and keep waking it until it has ended.
    while (!m_thread->wait(QDeadlineTimer(1))) {
        ServiceDispatch();
        m_device->WakeWaiter();
    }
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
    return m_device ? m_device->ModemStatus() : 0;
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
    quint32 mask = 0;
    if (!m_thread->TakePending(&mask))
        return;
    const quint64 generation = m_generation;
    const bool outer = !m_dispatching;
    m_dispatching = true;
    Dispatch(mask);
    if (outer)
        m_dispatching = false;
    if (m_thread && m_generation == generation)
        m_thread->FinishDispatch();
}

void TComPort::Dispatch(quint32 mask)
{
    const quint64 generation = m_generation;
    // A handler that closes the port ends the batch.
    const auto open = [this, generation] { return m_device && m_generation == generation; };

    if ((mask & ComEvent::RxChar) && OnRxChar)
        OnRxChar(this, int(InQueCount()));
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

void TComPort::MonitorFailed(quint64 generation, const QString &error)
{
    if (!m_connected || !m_thread || m_thread->Generation() != generation)
        return;
    m_lastWaitError = error;
    Close();
}
