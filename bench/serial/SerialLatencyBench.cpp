// Light-barrier timing through the simulated port: how long after an edge the
// monitor stamps it, and how far a recorded finish lies from the edge's time
// of day, with the interface thread idle and with it blocked 300 ms after
// every finish (a slow autosave); then the cost of closing the port, the
// sampling interval without counters, and the CPU the waits cost.

#include "EventWait.h"
#include "RaceClockRecorder.h"
#include "platform/ClockSource.h"
#include "serial/PosixSerialBackend.h"
#include "serial/SerialPort.h"
#include "serial/SimulatedSerialBackend.h"
#include "timing/RaceClock.h"
#include "timing/SerialTriggers.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <stdlib.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int PortNo = 1;

// The machine's clocks, noting when the monitor reads the time of day for a stamp.
class StampRecordingClock final : public ClockSource
{
public:
    mutable std::atomic<qint64> readAt{0};
    mutable std::atomic<int> reads{0};

    quint32 tickCount() const override { return defaultClockSource().tickCount(); }
    qint32 timeOfDayMs() const override
    {
        readAt.store(SteadyClock::now().time_since_epoch().count());
        reads.fetch_add(1);
        return defaultClockSource().timeOfDayMs();
    }
};

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(fraction * double(values.size())));
    return values[index];
}

void printFigures(const char *what, const std::vector<double> &values, const char *unit)
{
    std::printf("  %-44s p50 %8.1f %s   p99 %8.1f %s   max %8.1f %s\n", what, percentile(values, 0.50), unit,
                percentile(values, 0.99), unit, *std::max_element(values.begin(), values.end()), unit);
}

