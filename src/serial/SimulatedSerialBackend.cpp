#include "serial/SimulatedSerialBackend.h"

#include "serial/ModemWatch.h"

#include <atomic>
#include <chrono>
#include <optional>

struct SimulatedSerialBackend::Line
{
    bool present = true;
    bool counted = true;
    QString openError;
    QString configureError;
    bool open = false;
    int openCount = 0;
    int waitCount = 0;
    int lookCount = 0;
    int purgeCount = 0;
    int lostWakes = 0;
    bool wake = false;
    bool unplugged = false;
    QString unplugError;
    quint32 status = 0;
    ModemLook counters; // the change counters kept as a driver does
    std::optional<quint32> gapStatus; // applied right after the next look
    quint32 pending = 0; // events raised without a line change
    quint32 mask = 0;
    quint32 inQue = 0;
    SerialLineSettings settings;
};

class SimulatedSerialBackend::Device final : public SerialDevice, private ModemLineAccess
{
public:
    Device(SimulatedSerialBackend &backend, int port)
        : m_backend(backend)
        , m_port(port)
    { }

    ~Device() override
    {
        std::lock_guard lock(m_backend.m_mutex);
        Line &line = m_backend.lineOf(m_port);
        line.open = false;
        line.mask = 0;
        line.pending = 0;
        line.wake = false;
        line.gapStatus.reset();
        m_backend.m_changed.notify_all();
    }

    bool configure(const SerialLineSettings &settings, QString *error) override
    {
        std::lock_guard lock(m_backend.m_mutex);
        Line &line = m_backend.lineOf(m_port);
        if (!line.configureError.isEmpty()) {
            *error = line.configureError;
            return false;
        }
        line.settings = settings;
        return true;
    }

    void setEventMask(quint32 mask) override
    {
        {
            std::lock_guard lock(m_backend.m_mutex);
            Line &line = m_backend.lineOf(m_port);
            line.mask = mask;
            line.pending = 0;
        }
        m_mask = mask;
        SerialFailure ignored;
        m_watch.start(*this, &ignored);
    }

    quint32 modemStatus() override
    {
        std::lock_guard lock(m_backend.m_mutex);
        const Line &line = m_backend.lineOf(m_port);
        return line.unplugged ? 0 : line.status;
    }

    quint32 inQueCount() override
    {
        std::lock_guard lock(m_backend.m_mutex);
        return m_backend.lineOf(m_port).inQue;
    }

    SerialWaitResult waitEvent(SerialWaitReport *report) override
    {
        const SerialWaitResult result = m_watch.wait(*this, m_mask, report);
        for (SerialNotification &notification : report->notifications) {
            if (notification.events & ComEvent::RxChar)
                notification.inQue = inQueCount();
        }
        return result;
    }

    void wakeWaiter() override
    {
        std::lock_guard lock(m_backend.m_mutex);
        Line &line = m_backend.lineOf(m_port);
        if (line.lostWakes > 0) {
            --line.lostWakes;
            return;
        }
        line.wake = true;
        m_wake = true;
        m_backend.m_changed.notify_all();
    }

    void purgeInput() override
    {
        std::lock_guard lock(m_backend.m_mutex);
        Line &line = m_backend.lineOf(m_port);
        line.inQue = 0;
        ++line.purgeCount;
    }

private:
    bool look(ModemLook *look, SerialFailure *failure) override
    {
        std::lock_guard lock(m_backend.m_mutex);
        Line &line = m_backend.lineOf(m_port);
        ++line.lookCount;
        m_backend.m_changed.notify_all();
        if (line.unplugged) {
            *failure = {line.unplugError, true};
            return false;
        }
        *look = line.counters;
        look->status = line.status;
        look->counted = line.counted;
        look->events = line.pending;
        line.pending = 0;
        if (line.gapStatus) {
            changeLines(line, *line.gapStatus);
            line.gapStatus.reset();
        }
        return true;
    }

