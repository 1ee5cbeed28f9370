#include "grid/SortGrid.h"

#include "grid/GridImages.h"
#include "grid/SortCompare.h"

#include <QApplication>
#include <QDrag>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSet>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// Switches goAlwaysShowEditor off for the lifetime of a row or column operation.
class EditorOptionGuard
{
public:
    explicit EditorOptionGuard(GridBase *grid)
        : m_grid(grid)
        , m_wasOn(grid->options() & goAlwaysShowEditor)
    {
        if (m_wasOn)
            m_grid->setOptions(m_grid->options() & ~GridOptions(goAlwaysShowEditor));
    }
    ~EditorOptionGuard()
    {
        if (m_wasOn)
            m_grid->setOptions(m_grid->options() | goAlwaysShowEditor);
    }
    EditorOptionGuard(const EditorOptionGuard &) = delete;
    EditorOptionGuard &operator=(const EditorOptionGuard &) = delete;

private:
    GridBase *m_grid;
    bool m_wasOn;
};

template <typename T>
void moveEntry(std::vector<T> &items, int from, int to)
{
    if (from < 0 || to < 0 || from >= int(items.size()) || to >= int(items.size()) || from == to)
        return;
    if (from < to)
        std::rotate(items.begin() + from, items.begin() + from + 1, items.begin() + to + 1);
    else
        std::rotate(items.begin() + to, items.begin() + from, items.begin() + from + 1);
}

void resizeBy(FontList &list, int delta)
{
    list.resize(size_t(std::max(0, int(list.size()) + delta)));
}

bool isNavigationKey(int key)
{
    switch (key) {
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        return true;
    default:
        return false;
    }
}

QRect comboListPlace(QRect list, int cellHeight, const QRect &window)
{
    // Below the cell's top when that fits, else upwards to the cell's bottom; a
    // list taller than the window is cut to it.
    if (list.bottom() > window.bottom())
        list.moveBottom(list.top() + cellHeight - 1);
    if (list.top() < window.top())
        list.moveTop(window.top());
    if (list.bottom() > window.bottom())
        list.setBottom(window.bottom());
    if (list.right() > window.right())
        list.moveRight(window.right());
    if (list.left() < window.left())
        list.moveLeft(window.left());
    return list;
}

constexpr int TitleResizeZone = 5;
constexpr int AutoSizeZone = 3;
constexpr int DragDistance = 10;

} // namespace

SortGrid::SortGrid(QWidget *parent)
    : StringGrid(parent)
    , m_sortOptions(std::make_unique<SortOptions>())
{
    setFixedCols(0);
    m_selectedRows << QStringLiteral("1");
    m_anchorRows << QStringLiteral("1");
    m_colFormats.resize(size_t(colCount()));
    m_rowFormats.resize(size_t(rowCount()));
    m_upImage = gridImage("UP");
    m_downImage = gridImage("DOWN");

    m_comboList = new QListWidget(this);
    m_comboList->setFocusPolicy(Qt::ClickFocus); // the Tab key skips it
    m_comboList->setSortingEnabled(true);
    m_comboList->hide();
    m_comboList->installEventFilter(this);
    m_comboList->viewport()->installEventFilter(this);

    m_focusConnection = connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
        auto inside = [this](QWidget *w) {
            return w && (w == this || isAncestorOf(w)) && !(m_comboList && (w == m_comboList || m_comboList->isAncestorOf(w)));
        };
        const bool had = inside(old);
        const bool has = inside(now);
        if (had && !has) {
            m_hasFocus = false;
            validateEdit();
        } else if (!had && has) {
            m_hasFocus = true;
            rememberEdit();
        }
    });
}

SortGrid::~SortGrid()
{
    disconnect(m_focusConnection);
    // The list may have been placed on the window; it belongs to the grid all the same.
    if (m_comboList) {
        m_comboList->removeEventFilter(this);
        m_comboList->viewport()->removeEventFilter(this);
        delete m_comboList.data();
    }
}

// ---- modified flag, user settings, update bracket ------------------------------

void SortGrid::setModified(bool value)
{
    m_modified = value;
    if (value)
        Q_EMIT markedModified();
}

void SortGrid::setUserSettings(const QStringList &value)
{
    m_userSettings = value;
    setModified(true);
}

void SortGrid::beginUpdate()
{
    // A bracket opened inside another keeps the value saved by the outer one.
    if (!nowUpdating()) {
        m_savedUpdateOnSizeChange = m_sortOptions->updateOnSizeChange();
        m_sortOptions->setUpdateOnSizeChange(false);
    }
    StringGrid::beginUpdate();
}