// `crossings` finish crossings `apartMs` apart; the interface thread is blocked
// `busyMs` after every finish.
void measureStamps(QCoreApplication &app, int crossings, int apartMs, int busyMs)
{
    SimulatedSerialBackend backend;
    StampRecordingClock stampClock;
    RaceClock clock(defaultClockSource());
    RaceClockRecorder host(clock);
    clock.setLockoutInterval(0);
    SerialTriggers triggers(clock);
    std::atomic<int> handled{0};
    std::vector<qint32> handledAt; // time of day when the interface thread got to the finish

    SerialPort port(nullptr, &backend);
    port.setPort(PortNo);
    port.setEvents(eventSet(evCTS) | eventSet(evDSR));
    port.setClockSource(&stampClock);
    triggers.listenTo(port);
    // After the triggers have recorded the finish.
    QObject::connect(&port, &SerialPort::ctsChanged, &triggers, [&](quint32 status) {
        if (status & ModemLine::CtsOn) {
            handledAt.push_back(defaultClockSource().timeOfDayMs());
            if (busyMs > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(busyMs));
        }
        handled.fetch_add(1);
    });
    port.open();
    triggers.setAuto(true);
    clock.start();

    std::vector<double> stampUs;
    std::vector<qint32> edges;
    std::thread driver([&] {
        for (int i = 0; i < crossings; ++i) {
            for (bool on : {true, false}) {
                const int reads = stampClock.reads.load();
                const qint32 edgeTime = defaultClockSource().timeOfDayMs();
                const qint64 edgeAt = SteadyClock::now().time_since_epoch().count();
                backend.setCts(PortNo, on);
                if (!spinUntil([&] { return stampClock.reads.load() > reads; }, 60000))
                    std::abort(); // the monitor thread never stamped the edge
                if (on) {
                    const auto ns = std::chrono::nanoseconds(stampClock.readAt.load() - edgeAt);
                    stampUs.push_back(std::chrono::duration<double, std::micro>(ns).count());
                    edges.push_back(edgeTime);
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(apartMs));
        }
        if (!spinUntil([&] { return handled.load() == 2 * crossings; }, 60000))
            std::abort(); // the interface thread never took the finishes
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    app.exec();
    driver.join();
    port.close();

    // The lower row shows each finish's recorded time.
    std::vector<qint32> recorded;
    for (const auto &[row, ms] : host.shown) {
        if (row == DisplayRow::Lower)
            recorded.push_back(ms);
    }
    std::vector<double> errorMs;
    std::vector<double> lateMs;
    for (size_t i = 0; i < recorded.size() && i < edges.size(); ++i) {
        errorMs.push_back(double(recorded[i] - edges[i]));
        lateMs.push_back(double(handledAt[i] - edges[i]));
    }
    std::printf("%d finish crossings %d ms apart, interface thread %s (%d recorded, %llu lost):\n", crossings,
                apartMs,
                busyMs > 0 ? qPrintable(QStringLiteral("blocked %1 ms after each finish").arg(busyMs))
                           : "idle",
                host.resultCount, static_cast<unsigned long long>(port.lostEvents()));
    printFigures("edge -> stamp on the monitor thread", stampUs, "us");
    printFigures("recorded finish time - edge time of day", errorMs, "ms");
    printFigures("(the interface thread got to it after)", lateMs, "ms");
}

// Without counters the monitor samples the lines: looks per second.
void measureSampling()
{
    SimulatedSerialBackend backend;
    backend.setCounters(PortNo, false);
    SerialPort port(nullptr, &backend);
    port.setPort(PortNo);
    port.setEvents(eventSet(evCTS) | eventSet(evDSR));
    port.open();
    const int before = backend.lookCount(PortNo);
    const auto start = SteadyClock::now();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const int looks = backend.lookCount(PortNo) - before;
    const double seconds = std::chrono::duration<double>(SteadyClock::now() - start).count();
    port.close();
    std::printf("sampling without counters: %.0f looks/s, one every %.0f us (a 2 ms pulse "
                "spans at least %d)\n",
                looks / seconds, 1e6 * seconds / looks, int(2000.0 / (1e6 * seconds / looks)));
}

void measureClose(SerialBackend &backend, const char *what)
{
    SerialPort port(nullptr, &backend);
    port.setPort(PortNo);
    port.setEvents(eventSet(evCTS) | eventSet(evDSR));
    std::vector<double> durations;
    for (int i = 0; i < 200; ++i) {
        port.open();
        const auto start = SteadyClock::now();
        port.close();
        durations.push_back(std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count());
    }
    std::printf("Close with the monitor waiting, %s, 200 rounds: p50 %.3f ms   max %.3f ms\n", what,
                percentile(durations, 0.5), *std::max_element(durations.begin(), durations.end()));
}

double processCpuMs()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

// CPU per second of the whole process while the port waits and the interface
// thread sleeps.
double idleCpuPerSecond(PosixSerialBackend &backend, bool open)
{
    SerialPort port(nullptr, &backend);
    port.setPort(PortNo);
    port.setEvents(eventSet(evCTS) | eventSet(evDSR));
    if (open)
        port.open();
    const double before = processCpuMs();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const double used = processCpuMs() - before;
    port.close();
    return used / 2.0;
}

void measurePollingCost()
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::printf("polling cost: no pseudo-terminal available\n");
        return;
    }
    SerialDeviceMap map;
    map.setPath(PortNo, QString::fromLocal8Bit(ptsname(master)));
    PosixSerialBackend backend(map);
    measureClose(backend, "pty");

    const double idle = idleCpuPerSecond(backend, false);
    backend.setWaitMode(PosixSerialDevice::WaitMode::Polling);
    const double polling = idleCpuPerSecond(backend, true);
    backend.setWaitMode(PosixSerialDevice::WaitMode::Auto);
    const double blocking = idleCpuPerSecond(backend, true);
    std::printf("CPU while waiting (pty, 2 s each): nothing open %.2f ms/s, polling every "
                "0.5 ms %.2f ms/s, blocking wait %.2f ms/s\n",
                idle, polling, blocking);
    ::close(master);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    measureStamps(app, 1000, 1, 0);
    measureStamps(app, 20, 100, 300);
    measureSampling();
    SimulatedSerialBackend simulated;
    measureClose(simulated, "simulated");
    measurePollingCost();
    return 0;
}
