#include "grid/GridBase.h"

#include "grid/InplaceEditor.h"

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
int storedSize(const std::vector<int> &sizes, int index, int fallback)
{
    if (index < 0 || index >= int(sizes.size()))
        return fallback;
    return sizes[size_t(index)];
}

// Stores `size` (-1 hides) for `index` below `count`; false when nothing changed.
bool storeSize(std::vector<int> &sizes, int index, int count, int size, int fallback)
{
    if (index < 0 || index >= count || size < -1 || storedSize(sizes, index, fallback) == size)
        return false;
    if (int(sizes.size()) <= index)
        sizes.resize(size_t(index) + 1, fallback);
    sizes[size_t(index)] = size;
    return true;
}

} // namespace

GridBase::GridBase(QWidget *parent)
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
    m_editor = new InplaceEditor(this);
    connect(m_editor, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (m_editorMode && m_editCell.x >= 0)
            setEditText(m_editCell.x, m_editCell.y, text);
    });
    updateScrollRange();
}

GridBase::~GridBase() = default;

// ---- counts and sizes -------------------------------------------------------

void GridBase::setColCount(int value)
{
    value = std::max(value, 1);
    if (value == m_colCount)
        return;
    changeSize(value, m_rowCount);
}

void GridBase::setRowCount(int value)
{
    value = std::max(value, 1);
    if (value == m_rowCount)
        return;
    changeSize(m_colCount, value);
}

void GridBase::changeSize(int newColCount, int newRowCount)
{
    commitEditing();
    m_highlight.reset();
    const int oldColCount = m_colCount;
    const int oldRowCount = m_rowCount;
    m_colCount = newColCount;
    m_rowCount = newRowCount;
    if (newColCount <= m_fixedCols)
        m_fixedCols = std::max(newColCount - 1, 0);
    if (newRowCount <= m_fixedRows)
        m_fixedRows = std::max(newRowCount - 1, 0);
    if (m_nowUpdating)
        return;

    if (int(m_colWidths.size()) > m_colCount)
        m_colWidths.resize(size_t(m_colCount));
    if (int(m_rowHeights.size()) > m_rowCount)
        m_rowHeights.resize(size_t(m_rowCount));
    auto clampCoord = [this](GridCoord &c) {
        c.x = std::clamp(c.x, std::min(m_fixedCols, m_colCount - 1), m_colCount - 1);
        c.y = std::clamp(c.y, std::min(m_fixedRows, m_rowCount - 1), m_rowCount - 1);
    };
    clampCoord(m_current);
    clampCoord(m_anchor);
    clampTopLeft();
    geometryChanged();
    adjustToSize(oldColCount, oldRowCount);
    Q_EMIT sizeChanged(oldColCount, oldRowCount);
}

void GridBase::setFixedCols(int value)
{
    value = std::clamp(value, 0, m_colCount - 1);
    if (value == m_fixedCols)
        return;
    m_fixedCols = value;
    if (m_current.x < value)
        m_current.x = value;
    if (m_anchor.x < value)
        m_anchor.x = value;
    m_leftCol = std::clamp(m_leftCol, value, std::max(maxLeftCol(), value));
    geometryChanged();
}

void GridBase::setFixedRows(int value)
{
    value = std::clamp(value, 0, m_rowCount - 1);
    if (value == m_fixedRows)
        return;
    m_fixedRows = value;
    if (m_current.y < value)
        m_current.y = value;
    if (m_anchor.y < value)
        m_anchor.y = value;
    m_topRow = std::clamp(m_topRow, value, std::max(maxTopRow(), value));
    geometryChanged();
}

void GridBase::setDefaultColWidth(int value)
{
    if (value == m_defaultColWidth)
        return;
    m_defaultColWidth = value;
    m_colWidths.clear();
    cellSizesChanged();
    Q_EMIT columnWidthsChanged();
    geometryChanged();
}

void GridBase::setDefaultRowHeight(int value)
{
    if (value == m_defaultRowHeight)
        return;
    m_defaultRowHeight = value;
    m_rowHeights.clear();
    cellSizesChanged();
    geometryChanged();
}

int GridBase::colWidths(int col) const
{
    return storedSize(m_colWidths, col, m_defaultColWidth);
}

void GridBase::setColWidths(int col, int width)
{
    if (!storeSize(m_colWidths, col, m_colCount, width, m_defaultColWidth))
        return;
    cellSizesChanged();
    Q_EMIT columnWidthsChanged();
    geometryChanged();
}

int GridBase::rowHeights(int row) const
{
    return storedSize(m_rowHeights, row, m_defaultRowHeight);
}

