#include "protocol/MemoryProtocolTable.h"

MemoryProtocolTable::MemoryProtocolTable(int colCount, int rowCount)
    : m_colCount(std::max(colCount, 1))
    , m_rowCount(std::max(rowCount, 1))
{ }

void MemoryProtocolTable::setRowCount(int value)
{
    m_rowCount = std::max(value, 1);
}

CellStore MemoryProtocolTable::takeCells()
{
    CellStore cells;
    std::swap(cells, m_store);
    return cells;
}

QList<QStringList> MemoryProtocolTable::rows() const
{
    QList<QStringList> rows;
    rows.reserve(m_rowCount);
    for (int r = 0; r < m_rowCount; ++r) {
        QStringList row;
        for (int c = 0; c < m_colCount; ++c)
            row.append(cells(c, r));
        rows.append(row);
    }
    return rows;
}
