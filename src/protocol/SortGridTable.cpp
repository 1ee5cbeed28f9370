#include "SortGridTable.h"

#include "SortGrid.h"

TSortGridTable::TSortGridTable(TSortGrid *grid)
    : FGrid(grid)
{
}

int TSortGridTable::ColCount() const
{
    return FGrid->ColCount();
}

int TSortGridTable::RowCount() const
{
    return FGrid->RowCount();
}

void TSortGridTable::setRowCount(int value)
{
    FGrid->setRowCount(value);
}

QString TSortGridTable::Cells(int col, int row) const
{
    return FGrid->Cells(col, row);
}

QStringView TSortGridTable::CellView(int col, int row) const
{
    return FGrid->CellView(col, row);
}

void TSortGridTable::setCells(int col, int row, const QString &value)
{
    FGrid->setCells(col, row, value);
}

void TSortGridTable::DiscardRowsFrom(int row)
{
    FGrid->DiscardRowsFrom(row);
}

void TSortGridTable::BeginUpdate()
{
    // The bracket is a flag: open it only when no one else has.
    FOwnsBracket = !FGrid->NowUpdating();
    if (FOwnsBracket)
        FGrid->BeginUpdate();
}

void TSortGridTable::EndUpdate()
{
    if (FOwnsBracket)
        FGrid->EndUpdate();
    FOwnsBracket = false;
}
