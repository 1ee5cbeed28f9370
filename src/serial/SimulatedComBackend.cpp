#include "SimulatedComBackend.h"

#include "ModemWatch.h"

#include <atomic>
#include <chrono>
#include <optional>

struct SimulatedComBackend::Line
{
    bool present = true;
    bool ctsUsable = true;
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
    ModemLook counters;               // the change counters kept as a driver does
    std::optional<quint32> gapStatus; // applied right after the next look
    quint32 pending = 0;              // events raised without a line change
    quint32 mask = 0;
    quint32 inQue = 0;
    ComLineSettings settings;
};

class SimulatedComBackend::Device final : public ComDevice, private ModemLineAccess
{
public:
    Device(SimulatedComBackend &backend, int port)
        : m_backend(backend)
        , m_port(port)
    {
    }

    ~Device() override
    {
        std::lock_guard lock(m_backend.m_mutex);
        Line &line = m_backend.LineOf(m_port);
        line.open = false;
        line.mask = 0;
        line.pending = 0;
        line.wake = false;
        line.gapStatus.reset();
        m_backend.m_changed.notify_all();
    }

    bool Configure(const ComLineSettings &settings, QString *error) override
    {
        std::lock_guard lock(m_backend.m_mutex);
        Line &line = m_backend.LineOf(m_port);
        if (!line.configureError.isEmpty()) {
            *error = line.configureError;
            return false;
        }
        line.settings = settings;
        return true;
    }

    void SetEventMask(quint32 mask) override
    {
        {
            std::lock_guard lock(m_backend.m_mutex);
            Line &line = m_backend.LineOf(m_port);
            line.mask = mask;
            line.pending = 0;
        }
        m_mask = mask;
        ComFailure ignored;
        m_watch.Start(*this, &ignored);
    }

    quint32 ModemStatus() override
    {
        std::lock_guard lock(m_backend.m_mutex);
        const Line &line = m_backend.LineOf(m_port);
        return line.unplugged ? 0 : line.status;
    }

    quint32 InQueCount() override
    {
        std::lock_guard lock(m_backend.m_mutex);
        return m_backend.LineOf(m_port).inQue;
    }

    ComWaitResult WaitEvent(ComWaitReport *report) override
    {
        const ComWaitResult result = m_watch.Wait(*this, m_mask, report);
        for (ComNotification &notification : report->Notifications) {
            if (notification.Events & ComEvent::RxChar)
                notification.InQue = InQueCount();
        }
        return result;
    }

    void WakeWaiter() override
    {
        std::lock_guard lock(m_backend.m_mutex);
        Line &line = m_backend.LineOf(m_port);
        if (line.lostWakes > 0) {
            --line.lostWakes;
            return;
        }
        line.wake = true;
        m_wake = true;
        m_backend.m_changed.notify_all();
    }

    void PurgeInput() override
    {
        std::lock_guard lock(m_backend.m_mutex);
        Line &line = m_backend.LineOf(m_port);
        line.inQue = 0;
        ++line.purgeCount;
    }

private:
    bool Look(ModemLook *look, ComFailure *failure) override
    {
        std::lock_guard lock(m_backend.m_mutex);
        Line &line = m_backend.LineOf(m_port);
        ++line.lookCount;
        m_backend.m_changed.notify_all();
        if (line.unplugged) {
            *failure = {line.unplugError, true};
            return false;
        }
        *look = line.counters;
        look->Status = line.status;
        look->Counted = line.counted;
        look->Events = line.pending;
        line.pending = 0;
        if (line.gapStatus) {
            ChangeLines(line, *line.gapStatus);
            line.gapStatus.reset();
        }
        return true;
    }

    bool AwaitLineChange(quint32 watchedLines, bool poll, ComFailure *failure) override
    {
        std::unique_lock lock(m_backend.m_mutex);
        Line &line = m_backend.LineOf(m_port);
        ++line.waitCount;
        m_backend.m_changed.notify_all();
        // As a driver's change wait: only changes after it began count.
        const ModemLook begin = line.counters;
        const auto changed = [&line, &begin, watchedLines] {
            const ModemLook &now = line.counters;
            return ((watchedLines & ModemLine::CtsOn) && now.Cts != begin.Cts)
                   || ((watchedLines & ModemLine::DsrOn) && now.Dsr != begin.Dsr)
                   || ((watchedLines & ModemLine::RingOn) && now.Ring != begin.Ring)
                   || ((watchedLines & ModemLine::RlsdOn) && now.Rlsd != begin.Rlsd);
        };
        const auto ends = [&] {
            return line.wake || line.unplugged || (line.pending & line.mask) != 0
                   || (!poll && changed());
        };
        const int limit = poll ? ModemWatch::PollMicroseconds : ModemWatch::MaxWaitMicroseconds;
        m_backend.m_changed.wait_for(lock, std::chrono::microseconds(limit), ends);
        if (line.unplugged) {
            *failure = {line.unplugError, true};
            return false;
        }
        return true;
    }

    bool WakeRequested() const override { return m_wake; }

    SimulatedComBackend &m_backend;
    const int m_port;
    quint32 m_mask = 0;
    std::atomic<bool> m_wake{false};
    ModemWatch m_watch;
};

SimulatedComBackend::SimulatedComBackend() = default;
SimulatedComBackend::~SimulatedComBackend() = default;

SimulatedComBackend::Line &SimulatedComBackend::LineOf(int port) const
{
    std::unique_ptr<Line> &line = m_lines[port];
    if (!line)
        line = std::make_unique<Line>();
    return *line;
}

