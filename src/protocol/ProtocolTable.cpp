#include "ProtocolTable.h"

void TProtocolTable::AssignRowParts(int row, const QStringList &parts)
{
    ClearRow(row);
    const int cols = ColCount();
    const int n = std::min<qsizetype>(parts.size(), cols);
    for (int c = 0; c < n; ++c) {
        const QString &part = parts.at(c);
        setCells(c, row, part.isEmpty() ? QStringLiteral(" ") : part);
    }
}

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
