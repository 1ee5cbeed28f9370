#include "MyCustomGrid.h"

#include "InplaceEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int SizingZone = 3; // pixels either side of a column border that start sizing

// Column widths and row heights are stored only as far as one was set; the
// rest read as the default.
int StoredSize(const std::vector<int> &sizes, int index, int fallback)
{
    if (index < 0 || index >= int(sizes.size()))
        return fallback;
    return sizes[size_t(index)];
}

// Stores `size` (-1 hides) for `index` below `count`; false when nothing changed.
bool StoreSize(std::vector<int> &sizes, int index, int count, int size, int fallback)
{
    if (index < 0 || index >= count || size < -1 || StoredSize(sizes, index, fallback) == size)
        return false;
    if (int(sizes.size()) <= index)
        sizes.resize(size_t(index) + 1, fallback);
    sizes[size_t(index)] = size;
    return true;
}

} // namespace

TMyCustomGrid::TMyCustomGrid(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    setScrollBars(ssBoth);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(1);
    m_editor = new TInplaceEdit(this);
    connect(m_editor, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (m_editorMode && m_editCell.X >= 0)
            SetEditText(m_editCell.X, m_editCell.Y, text);
    });
    UpdateScrollRange();
}

TMyCustomGrid::~TMyCustomGrid() = default;

// ---- counts and sizes -------------------------------------------------------

void TMyCustomGrid::setColCount(int value)
{
    value = std::max(value, 1);
    if (value == m_colCount)
        return;
    ChangeSize(value, m_rowCount);
}

void TMyCustomGrid::setRowCount(int value)
{
    value = std::max(value, 1);
    if (value == m_rowCount)
        return;
    ChangeSize(m_colCount, value);
}

void TMyCustomGrid::ChangeSize(int newColCount, int newRowCount)
{
    CommitEditing();
    m_highlight.reset();
    const int oldColCount = m_colCount;
    const int oldRowCount = m_rowCount;
    const int oldFixedCols = m_fixedCols;
    const int oldFixedRows = m_fixedRows;
    m_colCount = newColCount;
    m_rowCount = newRowCount;
    if (newColCount <= m_fixedCols)
        m_fixedCols = std::max(newColCount - 1, 0);
    if (newRowCount <= m_fixedRows)
        m_fixedRows = std::max(newRowCount - 1, 0);
    if (m_nowUpdating)
        return;

    const std::vector<int> oldWidths = m_colWidths;
    const std::vector<int> oldHeights = m_rowHeights;
    const TGridCoord oldCurrent = m_current;
    const TGridCoord oldAnchor = m_anchor;
    const int oldLeft = m_leftCol;
    const int oldTop = m_topRow;
    if (int(m_colWidths.size()) > m_colCount)
        m_colWidths.resize(size_t(m_colCount));
    if (int(m_rowHeights.size()) > m_rowCount)
        m_rowHeights.resize(size_t(m_rowCount));
    auto clampCoord = [this](TGridCoord &c) {
        c.X = std::clamp(c.X, std::min(m_fixedCols, m_colCount - 1), m_colCount - 1);
        c.Y = std::clamp(c.Y, std::min(m_fixedRows, m_rowCount - 1), m_rowCount - 1);
    };
    clampCoord(m_current);
    clampCoord(m_anchor);
    ClampTopLeft();
    GeometryChanged();
    try {
        SizeChanged(oldColCount, oldRowCount);
    } catch (...) {
        m_colCount = oldColCount;
        m_rowCount = oldRowCount;
        m_fixedCols = oldFixedCols;
        m_fixedRows = oldFixedRows;
        m_colWidths = oldWidths;
        m_rowHeights = oldHeights;
        m_current = oldCurrent;
        m_anchor = oldAnchor;
        m_leftCol = oldLeft;
        m_topRow = oldTop;
        UpdateScrollRange();
        viewport()->update();
        throw;
    }
}

void TMyCustomGrid::setFixedCols(int value)
{
    value = std::clamp(value, 0, m_colCount - 1);
    if (value == m_fixedCols)
        return;
    m_fixedCols = value;
    if (m_current.X < value)
        m_current.X = value;
    if (m_anchor.X < value)
        m_anchor.X = value;
    m_leftCol = std::clamp(m_leftCol, value, std::max(MaxLeftCol(), value));
    GeometryChanged();
}

void TMyCustomGrid::setFixedRows(int value)
{
    value = std::clamp(value, 0, m_rowCount - 1);
    if (value == m_fixedRows)
        return;
    m_fixedRows = value;
    if (m_current.Y < value)
        m_current.Y = value;
    if (m_anchor.Y < value)
        m_anchor.Y = value;
    m_topRow = std::clamp(m_topRow, value, std::max(MaxTopRow(), value));
    GeometryChanged();
}

void TMyCustomGrid::setDefaultColWidth(int value)
{
    if (value == m_defaultColWidth)
        return;
    m_defaultColWidth = value;
    m_colWidths.clear();
    ColWidthsChanged();
    GeometryChanged();
}

void TMyCustomGrid::setDefaultRowHeight(int value)
{
    if (value == m_defaultRowHeight)
        return;
    m_defaultRowHeight = value;
    m_rowHeights.clear();
    RowHeightsChanged();
    GeometryChanged();
}

