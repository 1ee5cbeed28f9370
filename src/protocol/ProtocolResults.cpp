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
