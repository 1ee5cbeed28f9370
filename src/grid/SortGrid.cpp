#include "SortGrid.h"

#include "GridImages.h"
#include "SortCompare.h"

#include <QApplication>
#include <QDrag>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
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
    explicit EditorOptionGuard(TMyCustomGrid *grid)
        : m_grid(grid)
        , m_wasOn(grid->Options() & goAlwaysShowEditor)
    {
        if (m_wasOn)
            m_grid->setOptions(m_grid->Options() & ~TGridOptions(goAlwaysShowEditor));
    }
    ~EditorOptionGuard()
    {
        if (m_wasOn)
            m_grid->setOptions(m_grid->Options() | goAlwaysShowEditor);
    }
    EditorOptionGuard(const EditorOptionGuard &) = delete;
    EditorOptionGuard &operator=(const EditorOptionGuard &) = delete;

private:
    TMyCustomGrid *m_grid;
    bool m_wasOn;
};

template <typename T>
void MoveEntry(std::vector<T> &items, int from, int to)
{
    if (from < 0 || to < 0 || from >= int(items.size()) || to >= int(items.size()) || from == to)
        return;
    if (from < to)
        std::rotate(items.begin() + from, items.begin() + from + 1, items.begin() + to + 1);
    else
        std::rotate(items.begin() + to, items.begin() + from, items.begin() + from + 1);
}

void ResizeBy(TFontList &list, int delta)
{
    list.resize(size_t(std::max(0, int(list.size()) + delta)));
}

bool IsNavigationKey(int key)
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

QRect ComboListPlace(QRect list, int cellHeight, const QRect &window)
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

TSortGrid::TSortGrid(QWidget *parent)
    : TMyStringGrid(parent)
    , m_sortOptions(std::make_unique<TSortOptions>())
{
    setFixedCols(0);
    m_selectedRows << QStringLiteral("1");
    m_anchorRows << QStringLiteral("1");
    m_colFormats.resize(size_t(ColCount()));
    m_rowFormats.resize(size_t(RowCount()));
    m_upImage = GridImage("UP");
    m_downImage = GridImage("DOWN");

    m_comboList = new QListWidget(this);
    m_comboList->setFocusPolicy(Qt::ClickFocus); // the Tab key skips it
    m_comboList->setSortingEnabled(true);
    m_comboList->hide();
    m_comboList->installEventFilter(this);
    m_comboList->viewport()->installEventFilter(this);

    ShowMessage = [this](const QString &text) { QMessageBox::information(window(), QString(), text); };

    m_focusConnection = connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
        auto inside = [this](QWidget *w) {
            return w && (w == this || isAncestorOf(w)) && !(m_comboList && (w == m_comboList || m_comboList->isAncestorOf(w)));
        };
        const bool had = inside(old);
        const bool has = inside(now);
        if (had && !has) {
            m_hasFocus = false;
            ValidateEdit();
        } else if (!had && has) {
            m_hasFocus = true;
            RememberEdit();
        }
    });
}

TSortGrid::~TSortGrid()
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

void TSortGrid::setModified(bool value)
{
    m_modified = value;
    if (value && OnModified)
        OnModified(this);
}

void TSortGrid::setUserSettings(const QStringList &value)
{
    m_userSettings = value;
    setModified(true);
}

void TSortGrid::BeginUpdate()
{
    // A bracket opened inside another keeps the value saved by the outer one.
    if (!NowUpdating()) {
        m_savedUpdateOnSizeChange = m_sortOptions->UpdateOnSizeChange();
        m_sortOptions->setUpdateOnSizeChange(false);
    }
    TMyStringGrid::BeginUpdate();
}

void TSortGrid::EndUpdate()
{
    // The format lists follow counts changed inside the bracket, without the
    // rest of the size handling.
    m_colFormats.resize(size_t(ColCount()));
    m_rowFormats.resize(size_t(RowCount()));
    TMyStringGrid::EndUpdate();
    m_sortOptions->setUpdateOnSizeChange(m_savedUpdateOnSizeChange);
    if (OnEndUpdate)
        OnEndUpdate(this);
}

void TSortGrid::Clear()
{
    BeginUpdate();
    m_colFormats.assign(size_t(ColCount()), TFontSetting());
    m_rowFormats.assign(size_t(RowCount()), TFontSetting());
    setSelection(TGridRect{Col(), 1, Col(), 1});
    m_selectedRows.clear();
    m_anchorRows = QStringList{QStringLiteral("1")};
    BeginCellUpdate();
    for (int r = 1; r < RowCount(); ++r)
        Rows(r).Clear();
    EndCellUpdate();
    m_modified = false;
    setRowCount(2);
    m_rowFormats.resize(2);
    AutoSizeAllColumns(true);
    EndUpdate();
    if (OnRowSelected)
        OnRowSelected(this);
}

// ---- sorting -------------------------------------------------------------------

