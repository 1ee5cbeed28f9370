#pragma once

#include "AutosavingProtocol.h"
#include "EventWait.h"
#include "ManualClock.h"
#include "platform/ClockSource.h"
#include "serial/SerialPort.h"
#include "serial/SimulatedSerialBackend.h"
#include "timing/SerialTriggers.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>

// A long race through the serial path: a simulated finish barrier on CTS, the port's
// monitor thread, the trigger decision with its lockout, the race clock and an autosave
// after each finish. Every barrier crossing must become exactly one finish.
class SerialSoak
{
public:
    static constexpr int Port = 3;

    SerialSoak(const QString &autosaveFile, int lockoutMs)
        : protocol(table, autosaveFile)
        , clock(clocks)
        , triggers(clock)
    {
        AutosavingProtocol::initTitles(table);
        protocol.listenTo(clock);
        port.setBackend(&backend);
        port.setPort(Port);
        // As the main window: the edges are stamped with the race clock's clocks.
        port.setClockSource(&clocks);
        triggers.listenTo(port);
        clock.setLockoutInterval(lockoutMs);
    }

    ~SerialSoak() { port.close(); }

    // Opens the port (Auto) and starts the clock; false when the port does not open.
    bool begin()
    {
        try {
            port.open();
        } catch (const SerialPortError &) {
            return false;
        }
        triggers.setAuto(true);
        clock.start();
        return processUntil([this] { return !clock.locked(); }, 10000);
    }

    // One competitor: the barrier interrupted and released. Returns false when the
    // finish did not arrive or the autosave failed.
    bool cross()
    {
        const int before = protocol.lastResultRow();
        clocks.advance(37);
        backend.setCts(Port, true);
        if (!processUntil([&] { return protocol.lastResultRow() != before; }, 10000))
            return false;
        backend.setCts(Port, false);
        if (!processUntil([&] { return triggers.lastModemStatus() == 0 && !clock.locked(); }, 10000))
            return false;
        return protocol.lastResultRow() == before + 1 && (protocol.saveEvery != 1 || protocol.lastSaveOk);
    }

    SimulatedSerialBackend backend;
    SerialPort port;
    MemoryProtocolTable table;
    ManualClock clocks;
    AutosavingProtocol protocol;
    RaceClock clock;
    SerialTriggers triggers;
};
