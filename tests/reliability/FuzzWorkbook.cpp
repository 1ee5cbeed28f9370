// The workbook import on any bytes and on damaged copies of a workbook the program
// exported: no crash, and the rows it hands over have at most the protocol's columns.
#include "FuzzScratch.h"

#include "MemoryProtocolTable.h"
#include "ProtocolColumns.h"
#include "SpreadsheetBridge.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

namespace {

using FuzzScratch::Folder;

std::string ExportedWorkbook(int rows)
{
    TMemoryProtocolTable table;
    for (int c = 0; c < table.ColCount(); ++c)
        table.setCells(c, 0, ProtocolColumns::ColumnTitles().at(c));
    table.setRowCount(rows + 1);
    for (int r = 1; r <= rows; ++r) {
        table.setCells(0, r, QStringLiteral("%1").arg(r, 5, 10, QLatin1Char('0')));
        table.setCells(1, r, QStringLiteral("1:%1,25").arg(r % 60));
        table.setCells(2, r, r % 2 ? QStringLiteral("AUT") : QStringLiteral("Ö"));
        table.setCells(3, r, QString::number(r * 3));
        table.setCells(4, r, r % 3 ? QString() : QStringLiteral("DNF"));
    }
    const QString path = Folder().filePath(QStringLiteral("seed.xlsx"));
    if (!TSpreadsheetBridge::ExportToSpreadsheet(table, path, ProtocolColumns::ApplicationTitle()))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    return FuzzScratch::Start(argc, argv);
}

void FuzzTeardown()
{
    FuzzScratch::Stop();
}

std::vector<std::string> FuzzSeeds()
{
    std::vector<std::string> seeds{"", "PK\x03\x04", std::string("PK\x05\x06", 4) + std::string(18, '\0')};
    for (int rows : {1, 12})
        seeds.push_back(ExportedWorkbook(rows));
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = Folder().filePath(QStringLiteral("input.xlsx"));
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write the file");
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    QList<QStringList> rows;
    QString error;
    const bool ok = TSpreadsheetBridge::ReadWorkbook(path, ProtocolColumns::Count, rows, &error);
    FUZZ_CHECK(ok || !error.isEmpty(), "a failed import without a reason");
    for (const QStringList &row : rows)
        FUZZ_CHECK(row.size() <= ProtocolColumns::Count, "a row wider than the protocol");
    if (ok && rows.size() < 5000) {
        TMemoryProtocolTable table;
        TSpreadsheetBridge::ApplyWorkbookRows(table, rows);
        FUZZ_CHECK(table.RowCount() >= 1, "the title row is gone");
    }
    return 0;
}
