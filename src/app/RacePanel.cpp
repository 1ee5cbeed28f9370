#include "app/RacePanel.h"

#include "app/CountryCodeBox.h"
#include "app/StartNumberEdit.h"
#include "app/TimeDisplay.h"
#include "platform/ColorValue.h"
#include "widgets/CommandButton.h"
#include "widgets/StatusLed.h"

#include <QLabel>

namespace {

struct CommandLayout
{
    const char *objectName;
    const char *caption;
    const char *hint;
    int left;
    int width;
    ColorValue textColor;
    // The face while the command can be given; otherwise the button shows the plain button face.
    ColorValue litColor;
};

// Buttons along the bottom edge of the panel, top 314, height 42, in RaceCommand order.
constexpr std::array<CommandLayout, 4> CommandLayouts = {{
    {"startButton", "START", "F5", 4, 125, Colors::clWhite, Colors::clGreen},
    {"finishButton", "", "F4", 136, 145, Colors::clGray, Colors::clYellow},
    {"stopButton", "STOPP", "F9", 288, 105, Colors::clWhite, Colors::clRed},
    {"resetButton", "00:00", "", 400, 86, Colors::clWhite, Colors::clBlack},
}};
constexpr int CommandButtonTop = 314;
constexpr int CommandButtonHeight = 42;

QLabel *makeLabel(const char *name, const QString &text, QWidget *parent, QRect geometry)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    return label;
}

} // namespace

RacePanel::RacePanel(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("racePanel"));
    m_display = new TimeDisplay(this);

    makeLabel("countryCodeLabel", QStringLiteral("LKZ:"), this, QRect(40, 248, 92, 20))
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_countryCodeBox = new CountryCodeBox(this);
    m_countryCodeBox->setGeometry(136, 244, 121, 26);
    makeLabel("startNumberLabel", QStringLiteral("Startnummer:"), this, QRect(20, 282, 112, 20))
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_startNumberEdit = new StartNumberEdit(this);
    m_startNumberEdit->setGeometry(136, 278, 350, 26);

    // The mode follows the serial port: Auto while it is open, Hand otherwise.
    m_modeCaption = makeLabel("modeCaptionLabel", QStringLiteral("Modus:"), this, QRect(300, 248, 60, 20));
    m_modeLed = new StatusLed(this);
    m_modeLed->setObjectName(QStringLiteral("modeLed"));
    m_modeLed->setGeometry(362, 250, 16, 16);
    m_modeLed->setKind(StatusLed::LedKind::Red);
    m_modeLed->setValue(true);
    m_modeLed->setAccessibleName(QStringLiteral("Modus"));
    m_modeLabel = makeLabel("modeLabel", QStringLiteral("&Hand"), this, QRect(384, 248, 80, 20));
    // The labels show "&Auto" and "&Modus:" with the mnemonic underlined.
    m_modeLabel->setBuddy(m_modeLed);
    m_modeCaption->setBuddy(m_modeLed);
    // Below the command buttons: why the barriers do not act, when they do not.
    m_barrierWarning = makeLabel("barrierWarningLabel", QString(), this, QRect(4, 360, 484, 34));
    m_barrierWarning->setWordWrap(true);
    m_barrierWarning->setStyleSheet(QStringLiteral("color: #B00000;"));
    m_barrierWarning->setVisible(false);

    createCommandButtons();
}

void RacePanel::createCommandButtons()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(24);
    font.setBold(true);
    for (size_t i = 0; i < CommandLayouts.size(); ++i) {
        const CommandLayout &layout = CommandLayouts[i];
        auto *button = new CommandButton(QString::fromUtf8(layout.caption), this);
        button->setObjectName(QLatin1String(layout.objectName));
        button->setFont(font);
        button->setGeometry(layout.left, CommandButtonTop, layout.width, CommandButtonHeight);
        button->setToolTip(QLatin1String(layout.hint));
        QPalette palette = button->palette();
        palette.setColor(QPalette::ButtonText, toQColor(layout.textColor));
        button->setPalette(palette);
        m_buttons[i] = button;
    }
    commandButton(RaceCommand::Lap)->setAccessibleName(QStringLiteral("ZIEL"));
}

void RacePanel::showCommandStates(const RaceClock &clock, int nextFinish, bool offered)
{
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        const bool enabled = offered && clock.enabled(RaceCommand(i));
        m_buttons[i]->setEnabled(enabled);
        m_buttons[i]->setColor(enabled ? CommandLayouts[i].litColor : Colors::clBtnFace);
    }
    const bool counting = clock.enabled(RaceCommand::Lap);
    commandButton(RaceCommand::Lap)
        ->setText(counting ? clock.finishWord() + QLatin1Char(' ') + QString::number(nextFinish)
                           : clock.finishWord());
}

void RacePanel::showBarrierStatus(const BarrierStatus &status)
{
    static const std::array<StatusLed::LedKind, 3> kinds
        = {StatusLed::LedKind::Red, StatusLed::LedKind::Green, StatusLed::LedKind::Yellow};
    m_modeLed->setKind(kinds[size_t(status.mode)]);
    m_modeLabel->setText(status.mode == BarrierStatus::Hand ? QStringLiteral("&Hand")
                                                            : QStringLiteral("&Auto"));
    m_barrierWarning->setText(status.warning);
    m_barrierWarning->setVisible(!status.warning.isEmpty());
}

void RacePanel::showPortOpen(bool open)
{
    m_modeCaption->setText(open ? QStringLiteral("&Modus:") : QStringLiteral("Modus:"));
    if (open)
        m_modeLed->setCursor(Qt::PointingHandCursor);
    else
        m_modeLed->unsetCursor();
}
