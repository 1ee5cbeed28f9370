#pragma once

#include "serial/SerialBackend.h"

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>

// Serial ports without hardware, for tests and benchmarks. The test raises and
// lowers the lines, pulses them, reports several changes in one notification,
// makes opening or programming fail and makes a waiting monitor fail as an
// unplugged adapter does. Like a serial driver, a port counts every change of
// a line (unless told to have no counters), and its change wait notices only
// changes after the wait began; a change can be put between the monitor's
// look at the lines and its next wait. The monitor watches the lines through
// the same ModemWatch as on real ports. Line changes may come from any thread.
class SimulatedSerialBackend final : public SerialBackend
{
public:
    SimulatedSerialBackend();
    ~SimulatedSerialBackend() override;

    // Ports start present and usable.
    void setPresent(int port, bool present);
    // The next Open of `port` fails with `error`; an empty text ends that.
    void setOpenError(int port, const QString &error);
    // Every Configure of `port` fails with `error`; an empty text ends that.
    void setConfigureError(int port, const QString &error);

    // Sets the modem-status word (ModemLine bits); every line that changes is
    // reported, all of them in one notification.
    void setModemStatus(int port, quint32 status);
    void setCts(int port, bool on);
    void setDsr(int port, bool on);
    // The `lines` (ModemLine bits) change and change back before anybody
    // looks: two counted changes, the status word as before.
    void pulse(int port, quint32 lines);
    // The lines change to `status` right after the monitor's next look at
    // them, before its next wait begins: the change wait does not see it.
    void setModemStatusInGap(int port, quint32 status);
    // Whether the port keeps change counters (it does unless told otherwise);
    // without them the monitor samples the lines.
    void setCounters(int port, bool counted);
    // Reports events (ComEvent bits) without touching the lines.
    void raiseEvents(int port, quint32 events);
    // Sets the input queue count inQueCount reports.
    void setInQueCount(int port, quint32 count);
    // The adapter disappears: the waiting monitor fails with `error`, the lines
    // read 0 and opening fails until Replug.
    void unplug(int port, const QString &error = QStringLiteral("Input/output error"));
    void replug(int port);
    // The next `count` wakes of the monitor of `port` are lost, as a signal
    // sent just before a blocking wait begins is.
    void loseWakes(int port, int count);

    // The modem-status word as last set.
    quint32 lastStatus(int port) const;
    bool isOpen(int port) const;
    int openCount(int port) const;
    // How many times a monitor of `port` has entered a wait; lets a test see
    // that the monitor waits before it changes a line.
    int waitCount(int port) const;
    // Blocks until the monitor of `port` has entered its `count`-th wait.
    bool waitUntilWaiting(int port, int count, int timeoutMs = 5000) const;
    // How many times a monitor of `port` has looked at the lines.
    int lookCount(int port) const;
    // Blocks until the monitor of `port` has taken its `count`-th look.
    bool waitUntilLooked(int port, int count, int timeoutMs = 5000) const;
    SerialLineSettings lastSettings(int port) const;
    quint32 eventMask(int port) const;
    int purgeCount(int port) const;

    std::unique_ptr<SerialDevice> open(int port, QString *error) override;
    bool present(int port) override;
    bool ctsInputUsable(int port) override;
    // The simulated lines have no devices; a mapped name is only remembered and shown.
    QString deviceName(int port) const override;
    void mapDevice(int port, const QString &path) override;

private:
    class Device;
    struct Line;
    friend class Device;

    Line &lineOf(int port) const;
    // Blocks until the `counter` of `port` has reached `count`.
    bool waitUntilCounted(int port, int Line::*counter, int count, int timeoutMs) const;
    // Sets the lines of `line` to `status`, counting every line that changes.
    static void changeLines(Line &line, quint32 status);

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    mutable std::map<int, std::unique_ptr<Line>> m_lines;
    std::map<int, QString> m_deviceNames;
};
