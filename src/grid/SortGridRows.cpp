#include "grid/SortGrid.h"

#include <algorithm>

namespace {

// Switches GridOption::AlwaysShowEditor off for the lifetime of a row or column operation.
class EditorOptionGuard
{
public:
    explicit EditorOptionGuard(GridBase *grid)
        : m_grid(grid)
        , m_wasOn(grid->options() & GridOption::AlwaysShowEditor)
    {
        if (m_wasOn)
            m_grid->setOptions(m_grid->options() & ~GridOptions(GridOption::AlwaysShowEditor));
    }
    ~EditorOptionGuard()
    {
        if (m_wasOn)
            m_grid->setOptions(m_grid->options() | GridOption::AlwaysShowEditor);
    }
    EditorOptionGuard(const EditorOptionGuard &) = delete;
    EditorOptionGuard &operator=(const EditorOptionGuard &) = delete;

private:
    GridBase *m_grid;
    bool m_wasOn;
};

template<typename T>
void moveEntry(std::vector<T> &items, int from, int to)
{
    if (from < 0 || to < 0 || from >= int(items.size()) || to >= int(items.size()) || from == to)
        return;
    if (from < to)
        std::rotate(items.begin() + from, items.begin() + from + 1, items.begin() + to + 1);
    else
        std::rotate(items.begin() + to, items.begin() + from, items.begin() + from + 1);
}

} // namespace

// ---- column moves --------------------------------------------------------------

void SortGrid::moveColumnData(int fromIndex, int toIndex)
{
    StringGrid::moveColumnData(fromIndex, toIndex);
    moveEntry(m_colFormats, fromIndex, toIndex);
    setModified(true);
    const int sortCol = m_sortOptions->sortCol();
    if (fromIndex == sortCol)
        m_sortOptions->setSortCol(toIndex);
    else if (toIndex <= sortCol && sortCol <= fromIndex)
        m_sortOptions->setSortCol(sortCol + 1);
    else if (fromIndex <= sortCol && sortCol <= toIndex)
        m_sortOptions->setSortCol(sortCol - 1);
}

// ---- selection -------------------------------------------------------------------

bool SortGrid::selectCell(int col, int row)
{
    bool answer = false;
    if (editorShowing()) {
        const CellFormat format = currentFormat(col, row);
        if (format.comboBox)
            showComboList(col, row);
        if (m_tabDown && col < colCount() - 2) {
            // The list just opened keeps the focus; only the editor closes.
            if (selectCell(col + 1, row))
                applySelection(GridRect{col + 1, row, col + 1, row});
        }
        answer = (format.checkBox || format.comboBox) ? false : StringGrid::selectCell(col, row);
    } else {
        answer = StringGrid::selectCell(col, row);
    }
    if (answer && m_selectFollowsCursor) {
        clearSelection();
        m_selectedRows << QString::number(row);
        m_anchorRows[0] = QString::number(row);
        Q_EMIT rowSelected();
    }
    invalidateRow(currentRow());
    invalidateRow(row);
    return answer;
}

void SortGrid::clearSelection()
{
    while (!m_selectedRows.isEmpty()) {
        invalidateRow(m_selectedRows.first().toInt());
        m_selectedRows.removeFirst();
    }
    while (m_anchorRows.size() > 1)
        m_anchorRows.removeLast();
    if (m_anchorRows.isEmpty())
        m_anchorRows << QString();
    else
        m_anchorRows[0] = QString();
}

bool SortGrid::isRowSelected(int row) const
{
    return m_selectedRows.contains(QString::number(row));
}

bool SortGrid::isRowEmpty(int row) const
{
    for (int c = 0; c < colCount(); ++c)
        if (!cells(c, row).isEmpty())
            return false;
    return true;
}

void SortGrid::addSelected(int row)
{
    const QString text = QString::number(row);
    if (!m_selectedRows.contains(text))
        m_selectedRows << text;
    m_anchorRows << text;
}

void SortGrid::gotoCell(int col, int row, bool scroll)
{
    commitEditing();
    col = std::clamp(col, 0, colCount() - 1);
    row = std::clamp(row, 1, std::max(1, rowCount() - 1));
    if (row >= rowCount())
        return;
    if (!selectCell(col, row))
        return;
    moveCurrent(col, row, true, true);
    clearSelection();
    m_selectedRows << QString::number(row);
    m_anchorRows[0] = QString::number(row);
    if (currentCol() != col || currentRow() != row)
        setSelection(GridRect{col, row, col, row});
    invalidateGrid();
    if (scroll)
        scrollToCell(col, row);
}

void SortGrid::scrollToCell(int col, int row)
{
    col = std::clamp(col, 0, colCount() - 1);
    row = std::clamp(row, 1, std::max(1, rowCount() - 1));
    while (col > leftCol() + visibleColCount() - 1 && leftCol() < colCount()) {
        const int before = leftCol();
        setLeftCol(before + 1);
        if (leftCol() == before)
            break;
    }
    if (col < leftCol())
        setLeftCol(std::max(col, fixedCols()));
    const int m = std::max(1, rowCount() - visibleRowCount());
    if (m < row)
        setTopRow(m);
    else
        setTopRow(row < 2 ? 1 : row - 1);
}

// ---- row and column operations -------------------------------------------------

void SortGrid::insertRow(int row)
{
    EditorOptionGuard guard(this);
    const int newCount = rowCount() + 1;
    if (!(row < newCount - 2))
        row = row + 1;
    row = std::clamp(row, 1, newCount - 1);
    // The store shifts every row from ARow on, the rows kept beyond rowCount too.
    store().insertRow(row);
    insertRowSlot(row);
    setRowCount(newCount);
    if (int(m_rowFormats.size()) == newCount)
        moveEntry(m_rowFormats, newCount - 1, row);
    rowStrings(row).clear();
    setSelection(GridRect{currentCol(), row, currentCol(), row});
    clearSelection();
    m_selectedRows << QString::number(row);
    m_anchorRows[0] = QString::number(row);
    invalidateGrid();
    Q_EMIT rowInserted(row);
}

