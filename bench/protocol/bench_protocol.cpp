// Figures for the protocol files: the heap bytes a row takes in the cell store, text save against one plain write of the same bytes and
// against the floor of any durable save (the same bytes to a new file beside the target,
// synced and renamed over it), the text encoding alone, text load against decoding and splitting the same bytes, one autosave, workbook export
// and import.
#include "../ProcessMemory.h"
#include "../Timing.h"
#include "BenchTable.h"
#include "DurableWrite.h"
#include "platform/DurableFile.h"
#include "platform/TextCodec.h"
#include "protocol/MemoryProtocolTable.h"
#include "protocol/ProtocolColumns.h"
#include "protocol/ProtocolText.h"
#include "protocol/SpreadsheetBridge.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringTokenizer>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString textName = dir.filePath(QStringLiteral("bench.txt"));
    const QString plainName = dir.filePath(QStringLiteral("plain.txt"));

    const qint64 heapBefore = heapInUse();
    MemoryProtocolTable big;
    fillTable(big, 100000);
    if (heapBefore >= 0)
        std::printf("cell store, 100000 rows: %.0f bytes per row on the heap\n",
                    double(heapInUse() - heapBefore) / 100000);
    const QByteArray bytes = ProtocolText::encode(big);

    const QString floorName = dir.filePath(QStringLiteral("floor.txt"));
    // A plain write leaves dirty pages that the next fsync of the file system may have to
    // write too, so it does not run by turns with the synced saves. Freeing a replaced
    // file's blocks is left out of both: each finds no file to replace.
    std::vector<double> saveTimes;
    std::vector<double> floorTimes;
    for (int i = 0; i < 15; ++i) {
        QFile::remove(textName);
        saveTimes.push_back(timed([&] { ProtocolText::saveProtocolText(big, textName); }));
        QFile::remove(floorName);
        floorTimes.push_back(timed([&] { durableWrite(floorName, bytes); }));
    }
    const double save = medianOf(saveTimes);
    const double durableFloor = medianOf(floorTimes);
    const double plainWrite = median(9, [&] {
        QFile file(plainName);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(bytes);
    });
    const double plainRead = median(5, [&] {
        QFile file(plainName);
        if (file.open(QIODevice::ReadOnly))
            file.readAll();
    });
    const double encode = median(21, [&] { ProtocolText::encode(big); });
    // The reference does what any reader of the file has to do: decode the bytes and split
    // them into rows of cells.
    const std::vector<double> loadTimes = mediansByTurns(
        5, {[&] {
                MemoryProtocolTable table;
                ProtocolText::loadProtocolText(table, textName);
            },
            [&] {
            const QString text = TextCodec::decode(bytes);
            QList<QStringList> rows;
            for (const QStringView line : qTokenize(text, u"\r\n", Qt::SkipEmptyParts)) {
                QStringList cells;
                for (const QStringView cell : qTokenize(line, u'\t'))
                    cells.append(cell.toString());
                rows.append(std::move(cells));
            }
        }});
    const double load = loadTimes[0];
    const double reference = loadTimes[1];
    std::printf("text file, 100000 rows, %lld bytes\n", static_cast<long long>(bytes.size()));
    std::printf("  save %8.1f ms, plain write %6.1f ms, ratio %5.1f (target <= 3)\n", save, plainWrite,
                save / plainWrite);
    // The window saves the text it keeps for the autosave (bench_protocolpanel); this
    // save encodes first, as the replay command's does.
    std::printf("  plain write + fsync + rename (the floor of a durable save) %.1f ms: "
                "save with its encoding / floor %.2f\n",
                durableFloor, save / durableFloor);
    std::printf("  encoding of the 100000 rows %.2f ms (target <= 5)\n", encode);
    std::printf("  load %8.1f ms, decode and split %6.1f ms, ratio %5.1f (target <= 2); "
                "plain read %.1f ms\n",
                load, reference, load / reference, plainRead);

    MemoryProtocolTable autosave;
    fillTable(autosave, 10000);
    const double autosaveTime = median(9, [&] { ProtocolText::saveProtocolText(autosave, textName); });
    const double encodeTime = median(9, [&] { ProtocolText::encode(autosave); });
    const double syncTime = median(9, [&] {
        QFile file(plainName);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            file.write(bytes.left(300000));
            file.flush();
            QString ignored;
            syncToDisk(file, &ignored);
        }
    });
    std::printf("autosave, 10000 rows: %.2f ms (target < 10 ms); of it encoding %.2f ms, "
                "a plain synced write of 300 kB takes %.2f ms here\n",
                autosaveTime, encodeTime, syncTime);

    if (app.arguments().contains(QStringLiteral("--text-only")))
        return 0;
    const QString bookName = dir.filePath(QStringLiteral("bench.xlsx"));
    const double exportTime
        = median(3, [&] { SpreadsheetBridge::exportToSpreadsheet(big, bookName, QStringLiteral("Tivano")); });
    QList<QStringList> rows;
    const double importTime = median(3, [&] { SpreadsheetBridge::readWorkbook(bookName, 5, rows); });
    std::printf("workbook, 100000 rows: export %.0f ms, import %.0f ms (targets < 1500 ms), "
                "%lld rows read back\n",
                exportTime, importTime, static_cast<long long>(rows.size()));
    return 0;
}
