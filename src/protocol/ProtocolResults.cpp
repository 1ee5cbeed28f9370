#include "protocol/ProtocolResults.h"

namespace ProtocolResults {

QString resultNumber(int row)
{
    return QStringLiteral("%1").arg(row, 5, 10, QLatin1Char('0'));
}

QStringList resultCells(int row, const QString &timeText, const QString &countryCode,
                        const QString &startNumber)
{
    return {resultNumber(row), timeText, countryCode, startNumber, QString()};
}

void writeResult(ProtocolTable &table, int row, const QString &timeText, const QString &countryCode,
                 const QString &startNumber)
{
    if (table.rowCount() <= row)
        table.setRowCount(row + 1);
    const QStringList cells = resultCells(row, timeText, countryCode, startNumber);
    for (int c = 0; c < table.colCount(); ++c)
        table.setCells(c, row, c < cells.size() ? cells.at(c) : QString());
}

namespace {

void copyRow(ProtocolTable &table, int from, int to)
{
    for (int c = 0; c < table.colCount(); ++c) {
        const QStringView text = table.cellView(c, from);
        if (text != table.cellView(c, to))
            table.setCells(c, to, text.toString());
    }
}

void numberResults(ProtocolTable &table, int from, int to)
{
    for (int r = from; r <= to; ++r)
        table.setCells(0, r, resultNumber(r));
}

} // namespace

int deleteResult(ProtocolTable &table, int row, int lastResult)
{
    const int rows = table.rowCount();
    table.beginUpdate();
    if (rows <= 2) {
        table.clearRow(1);
    } else {
        for (int r = row; r + 1 < rows; ++r)
            copyRow(table, r + 1, r);
        table.setRowCount(rows - 1);
        table.discardRowsFrom(rows - 1);
    }
    numberResults(table, row, lastResult - 1);
    table.endUpdate();
    return lastResult - 1;
}

int insertResult(ProtocolTable &table, int row, int lastResult)
{
    // The grid's rule: a row inserted at the last one follows it.
    if (row >= lastResult)
        row = lastResult + 1;
    const int rows = table.rowCount() + 1;
    table.beginUpdate();
    table.setRowCount(rows);
    for (int r = rows - 1; r > row; --r)
        copyRow(table, r - 1, r);
    table.clearRow(row);
    numberResults(table, row, lastResult + 1);
    table.endUpdate();
    return row;
}

void emptyResults(ProtocolTable &table)
{
    table.setRowCount(2);
    table.discardRowsFrom(1);
}

void copyTable(const ProtocolTable &from, ProtocolTable &to)
{
    to.beginUpdate();
    to.setRowCount(from.rowCount());
    to.discardRowsFrom(from.rowCount());
    const int cols = std::min(from.colCount(), to.colCount());
    for (int r = 0; r < from.rowCount(); ++r) {
        for (int c = 0; c < cols; ++c) {
            const QStringView text = from.cellView(c, r);
            if (text != to.cellView(c, r))
                to.setCells(c, r, text.toString());
        }
    }
    to.endUpdate();
}

} // namespace ProtocolResults