int TMyCustomGrid::ColWidths(int col) const
{
    return StoredSize(m_colWidths, col, m_defaultColWidth);
}

void TMyCustomGrid::setColWidths(int col, int width)
{
    if (!StoreSize(m_colWidths, col, m_colCount, width, m_defaultColWidth))
        return;
    ColWidthsChanged();
    GeometryChanged();
}

int TMyCustomGrid::RowHeights(int row) const
{
    return StoredSize(m_rowHeights, row, m_defaultRowHeight);
}

void TMyCustomGrid::setRowHeights(int row, int height)
{
    if (!StoreSize(m_rowHeights, row, m_rowCount, height, m_defaultRowHeight))
        return;
    RowHeightsChanged();
    GeometryChanged();
}

void TMyCustomGrid::setGridLineWidth(int value)
{
    value = std::max(value, 0);
    if (value == m_gridLineWidth)
        return;
    m_gridLineWidth = value;
    GeometryChanged();
}

void TMyCustomGrid::setColor(TColor value)
{
    if (value == m_color)
        return;
    m_color = value;
    viewport()->update();
}

void TMyCustomGrid::setFixedColor(TColor value)
{
    if (value == m_fixedColor)
        return;
    m_fixedColor = value;
    viewport()->update();
}

void TMyCustomGrid::setBorderStyle(TBorderStyle value)
{
    if (value == m_borderStyle)
        return;
    m_borderStyle = value;
    setFrameShape(value == bsSingle ? QFrame::Box : QFrame::NoFrame);
}

