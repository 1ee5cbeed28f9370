#include "TimeDisplay.h"

#include "Udigit.h"

#include <QPainter>
#include <QPaintEvent>
#include <qdrawutil.h>

namespace {

constexpr int UpperTop = 11;
constexpr int LowerTop = 136;
constexpr int UnitCaptionTop = 106;
constexpr int DigitWidth = 45;
constexpr int DigitHeight = 89;
constexpr std::array<int, DisplayDigitCount> DigitLefts = {8, 56, 136, 184, 264, 312, 392, 440};
constexpr std::array<const char *, DisplayDigitCount> UpperNames = {
    "Digit1", "Digit2", "Digit3", "Digit4", "Digit5", "Digit6", "Digit7", "Digit8"};
constexpr std::array<const char *, DisplayDigitCount> LowerNames = {
    "Digit12", "Digit13", "Digit15", "Digit16", "Digit18", "Digit19", "Digit21", "Digit22"};
constexpr int SeparatorDrop = 30; // "." and "," sit lower than ":"

QFont SeparatorFont()
{
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(64);
    font.setBold(true);
    return font;
}

QFont UnitCaptionFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(19);
    font.setBold(true);
    return font;
}

} // namespace

TTimerPanel::TTimerPanel(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("PanelTimer"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TTimerPanel::setColor(TColor value)
{
    if (value == m_color)
        return;
    m_color = value;
    update();
}

void TTimerPanel::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), ToQColor(m_color));
    qDrawShadePanel(&painter, rect(), palette(), false, BevelWidth);
}

TTimeDisplay::TTimeDisplay(QWidget *parent)
    : QWidget(parent)
    , m_panel(new TTimerPanel(this))
{
    setObjectName(QStringLiteral("PanelTimerOwner"));
    setFixedSize(OwnerWidth, OwnerHeight);
    m_panel->setGeometry(0, 0, OwnerWidth, OwnerHeight);

    for (int i = 0; i < DisplayDigitCount; ++i) {
        for (DisplayRow row : {DisplayRow::Upper, DisplayRow::Lower}) {
            auto *digit = new TDigit(m_panel);
            const bool upper = row == DisplayRow::Upper;
            digit->setObjectName(QLatin1String(upper ? UpperNames[size_t(i)] : LowerNames[size_t(i)]));
            digit->setGeometry(DigitLefts[size_t(i)], upper ? UpperTop : LowerTop, DigitWidth,
                               DigitHeight);
            digit->setColor(Colors::clBlack);
            digit->setColorOff(Colors::clBlack);
            digit->setThickness(5);
            digit->setSeparation(1);
            (upper ? m_upper : m_lower)[size_t(i)] = digit;
        }
    }

    const QFont separator = SeparatorFont();
    auto separatorRect = [](int left, int top) { return QRect(left, top, 25, 81); };
    m_labHour = AddLabel("LabHour", QStringLiteral(":"), separatorRect(109, UpperTop), separator);
    m_labMin = AddLabel("LabMin", QStringLiteral("."), separatorRect(240, UpperTop + SeparatorDrop), separator);
    m_labSec = AddLabel("LabSec", QStringLiteral(","), separatorRect(368, UpperTop + SeparatorDrop), separator);
    m_labHour2 = AddLabel("LabHour2", QStringLiteral(":"), separatorRect(109, LowerTop), separator);
    m_labMin2 = AddLabel("LabMin2", QStringLiteral("."), separatorRect(240, LowerTop + SeparatorDrop), separator);
    m_labSec2 = AddLabel("LabSec2", QStringLiteral(","), separatorRect(368, LowerTop + SeparatorDrop), separator);

    const QFont unit = UnitCaptionFont();
    auto unitRect = [](int left) { return QRect(left, UnitCaptionTop, 60, 24); };
    m_labHourUnit = AddLabel("Lab_Hour", QStringLiteral("Std."), unitRect(60), unit);
    m_labMinUnit = AddLabel("Lab_Min", QStringLiteral("Min."), unitRect(164), unit);
    m_labSecUnit = AddLabel("Lab_sek", QStringLiteral("Sek."), unitRect(292), unit);
    m_lab100 = AddLabel("Lab_100", QStringLiteral("1/100"), unitRect(366), unit);
}

