#pragma once

#include "ComBackend.h"

#include <QList>

// The ports found at start-up: bit n - 1 set for each present "COM" n, the high
// 16 bits hold the highest n found. 0 until ProbeSerialPorts has run.
extern quint32 PortPresenceMask;

// Looks for "COM" 1 to "COM" 16 and returns the presence mask.
quint32 ProbePortPresence(ComBackend &backend);

// Runs the probe once and stores the result in PortPresenceMask.
void ProbeSerialPorts(ComBackend &backend = DefaultComBackend());

// The port numbers whose bits are set in `mask`, ascending.
QList<int> PresentPorts(quint32 mask);