void TMyCustomGrid::setScrollBars(TScrollStyle value)
{
    m_scrollBars = value;
    const bool horz = value == ssHorizontal || value == ssBoth;
    const bool vert = value == ssVertical || value == ssBoth;
    setHorizontalScrollBarPolicy(horz ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(vert ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    UpdateScrollRange();
}

void TMyCustomGrid::setTabStop(bool value)
{
    setFocusPolicy(value ? Qt::StrongFocus : Qt::ClickFocus);
}

void TMyCustomGrid::setOptions(TGridOptions value)
{
    if (value == m_options)
        return;
    const TGridOptions old = m_options;
    m_options = value;
    if (!(value & goEditing) && m_editorMode)
        HideEditor();
    if ((value & goAlwaysShowEditor) && (value & goEditing) && !(old & goAlwaysShowEditor))
        ShowEditor();
    if (value & goRowSelect)
        m_anchor.X = m_colCount - 1;
    UpdateScrollRange();
    viewport()->update();
}

// ---- current cell and selection ---------------------------------------------

void TMyCustomGrid::setCol(int value)
{
    if (value == m_current.X)
        return;
    CommitEditing();
    FocusCell(value, m_current.Y, true);
}

void TMyCustomGrid::setRow(int value)
{
    if (value == m_current.Y)
        return;
    CommitEditing();
    FocusCell(m_current.X, value, true);
}

TGridRect TMyCustomGrid::Selection() const
{
    if (m_highlight)
        return *m_highlight;
    TGridRect r;
    r.Left = std::min(m_anchor.X, m_current.X);
    r.Right = std::max(m_anchor.X, m_current.X);
    r.Top = std::min(m_anchor.Y, m_current.Y);
    r.Bottom = std::max(m_anchor.Y, m_current.Y);
    if (m_options & goRowSelect) {
        r.Left = m_fixedCols;
        r.Right = m_colCount - 1;
    }
    return r;
}

void TMyCustomGrid::setSelection(const TGridRect &value)
{
    CommitEditing();
    ApplySelection(value);
}

void TMyCustomGrid::ApplySelection(const TGridRect &value)
{
    const TGridRect old = Selection();
    m_highlight.reset();
    auto clampX = [this](int x) { return std::clamp(x, 0, m_colCount - 1); };
    auto clampY = [this](int y) { return std::clamp(y, 0, m_rowCount - 1); };
    const TGridCoord oldCurrent = m_current;
    m_anchor = TGridCoord{clampX(value.Left), clampY(value.Top)};
    m_current = TGridCoord{clampX(value.Right), clampY(value.Bottom)};
    if (m_current != oldCurrent)
        ClampInView(m_current.X, m_current.Y);
    SelectionMoved(old);
    UpdateEditor();
}

void TMyCustomGrid::HighlightCells(const TGridRect &value)
{
    const TGridRect old = Selection();
    m_highlight = TGridRect{std::clamp(value.Left, 0, m_colCount - 1), std::clamp(value.Top, 0, m_rowCount - 1),
                            std::clamp(value.Right, 0, m_colCount - 1), std::clamp(value.Bottom, 0, m_rowCount - 1)};
    SelectionMoved(old);
}

void TMyCustomGrid::SelectionMoved(const TGridRect &oldSelection)
{
    InvalidateRect(oldSelection);
    InvalidateRect(Selection());
}

void TMyCustomGrid::FocusCell(int col, int row, bool moveAnchor)
{
    MoveCurrent(col, row, moveAnchor, true);
    Click();
}

bool TMyCustomGrid::MoveCurrent(int col, int row, bool moveAnchor, bool show)
{
    if (col < 0 || row < 0 || col >= m_colCount || row >= m_rowCount)
        return false;
    if (!SelectCell(col, row))
        return false;
    const TGridRect old = Selection();
    m_highlight.reset();
    const bool cellChanged = col != m_current.X || row != m_current.Y;
    if (cellChanged && m_editorMode) {
        // The edit ends in its own cell; the editor then takes up the new cell's text.
        EditEnding();
        m_editCell = TGridCoord{-1, -1};
    }
    m_current = TGridCoord{col, row};
    if (moveAnchor || !(m_options & goRangeSelect))
        m_anchor = m_current;
    if (m_options & goRowSelect)
        m_anchor.X = m_colCount - 1;
    if (show)
        ClampInView(col, row);
    SelectionMoved(old);
    UpdateEditor();
    return true;
}

// ---- scrolling ---------------------------------------------------------------

void TMyCustomGrid::setLeftCol(int value)
{
    SetTopLeft(value, m_topRow);
}

void TMyCustomGrid::setTopRow(int value)
{
    SetTopLeft(m_leftCol, value);
}

void TMyCustomGrid::SetTopLeft(int leftCol, int topRow)
{
    leftCol = std::clamp(leftCol, m_fixedCols, std::max(m_colCount - 1, m_fixedCols));
    topRow = std::clamp(topRow, m_fixedRows, std::max(m_rowCount - 1, m_fixedRows));
    if (leftCol == m_leftCol && topRow == m_topRow)
        return;
    m_leftCol = leftCol;
    m_topRow = topRow;
    GeometryChanged();
    TopLeftChanged();
}

void TMyCustomGrid::ClampInView(int col, int row)
{
    int left = m_leftCol;
    int top = m_topRow;
    if (col >= m_fixedCols) {
        if (col < left) {
            left = col;
        } else {
            // Advance the left column until the target column fits or nothing changes.
            const int avail = viewport()->width();
            auto fits = [&](int l) {
                int x = 0;
                for (int c = 0; c < m_fixedCols; ++c)
                    if (ColWidths(c) >= 0)
                        x += ColWidths(c) + EffectiveColLine(c);
                for (int c = l; c <= col; ++c)
                    if (ColWidths(c) >= 0)
                        x += ColWidths(c) + EffectiveColLine(c);
                return x <= avail;
            };
            while (left < col && !fits(left))
                ++left;
        }
    }
    if (row >= m_fixedRows) {
        if (row < top) {
            top = row;
        } else {
            const int avail = viewport()->height();
            int fixedHeight = 0;
            for (int r = 0; r < m_fixedRows; ++r)
                if (RowHeights(r) >= 0)
                    fixedHeight += RowHeights(r) + EffectiveRowLine(r);
            // Rows from top to row must fit; move top down until they do.
            int y = fixedHeight;
            for (int r = top; r <= row; ++r)
                if (RowHeights(r) >= 0)
                    y += RowHeights(r) + EffectiveRowLine(r);
            while (top < row && y > avail) {
                if (RowHeights(top) >= 0)
                    y -= RowHeights(top) + EffectiveRowLine(top);
                ++top;
            }
        }
    }
    SetTopLeft(left, top);
}

void TMyCustomGrid::GeometryChanged()
{
    UpdateScrollRange();
    UpdateEditor();
    viewport()->update();
}

void TMyCustomGrid::UpdateScrollRange()
{
    if (m_updatingScroll)
        return;
    m_updatingScroll = true;
    const int maxTop = MaxTopRow();
    const int maxLeft = MaxLeftCol();
    QScrollBar *v = verticalScrollBar();
    v->setRange(0, std::max(0, maxTop - m_fixedRows));
    v->setPageStep(std::max(1, VisibleRowCount()));
    v->setValue(m_topRow - m_fixedRows);
    QScrollBar *h = horizontalScrollBar();
    h->setRange(0, std::max(0, maxLeft - m_fixedCols));
    h->setPageStep(std::max(1, VisibleColCount()));
    h->setValue(m_leftCol - m_fixedCols);
    m_updatingScroll = false;
}

void TMyCustomGrid::scrollContentsBy(int, int)
{
    if (m_updatingScroll)
        return;
    SetTopLeft(horizontalScrollBar()->value() + m_fixedCols, verticalScrollBar()->value() + m_fixedRows);
}

struct TMyCustomGrid::Axis
{
    const TMyCustomGrid &grid;
    bool columns;
    int count, fixed, first, extent;

    int Size(int i) const { return columns ? grid.ColWidths(i) : grid.RowHeights(i); }
    int Line(int i) const { return columns ? grid.EffectiveColLine(i) : grid.EffectiveRowLine(i); }
    // A hidden column or row (size -1) takes no room.
    int Advance(int i) const { return Size(i) >= 0 ? Size(i) + Line(i) : 0; }

    // Calls `visit(index, offset)` for every laid-out index in screen order,
    // stopping when it returns true or the view's extent is used up.
    // Positions beyond the view are walked too unless `clip` is set.
    template<typename Visit>
    void Walk(Visit visit, bool clip = true) const
    {
        int offset = 0;
        for (int i = 0; i < fixed; ++i) {
            if (visit(i, offset))
                return;
            offset += Advance(i);
        }
        for (int i = first; i < count && (!clip || offset < extent); ++i) {
            if (visit(i, offset))
                return;
            offset += Advance(i);
        }
    }

    // The offset of `index` from the view's edge; -1 when it is not laid out.
    int Start(int index) const
    {
        if (index < 0 || index >= count || Size(index) < 0 || (index >= fixed && index < first))
            return -1;
        int start = -1;
        Walk([&](int i, int offset) {
            if (i != index)
                return false;
            start = offset;
            return true;
        });
        return start;
    }

    // The index under `position`; -1 outside every laid-out index.
    int IndexAt(int position) const
    {
        if (position < 0)
            return -1;
        int found = -1;
        Walk([&](int i, int offset) {
            if (Size(i) < 0 || position >= offset + Advance(i))
                return false;
            found = i;
            return true;
        }, false);
        return found;
    }

    // The highest first scrolled index that still fills the view to its end.
    int MaxFirst() const
    {
        int avail = extent;
        for (int i = 0; i < fixed; ++i)
            avail -= Advance(i);
        int firstIndex = count;
        int used = 0;
        while (firstIndex > fixed && used + Advance(firstIndex - 1) <= avail) {
            used += Advance(firstIndex - 1);
            --firstIndex;
        }
        return std::clamp(firstIndex, fixed, std::max(count - 1, fixed));
    }

    // How many scrolled indexes fit wholly behind the fixed ones.
    int VisibleCount() const
    {
        int offset = 0;
        for (int i = 0; i < fixed; ++i)
            offset += Advance(i);
        int visible = 0;
        for (int i = first; i < count; ++i) {
            if (Size(i) >= 0 && offset + Size(i) > extent)
                break;
            offset += Advance(i);
            ++visible;
        }
        return visible;
    }
};

TMyCustomGrid::Axis TMyCustomGrid::Columns() const
{
    return {*this, true, m_colCount, m_fixedCols, m_leftCol, viewport()->width()};
}

TMyCustomGrid::Axis TMyCustomGrid::Rows() const
{
    return {*this, false, m_rowCount, m_fixedRows, m_topRow, viewport()->height()};
}

int TMyCustomGrid::MaxTopRow() const
{
    return Rows().MaxFirst();
}

int TMyCustomGrid::MaxLeftCol() const
{
    return Columns().MaxFirst();
}

void TMyCustomGrid::ClampTopLeft()
{
    m_leftCol = std::clamp(m_leftCol, m_fixedCols, std::max(MaxLeftCol(), m_fixedCols));
    m_topRow = std::clamp(m_topRow, m_fixedRows, std::max(MaxTopRow(), m_fixedRows));
}

int TMyCustomGrid::VisibleColCount() const
{
    return Columns().VisibleCount();
}

int TMyCustomGrid::VisibleRowCount() const
{
    return Rows().VisibleCount();
}

// ---- geometry ----------------------------------------------------------------

int TMyCustomGrid::EffectiveColLine(int col) const
{
    const TGridOption option = col < m_fixedCols ? goFixedVertLine : goVertLine;
    return (m_options & option) ? m_gridLineWidth : 0;
}

int TMyCustomGrid::EffectiveRowLine(int row) const
{
    const TGridOption option = row < m_fixedRows ? goFixedHorzLine : goHorzLine;
    return (m_options & option) ? m_gridLineWidth : 0;
}

int TMyCustomGrid::ColLeft(int col) const
{
    return Columns().Start(col);
}

int TMyCustomGrid::RowTop(int row) const
{
    return Rows().Start(row);
}

int TMyCustomGrid::ColumnAtX(int x) const
{
    return Columns().IndexAt(x);
}

int TMyCustomGrid::RowAtY(int y) const
{
    return Rows().IndexAt(y);
}

TGridCoord TMyCustomGrid::MouseCoord(int x, int y) const
{
    TGridCoord c{ColumnAtX(x), RowAtY(y)};
    if (c.X < 0 || c.Y < 0)
        return TGridCoord{-1, -1};
    return c;
}

QRect TMyCustomGrid::CellRect(int col, int row) const
{
    const int x = ColLeft(col);
    const int y = RowTop(row);
    if (x < 0 || y < 0)
        return QRect();
    return QRect(x, y, ColWidths(col), RowHeights(row));
}

int TMyCustomGrid::ColBorderAt(int x) const
{
    int left = 0;
    auto near = [&](int c) {
        const int w = ColWidths(c);
        if (w < 0)
            return false;
        const int right = left + w;
        left = right + EffectiveColLine(c);
        return std::abs(x - right) <= SizingZone;
    };
    for (int c = 0; c < m_fixedCols; ++c)
        if (near(c))
            return c;
    for (int c = m_leftCol; c < m_colCount && left <= viewport()->width() + SizingZone; ++c)
        if (near(c))
            return c;
    return -1;
}

// ---- painting ----------------------------------------------------------------

TGridDrawState TMyCustomGrid::CellState(int col, int row) const
{
    TGridDrawState state;
    if (col < m_fixedCols || row < m_fixedRows) {
        state |= gdFixed;
        return state;
    }
    if (hasFocus() && col == m_current.X && row == m_current.Y)
        state |= gdFocused;
    if (Selection().Contains(col, row))
        state |= gdSelected;
    return state;
}

TColor TMyCustomGrid::CellBrushColor(int, int, TGridDrawState state) const
{
    if (state & gdFixed)
        return m_fixedColor;
    if ((state & gdSelected) && (!(state & gdFocused) || (m_options & (goDrawFocusSelected | goRowSelect))))
        return Colors::clHighlight;
    return m_color;
}

TColor TMyCustomGrid::CellFontColor(TGridDrawState state) const
{
    if (!(state & gdFixed) && (state & gdSelected)
        && (!(state & gdFocused) || (m_options & (goDrawFocusSelected | goRowSelect))))
        return Colors::clHighlightText;
    return Colors::clWindowText;
}

void TMyCustomGrid::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QRect exposed = event->rect();
    const int width = viewport()->width();
    const int height = viewport()->height();
    painter.fillRect(exposed, ToQColor(m_color));
    const QColor fixedLine = ToQColor(Colors::clBtnShadow);
    const QColor normalLine = ToQColor(Colors::clSilver);

    int y = 0;
    auto paintRow = [&](int row) {
        const int h = RowHeights(row);
        if (h < 0)
            return;
        const int rowLine = EffectiveRowLine(row);
        int x = 0;
        auto paintCol = [&](int col) {
            const int w = ColWidths(col);
            if (w < 0)
                return;
            const int colLine = EffectiveColLine(col);
            const QRect rect(x, y, w, h);
            if (rect.adjusted(0, 0, colLine, rowLine).intersects(exposed)) {
                paintCell(painter, col, row, rect);
                const bool fixed = col < m_fixedCols || row < m_fixedRows;
                const QColor &line = fixed ? fixedLine : normalLine;
                if (colLine > 0)
                    painter.fillRect(QRect(x + w, y, colLine, h + rowLine), line);
                if (rowLine > 0)
                    painter.fillRect(QRect(x, y + h, w + colLine, rowLine), line);
            }
            x += w + colLine;
        };
        for (int c = 0; c < m_fixedCols && x < width; ++c)
            paintCol(c);
        for (int c = m_leftCol; c < m_colCount && x < width; ++c)
            paintCol(c);
        y += h + rowLine;
    };
    for (int r = 0; r < m_fixedRows && y < height; ++r)
        paintRow(r);
    for (int r = m_topRow; r < m_rowCount && y < height; ++r)
        paintRow(r);
}

void TMyCustomGrid::paintCell(QPainter &painter, int col, int row, const QRect &rect)
{
    const TGridDrawState state = CellState(col, row);
    painter.save();
    painter.setClipRect(rect);
    if (m_defaultDrawing)
        painter.fillRect(rect, ToQColor(CellBrushColor(col, row, state)));
    painter.setPen(ToQColor(CellFontColor(state)));
    painter.setFont(font());
    DrawCell(painter, col, row, rect, state);
    if (m_defaultDrawing && (state & gdFocused) && !(m_options & goRowSelect)) {
        QPen pen(ToQColor(Colors::clWindowText), 1, Qt::DotLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
    }
    painter.restore();
}

void TMyCustomGrid::DrawCell(QPainter &, int, int, const QRect &, TGridDrawState)
{
}

void TMyCustomGrid::InvalidateCell(int col, int row)
{
    const QRect r = CellRect(col, row);
    if (!r.isEmpty())
        viewport()->update(r.adjusted(0, 0, m_gridLineWidth, m_gridLineWidth));
}

void TMyCustomGrid::InvalidateRow(int row)
{
    const int y = RowTop(row);
    if (y >= 0)
        viewport()->update(QRect(0, y, viewport()->width(), RowHeights(row) + m_gridLineWidth));
}

void TMyCustomGrid::InvalidateCol(int col)
{
    const int x = ColLeft(col);
    if (x >= 0)
        viewport()->update(QRect(x, 0, ColWidths(col) + m_gridLineWidth, viewport()->height()));
}

void TMyCustomGrid::InvalidateGrid()
{
    viewport()->update();
}

void TMyCustomGrid::InvalidateRect(const TGridRect &rect)
{
    // Rows outside the view cost nothing: only the rows in view are looked at.
    const int first = std::max(rect.Top, m_topRow);
    const int last = std::min(rect.Bottom, m_topRow + VisibleRowCount() + 1);
    for (int r = first; r <= last; ++r)
        InvalidateRow(r);
    for (int r = rect.Top; r <= rect.Bottom && r < m_fixedRows; ++r)
        InvalidateRow(r);
}

// ---- update bracket ----------------------------------------------------------

void TMyCustomGrid::BeginUpdate()
{
    CommitEditing();
    m_nowUpdating = true;
    setCursor(Qt::WaitCursor);
    setUpdatesEnabled(false);
    m_hadFocusBeforeUpdate = m_hadFocusBeforeUpdate || hasFocus() || m_editor->hasFocus();
    setEnabled(false);
    if (OnBeginUpdate)
        OnBeginUpdate(this);
}

void TMyCustomGrid::EndUpdate()
{
    ChangeSize(m_colCount, m_rowCount); // still updating: only records the counts
    // Counts changed inside the bracket are used from here on: keep the cursor,
    // the anchor and the scroll position inside the grid.
    auto clampCoord = [this](TGridCoord &c) {
        c.X = std::clamp(c.X, std::min(m_fixedCols, m_colCount - 1), m_colCount - 1);
        c.Y = std::clamp(c.Y, std::min(m_fixedRows, m_rowCount - 1), m_rowCount - 1);
    };
    clampCoord(m_current);
    clampCoord(m_anchor);
    ClampTopLeft();
    UpdateScrollRange();
    viewport()->update();
    setUpdatesEnabled(true);
    setEnabled(true);
    unsetCursor();
    if (m_hadFocusBeforeUpdate) {
        m_hadFocusBeforeUpdate = false;
        setFocus();
    }
    m_nowUpdating = false;
    UpdateEditor();
}

// ---- moving and deleting -----------------------------------------------------

void TMyCustomGrid::MoveColumn(int fromIndex, int toIndex)
{
    if (fromIndex == toIndex || fromIndex < 0 || toIndex < 0 || fromIndex >= m_colCount || toIndex >= m_colCount)
        return;
    if (int(m_colWidths.size()) < m_colCount)
        m_colWidths.resize(size_t(m_colCount), m_defaultColWidth);
    const int w = m_colWidths[size_t(fromIndex)];
    m_colWidths.erase(m_colWidths.begin() + fromIndex);
    m_colWidths.insert(m_colWidths.begin() + toIndex, w);
    HideEditor();
    ColumnMoved(fromIndex, toIndex);
    UpdateScrollRange();
    viewport()->update();
}

void TMyCustomGrid::MoveRow(int fromIndex, int toIndex)
{
    if (fromIndex == toIndex || fromIndex < 0 || toIndex < 0 || fromIndex >= m_rowCount || toIndex >= m_rowCount)
        return;
    if (!m_rowHeights.empty()) {
        if (int(m_rowHeights.size()) < m_rowCount)
            m_rowHeights.resize(size_t(m_rowCount), m_defaultRowHeight);
        const int h = m_rowHeights[size_t(fromIndex)];
        m_rowHeights.erase(m_rowHeights.begin() + fromIndex);
        m_rowHeights.insert(m_rowHeights.begin() + toIndex, h);
    }
    HideEditor();
    RowMoved(fromIndex, toIndex);
    UpdateScrollRange();
    viewport()->update();
}

void TMyCustomGrid::DeleteColumn(int col)
{
    if (col < 0 || col >= m_colCount || m_colCount <= 1)
        return;
    HideEditor();
    if (col < int(m_colWidths.size()))
        m_colWidths.erase(m_colWidths.begin() + col);
    ColumnDeleted(col);
    setColCount(m_colCount - 1);
    viewport()->update();
}

void TMyCustomGrid::DeleteRow(int row)
{
    if (row < 0 || row >= m_rowCount || m_rowCount <= 1)
        return;
    HideEditor();
    if (row < int(m_rowHeights.size()))
        m_rowHeights.erase(m_rowHeights.begin() + row);
    RowDeleted(row);
    setRowCount(m_rowCount - 1);
    viewport()->update();
}

void TMyCustomGrid::InsertColSlot(int col)
{
    if (col >= 0 && col < int(m_colWidths.size()))
        m_colWidths.insert(m_colWidths.begin() + col, m_defaultColWidth);
}

void TMyCustomGrid::InsertRowSlot(int row)
{
    if (row >= 0 && row < int(m_rowHeights.size()))
        m_rowHeights.insert(m_rowHeights.begin() + row, m_defaultRowHeight);
}

// ---- overridable steps ---------------------------------------------------------

bool TMyCustomGrid::SelectCell(int, int) { return true; }
void TMyCustomGrid::SizeChanged(int, int) {}
void TMyCustomGrid::ColumnMoved(int, int) {}
void TMyCustomGrid::RowMoved(int, int) {}
void TMyCustomGrid::ColumnDeleted(int) {}
void TMyCustomGrid::RowDeleted(int) {}
void TMyCustomGrid::ColWidthsChanged() {}
void TMyCustomGrid::RowHeightsChanged() {}

void TMyCustomGrid::TopLeftChanged()
{
    if (OnTopLeftChanged)
        OnTopLeftChanged(this);
}

QString TMyCustomGrid::GetEditText(int, int) { return QString(); }
void TMyCustomGrid::SetEditText(int, int, const QString &) {}

bool TMyCustomGrid::CanEditShow() const
{
    return (m_options & goEditing) && !(m_options & goRowSelect) && m_current.X >= m_fixedCols
           && m_current.Y >= m_fixedRows && !m_nowUpdating;
}

void TMyCustomGrid::Click()
{
    if (OnClick)
        OnClick(this);
}

void TMyCustomGrid::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

// ---- in-place editor -----------------------------------------------------------

bool TMyCustomGrid::EditorShowing() const
{
    return m_editorMode && m_editor->isVisible();
}

void TMyCustomGrid::setEditorMode(bool value)
{
    if (value)
        ShowEditor();
    else
        HideEditor();
}

void TMyCustomGrid::ShowEditor()
{
    if (!CanEditShow())
        return;
    if (!m_editorMode || m_editCell != m_current) {
        m_editorMode = true;
        LoadEditor();
    }
    UpdateEditor();
}

void TMyCustomGrid::LoadEditor()
{
    m_editCell = m_current;
    m_editStartText = GetEditText(m_current.X, m_current.Y);
    m_editor->setText(m_editStartText);
    m_editor->selectAll();
    EditStarted();
}

void TMyCustomGrid::EditStarted()
{
}

void TMyCustomGrid::EditEnding()
{
}

void TMyCustomGrid::EditCancelled()
{
}

void TMyCustomGrid::ShowEditorChar(QChar ch)
{
    ShowEditor();
    if (!m_editorMode)
        return;
    m_editor->setText(QString(ch));
    m_editor->setCursorPosition(1);
    SetEditText(m_editCell.X, m_editCell.Y, m_editor->text());
}

void TMyCustomGrid::HideEditor()
{
    if (!m_editorMode)
        return;
    m_editorMode = false;
    const TGridCoord cell = m_editCell;
    m_editCell = TGridCoord{-1, -1};
    // The grid takes the focus before the editor goes, so that it never passes to
    // another control on the way.
    if (m_editor->hasFocus())
        setFocus();
    m_editor->hide();
    InvalidateCell(cell.X, cell.Y);
}

void TMyCustomGrid::CloseEditor()
{
    if (!m_editorMode)
        return;
    EditEnding();
    HideEditor();
}

void TMyCustomGrid::CommitEditing()
{
    CloseEditor();
}

void TMyCustomGrid::EndEditing(bool cancel)
{
    if (!m_editorMode)
        return;
    if (cancel) {
        if (m_editCell.X >= 0 && GetEditText(m_editCell.X, m_editCell.Y) != m_editStartText)
            SetEditText(m_editCell.X, m_editCell.Y, m_editStartText);
        EditCancelled();
    }
    HideEditor();
}

void TMyCustomGrid::UpdateEditor()
{
    if (!m_editor)
        return;
    if (!m_editorMode) {
        if (m_editor->isVisible())
            m_editor->hide();
        return;
    }
    if (m_editCell.X >= 0 && m_editCell != m_current) {
        // The current cell was moved under the editor: the edit stays in its own cell.
        CloseEditor();
        return;
    }
    const QRect r = CellRect(m_current.X, m_current.Y);
    if (r.isEmpty() || m_nowUpdating || !CanEditShow()) {
        if (m_editor->isVisible()) {
            if (m_editor->hasFocus())
                setFocus();
            m_editor->hide();
        }
        if (!CanEditShow() && !m_nowUpdating) {
            m_editorMode = false;
            m_editCell = TGridCoord{-1, -1};
        }
        return;
    }
    if (m_editCell != m_current)
        LoadEditor(); // moved on with the user: edit the new cell's own text
    m_editor->setFont(font());
    m_editor->setGeometry(r);
    if (!m_editor->isVisible()) {
        m_editor->show();
        if (hasFocus() || isActiveWindow())
            m_editor->setFocus();
    }
}

// ---- keyboard ------------------------------------------------------------------

int TMyCustomGrid::NextVisibleCol(int col, int step) const
{
    int c = col + step;
    while (c >= m_fixedCols && c < m_colCount && ColWidths(c) < 0)
        c += step;
    if (c < m_fixedCols || c >= m_colCount)
        return col;
    return c;
}

bool TMyCustomGrid::KeyMove(int col, int row, Qt::KeyboardModifiers modifiers)
{
    col = std::clamp(col, std::min(m_fixedCols, m_colCount - 1), m_colCount - 1);
    row = std::clamp(row, std::min(m_fixedRows, m_rowCount - 1), m_rowCount - 1);
    const bool extend = (modifiers & Qt::ShiftModifier) && (m_options & goRangeSelect);
    if (col == m_current.X && row == m_current.Y && !extend)
        return true;
    const bool moved = MoveCurrent(col, row, !extend, true);
    Click();
    return moved;
}

void TMyCustomGrid::KeyMoveToEdge(int row, int step, Qt::KeyboardModifiers modifiers)
{
    for (int c = step > 0 ? m_fixedCols : m_colCount - 1; c >= m_fixedCols && c < m_colCount; c += step) {
        if (ColWidths(c) >= 0 && KeyMove(c, row, modifiers))
            return;
    }
}

void TMyCustomGrid::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    const int col = m_current.X;
    const int row = m_current.Y;
    const int page = std::max(1, VisibleRowCount());
    switch (event->key()) {
    case Qt::Key_Up:
        KeyMove(col, row - 1, mods);
        break;
    case Qt::Key_Down:
        KeyMove(col, row + 1, mods);
        break;
    case Qt::Key_Left:
        if (m_options & goRowSelect)
            setLeftCol(m_leftCol - 1);
        else
            KeyMove(NextVisibleCol(col, -1), row, mods);
        break;
    case Qt::Key_Right:
        if (m_options & goRowSelect)
            setLeftCol(m_leftCol + 1);
        else
            KeyMove(NextVisibleCol(col, 1), row, mods);
        break;
    case Qt::Key_Home:
        KeyMoveToEdge(ctrl ? m_fixedRows : row, 1, mods);
        break;
    case Qt::Key_End:
        KeyMoveToEdge(ctrl ? m_rowCount - 1 : row, -1, mods);
        break;
    case Qt::Key_PageUp:
        setTopRow(m_topRow - page);
        KeyMove(col, row - page, mods);
        break;
    case Qt::Key_PageDown:
        setTopRow(std::min(m_topRow + page, MaxTopRow()));
        KeyMove(col, row + page, mods);
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (m_options & goTabs) {
            const bool back = event->key() == Qt::Key_Backtab || (mods & Qt::ShiftModifier);
            int c = back ? NextVisibleCol(col, -1) : NextVisibleCol(col, 1);
            int r = row;
            if (c == col) {
                // Wrap to the other end of the next or previous row.
                if (back && row > m_fixedRows) {
                    r = row - 1;
                    c = NextVisibleCol(m_colCount, -1);
                } else if (!back && row < m_rowCount - 1) {
                    r = row + 1;
                    c = NextVisibleCol(m_fixedCols - 1, 1);
                }
            }
            KeyMove(c, r, Qt::NoModifier);
        } else {
            QAbstractScrollArea::keyPressEvent(event);
        }
        break;
    case Qt::Key_F2:
        if (m_options & goEditing)
            ShowEditor();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_options & goEditing) {
            if (m_editorMode)
                HideEditor();
            else
                ShowEditor();
        }
        break;
    case Qt::Key_Escape:
        if (m_editorMode)
            EndEditing(true);
        else
            event->ignore();
        break;
    default: {
        const QString text = event->text();
        if ((m_options & goEditing) && !m_editorMode && text.size() == 1 && text.at(0).isPrint()
            && !(mods & (Qt::ControlModifier | Qt::AltModifier))) {
            ShowEditorChar(text.at(0));
        } else {
            event->ignore();
        }
    }
    }
}

