#pragma once

#include "grid/RowCells.h"

#include <QString>

#include <span>
#include <vector>

class QObject;

// The cell store of the string grid: texts and object references addressed by
// column and row, independent of the grid's column and row counts. Rows are kept
// in a vector, each with its texts in one allocation (RowCells), so that a grid of many
// rows of a few short texts stays small and whole rows move cheaply.
class CellStore
{
public:
    QString get(int col, int row) const;
    // The stored text without a copy; valid until the store changes.
    QStringView view(int col, int row) const;
    // The views of columns 0 to out.size() - 1 of a row, for reading many rows quickly.
    void rowViews(int row, std::span<QStringView> out) const;
    void put(int col, int row, const QString &text);
    QObject *object(int col, int row) const;
    void putObject(int col, int row, QObject *object);

    // Number of row slots in use (one past the highest row ever written).
    int rowSlots() const { return int(m_rows.size()); }

    // Moves the row at index from to index to; the rows between shift by one.
    void moveRow(int from, int to);
    // Moves the cell at column from to column to within every stored row.
    void moveCol(int from, int to);
    // Inserts an empty row at index row; the rows from there on move down.
    void insertRow(int row);
    // Removes the row at index row; the rows below move up.
    void removeRow(int row);
    // Inserts an empty column at col in every stored row.
    void insertCol(int col);
    // Removes the column at col from every stored row.
    void removeCol(int col);
    // Empties the cells and objects of a row.
    void clearRow(int row);
    // Drops every row from index `first` on.
    void truncateRows(int first);
    void clear();

    // Rearranges rows first, first + 1, ...: destination first + n receives the
    // cells and objects of columns 0 to colCount - 1 of row sources[n]; the cells
    // from colCount on stay with their row index. Sources must be a permutation
    // of first .. first + sources.size() - 1.
    void permuteRows(int first, const std::vector<int> &sources, int colCount);

    // Changes with every change of the cells: two stores of one version hold the same
    // cells, so that text made from them can be kept until the version moves on.
    quint64 version() const { return m_version; }

    // Whole-row access for bulk operations; columns 0 to count - 1.
    std::vector<QString> takeRowCells(int row, int count) const;
    void putRowCells(int row, const std::vector<QString> &cells);

private:
    struct Row
    {
        RowCells cells;
        std::vector<QObject *> objects; // empty unless an object was stored
    };
    Row &ensureRow(int row);
    void noteChange();

    std::vector<Row> m_rows;
    quint64 m_version = 0;
};
