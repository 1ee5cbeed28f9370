#include "grid/SortGrid.h"

#include <QKeyEvent>
#include <QListWidget>

#include <algorithm>

namespace {

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

} // namespace

// ---- edit text ------------------------------------------------------------------------

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
    const QString oldText = cells(cell.x, cell.y);
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
    if (item && text != oldText)
        Q_EMIT cellEdited(cell.x, cell.y, oldText, text);
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
