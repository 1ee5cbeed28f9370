// Runs the race clock for ten seconds on the offscreen platform and prints how
// often the digits repaint and how much CPU the process used meanwhile.
#include "app/MainWindow.h"
#include "widgets/SevenSegmentDigit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <sys/resource.h>

namespace {

class PaintCounter : public QObject
{
public:
    long paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tivano"));
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;

    // A settings file and autosave folder of its own, so a run leaves the user's alone.
    QTemporaryDir home;
    MainWindowEnvironment environment;
    environment.settings = SettingsLocation::file(home.filePath(QStringLiteral("settings.conf")));
    environment.autosaveFolder = home.path();
    MainWindow window(environment);
    window.show();
    QApplication::processEvents();

    PaintCounter counter;
    for (SevenSegmentDigit *digit : window.findChildren<SevenSegmentDigit *>())
        digit->installEventFilter(&counter);

    window.clock().start();
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    // exit() rather than quit(): quit() would ask the running clock's close question.
    QTimer::singleShot(seconds * 1000, &application, [] { QCoreApplication::exit(0); });
    application.exec();
    const double elapsed = double(wall.elapsed()) / 1000.0;
    const double cpu = cpuSeconds() - cpuBefore;

    std::printf("running clock for %.1f s\n", elapsed);
    std::printf("digit repaints: %ld (%.1f per second; target <= 125)\n", counter.paints,
                double(counter.paints) / elapsed);
    std::printf("CPU: %.2f s (%.2f %% of one core; target < 3 %%)\n", cpu, 100.0 * cpu / elapsed);
    return 0;
}
