#include "grid/GridBase.h"

#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int SizingZone = 3; // pixels either side of a column border that start sizing

} // namespace

GridBase::GridBase(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    setScrollBars(ScrollStyle::Both);
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
    if (value == colCount())
        return;
    changeSize(value, rowCount());
}

void GridBase::setRowCount(int value)
{
    value = std::max(value, 1);
    if (value == rowCount())
        return;
    changeSize(colCount(), value);
}

void GridBase::changeSize(int newColCount, int newRowCount)
{
    commitEditing();
    m_highlight.reset();
    const int oldColCount = colCount();
    const int oldRowCount = rowCount();
    m_geometry.setCounts(newColCount, newRowCount);
    if (m_nowUpdating)
        return;

    m_geometry.dropSizesBeyondCounts();
    clampCursor();
    geometryInView().clampTopLeft();
    geometryChanged();
    adjustToSize(oldColCount, oldRowCount);
    Q_EMIT sizeChanged(oldColCount, oldRowCount);
}

void GridBase::clampCursor()
{
    auto clampCoord = [this](GridCoord &c) {
        c.x = std::clamp(c.x, std::min(fixedCols(), colCount() - 1), colCount() - 1);
        c.y = std::clamp(c.y, std::min(fixedRows(), rowCount() - 1), rowCount() - 1);
    };
    clampCoord(m_current);
    clampCoord(m_anchor);
}

void GridBase::setFixedCols(int value)
{
    if (!geometryInView().setFixedCols(value))
        return;
    m_current.x = std::max(m_current.x, fixedCols());
    m_anchor.x = std::max(m_anchor.x, fixedCols());
    geometryChanged();
}

void GridBase::setFixedRows(int value)
{
    if (!geometryInView().setFixedRows(value))
        return;
    m_current.y = std::max(m_current.y, fixedRows());
    m_anchor.y = std::max(m_anchor.y, fixedRows());
    geometryChanged();
}

void GridBase::setDefaultColWidth(int value)
{
    if (!m_geometry.setDefaultColWidth(value))
        return;
    cellSizesChanged();
    Q_EMIT columnWidthsChanged();
    geometryChanged();
}

void GridBase::setDefaultRowHeight(int value)
{
    if (!m_geometry.setDefaultRowHeight(value))
        return;
    cellSizesChanged();
    geometryChanged();
}

void GridBase::setColumnWidth(int col, int width)
{
    if (!m_geometry.setColWidth(col, width))
        return;
    cellSizesChanged();
    Q_EMIT columnWidthsChanged();
    geometryChanged();
}

void GridBase::setRowHeight(int row, int height)
{
    if (!m_geometry.setRowHeight(row, height))
        return;
    cellSizesChanged();
    geometryChanged();
}

void GridBase::setGridLineWidth(int value)
{
    if (!m_geometry.setGridLineWidth(value))
        return;
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
    setFrameShape(value == BorderStyle::Single ? QFrame::Box : QFrame::NoFrame);
}

