#include "protocol/WorkbookRows.h"

#include <algorithm>

WorkbookRows::WorkbookRows(int colCount)
    : m_colCount(std::max(colCount, 1))
{ }

bool WorkbookRows::beginRow(qint64 row)
{
    while (!m_ended && m_nextRow < row)
        keep(QStringList(m_colCount)); // a row the worksheet leaves out is empty
    if (m_ended)
        return false;
    m_current = QStringList(m_colCount);
    return true;
}

bool WorkbookRows::wants(qint64 col) const
{
    if (m_ended || col < 0 || col >= m_colCount)
        return false;
    // A data row whose column A is empty ends the table; its other cells are not read.
    return col == 0 || m_nextRow == 0 || !m_current.constFirst().isEmpty();
}

void WorkbookRows::setCell(int col, const QString &text)
{
    m_current[col] = text;
}

void WorkbookRows::endRow(qint64 repeat)
{
    for (qint64 i = 0; i < repeat && !m_ended; ++i)
        keep(m_current);
}

void WorkbookRows::keep(const QStringList &cells)
{
    if (m_nextRow > 0 && cells.constFirst().isEmpty()) {
        m_ended = true;
        return;
    }
    m_rows.append(cells);
    ++m_nextRow;
    m_ended = m_nextRow >= MaxRows || cells.constFirst().isEmpty();
}

QList<QStringList> WorkbookRows::takeRows()
{
    if (m_rows.isEmpty())
        m_rows.append(QStringList(m_colCount)); // an empty worksheet still has its first row
    return std::move(m_rows);
}

QString WorkbookRows::cellError(qint64 row, qint64 col, const QString &reason)
{
    return QStringLiteral("Zelle %1: %2").arg(cellName(row, col), reason);
}

QString WorkbookRows::cellName(qint64 row, qint64 col)
{
    QString letters;
    for (qint64 c = col + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + char16_t((c - 1) % 26)));
    return letters + QString::number(row + 1);
}
