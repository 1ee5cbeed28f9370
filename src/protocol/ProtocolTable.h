#pragma once

#include <QString>
#include <QStringList>

// The protocol's cells as the file formats see them: ColCount columns by RowCount rows of
// text, row 0 the title row. The store behind it is sparse: cells outside the current
// RowCount can be read and keep their text when the row count shrinks and grows back,
// until DiscardRowsFrom drops them.
// The grid implements it for the program; tests and benchmarks use a plain in-memory table.
class TProtocolTable
{
public:
    virtual ~TProtocolTable() = default;

    virtual int ColCount() const = 0;
    virtual int RowCount() const = 0;
    virtual void setRowCount(int value) = 0;
    virtual QString Cells(int col, int row) const = 0;
    // The same text without a copy, for reading a whole table quickly; valid until the
    // table changes.
    virtual QStringView CellView(int col, int row) const = 0;
    virtual void setCells(int col, int row, const QString &value) = 0;
    // Empties every row from `row` on, also the rows kept beyond RowCount.
    virtual void DiscardRowsFrom(int row) = 0;

    // Brackets a long run of writes; the grid suspends painting meanwhile.
    virtual void BeginUpdate() {}
    virtual void EndUpdate() {}

    // Empties every cell of the row.
    void ClearRow(int row);

    // Row index of the latest result: RowCount - 1 when cell (0, 1) holds text, else 0.
    int ResultCountFromTable() const;
};
