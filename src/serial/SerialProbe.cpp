#include "serial/SerialProbe.h"

#include <QList>

quint32 PortPresenceMask = 0;

quint32 probePortPresence(SerialBackend &backend)
{
    quint32 mask = 0;
    for (int port = 1; port <= 16; ++port) {
        if (backend.present(port))
            mask = (mask & 0xFFFFu) | (1u << (port - 1)) | (quint32(port) << 16);
    }
    return mask;
}

void probeSerialPorts(SerialBackend &backend)
{
    PortPresenceMask = probePortPresence(backend);
}

QList<int> presentPorts(quint32 mask)
{
    QList<int> ports;
    for (int port = 1; port <= 16; ++port) {
        if (mask & (1u << (port - 1)))
            ports.append(port);
    }
    return ports;
}
