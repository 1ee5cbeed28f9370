#include "serial/SerialDeviceMap.h"

SerialDeviceMap::SerialDeviceMap()
{
    for (int port = 1; port <= PortCount; ++port)
        m_paths[size_t(port - 1)] = defaultPath(port);
}

QString SerialDeviceMap::defaultPath(int port)
{
    if (port >= 1 && port <= 4)
        return QStringLiteral("/dev/ttyS%1").arg(port - 1);
    if (port >= 5 && port <= 12)
        return QStringLiteral("/dev/ttyUSB%1").arg(port - 5);
    if (port >= 13 && port <= 16)
        return QStringLiteral("/dev/ttyACM%1").arg(port - 13);
    return QString();
}

QString SerialDeviceMap::path(int port) const
{
    if (port < 1 || port > PortCount)
        return QString();
    return m_paths[size_t(port - 1)];
}

void SerialDeviceMap::setPath(int port, const QString &path)
{
    if (port >= 1 && port <= PortCount)
        m_paths[size_t(port - 1)] = path;
}
