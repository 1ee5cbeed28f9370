#include "app/TimeDisplay.h"

#include "widgets/SevenSegmentDigit.h"

#include <QPaintEvent>
#include <QPainter>
#include <qdrawutil.h>

namespace {

constexpr int UpperTop = 11;
constexpr int LowerTop = 136;
constexpr int UnitCaptionTop = 106;
constexpr int DigitWidth = 45;
constexpr int DigitHeight = 89;
constexpr std::array<int, DisplayDigitCount> DigitLefts = {8, 56, 136, 184, 264, 312, 392, 440};
constexpr std::array<const char *, DisplayDigitCount> UpperNames
    = {"upperHourTensDigit",   "upperHourUnitsDigit",   "upperMinuteTensDigit", "upperMinuteUnitsDigit",
       "upperSecondTensDigit", "upperSecondUnitsDigit", "upperTenthsDigit",     "upperHundredthsDigit"};
constexpr std::array<const char *, DisplayDigitCount> LowerNames
    = {"lowerHourTensDigit",   "lowerHourUnitsDigit",   "lowerMinuteTensDigit", "lowerMinuteUnitsDigit",
       "lowerSecondTensDigit", "lowerSecondUnitsDigit", "lowerTenthsDigit",     "lowerHundredthsDigit"};
constexpr int SeparatorDrop = 30; // "." and "," sit lower than ":"

QFont separatorFont()
{
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(64);
    font.setBold(true);
    return font;
}

QFont unitCaptionFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(19);
    font.setBold(true);
    return font;
}

} // namespace

TimerPanel::TimerPanel(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("timerPanel"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TimerPanel::setColor(ColorValue value)
{
    if (value == m_color)
        return;
    m_color = value;
    update();
}

void TimerPanel::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), toQColor(m_color));
    qDrawShadePanel(&painter, rect(), palette(), false, BevelWidth);
}

TimeDisplay::TimeDisplay(QWidget *parent)
    : QWidget(parent)
    , m_panel(new TimerPanel(this))
{
    setObjectName(QStringLiteral("timeDisplay"));
    setFixedSize(OwnerWidth, OwnerHeight);
    m_panel->setGeometry(0, 0, OwnerWidth, OwnerHeight);

    for (int i = 0; i < DisplayDigitCount; ++i) {
        for (DisplayRow row : {DisplayRow::Upper, DisplayRow::Lower}) {
            auto *digit = new SevenSegmentDigit(m_panel);
            const bool upper = row == DisplayRow::Upper;
            digit->setObjectName(QLatin1String(upper ? UpperNames[size_t(i)] : LowerNames[size_t(i)]));
            digit->setGeometry(DigitLefts[size_t(i)], upper ? UpperTop : LowerTop, DigitWidth, DigitHeight);
            digit->setColor(Colors::clBlack);
            digit->setColorOff(Colors::clBlack);
            digit->setThickness(5);
            digit->setSeparation(1);
            (upper ? m_upper : m_lower)[size_t(i)] = digit;
        }
    }

    const QFont separator = separatorFont();
    auto separatorRect = [](int left, int top) { return QRect(left, top, 25, 81); };
    m_labHour = addLabel("upperHourSeparator", QStringLiteral(":"), separatorRect(109, UpperTop), separator);
    m_labMin = addLabel("upperMinuteSeparator", QStringLiteral("."),
                        separatorRect(240, UpperTop + SeparatorDrop), separator);
    m_labSec = addLabel("upperSecondSeparator", QStringLiteral(","),
                        separatorRect(368, UpperTop + SeparatorDrop), separator);
    m_labHour2 = addLabel("lowerHourSeparator", QStringLiteral(":"), separatorRect(109, LowerTop), separator);
    m_labMin2 = addLabel("lowerMinuteSeparator", QStringLiteral("."),
                         separatorRect(240, LowerTop + SeparatorDrop), separator);
    m_labSec2 = addLabel("lowerSecondSeparator", QStringLiteral(","),
                         separatorRect(368, LowerTop + SeparatorDrop), separator);

    const QFont unit = unitCaptionFont();
    auto unitRect = [](int left) { return QRect(left, UnitCaptionTop, 60, 24); };
    m_labHourUnit = addLabel("hourUnitLabel", QStringLiteral("Std."), unitRect(60), unit);
    m_labMinUnit = addLabel("minuteUnitLabel", QStringLiteral("Min."), unitRect(164), unit);
    m_labSecUnit = addLabel("secondUnitLabel", QStringLiteral("Sek."), unitRect(292), unit);
    m_lab100 = addLabel("fractionUnitLabel", QStringLiteral("1/100"), unitRect(366), unit);
}

