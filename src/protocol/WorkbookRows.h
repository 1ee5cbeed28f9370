#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Collects the rows a workbook import keeps from the first worksheet: the first
// `colCount` columns of every row, down to the first row whose column A is empty. The
// first row is always kept, as the title row. A reader hands over rows in ascending
// order and asks Wants() before it converts a cell, so cells the protocol never shows
// are neither converted nor able to fail.
class WorkbookRows
{
public:
    // The row capacity of a worksheet; rows past it are not read.
    static constexpr qint64 MaxRows = 1048576;

    explicit WorkbookRows(int colCount);

    int colCount() const { return m_colCount; }
    // True once the table has ended; a reader stops there.
    bool ended() const { return m_ended; }

    // Starts worksheet row `row` (0-based). Rows skipped since the last one are empty,
    // which ends the table. False when the table has ended.
    bool beginRow(qint64 row);
    // True when the cell at `col` of the current row belongs to the table.
    bool wants(qint64 col) const;
    void setCell(int col, const QString &text);
    // Ends the current row, which the worksheet repeats `repeat` times in all.
    void endRow(qint64 repeat = 1);

    // The worksheet row the next beginRow() expects when none is skipped.
    qint64 nextRow() const { return m_nextRow; }
    QList<QStringList> takeRows();

    // "B7": the cell's name as a spreadsheet shows it (0-based row and column).
    static QString cellName(qint64 row, qint64 col);
    // "Zelle B7: <reason>": the message for a cell that cannot be converted.
    static QString cellError(qint64 row, qint64 col, const QString &reason);

private:
    void keep(const QStringList &cells);

    int m_colCount;
    QList<QStringList> m_rows;
    QStringList m_current;
    qint64 m_nextRow = 0;
    bool m_ended = false;
};
