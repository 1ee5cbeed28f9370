#include "MyDrawGrid.h"

TMyDrawGrid::TMyDrawGrid(QWidget *parent)
    : TMyCustomGrid(parent)
{
}

void TMyDrawGrid::DrawCell(QPainter &, int col, int row, const QRect &rect, TGridDrawState state)
{
    if (OnDrawCell)
        OnDrawCell(this, col, row, rect, state);
}

bool TMyDrawGrid::SelectCell(int col, int row)
{
    bool canSelect = true;
    if (OnSelectCell)
        OnSelectCell(this, col, row, canSelect);
    return canSelect;
}

void TMyDrawGrid::ColumnMoved(int fromIndex, int toIndex)
{
    if (OnColumnMoved)
        OnColumnMoved(this, fromIndex, toIndex);
}

void TMyDrawGrid::RowMoved(int fromIndex, int toIndex)
{
    if (OnRowMoved)
        OnRowMoved(this, fromIndex, toIndex);
}

QString TMyDrawGrid::GetEditText(int col, int row)
{
    QString value;
    if (OnGetEditText)
        OnGetEditText(this, col, row, value);
    return value;
}

void TMyDrawGrid::SetEditText(int col, int row, const QString &value)
{
    if (OnSetEditText)
        OnSetEditText(this, col, row, value);
}
