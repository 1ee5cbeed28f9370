// Light-barrier timing through the simulated port: how long after an edge the
// monitor stamps it, and how far a recorded finish lies from the edge's time
// of day, with the interface thread idle and with it blocked 300 ms after
// every finish (a slow autosave); then the cost of closing the port, the
// sampling interval without counters, and the CPU the waits cost.

#include "EdgeStampFigures.h"
#include "serial/PosixSerialBackend.h"
#include "serial/SerialPort.h"
#include "serial/SimulatedSerialBackend.h"

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

constexpr int PortNo = 1;

// Without counters the monitor samples the lines: looks per second.
void measureSampling()
{
    SimulatedSerialBackend backend;
    backend.setCounters(PortNo, false);
    SerialPort port(nullptr, &backend);
    port.setPort(PortNo);
    port.setEvents(eventSet(SerialEvent::Cts) | eventSet(SerialEvent::Dsr));
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
    port.setEvents(eventSet(SerialEvent::Cts) | eventSet(SerialEvent::Dsr));
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
    port.setEvents(eventSet(SerialEvent::Cts) | eventSet(SerialEvent::Dsr));
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
    SimulatedSerialBackend simulated;
    const auto setCts = [&simulated](bool on) { simulated.setCts(PortNo, on); };
    measureStamps(app, simulated, PortNo, setCts, 1000, 1, 0);
    measureStamps(app, simulated, PortNo, setCts, 20, 100, 300);
    measureSampling();
    measureClose(simulated, "simulated");
    measurePollingCost();
    return 0;
}
