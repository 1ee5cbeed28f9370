#pragma once

#include "platform/ColorValue.h"
#include "timing/DisplayPattern.h"
#include "timing/RaceClock.h"

#include <QFrame>
#include <QLabel>

#include <array>

class SevenSegmentDigit;

// The panel that carries the digits: background "C1", a raised bevel.
class TimerPanel : public QFrame
{
    Q_OBJECT

public:
    static constexpr int BevelWidth = 5;

    explicit TimerPanel(QWidget *parent);

    ColorValue color() const { return m_color; }
    void setColor(ColorValue value);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ColorValue m_color = Colors::clBlack;
};

// The two-row seven-segment display: sixteen digits on a panel, separators and unit
// captions.
class TimeDisplay : public QWidget
{
    Q_OBJECT

public:
    static constexpr int OwnerWidth = 492;
    static constexpr int OwnerHeight = 241;

    // The four colour settings: "C1" background, "C2" upper lit and labels,
    // "C3" dim, "C4" lower lit.
    struct Colours
    {
        ColorValue background = Colors::clBlack;
        ColorValue lit = Colors::clYellow;
        ColorValue dim = Colors::clDkGray;
        ColorValue finishLit = Colors::clLime;
    };

    explicit TimeDisplay(QWidget *parent = nullptr);

    void showTime(DisplayRow row, qint32 milliseconds);
    void applyDisplayColours();
    void applyDisplayPrecision(int precision);

    Colours displayColours() const { return m_colours; }
    void setDisplayColours(const Colours &colours) { m_colours = colours; }

    SevenSegmentDigit *digit(DisplayRow row, DisplayDigit digit) const;
    QLabel *label(const char *name) const;
    TimerPanel *timerPanel() const { return m_panel; }
    // Upper dim, upper lit, lower dim, lower lit.
    const std::array<ColorValue, 4> &digitColourTable() const { return m_colourTable; }

private:
    QLabel *addLabel(const char *name, const QString &text, QRect geometry, const QFont &font);
    void setLabelColour(QLabel *label, ColorValue colour);

    TimerPanel *m_panel;
    std::array<SevenSegmentDigit *, DisplayDigitCount> m_upper{};
    std::array<SevenSegmentDigit *, DisplayDigitCount> m_lower{};
    QLabel *m_labHour, *m_labMin, *m_labSec;
    QLabel *m_labHourUnit, *m_labMinUnit, *m_labSecUnit, *m_lab100;
    QLabel *m_labHour2, *m_labMin2, *m_labSec2;
    Colours m_colours;
    std::array<ColorValue, 4> m_colourTable{Colors::clDkGray, Colors::clYellow, Colors::clDkGray,
                                            Colors::clLime};
};