    bool awaitLineChange(quint32 watchedLines, bool poll, SerialFailure *failure) override
    {
        std::unique_lock lock(m_backend.m_mutex);
        Line &line = m_backend.lineOf(m_port);
        ++line.waitCount;
        m_backend.m_changed.notify_all();
        // As a driver's change wait: only changes after it began count.
        const ModemLook begin = line.counters;
        const auto changed = [&line, &begin, watchedLines] {
            const ModemLook &now = line.counters;
            return ((watchedLines & ModemLine::CtsOn) && now.cts != begin.cts)
                || ((watchedLines & ModemLine::DsrOn) && now.dsr != begin.dsr)
                || ((watchedLines & ModemLine::RingOn) && now.ring != begin.ring)
                || ((watchedLines & ModemLine::RlsdOn) && now.rlsd != begin.rlsd);
        };
        const auto ends = [&] {
            return line.wake || line.unplugged || (line.pending & line.mask) != 0 || (!poll && changed());
        };
        const int limit = poll ? ModemWatch::PollMicroseconds : ModemWatch::MaxWaitMicroseconds;
        m_backend.m_changed.wait_for(lock, std::chrono::microseconds(limit), ends);
        if (line.unplugged) {
            *failure = {line.unplugError, true};
            return false;
        }
        return true;
    }

    bool wakeRequested() const override { return m_wake; }

    SimulatedSerialBackend &m_backend;
    const int m_port;
    quint32 m_mask = 0;
    std::atomic<bool> m_wake{false};
    ModemWatch m_watch;
};

SimulatedSerialBackend::SimulatedSerialBackend() = default;
SimulatedSerialBackend::~SimulatedSerialBackend() = default;

SimulatedSerialBackend::Line &SimulatedSerialBackend::lineOf(int port) const
{
    std::unique_ptr<Line> &line = m_lines[port];
    if (!line)
        line = std::make_unique<Line>();
    return *line;
}

void SimulatedSerialBackend::changeLines(Line &line, quint32 status)
{
    const quint32 changed = line.status ^ status;
    line.status = status;
    if (changed & ModemLine::CtsOn)
        ++line.counters.cts;
    if (changed & ModemLine::DsrOn)
        ++line.counters.dsr;
    if (changed & ModemLine::RingOn)
        ++line.counters.ring;
    if (changed & ModemLine::RlsdOn)
        ++line.counters.rlsd;
}

void SimulatedSerialBackend::setPresent(int port, bool present)
{
    std::lock_guard lock(m_mutex);
    lineOf(port).present = present;
}

void SimulatedSerialBackend::setOpenError(int port, const QString &error)
{
    std::lock_guard lock(m_mutex);
    lineOf(port).openError = error;
}

void SimulatedSerialBackend::setConfigureError(int port, const QString &error)
{
    std::lock_guard lock(m_mutex);
    lineOf(port).configureError = error;
}

void SimulatedSerialBackend::setCounters(int port, bool counted)
{
    std::lock_guard lock(m_mutex);
    lineOf(port).counted = counted;
}

void SimulatedSerialBackend::setModemStatus(int port, quint32 status)
{
    std::lock_guard lock(m_mutex);
    changeLines(lineOf(port), status);
    m_changed.notify_all();
}

void SimulatedSerialBackend::setCts(int port, bool on)
{
    std::lock_guard lock(m_mutex);
    Line &line = lineOf(port);
    changeLines(line, on ? (line.status | ModemLine::CtsOn) : (line.status & ~ModemLine::CtsOn));
    m_changed.notify_all();
}

void SimulatedSerialBackend::setDsr(int port, bool on)
{
    std::lock_guard lock(m_mutex);
    Line &line = lineOf(port);
    changeLines(line, on ? (line.status | ModemLine::DsrOn) : (line.status & ~ModemLine::DsrOn));
    m_changed.notify_all();
}

void SimulatedSerialBackend::pulse(int port, quint32 lines)
{
    std::lock_guard lock(m_mutex);
    Line &line = lineOf(port);
    const quint32 status = line.status;
    changeLines(line, status ^ lines);
    changeLines(line, status);
    m_changed.notify_all();
}

void SimulatedSerialBackend::setModemStatusInGap(int port, quint32 status)
{
    std::lock_guard lock(m_mutex);
    lineOf(port).gapStatus = status;
}