void SortGrid::endUpdate()
{
    // The format lists follow counts changed inside the bracket, without the
    // rest of the size handling.
    m_colFormats.resize(size_t(colCount()));
    m_rowFormats.resize(size_t(rowCount()));
    m_sortOptions->setUpdateOnSizeChange(m_savedUpdateOnSizeChange);
    StringGrid::endUpdate();
}

void SortGrid::clear()
{
    beginUpdate();
    m_colFormats.assign(size_t(colCount()), FontSetting());
    m_rowFormats.assign(size_t(rowCount()), FontSetting());
    setSelection(GridRect{currentCol(), 1, currentCol(), 1});
    m_selectedRows.clear();
    m_anchorRows = QStringList{QStringLiteral("1")};
    beginCellUpdate();
    for (int r = 1; r < rowCount(); ++r)
        rowStrings(r).clear();
    endCellUpdate();
    m_modified = false;
    setRowCount(2);
    m_rowFormats.resize(2);
    autoSizeAllColumns(true);
    endUpdate();
    Q_EMIT rowSelected();
}

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

void SortGrid::titleClick(int col, int x, Qt::MouseButton button)
{
    const QRect rect = cellRect(col, 0);
    if (rect.isEmpty() || x - rect.left() < TitleResizeZone || rect.left() + rect.width() - x <= TitleResizeZone)
        return;
    SortOptions *o = m_sortOptions.get();
    if (button == Qt::RightButton)
        o->setSortDirection(sdDescending);
    else if (o->sortDirection() == sdDescending)
        o->setSortDirection(sdAscending);
    else
        o->setSortDirection(col == o->sortCol() ? sdDescending : sdAscending);
    sortByColumn(col);
}

// ---- size changes and the last column --------------------------------------------

void SortGrid::adjustToSize(int oldColCount, int oldRowCount)
{
    setModified(true);
    updateProportionalScrollBars();
    if (m_sortOptions->updateOnSizeChange())
        sortByColumn(m_sortOptions->sortCol());
    if (!nowUpdating())
        gotoCell(0, 1, true);
    resizeBy(m_colFormats, colCount() - oldColCount);
    resizeBy(m_rowFormats, rowCount() - oldRowCount);
    if (rowCount() < 2)
        Q_EMIT messageRaised(QStringLiteral("Rowsize too small"));
}

void SortGrid::resizeEvent(QResizeEvent *event)
{
    StringGrid::resizeEvent(event);
    fitLastColumn();
}

void SortGrid::fitLastColumn()
{
    // The last column counts as visible when any part of it is in view, so that
    // a narrower window narrows it again.
    const int last = colCount() - 1;
    if (last >= fixedCols() && cellRect(last, 0).isEmpty())
        return;
    int width = viewport()->width();
    int visible = 0;
    for (int c = 0; c < last; ++c) {
        if (c >= fixedCols() && c < leftCol())
            continue;
        if (colWidths(c) >= 0) {
            width -= colWidths(c);
            ++visible;
        }
    }
    width -= visible + 1 + 3;
    if (width > 0)
        setColWidths(last, width);
    viewport()->update();
    updateScrollRange();
    updateProportionalScrollBars();
}

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

void SortGrid::cellSizesChanged()
{
    updateProportionalScrollBars();
}

void SortGrid::setEditText(int col, int row, const QString &value)
{
    const bool changed = cells(col, row) != value;
    StringGrid::setEditText(col, row, value);
    if (changed)
        setModified(true);
}

