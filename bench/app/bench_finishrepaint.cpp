// How soon the protocol grid shows a key finish: the time from F4 going down (pressed
// through XTest) to the first damage the X server reports inside the grid's rectangle of
// the main window (XDamage), with a protocol of 1,000, 10,000 and 100,000 results loaded
// from the autosave at start and the race started with F5; and the window thread's longest
// stall meanwhile (a 1 ms timer on it). The keys and the damage go through an X connection
// of their own on a thread of their own; the clock digits' constant repaints lie outside
// the grid and are passed over. Run under X, e.g.
//   xvfb-run -a -s "-screen 0 1280x800x24" build/bench/app/bench_finishrepaint [finishes]
// (default 200 finishes per protocol size).
#include "../StallProbe.h"
#include "../protocol/BenchTable.h"
#include "app/MainWindow.h"
#include "platform/ClockSource.h"
#include "protocol/ProtocolFiles.h"
#include "protocol/ProtocolPanel.h"
#include "protocol/ProtocolText.h"
#include "serial/SimulatedSerialBackend.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTest>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <poll.h>
#include <random>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// What the window's thread tells the measuring thread: how many finishes the clock has
// taken, and when the grid's cells last began to paint.
struct WindowSide
{
    std::atomic<int> finishes{0};
    std::atomic<qint64> gridPaintNs{0};
};

class PaintWatch : public QObject
{
public:
    explicit PaintWatch(WindowSide &side)
        : m_side(side)
    {
    }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            m_side.gridPaintNs = nowNs();
        return false;
    }

private:
    WindowSide &m_side;
};

// Damage rectangles of the main window's X window, read on a connection of its own, and
// the keys pressed through XTest on the same connection.
class DamageWatch
{
public:
    ~DamageWatch()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }

    bool open()
    {
        m_display = XOpenDisplay(nullptr);
        if (!m_display)
            return false;
        int eventBase = 0, errorBase = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(m_display, &eventBase, &errorBase, &major, &minor)
            || !XDamageQueryExtension(m_display, &m_damageEventBase, &errorBase))
            return false;
        m_f4 = XKeysymToKeycode(m_display, XK_F4);
        m_f5 = XKeysymToKeycode(m_display, XK_F5);
        return m_f4 != 0 && m_f5 != 0;
    }

    // Damage of `window` reported from now on, a rectangle at a time, until unwatch() (to
    // be called while the window still exists).
    void watch(Window window)
    {
        m_damage = XDamageCreate(m_display, window, XDamageReportRawRectangles);
        drain();
    }

    void unwatch()
    {
        XDamageDestroy(m_display, m_damage);
        drain();
    }

    // F4 (the finish) or F5 (START) going down or up.
    void key(bool finishKey, bool down)
    {
        XTestFakeKeyEvent(m_display, finishKey ? m_f4 : m_f5, down ? True : False, 0);
        XFlush(m_display);
    }

    // The next damage rectangle, waiting at most until `deadlineNs`; false when none came.
    bool next(XRectangle &area, qint64 deadlineNs)
    {
        for (;;) {
            while (XPending(m_display) > 0) {
                XEvent event;
                XNextEvent(m_display, &event);
                if (event.type == m_damageEventBase + XDamageNotify) {
                    area = reinterpret_cast<XDamageNotifyEvent &>(event).area;
                    return true;
                }
            }
            const qint64 left = deadlineNs - nowNs();
            if (left <= 0)
                return false;
            pollfd connection{ConnectionNumber(m_display), POLLIN, 0};
            poll(&connection, 1, int(std::max<qint64>(1, left / 1000000)));
        }
    }

    // Passes over what came so far.
    void drain()
    {
        XRectangle damaged;
        XSync(m_display, False);
        while (next(damaged, 0)) {
        }
    }

    static bool meets(const XRectangle &damaged, const QRect &area)
    {
        return area.intersects(QRect(damaged.x, damaged.y, damaged.width, damaged.height));
    }

private:
    Display *m_display = nullptr;
    Damage m_damage = 0;
    int m_damageEventBase = 0;
    unsigned int m_f4 = 0;
    unsigned int m_f5 = 0;
};

struct Figures
{
    std::vector<double> ms; // F4 to the grid's first damage
    int missed = 0; // no grid damage within the timeout
    int early = 0; // grid damage before the clock had taken the finish (passed over)
    int paintedFirst = 0; // the grid's cells began to paint between the press and the damage
    double stallMs = 0;
    int idleDamage = 0; // all damage rectangles in a second with the race running, no key
    int idleGridDamage = 0; // ... of them in the grid's rectangle

    double at(double share) const { return ms[std::size_t(share * double(ms.size() - 1))]; }
};

// `finishes` F4 presses, each after the one before has shown in the grid: the key held
// 20-40 ms, then 20-40 ms up.
void measureFinishes(DamageWatch &watch, const QRect &grid, const WindowSide &side, int finishes, Figures &figures)
{
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> jitterUs(0, 20000);
    const int recordedBefore = side.finishes;
    for (int i = 0; i < finishes; ++i) {
        watch.drain();
        const qint64 pressed = nowNs();
        watch.key(true, true);
        const qint64 deadline = pressed + 3'000'000'000LL;
        XRectangle damaged;
        bool seen = false;
        while (!seen && watch.next(damaged, deadline)) {
            if (!DamageWatch::meets(damaged, grid))
                continue;
            const qint64 at = nowNs();
            if (side.finishes < recordedBefore + i + 1) {
                ++figures.early;
                continue;
            }
            seen = true;
            figures.ms.push_back(double(at - pressed) / 1e6);
            const qint64 painted = side.gridPaintNs;
            figures.paintedFirst += painted > pressed && painted <= at;
        }
        if (!seen)
            ++figures.missed;
        // The key held a while and let go, and a pause before the next, as an operator's
        // finger does: the window takes a press right after a release for a held key's
        // repeat.
        const qint64 hold = pressed + 20'000'000LL + jitterUs(random) * 1000LL;
        std::this_thread::sleep_for(std::chrono::nanoseconds(std::max<qint64>(0, hold - nowNs())));
        watch.key(true, false);
        std::this_thread::sleep_for(std::chrono::microseconds(20000 + jitterUs(random)));
    }
    std::sort(figures.ms.begin(), figures.ms.end());
}

