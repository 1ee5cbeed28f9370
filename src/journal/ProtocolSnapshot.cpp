#include "journal/ProtocolSnapshot.h"

#include "journal/JournalLine.h"

namespace ProtocolSnapshot {

QString encode(const ProtocolTable &table)
{
    return encodeRows(table, 0, table.rowCount());
}

QString encodeRows(const ProtocolTable &table, int first, int end)
{
    QString out;
    const int cols = table.colCount();
    for (int r = first; r < end; ++r) {
        if (r > 0)
            out += QLatin1Char('\n');
        for (int c = 0; c < cols; ++c) {
            if (c > 0)
                out += QLatin1Char('\t');
            JournalLine::appendEscaped(out, table.cellView(c, r));
        }
    }
    return out;
}

EncodedRows encodeResults(const ProtocolTable &table)
{
    const int rows = table.lastResultRowFromTable() + 1;
    return {encodeRows(table, 0, rows), rows};
}

void apply(QStringView text, ProtocolTable &table)
{
    table.beginUpdate();
    const QList<QStringView> rows = text.split(QLatin1Char('\n'));
    // A protocol keeps its title row and at least one result row.
    const int rowCount = std::max<int>(2, int(rows.size()));
    table.setRowCount(rowCount);
    table.discardRowsFrom(0);
    const int cols = table.colCount();
    for (int r = 0; r < rows.size(); ++r) {
        int c = 0;
        for (const QStringView cell : rows.at(r).split(QLatin1Char('\t'))) {
            if (c >= cols)
                break;
            if (!cell.isEmpty())
                table.setCells(c, r, JournalLine::unescape(cell.toString()).value_or(cell.toString()));
            ++c;
        }
    }
    table.endUpdate();
}

} // namespace ProtocolSnapshot
