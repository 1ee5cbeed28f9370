#include "SpeedButton.h"

#include "ColorValue.h"

#include <QEnterEvent>
#include <QIcon>
#include <QPainter>

TLbSpeedButton::TLbSpeedButton(QWidget *parent)
    : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (OnClick)
            OnClick(this);
    });
}

void TLbSpeedButton::setGlyph(const QPixmap &value)
{
    m_glyph = value;
    updateGeometry();
    update();
}

void TLbSpeedButton::setHint(const QString &value)
{
    setToolTip(value);
    setAccessibleName(value);
}

void TLbSpeedButton::setHighlighted(bool value)
{
    if (value == m_highlighted)
        return;
    m_highlighted = value;
    update();
}

QSize TLbSpeedButton::sizeHint() const
{
    const QSize glyph = m_glyph.isNull() ? QSize(16, 16) : m_glyph.size();
    return glyph + QSize(6, 6);
}

void TLbSpeedButton::enterEvent(QEnterEvent *event)
{
    setHighlighted(isEnabled());
    QAbstractButton::enterEvent(event);
}

void TLbSpeedButton::leaveEvent(QEvent *event)
{
    setHighlighted(false);
    QAbstractButton::leaveEvent(event);
}

void TLbSpeedButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange) {
        setHighlighted(isEnabled() && underMouse());
        update();
    }
    QAbstractButton::changeEvent(event);
}

void TLbSpeedButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect r = rect();
    const bool pressed = isDown();
    if (pressed || m_highlighted) {
        // Pressed: shadow on top and left; highlighted: light on top and left.
        const QColor topLeft = ToQColor(pressed ? Colors::clBtnShadow : Colors::clBtnHighlight);
        const QColor bottomRight = ToQColor(pressed ? Colors::clBtnHighlight : Colors::clBtnShadow);
        painter.setPen(QPen(topLeft, 0));
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(QPen(bottomRight, 0));
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    }
    if (m_glyph.isNull())
        return;
    QPixmap glyph = m_glyph;
    if (!isEnabled())
        glyph = QIcon(m_glyph).pixmap(m_glyph.size(), QIcon::Disabled);
    QPoint at((width() - glyph.width()) / 2, (height() - glyph.height()) / 2);
    if (pressed)
        at += QPoint(1, 1);
    painter.drawPixmap(at, glyph);
}