void GridBase::setRowHeights(int row, int height)
{
    if (!storeSize(m_rowHeights, row, m_rowCount, height, m_defaultRowHeight))
        return;
    cellSizesChanged();
    geometryChanged();
}

void GridBase::setGridLineWidth(int value)
{
    value = std::max(value, 0);
    if (value == m_gridLineWidth)
        return;
    m_gridLineWidth = value;
    geometryChanged();
}

void GridBase::setColor(ColorValue value)
{
    if (value == m_color)
        return;
    m_color = value;
    viewport()->update();
}

void GridBase::setFixedColor(ColorValue value)
{
    if (value == m_fixedColor)
        return;
    m_fixedColor = value;
    viewport()->update();
}

void GridBase::setBorderStyle(BorderStyle value)
{
    if (value == m_borderStyle)
        return;
    m_borderStyle = value;
    setFrameShape(value == bsSingle ? QFrame::Box : QFrame::NoFrame);
}

void GridBase::setScrollBars(ScrollStyle value)
{
    m_scrollBars = value;
    const bool horz = value == ssHorizontal || value == ssBoth;
    const bool vert = value == ssVertical || value == ssBoth;
    setHorizontalScrollBarPolicy(horz ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(vert ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    updateScrollRange();
}

void GridBase::setTabStop(bool value)
{
    setFocusPolicy(value ? Qt::StrongFocus : Qt::ClickFocus);
}

void GridBase::setOptions(GridOptions value)
{
    if (value == m_options)
        return;
    const GridOptions old = m_options;
    m_options = value;
    if (!(value & goEditing) && m_editorMode)
        hideEditor();
    if ((value & goAlwaysShowEditor) && (value & goEditing) && !(old & goAlwaysShowEditor))
        showEditor();
    if (value & goRowSelect)
        m_anchor.x = m_colCount - 1;
    updateScrollRange();
    viewport()->update();
}

// ---- current cell and selection ---------------------------------------------

void GridBase::setCurrentCol(int value)
{
    if (value == m_current.x)
        return;
    commitEditing();
    focusCell(value, m_current.y, true);
}

void GridBase::setCurrentRow(int value)
{
    if (value == m_current.y)
        return;
    commitEditing();
    focusCell(m_current.x, value, true);
}

GridRect GridBase::selection() const
{
    if (m_highlight)
        return *m_highlight;
    GridRect r;
    r.left = std::min(m_anchor.x, m_current.x);
    r.right = std::max(m_anchor.x, m_current.x);
    r.top = std::min(m_anchor.y, m_current.y);
    r.bottom = std::max(m_anchor.y, m_current.y);
    if (m_options & goRowSelect) {
        r.left = m_fixedCols;
        r.right = m_colCount - 1;
    }
    return r;
}

void GridBase::setSelection(const GridRect &value)
{
    commitEditing();
    applySelection(value);
}

void GridBase::applySelection(const GridRect &value)
{
    const GridRect old = selection();
    m_highlight.reset();
    auto clampX = [this](int x) { return std::clamp(x, 0, m_colCount - 1); };
    auto clampY = [this](int y) { return std::clamp(y, 0, m_rowCount - 1); };
    const GridCoord oldCurrent = m_current;
    m_anchor = GridCoord{clampX(value.left), clampY(value.top)};
    m_current = GridCoord{clampX(value.right), clampY(value.bottom)};
    if (m_current != oldCurrent)
        clampInView(m_current.x, m_current.y);
    selectionMoved(old);
    updateEditor();
}

void GridBase::highlightCells(const GridRect &value)
{
    const GridRect old = selection();
    m_highlight = GridRect{std::clamp(value.left, 0, m_colCount - 1), std::clamp(value.top, 0, m_rowCount - 1),
                            std::clamp(value.right, 0, m_colCount - 1), std::clamp(value.bottom, 0, m_rowCount - 1)};
    selectionMoved(old);
}

void GridBase::selectionMoved(const GridRect &oldSelection)
{
    invalidateRect(oldSelection);
    invalidateRect(selection());
}

void GridBase::focusCell(int col, int row, bool moveAnchor)
{
    moveCurrent(col, row, moveAnchor, true);
    click();
}

bool GridBase::moveCurrent(int col, int row, bool moveAnchor, bool show)
{
    if (col < 0 || row < 0 || col >= m_colCount || row >= m_rowCount)
        return false;
    if (!selectCell(col, row))
        return false;
    const GridRect old = selection();
    m_highlight.reset();
    const bool cellChanged = col != m_current.x || row != m_current.y;
    if (cellChanged && m_editorMode) {
        // The edit ends in its own cell; the editor then takes up the new cell's text.
        editEnding();
        m_editCell = GridCoord{-1, -1};
    }
    m_current = GridCoord{col, row};
    if (moveAnchor || !(m_options & goRangeSelect))
        m_anchor = m_current;
    if (m_options & goRowSelect)
        m_anchor.x = m_colCount - 1;
    if (show)
        clampInView(col, row);
    selectionMoved(old);
    updateEditor();
    return true;
}

// ---- scrolling ---------------------------------------------------------------

void GridBase::setLeftCol(int value)
{
    setTopLeft(value, m_topRow);
}

void GridBase::setTopRow(int value)
{
    setTopLeft(m_leftCol, value);
}

void GridBase::setTopLeft(int leftCol, int topRow)
{
    leftCol = std::clamp(leftCol, m_fixedCols, std::max(m_colCount - 1, m_fixedCols));
    topRow = std::clamp(topRow, m_fixedRows, std::max(m_rowCount - 1, m_fixedRows));
    if (leftCol == m_leftCol && topRow == m_topRow)
        return;
    m_leftCol = leftCol;
    m_topRow = topRow;
    geometryChanged();
    topLeftChanged();
}

void GridBase::clampInView(int col, int row)
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
                    if (colWidths(c) >= 0)
                        x += colWidths(c) + effectiveColLine(c);
                for (int c = l; c <= col; ++c)
                    if (colWidths(c) >= 0)
                        x += colWidths(c) + effectiveColLine(c);
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
                if (rowHeights(r) >= 0)
                    fixedHeight += rowHeights(r) + effectiveRowLine(r);
            // Rows from top to row must fit; move top down until they do.
            int y = fixedHeight;
            for (int r = top; r <= row; ++r)
                if (rowHeights(r) >= 0)
                    y += rowHeights(r) + effectiveRowLine(r);
            while (top < row && y > avail) {
                if (rowHeights(top) >= 0)
                    y -= rowHeights(top) + effectiveRowLine(top);
                ++top;
            }
        }
    }
    setTopLeft(left, top);
}

