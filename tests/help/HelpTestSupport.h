#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>

// What a message box showed.
struct SeenMessageBox
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Answers every modal message box that appears while it lives, with its OK
// button, and records what the box showed.
class MessageBoxWatcher : public QObject
{
public:
    MessageBoxWatcher()
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            m_seen.append({box->windowTitle(), box->text(), box->icon(), box->standardButtons()});
            if (QAbstractButton *ok = box->button(QMessageBox::Ok))
                ok->click();
            else
                box->reject();
        });
        m_timer.start();
    }

    const QList<SeenMessageBox> &seen() const { return m_seen; }

private:
    QTimer m_timer;
    QList<SeenMessageBox> m_seen;
};

// The visible top-level windows that show help pages.
inline QList<QWidget *> visibleHelpWindows()
{
    QList<QWidget *> windows;
    const auto topLevels = QApplication::topLevelWidgets();
    for (QWidget *widget : topLevels) {
        if (widget->isVisible() && widget->findChild<QTextBrowser *>())
            windows.append(widget);
    }
    return windows;
}

// The file name of the page a help window shows, empty when none.
inline QString shownPage(QWidget *helpWindow)
{
    auto *browser = helpWindow ? helpWindow->findChild<QTextBrowser *>() : nullptr;
    return browser ? browser->source().fileName() : QString();
}
