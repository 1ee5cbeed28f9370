#include "app/StartNumberEdit.h"

#include "timing/StartNumbers.h"

#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QValidator>

#include <algorithm>

namespace {

constexpr int HintShownMs = 5000;

// Text that reaches the field other than by typing (paste, drop, input method)
// keeps only what typing could have entered.
class StartNumberValidator : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString &input, int &pos) const override
    {
        qsizetype cursor = pos;
        input = keepStartNumberCharacters(input, &cursor);
        pos = int(cursor);
        return Acceptable;
    }
};

// Keys that edit rather than type, even where the platform gives them a printable text.
bool isEditingShortcut(const QKeyEvent *event)
{
    for (QKeySequence::StandardKey key : {QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste,
                                          QKeySequence::SelectAll, QKeySequence::Undo, QKeySequence::Redo}) {
        if (event->matches(key))
            return true;
    }
    return false;
}

// A key that types text: printable characters only. Delete (text 0x7F on X11),
// Backspace, Ctrl with a letter (control characters on X11) and the cursor keys
// type nothing; the field treats them as editing commands.
bool typesText(const QKeyEvent *event)
{
    const QString text = event->text();
    return !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isPrint(); });
}

} // namespace

StartNumberEdit::StartNumberEdit(QWidget *parent)
    : QLineEdit(parent)
{
    setObjectName(QStringLiteral("startNumberEdit"));
    setValidator(new StartNumberValidator(this));
    setText(QStringLiteral("1,2,3,4,5"));
    // The expected form as a hint, never as placeholder text: an empty list must
    // look empty, so that the operator sees finishes now get no start number.
    setToolTip(QStringLiteral("18,345,2,44"));
    setAccessibleName(QStringLiteral("Startnummer:"));
}

QString StartNumberEdit::takeNextStartNumber()
{
    QString list = text();
    const QString number = ::takeNextStartNumber(list);
    setText(list);
    return number;
}

void StartNumberEdit::keyPressEvent(QKeyEvent *event)
{
    // Only typed characters are filtered: digits and "," pass, every other one
    // is discarded. Editing keys and shortcuts keep their meaning.
    const QString typed = event->text();
    const bool rejected = typesText(event) && !isEditingShortcut(event)
        && !std::all_of(typed.cbegin(), typed.cend(), isStartNumberCharacter);
    if (rejected) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void StartNumberEdit::mouseDoubleClickEvent(QMouseEvent *event)
{
    clear();
    // An edit by the operator, as typing is.
    Q_EMIT textEdited(text());
    event->accept();
}

void StartNumberEdit::focusInEvent(QFocusEvent *event)
{
    // Gaining the focus keeps the caret and does not select the list, so that
    // typing edits it instead of replacing it.
    const int cursor = cursorPosition();
    QLineEdit::focusInEvent(event);
    deselect();
    setCursorPosition(cursor);
}

void StartNumberEdit::showHint(const QString &text)
{
    if (!m_hint) {
        m_hint = new QLabel(this);
        m_hint->setObjectName(QStringLiteral("startNumberHintLabel"));
        m_hint->setAutoFillBackground(true);
        m_hint->setStyleSheet(QStringLiteral("background: #FFFF80; color: #800000; padding: 0 4px;"));
        m_hint->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_hintTimer = new QTimer(this);
        m_hintTimer->setSingleShot(true);
        connect(m_hintTimer, &QTimer::timeout, this, &StartNumberEdit::hideHint);
    }
    m_hint->setText(text);
    m_hint->adjustSize();
    placeHint();
    m_hint->show();
    m_hintTimer->start(HintShownMs);
}

void StartNumberEdit::hideHint()
{
    m_hint->hide();
    setTextMargins(0, 0, 0, 0);
}

void StartNumberEdit::placeHint()
{
    // Inside the frame at the right end; the list's text keeps clear of it.
    // The list keeps room for a few numbers before the note.
    const int width = std::min(m_hint->sizeHint().width(), this->width() - 80);
    const int height = this->height() - 6;
    m_hint->setGeometry(this->width() - width - 3, 3, width, height);
    setTextMargins(0, 0, width + 2, 0);
}

void StartNumberEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    if (m_hint && m_hint->isVisible())
        placeHint();
}
