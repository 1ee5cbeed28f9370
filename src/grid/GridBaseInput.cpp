#include "grid/GridBase.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

// ---- keyboard ------------------------------------------------------------------

int GridBase::nextVisibleCol(int col, int step) const
{
    int c = col + step;
    while (c >= fixedCols() && c < colCount() && columnWidth(c) < 0)
        c += step;
    if (c < fixedCols() || c >= colCount())
        return col;
    return c;
}

bool GridBase::keyMove(int col, int row, Qt::KeyboardModifiers modifiers)
{
    col = std::clamp(col, std::min(fixedCols(), colCount() - 1), colCount() - 1);
    row = std::clamp(row, std::min(fixedRows(), rowCount() - 1), rowCount() - 1);
    const bool extend = (modifiers & Qt::ShiftModifier) && (m_options & GridOption::RangeSelect);
    if (col == m_current.x && row == m_current.y && !extend)
        return true;
    const bool moved = moveCurrent(col, row, !extend, true);
    click();
    return moved;
}

void GridBase::keyMoveToEdge(int row, int step, Qt::KeyboardModifiers modifiers)
{
    for (int c = step > 0 ? fixedCols() : colCount() - 1; c >= fixedCols() && c < colCount(); c += step) {
        if (columnWidth(c) >= 0 && keyMove(c, row, modifiers))
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
        if (m_options & GridOption::RowSelect)
            setLeftCol(leftCol() - 1);
        else
            keyMove(nextVisibleCol(col, -1), row, mods);
        break;
    case Qt::Key_Right:
        if (m_options & GridOption::RowSelect)
            setLeftCol(leftCol() + 1);
        else
            keyMove(nextVisibleCol(col, 1), row, mods);
        break;
    case Qt::Key_Home:
        keyMoveToEdge(ctrl ? fixedRows() : row, 1, mods);
        break;
    case Qt::Key_End:
        keyMoveToEdge(ctrl ? rowCount() - 1 : row, -1, mods);
        break;
    case Qt::Key_PageUp:
        setTopRow(topRow() - page);
        keyMove(col, row - page, mods);
        break;
    case Qt::Key_PageDown:
        setTopRow(std::min(topRow() + page, geometryInView().maxTopRow()));
        keyMove(col, row + page, mods);
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (m_options & GridOption::Tabs) {
            const bool back = event->key() == Qt::Key_Backtab || (mods & Qt::ShiftModifier);
            int c = back ? nextVisibleCol(col, -1) : nextVisibleCol(col, 1);
            int r = row;
            if (c == col) {
                // Wrap to the other end of the next or previous row.
                if (back && row > fixedRows()) {
                    r = row - 1;
                    c = nextVisibleCol(colCount(), -1);
                } else if (!back && row < rowCount() - 1) {
                    r = row + 1;
                    c = nextVisibleCol(fixedCols() - 1, 1);
                }
            }
            keyMove(c, r, Qt::NoModifier);
        } else {
            QAbstractScrollArea::keyPressEvent(event);
        }
        break;
    case Qt::Key_F2:
        if (m_options & GridOption::Editing)
            showEditor();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_options & GridOption::Editing) {
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
        if ((m_options & GridOption::Editing) && !m_editorMode && text.size() == 1 && text.at(0).isPrint()
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
    if (p.y() < m_geometry.fixedRowsHeight() && (m_options & GridOption::ColSizing)) {
        const int border = colBorderAt(p.x());
        if (border >= 0) {
            m_gridState = GridState::ColSizing;
            m_sizingCol = border;
            m_sizingStartX = p.x();
            m_sizingStartWidth = columnWidth(border);
            return;
        }
    }
    const GridCoord cell = mouseCoord(p.x(), p.y());
    if (cell.x < 0)
        return;
    if (cell.y < fixedRows()) {
        if ((m_options & GridOption::ColMoving) && cell.x >= fixedCols()) {
            m_gridState = GridState::ColMoving;
            m_moveFrom = cell.x;
        }
        return;
    }
    if (cell.x < fixedCols())
        return;
    const bool wasCurrent = cell.x == m_current.x && cell.y == m_current.y;
    if ((event->modifiers() & Qt::ShiftModifier) && (m_options & GridOption::RangeSelect)) {
        moveCurrent(cell.x, cell.y, false, true);
        click();
    } else {
        focusCell(cell.x, cell.y, true);
        if (wasCurrent && (m_options & GridOption::Editing) && !m_editorMode)
            showEditor();
    }
    if (m_options & GridOption::RangeSelect)
        m_gridState = GridState::Selecting;
}

void GridBase::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    switch (m_gridState) {
    case GridState::ColSizing:
        setColumnWidth(m_sizingCol, std::max(1, m_sizingStartWidth + p.x() - m_sizingStartX));
        return;
    case GridState::Selecting: {
        const GridCoord cell = mouseCoord(p.x(), p.y());
        if (cell.x >= fixedCols() && cell.y >= fixedRows()
            && (cell.x != m_current.x || cell.y != m_current.y))
            moveCurrent(cell.x, cell.y, false, true);
        return;
    }
    default:
        break;
    }
    // Hovering over a title border shows where a column can be sized.
    const bool overBorder = (m_options & GridOption::ColSizing) && p.y() < m_geometry.fixedRowsHeight()
        && colBorderAt(p.x()) >= 0;
    if (!m_nowUpdating)
        viewport()->setCursor(overBorder ? Qt::SplitHCursor : Qt::ArrowCursor);
}

void GridBase::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    const GridState state = m_gridState;
    m_gridState = GridState::Normal;
    if (state == GridState::ColMoving) {
        const GridCoord cell = mouseCoord(p.x(), p.y());
        if (cell.x >= fixedCols() && cell.x != m_moveFrom)
            moveColumn(m_moveFrom, cell.x);
        m_moveFrom = -1;
    }
}

void GridBase::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    const GridCoord cell = mouseCoord(p.x(), p.y());
    if (event->button() == Qt::LeftButton && cell.x >= fixedCols() && cell.y >= fixedRows()
        && cell.x == m_current.x && cell.y == m_current.y && (m_options & GridOption::Editing)
        && !m_editorMode)
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
    geometryInView().clampTopLeft();
    updateScrollRange();
    updateEditor();
}

bool GridBase::focusNextPrevChild(bool next)
{
    // With GridOption::Tabs the Tab key moves between cells instead of leaving the grid.
    if (m_options & GridOption::Tabs)
        return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}