QLabel *TimeDisplay::addLabel(const char *name, const QString &text, QRect geometry, const QFont &font)
{
    auto *label = new QLabel(text, m_panel);
    label->setObjectName(QLatin1String(name));
    label->setFont(font);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setLabelColour(label, m_colours.lit);
    return label;
}

void TimeDisplay::setLabelColour(QLabel *label, ColorValue colour)
{
    const QColor wanted = toQColor(colour);
    if (label->palette().color(QPalette::WindowText) == wanted)
        return;
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, wanted);
    label->setPalette(palette);
}

SevenSegmentDigit *TimeDisplay::digit(DisplayRow row, DisplayDigit digit) const
{
    return (row == DisplayRow::Upper ? m_upper : m_lower)[size_t(digit)];
}

QLabel *TimeDisplay::label(const char *name) const
{
    return m_panel->findChild<QLabel *>(QLatin1String(name), Qt::FindDirectChildrenOnly);
}

void TimeDisplay::showTime(DisplayRow row, qint32 milliseconds)
{
    const bool upper = row == DisplayRow::Upper;
    const DisplayPattern pattern = splitDisplayTime(milliseconds, upper);
    const ColorValue dim = m_colourTable[upper ? 0 : 2];
    const ColorValue lit = m_colourTable[upper ? 1 : 3];
    const auto &digits = upper ? m_upper : m_lower;

    for (int i = 0; i < DisplayDigitCount; ++i) {
        SevenSegmentDigit *digit = digits[size_t(i)];
        digit->setValue(pattern.values[size_t(i)]);
        if (pattern.colourSet[size_t(i)])
            digit->setColorOn(pattern.lit[size_t(i)] ? lit : dim);
    }

    const ColorValue hours = digits[HourUnits]->colorOn();
    const ColorValue minutes = digits[MinuteUnits]->colorOn();
    if (upper) {
        setLabelColour(m_labHour, hours);
        setLabelColour(m_labHourUnit, hours);
        setLabelColour(m_labMin, minutes);
        setLabelColour(m_labMinUnit, minutes);
    } else {
        setLabelColour(m_labHour2, hours);
        setLabelColour(m_labMin2, minutes);
        setLabelColour(m_labSec2, digits[SecondUnits]->colorOn());
    }
}

void TimeDisplay::applyDisplayColours()
{
    m_colourTable = {m_colours.dim, m_colours.lit, m_colours.dim, m_colours.finishLit};
    m_panel->setColor(m_colours.background);
    for (auto *digits : {&m_upper, &m_lower}) {
        for (SevenSegmentDigit *digit : *digits) {
            digit->setColorOn(m_colours.lit);
            digit->setColorOff(m_colours.background);
            digit->setColor(m_colours.background);
        }
    }
    for (QLabel *label : {m_labHour, m_labMin, m_labSec, m_labHourUnit, m_labMinUnit, m_labSecUnit, m_lab100,
                          m_labHour2, m_labMin2, m_labSec2})
        setLabelColour(label, m_colours.lit);
}

void TimeDisplay::applyDisplayPrecision(int precision)
{
    for (DisplayRow row : {DisplayRow::Upper, DisplayRow::Lower}) {
        digit(row, Hundredths)->setVisible(precision == 2);
        digit(row, Tenths)->setVisible(precision > 0);
    }

    const int bevel = TimerPanel::BevelWidth;
    int width = OwnerWidth;
    if (precision == 0)
        width = m_labSec->x() + bevel;
    else if (precision == 1)
        width = digit(DisplayRow::Upper, Hundredths)->x() + bevel;
    m_panel->setGeometry((OwnerWidth - width) / 2, 0, width, OwnerHeight);

    m_lab100->move(326 + 20 * precision, m_lab100->y());
    m_lab100->setText(QStringLiteral("1/") + QString::number(90 * (precision - 1) + 10));
    for (QLabel *label : {m_lab100, m_labSec, m_labSec2})
        label->setVisible(precision > 0);
}