bool SortGrid::canEditShow() const
{
    if (!StringGrid::canEditShow())
        return false;
    const CellFormat format = currentFormat(currentCol(), currentRow());
    return !format.checkBox && !format.comboBox;
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
    if (fromIndex >= 0 && toIndex >= 0 && fromIndex < int(m_rowFormats.size()) && toIndex < int(m_rowFormats.size()))
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
        setOptions(options() | goRowSelect);
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

// ---- cell format and painting ------------------------------------------------------

void SortGrid::setAlignmentHorz(HorizontalAlignment value)
{
    if (value == m_alignmentHorz)
        return;
    m_alignmentHorz = value;
    invalidateGrid();
}

void SortGrid::setAlignmentVert(VerticalAlignment value)
{
    if (value == m_alignmentVert)
        return;
    m_alignmentVert = value;
    invalidateGrid();
}

void SortGrid::setBevelStyle(CellBevelStyle value)
{
    if (value == m_bevelStyle)
        return;
    m_bevelStyle = value;
    invalidateGrid();
}

void SortGrid::setProportionalScrollBars(bool value)
{
    if (value == m_proportionalScrollBars)
        return;
    m_proportionalScrollBars = value;
    if (value)
        updateProportionalScrollBars();
    else
        updateScrollRange();
}

void SortGrid::updateProportionalScrollBars()
{
    if (!m_proportionalScrollBars)
        return;
    QScrollBar *v = verticalScrollBar();
    if (scrollBars() == ssVertical || scrollBars() == ssBoth) {
        const double share = double(visibleRowCount() + 1) / double(std::max(1, rowCount()));
        const double page = std::nearbyint(share * double(v->maximum() - v->minimum() + 1));
        v->setPageStep(std::max(1, int(page)));
    }
    QScrollBar *h = horizontalScrollBar();
    if (scrollBars() == ssHorizontal || scrollBars() == ssBoth) {
        const double share = double(visibleColCount()) / double(std::max(1, colCount()));
        const double page = std::nearbyint(share * double(h->maximum() - h->minimum() + 1));
        h->setPageStep(std::max(1, int(page)));
        h->update();
    }
}

CellFormat SortGrid::currentFormat(int col, int row) const
{
    GridDrawState state;
    if (hasFocus() && col == currentCol() && row == currentRow())
        state |= gdFocused;
    if (selection().contains(col, row))
        state |= gdSelected;
    return cellFormat(col, row, state);
}

CellFormat SortGrid::cellFormat(int col, int row, GridDrawState) const
{
    CellFormat formatOptions;
    const GridDrawState baseState = cellState(col, row);
    formatOptions.brush.color = cellBrushColor(col, row, baseState);
    static_cast<QFont &>(formatOptions.font) = font();
    formatOptions.font.color = cellFontColor(baseState);
    formatOptions.alignmentHorz = m_alignmentHorz;
    formatOptions.alignmentVert = m_alignmentVert;
    formatOptions.bevelStyle = m_bevelStyle;
    switch (m_bevelStyle) {
    case cbRaised:
        formatOptions.highlightColor = Colors::clBtnHighlight;
        formatOptions.shadowColor = Colors::clBtnShadow;
        break;
    case cbLowered:
        formatOptions.highlightColor = Colors::clBtnShadow;
        formatOptions.shadowColor = Colors::clBtnHighlight;
        break;
    default:
        formatOptions.highlightColor = Colors::clWindow;
        formatOptions.shadowColor = Colors::clWindow;
    }
    return formatOptions;
}

FontSetting SortGrid::rowFormatFromCell(int row) const
{
    FontSetting s;
    s.active = true;
    const QStringList items = cells(colCount(), row).split(QLatin1Char(','));
    auto colour = [](const QString &text, ColorValue fallback) {
        const QString t = text.trimmed();
        bool ok = false;
        qint64 v = 0;
        if (t.startsWith(QLatin1Char('$')))
            v = t.mid(1).toLongLong(&ok, 16);
        else
            v = t.toLongLong(&ok, 10);
        if (ok)
            return ColorValue(quint32(v));
        const QColor named = QColor::fromString(t.startsWith(QLatin1String("cl")) ? t.mid(2) : t);
        return named.isValid() ? fromQColor(named) : fallback;
    };
    if (items.size() > 0)
        s.fontColor = colour(items.at(0), Colors::clWindowText);
    s.bold = items.size() > 1 && items.at(1) == QLatin1String("1");
    s.italic = items.size() > 2 && items.at(2) == QLatin1String("1");
    s.underline = items.size() > 3 && items.at(3) == QLatin1String("1");
    if (items.size() > 4)
        s.brushColor = colour(items.at(4), Colors::clWindow);
    return s;
}

bool SortGrid::filterAcceptsRow(const QStringList &) const
{
    return false;
}

ComboChoices SortGrid::comboChoices(int, int) const
{
    return {};
}

CellValidation SortGrid::validateCell(int, int, const QString &, const QString &newText) const
{
    return {true, newText};
}

bool SortGrid::isCheckedText(const QString &text) const
{
    return text == QLatin1String("true") || text == QLatin1String("1") || text == QLatin1String("V");
}

void SortGrid::drawCell(QPainter &painter, int col, int row, const QRect &rect, GridDrawState)
{
    const int left = rect.left();
    const int top = rect.top();
    const int width = rect.width();   // Right - Left
    const int height = rect.height(); // Bottom - Top
    if (row > 0 && (nowUpdating() || m_hideRows)) {
        painter.fillRect(rect, toQColor(cellBrushColor(col, row, cellState(col, row))));
        return;
    }
    CellFormat fo = currentFormat(col, row);
    if (fo.checkBox)
        fo.hideText = true;

    const GridRect sel = selection();
    const bool rangeSelect = options() & goRangeSelect;
    const bool colActive = col < int(m_colFormats.size()) && m_colFormats[size_t(col)].active;
    const bool rowActive = row < int(m_rowFormats.size()) && m_rowFormats[size_t(row)].active;
    auto applyFormat = [&fo](const FontSetting &s) {
        fo.font.color = s.fontColor;
        fo.brush.color = s.brushColor;
        if (s.bold)
            fo.font.setBold(true);
        if (s.italic)
            fo.font.setItalic(true);
        if (s.underline)
            fo.font.setUnderline(true);
    };
    if (rangeSelect && row >= sel.top && row <= sel.bottom) {
        fo.font.color = Colors::clHighlightText;
        fo.brush.color = Colors::clHighlight;
    } else if (m_multiSelect && isRowSelected(row) && !(options() & goEditing)) {
        fo.font.color = Colors::clHighlightText;
        fo.brush.color = Colors::clHighlight;
    } else if (colActive && !rowActive) {
        applyFormat(m_colFormats[size_t(col)]);
    } else if (rowActive) {
        applyFormat(rowFormatFromCell(row));
    }
    painter.fillRect(rect, toQColor(fo.brush.color));
    painter.setFont(fo.font);
    painter.setPen(toQColor(fo.font.color));
    const QFontMetrics fm(fo.font);
    QString text = cells(col, row);

    const bool marker = col == m_sortOptions->sortCol() && m_sortOptions->canSort();
    if (row == 0) {
        const int avail = marker ? colWidths(col) - 12 : colWidths(col) - 1;
        if (fm.horizontalAdvance(text) > avail && text.size() > 1) {
            text.chop(2);
            text += QStringLiteral("..");
            while (fm.horizontalAdvance(text) > avail && text.size() > 3) {
                text.chop(1);
                text[text.size() - 2] = QLatin1Char('.');
            }
        }
    }
    const int textWidth = fm.horizontalAdvance(text);
    const int textHeight = fm.height();
    int dx = 2;
    if (fo.alignmentHorz == taRightJustify)
        dx = width - textWidth - 2;
    else if (fo.alignmentHorz == taCenter)
        dx = (width - textWidth) / 2;
    int dy = 2;
    if (fo.alignmentVert == taBottomJustify)
        dy = height - textHeight - 3;
    else if (fo.alignmentVert == taMiddle)
        dy = (height - textHeight) / 2;

    if (marker) {
        if (row == 0)
            dx += 10;
        const QPixmap &image = m_sortOptions->sortDirection() == sdAscending ? m_upImage : m_downImage;
        const int w = width <= 10 ? width - 3 : 8;
        const int y = rowHeights(0) / 2 - 4;
        if (w > 0 && row == 0)
            painter.drawPixmap(QPoint(left + 3, y), image, QRect(0, 0, w, 7));
    }
    if (!fo.hideText)
        painter.drawText(QPoint(left + dx, top + dy + fm.ascent()), text);

    if (fo.checkBox) {
        const QPixmap image = gridImage(isCheckedText(cells(col, row)) ? "CHECKED" : "UNCHECKED");
        const int w = width <= 16 ? width - 1 : 16;
        if (w > 0)
            painter.drawPixmap(QPoint(left + (width - w) / 2, top + height / 2 - 8), image, QRect(0, 0, w, 16));
    }
    const bool onCurrentRow = row == currentRow();
    if (fo.comboBox && onCurrentRow && (col == currentCol() || editorShowing())) {
        const QPixmap image = gridImage("COMBOBOX");
        const int w = std::min(16, width);
        painter.drawPixmap(QRect(left + width - w, top, w, height), image, QRect(0, 0, w, 16));
    }
    if (fo.ellipsis && onCurrentRow && col != currentCol()) {
        const QPixmap image = gridImage("ELLIPSIS");
        const int w = std::min(16, width);
        painter.drawPixmap(QRect(left + width - w, top, w, height), image, QRect(0, 0, w, 16));
    }
    if (fo.bevelStyle != cbNone && col >= 0 && row >= 1) {
        const int right = left + width;
        const int bottom = top + height;
        const QColor shadow = toQColor(fo.shadowColor);
        const QColor highlight = toQColor(fo.highlightColor);
        const bool vert = options() & goFixedVertLine;
        const bool horz = options() & goFixedHorzLine;
        if (vert) {
            painter.setPen(shadow);
            painter.drawLine(right - 1, top, right - 1, bottom);
        }
        if (horz) {
            painter.setPen(shadow);
            painter.drawLine(left, bottom - 1, right, bottom - 1);
        }
        if (vert) {
            painter.setPen(highlight);
            painter.drawLine(left, top, left, bottom);
        }
        if (horz) {
            painter.setPen(highlight);
            painter.drawLine(left, top, right, top);
        }
    }
}

void SortGrid::autoSizeColumn(int col, bool force)
{
    if (col < 0 || col >= colCount())
        return;
    if (colWidths(col) < 0 && !force)
        return;
    int widest = 0;
    for (int r = 0; r < rowCount(); ++r) {
        const CellFormat fo = currentFormat(col, r);
        int w = QFontMetrics(fo.font).horizontalAdvance(cells(col, r));
        if (r == 0 && col == m_sortOptions->sortCol() && m_sortOptions->canSort())
            w += 12;
        widest = std::max(widest, w);
    }
    const QFontMetrics fm(font());
    setColWidths(col, widest <= 0 ? fm.horizontalAdvance(QStringLiteral("xx"))
                                   : widest + fm.horizontalAdvance(QStringLiteral("X")));
}

void SortGrid::autoSizeAllColumns(bool force)
{
    const bool wasUpdating = nowUpdating();
    if (!wasUpdating)
        beginUpdate();
    for (int c = 0; c < colCount(); ++c)
        autoSizeColumn(c, force);
    if (!wasUpdating)
        endUpdate();
}

// ---- check boxes, drop-down lists, validation -----------------------------------------

void SortGrid::setChecked(int col, int row, bool state)
{
    if (!currentFormat(col, row).checkBox)
        return;
    setCells(col, row, state ? QStringLiteral("V") : QString());
    invalidateRow(row);
    Q_EMIT checkedSet(col, row, state);
}

bool SortGrid::isChecked(int col, int row)
{
    return currentFormat(col, row).checkBox && isCheckedText(cells(col, row));
}

QPoint SortGrid::comboListOffset() const
{
    return viewport()->mapTo(window(), QPoint(0, 0));
}

bool SortGrid::showComboList(int col, int row)
{
    if (!currentFormat(col, row).comboBox)
        return false;
    const ComboChoices choices = comboChoices(col, row);
    if (choices.items.isEmpty() || !m_comboList)
        return false;
    QWidget *form = window();
    if (m_comboList->parentWidget() != form) {
        m_comboList->setParent(form);
        m_comboList->hide();
    }
    m_comboList->setFont(font());
    m_comboList->clear();
    m_comboList->setSortingEnabled(choices.sorted);
    m_comboList->addItems(choices.items);
    const QString current = cells(col, row);
    int index = 0;
    for (int i = 0; i < m_comboList->count(); ++i) {
        if (m_comboList->item(i)->text().compare(current, Qt::CaseInsensitive) == 0) {
            index = i;
            break;
        }
    }
    m_comboList->setCurrentRow(index);
    const QRect cell = cellRect(col, row);
    const QPoint pos = comboListOffset() + cell.topLeft();
    const int itemHeight = std::max(1, m_comboList->sizeHintForRow(0));
    const int w = choices.width != 0 ? choices.width : cell.width() + 1;
    const int h = (choices.height != 0 || m_comboList->count() >= 10) ? 10 * itemHeight + 5
                                                              : m_comboList->count() * itemHeight + 5;
    m_comboCell = GridCoord{col, row};
    m_comboList->setGeometry(comboListPlace(QRect(pos, QSize(w, h)), cell.height(), form->rect()));
    m_comboList->show();
    m_comboList->raise();
    m_comboList->setFocus();
    return true;
}

void SortGrid::hideComboList()
{
    if (!m_comboList || !m_comboList->isVisible())
        return;
    m_closingList = true;
    if (m_comboList->hasFocus())
        setFocus();
    m_comboList->hide();
    m_closingList = false;
}

void SortGrid::chooseComboEntry()
{
    if (m_closingList || !m_comboList || !m_comboList->isVisible())
        return;
    m_closingList = true;
    QListWidgetItem *item = m_comboList->currentItem();
    const QString text = item ? item->text() : QString();
    const GridCoord cell = m_comboCell;
    if (item)
        setCells(cell.x, cell.y, text);
    // A list that lost the focus to another control leaves the focus there.
    if (m_comboList->hasFocus())
        setFocus();
    m_comboList->hide();
    invalidateCol(cell.x);
    m_closingList = false;
    if (item)
        Q_EMIT comboEntryChosen(cell.x, cell.y, text);
}

void SortGrid::commitEditing()
{
    chooseComboEntry();
    StringGrid::commitEditing();
}

void SortGrid::topLeftChanged()
{
    // The list belongs to a cell that has just moved away under it.
    hideComboList();
    StringGrid::topLeftChanged();
}

bool SortGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (m_comboList && (watched == m_comboList || watched == m_comboList->viewport())) {
        switch (event->type()) {
        case QEvent::MouseButtonRelease:
            chooseComboEntry();
            return true;
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
                hideComboList();
                return true;
            }
            break;
        case QEvent::KeyRelease: {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
                chooseComboEntry();
                return true;
            }
            break;
        }
        case QEvent::FocusOut:
            if (watched == m_comboList)
                chooseComboEntry();
            break;
        default:
            break;
        }
    }
    return StringGrid::eventFilter(watched, event);
}

