#pragma once

#include "ComBackend.h"
#include "ComDeviceMap.h"
#include "PosixComDevice.h"
#include "PosixPortLock.h"

// Serial ports of a POSIX system (Linux): "COM" n is the device the map names,
// opened exclusively (TIOCEXCL and an exclusive flock). A port that another
// program holds, by a UUCP lock file or by having it open, is refused; while
// open, the port holds a lock file of its own.
class PosixComBackend final : public ComBackend
{
public:
    explicit PosixComBackend(const ComDeviceMap &map = ComDeviceMap());

    const ComDeviceMap &DeviceMap() const { return m_map; }
    void setDeviceMap(const ComDeviceMap &map) { m_map = map; }

    PosixComDevice::WaitMode WaitMode() const { return m_waitMode; }
    void setWaitMode(PosixComDevice::WaitMode mode) { m_waitMode = mode; }

    // The folder of the UUCP lock files; empty takes and checks none.
    QString LockFolder() const { return m_lockFolder; }
    void setLockFolder(const QString &folder) { m_lockFolder = folder; }

    std::unique_ptr<ComDevice> Open(int port, QString *error) override;
    // Opens `path` as Open does for a port number.
    std::unique_ptr<PosixComDevice> OpenPath(const QString &path, QString *error);
    bool Present(int port) override;
    bool CtsInputUsable(int port) override;

    // The kernel driver serving "COM" `port` ("8250", "ftdi_sio", "cdc_acm"
    // ...); empty when unknown.
    QString DriverName(int port) const;

private:
    ComDeviceMap m_map;
    PosixComDevice::WaitMode m_waitMode = PosixComDevice::WaitMode::Auto;
    QString m_lockFolder = PosixPortLock::DefaultFolder();
};
