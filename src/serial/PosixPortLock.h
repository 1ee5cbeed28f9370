#pragma once

#include <QString>

// The UUCP lock file of a serial device, as minicom, picocom, ModemManager's
// users and other serial programs keep them: "LCK.." and the device's name
// under /dev in the lock folder (/run/lock/LCK..ttyUSB0), holding the owner's
// PID as ten characters and a line break.
class PosixPortLock
{
public:
    static QString defaultFolder() { return QStringLiteral("/run/lock"); }

    // The lock file of `devicePath` in `folder`.
    PosixPortLock(const QString &folder, const QString &devicePath);

    QString path() const { return m_path; }

    // The other process that holds the lock ("minicom, PID 1234"), empty
    // when nobody does. A lock left by a process that has ended is removed.
    QString holderDescription() const;

    // Creates the lock file for this process. False, with `holder` telling
    // who, when another process took it first; true without a lock file when
    // the folder cannot be written (the port is then used unlocked).
    bool take(QString *holder, bool *taken) const;

private:
    QString m_path;
};

// Another process that has `devicePath` open, as "name, PID n"; empty when
// none is found. Only processes whose open files this user may see count;
// this process and its children do not.
QString otherProcessUsing(const QString &devicePath);

// "name, PID n" for a running process.
QString describeProcess(qint64 pid);
