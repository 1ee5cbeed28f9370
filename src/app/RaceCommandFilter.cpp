#include "app/RaceCommandFilter.h"

#include "platform/ForeignWindowKeys.h"
#include "timing/RaceClock.h"
#include "widgets/CommandButton.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

// The window a popup (or a popup of a popup) was opened from.
const QWidget *ownerOf(const QWidget *popup)
{
    while (popup && popup->windowType() == Qt::Popup)
        popup = popup->parentWidget() ? popup->parentWidget()->window() : nullptr;
    return popup;
}

void closePopups()
{
    while (QWidget *popup = QApplication::activePopupWidget()) {
        popup->close();
        if (QApplication::activePopupWidget() == popup) // a popup that does not want to go
            popup->hide();
    }
}

} // namespace

RaceCommandFilter::RaceCommandFilter(QWidget *window, const RaceClock &clock, const QList<QAction *> &actions,
                                     const QList<CommandButton *> &buttons)
    : QObject(window)
    , m_window(window)
    , m_clock(clock)
    , m_actions(actions)
    , m_buttons(buttons)
{
    connect(&clock, &RaceClock::commandStatesChanged, this,
            [this] { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, m_clock.running()); });
    qApp->installEventFilter(this);
    // The system's help viewer and print dialog (Windows) are no Qt windows.
    ForeignWindowKeys::watch([this](Qt::Key key, bool repeat) {
        QAction *action = actionFor(QKeySequence(key));
        if (!action || !action->isEnabled() || !m_clock.running())
            return false;
        if (!repeat)
            action->trigger();
        return true;
    });
}

RaceCommandFilter::~RaceCommandFilter()
{
    ForeignWindowKeys::watch({});
}

bool RaceCommandFilter::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
        return passKey(watched, static_cast<QKeyEvent *>(event));
    case QEvent::KeyRelease:
        noteRelease(static_cast<QKeyEvent *>(event));
        return false;
    case QEvent::MouseButtonPress:
        return passPress(static_cast<QMouseEvent *>(event));
    default:
        return false;
    }
}

QAction *RaceCommandFilter::actionFor(const QKeySequence &key) const
{
    for (QAction *action : m_actions)
        if (action->shortcuts().contains(key))
            return action;
    return nullptr;
}

void RaceCommandFilter::noteRelease(const QKeyEvent *event)
{
    if (actionFor(QKeySequence(event->keyCombination())))
        m_releasedAt[event->key()] = event->timestamp();
}

bool RaceCommandFilter::isRepeat(const QKeyEvent *event) const
{
    // X11 repeats a held key as a release and a press at the same server time, and Qt
    // marks them as repeats only when both have arrived by the time it looks: a busy
    // moment turns a repeat into a fresh press. Nobody presses a key again within
    // milliseconds of letting it go. (A time of 0 is an event without one.)
    if (event->isAutoRepeat())
        return true;
    const quint64 released = m_releasedAt.value(event->key());
    return released != 0 && event->timestamp() >= released && event->timestamp() - released <= RepeatGapMs;
}

bool RaceCommandFilter::passKey(QObject *watched, QKeyEvent *event) const
{
    // Each key reaches the window object first, then the widget it is meant for; only
    // the widget's copy counts.
    const auto *target = qobject_cast<QWidget *>(watched);
    QAction *action = target ? actionFor(QKeySequence(event->keyCombination())) : nullptr;
    if (!action || !action->isEnabled())
        return false;
    // In the main window the actions' shortcuts run the commands; a repeat never reaches them.
    const bool repeat = isRepeat(event);
    if (target->window() != m_window) {
        if (!m_clock.running()
            && (QApplication::activeModalWidget() || ownerOf(target->window()) != m_window))
            return false;
        if (event->type() == QEvent::KeyPress && !repeat)
            action->trigger();
    } else if (!repeat) {
        return false;
    }
    // Taken: no shortcut of the window in front and no widget there sees the key.
    event->accept();
    return true;
}

bool RaceCommandFilter::passPress(const QMouseEvent *event) const
{
    if (!QApplication::activePopupWidget() || QApplication::activeModalWidget())
        return false;
    CommandButton *button = enabledButtonAt(event->globalPosition().toPoint());
    if (!button)
        return false;
    closePopups();
    QMouseEvent press(QEvent::MouseButtonPress, button->mapFromGlobal(event->globalPosition()),
                      m_window->mapFromGlobal(event->globalPosition()), event->globalPosition(),
                      event->button(), event->buttons(), event->modifiers(), event->pointingDevice());
    QCoreApplication::sendEvent(button, &press);
    return true;
}

CommandButton *RaceCommandFilter::enabledButtonAt(const QPoint &global) const
{
    const QWidget *under = QApplication::widgetAt(global);
    for (CommandButton *button : m_buttons)
        if (under == button && button->isEnabled())
            return button;
    return nullptr;
}