// ---- mouse ---------------------------------------------------------------------

void TMyCustomGrid::mousePressEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (event->button() != Qt::LeftButton)
        return;
    if (!hasFocus() && !m_editor->hasFocus())
        setFocus(Qt::MouseFocusReason);
    int fixedHeight = 0;
    for (int r = 0; r < m_fixedRows; ++r)
        if (RowHeights(r) >= 0)
            fixedHeight += RowHeights(r) + EffectiveRowLine(r);
    if (p.y() < fixedHeight && (m_options & goColSizing)) {
        const int border = ColBorderAt(p.x());
        if (border >= 0) {
            m_gridState = gsColSizing;
            m_sizingCol = border;
            m_sizingStartX = p.x();
            m_sizingStartWidth = ColWidths(border);
            return;
        }
    }
    const TGridCoord cell = MouseCoord(p.x(), p.y());
    if (cell.X < 0)
        return;
    if (cell.Y < m_fixedRows) {
        if ((m_options & goColMoving) && cell.X >= m_fixedCols) {
            m_gridState = gsColMoving;
            m_moveFrom = cell.X;
        }
        return;
    }
    if (cell.X < m_fixedCols)
        return;
    const bool wasCurrent = cell.X == m_current.X && cell.Y == m_current.Y;
    if ((event->modifiers() & Qt::ShiftModifier) && (m_options & goRangeSelect)) {
        MoveCurrent(cell.X, cell.Y, false, true);
        Click();
    } else {
        FocusCell(cell.X, cell.Y, true);
        if (wasCurrent && (m_options & goEditing) && !m_editorMode)
            ShowEditor();
    }
    if (m_options & goRangeSelect)
        m_gridState = gsSelecting;
}

