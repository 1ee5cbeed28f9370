// How far a key finish's recorded time lies from the moment the key went down, with the
// window idle and with the window's thread held 300 ms while the key waits in the queue.
// Real X key events: the key is pressed through the XTest extension from a thread of its
// own, while the window runs the race on the system clocks. Run under X, e.g.
//   xvfb-run -a -s "-screen 0 1280x800x24" build/bench/app/bench_keyfinish [presses] [--when-seen]
// --when-seen stamps each finish when the window sees the press, for comparison.
#include "app/MainWindow.h"
#include "platform/ClockSource.h"
#include "serial/SimulatedSerialBackend.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <dlfcn.h>
#include <thread>
#include <vector>

namespace {

using FakeKeyEvent = int (*)(Display *, unsigned int keycode, int isPress, unsigned long delay);

constexpr qint32 DayMs = 24 * 3600 * 1000;

// Presses and lets go of F4 through XTest; the time of day just before and just after the
// server took the press.
struct KeyPresser
{
    Display *display = nullptr;
    FakeKeyEvent fake = nullptr;
    unsigned int f4 = 0;

    bool open()
    {
        void *library = dlopen("libXtst.so.6", RTLD_NOW);
        fake = library ? reinterpret_cast<FakeKeyEvent>(dlsym(library, "XTestFakeKeyEvent")) : nullptr;
        display = XOpenDisplay(nullptr);
        if (display)
            f4 = XKeysymToKeycode(display, XK_F4);
        return fake && display && f4 != 0;
    }

    std::pair<qint32, qint32> press(const ClockSource &clocks)
    {
        const qint32 before = clocks.timeOfDayMs();
        fake(display, f4, True, 0);
        XSync(display, False);
        const qint32 after = clocks.timeOfDayMs();
        fake(display, f4, False, 0);
        XSync(display, False);
        return {before, after};
    }
};

struct Figures
{
    std::vector<double> errors; // ms, recorded minus pressed

    void print(const char *name)
    {
        std::sort(errors.begin(), errors.end());
        const auto at = [&](double share) { return errors[std::size_t(share * double(errors.size() - 1))]; };
        std::printf("%-26s n=%zu  p50 %6.1f ms  p99 %6.1f ms  max %6.1f ms  min %6.1f ms\n", name,
                    errors.size(), at(0.5), at(0.99), errors.back(), errors.front());
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tivano"));
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        std::fprintf(stderr, "bench_keyfinish needs X: run it under xvfb-run\n");
        return 1;
    }
    KeyPresser presser;
    if (!presser.open()) {
        std::fprintf(stderr, "bench_keyfinish: no XTest (libXtst.so.6) or no display\n");
        return 1;
    }
    const int presses = argc > 1 ? std::max(2, std::atoi(argv[1])) : 60;

    QTemporaryDir home;
    SystemClockSource clocks;
    SimulatedSerialBackend serial;
    MainWindowEnvironment environment;
    environment.clocks = &clocks;
    environment.serialBackend = &serial;
    environment.settings = SettingsLocation::file(home.filePath(QStringLiteral("settings.conf")));
    environment.programFolder = home.path();
    environment.autosaveFolder = home.path();
    environment.useEventStamps = !(argc > 2 && qstrcmp(argv[2], "--when-seen") == 0);
    MainWindow window(environment);
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) {
        std::fprintf(stderr, "bench_keyfinish: the window did not get the keyboard\n");
        return 1;
    }
    std::vector<qint32> recorded;
    QObject::connect(&window.clock(), &RaceClock::finishRecorded, &window,
                     [&](const RaceFinish &finish) { recorded.push_back(finish.timeOfDayMs); });
    window.clock().start();

    Figures idle;
    Figures blocked;
    for (int i = 0; i < presses; ++i) {
        const bool hold = i % 2 == 1;
        std::atomic<bool> holding{false};
        if (hold) {
            QTimer::singleShot(0, &window, [&holding] {
                holding = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
            });
        }
        std::pair<qint32, qint32> pressed;
        std::thread key([&] {
            while (hold && !holding)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            if (hold)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            pressed = presser.press(clocks);
        });
        QElapsedTimer waited;
        waited.start();
        while (recorded.size() < std::size_t(i + 1) && waited.elapsed() < 3000)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        key.join();
        if (recorded.size() < std::size_t(i + 1)) {
            std::fprintf(stderr, "bench_keyfinish: press %d recorded no finish\n", i + 1);
            return 1;
        }
        const double middle = (pressed.first + pressed.second) / 2.0;
        double error = recorded.back() - middle;
        error = error > DayMs / 2 ? error - DayMs : error < -DayMs / 2 ? error + DayMs : error;
        (hold ? blocked : idle).errors.push_back(error);
        // Presses a little apart, as finishes are.
        QTest::qWait(40);
    }
    std::printf("key finish: recorded time minus the moment F4 went down (XTest), stamped %s\n",
                environment.useEventStamps ? "with the X server's event time" : "when the window sees the press");
    idle.print("window idle");
    blocked.print("window held 300 ms");
    std::printf("target: |error| <= 2 ms with the window held 300 ms\n");
    return 0;
}