void TSortGrid::SortByColumn(int ACol)
{
    if (!m_sortOptions->CanSort())
        return;
    m_sortOptions->setSortCol(ACol);
    BeginUpdate();
    if (OnBeginSort)
        OnBeginSort(this, ACol);

    QSet<int> selection;
    for (const QString &s : std::as_const(m_selectedRows))
        selection.insert(s.toInt());

    QStringList keyTexts = m_sortOptions->SecondaryIndex().split(QLatin1Char(','));
    if (m_sortOptions->SecondaryIndex().isEmpty())
        keyTexts.clear();
    const qsizetype own = keyTexts.indexOf(QString::number(ACol));
    if (own >= 0)
        keyTexts.removeAt(own);
    std::vector<int> keys{ACol};
    for (const QString &t : std::as_const(keyTexts)) {
        int k = 0;
        if (SortCompare::TryStrToInt(t, k) && k >= 0)
            keys.push_back(k);
    }

    const int colCount = ColCount();
    const int rowCount = RowCount();
    // The working order: working row i is grid row order[i]. The grid is not
    // written until the primary key is sorted, so the keys are read from it.
    std::vector<int> order(static_cast<size_t>(rowCount));
    for (int r = 0; r < rowCount; ++r)
        order[size_t(r)] = r;

    const QLocale locale;
    for (int k = int(keys.size()) - 1; k >= 0; --k) {
        const int keyCol = keys[size_t(k)];
        m_sortedList.Clear();
        m_sortedList.Reserve(rowCount);
        for (int i = 1; i < rowCount; ++i) {
            TSortedListEntry entry;
            entry.Key = Cells(keyCol, order[size_t(i)]);
            entry.Row = i;
            entry.Options = m_sortOptions.get();
            m_sortedList.Add(std::move(entry));
        }
        if (OnGetSortStyle) {
            TSortStyle style = m_sortOptions->SortStyle();
            OnGetSortStyle(this, keyCol, style);
            m_sortOptions->setSortStyle(style);
        } else if (m_sortOptions->SortStyle() == ssAutomatic) {
            m_sortOptions->setSortStyle(DetectSortStyle(keyCol));
        }
        const TSortStyle style = m_sortOptions->SortStyle();
        const bool lower = !m_sortOptions->SortCaseSensitive();
        for (TSortedListEntry &e : m_sortedList.Entries()) {
            if (lower)
                e.Key = SortCompare::LowerCaseAZ(e.Key);
            switch (style) {
            case ssNumeric:
                e.Valid = SortCompare::TryStrToFloat(e.Key, locale, e.Value);
                break;
            case ssDateTime:
                e.Valid = SortCompare::TryStrToDateTime(e.Key, locale, e.Value);
                break;
            case ssTime:
                e.Valid = SortCompare::TryStrToTime(e.Key, locale, e.Value);
                break;
            default:
                break;
            }
        }
        std::vector<TSortedListEntry> &entries = m_sortedList.Entries();
        std::stable_sort(entries.begin(), entries.end(),
                         [this](const TSortedListEntry &a, const TSortedListEntry &b) {
                             return CompareEntries(a, b) < 0;
                         });
        std::vector<int> sorted(static_cast<size_t>(rowCount));
        for (int n = 0; n < int(entries.size()); ++n)
            sorted[size_t(n) + 1] = order[size_t(entries[size_t(n)].Row)];
        order = std::move(sorted);
        if (k == 0) {
            const std::vector<int> sources(order.begin() + 1, order.end());
            Store().PermuteRows(1, sources, colCount);
            bool first = true;
            for (int n = 0; n < int(sources.size()); ++n) {
                if (!selection.contains(sources[size_t(n)]))
                    continue;
                if (first) {
                    first = false;
                    setSelection(TGridRect{Col(), n + 1, Col(), n + 1});
                    m_selectedRows.clear();
                    m_anchorRows.clear();
                }
                m_selectedRows << QString::number(n + 1);
                m_anchorRows << QString::number(n + 1);
            }
        }
    }
    m_sortedList.Clear();
    m_sortOptions->setSortCompare(TSortCompare());
    if (OnEndSort)
        OnEndSort(this, keys.front());
    EndUpdate();
}

int TSortGrid::CompareEntries(const TSortedListEntry &a, const TSortedListEntry &b) const
{
    int result = 0;
    switch (m_sortOptions->SortStyle()) {
    case ssNumeric:
    case ssDateTime:
    case ssTime:
        if (a.Valid && b.Valid)
            result = a.Value < b.Value ? -1 : (a.Value > b.Value ? 1 : 0);
        else
            result = SortCompare::CompareOrdinal(a.Key, b.Key);
        break;
    case ssNumericExtended:
        // Empty keys come first and equal each other so that the order stays total.
        if (a.Key.isEmpty() || b.Key.isEmpty())
            result = a.Key.isEmpty() == b.Key.isEmpty() ? 0 : (a.Key.isEmpty() ? -1 : 1);
        else
            result = SortCompare::CompareNumericExtended(a.Key, b.Key);
        break;
    case ssCustom:
        if (const TSortCompare &compare = m_sortOptions->SortCompare())
            result = compare(a.Key, b.Key);
        else
            result = SortCompare::CompareOrdinal(a.Key, b.Key);
        result = (result > 0) - (result < 0);
        break;
    default:
        result = SortCompare::CompareOrdinal(a.Key, b.Key);
    }
    if (result == 0)
        return a.Row < b.Row ? -1 : (a.Row > b.Row ? 1 : 0);
    return m_sortOptions->SortDirection() == sdDescending ? -result : result;
}

