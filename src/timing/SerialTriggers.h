#pragma once

#include "platform/ClockSource.h"

#include <QObject>

class RaceClock;
class SerialPort;

// The serial trigger decision: what a change of the modem-status word on the
// start line (DSR) or the finish line (CTS) does to the race clock.
class SerialTriggers : public QObject
{
    Q_OBJECT

public:
    // Never a real status word, which uses only bits $10 to $80, so the first
    // serial event is always evaluated.
    static constexpr quint32 InitialModemStatus = 0x55555555;
    static constexpr quint32 FinishLine = 0x10; // CTS on
    static constexpr quint32 StartLine = 0x20; // DSR on

    // Polarity "Alg": act when a line turns on, when it turns off, or only on
    // the finish line turning on.
    enum Algorithm { AlgOn = 0, AlgOff = 1, AlgFinishOnly = 2 };

    explicit SerialTriggers(RaceClock &clock, QObject *parent = nullptr);

    // Acts on the edges `port` reports from now on: CTS is the finish line,
    // DSR the start line.
    void listenTo(const SerialPort &port);

    quint32 lastModemStatus() const { return m_lastModemStatus; }

    int alg() const { return m_alg; }
    void setAlg(int value) { m_alg = value; }

    // Auto mode: serial triggers are acted on (the port is open). In Hand they
    // are ignored.
    bool isAuto() const { return m_auto; }
    void setAuto(bool value) { m_auto = value; }

    // A change of the finish or the start line: the status word right after
    // it and when it happened. A finish is recorded with that time and the
    // lockout judged by it.
    void finishLineChanged(quint32 status, const ClockStamp &at);
    void startLineChanged(quint32 status, const ClockStamp &at);

    void triggerStart(const ClockStamp &at);
    void triggerFinish(const ClockStamp &at);

private:
    RaceClock &m_clock;
    quint32 m_lastModemStatus = InitialModemStatus;
    int m_alg = AlgOn;
    bool m_auto = false;
};
