#include "grid/SortCompare.h"
#include "grid/SortGrid.h"

#include <QSet>

#include <algorithm>

// ---- sorting -------------------------------------------------------------------

void SortGrid::sortByColumn(int col)
{
    if (!m_sortOptions->canSort())
        return;
    m_sortOptions->setSortCol(col);
    beginUpdate();
    col = sortKeyColumn(col);

    QSet<int> selection;
    for (const QString &s : std::as_const(m_selectedRows))
        selection.insert(s.toInt());

    QStringList keyTexts = m_sortOptions->secondaryIndex().split(QLatin1Char(','));
    if (m_sortOptions->secondaryIndex().isEmpty())
        keyTexts.clear();
    const qsizetype own = keyTexts.indexOf(QString::number(col));
    if (own >= 0)
        keyTexts.removeAt(own);
    std::vector<int> keys{col};
    for (const QString &t : std::as_const(keyTexts)) {
        int k = 0;
        if (SortCompare::tryStrToInt(t, k) && k >= 0)
            keys.push_back(k);
    }

    const int cols = colCount();
    const int rows = rowCount();
    // The working order: working row i is grid row order[i]. The grid is not
    // written until the primary key is sorted, so the keys are read from it.
    std::vector<int> order(static_cast<size_t>(rows));
    for (int r = 0; r < rows; ++r)
        order[size_t(r)] = r;

    const QLocale locale;
    for (int k = int(keys.size()) - 1; k >= 0; --k) {
        const int keyCol = keys[size_t(k)];
        m_sortedList.clear();
        m_sortedList.reserve(rows);
        for (int i = 1; i < rows; ++i)
            m_sortedList.add(i, cellView(keyCol, order[size_t(i)]));
        m_sortOptions->setSortStyle(sortStyle(keyCol));
        m_sortedList.sort(*m_sortOptions, locale);
        std::vector<int> sorted(static_cast<size_t>(rows));
        for (int n = 0; n < m_sortedList.count(); ++n)
            sorted[size_t(n) + 1] = order[size_t(m_sortedList.row(n))];
        order = std::move(sorted);
        if (k == 0) {
            const std::vector<int> sources(order.begin() + 1, order.end());
            store().permuteRows(1, sources, cols);
            bool first = true;
            for (int n = 0; n < int(sources.size()); ++n) {
                if (!selection.contains(sources[size_t(n)]))
                    continue;
                if (first) {
                    first = false;
                    setSelection(GridRect{currentCol(), n + 1, currentCol(), n + 1});
                    m_selectedRows.clear();
                    m_anchorRows.clear();
                }
                m_selectedRows << QString::number(n + 1);
                m_anchorRows << QString::number(n + 1);
            }
        }
    }
    m_sortedList.clear();
    m_sortOptions->setSortCompare(SortCompareFunction());
    Q_EMIT sortFinished(keys.front());
    endUpdate();
}

SortStyle SortGrid::sortStyle(int col) const
{
    const SortStyle style = m_sortOptions->sortStyle();
    return style == SortStyle::Automatic ? detectSortStyle(col) : style;
}

int SortGrid::sortKeyColumn(int col) const
{
    return col;
}

SortStyle SortGrid::detectSortStyle(int col) const
{
    const QLocale locale;
    bool number = true;
    bool time = true;
    bool dateTime = true;
    for (int r = 1; r < rowCount() && (number || time || dateTime); ++r) {
        const QString text = cells(col, r);
        double v = 0;
        if (number && !SortCompare::tryStrToFloat(text, locale, v))
            number = false;
        if (time && !SortCompare::parseTime(text, locale, v))
            time = false;
        if (dateTime && !SortCompare::tryStrToDateTime(text, locale, v))
            dateTime = false;
    }
    if (number)
        return SortStyle::Numeric;
    if (dateTime)
        return SortStyle::DateTime;
    if (time)
        return SortStyle::Time;
    return SortStyle::Normal;
}
