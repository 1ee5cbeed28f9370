#pragma once

#include "AutosavingHost.h"
#include "ClockSource.h"
#include "Comms.h"
#include "ManualClock.h"
#include "SerialTriggers.h"
#include "SimulatedComBackend.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <functional>

// A long race through the serial path: a simulated finish barrier on CTS, the port's
// monitor thread, the trigger decision with its lockout, the race clock and an autosave
// after each finish. Every barrier crossing must become exactly one finish.
class SerialSoak
{
public:
    static constexpr int Port = 3;

    SerialSoak(const QString &autosaveFile, int lockoutMs)
        : host(table, autosaveFile)
        , clock(host, clocks)
        , triggers(clock)
    {
        AutosavingHost::InitTitles(table);
        port.setBackend(&backend);
        port.setPort(Port);
        port.OnCTS = [this](TComPort *sender) { triggers.ComPortCTS(sender->ModemStatus()); };
        clock.setLockoutInterval(lockoutMs);
    }

    ~SerialSoak()
    {
        port.Close();
    }

    // Opens the port (Auto) and starts the clock; false when the port does not open.
    bool Begin()
    {
        try {
            port.Open();
        } catch (const EComException &) {
            return false;
        }
        triggers.setAuto(true);
        clock.mStartClick();
        return WaitFor([this] { return !clock.Locked(); });
    }

    // One competitor: the barrier interrupted and released. Returns false when the
    // finish did not arrive or the autosave failed.
    bool Cross()
    {
        const int before = host.ResultCount();
        clocks.Advance(37);
        backend.SetCts(Port, true);
        if (!WaitFor([&] { return host.ResultCount() != before; }))
            return false;
        backend.SetCts(Port, false);
        if (!WaitFor([&] { return triggers.LastModemStatus() == 0 && !clock.Locked(); }))
            return false;
        return host.ResultCount() == before + 1 && (host.saveEvery != 1 || host.lastSaveOk);
    }

    template<typename Predicate>
    static bool WaitFor(Predicate done, int timeoutMs = 10000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!done()) {
            if (deadline.hasExpired())
                return false;
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        return true;
    }

    SimulatedComBackend backend;
    TComPort port;
    TMemoryProtocolTable table;
    ManualClock clocks;
    AutosavingHost host;
    RaceClock clock;
    SerialTriggers triggers;
};
