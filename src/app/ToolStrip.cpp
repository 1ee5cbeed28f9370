#include "app/ToolStrip.h"

#include "platform/MakerInfo.h"
#include "widgets/FlatToolButton.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QStyle>

#include <array>

ToolStrip::ToolStrip(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("toolStrip"));
    auto makeButton = [this](const char *name, const QString &hint, QStyle::StandardPixmap glyph, int left,
                             void (ToolStrip::*request)()) {
        auto *button = new FlatToolButton(this);
        button->setObjectName(QLatin1String(name));
        button->setHint(hint);
        button->setAccessibleName(hint);
        button->setGlyph(QApplication::style()->standardIcon(glyph).pixmap(24, 24));
        button->setCursor(Qt::PointingHandCursor);
        button->setGeometry(left, 2, 31, 31);
        connect(button, &FlatToolButton::clicked, this, request);
        return button;
    };
    makeButton("helpButton", QStringLiteral("Hilfe (F1)"), QStyle::SP_MessageBoxQuestion, 4,
               &ToolStrip::helpRequested);
    m_settingsButton = makeButton("settingsButton", QStringLiteral("Einstellungen (F2)"),
                                  QStyle::SP_FileDialogDetailedView, 38, &ToolStrip::settingsRequested);
    makeButton("infoButton", QStringLiteral("Info (F3)"), QStyle::SP_MessageBoxInformation, 72,
               &ToolStrip::infoRequested);
    createLogo();
}

void ToolStrip::createLogo()
{
    // The maker's name in three coloured pieces.
    QFont logoFont(QStringLiteral("Arial"));
    logoFont.setPixelSize(20);
    logoFont.setBold(true);
    struct LogoPiece
    {
        const char *text;
        const char *colour;
        const char *objectName;
    };
    const std::array<LogoPiece, 3> pieces = {{{"Kor", "#c00000", "logoStartLabel"},
                                              {"va", "#008000", "logoMiddleLabel"},
                                              {"no", "#000080", "logoEndLabel"}}};
    int left = 120;
    for (const LogoPiece &piece : pieces) {
        auto *label = new QLabel(QLatin1String(piece.text), this);
        label->setObjectName(QLatin1String(piece.objectName));
        label->setFont(logoFont);
        label->setStyleSheet(QStringLiteral("color: %1").arg(QLatin1String(piece.colour)));
        label->setCursor(Qt::PointingHandCursor);
        label->setToolTip(MakerInfo::webAddress());
        label->setAccessibleName(MakerInfo::name());
        label->adjustSize();
        label->move(left, (StripHeight - label->height()) / 2);
        left += label->width();
        label->installEventFilter(this);
    }
}

bool ToolStrip::eventFilter(QObject *watched, QEvent *event)
{
    const bool press
        = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    if (press && watched->parent() == this && qobject_cast<QLabel *>(watched)) {
        Q_EMIT makerSiteRequested();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
