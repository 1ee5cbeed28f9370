#pragma once

#include "ColorValue.h"
#include "DisplayPattern.h"
#include "RaceClock.h"

#include <QFrame>
#include <QLabel>

#include <array>

class TDigit;

// The panel that carries the digits: background "C1", a raised bevel.
class TTimerPanel : public QFrame
{
    Q_OBJECT

public:
    static constexpr int BevelWidth = 5;

    explicit TTimerPanel(QWidget *parent);

    TColor Color() const { return m_color; }
    void setColor(TColor value);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TColor m_color = Colors::clBlack;
};

// The two-row seven-segment display: `PanelTimerOwner` with `PanelTimer`,
// sixteen digits, separators and unit captions.
class TTimeDisplay : public QWidget
{
    Q_OBJECT

public:
    static constexpr int OwnerWidth = 492;
    static constexpr int OwnerHeight = 241;

    // The four colour settings: "C1" background, "C2" upper lit and labels,
    // "C3" dim, "C4" lower lit.
    struct Colours
    {
        TColor background = Colors::clBlack;
        TColor lit = Colors::clYellow;
        TColor dim = Colors::clDkGray;
        TColor finishLit = Colors::clLime;
    };

    explicit TTimeDisplay(QWidget *parent = nullptr);

    void ShowTime(DisplayRow row, qint32 milliseconds);
    void ApplyDisplayColours();
    void ApplyDisplayPrecision(int precision);

    Colours DisplayColours() const { return m_colours; }
    void setDisplayColours(const Colours &colours) { m_colours = colours; }

    TDigit *Digit(DisplayRow row, DisplayDigit digit) const;
    QLabel *Label(const char *name) const;
    TTimerPanel *PanelTimer() const { return m_panel; }
    // Upper dim, upper lit, lower dim, lower lit.
    const std::array<TColor, 4> &DigitColourTable() const { return m_colourTable; }

private:
    QLabel *AddLabel(const char *name, const QString &text, QRect geometry, const QFont &font);
    void SetLabelColour(QLabel *label, TColor colour);

    TTimerPanel *m_panel;
    std::array<TDigit *, DisplayDigitCount> m_upper{};
    std::array<TDigit *, DisplayDigitCount> m_lower{};
    QLabel *m_labHour, *m_labMin, *m_labSec;
    QLabel *m_labHourUnit, *m_labMinUnit, *m_labSecUnit, *m_lab100;
    QLabel *m_labHour2, *m_labMin2, *m_labSec2;
    Colours m_colours;
    std::array<TColor, 4> m_colourTable{Colors::clDkGray, Colors::clYellow, Colors::clDkGray,
                                        Colors::clLime};
};
