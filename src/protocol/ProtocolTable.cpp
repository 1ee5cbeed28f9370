#include "ProtocolTable.h"

void TProtocolTable::ClearRow(int row)
{
    const int cols = ColCount();
    for (int c = 0; c < cols; ++c) {
        if (!Cells(c, row).isEmpty())
            setCells(c, row, QString());
    }
}

int TProtocolTable::ResultCountFromTable() const
{
    return Cells(0, 1).isEmpty() ? 0 : RowCount() - 1;
}
