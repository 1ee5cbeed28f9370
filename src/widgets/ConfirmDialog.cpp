#include "widgets/ConfirmDialog.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

const QString ConfirmDialog::YesCaption = QStringLiteral("Ja");
const QString ConfirmDialog::NoCaption = QStringLiteral("Nein");

ConfirmDialog::ConfirmDialog(QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                  | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("confirmDialog"));
    setWindowTitle(QGuiApplication::applicationDisplayName());
    setFixedSize(222, 94); // client area; the dialog border cannot be dragged
    setModal(true);

    questionLabel = new QLabel(QStringLiteral("?"), this);
    questionLabel->setObjectName(QStringLiteral("questionLabel"));
    questionLabel->setGeometry(40, 6, 169, 49);
    questionLabel->setAlignment(Qt::AlignCenter);
    questionLabel->setWordWrap(true);

    iconLabel = new QLabel(this);
    iconLabel->setObjectName(QStringLiteral("iconLabel"));
    iconLabel->setGeometry(4, 14, 32, 32);
    iconLabel->setPixmap(questionIcon());
    iconLabel->setAttribute(Qt::WA_TranslucentBackground);
    iconLabel->setAccessibleName(QStringLiteral("?"));

    yesButton = new QPushButton(YesCaption, this);
    yesButton->setObjectName(QStringLiteral("yesButton"));
    yesButton->setGeometry(39, 60, 75, 25);
    noButton = new QPushButton(NoCaption, this);
    noButton->setObjectName(QStringLiteral("noButton"));
    noButton->setGeometry(135, 60, 75, 25);
    setTabOrder(yesButton, noButton);

    connect(yesButton, &QPushButton::clicked, this, [this] { answer(Answer::Yes); });
    connect(noButton, &QPushButton::clicked, this, [this] { answer(Answer::No); });
    yesButton->setFocus();
}

void ConfirmDialog::setButtonCaptions(const QString &yes, const QString &no)
{
    yesButton->setText(yes);
    noButton->setText(no);
}

QWidget *ConfirmDialog::activeControl() const
{
    return focusWidget();
}

void ConfirmDialog::setActiveControl(QWidget *control)
{
    if (control && isAncestorOf(control))
        control->setFocus(Qt::OtherFocusReason);
}

bool ConfirmDialog::ask(const QString &question)
{
    questionLabel->setText(question);
    return exec() == QDialog::Accepted;
}

bool ConfirmDialog::ask(const QString &question, const QString &yesText, const QString &noText)
{
    setButtonCaptions(yesText, noText);
    setActiveControl(noButton);
    const bool yes = ask(question);
    setButtonCaptions(YesCaption, NoCaption);
    return yes;
}

void ConfirmDialog::reject()
{
    // Esc and closing the window answer like "Nein".
    answer(Answer::No);
}

void ConfirmDialog::answer(Answer answer)
{
    done(answer == Answer::Yes ? QDialog::Accepted : QDialog::Rejected);
}

QPixmap ConfirmDialog::questionIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    QPainterPath bubble;
    bubble.addEllipse(QRectF(1.5, 1.5, 29, 23));
    QPainterPath tail;
    tail.moveTo(8, 20);
    tail.lineTo(5, 30.5);
    tail.lineTo(15, 23);
    tail.closeSubpath();
    bubble = bubble.united(tail);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawPath(bubble);

    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(19);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(0, 0, 0xC0));
    painter.drawText(QRectF(1.5, 1.5, 29, 23), Qt::AlignCenter, QStringLiteral("?"));
    return pixmap;
}