void GridBase::geometryChanged()
{
    updateScrollRange();
    updateEditor();
    viewport()->update();
}

void GridBase::updateScrollRange()
{
    if (m_updatingScroll)
        return;
    m_updatingScroll = true;
    const int maxTop = maxTopRow();
    const int maxLeft = maxLeftCol();
    QScrollBar *v = verticalScrollBar();
    v->setRange(0, std::max(0, maxTop - m_fixedRows));
    v->setPageStep(std::max(1, visibleRowCount()));
    v->setValue(m_topRow - m_fixedRows);
    QScrollBar *h = horizontalScrollBar();
    h->setRange(0, std::max(0, maxLeft - m_fixedCols));
    h->setPageStep(std::max(1, visibleColCount()));
    h->setValue(m_leftCol - m_fixedCols);
    m_updatingScroll = false;
}

void GridBase::scrollContentsBy(int, int)
{
    if (m_updatingScroll)
        return;
    setTopLeft(horizontalScrollBar()->value() + m_fixedCols, verticalScrollBar()->value() + m_fixedRows);
}

struct GridBase::Axis
{
    const GridBase &grid;
    bool columns;
    int count, fixed, first, extent;

    int size(int i) const { return columns ? grid.colWidths(i) : grid.rowHeights(i); }
    int line(int i) const { return columns ? grid.effectiveColLine(i) : grid.effectiveRowLine(i); }
    // A hidden column or row (size -1) takes no room.
    int advance(int i) const { return size(i) >= 0 ? size(i) + line(i) : 0; }

    // Calls `visit(index, offset)` for every laid-out index in screen order,
    // stopping when it returns true or the view's extent is used up.
    // Positions beyond the view are walked too unless `clip` is set.
    template<typename Visit>
    void walk(Visit visit, bool clip = true) const
    {
        int offset = 0;
        for (int i = 0; i < fixed; ++i) {
            if (visit(i, offset))
                return;
            offset += advance(i);
        }
        for (int i = first; i < count && (!clip || offset < extent); ++i) {
            if (visit(i, offset))
                return;
            offset += advance(i);
        }
    }

    // The offset of `index` from the view's edge; -1 when it is not laid out.
    int start(int index) const
    {
        if (index < 0 || index >= count || size(index) < 0 || (index >= fixed && index < first))
            return -1;
        int start = -1;
        walk([&](int i, int offset) {
            if (i != index)
                return false;
            start = offset;
            return true;
        });
        return start;
    }

