#pragma once

#include "platform/ColorValue.h"

#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <array>

// A 16 x 16 LED image in one of seven colours and two shapes, lit or dark,
// that can keep a linked label's caption in step with its lit state.
class StatusLed : public QWidget
{
    Q_OBJECT

public:
    enum class LedKind { Red, Green, Yellow, Cyan, Magenta, Blue, White };
    enum class LedShape { Circle, Rectangle };

    static constexpr int ImageSize = 16;
    static constexpr int KindCount = 7;

    // Colours of the pixel indices 1..6 per kind (index 0 is transparent):
    // light lower-right rim, grey upper-left rim, dark body, body colour,
    // highlight, glint.
    using Palette = std::array<ColorValue, 6>;
    static const std::array<Palette, KindCount> Palettes;

    // One row of characters '0'..'6' (full stop for 0) per pixel row.
    using Image = std::array<const char *, ImageSize>;
    static const Image &imageFor(LedShape shape, bool lit);
    // The palette index at column `x`, row `y` of an image.
    static int pixelIndex(const Image &image, int x, int y);

    explicit StatusLed(QWidget *parent = nullptr);

    LedKind kind() const { return m_kind; }
    void setKind(LedKind value);
    LedShape shape() const { return m_shape; }
    void setShape(LedShape value);
    bool value() const { return m_value; }
    void setValue(bool value);
    QLabel *labelLinked() const { return m_label; }
    void setLabelLinked(QLabel *label);
    QString labelOnText() const { return m_labelOnText; }
    void setLabelOnText(const QString &value);
    QString labelOffText() const { return m_labelOffText; }
    void setLabelOffText(const QString &value);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void valueChanged(bool value);
    // A left press and release inside the LED.
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void updateLabel();

    LedKind m_kind = LedKind::Red;
    LedShape m_shape = LedShape::Circle;
    bool m_value = false;
    QPointer<QLabel> m_label;
    QString m_labelOnText;
    QString m_labelOffText;
    bool m_pressed = false;
};
