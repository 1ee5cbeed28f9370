#pragma once

#include "grid/SortGrid.h"

#include <QStringList>

// Fills column by column from a list of rows (row 0 is the title).
inline void fillGrid(SortGrid &grid, const QList<QStringList> &rows)
{
    grid.beginUpdate();
    grid.setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows.at(r).size(); ++c)
            grid.setCells(c, r, rows.at(r).at(c));
    grid.endUpdate();
}

// One column titled "Key" with the given texts below the title.
inline void fillKeyColumn(SortGrid &grid, const QStringList &keys)
{
    QList<QStringList> rows{{"Key"}};
    for (const QString &k : keys)
        rows << QStringList{k};
    fillGrid(grid, rows);
}

// The texts of one column from row 1 on.
inline QStringList dataColumn(SortGrid &grid, int col)
{
    QStringList texts;
    for (int r = 1; r < grid.rowCount(); ++r)
        texts << grid.cells(col, r);
    return texts;
}
