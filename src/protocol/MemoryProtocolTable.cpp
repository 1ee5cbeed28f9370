#include "MemoryProtocolTable.h"

TMemoryProtocolTable::TMemoryProtocolTable(int colCount, int rowCount)
    : FColCount(std::max(colCount, 1))
    , FRowCount(std::max(rowCount, 1))
{
}

void TMemoryProtocolTable::setRowCount(int value)
{
    FRowCount = std::max(value, 1);
}

QString TMemoryProtocolTable::Cells(int col, int row) const
{
    if (row < 0 || row >= FStore.size() || col < 0)
        return QString();
    const QStringList &cells = FStore.at(row);
    return col < cells.size() ? cells.at(col) : QString();
}

QStringView TMemoryProtocolTable::CellView(int col, int row) const
{
    if (row < 0 || row >= FStore.size() || col < 0)
        return {};
    const QStringList &cells = FStore.at(row);
    return col < cells.size() ? QStringView(cells.at(col)) : QStringView();
}

void TMemoryProtocolTable::setCells(int col, int row, const QString &value)
{
    if (row < 0 || col < 0)
        return;
    if (row >= FStore.size()) {
        if (value.isEmpty())
            return;
        if (FStore.capacity() <= row)
            FStore.reserve(std::max<qsizetype>(row + 1, FStore.capacity() * 2));
        FStore.resize(row + 1);
    }
    QStringList &cells = FStore[row];
    if (col >= cells.size()) {
        if (value.isEmpty())
            return;
        // Rows are filled from the left; one allocation for the whole row.
        if (cells.isEmpty())
            cells.reserve(std::max(FColCount, col + 1));
        cells.resize(col + 1);
    }
    cells[col] = value;
}

void TMemoryProtocolTable::DiscardRowsFrom(int row)
{
    if (row < FStore.size())
        FStore.resize(std::max(row, 0));
}

QList<QStringList> TMemoryProtocolTable::Rows() const
{
    QList<QStringList> rows;
    rows.reserve(FRowCount);
    for (int r = 0; r < FRowCount; ++r) {
        QStringList row;
        for (int c = 0; c < FColCount; ++c)
            row.append(Cells(c, r));
        rows.append(row);
    }
    return rows;
}
