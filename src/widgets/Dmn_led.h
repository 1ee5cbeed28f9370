#pragma once

#include "ColorValue.h"

#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>

// A 16 x 16 LED image in one of seven colours and two shapes, lit or dark,
// that can keep a linked label's caption in step with its lit state.
class TLed : public QWidget
{
    Q_OBJECT

public:
    enum TLedKind { lkRed, lkGreen, lkYellow, lkCyan, lkMagenta, lkBlue, lkWhite };
    enum TLedShape { lsCircle, lsRectangle };

    static constexpr int ImageSize = 16;
    static constexpr int KindCount = 7;

    // Colours of the pixel indices 1..6 per kind (index 0 is transparent):
    // light lower-right rim, grey upper-left rim, dark body, body colour,
    // highlight, glint.
    using Palette = std::array<TColor, 6>;
    static const std::array<Palette, KindCount> Palettes;

    // One row of characters '0'..'6' (full stop for 0) per pixel row.
    using Image = std::array<const char *, ImageSize>;
    static const Image &ImageFor(TLedShape shape, bool lit);
    // The palette index at column `x`, row `y` of an image.
    static int PixelIndex(const Image &image, int x, int y);

    explicit TLed(QWidget *parent = nullptr);

    TLedKind Kind() const { return m_kind; }
    void setKind(TLedKind value);
    TLedShape Shape() const { return m_shape; }
    void setShape(TLedShape value);
    bool Value() const { return m_value; }
    void setValue(bool value);
    QLabel *LabelLinked() const { return m_label; }
    void setLabelLinked(QLabel *label);
    QString LabelOnText() const { return m_labelOnText; }
    void setLabelOnText(const QString &value);
    QString LabelOffText() const { return m_labelOffText; }
    void setLabelOffText(const QString &value);

    std::function<void(TLed *)> OnChange;
    std::function<void(TLed *)> OnClick;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void UpdateLabel();

    TLedKind m_kind = lkRed;
    TLedShape m_shape = lsCircle;
    bool m_value = false;
    QPointer<QLabel> m_label;
    QString m_labelOnText;
    QString m_labelOffText;
    bool m_pressed = false;
};
