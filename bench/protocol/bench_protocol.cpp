// Figures for the protocol files: text save and load against one plain write and read
// of the same bytes, one autosave, workbook export and import (.xlsx as the program
// writes it, .ods as LibreOffice Calc writes a protocol).
#include "MemoryProtocolTable.h"
#include "ProtocolColumns.h"
#include "ProtocolText.h"
#include "SpreadsheetBridge.h"
#include "WorkbookPackages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <sys/resource.h>
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

// The protocol as LibreOffice Calc stores it in an .ods file: every cell a text cell
// with Calc's attributes, then one row repeated to the sheet's end.
QByteArray ProtocolAsOds(const TMemoryProtocolTable &table)
{
    QByteArray rows;
    for (int r = 0; r < table.RowCount(); ++r) {
        rows += "<table:table-row table:style-name=\"ro1\">";
        for (int c = 0; c < table.ColCount(); ++c) {
            const QString text = table.Cells(c, r);
            if (text.isEmpty())
                rows += "<table:table-cell/>";
            else
                rows += "<table:table-cell office:value-type=\"string\" calcext:value-type=\"string\"><text:p>"
                        + text.toHtmlEscaped().toUtf8() + "</text:p></table:table-cell>";
        }
        rows += "</table:table-row>";
    }
    rows += "<table:table-row table:style-name=\"ro1\" table:number-rows-repeated=\"948575\">"
            "<table:table-cell table:number-columns-repeated=\"1024\"/></table:table-row>";
    return WorkbookPackages::Ods(WorkbookPackages::OdsContent(rows));
}

// Processor time of this process and its finished children, in milliseconds.
double ProcessorTime()
{
    double ms = 0;
    for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        getrusage(who, &usage);
        ms += (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
              + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    }
    return ms;
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
    std::printf("workbook export, 100000 rows: %.0f ms\n", exportTime);

    const QString odsName = dir.filePath(QStringLiteral("bench.ods"));
    {
        QFile ods(odsName);
        if (!ods.open(QIODevice::WriteOnly) || ods.write(ProtocolAsOds(big)) <= 0)
            return 1;
    }
    for (const QString &name : {bookName, odsName}) {
        QList<QStringList> rows;
        const double processorBefore = ProcessorTime();
        const double importTime = Median(3, [&] { TSpreadsheetBridge::ReadWorkbook(name, 5, rows); });
        const double processorTime = (ProcessorTime() - processorBefore) / 3;
        std::printf("workbook import, 100000 rows, %s (%lld bytes): %.0f ms (target < 1500 ms), "
                    "processor time %.0f ms a run, %lld rows read back\n",
                    qPrintable(QFileInfo(name).suffix()), static_cast<long long>(QFileInfo(name).size()),
                    importTime, processorTime, static_cast<long long>(rows.size()));
    }
    return 0;
}
