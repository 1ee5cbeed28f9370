// Figures for the sortable grid: sorting 100,000 rows against a plain stable sort
// of the same keys, painting a viewport at 100 and 100,000 rows, and the peak
// memory of a 100,000 x 5 grid of short texts. Prints figures only.

#include "grid/SortGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Rows = 100000;

long peakRssKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

QString shortText(QRandomGenerator &random, int col)
{
    switch (col) {
    case 0:
        return QStringLiteral("%1").arg(random.bounded(100000), 5, 10, QLatin1Char('0'));
    case 1:
        return QStringLiteral("1:%1,%2").arg(random.bounded(60)).arg(random.bounded(100));
    case 2: {
        static const char *const codes[] = {"GER", "AUT", "SUI", "ITA", "FRA"};
        return QLatin1String(codes[random.bounded(5)]);
    }
    case 3:
        return QStringLiteral("Lauf %1").arg(random.bounded(1000));
    default:
        return random.bounded(4) == 0 ? QStringLiteral("DNF") : QString();
    }
}

void fill(SortGrid &grid, int rows, quint32 seed)
{
    QRandomGenerator random(seed);
    grid.beginUpdate();
    grid.setRowCount(rows);
    grid.rowStrings(0) = QStringList{"Nr.", "Stoppzeit", "LKZ", "StNr.", "Stat"};
    for (int r = 1; r < rows; ++r)
        for (int c = 0; c < 5; ++c)
            grid.setCells(c, r, shortText(random, c));
    grid.endUpdate();
}

// Best of three runs of each, on fresh grids of the same content.
void benchSort(SortStyle style, const char *name, int col)
{
    double plainMs = 1e9;
    double gridMs = 1e9;
    for (int run = 0; run < 3; ++run) {
        SortGrid grid;
        fill(grid, Rows, 7);
        std::vector<QString> keys;
        keys.reserve(Rows);
        for (int r = 1; r < Rows; ++r)
            keys.push_back(grid.cells(col, r));

        QElapsedTimer timer;
        timer.start();
        std::stable_sort(keys.begin(), keys.end());
        plainMs = std::min(plainMs, double(timer.nsecsElapsed()) / 1e6);

        grid.sortOptions()->setSortStyle(style);
        timer.restart();
        grid.sortByColumn(col);
        gridMs = std::min(gridMs, double(timer.nsecsElapsed()) / 1e6);
    }
    std::printf(
        "sort %d rows x 5 by column %d, %-18s: %8.1f ms; plain std::stable_sort of the keys %7.1f ms; "
        "ratio %.2f\n",
        Rows, col, name, gridMs, plainMs, gridMs / plainMs);
}

double paintMs(int rows)
{
    SortGrid grid;
    grid.resize(800, 600);
    fill(grid, rows, 11);
    grid.sortOptions()->setSortCol(1);
    grid.show();
    QApplication::processEvents();
    QImage image(grid.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    constexpr int repeats = 50;
    grid.viewport()->render(&image); // warm up fonts and images
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < repeats; ++i)
        grid.viewport()->render(&image);
    return double(timer.nsecsElapsed()) / 1e6 / repeats;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    {
        const long before = peakRssKb();
        SortGrid grid;
        fill(grid, Rows, 3);
        const long after = peakRssKb();
        std::printf("peak RSS with a %d x 5 grid of short texts: %.1f MB (process before the grid: %.1f MB, "
                    "grid share %.1f MB)\n",
                    Rows, after / 1024.0, before / 1024.0, (after - before) / 1024.0);
    }

    benchSort(SortStyle::Normal, "SortStyle::Normal", 3);
    benchSort(SortStyle::NumericExtended, "SortStyle::NumericExtended", 3);
    benchSort(SortStyle::Normal, "SortStyle::Normal", 0);
    benchSort(SortStyle::Numeric, "SortStyle::Numeric", 0);

    const double small = paintMs(100);
    const double large = paintMs(Rows);
    std::printf("paint a full 800 x 600 viewport: %d rows %.3f ms, %d rows %.3f ms, ratio %.2f\n", 100, small,
                Rows, large, large / small);
    return 0;
}
