#include "SimulatedComBackend.h"

#include <chrono>

struct SimulatedComBackend::Line
{
    bool present = true;
    bool ctsUsable = true;
    QString openError;
    QString configureError;
    bool open = false;
    int openCount = 0;
    int waitCount = 0;
    int purgeCount = 0;
    int lostWakes = 0;
    bool wake = false;
    bool unplugged = false;
    QString unplugError;
    quint32 status = 0;
    quint32 pending = 0;
    quint32 mask = 0;
    quint32 inQue = 0;
    ComLineSettings settings;
};

class SimulatedComBackend::Device final : public ComDevice
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
        std::lock_guard lock(m_backend.m_mutex);
        Line &line = m_backend.LineOf(m_port);
        line.mask = mask;
        line.pending = 0;
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

    ComWaitResult WaitEvent(quint32 *occurred, QString *error) override
    {
        std::unique_lock lock(m_backend.m_mutex);
        Line &line = m_backend.LineOf(m_port);
        ++line.waitCount;
        m_backend.m_changed.notify_all();
        m_backend.m_changed.wait(lock, [&line] {
            return line.wake || line.unplugged || (line.pending & line.mask) != 0;
        });
        if (line.unplugged) {
            *error = line.unplugError;
            return ComWaitResult::Failed;
        }
        if (line.wake) {
            line.wake = false;
            return ComWaitResult::Interrupted;
        }
        *occurred = line.pending & line.mask;
        line.pending = 0;
        return ComWaitResult::Events;
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
    SimulatedComBackend &m_backend;
    const int m_port;
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

void SimulatedComBackend::SetModemStatus(int port, quint32 status)
{
    std::lock_guard lock(m_mutex);
    Line &line = LineOf(port);
    const quint32 changed = line.status ^ status;
    line.status = status;
    if (changed & ModemLine::CtsOn)
        line.pending |= ComEvent::Cts;
    if (changed & ModemLine::DsrOn)
        line.pending |= ComEvent::Dsr;
    if (changed & ModemLine::RingOn)
        line.pending |= ComEvent::Ring;
    if (changed & ModemLine::RlsdOn)
        line.pending |= ComEvent::Rlsd;
    m_changed.notify_all();
}

void SimulatedComBackend::SetCts(int port, bool on)
{
    quint32 status;
    {
        std::lock_guard lock(m_mutex);
        status = LineOf(port).status;
    }
    SetModemStatus(port, on ? (status | ModemLine::CtsOn) : (status & ~ModemLine::CtsOn));
}

void SimulatedComBackend::SetDsr(int port, bool on)
{
    quint32 status;
    {
        std::lock_guard lock(m_mutex);
        status = LineOf(port).status;
    }
    SetModemStatus(port, on ? (status | ModemLine::DsrOn) : (status & ~ModemLine::DsrOn));
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

bool SimulatedComBackend::WaitUntilWaiting(int port, int count, int timeoutMs) const
{
    std::unique_lock lock(m_mutex);
    const Line &line = LineOf(port);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&line, count] { return line.waitCount >= count; });
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
