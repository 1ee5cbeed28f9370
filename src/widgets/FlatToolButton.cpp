#include "widgets/FlatToolButton.h"

#include "platform/ColorValue.h"

#include <QEnterEvent>
#include <QIcon>
#include <QPainter>

FlatToolButton::FlatToolButton(QWidget *parent)
    : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void FlatToolButton::setGlyph(const QPixmap &value)
{
    m_glyph = value;
    updateGeometry();
    update();
}

void FlatToolButton::setHint(const QString &value)
{
    setToolTip(value);
    setAccessibleName(value);
}

void FlatToolButton::setHighlighted(bool value)
{
    if (value == m_highlighted)
        return;
    m_highlighted = value;
    update();
}

QSize FlatToolButton::sizeHint() const
{
    const QSize glyph = m_glyph.isNull() ? QSize(16, 16) : m_glyph.size();
    return glyph + QSize(6, 6);
}

void FlatToolButton::enterEvent(QEnterEvent *event)
{
    setHighlighted(isEnabled());
    QAbstractButton::enterEvent(event);
}

void FlatToolButton::leaveEvent(QEvent *event)
{
    setHighlighted(false);
    QAbstractButton::leaveEvent(event);
}

void FlatToolButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange) {
        setHighlighted(isEnabled() && underMouse());
        update();
    }
    QAbstractButton::changeEvent(event);
}

void FlatToolButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect r = rect();
    const bool pressed = isDown();
    if (pressed || m_highlighted) {
        // Pressed: shadow on top and left; highlighted: light on top and left.
        const QColor topLeft = toQColor(pressed ? Colors::clBtnShadow : Colors::clBtnHighlight);
        const QColor bottomRight = toQColor(pressed ? Colors::clBtnHighlight : Colors::clBtnShadow);
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
