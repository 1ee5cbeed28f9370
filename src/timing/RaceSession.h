#pragma once

#include "timing/BarrierStatus.h"
#include "timing/RaceClock.h"

#include <QObject>

#include <memory>
#include <optional>

class ClockSource;
class SerialBackend;
class SerialPort;
class SerialTriggers;

// One race at the finish line: the race clock, the serial port the light
// barriers are wired to, and the triggers that turn the port's line changes
// into clock commands. It owns and connects them and knows no widget; the
// main window shows what it emits and asks the operator before a reset.
class RaceSession : public QObject
{
    Q_OBJECT

public:
    // `backend` null: the platform's serial ports.
    RaceSession(ClockSource &clocks, SerialBackend *backend, QObject *parent = nullptr);
    ~RaceSession() override;

    RaceClock &clock() { return m_clock; }
    const RaceClock &clock() const { return m_clock; }
    SerialPort &port() { return *m_port; }
    const SerialPort &port() const { return *m_port; }
    SerialTriggers &triggers() { return *m_triggers; }

    // "Port" (0: none) and "Alg", the polarity the triggers act on.
    int portNumber() const;
    void setPortNumber(int port);
    int algorithm() const;
    void setAlgorithm(int alg);

    // Opens the chosen port; the reason when that failed.
    std::optional<QString> openPort();
    void closePort();
    bool portConnected() const;

    // The port and polarity chosen in the settings: a changed port is closed and the
    // new one opened; the same port is opened again when it closed meanwhile (its
    // adapter was pulled out). The reason when opening failed, which leaves the mode
    // as it was; otherwise the mode follows the port.
    std::optional<QString> choosePort(int port, int alg);

    // Auto (the barriers act) or Hand; modeChanged tells what the operator is to see.
    void setAutomatic(bool automatic);

Q_SIGNALS:
    void finishRecorded(const RaceFinish &finish);
    // The commands' enabled flags or colours, or the finish word, changed.
    void stateChanged();
    void modeChanged(const BarrierStatus &status);
    void portOpened();
    void portClosed();

private:
    void connectPort();

    RaceClock m_clock;
    std::unique_ptr<SerialPort> m_port;
    std::unique_ptr<SerialTriggers> m_triggers;
};
