#pragma once

#include "grid/SortGrid.h"

#include <QMap>
#include <QSet>
#include <QStringList>

#include <tuple>

// A grid that answers the grid's questions from data a test sets and records what
// it was asked. Left alone it answers as the plain grid does.
class TestGrid : public SortGrid
{
public:
    using SortGrid::SortGrid;

    // The cell controls, by column; every drop-down cell offers `choices`.
    QSet<int> checkBoxColumns;
    QSet<int> comboBoxColumns;
    QSet<int> ellipsisColumns;
    ComboChoices choices;
    QMap<int, SortStyle> sortStyles; // sortStyle's answers for these columns
    int sortKeyColumnAnswer = -1; // sortKeyColumn's answer unless -1
    // A row passes the filter when its text in filterColumn is one of filterTexts.
    int filterColumn = 0;
    QStringList filterTexts;
    QSet<int> refusedColumns; // canSelectCell refuses these
    // validateCell's verdict: the edited text, or the replacement when one is set.
    bool acceptEdits = true;
    QString replacement;

    mutable QMap<QPair<int, int>, GridDrawState> formatStates;
    mutable QList<int> sortStylesAsked;
    mutable QList<QStringList> filterAsked;
    mutable QList<std::tuple<int, int, QString, QString>> validations; // col, row, old, new
    QList<QPair<int, int>> painted; // col, row
    int dragsStarted = 0;

    CellFormat cellFormat(int col, int row, GridDrawState state) const override
    {
        formatStates[qMakePair(col, row)] = state;
        CellFormat format = SortGrid::cellFormat(col, row, state);
        format.checkBox = checkBoxColumns.contains(col);
        format.comboBox = comboBoxColumns.contains(col);
        format.ellipsis = ellipsisColumns.contains(col);
        return format;
    }
    SortStyle sortStyle(int col) const override
    {
        sortStylesAsked << col;
        return sortStyles.value(col, SortGrid::sortStyle(col));
    }
    int sortKeyColumn(int col) const override { return sortKeyColumnAnswer >= 0 ? sortKeyColumnAnswer : col; }
    bool filterAcceptsRow(const QStringList &cells) const override
    {
        filterAsked << cells;
        return filterTexts.contains(cells.value(filterColumn));
    }
    ComboChoices comboChoices(int, int) const override { return choices; }
    CellValidation validateCell(int col, int row, const QString &oldText,
                                const QString &newText) const override
    {
        validations << std::make_tuple(col, row, oldText, newText);
        return {acceptEdits, replacement.isEmpty() ? newText : replacement};
    }
    bool canSelectCell(int col, int row) override
    {
        return !refusedColumns.contains(col) && SortGrid::canSelectCell(col, row);
    }

protected:
    void drawCell(QPainter &painter, int col, int row, const QRect &rect, GridDrawState state) override
    {
        painted << qMakePair(col, row);
        SortGrid::drawCell(painter, col, row, rect, state);
    }
    void startDrag() override { ++dragsStarted; }
};

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
