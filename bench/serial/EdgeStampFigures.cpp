#include "EdgeStampFigures.h"

#include "EventWait.h"
#include "RaceClockRecorder.h"
#include "platform/ClockSource.h"
#include "serial/SerialPort.h"
#include "timing/RaceClock.h"
#include "timing/SerialTriggers.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

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

} // namespace

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(fraction * double(values.size())));
    return values[index];
}

void printFigures(const char *what, const std::vector<double> &values, const char *unit)
{
    if (values.empty())
        return;
    std::printf("  %-44s p50 %8.1f %s   p99 %8.1f %s   max %8.1f %s\n", what, percentile(values, 0.50), unit,
                percentile(values, 0.99), unit, *std::max_element(values.begin(), values.end()), unit);
}

void measureStamps(QCoreApplication &app, SerialBackend &backend, int portNo, const FinishLineSetter &setCts,
                   int crossings, int apartMs, int busyMs)
{
    StampRecordingClock stampClock;
    RaceClock clock(defaultClockSource());
    RaceClockRecorder host(clock);
    clock.setLockoutInterval(0);
    SerialTriggers triggers(clock);
    std::atomic<int> handled{0};
    std::vector<qint32> handledAt; // time of day when the interface thread got to the finish

    SerialPort port(nullptr, &backend);
    port.setPort(portNo);
    port.setEvents(eventSet(SerialEvent::Cts) | eventSet(SerialEvent::Dsr));
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
                setCts(on);
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

