#include "StartNumberEdit.h"

#include "StartNumbers.h"

#include <QKeyEvent>

TStartNumberEdit::TStartNumberEdit(QWidget *parent)
    : QLineEdit(parent)
{
    setObjectName(QStringLiteral("EditPred"));
    setText(QStringLiteral("1,2,3,4,5"));
    setToolTip(QStringLiteral("18,345,2,44"));
    setPlaceholderText(QStringLiteral("18,345,2,44"));
    setAccessibleName(QStringLiteral("Startnummer:"));
}

QString TStartNumberEdit::TakeNextStartNumber()
{
    QString list = text();
    const QString number = ::TakeNextStartNumber(list);
    setText(list);
    return number;
}

void TStartNumberEdit::keyPressEvent(QKeyEvent *event)
{
    // Ctrl with a letter types a control character on the system this field
    // follows (paste, cut, select all included), and those are discarded like
    // every other character but digits, "," and Backspace. Keys that type
    // nothing (arrows, Delete, Home) keep their editing meaning.
    const bool control = event->modifiers().testFlag(Qt::ControlModifier);
    const bool controlLetter = control && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z;
    const QString typed = event->text();
    const bool rejectedCharacter =
        !control && !typed.isEmpty() && (typed.size() != 1 || !IsStartNumberCharacter(typed[0]));
    if (controlLetter || rejectedCharacter) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TStartNumberEdit::mouseDoubleClickEvent(QMouseEvent *event)
{
    clear();
    event->accept();
}

void TStartNumberEdit::focusInEvent(QFocusEvent *event)
{
    // Gaining the focus keeps the caret and does not select the list, so that
    // typing edits it instead of replacing it.
    const int cursor = cursorPosition();
    QLineEdit::focusInEvent(event);
    deselect();
    setCursorPosition(cursor);
}
