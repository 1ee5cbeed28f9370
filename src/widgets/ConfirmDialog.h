#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The one confirmation dialog: a question icon, the question
// and the buttons "Ja" and "Nein" (also Esc and closing the window). Created once and reused; captions and
// the active button set by one caller stay until another caller changes them.
class ConfirmDialog : public QDialog
{
    Q_OBJECT

public:
    enum class Answer { Yes, No };
    static const QString YesCaption;
    static const QString NoCaption;

    explicit ConfirmDialog(QWidget *parent = nullptr);

    void setButtonCaptions(const QString &yes, const QString &no);

    // The button that has the focus when the dialog is shown.
    QWidget *activeControl() const;
    void setActiveControl(QWidget *control);

    // Shows `question` modally with the captions and the focused button it has now;
    // true for yes.
    bool ask(const QString &question);
    // Asks with the given captions and the "no" button focused; the captions are put
    // back afterwards, the focus stays on "no" for later questions.
    bool ask(const QString &question, const QString &yesText, const QString &noText);

    // The question mark in a speech bubble, 32 x 32 on a transparent ground.
    static QPixmap questionIcon();

    QLabel *questionLabel;
    QLabel *iconLabel;
    QPushButton *yesButton;
    QPushButton *noButton;

public Q_SLOTS:
    void reject() override;

private:
    // Closes the dialog with the answer as its result code.
    void answer(Answer answer);
};
