#pragma once

#include "ComBackend.h"
#include "ComTypes.h"

#include <QObject>
#include <QString>

#include <exception>
#include <functional>
#include <memory>
#include <string>

class ClockSource;
class TComThread;

// The failures of the serial port component; each carries only its message.
class EComException : public std::exception
{
public:
    explicit EComException(const QString &message);
    QString Message() const { return m_message; }
    const char *what() const noexcept override { return m_what.c_str(); }

private:
    QString m_message;
    std::string m_what;
};

// Opening the port failed.
class EComHandle : public EComException
{
public:
    using EComException::EComException;
};

// The port was opened but programming it failed.
class EComState : public EComException
{
public:
    using EComException::EComException;
};

// A serial port: opens "COM" Port, programs its line settings and reports line
// events (modem-status changes, received characters, errors) as events on the
// interface thread. A monitor thread waits for the events while the port is
// open, stamps them with the time it saw them and queues them; every counted
// change of a modem line is an event of its own, and a handler reads the
// status word and the stamp of its event from the port.
class TComPort : public QObject
{
    Q_OBJECT

public:
    static constexpr quint32 DefaultBaudRateUser = 9600;
    static constexpr qint32 DefaultBufSize = 2048;

    // `backend` null means the platform's backend; it must outlive the port.
    explicit TComPort(QObject *parent = nullptr, ComBackend *backend = nullptr);
    ~TComPort() override;

    TBaudRate BaudRate() const { return m_baudRate; }
    void setBaudRate(TBaudRate value) { m_baudRate = value; }
    qint32 BaudRateUser() const { return m_baudRateUser; }
    void setBaudRateUser(qint32 value) { m_baudRateUser = value; }
    quint8 Port() const { return m_port; }
    void setPort(quint8 value) { m_port = value; }
    TParity Parity() const { return m_parity; }
    void setParity(TParity value) { m_parity = value; }
    TStopBits StopBits() const { return m_stopBits; }
    void setStopBits(TStopBits value) { m_stopBits = value; }
    TFlowControl FlowControl() const { return m_flowControl; }
    void setFlowControl(TFlowControl value) { m_flowControl = value; }
    quint8 DataBits() const { return m_dataBits; }
    // Clamps to 5..8.
    void setDataBits(quint8 value);
    TEvents Events() const { return m_events; }
    void setEvents(TEvents value) { m_events = value & AllEvents; }
    bool EnableDTR() const { return m_enableDTR; }
    void setEnableDTR(bool value) { m_enableDTR = value; }
    qint32 WriteBufSize() const { return m_writeBufSize; }
    void setWriteBufSize(qint32 value) { m_writeBufSize = value; }
    qint32 ReadBufSize() const { return m_readBufSize; }
    void setReadBufSize(qint32 value) { m_readBufSize = value; }
    qint32 Tag() const { return m_tag; }
    void setTag(qint32 value) { m_tag = value; }

    ComBackend &Backend() const { return *m_backend; }
    void setBackend(ComBackend *backend);

    // The clocks the monitor stamps events with; null means the machine's.
    // Must outlive the port; takes effect at the next Open.
    void setClockSource(const ClockSource *clocks);

    // The line settings Open programs from the properties.
    ComLineSettings LineSettings() const;

    // Closes the port if open, then opens and programs it and starts the
    // monitor thread. Throws EComHandle or EComState; fires OnOpen on success.
    void Open();
    // Stops the monitor thread (a dispatch it already handed over still runs),
    // releases the device and fires OnClose. Does nothing when not open.
    void Close();
    bool Connected() const { return m_connected; }

    // The modem-status word (ModemLine bits): in an event handler the word of
    // that event, otherwise the lines now; 0 while closed.
    quint32 ModemStatus();
    // In an event handler, when the monitor saw the event; otherwise now.
    ClockStamp EventStamp() const;
    // Bytes waiting in the input queue; 0 while closed.
    quint32 InQueCount();

    // Whether the monitor thread has queued events that the interface thread
    // has not run yet.
    bool DispatchPending() const;

    // Events lost since the last Open because the queue was full (the
    // interface thread did not take them in time); OnOverflow tells.
    quint64 LostEvents() const { return m_lostEvents; }

    // The text of the failure that made the monitor close the port; empty
    // while no such failure has happened since Open was last called.
    QString LastWaitError() const { return m_lastWaitError.Text; }
    // Whether that failure was the device going away.
    bool LastWaitDisconnected() const { return m_lastWaitError.Disconnected; }

    std::function<void(TComPort *, int InQue)> OnRxChar;
    std::function<void(TComPort *)> OnTxEmpty;
    std::function<void(TComPort *)> OnBreak;
    std::function<void(TComPort *)> OnRing;
    std::function<void(TComPort *)> OnCTS;
    std::function<void(TComPort *)> OnDSR;
    std::function<void(TComPort *)> OnRLSD;
    std::function<void(TComPort *)> OnRxFlag;
    std::function<void(TComPort *)> OnError;
    std::function<void(TComPort *)> OnOpen;
    std::function<void(TComPort *)> OnClose;
    std::function<void(TComPort *)> OnOverflow;

private:
    friend class TComThread;

    // Interface thread: runs the events the monitor thread queued, in order.
    void ServiceDispatch();
    // Calls the handlers for the event bits in their fixed order.
    void Dispatch(quint32 mask);
    // Interface thread: the monitor of session `generation` stopped on a failed wait.
    void MonitorFailed(quint64 generation, const ComFailure &failure);

    ComBackend *m_backend;
    const ClockSource *m_clocks;
    TBaudRate m_baudRate = br9600;
    qint32 m_baudRateUser = DefaultBaudRateUser;
    quint8 m_port = 1;
    TParity m_parity = prNone;
    TStopBits m_stopBits = sbOneStopBit;
    TFlowControl m_flowControl = fcNone;
    quint8 m_dataBits = 8;
    TEvents m_events = AllEvents;
    bool m_enableDTR = true;
    qint32 m_writeBufSize = DefaultBufSize;
    qint32 m_readBufSize = DefaultBufSize;
    qint32 m_tag = 0;

    std::unique_ptr<ComDevice> m_device;
    std::unique_ptr<TComThread> m_thread;
    bool m_connected = false;
    bool m_closing = false;
    bool m_dispatching = false;
    quint64 m_generation = 0;
    ComNotification m_current; // the event being dispatched
    quint64 m_lostEvents = 0;
    ComFailure m_lastWaitError;
};
