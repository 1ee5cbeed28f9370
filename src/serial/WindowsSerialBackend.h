#pragma once

#include "serial/SerialBackend.h"

// The COM ports of Win32: "COM" n is the device \\.\COMn, opened exclusively
// for overlapped I/O. A port that another program holds cannot be opened; the
// probe counts it as present all the same, since it is there.
class WindowsSerialBackend final : public SerialBackend
{
public:
    static constexpr int PortCount = 16;

    std::unique_ptr<SerialDevice> open(int port, QString *error) override;
    bool present(int port) override;
    // The port's name is all there is.
    QString deviceName(int) const override { return QString(); }
    void mapDevice(int, const QString &) override { }
    // Which adapter lacks a CTS input cannot be told from its COM port.
    bool ctsInputUsable(int) override { return true; }
};
