#include "timing/RaceSession.h"

#include "serial/SerialPort.h"
#include "timing/SerialTriggers.h"

RaceSession::RaceSession(ClockSource &clocks, SerialBackend *backend, QObject *parent)
    : QObject(parent)
    , m_clock(clocks)
    , m_port(std::make_unique<SerialPort>(nullptr, backend))
    , m_triggers(std::make_unique<SerialTriggers>(m_clock))
{
    connect(&m_clock, &RaceClock::finishRecorded, this, &RaceSession::finishRecorded);
    connect(&m_clock, &RaceClock::commandStatesChanged, this, &RaceSession::stateChanged);

    SerialPort &port = *m_port;
    port.setBaudRate(BaudRate::Baud9600);
    port.setBaudRateUser(28800);
    port.setPort(0);
    port.setParity(Parity::None);
    port.setStopBits(StopBits::One);
    port.setFlowControl(FlowControl::RtsCts);
    port.setDataBits(5);
    port.setEvents(eventSet(SerialEvent::Cts) | eventSet(SerialEvent::Dsr));
    port.setEnableDTR(true);
    port.setWriteBufSize(64);
    port.setReadBufSize(64);
    // Barrier events carry the time of the edge, read from the race clock's clocks.
    port.setClockSource(&clocks);
    connectPort();
}

RaceSession::~RaceSession()
{
    m_port->close();
}

void RaceSession::connectPort()
{
    m_triggers->listenTo(*m_port);
    connect(m_port.get(), &SerialPort::opened, this, &RaceSession::portOpened);
    connect(m_port.get(), &SerialPort::closed, this, [this] {
        // Auto exactly while the port is open: a port that closes because its
        // adapter vanished must not leave the operator believing in Auto.
        setAutomatic(false);
        Q_EMIT portClosed();
    });
    connect(m_port.get(), &SerialPort::eventsLost, this, [this] { setAutomatic(m_port->connected()); });
}

int RaceSession::portNumber() const
{
    return m_port->port();
}

void RaceSession::setPortNumber(int port)
{
    m_port->setPort(quint8(port & 0xFF));
}

int RaceSession::algorithm() const
{
    return m_port->polarity();
}

void RaceSession::setAlgorithm(int alg)
{
    m_port->setPolarity(alg);
    m_triggers->setAlg(alg);
}

std::optional<QString> RaceSession::openPort()
{
    try {
        m_port->open();
    } catch (const SerialPortError &error) {
        return error.message();
    }
    return std::nullopt;
}

void RaceSession::closePort()
{
    m_port->close();
}

bool RaceSession::portConnected() const
{
    return m_port->connected();
}

std::optional<QString> RaceSession::choosePort(int port, int alg)
{
    const bool changed = port != portNumber();
    const bool reconnect = port > 0 && !changed && !portConnected();
    if (changed)
        closePort();
    setPortNumber(port);
    if (port != 0) {
        setAlgorithm(alg);
        if (changed || reconnect) {
            if (std::optional<QString> error = openPort())
                return error;
        }
    }
    setAutomatic(portConnected());
    return std::nullopt;
}

void RaceSession::setAutomatic(bool automatic)
{
    m_triggers->setAuto(automatic);
    BarrierStatus::Port port;
    port.open = automatic;
    port.number = m_port->port();
    port.alg = m_port->polarity();
    port.waitFailure = m_port->lastWaitError();
    port.disconnected = m_port->lastWaitDisconnected();
    port.lostEvents = m_port->lostEvents();
    Q_EMIT modeChanged(BarrierStatus::of(port));
}
