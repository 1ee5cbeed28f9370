#pragma once

#include "ModemLineState.h"
#include "platform/ClockSource.h"

#include <QFile>

// The test's side of the modem-line rig under Wine: raises and lowers the lines of
// the COM port the rig set up, counting every change as a driver would, and tells
// when it changed them.
class ModemLineDriver
{
public:
    static constexpr int Port = 5;
    static constexpr quint32 Cts = MODEM_LINE_CTS;
    static constexpr quint32 Dsr = MODEM_LINE_DSR;

    // False outside the rig.
    bool open()
    {
        const QByteArray path = qgetenv(MODEM_STATE_ENV);
        if (path.isEmpty())
            return false;
        m_file.setFileName(QStringLiteral("Z:") + QString::fromLocal8Bit(path));
        return m_file.open(QIODevice::ReadWrite | QIODevice::Unbuffered) && write();
    }

    // Sets the lines; returns the tick just before they changed.
    quint32 setLines(quint32 lines)
    {
        const quint32 changed = m_state.lines ^ lines;
        if (changed & Cts)
            ++m_state.cts;
        if (changed & Dsr)
            ++m_state.dsr;
        m_state.lines = lines;
        const quint32 tick = defaultClockSource().tickCount();
        write();
        return tick;
    }
    quint32 lines() const { return m_state.lines; }

    void setUnplugged(bool unplugged)
    {
        m_state.unplugged = unplugged ? 1 : 0;
        write();
    }

private:
    bool write()
    {
        return m_file.seek(0)
            && m_file.write(reinterpret_cast<const char *>(&m_state), sizeof m_state) == qint64(sizeof m_state);
    }

    QFile m_file;
    ModemLineState m_state{};
};