void SortGrid::rememberEdit()
{
    if (!editorMode())
        return;
    m_editCol = currentCol();
    m_editRow = currentRow();
    m_editText = cells(m_editCol, m_editRow);
    m_editModified = m_modified;
}

void SortGrid::validateEdit()
{
    if (editorMode() && m_editCol >= 0 && cells(m_editCol, m_editRow) != m_editText) {
        const QString current = cells(m_editCol, m_editRow);
        const CellValidation verdict = validateCell(m_editCol, m_editRow, m_editText, current);
        if (verdict.valid) {
            if (verdict.text != current)
                setCells(m_editCol, m_editRow, verdict.text);
        } else {
            setCells(m_editCol, m_editRow, verdict.text != current ? verdict.text : m_editText);
            m_modified = m_editModified;
            if (m_modified)
                Q_EMIT markedModified();
        }
        if (inplaceEditor()->isVisible() && m_editCol == currentCol() && m_editRow == currentRow())
            inplaceEditor()->setText(cells(m_editCol, m_editRow));
    }
    rememberEdit();
}

void SortGrid::editStarted()
{
    // Validation compares with the text the cell had when editing began.
    m_editStartModified = m_modified;
    rememberEdit();
}

void SortGrid::editEnding()
{
    validateEdit();
}

