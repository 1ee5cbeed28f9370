#include "grid/StringGrid.h"

#include <QPainter>

#include <algorithm>

StringGrid::StringGrid(QWidget *parent)
    : DrawGrid(parent)
{
}

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

void StringGrid::drawCell(QPainter &painter, int col, int row, const QRect &rect, GridDrawState state)
{
    if (defaultDrawing())
        painter.drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         cells(col, row));
    DrawGrid::drawCell(painter, col, row, rect, state);
}

void StringGrid::columnMoved(int fromIndex, int toIndex)
{
    m_store.moveCol(fromIndex, toIndex);
    DrawGrid::columnMoved(fromIndex, toIndex);
}

void StringGrid::rowMoved(int fromIndex, int toIndex)
{
    m_store.moveRow(fromIndex, toIndex);
    DrawGrid::rowMoved(fromIndex, toIndex);
}

void StringGrid::columnDeleted(int col)
{
    m_store.removeCol(col);
}

void StringGrid::rowDeleted(int row)
{
    m_store.removeRow(row);
}

QString StringGrid::getEditText(int col, int row)
{
    QString value = cells(col, row);
    if (OnGetEditText)
        OnGetEditText(this, col, row, value);
    return value;
}

void StringGrid::setEditText(int col, int row, const QString &value)
{
    setCells(col, row, value);
    DrawGrid::setEditText(col, row, value);
}
