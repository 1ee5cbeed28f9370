// Figures for the protocol as the operator has it: the grid behind the protocol panel.
// Loading a 100,000-row protocol file, one finish with its autosave at 10,000 and at
// 100,000 rows, and a save of 100,000 rows against the floor of any durable save.
#include "../Timing.h"
#include "DurableWrite.h"
#include "protocol/ProtocolAutosaver.h"
#include "protocol/ProtocolFileCommands.h"
#include "protocol/ProtocolPanel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

void recordFinish(ProtocolPanel &panel, int n)
{
    panel.setLastResultRow(panel.lastResultRow() + 1);
    panel.addResultRow(QStringLiteral("1:%1,%2").arg(n % 60).arg(n % 100, 2, 10, QLatin1Char('0')),
                       n % 2 ? QStringLiteral("GER") : QStringLiteral("AUT"));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    ProtocolPanel panel;
    panel.autosaver().setFolder(dir.path());
    panel.resize(600, 400);
    panel.initProtocolTable();
    panel.show();

    for (int n = 1; n <= 100000; ++n)
        recordFinish(panel, n);
    const QString file = dir.filePath(QStringLiteral("big.txt"));
    panel.files().saveProtocolText(file);

    // Into an empty protocol, as after a start of the program.
    const double load = median(
        5, [&] { panel.files().loadProtocolText(file); }, [&] { panel.resetProtocol(); });
    std::printf("protocol panel, load of a 100000-row file into the grid: %.1f ms\n", load);

    panel.resetProtocol();
    for (int n = 1; n < 10000; ++n)
        recordFinish(panel, n);
    int n = 10000;
    const double finishMs = median(9, [&] { recordFinish(panel, n++); });
    const double autosave = median(9, [&] { panel.autosaver().autosave(); });
    std::printf("protocol panel at 10000 rows: one finish into the grid %.3f ms, its autosave %.2f ms\n",
                finishMs, autosave);

    // A finish as the window records it at 100,000 rows, its autosave asked for: the text
    // grows by one line, and the write runs beside the window's thread.
    panel.resetProtocol();
    for (n = 1; n < 100000; ++n)
        recordFinish(panel, n);
    panel.autosaver().autosave();
    const double recorded = median(9, [&] {
        panel.addFinish(QStringLiteral("1:%1,00").arg(n++ % 60), QStringLiteral("GER"), QString());
        panel.autosaver().saveInBackground();
    });
    QElapsedTimer written;
    written.start();
    panel.autosaver().waitUntilWritten();
    std::printf("protocol panel at 100000 rows: one finish with its autosave asked for %.2f ms on the "
                "window's thread; the last write done %.1f ms later\n",
                recorded, double(written.nsecsElapsed()) / 1e6);

    // "Speichern" as text, by turns with the floor; each finds no file to replace, so that
    // freeing the old one's blocks is left out of both.
    const QString saved = dir.filePath(QStringLiteral("saved.txt"));
    const QString floor = dir.filePath(QStringLiteral("floor.txt"));
    panel.files().saveProtocolText(saved);
    QFile savedFile(saved);
    const QByteArray bytes = savedFile.open(QIODevice::ReadOnly) ? savedFile.readAll() : QByteArray();
    std::vector<double> saveTimes;
    std::vector<double> floorTimes;
    for (int i = 0; i < 15; ++i) {
        saveTimes.push_back(
            timed([&] { panel.files().saveProtocolText(saved); }, [&] { QFile::remove(saved); }));
        floorTimes.push_back(timed([&] { durableWrite(floor, bytes); }, [&] { QFile::remove(floor); }));
    }
    const double save = medianOf(saveTimes);
    const double durableFloor = medianOf(floorTimes);
    std::printf("protocol panel at 100000 rows: save as text %.1f ms, plain write + fsync + rename of its "
                "%lld bytes %.1f ms: save / floor %.2f (target <= 1.5)\n",
                save, static_cast<long long>(bytes.size()), durableFloor, save / durableFloor);
    return 0;
}
