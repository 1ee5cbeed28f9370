#include "WorkbookRows.h"

#include <algorithm>

TWorkbookRows::TWorkbookRows(int colCount)
    : FColCount(std::max(colCount, 1))
{
}

bool TWorkbookRows::BeginRow(qint64 row)
{
    while (!FEnded && FNextRow < row)
        Keep(QStringList(FColCount)); // a row the worksheet leaves out is empty
    if (FEnded)
        return false;
    FCurrent = QStringList(FColCount);
    return true;
}

bool TWorkbookRows::Wants(qint64 col) const
{
    if (FEnded || col < 0 || col >= FColCount)
        return false;
    // A data row whose column A is empty ends the table; its other cells are not read.
    return col == 0 || FNextRow == 0 || !FCurrent.constFirst().isEmpty();
}

void TWorkbookRows::SetCell(int col, const QString &text)
{
    FCurrent[col] = text;
}

void TWorkbookRows::EndRow(qint64 repeat)
{
    for (qint64 i = 0; i < repeat && !FEnded; ++i)
        Keep(FCurrent);
}

void TWorkbookRows::Keep(const QStringList &cells)
{
    if (FNextRow > 0 && cells.constFirst().isEmpty()) {
        FEnded = true;
        return;
    }
    FRows.append(cells);
    ++FNextRow;
    FEnded = FNextRow >= MaxRows || cells.constFirst().isEmpty();
}

QList<QStringList> TWorkbookRows::TakeRows()
{
    if (FRows.isEmpty())
        FRows.append(QStringList(FColCount)); // an empty worksheet still has its first row
    return std::move(FRows);
}

QString TWorkbookRows::CellError(qint64 row, qint64 col, const QString &reason)
{
    return QStringLiteral("Zelle %1: %2").arg(CellName(row, col), reason);
}

QString TWorkbookRows::CellName(qint64 row, qint64 col)
{
    QString letters;
    for (qint64 c = col + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + char16_t((c - 1) % 26)));
    return letters + QString::number(row + 1);
}
