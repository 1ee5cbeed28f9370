#include "protocol/ProtocolTable.h"

void ProtocolTable::rowViews(int row, std::span<QStringView> out) const
{
    for (size_t c = 0; c < out.size(); ++c)
        out[c] = cellView(int(c), row);
}

void ProtocolTable::clearRow(int row)
{
    const int cols = colCount();
    for (int c = 0; c < cols; ++c) {
        if (!cells(c, row).isEmpty())
            setCells(c, row, QString());
    }
}

int ProtocolTable::lastResultRowFromTable() const
{
    return cells(0, 1).isEmpty() ? 0 : rowCount() - 1;
}
