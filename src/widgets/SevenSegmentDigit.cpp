#include "widgets/SevenSegmentDigit.h"

#include <QPaintEvent>
#include <QPainter>

const std::array<quint8, 10> SevenSegmentDigit::SegmentCodes
    = {0x7D, 0x50, 0x37, 0x57, 0x5A, 0x4F, 0x6F, 0x51, 0x7F, 0x5F};

SevenSegmentDigit::SevenSegmentDigit(QWidget *parent)
    : QWidget(parent)
{
    // The digit paints every pixel of its area itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    resize(16, 32);
}

void SevenSegmentDigit::setColor(ColorValue value)
{
    if (value == m_color)
        return;
    m_color = value;
    update();
}

void SevenSegmentDigit::setBorderStyle(BorderStyle value)
{
    if (value == m_borderStyle)
        return;
    m_borderStyle = value;
    repaint();
}

void SevenSegmentDigit::setColorOff(ColorValue value)
{
    if (value == m_colorOff)
        return;
    m_colorOff = value;
    repaint();
}

void SevenSegmentDigit::setColorOn(ColorValue value)
{
    if (value == m_colorOn)
        return;
    m_colorOn = value;
    repaint();
}

void SevenSegmentDigit::setValue(int value)
{
    if (value == m_value)
        return;
    if (value < 0 || value > 9) {
        m_value = 0;
        Q_EMIT overflowed();
    } else {
        m_value = value;
    }
    m_valueBinary = SegmentCodes[size_t(m_value)];
    repaint();
}

void SevenSegmentDigit::setValueBinary(quint8 value)
{
    if (value == m_valueBinary)
        return;
    m_valueBinary = value;
    repaint();
}

void SevenSegmentDigit::setThickness(int value)
{
    if (value > width() / 2 || value > height() / 2)
        return;
    m_thickness = value;
    update();
}

void SevenSegmentDigit::setSeparation(int value)
{
    m_separation = value;
    update();
}

QPolygon SevenSegmentDigit::segmentPolygon(Segment segment, QSize size, int t, int s)
{
    const int w = size.width() - 1;
    const int h = size.height() - 1;
    const int m = h / 2;

    auto horizontal = [&](int b) {
        return QPolygon({QPoint(t + s, b + t), QPoint(2 * t + s, b), QPoint(w - 2 * t - s, b),
                         QPoint(w - t - s, b + t), QPoint(w - 2 * t - s, b + 2 * t),
                         QPoint(2 * t + s, b + 2 * t)});
    };
    auto vertical = [&](int e, int b) {
        return QPolygon({QPoint(e, b + 2 * t + s), QPoint(e + t, b + t + s), QPoint(e + 2 * t, b + 2 * t + s),
                         QPoint(e + 2 * t, b + m - t - s), QPoint(e + t, b + m - s),
                         QPoint(e, b + m - t - s)});
    };

    switch (segment) {
    case SegTop:
        return horizontal(0);
    case SegMiddle:
        return horizontal(m - t);
    case SegBottom:
        return horizontal(h - 2 * t);
    case SegUpperLeft:
        return vertical(0, 0);
    case SegUpperRight:
        return vertical(w - 2 * t, 0);
    case SegLowerLeft:
        return vertical(0, m - t);
    case SegLowerRight:
        return vertical(w - 2 * t, m - t);
    case SegPoint:
        return QPolygon({QPoint(w, h), QPoint(w - 2 * t + s, h), QPoint(w, h - 2 * t + s)});
    }
    return {};
}

void SevenSegmentDigit::paintEvent(QPaintEvent *event)
{
    static constexpr Segment drawingOrder[]
        = {SegTop, SegMiddle, SegBottom, SegUpperLeft, SegUpperRight, SegLowerLeft, SegLowerRight, SegPoint};

    QPainter painter(this);
    const QColor background = toQColor(m_color);
    const QColor on = toQColor(m_colorOn);
    const QColor off = toQColor(m_colorOff);

    painter.fillRect(event->rect(), background);
    // Every polygon is outlined in the background colour, as the pen stays.
    painter.setPen(QPen(background, 0));
    for (Segment segment : drawingOrder) {
        painter.setBrush((m_valueBinary & segment) ? on : off);
        painter.drawPolygon(segmentPolygon(segment, size(), m_thickness, m_separation));
    }
}
