#pragma once

// The road of a light-barrier event as the main window wires it: a simulated port with
// its real monitor thread, the trigger decision and the race clock, the port's edges
// stamped with the race clock's own manual clock.
#include "ManualClock.h"
#include "RaceClockRecorder.h"
#include "serial/SerialPort.h"
#include "serial/SimulatedSerialBackend.h"
#include "timing/RaceClock.h"
#include "timing/SerialTriggers.h"

struct BarrierRig
{
    SimulatedSerialBackend backend;
    ManualClock clocks;
    RaceClock clock{clocks};
    RaceClockRecorder recorder{clock};
    SerialTriggers triggers{clock};
    int handled = 0; // line changes the triggers have handled
    // Last, so it closes while everything its signals reach is still there.
    SerialPort port{nullptr, &backend};

    explicit BarrierRig(int portNumber)
    {
        port.setPort(portNumber);
        port.setEvents(eventSet(SerialEvent::Cts) | eventSet(SerialEvent::Dsr));
        port.setClockSource(&clocks);
        triggers.listenTo(port);
        const auto count = [this] { ++handled; };
        QObject::connect(&port, &SerialPort::ctsChanged, &triggers, count);
        QObject::connect(&port, &SerialPort::dsrChanged, &triggers, count);
    }
};
