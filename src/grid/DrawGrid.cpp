#include "grid/DrawGrid.h"

DrawGrid::DrawGrid(QWidget *parent)
    : GridBase(parent)
{
}

void DrawGrid::drawCell(QPainter &, int col, int row, const QRect &rect, GridDrawState state)
{
    if (OnDrawCell)
        OnDrawCell(this, col, row, rect, state);
}

bool DrawGrid::selectCell(int col, int row)
{
    bool canSelect = true;
    if (OnSelectCell)
        OnSelectCell(this, col, row, canSelect);
    return canSelect;
}

void DrawGrid::columnMoved(int fromIndex, int toIndex)
{
    if (OnColumnMoved)
        OnColumnMoved(this, fromIndex, toIndex);
}

void DrawGrid::rowMoved(int fromIndex, int toIndex)
{
    if (OnRowMoved)
        OnRowMoved(this, fromIndex, toIndex);
}

QString DrawGrid::getEditText(int col, int row)
{
    QString value;
    if (OnGetEditText)
        OnGetEditText(this, col, row, value);
    return value;
}

void DrawGrid::setEditText(int col, int row, const QString &value)
{
    if (OnSetEditText)
        OnSetEditText(this, col, row, value);
}