void SimulatedSerialBackend::raiseEvents(int port, quint32 events)
{
    std::lock_guard lock(m_mutex);
    lineOf(port).pending |= events;
    m_changed.notify_all();
}

void SimulatedSerialBackend::setInQueCount(int port, quint32 count)
{
    std::lock_guard lock(m_mutex);
    lineOf(port).inQue = count;
}

void SimulatedSerialBackend::unplug(int port, const QString &error)
{
    std::lock_guard lock(m_mutex);
    Line &line = lineOf(port);
    line.unplugged = true;
    line.unplugError = error;
    m_changed.notify_all();
}

void SimulatedSerialBackend::replug(int port)
{
    std::lock_guard lock(m_mutex);
    lineOf(port).unplugged = false;
}

void SimulatedSerialBackend::loseWakes(int port, int count)
{
    std::lock_guard lock(m_mutex);
    lineOf(port).lostWakes = count;
}

quint32 SimulatedSerialBackend::lastStatus(int port) const
{
    std::lock_guard lock(m_mutex);
    return lineOf(port).status;
}

bool SimulatedSerialBackend::isOpen(int port) const
{
    std::lock_guard lock(m_mutex);
    return lineOf(port).open;
}

int SimulatedSerialBackend::openCount(int port) const
{
    std::lock_guard lock(m_mutex);
    return lineOf(port).openCount;
}

int SimulatedSerialBackend::waitCount(int port) const
{
    std::lock_guard lock(m_mutex);
    return lineOf(port).waitCount;
}

bool SimulatedSerialBackend::waitUntilCounted(int port, int Line::*counter, int count, int timeoutMs) const
{
    std::unique_lock lock(m_mutex);
    const Line &line = lineOf(port);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&line, counter, count] { return line.*counter >= count; });
}

bool SimulatedSerialBackend::waitUntilWaiting(int port, int count, int timeoutMs) const
{
    return waitUntilCounted(port, &Line::waitCount, count, timeoutMs);
}

int SimulatedSerialBackend::lookCount(int port) const
{
    std::lock_guard lock(m_mutex);
    return lineOf(port).lookCount;
}

bool SimulatedSerialBackend::waitUntilLooked(int port, int count, int timeoutMs) const
{
    return waitUntilCounted(port, &Line::lookCount, count, timeoutMs);
}

SerialLineSettings SimulatedSerialBackend::lastSettings(int port) const
{
    std::lock_guard lock(m_mutex);
    return lineOf(port).settings;
}

quint32 SimulatedSerialBackend::eventMask(int port) const
{
    std::lock_guard lock(m_mutex);
    return lineOf(port).mask;
}

int SimulatedSerialBackend::purgeCount(int port) const
{
    std::lock_guard lock(m_mutex);
    return lineOf(port).purgeCount;
}

std::unique_ptr<SerialDevice> SimulatedSerialBackend::open(int port, QString *error)
{
    std::lock_guard lock(m_mutex);
    Line &line = lineOf(port);
    if (!line.present || line.unplugged || port < 1 || port > 16) {
        *error = QStringLiteral("No such file or directory");
        return nullptr;
    }
    if (!line.openError.isEmpty()) {
        *error = line.openError;
        line.openError.clear();
        return nullptr;
    }
    if (line.open) {
        *error = QStringLiteral("Device or resource busy");
        return nullptr;
    }
    line.open = true;
    ++line.openCount;
    line.wake = false;
    line.pending = 0;
    return std::make_unique<Device>(*this, port);
}

bool SimulatedSerialBackend::present(int port)
{
    std::lock_guard lock(m_mutex);
    const Line &line = lineOf(port);
    return line.present && !line.unplugged && !line.open && port >= 1 && port <= 16;
}

bool SimulatedSerialBackend::ctsInputUsable(int)
{
    // The simulated CTS input follows setCts.
    return true;
}

QString SimulatedSerialBackend::deviceName(int port) const
{
    const auto found = m_deviceNames.find(port);
    return found == m_deviceNames.end() ? QString() : found->second;
}

void SimulatedSerialBackend::mapDevice(int port, const QString &path)
{
    m_deviceNames[port] = path;
}