TSortStyle TSortGrid::DetectSortStyle(int col) const
{
    const QLocale locale;
    bool number = true;
    bool time = true;
    bool dateTime = true;
    for (int r = 1; r < RowCount() && (number || time || dateTime); ++r) {
        const QString text = Cells(col, r);
        double v = 0;
        if (number && !SortCompare::TryStrToFloat(text, locale, v))
            number = false;
        if (time && !SortCompare::TryStrToTime(text, locale, v))
            time = false;
        if (dateTime && !SortCompare::TryStrToDateTime(text, locale, v))
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

void TSortGrid::TitleClick(int col, int x, Qt::MouseButton button)
{
    const QRect rect = CellRect(col, 0);
    if (rect.isEmpty() || x - rect.left() < TitleResizeZone || rect.left() + rect.width() - x <= TitleResizeZone)
        return;
    TSortOptions *o = m_sortOptions.get();
    if (button == Qt::RightButton)
        o->setSortDirection(sdDescending);
    else if (o->SortDirection() == sdDescending)
        o->setSortDirection(sdAscending);
    else
        o->setSortDirection(col == o->SortCol() ? sdDescending : sdAscending);
    SortByColumn(col);
}

// ---- size changes and the last column --------------------------------------------

void TSortGrid::SizeChanged(int oldColCount, int oldRowCount)
{
    setModified(true);
    UpdateProportionalScrollBars();
    if (m_sortOptions->UpdateOnSizeChange())
        SortByColumn(m_sortOptions->SortCol());
    if (!NowUpdating()) {
        try {
            GotoCell(0, 1, true);
        } catch (...) {
        }
    }
    ResizeBy(m_colFormats, ColCount() - oldColCount);
    ResizeBy(m_rowFormats, RowCount() - oldRowCount);
    if (RowCount() < 2 && ShowMessage)
        ShowMessage(QStringLiteral("Rowsize too small"));
    if (OnSizeChanged)
        OnSizeChanged(this, oldColCount, oldRowCount);
}

void TSortGrid::resizeEvent(QResizeEvent *event)
{
    TMyStringGrid::resizeEvent(event);
    FitLastColumn();
}

void TSortGrid::FitLastColumn()
{
    // The last column counts as visible when any part of it is in view, so that
    // a narrower window narrows it again.
    const int last = ColCount() - 1;
    if (last >= FixedCols() && CellRect(last, 0).isEmpty())
        return;
    int width = viewport()->width();
    int visible = 0;
    for (int c = 0; c < last; ++c) {
        if (c >= FixedCols() && c < LeftCol())
            continue;
        if (ColWidths(c) >= 0) {
            width -= ColWidths(c);
            ++visible;
        }
    }
    width -= visible + 1 + 3;
    if (width > 0)
        setColWidths(last, width);
    viewport()->update();
    UpdateScrollRange();
    UpdateProportionalScrollBars();
}

void TSortGrid::ColumnMoved(int fromIndex, int toIndex)
{
    TMyStringGrid::ColumnMoved(fromIndex, toIndex);
    MoveEntry(m_colFormats, fromIndex, toIndex);
    setModified(true);
    const int sortCol = m_sortOptions->SortCol();
    if (fromIndex == sortCol)
        m_sortOptions->setSortCol(toIndex);
    else if (toIndex <= sortCol && sortCol <= fromIndex)
        m_sortOptions->setSortCol(sortCol + 1);
    else if (fromIndex <= sortCol && sortCol <= toIndex)
        m_sortOptions->setSortCol(sortCol - 1);
}

void TSortGrid::RowMoved(int fromIndex, int toIndex)
{
    TMyStringGrid::RowMoved(fromIndex, toIndex);
}

void TSortGrid::ColWidthsChanged()
{
    UpdateProportionalScrollBars();
    if (OnColumnWidthsChanged)
        OnColumnWidthsChanged(this);
}

void TSortGrid::RowHeightsChanged()
{
    UpdateProportionalScrollBars();
    if (OnRowHeightsChanged)
        OnRowHeightsChanged(this);
}

void TSortGrid::SetEditText(int col, int row, const QString &value)
{
    const bool changed = Cells(col, row) != value;
    TMyStringGrid::SetEditText(col, row, value);
    if (changed)
        setModified(true);
}

bool TSortGrid::CanEditShow() const
{
    if (!TMyStringGrid::CanEditShow())
        return false;
    bool checkBox = false, combobox = false, ellipsis = false;
    const_cast<TSortGrid *>(this)->CellKinds(Col(), Row(), checkBox, combobox, ellipsis);
    return !checkBox && !combobox;
}

// ---- selection -------------------------------------------------------------------

bool TSortGrid::SelectCell(int col, int row)
{
    bool answer = false;
    if (EditorShowing()) {
        bool checkBox = false, combobox = false, ellipsis = false;
        CellKinds(col, row, checkBox, combobox, ellipsis);
        if (combobox)
            ShowComboList(col, row);
        if (m_tabDown && col < ColCount() - 2) {
            // The list just opened keeps the focus; only the editor closes.
            if (SelectCell(col + 1, row))
                ApplySelection(TGridRect{col + 1, row, col + 1, row});
        }
        answer = (checkBox || combobox) ? false : TMyStringGrid::SelectCell(col, row);
    } else {
        answer = TMyStringGrid::SelectCell(col, row);
    }
    if (answer && m_selectFollowsCursor) {
        ClearSelection();
        m_selectedRows << QString::number(row);
        m_anchorRows[0] = QString::number(row);
        if (OnRowSelected)
            OnRowSelected(this);
    }
    InvalidateRow(Row());
    InvalidateRow(row);
    return answer;
}

void TSortGrid::ClearSelection()
{
    while (!m_selectedRows.isEmpty()) {
        InvalidateRow(m_selectedRows.first().toInt());
        m_selectedRows.removeFirst();
    }
    while (m_anchorRows.size() > 1)
        m_anchorRows.removeLast();
    if (m_anchorRows.isEmpty())
        m_anchorRows << QString();
    else
        m_anchorRows[0] = QString();
}

bool TSortGrid::IsRowSelected(int ARow) const
{
    return m_selectedRows.contains(QString::number(ARow));
}

bool TSortGrid::IsRowEmpty(int ARow) const
{
    for (int c = 0; c < ColCount(); ++c)
        if (!Cells(c, ARow).isEmpty())
            return false;
    return true;
}

void TSortGrid::AddSelected(int row)
{
    const QString text = QString::number(row);
    if (!m_selectedRows.contains(text))
        m_selectedRows << text;
    m_anchorRows << text;
}

void TSortGrid::GotoCell(int ACol, int ARow, bool Scroll)
{
    CommitEditing();
    ACol = std::clamp(ACol, 0, ColCount() - 1);
    ARow = std::clamp(ARow, 1, std::max(1, RowCount() - 1));
    if (ARow >= RowCount())
        return;
    if (!SelectCell(ACol, ARow))
        return;
    MoveCurrent(ACol, ARow, true, true);
    ClearSelection();
    m_selectedRows << QString::number(ARow);
    m_anchorRows[0] = QString::number(ARow);
    if (Col() != ACol || Row() != ARow)
        setSelection(TGridRect{ACol, ARow, ACol, ARow});
    InvalidateGrid();
    if (Scroll)
        ScrollToCell(ACol, ARow);
}

void TSortGrid::ScrollToCell(int ACol, int ARow)
{
    ACol = std::clamp(ACol, 0, ColCount() - 1);
    ARow = std::clamp(ARow, 1, std::max(1, RowCount() - 1));
    while (ACol > LeftCol() + VisibleColCount() - 1 && LeftCol() < ColCount()) {
        const int before = LeftCol();
        setLeftCol(before + 1);
        if (LeftCol() == before)
            break;
    }
    if (ACol < LeftCol())
        setLeftCol(std::max(ACol, FixedCols()));
    const int m = std::max(1, RowCount() - VisibleRowCount());
    if (m < ARow)
        setTopRow(m);
    else
        setTopRow(ARow < 2 ? 1 : ARow - 1);
}

// ---- row and column operations -------------------------------------------------

void TSortGrid::InsertRow(int ARow)
{
    EditorOptionGuard guard(this);
    const int newCount = RowCount() + 1;
    if (!(ARow < newCount - 2))
        ARow = ARow + 1;
    ARow = std::clamp(ARow, 1, newCount - 1);
    // The store shifts every row from ARow on, the rows kept beyond RowCount too.
    Store().InsertRow(ARow);
    InsertRowSlot(ARow);
    setRowCount(newCount);
    if (int(m_rowFormats.size()) == newCount)
        MoveEntry(m_rowFormats, newCount - 1, ARow);
    Rows(ARow).Clear();
    setSelection(TGridRect{Col(), ARow, Col(), ARow});
    ClearSelection();
    m_selectedRows << QString::number(ARow);
    m_anchorRows[0] = QString::number(ARow);
    InvalidateGrid();
    if (OnRowInsert)
        OnRowInsert(this, ARow);
}

void TSortGrid::DeleteRow(int ARow)
{
    EditorOptionGuard guard(this);
    setModified(true);
    if (RowCount() < 3) {
        Rows(1).Clear();
    } else {
        // The deleted row's format entry goes to the end, where the shrink drops it.
        if (ARow >= 0 && ARow < int(m_rowFormats.size()))
            MoveEntry(m_rowFormats, ARow, int(m_rowFormats.size()) - 1);
        TMyStringGrid::DeleteRow(ARow);
    }
    if (OnRowDelete)
        OnRowDelete(this, ARow);
}

void TSortGrid::InsertColumn(int ACol)
{
    EditorOptionGuard guard(this);
    const int newCount = ColCount() + 1;
    ACol = std::clamp(ACol, 0, newCount - 1);
    Store().InsertCol(ACol);
    InsertColSlot(ACol);
    setColCount(newCount);
    if (int(m_colFormats.size()) == newCount)
        MoveEntry(m_colFormats, newCount - 1, ACol);
    Cols(ACol).Clear();
    setSelection(TGridRect{ACol, Row(), ACol, Row()});
    InvalidateGrid();
    if (OnColumnInsert)
        OnColumnInsert(this, ACol);
}

void TSortGrid::DeleteColumn(int ACol)
{
    EditorOptionGuard guard(this);
    Cols(ACol).Clear();
    if (ACol >= 0 && ACol < int(m_colFormats.size()))
        MoveEntry(m_colFormats, ACol, int(m_colFormats.size()) - 1);
    TMyStringGrid::DeleteColumn(ACol);
    if (OnColumnDelete)
        OnColumnDelete(this, ACol);
}

void TSortGrid::MoveRow(int FromIndex, int ToIndex)
{
    EditorOptionGuard guard(this);
    TMyStringGrid::MoveRow(FromIndex, ToIndex);
    if (FromIndex >= 0 && ToIndex >= 0 && FromIndex < int(m_rowFormats.size()) && ToIndex < int(m_rowFormats.size()))
        std::swap(m_rowFormats[size_t(FromIndex)], m_rowFormats[size_t(ToIndex)]);
}

void TSortGrid::SwapRows(int A, int B)
{
    if (A == B || A < 0 || B < 0)
        return;
    // Works on the store so that a row kept beyond RowCount can take part.
    if (A < B) {
        Store().MoveRow(B, A);
        Store().MoveRow(A + 1, B);
    } else {
        Store().MoveRow(A, B);
        Store().MoveRow(B + 1, A);
    }
    if (A < int(m_rowFormats.size()) && B < int(m_rowFormats.size()))
        std::swap(m_rowFormats[size_t(A)], m_rowFormats[size_t(B)]);
    InvalidateGrid();
}

// ---- filter, hidden rows, multi-select ------------------------------------------

void TSortGrid::setFiltered(bool value)
{
    m_filtered = value;
    if (value && IsRowEmpty(1))
        return;
    if (!value && m_hiddenCount == 0)
        return;
    const bool wasModified = m_modified;
    const bool wasUpdating = NowUpdating();
    if (!wasUpdating)
        BeginUpdate();

    auto showHidden = [this]() {
        const int hidden = m_hiddenCount;
        setRowCount(RowCount() + hidden);
        if (IsRowEmpty(1))
            DeleteRow(1);
        if (hidden != 0)
            SortByColumn(m_sortOptions->SortCol());
        m_hiddenCount = 0;
    };

    if (value) {
        // A second run first brings back the rows the first one hid.
        if (m_hiddenCount > 0)
            showHidden();
        const int rowCount = RowCount();
        const int colCount = ColCount();
        std::vector<bool> accepted(size_t(rowCount), false);
        accepted[0] = true;
        int acceptedCount = 0;
        bool ask = true;
        for (int r = 1; r < rowCount; ++r) {
            if (!OnSetFilter)
                ask = false;
            if (!ask)
                continue;
            const QStringList cells = Rows(r).ToStringList();
            bool accept = false;
            OnSetFilter(cells, accept);
            if (accept) {
                accepted[size_t(r)] = true;
                ++acceptedCount;
            }
        }
        m_hiddenCount = rowCount - 1 - acceptedCount;
        // Accepted rows (the title first) move to the top in their order, the
        // rejected rows follow them from row RowCount - HiddenCount on.
        std::vector<int> sources;
        sources.reserve(size_t(rowCount));
        for (int r = 0; r < rowCount; ++r)
            if (accepted[size_t(r)])
                sources.push_back(r);
        for (int r = 0; r < rowCount; ++r)
            if (!accepted[size_t(r)])
                sources.push_back(r);
        Store().PermuteRows(0, sources, colCount);
        if (acceptedCount == 0) {
            Store().ClearRow(rowCount); // the placeholder row must be empty
            SwapRows(1, rowCount);
            setRowCount(2);
        } else {
            setRowCount(rowCount - m_hiddenCount);
            SortByColumn(m_sortOptions->SortCol());
        }
        GotoCell(0, 1, true);
    } else {
        showHidden();
    }

    if (!wasUpdating && NowUpdating())
        EndUpdate();
    setModified(wasModified);
}

void TSortGrid::setHideRows(bool value)
{
    m_hideRows = value;
    CommitEditing();
    MoveCurrent(Col(), std::min(1, RowCount() - 1), true, true);
    InvalidateGrid();
}

void TSortGrid::setMultiSelect(bool value)
{
    m_multiSelect = value;
    if (value)
        setOptions(Options() | goRowSelect);
}

void TSortGrid::SelectRangeRows()
{
    ClearSelection();
    if (!m_anchorRows.isEmpty())
        m_anchorRows.removeFirst();
    const TGridRect sel = Selection();
    for (int r = sel.Top; r <= sel.Bottom; ++r)
        AddSelected(r);
    if (m_anchorRows.isEmpty())
        m_anchorRows << QString();
}

// ---- cell format and painting ------------------------------------------------------

void TSortGrid::setAlignmentHorz(TAlignment value)
{
    if (value == m_alignmentHorz)
        return;
    m_alignmentHorz = value;
    InvalidateGrid();
}

void TSortGrid::setAlignmentVert(TVertAlignment value)
{
    if (value == m_alignmentVert)
        return;
    m_alignmentVert = value;
    InvalidateGrid();
}

void TSortGrid::setBevelStyle(TCellBevelStyle value)
{
    if (value == m_bevelStyle)
        return;
    m_bevelStyle = value;
    InvalidateGrid();
}

void TSortGrid::setProportionalScrollBars(bool value)
{
    if (value == m_proportionalScrollBars)
        return;
    m_proportionalScrollBars = value;
    if (value)
        UpdateProportionalScrollBars();
    else
        UpdateScrollRange();
}

void TSortGrid::UpdateProportionalScrollBars()
{
    if (!m_proportionalScrollBars)
        return;
    QScrollBar *v = verticalScrollBar();
    if (ScrollBars() == ssVertical || ScrollBars() == ssBoth) {
        const double share = double(VisibleRowCount() + 1) / double(std::max(1, RowCount()));
        const double page = std::nearbyint(share * double(v->maximum() - v->minimum() + 1));
        v->setPageStep(std::max(1, int(page)));
    }
    QScrollBar *h = horizontalScrollBar();
    if (ScrollBars() == ssHorizontal || ScrollBars() == ssBoth) {
        const double share = double(VisibleColCount()) / double(std::max(1, ColCount()));
        const double page = std::nearbyint(share * double(h->maximum() - h->minimum() + 1));
        h->setPageStep(std::max(1, int(page)));
        h->update();
    }
}

void TSortGrid::GetCellFormat(int Col, int Row, TFormatOptions &FormatOptions, bool &CheckBox, bool &Combobox,
                              bool &Ellipsis)
{
    TGridDrawState state;
    if (hasFocus() && Col == this->Col() && Row == this->Row())
        state |= gdFocused;
    if (Selection().Contains(Col, Row))
        state |= gdSelected;
    const TGridDrawState baseState = CellState(Col, Row);
    FormatOptions.Brush.Color = CellBrushColor(Col, Row, baseState);
    static_cast<QFont &>(FormatOptions.Font) = font();
    FormatOptions.Font.Color = CellFontColor(baseState);
    FormatOptions.AlignmentHorz = m_alignmentHorz;
    FormatOptions.AlignmentVert = m_alignmentVert;
    FormatOptions.BevelStyle = m_bevelStyle;
    switch (m_bevelStyle) {
    case cbRaised:
        FormatOptions.HighlightColor = Colors::clBtnHighlight;
        FormatOptions.ShadowColor = Colors::clBtnShadow;
        break;
    case cbLowered:
        FormatOptions.HighlightColor = Colors::clBtnShadow;
        FormatOptions.ShadowColor = Colors::clBtnHighlight;
        break;
    default:
        FormatOptions.HighlightColor = Colors::clWindow;
        FormatOptions.ShadowColor = Colors::clWindow;
    }
    FormatOptions.HideText = false;
    CheckBox = false;
    Combobox = false;
    Ellipsis = false;
    if (OnGetCellFormat)
        OnGetCellFormat(this, Col, Row, state, FormatOptions, CheckBox, Combobox, Ellipsis);
}

void TSortGrid::CellKinds(int col, int row, bool &checkBox, bool &combobox, bool &ellipsis)
{
    TFormatOptions fo;
    GetCellFormat(col, row, fo, checkBox, combobox, ellipsis);
}

TFontSetting TSortGrid::RowFormatFromCell(int row) const
{
    TFontSetting s;
    s.Active = true;
    const QStringList items = Cells(ColCount(), row).split(QLatin1Char(','));
    auto colour = [](const QString &text, TColor fallback) {
        const QString t = text.trimmed();
        bool ok = false;
        qint64 v = 0;
        if (t.startsWith(QLatin1Char('$')))
            v = t.mid(1).toLongLong(&ok, 16);
        else
            v = t.toLongLong(&ok, 10);
        if (ok)
            return TColor(quint32(v));
        const QColor named = QColor::fromString(t.startsWith(QLatin1String("cl")) ? t.mid(2) : t);
        return named.isValid() ? FromQColor(named) : fallback;
    };
    if (items.size() > 0)
        s.FontColor = colour(items.at(0), Colors::clWindowText);
    s.Bold = items.size() > 1 && items.at(1) == QLatin1String("1");
    s.Italic = items.size() > 2 && items.at(2) == QLatin1String("1");
    s.Underline = items.size() > 3 && items.at(3) == QLatin1String("1");
    if (items.size() > 4)
        s.BrushColor = colour(items.at(4), Colors::clWindow);
    return s;
}

bool TSortGrid::IsCheckedText(const QString &text) const
{
    return text == QLatin1String("true") || text == QLatin1String("1") || text == QLatin1String("V");
}

void TSortGrid::DrawCell(QPainter &painter, int col, int row, const QRect &rect, TGridDrawState state)
{
    const int left = rect.left();
    const int top = rect.top();
    const int width = rect.width();   // Right - Left
    const int height = rect.height(); // Bottom - Top
    if (row > 0 && (NowUpdating() || m_hideRows)) {
        painter.fillRect(rect, ToQColor(CellBrushColor(col, row, CellState(col, row))));
        return;
    }
    TFormatOptions fo;
    bool checkBox = false, combobox = false, ellipsis = false;
    GetCellFormat(col, row, fo, checkBox, combobox, ellipsis);
    if (checkBox)
        fo.HideText = true;

    const TGridRect sel = Selection();
    const bool rangeSelect = Options() & goRangeSelect;
    const bool colActive = col < int(m_colFormats.size()) && m_colFormats[size_t(col)].Active;
    const bool rowActive = row < int(m_rowFormats.size()) && m_rowFormats[size_t(row)].Active;
    auto applyFormat = [&fo](const TFontSetting &s) {
        fo.Font.Color = s.FontColor;
        fo.Brush.Color = s.BrushColor;
        if (s.Bold)
            fo.Font.setBold(true);
        if (s.Italic)
            fo.Font.setItalic(true);
        if (s.Underline)
            fo.Font.setUnderline(true);
    };
    if (rangeSelect && row >= sel.Top && row <= sel.Bottom) {
        fo.Font.Color = Colors::clHighlightText;
        fo.Brush.Color = Colors::clHighlight;
    } else if (m_multiSelect && IsRowSelected(row) && !(Options() & goEditing)) {
        fo.Font.Color = Colors::clHighlightText;
        fo.Brush.Color = Colors::clHighlight;
    } else if (colActive && !rowActive) {
        applyFormat(m_colFormats[size_t(col)]);
    } else if (rowActive) {
        applyFormat(RowFormatFromCell(row));
    }
    painter.fillRect(rect, ToQColor(fo.Brush.Color));
    painter.setFont(fo.Font);
    painter.setPen(ToQColor(fo.Font.Color));
    const QFontMetrics fm(fo.Font);
    QString text = Cells(col, row);

    const bool marker = col == m_sortOptions->SortCol() && m_sortOptions->CanSort();
    if (row == 0) {
        const int avail = marker ? ColWidths(col) - 12 : ColWidths(col) - 1;
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
    if (fo.AlignmentHorz == taRightJustify)
        dx = width - textWidth - 2;
    else if (fo.AlignmentHorz == taCenter)
        dx = (width - textWidth) / 2;
    int dy = 2;
    if (fo.AlignmentVert == taBottomJustify)
        dy = height - textHeight - 3;
    else if (fo.AlignmentVert == taMiddle)
        dy = (height - textHeight) / 2;

    if (marker) {
        if (row == 0)
            dx += 10;
        const QPixmap &image = m_sortOptions->SortDirection() == sdAscending ? m_upImage : m_downImage;
        const int w = width <= 10 ? width - 3 : 8;
        const int y = RowHeights(0) / 2 - 4;
        if (w > 0 && row == 0)
            painter.drawPixmap(QPoint(left + 3, y), image, QRect(0, 0, w, 7));
    }
    if (!fo.HideText)
        painter.drawText(QPoint(left + dx, top + dy + fm.ascent()), text);

    if (checkBox) {
        const QPixmap image = GridImage(IsCheckedText(Cells(col, row)) ? "CHECKED" : "UNCHECKED");
        const int w = width <= 16 ? width - 1 : 16;
        if (w > 0)
            painter.drawPixmap(QPoint(left + (width - w) / 2, top + height / 2 - 8), image, QRect(0, 0, w, 16));
    }
    const bool currentRow = row == Row();
    if (combobox && currentRow && (col == Col() || EditorShowing())) {
        const QPixmap image = GridImage("COMBOBOX");
        const int w = std::min(16, width);
        painter.drawPixmap(QRect(left + width - w, top, w, height), image, QRect(0, 0, w, 16));
    }
    if (ellipsis && currentRow && col != Col()) {
        const QPixmap image = GridImage("ELLIPSIS");
        const int w = std::min(16, width);
        painter.drawPixmap(QRect(left + width - w, top, w, height), image, QRect(0, 0, w, 16));
    }
    if (fo.BevelStyle != cbNone && col >= 0 && row >= 1) {
        const int right = left + width;
        const int bottom = top + height;
        const QColor shadow = ToQColor(fo.ShadowColor);
        const QColor highlight = ToQColor(fo.HighlightColor);
        const bool vert = Options() & goFixedVertLine;
        const bool horz = Options() & goFixedHorzLine;
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
    if (OnDrawCell)
        OnDrawCell(this, col, row, rect, state);
}

void TSortGrid::AutoSizeColumn(int ACol, bool Force)
{
    if (ACol < 0 || ACol >= ColCount())
        return;
    if (ColWidths(ACol) < 0 && !Force)
        return;
    int widest = 0;
    for (int r = 0; r < RowCount(); ++r) {
        TFormatOptions fo;
        bool checkBox = false, combobox = false, ellipsis = false;
        GetCellFormat(ACol, r, fo, checkBox, combobox, ellipsis);
        int w = QFontMetrics(fo.Font).horizontalAdvance(Cells(ACol, r));
        if (r == 0 && ACol == m_sortOptions->SortCol() && m_sortOptions->CanSort())
            w += 12;
        widest = std::max(widest, w);
    }
    const QFontMetrics fm(font());
    setColWidths(ACol, widest <= 0 ? fm.horizontalAdvance(QStringLiteral("xx"))
                                   : widest + fm.horizontalAdvance(QStringLiteral("X")));
}

void TSortGrid::AutoSizeAllColumns(bool Force)
{
    const bool wasUpdating = NowUpdating();
    if (!wasUpdating)
        BeginUpdate();
    for (int c = 0; c < ColCount(); ++c)
        AutoSizeColumn(c, Force);
    if (!wasUpdating)
        EndUpdate();
}

// ---- check boxes, drop-down lists, validation -----------------------------------------

void TSortGrid::SetChecked(int ACol, int ARow, bool State)
{
    bool checkBox = false, combobox = false, ellipsis = false;
    CellKinds(ACol, ARow, checkBox, combobox, ellipsis);
    if (!checkBox)
        return;
    setCells(ACol, ARow, State ? QStringLiteral("V") : QString());
    InvalidateRow(ARow);
    if (OnSetChecked)
        OnSetChecked(this, ACol, ARow, State);
}

bool TSortGrid::IsChecked(int ACol, int ARow)
{
    bool checkBox = false, combobox = false, ellipsis = false;
    CellKinds(ACol, ARow, checkBox, combobox, ellipsis);
    return checkBox && IsCheckedText(Cells(ACol, ARow));
}

QPoint TSortGrid::ComboListOffset() const
{
    return viewport()->mapTo(window(), QPoint(0, 0));
}

bool TSortGrid::ShowComboList(int ACol, int ARow)
{
    bool checkBox = false, combobox = false, ellipsis = false;
    CellKinds(ACol, ARow, checkBox, combobox, ellipsis);
    if (!combobox || !OnGetComboBox)
        return false;
    QStringList strs;
    int width = 0;
    int height = 0;
    bool sorted = true;
    OnGetComboBox(this, ACol, ARow, strs, width, height, sorted);
    if (strs.isEmpty() || !m_comboList)
        return false;
    QWidget *form = window();
    if (m_comboList->parentWidget() != form) {
        m_comboList->setParent(form);
        m_comboList->hide();
    }
    m_comboList->setFont(font());
    m_comboList->clear();
    m_comboList->setSortingEnabled(sorted);
    m_comboList->addItems(strs);
    const QString current = Cells(ACol, ARow);
    int index = 0;
    for (int i = 0; i < m_comboList->count(); ++i) {
        if (m_comboList->item(i)->text().compare(current, Qt::CaseInsensitive) == 0) {
            index = i;
            break;
        }
    }
    m_comboList->setCurrentRow(index);
    const QRect cell = CellRect(ACol, ARow);
    const QPoint pos = ComboListOffset() + cell.topLeft();
    const int itemHeight = std::max(1, m_comboList->sizeHintForRow(0));
    const int w = width != 0 ? width : cell.width() + 1;
    const int h = (height != 0 || m_comboList->count() >= 10) ? 10 * itemHeight + 5
                                                              : m_comboList->count() * itemHeight + 5;
    m_comboCell = TGridCoord{ACol, ARow};
    m_comboList->setGeometry(ComboListPlace(QRect(pos, QSize(w, h)), cell.height(), form->rect()));
    m_comboList->show();
    m_comboList->raise();
    m_comboList->setFocus();
    return true;
}

void TSortGrid::HideComboList()
{
    if (!m_comboList || !m_comboList->isVisible())
        return;
    m_closingList = true;
    if (m_comboList->hasFocus())
        setFocus();
    m_comboList->hide();
    m_closingList = false;
}

void TSortGrid::ChooseComboEntry()
{
    if (m_closingList || !m_comboList || !m_comboList->isVisible())
        return;
    m_closingList = true;
    QListWidgetItem *item = m_comboList->currentItem();
    const QString text = item ? item->text() : QString();
    const TGridCoord cell = m_comboCell;
    if (item)
        setCells(cell.X, cell.Y, text);
    // A list that lost the focus to another control leaves the focus there.
    if (m_comboList->hasFocus())
        setFocus();
    m_comboList->hide();
    InvalidateCol(cell.X);
    m_closingList = false;
    if (item && OnSetComboBox)
        OnSetComboBox(this, cell.X, cell.Y, text);
}

void TSortGrid::CommitEditing()
{
    ChooseComboEntry();
    TMyStringGrid::CommitEditing();
}

void TSortGrid::TopLeftChanged()
{
    // The list belongs to a cell that has just moved away under it.
    HideComboList();
    TMyStringGrid::TopLeftChanged();
}

bool TSortGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (m_comboList && (watched == m_comboList || watched == m_comboList->viewport())) {
        switch (event->type()) {
        case QEvent::MouseButtonRelease:
            ChooseComboEntry();
            return true;
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
                HideComboList();
                return true;
            }
            break;
        case QEvent::KeyRelease: {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
                ChooseComboEntry();
                return true;
            }
            break;
        }
        case QEvent::FocusOut:
            if (watched == m_comboList)
                ChooseComboEntry();
            break;
        default:
            break;
        }
    }
    return TMyStringGrid::eventFilter(watched, event);
}

void TSortGrid::RememberEdit()
{
    if (!EditorMode())
        return;
    m_editCol = Col();
    m_editRow = Row();
    m_editText = Cells(m_editCol, m_editRow);
    m_editModified = m_modified;
}

void TSortGrid::ValidateEdit()
{
    if (EditorMode() && m_editCol >= 0 && Cells(m_editCol, m_editRow) != m_editText) {
        const QString current = Cells(m_editCol, m_editRow);
        QString newValue = current;
        bool valid = true;
        if (OnCellValidate)
            OnCellValidate(this, m_editCol, m_editRow, m_editText, newValue, valid);
        if (valid) {
            if (newValue != current)
                setCells(m_editCol, m_editRow, newValue);
        } else {
            setCells(m_editCol, m_editRow, newValue != current ? newValue : m_editText);
            m_modified = m_editModified;
            if (m_modified && OnModified)
                OnModified(this);
        }
        if (InplaceEditor()->isVisible() && m_editCol == Col() && m_editRow == Row())
            InplaceEditor()->setText(Cells(m_editCol, m_editRow));
    }
    RememberEdit();
}

void TSortGrid::EditStarted()
{
    // Validation compares with the text the cell had when editing began.
    m_editStartModified = m_modified;
    RememberEdit();
}

void TSortGrid::EditEnding()
{
    ValidateEdit();
}

void TSortGrid::EditCancelled()
{
    // The text is back as it was, and so is the flag: a cancelled edit is no change.
    if (m_editStartModified)
        setModified(true);
    else
        m_modified = false;
    RememberEdit();
}

void TSortGrid::Click()
{
    if (m_hasFocus)
        ValidateEdit();
    TMyStringGrid::Click();
}

void TSortGrid::focusInEvent(QFocusEvent *event)
{
    TMyStringGrid::focusInEvent(event);
}

void TSortGrid::focusOutEvent(QFocusEvent *event)
{
    TMyStringGrid::focusOutEvent(event);
}

// ---- keyboard ----------------------------------------------------------------------------

void TSortGrid::TypeAhead(QChar key)
{
    const int col = m_sortOptions->SortCol();
    auto matches = [&](int r) {
        const QString text = Cells(col, r);
        return !text.isEmpty() && SortCompare::LowerCaseAZ(text.left(1)).toUpper() == key;
    };
    int found = -1;
    for (int r = Row() + 1; r < RowCount() && found < 0; ++r)
        if (matches(r))
            found = r;
    for (int r = 1; r <= Row() && r < RowCount() && found < 0; ++r)
        if (matches(r))
            found = r;
    if (found >= 0)
        GotoCell(col, found, true);
}

void TSortGrid::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
        m_tabDown = true;
    if (!EditorShowing()) {
        if (m_multiSelect) {
            m_selectFollowsCursor = false;
            if (key == Qt::Key_Shift) {
                setOptions(Options() | goRangeSelect);
                ClearSelection();
            } else if (mods & Qt::ShiftModifier) {
                if (m_anchorRows.isEmpty())
                    m_anchorRows << QString();
                m_anchorRows[0] = QString::number(Row());
            } else if (IsNavigationKey(key)) {
                m_selectFollowsCursor = true;
            }
        }
        if (m_extendedKeys && (key == Qt::Key_Insert || key == Qt::Key_Delete)) {
            if (mods == Qt::ControlModifier) {
                if (key == Qt::Key_Insert)
                    InsertRow(Row());
                else if (RowCount() > 2)
                    DeleteRow(Row());
                return;
            }
            if (mods == (Qt::ControlModifier | Qt::ShiftModifier)) {
                if (key == Qt::Key_Insert)
                    InsertColumn(Col());
                else if (ColCount() > 1)
                    DeleteColumn(Col());
                return;
            }
        }
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        ValidateEdit();
    const QString text = event->text();
    if (!EditorShowing() && text.size() == 1 && text.at(0).isPrint() && !(mods & (Qt::ControlModifier | Qt::AltModifier))
        && text.at(0) != QLatin1Char(' ')) {
        const QChar upper = text.at(0).unicode() >= 'a' && text.at(0).unicode() <= 'z'
                                ? QChar(char16_t(text.at(0).unicode() - ('a' - 'A')))
                                : text.at(0);
        if (m_typeAheadSearch)
            TypeAhead(upper);
        QKeyEvent converted(event->type(), key, event->modifiers(), QString(upper), event->isAutoRepeat());
        TMyStringGrid::keyPressEvent(&converted);
        event->setAccepted(converted.isAccepted());
        return;
    }
    if (key == Qt::Key_Space && !EditorShowing())
        return; // Space acts on release
    TMyStringGrid::keyPressEvent(event);
}

void TSortGrid::keyReleaseEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
        m_tabDown = false;
    if (key == Qt::Key_Space && !EditorShowing()) {
        bool checkBox = false, combobox = false, ellipsis = false;
        CellKinds(Col(), Row(), checkBox, combobox, ellipsis);
        if (combobox) {
            if (!ShowComboList(Col(), Row()))
                HideComboList();
        } else if (checkBox) {
            SetChecked(Col(), Row(), !IsChecked(Col(), Row()));
        } else if (ellipsis && OnSetEllipsis) {
            OnSetEllipsis(this, Col(), Row());
        }
    }
    if (m_multiSelect && !EditorShowing()) {
        m_selectFollowsCursor = true;
        const bool shiftReleased = key == Qt::Key_Shift && m_selectedRows.isEmpty();
        const bool navReleased = IsNavigationKey(key) && !(event->modifiers() & Qt::ShiftModifier);
        if (shiftReleased || navReleased) {
            SelectRangeRows();
            if (navReleased)
                setOptions(Options() & ~TGridOptions(goRangeSelect));
        }
        if (OnRowSelected)
            OnRowSelected(this);
    }
    TMyStringGrid::keyReleaseEvent(event);
}

