// The window's thread while the protocol panel loads a protocol file of 1,000,000 rows and
// imports a workbook of as many, as the operator does during a race: the longest time
// between two ticks of a 1 ms timer on that thread, the load's end (putting the table in
// place, the autosave, the journal's copy of it) included (target <= 50 ms). Also the heap
// the loaded protocol holds per row: cells, grid and the text kept for the autosave.
//   bench_tableload [rows]   (default 1,000,000)
#include "../ProcessMemory.h"
#include "../StallProbe.h"
#include "BenchTable.h"
#include "journal/RaceJournal.h"
#include "protocol/ProtocolAutosaver.h"
#include "protocol/ProtocolFileCommands.h"
#include "protocol/ProtocolPanel.h"
#include "protocol/ProtocolText.h"
#include "protocol/SpreadsheetBridge.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

struct Measured
{
    double totalMs = 0;
    double longestStallMs = 0;
    bool ok = false;
};

// Runs `load` (which runs the event loop itself while it waits) with a 1 ms timer ticking.
Measured measure(const std::function<bool()> &load)
{
    StallProbe probe;
    Measured measured;
    measured.ok = load();
    probe.tick(); // the stretch from the last tick to the load's end
    measured.totalMs = probe.elapsedMs();
    measured.longestStallMs = probe.longestMs();
    return measured;
}

void print(const char *what, qint64 bytes, const Measured &measured, int results)
{
    std::printf("%s (%.0f MB): %s in %.0f ms, %d results, longest stall of the window's thread %.1f ms\n",
                what, double(bytes) / 1e6, measured.ok ? "loaded" : "FAILED", measured.totalMs, results,
                measured.longestStallMs);
}

} // namespace

int main(int argc, char *argv[])
{
    if (const std::optional<int> served
        = serveIsolatedTask(argc, argv, {SpreadsheetBridge::workbookParseTask()}))
        return *served;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int rows = argc > 1 ? std::max(1000, std::atoi(argv[1])) : 1000000;
    QTemporaryDir folder;
    MemoryProtocolTable table;
    fillTable(table, rows);
    const QString text = folder.filePath(QStringLiteral("Protokoll.txt"));
    const QString workbook = folder.filePath(QStringLiteral("Protokoll.xlsx"));
    if (!ProtocolText::saveProtocolText(table, text)
        || !SpreadsheetBridge::exportToSpreadsheet(table, workbook, QStringLiteral("Tivano"))) {
        std::fprintf(stderr, "bench_tableload: cannot write the input files\n");
        return 1;
    }

    ProtocolPanel panel;
    panel.autosaver().setFolder(folder.path());
    panel.resize(600, 400);
    panel.show();
    // The journal records each load as the program's window has it do.
    RaceJournal journal(panel.table());
    journal.setFolder(folder.path());
    journal.recordProgramStart(QStringLiteral("bench"));
    QObject::connect(
        &panel.files(), &ProtocolFileCommands::protocolLoaded,
        [&journal](bool isWorkbook, const QString &name, const ProtocolSnapshot::EncodedRows &read) {
            journal.recordLoad(isWorkbook, name, read);
        });
    QApplication::processEvents();
    const qint64 heapBefore = heapInUse();
    const Measured loaded = measure([&] { return panel.files().loadProtocolText(text); });
    print("protocol file", QFileInfo(text).size(), loaded, panel.lastResultRow());
    panel.autosaver().waitUntilWritten();
    journal.waitForProtocolCopy();
    if (heapBefore >= 0)
        std::printf("the loaded protocol holds %.0f bytes per row on the heap (target < 250)\n",
                    double(heapInUse() - heapBefore) / rows);
    panel.clearTable();
    const Measured imported = measure([&] { return panel.files().importFromSpreadsheet(workbook); });
    print("workbook import", QFileInfo(workbook).size(), imported, panel.lastResultRow());
    journal.waitForProtocolCopy();
    if (journal.failed())
        std::printf("the journal could not be written: %s\n", qPrintable(journal.errorString()));
    std::printf("target: longest stall <= 50 ms\n");
    return 0;
}
