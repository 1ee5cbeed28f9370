#include "grid/StringGrid.h"

#include <QPainter>

#include <algorithm>

StringGrid::StringGrid(QWidget *parent)
    : GridBase(parent)
{ }

void StringGrid::setCells(int col, int row, const QString &text)
{
    if (m_store.get(col, row) == text)
        return;
    m_store.put(col, row, text);
    if (m_cellUpdate == 0 && !nowUpdating())
        invalidateCell(col, row);
}

void StringGrid::discardRowsFrom(int row)
{
    m_store.truncateRows(std::max(row, 0));
    if (m_cellUpdate == 0 && !nowUpdating())
        invalidateGrid();
}

CellStore StringGrid::replaceCells(CellStore cells)
{
    std::swap(m_store, cells);
    if (m_cellUpdate == 0 && !nowUpdating())
        invalidateGrid();
    return cells;
}

void StringGrid::setObjects(int col, int row, QObject *object)
{
    m_store.putObject(col, row, object);
}

void StringGrid::beginCellUpdate()
{
    ++m_cellUpdate;
}

void StringGrid::endCellUpdate()
{
    if (m_cellUpdate > 0 && --m_cellUpdate == 0)
        invalidateGrid();
}

void StringGrid::drawCell(QPainter &painter, int col, int row, const QRect &rect, GridDrawState)
{
    if (defaultDrawing())
        painter.drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         cells(col, row));
}

void StringGrid::moveColumnData(int fromIndex, int toIndex)
{
    m_store.moveCol(fromIndex, toIndex);
}

void StringGrid::moveRowData(int fromIndex, int toIndex)
{
    m_store.moveRow(fromIndex, toIndex);
}

void StringGrid::removeColumnData(int col)
{
    m_store.removeCol(col);
}

void StringGrid::removeRowData(int row)
{
    m_store.removeRow(row);
}

QString StringGrid::getEditText(int col, int row)
{
    return cells(col, row);
}

void StringGrid::setEditText(int col, int row, const QString &value)
{
    setCells(col, row, value);
}