void SortGrid::editCancelled()
{
    // The text is back as it was, and so is the flag: a cancelled edit is no change.
    if (m_editStartModified)
        setModified(true);
    else
        m_modified = false;
    rememberEdit();
}

void SortGrid::click()
{
    if (m_hasFocus)
        validateEdit();
    StringGrid::click();
}

// ---- keyboard ----------------------------------------------------------------------------

void SortGrid::typeAhead(QChar key)
{
    const int col = m_sortOptions->sortCol();
    auto matches = [&](int r) {
        const QString text = cells(col, r);
        return !text.isEmpty() && SortCompare::lowerCaseAZ(text.left(1)).toUpper() == key;
    };
    int found = -1;
    for (int r = currentRow() + 1; r < rowCount() && found < 0; ++r)
        if (matches(r))
            found = r;
    for (int r = 1; r <= currentRow() && r < rowCount() && found < 0; ++r)
        if (matches(r))
            found = r;
    if (found >= 0)
        gotoCell(col, found, true);
}

void SortGrid::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
        m_tabDown = true;
    if (!editorShowing()) {
        if (m_multiSelect) {
            m_selectFollowsCursor = false;
            if (key == Qt::Key_Shift) {
                setOptions(options() | goRangeSelect);
                clearSelection();
            } else if (mods & Qt::ShiftModifier) {
                if (m_anchorRows.isEmpty())
                    m_anchorRows << QString();
                m_anchorRows[0] = QString::number(currentRow());
            } else if (isNavigationKey(key)) {
                m_selectFollowsCursor = true;
            }
        }
        if (m_extendedKeys && (key == Qt::Key_Insert || key == Qt::Key_Delete)) {
            if (mods == Qt::ControlModifier) {
                if (key == Qt::Key_Insert)
                    insertRow(currentRow());
                else if (rowCount() > 2)
                    deleteRow(currentRow());
                return;
            }
            if (mods == (Qt::ControlModifier | Qt::ShiftModifier)) {
                if (key == Qt::Key_Insert)
                    insertColumn(currentCol());
                else if (colCount() > 1)
                    deleteColumn(currentCol());
                return;
            }
        }
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        validateEdit();
    const QString text = event->text();
    if (!editorShowing() && text.size() == 1 && text.at(0).isPrint() && !(mods & (Qt::ControlModifier | Qt::AltModifier))
        && text.at(0) != QLatin1Char(' ')) {
        const QChar upper = text.at(0).unicode() >= 'a' && text.at(0).unicode() <= 'z'
                                ? QChar(char16_t(text.at(0).unicode() - ('a' - 'A')))
                                : text.at(0);
        if (m_typeAheadSearch)
            typeAhead(upper);
        QKeyEvent converted(event->type(), key, event->modifiers(), QString(upper), event->isAutoRepeat());
        StringGrid::keyPressEvent(&converted);
        event->setAccepted(converted.isAccepted());
        return;
    }
    if (key == Qt::Key_Space && !editorShowing())
        return; // Space acts on release
    StringGrid::keyPressEvent(event);
}