void SortGrid::deleteRow(int row)
{
    EditorOptionGuard guard(this);
    setModified(true);
    if (rowCount() < 3) {
        rowStrings(1).clear();
    } else {
        // The deleted row's format entry goes to the end, where the shrink drops it.
        if (row >= 0 && row < int(m_rowFormats.size()))
            moveEntry(m_rowFormats, row, int(m_rowFormats.size()) - 1);
        StringGrid::deleteRow(row);
    }
    Q_EMIT rowDeleted(row);
}

void SortGrid::insertColumn(int col)
{
    EditorOptionGuard guard(this);
    const int newCount = colCount() + 1;
    col = std::clamp(col, 0, newCount - 1);
    store().insertCol(col);
    insertColSlot(col);
    setColCount(newCount);
    if (int(m_colFormats.size()) == newCount)
        moveEntry(m_colFormats, newCount - 1, col);
    colStrings(col).clear();
    setSelection(GridRect{col, currentRow(), col, currentRow()});
    invalidateGrid();
    Q_EMIT columnInserted(col);
}

void SortGrid::deleteColumn(int col)
{
    EditorOptionGuard guard(this);
    colStrings(col).clear();
    if (col >= 0 && col < int(m_colFormats.size()))
        moveEntry(m_colFormats, col, int(m_colFormats.size()) - 1);
    StringGrid::deleteColumn(col);
    Q_EMIT columnDeleted(col);
}

void SortGrid::moveRow(int fromIndex, int toIndex)
{
    EditorOptionGuard guard(this);
    StringGrid::moveRow(fromIndex, toIndex);
    if (fromIndex >= 0 && toIndex >= 0 && fromIndex < int(m_rowFormats.size())
        && toIndex < int(m_rowFormats.size()))
        std::swap(m_rowFormats[size_t(fromIndex)], m_rowFormats[size_t(toIndex)]);
}

void SortGrid::swapRows(int a, int b)
{
    if (a == b || a < 0 || b < 0)
        return;
    // Works on the store so that a row kept beyond rowCount can take part.
    if (a < b) {
        store().moveRow(b, a);
        store().moveRow(a + 1, b);
    } else {
        store().moveRow(a, b);
        store().moveRow(b + 1, a);
    }
    if (a < int(m_rowFormats.size()) && b < int(m_rowFormats.size()))
        std::swap(m_rowFormats[size_t(a)], m_rowFormats[size_t(b)]);
    invalidateGrid();
}

// ---- filter, hidden rows, multi-select ------------------------------------------

void SortGrid::setFiltered(bool value)
{
    m_filtered = value;
    if (value && isRowEmpty(1))
        return;
    if (!value && m_hiddenCount == 0)
        return;
    const bool wasModified = m_modified;
    const bool wasUpdating = nowUpdating();
    if (!wasUpdating)
        beginUpdate();

    auto showHidden = [this]() {
        const int hidden = m_hiddenCount;
        setRowCount(rowCount() + hidden);
        if (isRowEmpty(1))
            deleteRow(1);
        if (hidden != 0)
            sortByColumn(m_sortOptions->sortCol());
        m_hiddenCount = 0;
    };

    if (value) {
        // A second run first brings back the rows the first one hid.
        if (m_hiddenCount > 0)
            showHidden();
        const int rows = rowCount();
        const int cols = colCount();
        std::vector<bool> accepted(size_t(rows), false);
        accepted[0] = true;
        int acceptedCount = 0;
        for (int r = 1; r < rows; ++r) {
            if (filterAcceptsRow(rowStrings(r).toStringList())) {
                accepted[size_t(r)] = true;
                ++acceptedCount;
            }
        }
        m_hiddenCount = rows - 1 - acceptedCount;
        // Accepted rows (the title first) move to the top in their order, the
        // rejected rows follow them from row rowCount() - hiddenCount on.
        std::vector<int> sources;
        sources.reserve(size_t(rows));
        for (int r = 0; r < rows; ++r)
            if (accepted[size_t(r)])
                sources.push_back(r);
        for (int r = 0; r < rows; ++r)
            if (!accepted[size_t(r)])
                sources.push_back(r);
        store().permuteRows(0, sources, cols);
        if (acceptedCount == 0) {
            store().clearRow(rows); // the placeholder row must be empty
            swapRows(1, rows);
            setRowCount(2);
        } else {
            setRowCount(rows - m_hiddenCount);
            sortByColumn(m_sortOptions->sortCol());
        }
        gotoCell(0, 1, true);
    } else {
        showHidden();
    }

    if (!wasUpdating && nowUpdating())
        endUpdate();
    setModified(wasModified);
}

void SortGrid::setHideRows(bool value)
{
    m_hideRows = value;
    commitEditing();
    moveCurrent(currentCol(), std::min(1, rowCount() - 1), true, true);
    invalidateGrid();
}

void SortGrid::setMultiSelect(bool value)
{
    m_multiSelect = value;
    if (value)
        setOptions(options() | GridOption::RowSelect);
}

void SortGrid::selectRangeRows()
{
    clearSelection();
    if (!m_anchorRows.isEmpty())
        m_anchorRows.removeFirst();
    const GridRect sel = selection();
    for (int r = sel.top; r <= sel.bottom; ++r)
        addSelected(r);
    if (m_anchorRows.isEmpty())
        m_anchorRows << QString();
}

bool SortGrid::filterAcceptsRow(const QStringList &) const
{
    return false;
}