bool runSize(int rows, int finishes, DamageWatch &watch, Figures &figures)
{
    QTemporaryDir home;
    MemoryProtocolTable table;
    fillTable(table, rows);
    if (!ProtocolText::saveProtocolText(
            table, ProtocolFiles::autosaveFileName(home.path(), QApplication::applicationName()))) {
        std::fprintf(stderr, "bench_finishrepaint: cannot write the autosave\n");
        return false;
    }
    SystemClockSource clocks;
    SimulatedSerialBackend serial;
    MainWindowEnvironment environment;
    environment.clocks = &clocks;
    environment.serialBackend = &serial;
    environment.settings = SettingsLocation::file(home.filePath(QStringLiteral("settings.conf")));
    environment.programFolder = home.path();
    environment.autosaveFolder = home.path();
    MainWindow window(environment);
    if (window.protocol().lastResultRow() != rows) {
        std::fprintf(stderr, "bench_finishrepaint: the autosave gave %d results, not %d\n",
                     window.protocol().lastResultRow(), rows);
        return false;
    }
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowExposed(&window) || !QTest::qWaitForWindowActive(&window)) {
        std::fprintf(stderr, "bench_finishrepaint: the window was not shown or did not get the keyboard\n");
        return false;
    }
    QTest::qWait(200);

    // The grid's rectangle in the X window's pixels; the window is a top-level X window
    // of its own and its widgets paint into it.
    ProtocolGrid *grid = window.protocol().grid();
    const qreal ratio = window.devicePixelRatioF();
    const QRect logical(grid->mapTo(&window, QPoint(0, 0)), grid->size());
    const QRect area(QPoint(qRound(logical.left() * ratio), qRound(logical.top() * ratio)),
                     QSize(qRound(logical.width() * ratio), qRound(logical.height() * ratio)));
    if (!grid->isVisible() || area.isEmpty() || !QRect(QPoint(0, 0), window.size() * ratio).contains(area)) {
        std::fprintf(stderr, "bench_finishrepaint: the grid is not visible in the window\n");
        return false;
    }

    WindowSide side;
    PaintWatch paints(side);
    grid->viewport()->installEventFilter(&paints);
    // The clock shows a finish's time just before it hands the finish on to the protocol.
    QObject::connect(&window.clock(), &RaceClock::timeShown, &window, [&side](DisplayRow row, qint32) {
        if (row == DisplayRow::Lower)
            ++side.finishes;
    });
    watch.watch(Window(window.winId()));

    watch.key(false, true); // START
    QTest::qWait(30);
    watch.key(false, false);
    QElapsedTimer waited;
    waited.start();
    while (!window.clock().running() && waited.elapsed() < 3000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    if (!window.clock().running()) {
        std::fprintf(stderr, "bench_finishrepaint: F5 did not start the race\n");
        return false;
    }

    // START repaints the grid's frame once; then a second of the race running with no key:
    // the damage comes from the clock, and none of it should lie in the grid.
    QTest::qWait(500);
    QEventLoop loop;
    std::thread idle([&] {
        watch.drain();
        XRectangle damaged;
        const qint64 end = nowNs() + 1'000'000'000LL;
        while (watch.next(damaged, end)) {
            ++figures.idleDamage;
            figures.idleGridDamage += DamageWatch::meets(damaged, area);
        }
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec();
    idle.join();

    StallProbe probe;
    std::thread measuring([&] {
        measureFinishes(watch, area, side, finishes, figures);
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec();
    probe.tick();
    measuring.join();
    figures.stallMs = probe.longestMs();
    grid->viewport()->removeEventFilter(&paints);
    watch.unwatch();
    window.clock().stop();
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tivano"));
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        std::fprintf(stderr, "bench_finishrepaint needs X: run it under xvfb-run\n");
        return 1;
    }
    DamageWatch watch;
    if (!watch.open()) {
        std::fprintf(stderr, "bench_finishrepaint: no display, or it lacks XTest or DAMAGE\n");
        return 1;
    }
    const int finishes = argc > 1 ? std::max(2, std::atoi(argv[1])) : 200;

    std::printf("F4 (XTest) to the first damage in the protocol grid's rectangle (XDamage), %d finishes each\n",
                finishes);
    for (const int rows : {1000, 10000, 100000}) {
        Figures figures;
        if (!runSize(rows, finishes, watch, figures))
            return 1;
        if (figures.ms.empty()) {
            std::printf("%6d rows: no finish showed in the grid (%d missed)\n", rows, figures.missed);
            continue;
        }
        std::printf("%6d rows: n=%zu  p50 %6.2f ms  p99 %6.2f ms  max %6.2f ms  min %6.2f ms  "
                    "window thread's longest stall %.1f ms\n",
                    rows, figures.ms.size(), figures.at(0.5), figures.at(0.99), figures.ms.back(), figures.ms.front(),
                    figures.stallMs);
        std::printf("            missed %d, grid damage before the finish was taken %d, grid paint begun "
                    "before the damage %d/%zu; idle second: %d damage rectangles, %d in the grid\n",
                    figures.missed, figures.early, figures.paintedFirst, figures.ms.size(), figures.idleDamage,
                    figures.idleGridDamage);
    }
    return 0;
}
