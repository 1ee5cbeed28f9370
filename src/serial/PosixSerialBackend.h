#pragma once

#include "serial/PosixPortLock.h"
#include "serial/PosixSerialDevice.h"
#include "serial/SerialBackend.h"
#include "serial/SerialDeviceMap.h"

// Serial ports of a POSIX system (Linux): "COM" n is the device the map names,
// opened exclusively (TIOCEXCL and an exclusive flock). A port that another
// program holds, by a UUCP lock file or by having it open, is refused; while
// open, the port holds a lock file of its own.
class PosixSerialBackend final : public SerialBackend
{
public:
    explicit PosixSerialBackend(const SerialDeviceMap &map = SerialDeviceMap());

    PosixSerialDevice::WaitMode waitMode() const { return m_waitMode; }
    void setWaitMode(PosixSerialDevice::WaitMode mode) { m_waitMode = mode; }

    // The folder of the UUCP lock files; empty takes and checks none.
    QString lockFolder() const { return m_lockFolder; }
    void setLockFolder(const QString &folder) { m_lockFolder = folder; }

    std::unique_ptr<SerialDevice> open(int port, QString *error) override;
    // Opens `path` as Open does for a port number.
    std::unique_ptr<PosixSerialDevice> openPath(const QString &path, QString *error);
    bool present(int port) override;
    bool ctsInputUsable(int port) override;
    QString deviceName(int port) const override { return m_map.path(port); }
    void mapDevice(int port, const QString &path) override { m_map.setPath(port, path); }

    // The kernel driver serving "COM" `port` ("8250", "ftdi_sio", "cdc_acm"
    // ...); empty when unknown.
    QString driverName(int port) const;

private:
    SerialDeviceMap m_map;
    PosixSerialDevice::WaitMode m_waitMode = PosixSerialDevice::WaitMode::Auto;
    QString m_lockFolder = PosixPortLock::defaultFolder();
};
