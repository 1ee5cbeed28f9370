#include "protocol/GridProtocolTable.h"

#include "grid/SortGrid.h"

GridProtocolTable::GridProtocolTable(SortGrid *grid)
    : m_grid(grid)
{ }

int GridProtocolTable::colCount() const
{
    return m_grid->colCount();
}

int GridProtocolTable::rowCount() const
{
    return m_grid->rowCount();
}

void GridProtocolTable::setRowCount(int value)
{
    m_grid->setRowCount(value);
}

QString GridProtocolTable::cells(int col, int row) const
{
    return m_grid->cells(col, row);
}

QStringView GridProtocolTable::cellView(int col, int row) const
{
    return m_grid->cellView(col, row);
}

void GridProtocolTable::rowViews(int row, std::span<QStringView> out) const
{
    m_grid->rowViews(row, out);
}

void GridProtocolTable::setCells(int col, int row, const QString &value)
{
    m_grid->setCells(col, row, value);
}

void GridProtocolTable::discardRowsFrom(int row)
{
    m_grid->discardRowsFrom(row);
}

void GridProtocolTable::beginUpdate()
{
    // The bracket is a flag: open it only when no one else has.
    m_ownsBracket = !m_grid->nowUpdating();
    if (m_ownsBracket)
        m_grid->beginUpdate();
}

void GridProtocolTable::endUpdate()
{
    if (m_ownsBracket)
        m_grid->endUpdate();
    m_ownsBracket = false;
}