void SortGrid::keyReleaseEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
        m_tabDown = false;
    if (key == Qt::Key_Space && !editorShowing()) {
        const CellFormat format = currentFormat(currentCol(), currentRow());
        if (format.comboBox) {
            if (!showComboList(currentCol(), currentRow()))
                hideComboList();
        } else if (format.checkBox) {
            setChecked(currentCol(), currentRow(), !isChecked(currentCol(), currentRow()));
        } else if (format.ellipsis) {
            Q_EMIT ellipsisClicked(currentCol(), currentRow());
        }
    }
    if (m_multiSelect && !editorShowing()) {
        m_selectFollowsCursor = true;
        const bool shiftReleased = key == Qt::Key_Shift && m_selectedRows.isEmpty();
        const bool navReleased = isNavigationKey(key) && !(event->modifiers() & Qt::ShiftModifier);
        if (shiftReleased || navReleased) {
            selectRangeRows();
            if (navReleased)
                setOptions(options() & ~GridOptions(goRangeSelect));
        }
        Q_EMIT rowSelected();
    }
    StringGrid::keyReleaseEvent(event);
}

// ---- mouse ---------------------------------------------------------------------------------

GridCoord SortGrid::cellAtPoint(const QPoint &p) const
{
    GridCoord cell = mouseCoord(p.x(), p.y());
    if (cell.x < 0 && p.y() >= 0) {
        // A point below the last row counts as on the last row.
        const QRect last = cellRect(0, rowCount() - 1);
        const GridCoord column = mouseCoord(p.x(), 0);
        if (column.x >= 0 && !last.isEmpty() && p.y() > last.bottom())
            cell = GridCoord{column.x, rowCount() - 1};
    }
    return cell;
}

