// Figures for the protocol files: text save and load against one plain write and read
// of the same bytes, one autosave, workbook export and import.
#include "MemoryProtocolTable.h"
#include "ProtocolColumns.h"
#include "ProtocolText.h"
#include "SpreadsheetBridge.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <unistd.h>

namespace {

void FillTable(TMemoryProtocolTable &table, int results)
{
    table.setRowCount(results + 1);
    const QStringList &titles = ProtocolColumns::ColumnTitles();
    for (int c = 0; c < titles.size(); ++c)
        table.setCells(c, 0, titles.at(c));
    for (int r = 1; r <= results; ++r) {
        table.setCells(0, r, QStringLiteral("%1").arg(r, 5, 10, QLatin1Char('0')));
        table.setCells(1, r, QStringLiteral("1:%1.%2,%3").arg(r % 60).arg(r % 60, 2, 10, QLatin1Char('0')).arg(r % 100, 2, 10, QLatin1Char('0')));
        table.setCells(2, r, r % 2 ? QStringLiteral("GER") : QStringLiteral("\u00d6ST"));
        table.setCells(3, r, QString::number(r * 3));
    }
}

// Median of several runs, in milliseconds.
double Median(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString textName = dir.filePath(QStringLiteral("bench.txt"));
    const QString plainName = dir.filePath(QStringLiteral("plain.txt"));

    TMemoryProtocolTable big;
    FillTable(big, 100000);
    const QByteArray bytes = TProtocolText::Encode(big);

    const double plainWrite = Median(5, [&] {
        QFile file(plainName);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(bytes);
    });
    const double plainSyncedWrite = Median(5, [&] {
        QFile file(plainName);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            file.write(bytes);
            file.flush();
            ::fsync(file.handle());
        }
    });
    const double save = Median(5, [&] { TProtocolText::SaveProtocolText(big, textName); });
    const double plainRead = Median(5, [&] {
        QFile file(plainName);
        if (file.open(QIODevice::ReadOnly))
            file.readAll();
    });
    const double load = Median(5, [&] {
        TMemoryProtocolTable table;
        TProtocolText::LoadProtocolText(table, textName);
    });
    std::printf("text file, 100000 rows, %lld bytes\n", static_cast<long long>(bytes.size()));
    std::printf("  save %8.1f ms, plain write %6.1f ms, ratio %5.1f (target <= 3)\n", save,
                plainWrite, save / plainWrite);
    std::printf("  (plain write with fsync %.1f ms: save ratio to it %.1f)\n", plainSyncedWrite,
                save / plainSyncedWrite);
    std::printf("  load %8.1f ms, plain read  %6.1f ms, ratio %5.1f (target <= 5)\n", load,
                plainRead, load / plainRead);

    TMemoryProtocolTable autosave;
    FillTable(autosave, 10000);
    const double autosaveTime =
        Median(9, [&] { TProtocolText::SaveProtocolText(autosave, textName); });
    const double encodeTime = Median(9, [&] { TProtocolText::Encode(autosave); });
    const double syncTime = Median(9, [&] {
        QFile file(plainName);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            file.write(bytes.left(300000));
            file.flush();
            ::fsync(file.handle());
        }
    });
    std::printf("autosave, 10000 rows: %.2f ms (target < 10 ms); of it encoding %.2f ms, "
                "a plain synced write of 300 kB takes %.2f ms here\n",
                autosaveTime, encodeTime, syncTime);

    if (app.arguments().contains(QStringLiteral("--text-only")))
        return 0;
    const QString bookName = dir.filePath(QStringLiteral("bench.xlsx"));
    const double exportTime = Median(3, [&] {
        TSpreadsheetBridge::ExportToSpreadsheet(big, bookName, QStringLiteral("Tivano"));
    });
    QList<QStringList> rows;
    const double importTime = Median(3, [&] { TSpreadsheetBridge::ReadWorkbook(bookName, 5, rows); });
    std::printf("workbook, 100000 rows: export %.0f ms, import %.0f ms (targets < 1500 ms), "
                "%lld rows read back\n",
                exportTime, importTime, static_cast<long long>(rows.size()));
    return 0;
}
