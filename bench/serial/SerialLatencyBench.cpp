// Trigger latency from a CTS change reported by the simulated backend to the
// moment the ZIEL command reads the time of day, the cost of closing the port,
// and the CPU the polling wait costs while nothing happens.

#include "ClockSource.h"
#include "Comms.h"
#include "PosixComBackend.h"
#include "RaceClock.h"
#include "RecordingRaceClockHost.h"
#include "SerialTriggers.h"
#include "SimulatedComBackend.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <stdlib.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int PortNo = 1;
constexpr int Triggers = 1000;

// Notes the moment the time of day is read.
class RecordingClock final : public ClockSource
{
public:
    mutable std::atomic<qint64> readAt{0};
    mutable std::atomic<int> reads{0};

    quint32 TickCount() const override { return 0; }
    qint32 TimeOfDayMs() const override
    {
        readAt.store(SteadyClock::now().time_since_epoch().count());
        reads.fetch_add(1);
        return 0;
    }
};

double Percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(fraction * double(values.size())));
    return values[index];
}

template<typename Predicate>
void SpinUntil(Predicate done)
{
    while (!done())
        std::this_thread::yield();
}

void MeasureTriggerLatency(QCoreApplication &app)
{
    SimulatedComBackend backend;
    RecordingRaceClockHost host;
    RecordingClock clocks;
    RaceClock clock(host, clocks);
    clock.setLockoutInterval(0);
    SerialTriggers triggers(clock);
    std::atomic<int> handled{0};

    TComPort port(nullptr, &backend);
    port.setPort(PortNo);
    port.setEvents(EventSet(evCTS) | EventSet(evDSR));
    port.OnCTS = [&](TComPort *sender) {
        triggers.ComPortCTS(sender->ModemStatus());
        handled.fetch_add(1);
    };
    port.Open();
    triggers.setAuto(true);
    clock.mStartClick();

    std::vector<double> latencies;
    latencies.reserve(Triggers);
    std::thread driver([&] {
        for (int i = 0; i < Triggers; ++i) {
            for (bool on : {true, false}) {
                const int before = handled.load();
                backend.WaitUntilWaiting(PortNo, backend.WaitCount(PortNo));
                const qint64 changedAt = SteadyClock::now().time_since_epoch().count();
                backend.SetCts(PortNo, on);
                SpinUntil([&] { return handled.load() > before; });
                if (on) {
                    const auto ns = std::chrono::nanoseconds(clocks.readAt.load() - changedAt);
                    latencies.push_back(std::chrono::duration<double, std::micro>(ns).count());
                }
            }
        }
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    app.exec();
    driver.join();
    port.Close();

    std::printf("trigger latency, simulated CTS change -> ZIEL reads the time, %zu triggers "
                "(%d recorded):\n",
                latencies.size(), host.resultCount);
    std::printf("  p50 %.1f us   p99 %.1f us   max %.1f us\n", Percentile(latencies, 0.50),
                Percentile(latencies, 0.99), *std::max_element(latencies.begin(), latencies.end()));
}

void MeasureClose(ComBackend &backend, const char *what)
{
    TComPort port(nullptr, &backend);
    port.setPort(PortNo);
    port.setEvents(EventSet(evCTS) | EventSet(evDSR));
    std::vector<double> durations;
    for (int i = 0; i < 200; ++i) {
        port.Open();
        const auto start = SteadyClock::now();
        port.Close();
        durations.push_back(
            std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count());
    }
    std::printf("Close with the monitor waiting, %s, 200 rounds: p50 %.3f ms   max %.3f ms\n",
                what, Percentile(durations, 0.5),
                *std::max_element(durations.begin(), durations.end()));
}

double ProcessCpuMs()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

// CPU per second of the whole process while the port waits and the interface
// thread sleeps.
double IdleCpuPerSecond(PosixComBackend &backend, bool open)
{
    TComPort port(nullptr, &backend);
    port.setPort(PortNo);
    port.setEvents(EventSet(evCTS) | EventSet(evDSR));
    if (open)
        port.Open();
    const double before = ProcessCpuMs();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const double used = ProcessCpuMs() - before;
    port.Close();
    return used / 2.0;
}

void MeasurePollingCost()
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::printf("polling cost: no pseudo-terminal available\n");
        return;
    }
    ComDeviceMap map;
    map.setPath(PortNo, QString::fromLocal8Bit(ptsname(master)));
    PosixComBackend backend(map);
    MeasureClose(backend, "pty");

    const double idle = IdleCpuPerSecond(backend, false);
    backend.setWaitMode(PosixComDevice::WaitMode::Polling);
    const double polling = IdleCpuPerSecond(backend, true);
    backend.setWaitMode(PosixComDevice::WaitMode::Auto);
    const double blocking = IdleCpuPerSecond(backend, true);
    std::printf("CPU while waiting (pty, 2 s each): nothing open %.2f ms/s, 1 ms polling "
                "%.2f ms/s, blocking wait %.2f ms/s\n",
                idle, polling, blocking);
    ::close(master);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    MeasureTriggerLatency(app);
    SimulatedComBackend simulated;
    MeasureClose(simulated, "simulated");
    MeasurePollingCost();
    return 0;
}
