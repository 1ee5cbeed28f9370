#pragma once

#include <QString>
#include <QStringList>

#include <span>

// The protocol's cells as the file formats see them: colCount columns by rowCount rows of
// text, row 0 the title row. The store behind it is sparse: cells outside the current
// rowCount can be read and keep their text when the row count shrinks and grows back,
// until discardRowsFrom drops them.
// The grid implements it for the program; tests and benchmarks use a plain in-memory table.
class ProtocolTable
{
public:
    virtual ~ProtocolTable() = default;

    virtual int colCount() const = 0;
    virtual int rowCount() const = 0;
    virtual void setRowCount(int value) = 0;
    virtual QString cells(int col, int row) const = 0;
    // The same text without a copy, for reading a whole table quickly; valid until the
    // table changes.
    virtual QStringView cellView(int col, int row) const = 0;
    // The views of columns 0 to out.size() - 1 of a row, in one call per row.
    virtual void rowViews(int row, std::span<QStringView> out) const;
    virtual void setCells(int col, int row, const QString &value) = 0;
    // Empties every row from `row` on, also the rows kept beyond rowCount.
    virtual void discardRowsFrom(int row) = 0;

    // Brackets a long run of writes; the grid suspends painting meanwhile.
    virtual void beginUpdate() { }
    virtual void endUpdate() { }

    // Empties every cell of the row.
    void clearRow(int row);

    // Row index of the latest result: rowCount - 1 when cell (0, 1) holds text, else 0.
    int lastResultRowFromTable() const;
};
