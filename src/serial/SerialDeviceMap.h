#pragma once

#include <QString>

#include <array>

// Which device file stands for "COM" n. The fixed table:
//   COM1  - COM4   /dev/ttyS0   - /dev/ttyS3    (on-board UARTs)
//   COM5  - COM12  /dev/ttyUSB0 - /dev/ttyUSB7  (USB serial adapters)
//   COM13 - COM16  /dev/ttyACM0 - /dev/ttyACM3  (USB modem-class devices)
// Tests point single entries at devices of their own.
class SerialDeviceMap
{
public:
    static constexpr int PortCount = 16;

    SerialDeviceMap();

    // The device path of "COM" `port`; empty outside 1..PortCount.
    QString path(int port) const;
    void setPath(int port, const QString &path);

    // Where the kernel's device tree is mounted ("/sys"); read to learn which
    // driver serves a device.
    QString sysfsRoot() const { return m_sysfsRoot; }
    void setSysfsRoot(const QString &root) { m_sysfsRoot = root; }

    // The default path of "COM" `port` from the fixed table.
    static QString defaultPath(int port);

private:
    std::array<QString, PortCount> m_paths;
    QString m_sysfsRoot = QStringLiteral("/sys");
};