// ---- mouse ---------------------------------------------------------------------------------

TGridCoord TSortGrid::CellAtPoint(const QPoint &p) const
{
    TGridCoord cell = MouseCoord(p.x(), p.y());
    if (cell.X < 0 && p.y() >= 0) {
        // A point below the last row counts as on the last row.
        const QRect last = CellRect(0, RowCount() - 1);
        const TGridCoord column = MouseCoord(p.x(), 0);
        if (column.X >= 0 && !last.isEmpty() && p.y() > last.bottom())
            cell = TGridCoord{column.X, RowCount() - 1};
    }
    return cell;
}

void TSortGrid::mousePressEvent(QMouseEvent *event)
{
    HideComboList();
    const QPoint p = event->position().toPoint();
    const TGridCoord cell = CellAtPoint(p);
    m_pressCell = cell;
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (m_multiSelect && !EditorShowing() && event->button() == Qt::LeftButton && mods == Qt::NoModifier
        && cell.Y >= 1 && !IsRowSelected(cell.Y)) {
        setOptions(Options() & ~TGridOptions(goRangeSelect));
        setSelection(TGridRect{Col(), cell.Y, Col(), cell.Y});
        ClearSelection();
        m_anchorRows[0] = QString::number(cell.Y);
        m_selectedRows << QString::number(cell.Y);
        if (OnRowSelected)
            OnRowSelected(this);
    }
    if (cell.Y >= 1 && IsRowSelected(cell.Y))
        m_dragPoint = p;
    const bool baseHandles = !m_multiSelect
                             || ((Options() & goRangeSelect) && event->buttons() == Qt::LeftButton
                                 && mods == Qt::ShiftModifier)
                             || EditorShowing() || cell.Y == 0;
    m_pressSizing = false;
    if (baseHandles) {
        TMyStringGrid::mousePressEvent(event);
        m_pressSizing = Sizing();
    }
}