void SimulatedComBackend::ChangeLines(Line &line, quint32 status)
{
    const quint32 changed = line.status ^ status;
    line.status = status;
    if (changed & ModemLine::CtsOn)
        ++line.counters.Cts;
    if (changed & ModemLine::DsrOn)
        ++line.counters.Dsr;
    if (changed & ModemLine::RingOn)
        ++line.counters.Ring;
    if (changed & ModemLine::RlsdOn)
        ++line.counters.Rlsd;
}

void SimulatedComBackend::setPresent(int port, bool present)
{
    std::lock_guard lock(m_mutex);
    LineOf(port).present = present;
}

void SimulatedComBackend::setCtsInputUsable(int port, bool usable)
{
    std::lock_guard lock(m_mutex);
    LineOf(port).ctsUsable = usable;
}

void SimulatedComBackend::setOpenError(int port, const QString &error)
{
    std::lock_guard lock(m_mutex);
    LineOf(port).openError = error;
}

void SimulatedComBackend::setConfigureError(int port, const QString &error)
{
    std::lock_guard lock(m_mutex);
    LineOf(port).configureError = error;
}

void SimulatedComBackend::setCounters(int port, bool counted)
{
    std::lock_guard lock(m_mutex);
    LineOf(port).counted = counted;
}

void SimulatedComBackend::SetModemStatus(int port, quint32 status)
{
    std::lock_guard lock(m_mutex);
    ChangeLines(LineOf(port), status);
    m_changed.notify_all();
}

void SimulatedComBackend::SetCts(int port, bool on)
{
    std::lock_guard lock(m_mutex);
    Line &line = LineOf(port);
    ChangeLines(line, on ? (line.status | ModemLine::CtsOn) : (line.status & ~ModemLine::CtsOn));
    m_changed.notify_all();
}

void SimulatedComBackend::SetDsr(int port, bool on)
{
    std::lock_guard lock(m_mutex);
    Line &line = LineOf(port);
    ChangeLines(line, on ? (line.status | ModemLine::DsrOn) : (line.status & ~ModemLine::DsrOn));
    m_changed.notify_all();
}

void SimulatedComBackend::Pulse(int port, quint32 lines)
{
    std::lock_guard lock(m_mutex);
    Line &line = LineOf(port);
    const quint32 status = line.status;
    ChangeLines(line, status ^ lines);
    ChangeLines(line, status);
    m_changed.notify_all();
}

void SimulatedComBackend::SetModemStatusInGap(int port, quint32 status)
{
    std::lock_guard lock(m_mutex);
    LineOf(port).gapStatus = status;
}

void SimulatedComBackend::RaiseEvents(int port, quint32 events)
{
    std::lock_guard lock(m_mutex);
    LineOf(port).pending |= events;
    m_changed.notify_all();
}

void SimulatedComBackend::SetInQueCount(int port, quint32 count)
{
    std::lock_guard lock(m_mutex);
    LineOf(port).inQue = count;
}

void SimulatedComBackend::Unplug(int port, const QString &error)
{
    std::lock_guard lock(m_mutex);
    Line &line = LineOf(port);
    line.unplugged = true;
    line.unplugError = error;
    m_changed.notify_all();
}

void SimulatedComBackend::Replug(int port)
{
    std::lock_guard lock(m_mutex);
    LineOf(port).unplugged = false;
}

void SimulatedComBackend::LoseWakes(int port, int count)
{
    std::lock_guard lock(m_mutex);
    LineOf(port).lostWakes = count;
}

quint32 SimulatedComBackend::LastStatus(int port) const
{
    std::lock_guard lock(m_mutex);
    return LineOf(port).status;
}

bool SimulatedComBackend::IsOpen(int port) const
{
    std::lock_guard lock(m_mutex);
    return LineOf(port).open;
}

int SimulatedComBackend::OpenCount(int port) const
{
    std::lock_guard lock(m_mutex);
    return LineOf(port).openCount;
}

int SimulatedComBackend::WaitCount(int port) const
{
    std::lock_guard lock(m_mutex);
    return LineOf(port).waitCount;
}

bool SimulatedComBackend::WaitUntilCounted(int port, int Line::*counter, int count,
                                           int timeoutMs) const
{
    std::unique_lock lock(m_mutex);
    const Line &line = LineOf(port);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&line, counter, count] { return line.*counter >= count; });
}

bool SimulatedComBackend::WaitUntilWaiting(int port, int count, int timeoutMs) const
{
    return WaitUntilCounted(port, &Line::waitCount, count, timeoutMs);
}

int SimulatedComBackend::LookCount(int port) const
{
    std::lock_guard lock(m_mutex);
    return LineOf(port).lookCount;
}

bool SimulatedComBackend::WaitUntilLooked(int port, int count, int timeoutMs) const
{
    return WaitUntilCounted(port, &Line::lookCount, count, timeoutMs);
}

ComLineSettings SimulatedComBackend::LastSettings(int port) const
{
    std::lock_guard lock(m_mutex);
    return LineOf(port).settings;
}

quint32 SimulatedComBackend::EventMask(int port) const
{
    std::lock_guard lock(m_mutex);
    return LineOf(port).mask;
}

int SimulatedComBackend::PurgeCount(int port) const
{
    std::lock_guard lock(m_mutex);
    return LineOf(port).purgeCount;
}

std::unique_ptr<ComDevice> SimulatedComBackend::Open(int port, QString *error)
{
    std::lock_guard lock(m_mutex);
    Line &line = LineOf(port);
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

bool SimulatedComBackend::Present(int port)
{
    std::lock_guard lock(m_mutex);
    const Line &line = LineOf(port);
    return line.present && !line.unplugged && !line.open && port >= 1 && port <= 16;
}

bool SimulatedComBackend::CtsInputUsable(int port)
{
    std::lock_guard lock(m_mutex);
    return LineOf(port).ctsUsable;
}
