#include "widgets/StatusLed.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

const std::array<StatusLed::Palette, StatusLed::KindCount> StatusLed::Palettes = {{
    {0xFFFFFF, 0x808080, 0x000000, 0x0000FF, 0xFF00FF, 0xFFFFFF}, // LedKind::Red
    {0xFFFFFF, 0x808080, 0x000000, 0x00FF00, 0x00FFFF, 0xFFFFFF}, // LedKind::Green
    {0xFFFFFF, 0x808080, 0x000000, 0x00FFFF, 0xFFFFFF, 0xFFFFFF}, // LedKind::Yellow
    {0xFFFFFF, 0x808080, 0x000000, 0x808000, 0xFFFF00, 0xFFFFFF}, // LedKind::Cyan
    {0xFFFFFF, 0x808080, 0x000000, 0xFF00FF, 0xFFFFFF, 0xFFFFFF}, // LedKind::Magenta
    {0xFFFFFF, 0x808080, 0x000000, 0xFF0000, 0xFFFF00, 0xFFFFFF}, // LedKind::Blue
    {0xFFFFFF, 0x808080, 0x000000, 0x808080, 0xC0C0C0, 0xFFFFFF}, // LedKind::White
}};

namespace {

const StatusLed::Image CircleDark = {
    ".....222222.....", "...2233333322...", "..233333333331..", ".23333333333331.",
    ".23334443333331.", "2333443333333331", "2333433333333331", "2333433333333331",
    "2333333333333331", "2333333333333331", "2333333333333331", ".23333333333331.",
    ".23333333333331.", "..133333333331..", "...1133333311...", ".....111111.....",
};

const StatusLed::Image CircleLit = {
    ".....222222.....", "...2234444422...", "..234455544441..", ".23455544444441.",
    ".24566644444441.", "2345664444444431", "2455644444444431", "2454444444444431",
    "2454444444444431", "2444444444444331", "2444444444444331", ".24444444444331.",
    ".24444444443331.", "..144444433331..", "...1133333311...", ".....111111.....",
};

const StatusLed::Image RectangleDark = {
    "................", "................", "................", "2222222222222222",
    "2333333333333331", "2344443333333331", "2344333333333331", "2333333333333331",
    "2333333333333331", "2333333333333331", "2333333333333331", "2333333333333331",
    "2111111111111111", "................", "................", "................",
};

const StatusLed::Image RectangleLit = {
    "................", "................", "................", "2222222222222222",
    "2444444444444441", "2455555555555431", "2456554444444431", "2455544444444431",
    "2455444444444431", "2454444444444431", "2444444444444431", "2433333333333331",
    "2111111111111111", "................", "................", "................",
};

} // namespace

const StatusLed::Image &StatusLed::imageFor(LedShape shape, bool lit)
{
    if (shape == LedShape::Rectangle)
        return lit ? RectangleLit : RectangleDark;
    return lit ? CircleLit : CircleDark;
}

int StatusLed::pixelIndex(const Image &image, int x, int y)
{
    const char c = image[size_t(y)][x];
    return c == '.' ? 0 : c - '0';
}

StatusLed::StatusLed(QWidget *parent)
    : QWidget(parent)
{
    resize(ImageSize, ImageSize);
}

QSize StatusLed::sizeHint() const
{
    return QSize(ImageSize, ImageSize);
}

QSize StatusLed::minimumSizeHint() const
{
    return QSize(ImageSize, ImageSize);
}

void StatusLed::setKind(LedKind value)
{
    if (value == m_kind)
        return;
    m_kind = value;
    repaint();
}

void StatusLed::setShape(LedShape value)
{
    if (value == m_shape)
        return;
    m_shape = value;
    repaint();
}

void StatusLed::setValue(bool value)
{
    if (value == m_value)
        return;
    m_value = value;
    repaint();
    updateLabel();
    Q_EMIT valueChanged(value);
}

void StatusLed::setLabelLinked(QLabel *label)
{
    if (label == m_label)
        return;
    m_label = label;
    updateLabel();
}

void StatusLed::setLabelOnText(const QString &value)
{
    if (value == m_labelOnText)
        return;
    m_labelOnText = value;
    updateLabel();
}

void StatusLed::setLabelOffText(const QString &value)
{
    if (value == m_labelOffText)
        return;
    m_labelOffText = value;
    updateLabel();
}

void StatusLed::updateLabel()
{
    if (m_label)
        m_label->setText(m_value ? m_labelOnText : m_labelOffText);
}

void StatusLed::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const Image &image = imageFor(m_shape, m_value);
    const Palette &palette = Palettes[size_t(m_kind)];
    for (int y = 0; y < ImageSize; ++y) {
        for (int x = 0; x < ImageSize; ++x) {
            const int index = pixelIndex(image, x, y);
            if (index != 0)
                painter.fillRect(x, y, 1, 1, toQColor(palette[size_t(index - 1)]));
        }
    }
}

void StatusLed::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    QWidget::mousePressEvent(event);
}

void StatusLed::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click
        = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    QWidget::mouseReleaseEvent(event);
    if (click)
        Q_EMIT clicked();
}