    // The index under `position`; -1 outside every laid-out index.
    int indexAt(int position) const
    {
        if (position < 0)
            return -1;
        int found = -1;
        walk([&](int i, int offset) {
            if (size(i) < 0 || position >= offset + advance(i))
                return false;
            found = i;
            return true;
        }, false);
        return found;
    }

    // The highest first scrolled index that still fills the view to its end.
    int maxFirst() const
    {
        int avail = extent;
        for (int i = 0; i < fixed; ++i)
            avail -= advance(i);
        int firstIndex = count;
        int used = 0;
        while (firstIndex > fixed && used + advance(firstIndex - 1) <= avail) {
            used += advance(firstIndex - 1);
            --firstIndex;
        }
        return std::clamp(firstIndex, fixed, std::max(count - 1, fixed));
    }

    // How many scrolled indexes fit wholly behind the fixed ones.
    int visibleCount() const
    {
        int offset = 0;
        for (int i = 0; i < fixed; ++i)
            offset += advance(i);
        int visible = 0;
        for (int i = first; i < count; ++i) {
            if (size(i) >= 0 && offset + size(i) > extent)
                break;
            offset += advance(i);
            ++visible;
        }
        return visible;
    }
};

GridBase::Axis GridBase::columns() const
{
    return {*this, true, m_colCount, m_fixedCols, m_leftCol, viewport()->width()};
}

GridBase::Axis GridBase::rows() const
{
    return {*this, false, m_rowCount, m_fixedRows, m_topRow, viewport()->height()};
}

int GridBase::maxTopRow() const
{
    return rows().maxFirst();
}

int GridBase::maxLeftCol() const
{
    return columns().maxFirst();
}

void GridBase::clampTopLeft()
{
    m_leftCol = std::clamp(m_leftCol, m_fixedCols, std::max(maxLeftCol(), m_fixedCols));
    m_topRow = std::clamp(m_topRow, m_fixedRows, std::max(maxTopRow(), m_fixedRows));
}

int GridBase::visibleColCount() const
{
    return columns().visibleCount();
}

int GridBase::visibleRowCount() const
{
    return rows().visibleCount();
}

// ---- geometry ----------------------------------------------------------------

int GridBase::effectiveColLine(int col) const
{
    const GridOption option = col < m_fixedCols ? goFixedVertLine : goVertLine;
    return (m_options & option) ? m_gridLineWidth : 0;
}

int GridBase::effectiveRowLine(int row) const
{
    const GridOption option = row < m_fixedRows ? goFixedHorzLine : goHorzLine;
    return (m_options & option) ? m_gridLineWidth : 0;
}

int GridBase::colLeft(int col) const
{
    return columns().start(col);
}

int GridBase::rowTop(int row) const
{
    return rows().start(row);
}

int GridBase::columnAtX(int x) const
{
    return columns().indexAt(x);
}

int GridBase::rowAtY(int y) const
{
    return rows().indexAt(y);
}

GridCoord GridBase::mouseCoord(int x, int y) const
{
    GridCoord c{columnAtX(x), rowAtY(y)};
    if (c.x < 0 || c.y < 0)
        return GridCoord{-1, -1};
    return c;
}

QRect GridBase::cellRect(int col, int row) const
{
    const int x = colLeft(col);
    const int y = rowTop(row);
    if (x < 0 || y < 0)
        return QRect();
    return QRect(x, y, colWidths(col), rowHeights(row));
}

