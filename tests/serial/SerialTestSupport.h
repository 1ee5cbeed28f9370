#pragma once

#include "EventWait.h"
#include "serial/SerialPort.h"

// Opens the port; the message of the failure, empty when it opened.
inline QString openError(SerialPort &port)
{
    try {
        port.open();
    } catch (const SerialPortError &e) {
        return e.message();
    }
    return QString();
}
