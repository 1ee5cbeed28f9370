#pragma once

#include "serial/SerialBackend.h"

#include <QList>

// The ports found at start-up: bit n - 1 set for each present "COM" n, the high
// 16 bits hold the highest n found. 0 until probeSerialPorts has run.
extern quint32 PortPresenceMask;

// Looks for "COM" 1 to "COM" 16 and returns the presence mask.
quint32 probePortPresence(SerialBackend &backend);

// Runs the probe once and stores the result in portPresenceMask.
void probeSerialPorts(SerialBackend &backend = defaultComBackend());

// The port numbers whose bits are set in `mask`, ascending.
QList<int> presentPorts(quint32 mask);
