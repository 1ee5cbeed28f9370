#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Collects the rows a workbook import keeps from the first worksheet: the first
// `colCount` columns of every row, down to the first row whose column A is empty. The
// first row is always kept, as the title row. A reader hands over rows in ascending
// order and asks Wants() before it converts a cell, so cells the protocol never shows
// are neither converted nor able to fail.
class TWorkbookRows
{
public:
    // The row capacity of a worksheet; rows past it are not read.
    static constexpr qint64 MaxRows = 1048576;

    explicit TWorkbookRows(int colCount);

    int ColCount() const { return FColCount; }
    // True once the table has ended; a reader stops there.
    bool Ended() const { return FEnded; }

    // Starts worksheet row `row` (0-based). Rows skipped since the last one are empty,
    // which ends the table. False when the table has ended.
    bool BeginRow(qint64 row);
    // True when the cell at `col` of the current row belongs to the table.
    bool Wants(qint64 col) const;
    void SetCell(int col, const QString &text);
    // Ends the current row, which the worksheet repeats `repeat` times in all.
    void EndRow(qint64 repeat = 1);

    // The worksheet row the next BeginRow() expects when none is skipped.
    qint64 NextRow() const { return FNextRow; }
    QList<QStringList> TakeRows();

    // "B7": the cell's name as a spreadsheet shows it (0-based row and column).
    static QString CellName(qint64 row, qint64 col);
    // "Zelle B7: <reason>": the message for a cell that cannot be converted.
    static QString CellError(qint64 row, qint64 col, const QString &reason);

private:
    void Keep(const QStringList &cells);

    int FColCount;
    QList<QStringList> FRows;
    QStringList FCurrent;
    qint64 FNextRow = 0;
    bool FEnded = false;
};