QLabel *TTimeDisplay::AddLabel(const char *name, const QString &text, QRect geometry,
                               const QFont &font)
{
    auto *label = new QLabel(text, m_panel);
    label->setObjectName(QLatin1String(name));
    label->setFont(font);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetLabelColour(label, m_colours.lit);
    return label;
}

void TTimeDisplay::SetLabelColour(QLabel *label, TColor colour)
{
    const QColor wanted = ToQColor(colour);
    if (label->palette().color(QPalette::WindowText) == wanted)
        return;
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, wanted);
    label->setPalette(palette);
}

TDigit *TTimeDisplay::Digit(DisplayRow row, DisplayDigit digit) const
{
    return (row == DisplayRow::Upper ? m_upper : m_lower)[size_t(digit)];
}

QLabel *TTimeDisplay::Label(const char *name) const
{
    return m_panel->findChild<QLabel *>(QLatin1String(name), Qt::FindDirectChildrenOnly);
}

void TTimeDisplay::ShowTime(DisplayRow row, qint32 milliseconds)
{
    const bool upper = row == DisplayRow::Upper;
    const DisplayPattern pattern = SplitDisplayTime(milliseconds, upper);
    const TColor dim = m_colourTable[upper ? 0 : 2];
    const TColor lit = m_colourTable[upper ? 1 : 3];
    const auto &digits = upper ? m_upper : m_lower;

    for (int i = 0; i < DisplayDigitCount; ++i) {
        TDigit *digit = digits[size_t(i)];
        digit->setValue(pattern.values[size_t(i)]);
        if (pattern.colourSet[size_t(i)])
            digit->setColorOn(pattern.lit[size_t(i)] ? lit : dim);
    }

    const TColor hours = digits[HourUnits]->ColorOn();
    const TColor minutes = digits[MinuteUnits]->ColorOn();
    if (upper) {
        SetLabelColour(m_labHour, hours);
        SetLabelColour(m_labHourUnit, hours);
        SetLabelColour(m_labMin, minutes);
        SetLabelColour(m_labMinUnit, minutes);
    } else {
        SetLabelColour(m_labHour2, hours);
        SetLabelColour(m_labMin2, minutes);
        SetLabelColour(m_labSec2, digits[SecondUnits]->ColorOn());
    }
}

void TTimeDisplay::ApplyDisplayColours()
{
    m_colourTable = {m_colours.dim, m_colours.lit, m_colours.dim, m_colours.finishLit};
    m_panel->setColor(m_colours.background);
    for (auto *digits : {&m_upper, &m_lower}) {
        for (TDigit *digit : *digits) {
            digit->setColorOn(m_colours.lit);
            digit->setColorOff(m_colours.background);
            digit->setColor(m_colours.background);
        }
    }
    for (QLabel *label : {m_labHour, m_labMin, m_labSec, m_labHourUnit, m_labMinUnit, m_labSecUnit,
                          m_lab100, m_labHour2, m_labMin2, m_labSec2})
        SetLabelColour(label, m_colours.lit);
}

void TTimeDisplay::ApplyDisplayPrecision(int precision)
{
    for (DisplayRow row : {DisplayRow::Upper, DisplayRow::Lower}) {
        Digit(row, Hundredths)->setVisible(precision == 2);
        Digit(row, Tenths)->setVisible(precision > 0);
    }

    const int bevel = TTimerPanel::BevelWidth;
    int width = OwnerWidth;
    if (precision == 0)
        width = m_labSec->x() + bevel;
    else if (precision == 1)
        width = Digit(DisplayRow::Upper, Hundredths)->x() + bevel;
    m_panel->setGeometry((OwnerWidth - width) / 2, 0, width, OwnerHeight);

    m_lab100->move(326 + 20 * precision, m_lab100->y());
    m_lab100->setText(QStringLiteral("1/") + QString::number(90 * (precision - 1) + 10));
    for (QLabel *label : {m_lab100, m_labSec, m_labSec2})
        label->setVisible(precision > 0);
}