void SortGrid::mousePressEvent(QMouseEvent *event)
{
    hideComboList();
    const QPoint p = event->position().toPoint();
    const GridCoord cell = cellAtPoint(p);
    m_pressCell = cell;
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (m_multiSelect && !editorShowing() && event->button() == Qt::LeftButton && mods == Qt::NoModifier
        && cell.y >= 1 && !isRowSelected(cell.y)) {
        setOptions(options() & ~GridOptions(goRangeSelect));
        setSelection(GridRect{currentCol(), cell.y, currentCol(), cell.y});
        clearSelection();
        m_anchorRows[0] = QString::number(cell.y);
        m_selectedRows << QString::number(cell.y);
        Q_EMIT rowSelected();
    }
    if (cell.y >= 1 && isRowSelected(cell.y))
        m_dragPoint = p;
    const bool baseHandles = !m_multiSelect
                             || ((options() & goRangeSelect) && event->buttons() == Qt::LeftButton
                                 && mods == Qt::ShiftModifier)
                             || editorShowing() || cell.y == 0;
    m_pressSizing = false;
    if (baseHandles) {
        StringGrid::mousePressEvent(event);
        m_pressSizing = sizing();
    }
}

void SortGrid::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (m_dragPoint.x() >= 0 && event->buttons() == Qt::LeftButton
        && (std::abs(p.x() - m_dragPoint.x()) > DragDistance || std::abs(p.y() - m_dragPoint.y()) > DragDistance)) {
        m_dragPoint = QPoint(-1, -1);
        m_dragging = true;
        startDrag();
        return;
    }
    StringGrid::mouseMoveEvent(event);
}

