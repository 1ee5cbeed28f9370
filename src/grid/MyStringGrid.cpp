#include "MyStringGrid.h"

#include <QPainter>

#include <algorithm>

TMyStringGrid::TMyStringGrid(QWidget *parent)
    : TMyDrawGrid(parent)
{
}

void TMyStringGrid::setCells(int col, int row, const QString &text)
{
    if (m_store.Get(col, row) == text)
        return;
    m_store.Put(col, row, text);
    if (m_cellUpdate == 0 && !NowUpdating())
        InvalidateCell(col, row);
}

void TMyStringGrid::DiscardRowsFrom(int row)
{
    m_store.TruncateRows(std::max(row, 0));
    if (m_cellUpdate == 0 && !NowUpdating())
        InvalidateGrid();
}

void TMyStringGrid::setObjects(int col, int row, QObject *object)
{
    m_store.PutObject(col, row, object);
}

void TMyStringGrid::BeginCellUpdate()
{
    ++m_cellUpdate;
}

void TMyStringGrid::EndCellUpdate()
{
    if (m_cellUpdate > 0 && --m_cellUpdate == 0)
        InvalidateGrid();
}

void TMyStringGrid::DrawCell(QPainter &painter, int col, int row, const QRect &rect, TGridDrawState state)
{
    if (DefaultDrawing())
        painter.drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         Cells(col, row));
    TMyDrawGrid::DrawCell(painter, col, row, rect, state);
}

void TMyStringGrid::ColumnMoved(int fromIndex, int toIndex)
{
    m_store.MoveCol(fromIndex, toIndex);
    TMyDrawGrid::ColumnMoved(fromIndex, toIndex);
}

void TMyStringGrid::RowMoved(int fromIndex, int toIndex)
{
    m_store.MoveRow(fromIndex, toIndex);
    TMyDrawGrid::RowMoved(fromIndex, toIndex);
}

void TMyStringGrid::ColumnDeleted(int col)
{
    m_store.RemoveCol(col);
}

void TMyStringGrid::RowDeleted(int row)
{
    m_store.RemoveRow(row);
}

QString TMyStringGrid::GetEditText(int col, int row)
{
    QString value = Cells(col, row);
    if (OnGetEditText)
        OnGetEditText(this, col, row, value);
    return value;
}

void TMyStringGrid::SetEditText(int col, int row, const QString &value)
{
    setCells(col, row, value);
    TMyDrawGrid::SetEditText(col, row, value);
}
