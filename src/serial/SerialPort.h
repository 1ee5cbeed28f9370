#pragma once

#include "serial/SerialBackend.h"
#include "serial/SerialTypes.h"

#include <QObject>
#include <QString>

#include <exception>
#include <memory>
#include <string>

class ClockSource;
class SerialMonitorThread;

// The failures of the serial port component; each carries only its message.
class SerialPortError : public std::exception
{
public:
    explicit SerialPortError(const QString &message);
    QString message() const { return m_message; }
    const char *what() const noexcept override { return m_what.c_str(); }

private:
    QString m_message;
    std::string m_what;
};

// Opening the port failed.
class SerialOpenError : public SerialPortError
{
public:
    using SerialPortError::SerialPortError;
};

// The port was opened but programming it failed.
class SerialSetupError : public SerialPortError
{
public:
    using SerialPortError::SerialPortError;
};

// A serial port: opens "COM" Port, programs its line settings and reports line
// events (modem-status changes, received characters, errors) as signals on the
// interface thread. A monitor thread waits for the events while the port is
// open, stamps them with the time it saw them and queues them; every counted
// change of a modem line is an event of its own, and each signal carries the
// stamp of its event.
class SerialPort : public QObject
{
    Q_OBJECT

public:
    static constexpr quint32 DefaultBaudRateUser = 9600;
    static constexpr qint32 DefaultBufSize = 2048;

    // `backend` null means the platform's backend; it must outlive the port.
    explicit SerialPort(QObject *parent = nullptr, SerialBackend *backend = nullptr);
    ~SerialPort() override;

    BaudRate baudRate() const { return m_baudRate; }
    void setBaudRate(BaudRate value) { m_baudRate = value; }
    qint32 baudRateUser() const { return m_baudRateUser; }
    void setBaudRateUser(qint32 value) { m_baudRateUser = value; }
    quint8 port() const { return m_port; }
    void setPort(quint8 value) { m_port = value; }
    Parity parity() const { return m_parity; }
    void setParity(Parity value) { m_parity = value; }
    StopBits stopBits() const { return m_stopBits; }
    void setStopBits(StopBits value) { m_stopBits = value; }
    FlowControl flowControl() const { return m_flowControl; }
    void setFlowControl(FlowControl value) { m_flowControl = value; }
    quint8 dataBits() const { return m_dataBits; }
    // Clamps to 5..8.
    void setDataBits(quint8 value);
    SerialEvents events() const { return m_events; }
    void setEvents(SerialEvents value) { m_events = value & AllEvents; }
    bool enableDTR() const { return m_enableDTR; }
    void setEnableDTR(bool value) { m_enableDTR = value; }
    qint32 writeBufSize() const { return m_writeBufSize; }
    void setWriteBufSize(qint32 value) { m_writeBufSize = value; }
    qint32 readBufSize() const { return m_readBufSize; }
    void setReadBufSize(qint32 value) { m_readBufSize = value; }
    // The polarity ("Alg") the serial triggers act on for this port.
    qint32 polarity() const { return m_polarity; }
    void setPolarity(qint32 value) { m_polarity = value; }

    SerialBackend &backend() const { return *m_backend; }
    void setBackend(SerialBackend *backend);

    // The clocks the monitor stamps events with; null means the machine's.
    // Must outlive the port; takes effect at the next Open.
    void setClockSource(const ClockSource *clocks);

    // The line settings Open programs from the properties.
    SerialLineSettings lineSettings() const;

    // Closes the port if open, then opens and programs it and starts the
    // monitor thread. Throws SerialOpenError or SerialSetupError; emits opened() on success.
    void open();
    // Stops the monitor thread (the events it already handed over are still
    // emitted), releases the device and emits closed(). Does nothing when not open.
    void close();
    bool connected() const { return m_connected; }

    // The modem-status word (ModemLine bits) of the lines now; 0 while closed.
    quint32 modemStatus();
    // Bytes waiting in the input queue; 0 while closed.
    quint32 inQueCount();

    // Whether the monitor thread has queued events that the interface thread
    // has not run yet.
    bool dispatchPending() const;

    // Events lost since the last Open because the queue was full (the
    // interface thread did not take them in time); eventsLost() tells.
    quint64 lostEvents() const { return m_lostEvents; }

    // The text of the failure that made the monitor close the port (known
    // when closed() is emitted); empty while no such failure has happened
    // since Open was last called.
    QString lastWaitError() const { return m_lastWaitError.text; }
    // Whether that failure was the device going away.
    bool lastWaitDisconnected() const { return m_lastWaitError.disconnected; }

Q_SIGNALS:
    void opened();
    // Also after the monitor closed the port on a failed wait.
    void closed();

    // A modem input changed; `modemStatus` is the status word (ModemLine bits)
    // right after that change, `at` when the monitor saw it. One batch is
    // emitted in this order: charactersReceived, breakReceived, ringChanged,
    // ctsChanged, dsrChanged, rlsdChanged, lineErrorOccurred; a slot that
    // closes the port ends the batch.
    void ctsChanged(quint32 modemStatus, const ClockStamp &at);
    void dsrChanged(quint32 modemStatus, const ClockStamp &at);
    void ringChanged(quint32 modemStatus, const ClockStamp &at);
    // The carrier-detect input.
    void rlsdChanged(quint32 modemStatus, const ClockStamp &at);
    // Characters arrived; `queued` bytes were waiting in the input queue then.
    void charactersReceived(quint32 queued, const ClockStamp &at);
    void breakReceived(const ClockStamp &at);
    // A framing, parity or overrun error on the line.
    void lineErrorOccurred(const ClockStamp &at);
    // The queue was full and events were lost; lostEvents() counts them.
    void eventsLost();

private:
    friend class SerialMonitorThread;

    // Interface thread: emits the events the monitor thread queued, in order.
    void serviceDispatch();
    // Emits the signals for one notification in their fixed order.
    void dispatch(const SerialNotification &notification);
    // Interface thread: the monitor of session `generation` stopped on a failed wait.
    void monitorFailed(quint64 generation, const SerialFailure &failure);

    SerialBackend *m_backend;
    const ClockSource *m_clocks;
    BaudRate m_baudRate = BaudRate::Baud9600;
    qint32 m_baudRateUser = DefaultBaudRateUser;
    quint8 m_port = 1;
    Parity m_parity = Parity::None;
    StopBits m_stopBits = StopBits::One;
    FlowControl m_flowControl = FlowControl::None;
    quint8 m_dataBits = 8;
    SerialEvents m_events = AllEvents;
    bool m_enableDTR = true;
    qint32 m_writeBufSize = DefaultBufSize;
    qint32 m_readBufSize = DefaultBufSize;
    qint32 m_polarity = 0;

    std::unique_ptr<SerialDevice> m_device;
    std::unique_ptr<SerialMonitorThread> m_thread;
    bool m_connected = false;
    bool m_closing = false;
    bool m_dispatching = false;
    quint64 m_generation = 0;
    quint64 m_lostEvents = 0;
    SerialFailure m_lastWaitError;
};