int GridBase::colBorderAt(int x) const
{
    int left = 0;
    auto near = [&](int c) {
        const int w = colWidths(c);
        if (w < 0)
            return false;
        const int right = left + w;
        left = right + effectiveColLine(c);
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

GridDrawState GridBase::cellState(int col, int row) const
{
    GridDrawState state;
    if (col < m_fixedCols || row < m_fixedRows) {
        state |= gdFixed;
        return state;
    }
    if (hasFocus() && col == m_current.x && row == m_current.y)
        state |= gdFocused;
    if (selection().contains(col, row))
        state |= gdSelected;
    return state;
}

ColorValue GridBase::cellBrushColor(int, int, GridDrawState state) const
{
    if (state & gdFixed)
        return m_fixedColor;
    if ((state & gdSelected) && (!(state & gdFocused) || (m_options & (goDrawFocusSelected | goRowSelect))))
        return Colors::clHighlight;
    return m_color;
}

ColorValue GridBase::cellFontColor(GridDrawState state) const
{
    if (!(state & gdFixed) && (state & gdSelected)
        && (!(state & gdFocused) || (m_options & (goDrawFocusSelected | goRowSelect))))
        return Colors::clHighlightText;
    return Colors::clWindowText;
}

void GridBase::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QRect exposed = event->rect();
    const int width = viewport()->width();
    const int height = viewport()->height();
    painter.fillRect(exposed, toQColor(m_color));
    const QColor fixedLine = toQColor(Colors::clBtnShadow);
    const QColor normalLine = toQColor(Colors::clSilver);

    int y = 0;
    auto paintRow = [&](int row) {
        const int h = rowHeights(row);
        if (h < 0)
            return;
        const int rowLine = effectiveRowLine(row);
        int x = 0;
        auto paintCol = [&](int col) {
            const int w = colWidths(col);
            if (w < 0)
                return;
            const int colLine = effectiveColLine(col);
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

void GridBase::paintCell(QPainter &painter, int col, int row, const QRect &rect)
{
    const GridDrawState state = cellState(col, row);
    painter.save();
    painter.setClipRect(rect);
    if (m_defaultDrawing)
        painter.fillRect(rect, toQColor(cellBrushColor(col, row, state)));
    painter.setPen(toQColor(cellFontColor(state)));
    painter.setFont(font());
    drawCell(painter, col, row, rect, state);
    if (m_defaultDrawing && (state & gdFocused) && !(m_options & goRowSelect)) {
        QPen pen(toQColor(Colors::clWindowText), 1, Qt::DotLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
    }
    painter.restore();
}

void GridBase::drawCell(QPainter &, int, int, const QRect &, GridDrawState)
{
}

void GridBase::invalidateCell(int col, int row)
{
    const QRect r = cellRect(col, row);
    if (!r.isEmpty())
        viewport()->update(r.adjusted(0, 0, m_gridLineWidth, m_gridLineWidth));
}

void GridBase::invalidateRow(int row)
{
    const int y = rowTop(row);
    if (y >= 0)
        viewport()->update(QRect(0, y, viewport()->width(), rowHeights(row) + m_gridLineWidth));
}

void GridBase::invalidateCol(int col)
{
    const int x = colLeft(col);
    if (x >= 0)
        viewport()->update(QRect(x, 0, colWidths(col) + m_gridLineWidth, viewport()->height()));
}

void GridBase::invalidateGrid()
{
    viewport()->update();
}

void GridBase::invalidateRect(const GridRect &rect)
{
    // Rows outside the view cost nothing: only the rows in view are looked at.
    const int first = std::max(rect.top, m_topRow);
    const int last = std::min(rect.bottom, m_topRow + visibleRowCount() + 1);
    for (int r = first; r <= last; ++r)
        invalidateRow(r);
    for (int r = rect.top; r <= rect.bottom && r < m_fixedRows; ++r)
        invalidateRow(r);
}

// ---- update bracket ----------------------------------------------------------

void GridBase::beginUpdate()
{
    commitEditing();
    m_nowUpdating = true;
    setCursor(Qt::WaitCursor);
    setUpdatesEnabled(false);
    m_hadFocusBeforeUpdate = m_hadFocusBeforeUpdate || hasFocus() || m_editor->hasFocus();
    setEnabled(false);
    Q_EMIT updateBegun();
}

void GridBase::endUpdate()
{
    changeSize(m_colCount, m_rowCount); // still updating: only records the counts
    // Counts changed inside the bracket are used from here on: keep the cursor,
    // the anchor and the scroll position inside the grid.
    auto clampCoord = [this](GridCoord &c) {
        c.x = std::clamp(c.x, std::min(m_fixedCols, m_colCount - 1), m_colCount - 1);
        c.y = std::clamp(c.y, std::min(m_fixedRows, m_rowCount - 1), m_rowCount - 1);
    };
    clampCoord(m_current);
    clampCoord(m_anchor);
    clampTopLeft();
    updateScrollRange();
    viewport()->update();
    setUpdatesEnabled(true);
    setEnabled(true);
    unsetCursor();
    if (m_hadFocusBeforeUpdate) {
        m_hadFocusBeforeUpdate = false;
        setFocus();
    }
    m_nowUpdating = false;
    updateEditor();
    Q_EMIT updateEnded();
}

// ---- moving and deleting -----------------------------------------------------

void GridBase::moveColumn(int fromIndex, int toIndex)
{
    if (fromIndex == toIndex || fromIndex < 0 || toIndex < 0 || fromIndex >= m_colCount || toIndex >= m_colCount)
        return;
    if (int(m_colWidths.size()) < m_colCount)
        m_colWidths.resize(size_t(m_colCount), m_defaultColWidth);
    const int w = m_colWidths[size_t(fromIndex)];
    m_colWidths.erase(m_colWidths.begin() + fromIndex);
    m_colWidths.insert(m_colWidths.begin() + toIndex, w);
    hideEditor();
    moveColumnData(fromIndex, toIndex);
    Q_EMIT columnMoved(fromIndex, toIndex);
    updateScrollRange();
    viewport()->update();
}

void GridBase::moveRow(int fromIndex, int toIndex)
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
    hideEditor();
    moveRowData(fromIndex, toIndex);
    updateScrollRange();
    viewport()->update();
}

void GridBase::deleteColumn(int col)
{
    if (col < 0 || col >= m_colCount || m_colCount <= 1)
        return;
    hideEditor();
    if (col < int(m_colWidths.size()))
        m_colWidths.erase(m_colWidths.begin() + col);
    removeColumnData(col);
    setColCount(m_colCount - 1);
    viewport()->update();
}

void GridBase::deleteRow(int row)
{
    if (row < 0 || row >= m_rowCount || m_rowCount <= 1)
        return;
    hideEditor();
    if (row < int(m_rowHeights.size()))
        m_rowHeights.erase(m_rowHeights.begin() + row);
    removeRowData(row);
    setRowCount(m_rowCount - 1);
    viewport()->update();
}

void GridBase::insertColSlot(int col)
{
    if (col >= 0 && col < int(m_colWidths.size()))
        m_colWidths.insert(m_colWidths.begin() + col, m_defaultColWidth);
}

void GridBase::insertRowSlot(int row)
{
    if (row >= 0 && row < int(m_rowHeights.size()))
        m_rowHeights.insert(m_rowHeights.begin() + row, m_defaultRowHeight);
}

// ---- overridable steps ---------------------------------------------------------

bool GridBase::canSelectCell(int, int) { return true; }
bool GridBase::selectCell(int col, int row) { return canSelectCell(col, row); }
void GridBase::adjustToSize(int, int) {}
void GridBase::moveColumnData(int, int) {}
void GridBase::moveRowData(int, int) {}
void GridBase::removeColumnData(int) {}
void GridBase::removeRowData(int) {}
void GridBase::cellSizesChanged() {}
void GridBase::topLeftChanged() {}

QString GridBase::getEditText(int, int) { return QString(); }
void GridBase::setEditText(int, int, const QString &) {}

bool GridBase::canEditShow() const
{
    return (m_options & goEditing) && !(m_options & goRowSelect) && m_current.x >= m_fixedCols
           && m_current.y >= m_fixedRows && !m_nowUpdating;
}

void GridBase::click() {}

// ---- in-place editor -----------------------------------------------------------

bool GridBase::editorShowing() const
{
    return m_editorMode && m_editor->isVisible();
}

void GridBase::setEditorMode(bool value)
{
    if (value)
        showEditor();
    else
        hideEditor();
}

void GridBase::showEditor()
{
    if (!canEditShow())
        return;
    if (!m_editorMode || m_editCell != m_current) {
        m_editorMode = true;
        loadEditor();
    }
    updateEditor();
}

void GridBase::loadEditor()
{
    m_editCell = m_current;
    m_editStartText = getEditText(m_current.x, m_current.y);
    m_editor->setText(m_editStartText);
    m_editor->selectAll();
    editStarted();
}

void GridBase::editStarted()
{
}

void GridBase::editEnding()
{
}

void GridBase::editCancelled()
{
}

void GridBase::showEditorChar(QChar ch)
{
    showEditor();
    if (!m_editorMode)
        return;
    m_editor->setText(QString(ch));
    m_editor->setCursorPosition(1);
    setEditText(m_editCell.x, m_editCell.y, m_editor->text());
}

void GridBase::hideEditor()
{
    if (!m_editorMode)
        return;
    m_editorMode = false;
    const GridCoord cell = m_editCell;
    m_editCell = GridCoord{-1, -1};
    // The grid takes the focus before the editor goes, so that it never passes to
    // another control on the way.
    if (m_editor->hasFocus())
        setFocus();
    m_editor->hide();
    invalidateCell(cell.x, cell.y);
}

void GridBase::closeEditor()
{
    if (!m_editorMode)
        return;
    editEnding();
    hideEditor();
}

void GridBase::commitEditing()
{
    closeEditor();
}

void GridBase::endEditing(bool cancel)
{
    if (!m_editorMode)
        return;
    if (cancel) {
        if (m_editCell.x >= 0 && getEditText(m_editCell.x, m_editCell.y) != m_editStartText)
            setEditText(m_editCell.x, m_editCell.y, m_editStartText);
        editCancelled();
    }
    hideEditor();
}

void GridBase::updateEditor()
{
    if (!m_editor)
        return;
    if (!m_editorMode) {
        if (m_editor->isVisible())
            m_editor->hide();
        return;
    }
    if (m_editCell.x >= 0 && m_editCell != m_current) {
        // The current cell was moved under the editor: the edit stays in its own cell.
        closeEditor();
        return;
    }
    const QRect r = cellRect(m_current.x, m_current.y);
    if (r.isEmpty() || m_nowUpdating || !canEditShow()) {
        if (m_editor->isVisible()) {
            if (m_editor->hasFocus())
                setFocus();
            m_editor->hide();
        }
        if (!canEditShow() && !m_nowUpdating) {
            m_editorMode = false;
            m_editCell = GridCoord{-1, -1};
        }
        return;
    }
    if (m_editCell != m_current)
        loadEditor(); // moved on with the user: edit the new cell's own text
    m_editor->setFont(font());
    m_editor->setGeometry(r);
    if (!m_editor->isVisible()) {
        m_editor->show();
        if (hasFocus() || isActiveWindow())
            m_editor->setFocus();
    }
}

// ---- keyboard ------------------------------------------------------------------

int GridBase::nextVisibleCol(int col, int step) const
{
    int c = col + step;
    while (c >= m_fixedCols && c < m_colCount && colWidths(c) < 0)
        c += step;
    if (c < m_fixedCols || c >= m_colCount)
        return col;
    return c;
}

bool GridBase::keyMove(int col, int row, Qt::KeyboardModifiers modifiers)
{
    col = std::clamp(col, std::min(m_fixedCols, m_colCount - 1), m_colCount - 1);
    row = std::clamp(row, std::min(m_fixedRows, m_rowCount - 1), m_rowCount - 1);
    const bool extend = (modifiers & Qt::ShiftModifier) && (m_options & goRangeSelect);
    if (col == m_current.x && row == m_current.y && !extend)
        return true;
    const bool moved = moveCurrent(col, row, !extend, true);
    click();
    return moved;
}

void GridBase::keyMoveToEdge(int row, int step, Qt::KeyboardModifiers modifiers)
{
    for (int c = step > 0 ? m_fixedCols : m_colCount - 1; c >= m_fixedCols && c < m_colCount; c += step) {
        if (colWidths(c) >= 0 && keyMove(c, row, modifiers))
            return;
    }
}

void GridBase::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    const int col = m_current.x;
    const int row = m_current.y;
    const int page = std::max(1, visibleRowCount());
    switch (event->key()) {
    case Qt::Key_Up:
        keyMove(col, row - 1, mods);
        break;
    case Qt::Key_Down:
        keyMove(col, row + 1, mods);
        break;
    case Qt::Key_Left:
        if (m_options & goRowSelect)
            setLeftCol(m_leftCol - 1);
        else
            keyMove(nextVisibleCol(col, -1), row, mods);
        break;
    case Qt::Key_Right:
        if (m_options & goRowSelect)
            setLeftCol(m_leftCol + 1);
        else
            keyMove(nextVisibleCol(col, 1), row, mods);
        break;
    case Qt::Key_Home:
        keyMoveToEdge(ctrl ? m_fixedRows : row, 1, mods);
        break;
    case Qt::Key_End:
        keyMoveToEdge(ctrl ? m_rowCount - 1 : row, -1, mods);
        break;
    case Qt::Key_PageUp:
        setTopRow(m_topRow - page);
        keyMove(col, row - page, mods);
        break;
    case Qt::Key_PageDown:
        setTopRow(std::min(m_topRow + page, maxTopRow()));
        keyMove(col, row + page, mods);
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (m_options & goTabs) {
            const bool back = event->key() == Qt::Key_Backtab || (mods & Qt::ShiftModifier);
            int c = back ? nextVisibleCol(col, -1) : nextVisibleCol(col, 1);
            int r = row;
            if (c == col) {
                // Wrap to the other end of the next or previous row.
                if (back && row > m_fixedRows) {
                    r = row - 1;
                    c = nextVisibleCol(m_colCount, -1);
                } else if (!back && row < m_rowCount - 1) {
                    r = row + 1;
                    c = nextVisibleCol(m_fixedCols - 1, 1);
                }
            }
            keyMove(c, r, Qt::NoModifier);
        } else {
            QAbstractScrollArea::keyPressEvent(event);
        }
        break;
    case Qt::Key_F2:
        if (m_options & goEditing)
            showEditor();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_options & goEditing) {
            if (m_editorMode)
                hideEditor();
            else
                showEditor();
        }
        break;
    case Qt::Key_Escape:
        if (m_editorMode)
            endEditing(true);
        else
            event->ignore();
        break;
    default: {
        const QString text = event->text();
        if ((m_options & goEditing) && !m_editorMode && text.size() == 1 && text.at(0).isPrint()
            && !(mods & (Qt::ControlModifier | Qt::AltModifier))) {
            showEditorChar(text.at(0));
        } else {
            event->ignore();
        }
    }
    }
}

// ---- mouse ---------------------------------------------------------------------

void GridBase::mousePressEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (event->button() != Qt::LeftButton)
        return;
    if (!hasFocus() && !m_editor->hasFocus())
        setFocus(Qt::MouseFocusReason);
    int fixedHeight = 0;
    for (int r = 0; r < m_fixedRows; ++r)
        if (rowHeights(r) >= 0)
            fixedHeight += rowHeights(r) + effectiveRowLine(r);
    if (p.y() < fixedHeight && (m_options & goColSizing)) {
        const int border = colBorderAt(p.x());
        if (border >= 0) {
            m_gridState = gsColSizing;
            m_sizingCol = border;
            m_sizingStartX = p.x();
            m_sizingStartWidth = colWidths(border);
            return;
        }
    }
    const GridCoord cell = mouseCoord(p.x(), p.y());
    if (cell.x < 0)
        return;
    if (cell.y < m_fixedRows) {
        if ((m_options & goColMoving) && cell.x >= m_fixedCols) {
            m_gridState = gsColMoving;
            m_moveFrom = cell.x;
        }
        return;
    }
    if (cell.x < m_fixedCols)
        return;
    const bool wasCurrent = cell.x == m_current.x && cell.y == m_current.y;
    if ((event->modifiers() & Qt::ShiftModifier) && (m_options & goRangeSelect)) {
        moveCurrent(cell.x, cell.y, false, true);
        click();
    } else {
        focusCell(cell.x, cell.y, true);
        if (wasCurrent && (m_options & goEditing) && !m_editorMode)
            showEditor();
    }
    if (m_options & goRangeSelect)
        m_gridState = gsSelecting;
}

void GridBase::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    switch (m_gridState) {
    case gsColSizing:
        setColWidths(m_sizingCol, std::max(1, m_sizingStartWidth + p.x() - m_sizingStartX));
        return;
    case gsSelecting: {
        const GridCoord cell = mouseCoord(p.x(), p.y());
        if (cell.x >= m_fixedCols && cell.y >= m_fixedRows && (cell.x != m_current.x || cell.y != m_current.y))
            moveCurrent(cell.x, cell.y, false, true);
        return;
    }
    default:
        break;
    }
    // Hovering over a title border shows where a column can be sized.
    int fixedHeight = 0;
    for (int r = 0; r < m_fixedRows; ++r)
        if (rowHeights(r) >= 0)
            fixedHeight += rowHeights(r) + effectiveRowLine(r);
    const bool overBorder = (m_options & goColSizing) && p.y() < fixedHeight && colBorderAt(p.x()) >= 0;
    if (!m_nowUpdating)
        viewport()->setCursor(overBorder ? Qt::SplitHCursor : Qt::ArrowCursor);
}

void GridBase::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    const GridState state = m_gridState;
    m_gridState = gsNormal;
    if (state == gsColMoving) {
        const GridCoord cell = mouseCoord(p.x(), p.y());
        if (cell.x >= m_fixedCols && cell.x != m_moveFrom)
            moveColumn(m_moveFrom, cell.x);
        m_moveFrom = -1;
    }
}

void GridBase::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    const GridCoord cell = mouseCoord(p.x(), p.y());
    if (event->button() == Qt::LeftButton && cell.x >= m_fixedCols && cell.y >= m_fixedRows
        && cell.x == m_current.x && cell.y == m_current.y && (m_options & goEditing) && !m_editorMode)
        showEditor();
}

void GridBase::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    invalidateCell(m_current.x, m_current.y);
}

void GridBase::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    invalidateCell(m_current.x, m_current.y);
}

void GridBase::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    clampTopLeft();
    updateScrollRange();
    updateEditor();
}

bool GridBase::focusNextPrevChild(bool next)
{
    // With goTabs the Tab key moves between cells instead of leaving the grid.
    if (m_options & goTabs)
        return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}
