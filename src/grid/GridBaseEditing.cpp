#include "grid/GridBase.h"

// ---- edit text and the in-place editor -------------------------------------------

QString GridBase::getEditText(int, int)
{
    return QString();
}
void GridBase::setEditText(int, int, const QString &)
{ }

bool GridBase::canEditShow() const
{
    return (m_options & GridOption::Editing) && !(m_options & GridOption::RowSelect)
        && m_current.x >= fixedCols() && m_current.y >= fixedRows() && !m_nowUpdating;
}

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

void GridBase::reportEdit()
{
    if (m_editCell.x < 0)
        return;
    const QString text = getEditText(m_editCell.x, m_editCell.y);
    if (text != m_editStartText)
        Q_EMIT cellEdited(m_editCell.x, m_editCell.y, m_editStartText, text);
}

void GridBase::loadEditor()
{
    // The editor leaves one cell for another: that edit has ended.
    reportEdit();
    m_editCell = m_current;
    m_editStartText = getEditText(m_current.x, m_current.y);
    m_editor->setText(m_editStartText);
    m_editor->selectAll();
    editStarted();
}

void GridBase::editStarted()
{ }

void GridBase::editEnding()
{ }

void GridBase::editCancelled()
{ }

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
    reportEdit();
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
            reportEdit();
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