void SortGrid::startDrag()
{
    auto *drag = new QDrag(this);
    auto *mime = new QMimeData;
    mime->setText(m_selectedRows.join(QLatin1Char(',')));
    drag->setMimeData(mime);
    drag->exec(Qt::MoveAction);
}

void SortGrid::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_dragging) {
        m_dragging = false;
        return;
    }
    m_dragPoint = QPoint(-1, -1);
    // An editor the press (or a double click) opened takes the keys at once.
    if (editorShowing())
        inplaceEditor()->setFocus(Qt::MouseFocusReason);
    else
        setFocus();
    StringGrid::mouseReleaseEvent(event);
    const QPoint p = event->position().toPoint();
    const GridCoord cell = cellAtPoint(p);
    if (event->button() == Qt::RightButton && cell.y > 0 && m_popupMenu)
        m_popupMenu->popup(viewport()->mapToGlobal(p));
    // Only the left button clicks a cell; the right one shows just the context menu.
    if (event->button() == Qt::LeftButton && cell.x >= 0 && cell.y >= 1 && cell == m_pressCell) {
        const CellFormat format = currentFormat(cell.x, cell.y);
        if (format.checkBox) {
            setChecked(cell.x, cell.y, !isChecked(cell.x, cell.y));
        } else if (format.comboBox) {
            if (!showComboList(cell.x, cell.y))
                hideComboList();
        } else if (format.ellipsis) {
            const QRect rect = cellRect(cell.x, cell.y);
            if (p.x() >= rect.left() + rect.width() - 16)
                Q_EMIT ellipsisClicked(cell.x, cell.y);
        }
    }
    if (cell.y == 0) {
        if (cell.x >= 0 && cell.x == m_pressCell.x && m_pressCell.y == 0 && !m_pressSizing)
            titleClick(cell.x, p.x(), event->button());
        return;
    }
    if (event->button() == Qt::LeftButton && cell.y >= 1 && m_pressCell.y >= 1 && m_multiSelect && !editorShowing()) {
        const Qt::KeyboardModifiers mods = event->modifiers();
        if (mods & Qt::ControlModifier) {
            if (!isRowSelected(cell.y)) {
                addSelected(cell.y);
                setSelection(GridRect{currentCol(), cell.y, currentCol(), cell.y});
                invalidateRow(cell.y);
            } else if (m_selectedRows.size() > 1) {
                m_selectedRows.removeAll(QString::number(cell.y));
                m_anchorRows.removeAll(QString::number(cell.y));
                if (m_anchorRows.isEmpty())
                    m_anchorRows << QString();
                bool ok = false;
                const int last = m_anchorRows.last().toInt(&ok);
                if (ok)
                    setSelection(GridRect{currentCol(), last, currentCol(), last});
                invalidateRow(cell.y);
            }
            setOptions(options() & ~GridOptions(goRangeSelect));
        } else if (mods & Qt::ShiftModifier) {
            selectRangeRows();
        } else {
            setOptions(options() & ~GridOptions(goRangeSelect));
            setSelection(GridRect{currentCol(), cell.y, currentCol(), cell.y});
            clearSelection();
            m_anchorRows[0] = QString::number(cell.y);
            m_selectedRows << QString::number(cell.y);
        }
        invalidateGrid();
        Q_EMIT rowSelected();
    }
}

void SortGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    const GridCoord cell = mouseCoord(p.x(), p.y());
    if (event->button() == Qt::LeftButton && cell.y == 0 && cell.x >= 0) {
        const QRect rect = cellRect(cell.x, 0);
        const int right = rect.left() + rect.width();
        if (std::abs(p.x() - right) <= AutoSizeZone) {
            autoSizeColumn(cell.x, false);
        } else if (p.x() - rect.left() <= AutoSizeZone) {
            int previous = cell.x - 1;
            while (previous >= 0 && colWidths(previous) < 0)
                --previous;
            if (previous >= 0)
                autoSizeColumn(previous, false);
        }
    }
    StringGrid::mouseDoubleClickEvent(event);
}

void SortGrid::wheelEvent(QWheelEvent *event)
{
    const int delta = event->angleDelta().y();
    if (delta < 0)
        scrollToCell(currentCol(), topRow() + 2);
    else if (delta > 0)
        scrollToCell(currentCol(), topRow() - 2);
    event->accept();
}