void TMyCustomGrid::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    switch (m_gridState) {
    case gsColSizing:
        setColWidths(m_sizingCol, std::max(1, m_sizingStartWidth + p.x() - m_sizingStartX));
        return;
    case gsSelecting: {
        const TGridCoord cell = MouseCoord(p.x(), p.y());
        if (cell.X >= m_fixedCols && cell.Y >= m_fixedRows && (cell.X != m_current.X || cell.Y != m_current.Y))
            MoveCurrent(cell.X, cell.Y, false, true);
        return;
    }
    default:
        break;
    }
    // Hovering over a title border shows where a column can be sized.
    int fixedHeight = 0;
    for (int r = 0; r < m_fixedRows; ++r)
        if (RowHeights(r) >= 0)
            fixedHeight += RowHeights(r) + EffectiveRowLine(r);
    const bool overBorder = (m_options & goColSizing) && p.y() < fixedHeight && ColBorderAt(p.x()) >= 0;
    if (!m_nowUpdating)
        viewport()->setCursor(overBorder ? Qt::SplitHCursor : Qt::ArrowCursor);
}

void TMyCustomGrid::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    const TGridState state = m_gridState;
    m_gridState = gsNormal;
    if (state == gsColMoving) {
        const TGridCoord cell = MouseCoord(p.x(), p.y());
        if (cell.X >= m_fixedCols && cell.X != m_moveFrom)
            MoveColumn(m_moveFrom, cell.X);
        m_moveFrom = -1;
    }
}

void TMyCustomGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    const TGridCoord cell = MouseCoord(p.x(), p.y());
    if (event->button() == Qt::LeftButton && cell.X >= m_fixedCols && cell.Y >= m_fixedRows
        && cell.X == m_current.X && cell.Y == m_current.Y && (m_options & goEditing) && !m_editorMode)
        ShowEditor();
    DblClick();
}

void TMyCustomGrid::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    InvalidateCell(m_current.X, m_current.Y);
}

void TMyCustomGrid::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    InvalidateCell(m_current.X, m_current.Y);
}

void TMyCustomGrid::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    ClampTopLeft();
    UpdateScrollRange();
    UpdateEditor();
}

bool TMyCustomGrid::viewportEvent(QEvent *event)
{
    return QAbstractScrollArea::viewportEvent(event);
}

bool TMyCustomGrid::focusNextPrevChild(bool next)
{
    // With goTabs the Tab key moves between cells instead of leaving the grid.
    if (m_options & goTabs)
        return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}
