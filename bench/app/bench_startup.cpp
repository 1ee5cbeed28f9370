// Start-up to the first painted main window with a 10,000-row autosave file, the first
// start in a folder and a later one: the first paint, the protocol in place (a large one
// is read after the window shows), the window thread's longest stall in the two seconds
// after, and the time START then takes (journaled before it returns).
#include "../StallProbe.h"
#include "app/MainWindow.h"
#include "protocol/ProtocolPanel.h"
#include "widgets/CommandButton.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// Notes the first paint of the window's widgets.
class FirstPaint : public QObject
{
public:
    qint64 at = -1;
    const QElapsedTimer *clock = nullptr;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && at < 0)
            at = clock->nsecsElapsed();
        return false;
    }
};

void writeAutosave(const QString &path, int rows)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write("Nr.\tStoppzeit\tLKZ\tStNr.\tStat\t\r\n");
    for (int row = 1; row <= rows; ++row) {
        const int hundredths = 3600000 + row * 37;
        file.write(QStringLiteral("%1\t%2:%3.%4,%5\tGER\t%6\t \t\r\n")
                       .arg(row, 5, 10, QLatin1Char('0'))
                       .arg(hundredths / 360000)
                       .arg(hundredths / 6000 % 60, 2, 10, QLatin1Char('0'))
                       .arg(hundredths / 100 % 60, 2, 10, QLatin1Char('0'))
                       .arg(hundredths % 100, 2, 10, QLatin1Char('0'))
                       .arg(row)
                       .toLatin1());
    }
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tivano"));
    const int rows = argc > 1 ? std::atoi(argv[1]) : 10000;

    QTemporaryDir home;
    writeAutosave(home.filePath(QStringLiteral("Tivano.txt")), rows);
    MainWindowEnvironment environment;
    environment.settings = SettingsLocation::file(home.filePath(QStringLiteral("settings.conf")));
    environment.autosaveFolder = home.path();

    // The first start begins the journal with a copy of the protocol; a later one finds
    // the journal ending with it already and copies nothing.
    for (const char *start : {"first start", "later start"}) {
        QElapsedTimer clock;
        FirstPaint paint;
        paint.clock = &clock;
        clock.start();
        MainWindow window(environment);
        const qint64 created = clock.nsecsElapsed();
        window.installEventFilter(&paint);
        window.show();
        // A large autosave is read once the window shows; the commands wait for it.
        while (paint.at < 0 || !window.commandButton(RaceCommand::Start)->isEnabled())
            QApplication::processEvents();
        const qint64 ready = clock.nsecsElapsed();

        std::printf("%s: protocol rows loaded: %d\n", start, window.protocol().lastResultRow());
        std::printf("  window created: %.1f ms\n", double(created) / 1e6);
        std::printf("  first paint: %.1f ms (target < 500 ms)\n", double(paint.at) / 1e6);
        std::printf("  protocol in place, START offered: %.1f ms\n", double(ready) / 1e6);
        StallProbe probe;
        QElapsedTimer after;
        after.start();
        while (after.elapsed() < 2000)
            QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        std::printf("  longest stall of the window's thread in the 2 s after: %.1f ms\n", probe.longestMs());
        QElapsedTimer startTaken;
        startTaken.start();
        window.clock().start();
        std::printf("  START, journaled: %.1f ms\n", double(startTaken.nsecsElapsed()) / 1e6);
        window.clock().stop();
    }
    return 0;
}