void GridBase::setScrollBars(ScrollStyle value)
{
    m_scrollBars = value;
    const bool horz = value == ScrollStyle::Horizontal || value == ScrollStyle::Both;
    const bool vert = value == ScrollStyle::Vertical || value == ScrollStyle::Both;
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
    m_geometry.setGridLines(value);
    if (!(value & GridOption::Editing) && m_editorMode)
        hideEditor();
    if ((value & GridOption::AlwaysShowEditor) && (value & GridOption::Editing)
        && !(old & GridOption::AlwaysShowEditor))
        showEditor();
    if (value & GridOption::RowSelect)
        m_anchor.x = colCount() - 1;
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
    if (m_options & GridOption::RowSelect) {
        r.left = fixedCols();
        r.right = colCount() - 1;
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
    auto clampX = [this](int x) { return std::clamp(x, 0, colCount() - 1); };
    auto clampY = [this](int y) { return std::clamp(y, 0, rowCount() - 1); };
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
    m_highlight
        = GridRect{std::clamp(value.left, 0, colCount() - 1), std::clamp(value.top, 0, rowCount() - 1),
                   std::clamp(value.right, 0, colCount() - 1), std::clamp(value.bottom, 0, rowCount() - 1)};
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
    if (col < 0 || row < 0 || col >= colCount() || row >= rowCount())
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
    if (moveAnchor || !(m_options & GridOption::RangeSelect))
        m_anchor = m_current;
    if (m_options & GridOption::RowSelect)
        m_anchor.x = colCount() - 1;
    if (show)
        clampInView(col, row);
    selectionMoved(old);
    updateEditor();
    return true;
}

// ---- scrolling ---------------------------------------------------------------

void GridBase::setLeftCol(int value)
{
    setTopLeft(value, topRow());
}

void GridBase::setTopRow(int value)
{
    setTopLeft(leftCol(), value);
}

void GridBase::setTopLeft(int leftCol, int topRow)
{
    if (!m_geometry.setTopLeft(leftCol, topRow))
        return;
    geometryChanged();
    topLeftChanged();
}

void GridBase::clampInView(int col, int row)
{
    const GridGeometry &geometry = geometryInView();
    setTopLeft(geometry.leftColShowing(col), geometry.topRowShowing(row));
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
    const GridGeometry &geometry = geometryInView();
    const int maxTop = geometry.maxTopRow();
    const int maxLeft = geometry.maxLeftCol();
    QScrollBar *v = verticalScrollBar();
    v->setRange(0, std::max(0, maxTop - fixedRows()));
    v->setPageStep(std::max(1, visibleRowCount()));
    v->setValue(topRow() - fixedRows());
    QScrollBar *h = horizontalScrollBar();
    h->setRange(0, std::max(0, maxLeft - fixedCols()));
    h->setPageStep(std::max(1, visibleColCount()));
    h->setValue(leftCol() - fixedCols());
    m_updatingScroll = false;
}

void GridBase::scrollContentsBy(int, int)
{
    if (m_updatingScroll)
        return;
    setTopLeft(horizontalScrollBar()->value() + fixedCols(), verticalScrollBar()->value() + fixedRows());
}

const GridGeometry &GridBase::geometryInView() const
{
    m_geometry.setViewportSize(viewport()->size());
    return m_geometry;
}

GridGeometry &GridBase::geometryInView()
{
    m_geometry.setViewportSize(viewport()->size());
    return m_geometry;
}

int GridBase::visibleColCount() const
{
    return geometryInView().visibleColCount();
}

int GridBase::visibleRowCount() const
{
    return geometryInView().visibleRowCount();
}

GridCoord GridBase::mouseCoord(int x, int y) const
{
    return geometryInView().cellAt(x, y);
}

QRect GridBase::cellRect(int col, int row) const
{
    return geometryInView().cellRect(col, row);
}

int GridBase::colBorderAt(int x) const
{
    return geometryInView().colBorderAt(x, SizingZone);
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
    commitEditing();
    m_highlight.reset();
    // Counts changed inside the bracket are used from here on: keep the cursor,
    // the anchor and the scroll position inside the grid.
    clampCursor();
    geometryInView().clampTopLeft();
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
    if (fromIndex == toIndex || fromIndex < 0 || toIndex < 0 || fromIndex >= colCount()
        || toIndex >= colCount())
        return;
    m_geometry.moveColumn(fromIndex, toIndex);
    hideEditor();
    moveColumnData(fromIndex, toIndex);
    Q_EMIT columnMoved(fromIndex, toIndex);
    updateScrollRange();
    viewport()->update();
}

void GridBase::moveRow(int fromIndex, int toIndex)
{
    if (fromIndex == toIndex || fromIndex < 0 || toIndex < 0 || fromIndex >= rowCount()
        || toIndex >= rowCount())
        return;
    m_geometry.moveRow(fromIndex, toIndex);
    hideEditor();
    moveRowData(fromIndex, toIndex);
    updateScrollRange();
    viewport()->update();
}

void GridBase::deleteColumn(int col)
{
    if (col < 0 || col >= colCount() || colCount() <= 1)
        return;
    hideEditor();
    m_geometry.removeColumn(col);
    removeColumnData(col);
    setColCount(colCount() - 1);
    viewport()->update();
}

void GridBase::deleteRow(int row)
{
    if (row < 0 || row >= rowCount() || rowCount() <= 1)
        return;
    hideEditor();
    m_geometry.removeRow(row);
    removeRowData(row);
    setRowCount(rowCount() - 1);
    viewport()->update();
}

void GridBase::insertColSlot(int col)
{
    m_geometry.insertColumn(col);
}

void GridBase::insertRowSlot(int row)
{
    m_geometry.insertRow(row);
}

// ---- overridable steps ---------------------------------------------------------

bool GridBase::canSelectCell(int, int)
{
    return true;
}
bool GridBase::selectCell(int col, int row)
{
    return canSelectCell(col, row);
}
void GridBase::adjustToSize(int, int)
{ }
void GridBase::moveColumnData(int, int)
{ }
void GridBase::moveRowData(int, int)
{ }
void GridBase::removeColumnData(int)
{ }
void GridBase::removeRowData(int)
{ }
void GridBase::cellSizesChanged()
{ }
void GridBase::topLeftChanged()
{ }

void GridBase::click()
{ }
