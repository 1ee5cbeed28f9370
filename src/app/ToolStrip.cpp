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
    setObjectName(QStringLiteral("Panel1"));
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
    makeButton("bHelp", QStringLiteral("Hilfe (F1)"), QStyle::SP_MessageBoxQuestion, 4,
               &ToolStrip::helpRequested);
    m_settingsButton = makeButton("bCFG", QStringLiteral("Einstellungen (F2)"),
                                  QStyle::SP_FileDialogDetailedView, 38, &ToolStrip::settingsRequested);
    makeButton("bInfo", QStringLiteral("Info (F3)"), QStyle::SP_MessageBoxInformation, 72,
               &ToolStrip::infoRequested);
    createLogo();
}

void ToolStrip::createLogo()
{
    // The maker's name in three coloured pieces.
    QFont logoFont(QStringLiteral("Arial"));
    logoFont.setPixelSize(20);
    logoFont.setBold(true);
    const std::array<std::pair<const char *, const char *>, 3> pieces
        = {{{"Kor", "#c00000"}, {"va", "#008000"}, {"no", "#000080"}}};
    int left = 120;
    for (size_t i = 0; i < pieces.size(); ++i) {
        auto *label = new QLabel(QLatin1String(pieces[i].first), this);
        label->setObjectName(QStringLiteral("ImageDE%1").arg(i + 1));
        label->setFont(logoFont);
        label->setStyleSheet(QStringLiteral("color: %1").arg(QLatin1String(pieces[i].second)));
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
