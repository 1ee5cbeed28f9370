#include "grid/InplaceEditor.h"

#include "grid/GridBase.h"

#include <QApplication>
#include <QKeyEvent>

InplaceEditor::InplaceEditor(GridBase *grid)
    : QLineEdit(grid->viewport())
    , m_grid(grid)
{
    setFrame(false);
    hide();
}

void InplaceEditor::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        m_grid->endEditing(true);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        // The grid decides what these keys do; it sees them as its own.
        m_grid->keyPressEvent(event);
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}
