#pragma once

#include "ColorValue.h"

#include <QWidget>

#include <array>
#include <functional>

// One seven-segment digit with a decimal point, drawn as filled polygons whose
// geometry follows from the control's size, Thickness and Separation.
class TDigit : public QWidget
{
    Q_OBJECT

public:
    enum TBorderStyle { bsNone, bsSingle };

    // Segment masks of ValueBinary.
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

    explicit TDigit(QWidget *parent = nullptr);

    TColor Color() const { return m_color; }
    void setColor(TColor value);
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(TBorderStyle value);
    TColor ColorOff() const { return m_colorOff; }
    void setColorOff(TColor value);
    TColor ColorOn() const { return m_colorOn; }
    void setColorOn(TColor value);
    int Value() const { return m_value; }
    void setValue(int value);
    quint8 ValueBinary() const { return m_valueBinary; }
    void setValueBinary(quint8 value);
    int Thickness() const { return m_thickness; }
    void setThickness(int value);
    int Separation() const { return m_separation; }
    void setSeparation(int value);
    qint32 Tag() const { return m_tag; }
    void setTag(qint32 value) { m_tag = value; }

    std::function<void(TDigit *)> OnOverflow;

    // The polygon of one segment (a mask of Segment) for the given geometry:
    // six points for the bars, three for the decimal point.
    static QPolygon SegmentPolygon(Segment segment, QSize size, int thickness, int separation);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TColor m_color = Colors::clBlack;
    TBorderStyle m_borderStyle = bsSingle;
    TColor m_colorOff = Colors::clBlack;
    TColor m_colorOn = Colors::clYellow;
    int m_value = 0;
    quint8 m_valueBinary = 0x7D;
    int m_thickness = 2;
    int m_separation = 1;
    qint32 m_tag = 0;
};
