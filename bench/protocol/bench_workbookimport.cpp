// Workbook import of a protocol of 100,000 rows, as the program runs it (parsed in its
// isolated process): from the .xlsx the program writes and from an .ods as LibreOffice
// Calc writes one. Prints wall time and processor time, this process's and the parse's.
#include "BenchTable.h"
#include "WorkbookPackages.h"
#include "protocol/MemoryProtocolTable.h"
#include "protocol/ProtocolColumns.h"
#include "protocol/SpreadsheetBridge.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int Results = 100000;
constexpr int Runs = 3;

// The protocol as LibreOffice Calc stores it in an .ods file: every cell a text cell
// with Calc's attributes, then one row repeated to the sheet's end.
QByteArray protocolAsOds(const MemoryProtocolTable &table)
{
    QByteArray rows;
    for (int r = 0; r < table.rowCount(); ++r) {
        rows += "<table:table-row table:style-name=\"ro1\">";
        for (int c = 0; c < table.colCount(); ++c) {
            const QString text = table.cells(c, r);
            if (text.isEmpty())
                rows += "<table:table-cell/>";
            else
                rows
                    += "<table:table-cell office:value-type=\"string\" calcext:value-type=\"string\"><text:p>"
                    + text.toHtmlEscaped().toUtf8() + "</text:p></table:table-cell>";
        }
        rows += "</table:table-row>";
    }
    rows += "<table:table-row table:style-name=\"ro1\" table:number-rows-repeated=\"948575\">"
            "<table:table-cell table:number-columns-repeated=\"1024\"/></table:table-row>";
    return WorkbookPackages::ods(WorkbookPackages::odsContent(rows));
}

// Processor time of this process and its finished children, in milliseconds.
double processorTime()
{
    double ms = 0;
    for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        getrusage(who, &usage);
        ms += double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
            + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    }
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    MemoryProtocolTable table;
    fillTable(table, Results);
    const QString xlsx = dir.filePath(QStringLiteral("protocol.xlsx"));
    const QString ods = dir.filePath(QStringLiteral("protocol.ods"));
    QFile odsFile(ods);
    if (!SpreadsheetBridge::exportToSpreadsheet(table, xlsx, QStringLiteral("Tivano"))
        || !odsFile.open(QIODevice::WriteOnly) || odsFile.write(protocolAsOds(table)) <= 0)
        return 1;
    odsFile.close();

    for (const QString &name : {xlsx, ods}) {
        std::vector<double> times;
        QList<QStringList> rows;
        const double processorBefore = processorTime();
        for (int i = 0; i < Runs; ++i) {
            QElapsedTimer timer;
            timer.start();
            SpreadsheetBridge::readWorkbook(name, ProtocolColumns::Count, rows);
            times.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        std::sort(times.begin(), times.end());
        std::printf("workbook import, %d rows, %s (%lld bytes): %.0f ms (target < 1500 ms), "
                    "processor time %.0f ms a run, %lld rows read back\n",
                    Results, qPrintable(QFileInfo(name).suffix()),
                    static_cast<long long>(QFileInfo(name).size()), times[times.size() / 2],
                    (processorTime() - processorBefore) / Runs, static_cast<long long>(rows.size()));
    }
    return 0;
}
