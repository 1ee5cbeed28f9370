#include "grid/SortGrid.h"

#include "grid/SortCompare.h"

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
        for (int i = 1; i < rows; ++i) {
            SortedListEntry entry;
            entry.key = cells(keyCol, order[size_t(i)]);
            entry.row = i;
            entry.options = m_sortOptions.get();
            m_sortedList.add(std::move(entry));
        }
        m_sortOptions->setSortStyle(sortStyle(keyCol));
        const SortStyle style = m_sortOptions->sortStyle();
        const bool lower = !m_sortOptions->sortCaseSensitive();
        for (SortedListEntry &e : m_sortedList.entries()) {
            if (lower)
                e.key = SortCompare::lowerCaseAZ(e.key);
            switch (style) {
            case ssNumeric:
                e.valid = SortCompare::tryStrToFloat(e.key, locale, e.value);
                break;
            case ssDateTime:
                e.valid = SortCompare::tryStrToDateTime(e.key, locale, e.value);
                break;
            case ssTime:
                e.valid = SortCompare::tryStrToTime(e.key, locale, e.value);
                break;
            default:
                break;
            }
        }
        std::vector<SortedListEntry> &entries = m_sortedList.entries();
        std::stable_sort(entries.begin(), entries.end(),
                         [this](const SortedListEntry &a, const SortedListEntry &b) {
                             return compareEntries(a, b) < 0;
                         });
        std::vector<int> sorted(static_cast<size_t>(rows));
        for (int n = 0; n < int(entries.size()); ++n)
            sorted[size_t(n) + 1] = order[size_t(entries[size_t(n)].row)];
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

int SortGrid::compareEntries(const SortedListEntry &a, const SortedListEntry &b) const
{
    int result = 0;
    switch (m_sortOptions->sortStyle()) {
    case ssNumeric:
    case ssDateTime:
    case ssTime:
        if (a.valid && b.valid)
            result = a.value < b.value ? -1 : (a.value > b.value ? 1 : 0);
        else
            result = SortCompare::compareOrdinal(a.key, b.key);
        break;
    case ssNumericExtended:
        // Empty keys come first and equal each other so that the order stays total.
        if (a.key.isEmpty() || b.key.isEmpty())
            result = a.key.isEmpty() == b.key.isEmpty() ? 0 : (a.key.isEmpty() ? -1 : 1);
        else
            result = SortCompare::compareNumericExtended(a.key, b.key);
        break;
    case ssCustom:
        if (const SortCompareFunction &compare = m_sortOptions->sortCompare())
            result = compare(a.key, b.key);
        else
            result = SortCompare::compareOrdinal(a.key, b.key);
        result = (result > 0) - (result < 0);
        break;
    default:
        result = SortCompare::compareOrdinal(a.key, b.key);
    }
    if (result == 0)
        return a.row < b.row ? -1 : (a.row > b.row ? 1 : 0);
    return m_sortOptions->sortDirection() == sdDescending ? -result : result;
}

SortStyle SortGrid::sortStyle(int col) const
{
    const SortStyle style = m_sortOptions->sortStyle();
    return style == ssAutomatic ? detectSortStyle(col) : style;
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
        if (time && !SortCompare::tryStrToTime(text, locale, v))
            time = false;
        if (dateTime && !SortCompare::tryStrToDateTime(text, locale, v))
            dateTime = false;
    }
    if (number)
        return ssNumeric;
    if (dateTime)
        return ssDateTime;
    if (time)
        return ssTime;
    return ssNormal;
}
