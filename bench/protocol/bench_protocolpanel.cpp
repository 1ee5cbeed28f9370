// Figures for the protocol as the operator has it: the grid behind the protocol panel.
// Loading a 100,000-row protocol file, and one finish with its autosave at 10,000 rows.
#include "ProtocolPanel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Median of several runs of work, each after an untimed prepare, in milliseconds.
double Median(int runs, const std::function<void()> &work, const std::function<void()> &prepare = {})
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void Finish(TProtocolPanel &panel, int n)
{
    panel.setResultCount(panel.ResultCount() + 1);
    panel.AddResultRow(QStringLiteral("1:%1,%2").arg(n % 60).arg(n % 100, 2, 10, QLatin1Char('0')),
                       n % 2 ? QStringLiteral("GER") : QStringLiteral("AUT"));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    TProtocolPanel panel;
    panel.setAutosaveFolder(dir.path());
    panel.resize(600, 400);
    panel.InitProtocolTable();
    panel.show();

    for (int n = 1; n <= 100000; ++n)
        Finish(panel, n);
    const QString file = dir.filePath(QStringLiteral("big.txt"));
    panel.SaveProtocolText(file);

    // Into an empty protocol, as after a start of the program.
    const double load = Median(5, [&] { panel.LoadProtocolText(file); }, [&] { panel.ResetProtocol(); });
    std::printf("protocol panel, load of a 100000-row file into the grid: %.1f ms\n", load);

    panel.ResetProtocol();
    for (int n = 1; n < 10000; ++n)
        Finish(panel, n);
    int n = 10000;
    const double finish = Median(9, [&] { Finish(panel, n++); });
    const double autosave = Median(9, [&] { panel.Autosave(); });
    std::printf("protocol panel at 10000 rows: one finish into the grid %.3f ms, its autosave %.2f ms\n",
                finish, autosave);
    return 0;
}