void TSortGrid::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (m_dragPoint.x() >= 0 && event->buttons() == Qt::LeftButton
        && (std::abs(p.x() - m_dragPoint.x()) > DragDistance || std::abs(p.y() - m_dragPoint.y()) > DragDistance)) {
        m_dragPoint = QPoint(-1, -1);
        m_dragging = true;
        if (OnStartDrag) {
            OnStartDrag(this);
        } else {
            auto *drag = new QDrag(this);
            auto *mime = new QMimeData;
            mime->setText(m_selectedRows.join(QLatin1Char(',')));
            drag->setMimeData(mime);
            drag->exec(Qt::MoveAction);
        }
        return;
    }
    TMyStringGrid::mouseMoveEvent(event);
}

void TSortGrid::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_dragging) {
        m_dragging = false;
        return;
    }
    m_dragPoint = QPoint(-1, -1);
    // An editor the press (or a double click) opened takes the keys at once.
    if (EditorShowing())
        InplaceEditor()->setFocus(Qt::MouseFocusReason);
    else
        setFocus();
    TMyStringGrid::mouseReleaseEvent(event);
    const QPoint p = event->position().toPoint();
    const TGridCoord cell = CellAtPoint(p);
    if (event->button() == Qt::RightButton && cell.Y > 0 && m_popupMenu)
        m_popupMenu->popup(viewport()->mapToGlobal(p));
    // Only the left button clicks a cell; the right one shows just the context menu.
    if (event->button() == Qt::LeftButton && cell.X >= 0 && cell.Y >= 1 && cell == m_pressCell) {
        bool checkBox = false, combobox = false, ellipsis = false;
        CellKinds(cell.X, cell.Y, checkBox, combobox, ellipsis);
        if (checkBox) {
            SetChecked(cell.X, cell.Y, !IsChecked(cell.X, cell.Y));
        } else if (combobox) {
            if (!ShowComboList(cell.X, cell.Y))
                HideComboList();
        } else if (ellipsis) {
            const QRect rect = CellRect(cell.X, cell.Y);
            if (p.x() >= rect.left() + rect.width() - 16 && OnSetEllipsis)
                OnSetEllipsis(this, cell.X, cell.Y);
        }
    }
    if (cell.Y == 0) {
        if (cell.X >= 0 && cell.X == m_pressCell.X && m_pressCell.Y == 0 && !m_pressSizing)
            TitleClick(cell.X, p.x(), event->button());
        return;
    }
    if (event->button() == Qt::LeftButton && cell.Y >= 1 && m_pressCell.Y >= 1 && m_multiSelect && !EditorShowing()) {
        const Qt::KeyboardModifiers mods = event->modifiers();
        if (mods & Qt::ControlModifier) {
            if (!IsRowSelected(cell.Y)) {
                AddSelected(cell.Y);
                setSelection(TGridRect{Col(), cell.Y, Col(), cell.Y});
                InvalidateRow(cell.Y);
            } else if (m_selectedRows.size() > 1) {
                m_selectedRows.removeAll(QString::number(cell.Y));
                m_anchorRows.removeAll(QString::number(cell.Y));
                if (m_anchorRows.isEmpty())
                    m_anchorRows << QString();
                bool ok = false;
                const int last = m_anchorRows.last().toInt(&ok);
                if (ok)
                    setSelection(TGridRect{Col(), last, Col(), last});
                InvalidateRow(cell.Y);
            }
            setOptions(Options() & ~TGridOptions(goRangeSelect));
        } else if (mods & Qt::ShiftModifier) {
            SelectRangeRows();
        } else {
            setOptions(Options() & ~TGridOptions(goRangeSelect));
            setSelection(TGridRect{Col(), cell.Y, Col(), cell.Y});
            ClearSelection();
            m_anchorRows[0] = QString::number(cell.Y);
            m_selectedRows << QString::number(cell.Y);
        }
        InvalidateGrid();
        if (OnRowSelected)
            OnRowSelected(this);
    }
}

void TSortGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    const TGridCoord cell = MouseCoord(p.x(), p.y());
    if (event->button() == Qt::LeftButton && cell.Y == 0 && cell.X >= 0) {
        const QRect rect = CellRect(cell.X, 0);
        const int right = rect.left() + rect.width();
        if (std::abs(p.x() - right) <= AutoSizeZone) {
            AutoSizeColumn(cell.X, false);
        } else if (p.x() - rect.left() <= AutoSizeZone) {
            int previous = cell.X - 1;
            while (previous >= 0 && ColWidths(previous) < 0)
                --previous;
            if (previous >= 0)
                AutoSizeColumn(previous, false);
        }
    }
    TMyStringGrid::mouseDoubleClickEvent(event);
}

void TSortGrid::wheelEvent(QWheelEvent *event)
{
    const int delta = event->angleDelta().y();
    if (delta < 0)
        ScrollToCell(Col(), TopRow() + 2);
    else if (delta > 0)
        ScrollToCell(Col(), TopRow() - 2);
    event->accept();
}
