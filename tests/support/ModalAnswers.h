#pragma once

// Answering the modal dialogs a test's own call opens: the dialog's event loop holds that
// call, so a timer looks for the dialog and answers it from inside the loop.
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <functional>

namespace ModalAnswers {

// Looks every 5 ms for a visible active modal dialog of type Dialog that is `ready`, and
// runs `answer` on it: once, or on each one found while `owner` lives.
template<typename Dialog>
void lookFor(QObject *owner, std::function<void(Dialog &)> answer, std::function<bool(Dialog &)> ready,
             bool once)
{
    auto *timer = new QTimer(owner);
    QObject::connect(timer, &QTimer::timeout, owner,
                     [timer, once, answer = std::move(answer), ready = std::move(ready)] {
                         auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
                         if (!dialog || !dialog->isVisible() || (ready && !ready(*dialog)))
                             return;
                         // Stopped first: the answer may open the next dialog's loop.
                         if (once) {
                             timer->stop();
                             timer->deleteLater();
                         }
                         answer(*dialog);
                     });
    timer->start(5);
}

} // namespace ModalAnswers

// Runs `answer` on the next modal dialog of type Dialog, once it is `ready` when a
// condition is given. The looking ends with `owner`, answered or not.
template<typename Dialog>
void answerNextModal(QObject *owner, std::function<void(Dialog &)> answer,
                     std::function<bool(Dialog &)> ready = nullptr)
{
    ModalAnswers::lookFor<Dialog>(owner, std::move(answer), std::move(ready), true);
}

// Runs `answer` on every modal dialog of type Dialog that comes while `owner` lives.
template<typename Dialog>
void answerEveryModal(QObject *owner, std::function<void(Dialog &)> answer)
{
    ModalAnswers::lookFor<Dialog>(owner, std::move(answer), nullptr, false);
}

// What a message box showed.
struct SeenMessageBox
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Answers every message box that comes while it lives with its OK button (a box without
// one is cancelled), and records what each showed.
class MessageBoxWatcher : public QObject
{
public:
    MessageBoxWatcher()
    {
        answerEveryModal<QMessageBox>(this, [this](QMessageBox &box) {
            m_seen.append({box.windowTitle(), box.text(), box.icon(), box.standardButtons()});
            if (QAbstractButton *ok = box.button(QMessageBox::Ok))
                ok->click();
            else
                box.reject();
        });
    }

    const QList<SeenMessageBox> &seen() const { return m_seen; }

    QStringList texts() const
    {
        QStringList texts;
        for (const SeenMessageBox &box : m_seen)
            texts << box.text;
        return texts;
    }

private:
    QList<SeenMessageBox> m_seen;
};

// Runs `action` once `dialog`, about to be executed, is on screen; a dialog the action
// left open is rejected, so that a failing action cannot hang the test.
inline void whileShown(QDialog *dialog, std::function<void()> action)
{
    QTimer::singleShot(0, dialog, [dialog, action = std::move(action)] {
        if (QTest::qWaitForWindowExposed(dialog))
            action();
        if (dialog->isVisible())
            dialog->reject();
    });
}
