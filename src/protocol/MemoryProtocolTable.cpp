#include "protocol/MemoryProtocolTable.h"

MemoryProtocolTable::MemoryProtocolTable(int colCount, int rowCount)
    : m_colCount(std::max(colCount, 1))
    , m_rowCount(std::max(rowCount, 1))
{ }

void MemoryProtocolTable::setRowCount(int value)
{
    m_rowCount = std::max(value, 1);
}

QString MemoryProtocolTable::cells(int col, int row) const
{
    if (row < 0 || row >= m_store.size() || col < 0)
        return QString();
    const QStringList &cells = m_store.at(row);
    return col < cells.size() ? cells.at(col) : QString();
}

QStringView MemoryProtocolTable::cellView(int col, int row) const
{
    if (row < 0 || row >= m_store.size() || col < 0)
        return {};
    const QStringList &cells = m_store.at(row);
    return col < cells.size() ? QStringView(cells.at(col)) : QStringView();
}

void MemoryProtocolTable::setCells(int col, int row, const QString &value)
{
    if (row < 0 || col < 0)
        return;
    if (row >= m_store.size()) {
        if (value.isEmpty())
            return;
        if (m_store.capacity() <= row)
            m_store.reserve(std::max<qsizetype>(row + 1, m_store.capacity() * 2));
        m_store.resize(row + 1);
    }
    QStringList &cells = m_store[row];
    if (col >= cells.size()) {
        if (value.isEmpty())
            return;
        // Rows are filled from the left; one allocation for the whole row.
        if (cells.isEmpty())
            cells.reserve(std::max(m_colCount, col + 1));
        cells.resize(col + 1);
    }
    cells[col] = value;
}

void MemoryProtocolTable::discardRowsFrom(int row)
{
    if (row < m_store.size())
        m_store.resize(std::max(row, 0));
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
