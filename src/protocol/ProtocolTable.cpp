#include "protocol/ProtocolTable.h"

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
