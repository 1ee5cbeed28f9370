#pragma once

#include "platform/ColorValue.h"

#include <QWidget>

#include <array>

// One seven-segment digit with a decimal point, drawn as filled polygons whose
// geometry follows from the control's size, Thickness and Separation.
class SevenSegmentDigit : public QWidget
{
    Q_OBJECT

public:
    enum class BorderStyle { None, Single };

    // Segment masks of valueBinary.
    enum Segment : quint8 {
        SegTop = 0x01,
        SegMiddle = 0x02,
        SegBottom = 0x04,
        SegUpperLeft = 0x08,
        SegUpperRight = 0x10,
        SegLowerLeft = 0x20,
        SegLowerRight = 0x40,
        SegPoint = 0x80,
    };

    static const std::array<quint8, 10> SegmentCodes;

    explicit SevenSegmentDigit(QWidget *parent = nullptr);

    ColorValue color() const { return m_color; }
    void setColor(ColorValue value);
    BorderStyle borderStyle() const { return m_borderStyle; }
    void setBorderStyle(BorderStyle value);
    ColorValue colorOff() const { return m_colorOff; }
    void setColorOff(ColorValue value);
    ColorValue colorOn() const { return m_colorOn; }
    void setColorOn(ColorValue value);
    int value() const { return m_value; }
    void setValue(int value);
    quint8 valueBinary() const { return m_valueBinary; }
    void setValueBinary(quint8 value);
    int thickness() const { return m_thickness; }
    void setThickness(int value);
    int separation() const { return m_separation; }
    void setSeparation(int value);

    // The polygon of one segment (a mask of Segment) for the given geometry:
    // six points for the bars, three for the decimal point.
    static QPolygon segmentPolygon(Segment segment, QSize size, int thickness, int separation);

Q_SIGNALS:
    // setValue was given a value outside 0..9; the digit shows 0.
    void overflowed();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ColorValue m_color = Colors::clBlack;
    BorderStyle m_borderStyle = BorderStyle::Single;
    ColorValue m_colorOff = Colors::clBlack;
    ColorValue m_colorOn = Colors::clYellow;
    int m_value = 0;
    quint8 m_valueBinary = 0x7D;
    int m_thickness = 2;
    int m_separation = 1;
};
