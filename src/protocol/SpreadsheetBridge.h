#pragma once

#include "platform/IsolatedCall.h"
#include "protocol/ProtocolTable.h"

#include <QList>
#include <QString>
#include <QStringList>

// How long a workbook's parse may take, how much memory it may take beyond what its
// process starts with, and how large the file may be. A protocol of 100,000 rows parses
// in about a second.
struct WorkbookParseLimits
{
    int timeoutMs = 60000;
    qint64 memory = qint64(2) << 30;
    qint64 fileSize = qint64(256) << 20;
};

// Workbook files for the protocol: export writes an .xlsx workbook, import reads the
// first worksheet of an .xlsx or .ods workbook.
class SpreadsheetBridge
{
public:
    // Writes the whole table (title row first, empty data rows included) into a new
    // workbook: row 1 bold with a medium border, thin borders on every cell, columns
    // fitted to their longest text, author "Korvano Software", subject and sheet name
    // `title`. The file appears complete or not at all. Returns false and sets *error.
    static bool exportToSpreadsheet(const ProtocolTable &table, const QString &fileName, const QString &title,
                                    QString *error = nullptr);

    // Reads the first `colCount` columns of the first worksheet up to the first row whose
    // column A is empty. Returns at least one row (the sheet's first row) of `colCount`
    // texts; numbers, times and dates come back as text ("12,5", "00:25:13,45",
    // "07.05.2025"). Returns false and sets *error when the file cannot be read as a
    // workbook or a cell of the table cannot be converted. The file is parsed in a
    // separate process within `limits`; a parse that outgrows them ends with an error.
    // Setting `*cancelled` ends the parse soon; it then returns false with no error.
    static bool readWorkbook(const QString &fileName, int colCount, QList<QStringList> &rows,
                             QString *error = nullptr, const WorkbookParseLimits &limits = {},
                             const std::atomic<bool> *cancelled = nullptr);

    // The parse that readWorkbook runs isolated; a program that imports workbooks serves it
    // (serveIsolatedTask) first thing in main().
    static IsolatedTask workbookParseTask();

    // Replaces the table with rows read by readWorkbook: rowCount becomes the number of
    // rows, the cells of every column are overwritten and no row beyond them keeps text.
    static void applyWorkbookRows(ProtocolTable &table, const QList<QStringList> &rows);
};
