#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The one confirmation dialog: a question icon, the question in `Label1`
// and the buttons "Ja" (result 6) and "Nein" (result 2; also Esc and closing
// the window). Created once and reused; captions and the active button set by
// one caller stay until another caller changes them.
class ConfirmDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int mrYes = 6;
    static constexpr int mrNo = 2;
    static const QString YesCaption;
    static const QString NoCaption;

    explicit ConfirmDialog(QWidget *parent = nullptr);

    void setButtonCaptions(const QString &yes, const QString &no);

    // The button that has the focus when the dialog is shown.
    QWidget *activeControl() const;
    void setActiveControl(QWidget *control);

    // Shows the dialog modally; 6 for yes, 2 otherwise.
    int showModal() { return exec(); }

    // The question mark in a speech bubble, 32 x 32 on a transparent ground.
    static QPixmap questionIcon();

    QLabel *questionLabel;
    QLabel *iconLabel;
    QPushButton *yesButton;
    QPushButton *noButton;

public Q_SLOTS:
    void reject() override;
};
