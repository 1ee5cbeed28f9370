#include "grid/SortCompare.h"
#include "grid/SortGrid.h"

#include <QDrag>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace {

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

constexpr int TitleResizeZone = 5;
constexpr int AutoSizeZone = 3;
constexpr int DragDistance = 10;

} // namespace

// ---- title row -------------------------------------------------------------------------

void SortGrid::titleClick(int col, int x, Qt::MouseButton button)
{
    const QRect rect = cellRect(col, 0);
    if (rect.isEmpty() || x - rect.left() < TitleResizeZone
        || rect.left() + rect.width() - x <= TitleResizeZone)
        return;
    SortOptions *o = m_sortOptions.get();
    if (button == Qt::RightButton)
        o->setSortDirection(SortDirection::Descending);
    else if (o->sortDirection() == SortDirection::Descending)
        o->setSortDirection(SortDirection::Ascending);
    else
        o->setSortDirection(col == o->sortCol() ? SortDirection::Descending : SortDirection::Ascending);
    sortByColumn(col);
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
    const Qt::KeyboardModifiers mods
        = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
        m_tabDown = true;
    if (!editorShowing()) {
        if (m_multiSelect) {
            m_selectFollowsCursor = false;
            if (key == Qt::Key_Shift) {
                setOptions(options() | GridOption::RangeSelect);
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
    if (!editorShowing() && text.size() == 1 && text.at(0).isPrint()
        && !(mods & (Qt::ControlModifier | Qt::AltModifier)) && text.at(0) != QLatin1Char(' ')) {
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
                setOptions(options() & ~GridOptions(GridOption::RangeSelect));
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
    const Qt::KeyboardModifiers mods
        = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (m_multiSelect && !editorShowing() && event->button() == Qt::LeftButton && mods == Qt::NoModifier
        && cell.y >= 1 && !isRowSelected(cell.y)) {
        setOptions(options() & ~GridOptions(GridOption::RangeSelect));
        setSelection(GridRect{currentCol(), cell.y, currentCol(), cell.y});
        clearSelection();
        m_anchorRows[0] = QString::number(cell.y);
        m_selectedRows << QString::number(cell.y);
        Q_EMIT rowSelected();
    }
    if (cell.y >= 1 && isRowSelected(cell.y))
        m_dragPoint = p;
    const bool baseHandles = !m_multiSelect
        || ((options() & GridOption::RangeSelect) && event->buttons() == Qt::LeftButton
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
        && (std::abs(p.x() - m_dragPoint.x()) > DragDistance
            || std::abs(p.y() - m_dragPoint.y()) > DragDistance)) {
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
    if (event->button() == Qt::RightButton && cell.y > 0 && m_popupMenu) {
        m_popupRow = cell.y;
        m_popupMenu->popup(viewport()->mapToGlobal(p));
    }
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
    if (event->button() == Qt::LeftButton && cell.y >= 1 && m_pressCell.y >= 1 && m_multiSelect
        && !editorShowing()) {
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
            setOptions(options() & ~GridOptions(GridOption::RangeSelect));
        } else if (mods & Qt::ShiftModifier) {
            selectRangeRows();
        } else {
            setOptions(options() & ~GridOptions(GridOption::RangeSelect));
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
            while (previous >= 0 && columnWidth(previous) < 0)
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
