#include "DlgYesNo.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

const QString TFDlgYesNo::YesCaption = QStringLiteral("Ja");
const QString TFDlgYesNo::NoCaption = QStringLiteral("Nein");

TFDlgYesNo::TFDlgYesNo(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("FDlgYesNo"));
    setWindowTitle(QGuiApplication::applicationDisplayName());
    setFixedSize(222, 94); // client area; the dialog border cannot be dragged
    setModal(true);

    Label1 = new QLabel(QStringLiteral("?"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(40, 6, 169, 49);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);

    Icon = new QLabel(this);
    Icon->setObjectName(QStringLiteral("Icon"));
    Icon->setGeometry(4, 14, 32, 32);
    Icon->setPixmap(QuestionIcon());
    Icon->setAttribute(Qt::WA_TranslucentBackground);
    Icon->setAccessibleName(QStringLiteral("?"));

    OKBtn = new QPushButton(YesCaption, this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(39, 60, 75, 25);
    CancelBtn = new QPushButton(NoCaption, this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(135, 60, 75, 25);
    setTabOrder(OKBtn, CancelBtn);

    connect(OKBtn, &QPushButton::clicked, this, [this] { done(mrYes); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { done(mrNo); });
    OKBtn->setFocus();
}

void TFDlgYesNo::SetButtonCaptions(const QString &yes, const QString &no)
{
    OKBtn->setText(yes);
    CancelBtn->setText(no);
}

QWidget *TFDlgYesNo::ActiveControl() const
{
    return focusWidget();
}

void TFDlgYesNo::setActiveControl(QWidget *control)
{
    if (control && isAncestorOf(control))
        control->setFocus(Qt::OtherFocusReason);
}

void TFDlgYesNo::reject()
{
    // Esc and closing the window answer like "Nein".
    done(mrNo);
}

QPixmap TFDlgYesNo::QuestionIcon()
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
