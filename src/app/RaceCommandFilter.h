#pragma once

#include <QHash>
#include <QList>
#include <QObject>

class CommandButton;
class QAction;
class QKeyEvent;
class QKeySequence;
class QMouseEvent;
class QWidget;
class RaceClock;

// Lets the race commands through whatever stands in front of the main window. It
// watches the whole application:
// - While the clock runs, the keys of the commands (F5, F4, F9) act in every window of
//   the program: dialogs, questions, message boxes, the help window (on Windows also the
//   system's help viewer and print dialog). In a popup of the main window (the LKZ list,
//   a context menu) they act as in the window itself. The file dialogs are then the
//   program's own, not the desktop's, so that the keys reach them too.
// - A press on one of the command buttons while a popup is open closes the popup and
//   presses the button; otherwise the press would only close the popup.
// A key held down is one press: its repeats do nothing, in the main window as well.
class RaceCommandFilter : public QObject
{
public:
    // `actions` carry the keys, `buttons` are pressed through popups; all belong to `window`.
    RaceCommandFilter(QWidget *window, const RaceClock &clock, const QList<QAction *> &actions,
                      const QList<CommandButton *> &buttons);
    ~RaceCommandFilter() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static constexpr quint64 RepeatGapMs = 10;

    QAction *actionFor(const QKeySequence &key) const;
    void noteRelease(const QKeyEvent *event);
    bool isRepeat(const QKeyEvent *event) const;
    bool passKey(QObject *watched, QKeyEvent *event) const;
    bool passPress(const QMouseEvent *event) const;
    CommandButton *enabledButtonAt(const QPoint &global) const;

    QWidget *m_window;
    const RaceClock &m_clock;
    QList<QAction *> m_actions;
    QList<CommandButton *> m_buttons;
    QHash<int, quint64> m_releasedAt; // when each command key was last let go
};
