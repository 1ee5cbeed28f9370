#pragma once

#include <QString>

// What the operator is told about the light barriers: the mode indicator and
// a warning line under the command buttons. The barriers never look active
// when they are not.
struct BarrierStatus
{
    enum Mode {
        Hand, // no barrier acts (red LED, "Hand")
        Auto, // both barriers act (green LED, "Auto")
        FinishOnly // the port is open but only the finish barrier acts (yellow LED, "Auto")
    };

    Mode mode = Hand;
    QString warning; // empty: nothing to warn about

    struct Port
    {
        bool open = false;
        int number = 0; // "Port"; 0 = no port chosen
        int alg = 0; // "Alg"
        QString waitFailure; // why the monitor closed the port, if it did
        bool disconnected = false; // the failure was the device going away
        quint64 lostEvents = 0; // events the program could not take in time
    };

    // The status for the port as it is.
    static BarrierStatus of(const Port &port);
};
