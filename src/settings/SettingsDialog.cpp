#include "settings/SettingsDialog.h"

#include "settings/SettingsDialogHost.h"
#include "settings/ColorComboBox.h"
#include "settings/SettingsStore.h"
#include "settings/DecimalSpinField.h"

#include <QColorDialog>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

const std::array<QString, 3> SettingsDialog::PrecisionNames = {
    QStringLiteral("HH:MM.SS,ms"), QStringLiteral("HH:MM.SS,s"), QStringLiteral("HH:MM.SS")};
const QString SettingsDialog::NoPortEntry = QStringLiteral("Keine");
const QString SettingsDialog::PortHint = QStringLiteral("START (4-6), FINISH (7-8)");
const QString SettingsDialog::CtsWarningText = QStringLiteral(
    "Achtung: Dieser Anschluss (ttyACM) hat keine CTS-Leitung;\n"
    "eine Ziel-Lichtschranke an CTS (7-8) funktioniert dort nicht.");

namespace {

// A caption label for `control`, which takes the caption as its accessible name.
QLabel *captionFor(const QString &caption, QWidget *control, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setBuddy(control);
    control->setAccessibleName(caption);
    return label;
}

} // namespace

SettingsDialog::SettingsDialog(SettingsDialogHost &host, QWidget *parent)
    : QDialog(parent)
    , m_host(host)
{
    setObjectName(QStringLiteral("CfgDialog"));
    setWindowTitle(QStringLiteral("Einstellungen"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);
    buildControls();

    for (const QString &caption : FinishButtonCaptions)
        finishCaptionBox->addItem(caption);
    finishCaptionBox->setCurrentIndex(0);
    fillPortList();
}

void SettingsDialog::buildControls()
{
    precisionBox = new QComboBox(this);
    precisionBox->setObjectName(QStringLiteral("cbDigits"));
    for (const QString &name : PrecisionNames)
        precisionBox->addItem(name);

    portBox = new QComboBox(this);
    portBox->setObjectName(QStringLiteral("cbPort"));
    portBox->setToolTip(PortHint);

    polarityBox = new QComboBox(this);
    polarityBox->setObjectName(QStringLiteral("cbAlg"));
    polarityBox->addItem(QStringLiteral("Ein"));
    polarityBox->addItem(QStringLiteral("Aus"));

    lockoutField = new DecimalSpinField(this);
    lockoutField->setObjectName(QStringLiteral("seWait"));
    lockoutField->setMinValue(0.0);
    lockoutField->setMaxValue(Settings::MaxWait / 1000.0);
    lockoutField->setIncrement(0.1);
    lockoutField->setDecimals(1);
    lockoutField->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lockoutField->setFixedWidth(70);

    finishCaptionBox = new QComboBox(this);
    finishCaptionBox->setObjectName(QStringLiteral("cbButton"));

    ctsWarningLabel = new QLabel(CtsWarningText, this);
    ctsWarningLabel->setObjectName(QStringLiteral("LabelCtsWarning"));
    ctsWarningLabel->setAccessibleName(CtsWarningText);
    ctsWarningLabel->setStyleSheet(QStringLiteral("color: #B00000;"));
    ctsWarningLabel->setVisible(false);

    auto *form = new QGridLayout;
    form->addWidget(captionFor(QStringLiteral("Uhrzeitformat:"), precisionBox, this), 0, 0);
    form->addWidget(precisionBox, 0, 1, 1, 2);
    QLabel *portLabel = captionFor(QStringLiteral("Lichtschranke:"), portBox, this);
    portBox->setAccessibleDescription(PortHint);
    form->addWidget(portLabel, 1, 0);
    form->addWidget(portBox, 1, 1, 1, 2);
    form->addWidget(captionFor(QStringLiteral("Algorithmus:"), polarityBox, this), 2, 0);
    form->addWidget(polarityBox, 2, 1, 1, 2);
    form->addWidget(captionFor(QStringLiteral("LS-Sperrzeit:"), lockoutField, this), 3, 0);
    lockoutField->editor()->setAccessibleName(QStringLiteral("LS-Sperrzeit:"));
    form->addWidget(lockoutField, 3, 1);
    form->addWidget(new QLabel(QStringLiteral("Sek."), this), 3, 2);
    form->addWidget(captionFor(QStringLiteral("Taste Ziel:"), finishCaptionBox, this), 4, 0);
    form->addWidget(finishCaptionBox, 4, 1, 1, 2);
    form->addWidget(ctsWarningLabel, 5, 0, 1, 3);

    auto *colours = new QGroupBox(QStringLiteral("Farben"), this);
    colours->setAccessibleName(QStringLiteral("Farben"));
    auto *colourGrid = new QGridLayout(colours);
    struct ColourField
    {
        ColorComboBox **field;
        const char *name;
        const char *caption;
    };
    const ColourField fields[] = {
        {&runningColorBox, "cbColorCifra", "Start:"},
        {&dimColorBox, "cbColorCifra2", "Stopp:"},
        {&finishColorBox, "cbColorCifraF", "Sonst:"},
        {&backgroundColorBox, "cbColorFon", "Fenster:"},
    };
    int row = 0;
    for (const ColourField &entry : fields) {
        auto *field = new ColorComboBox(colours);
        field->setObjectName(QLatin1String(entry.name));
        field->setMinimumWidth(80);
        field->OnChange = [this](ColorComboBox *sender) { colorChanged(sender); };
        *entry.field = field;
        colourGrid->addWidget(captionFor(QLatin1String(entry.caption), field, colours), row / 2,
                              (row % 2) * 2);
        colourGrid->addWidget(field, row / 2, (row % 2) * 2 + 1);
        ++row;
    }

    yesButton = new QPushButton(QStringLiteral("OK"), this);
    yesButton->setObjectName(QStringLiteral("OKBtn"));
    yesButton->setAccessibleName(QStringLiteral("OK"));
    yesButton->setDefault(true);
    noButton = new QPushButton(QStringLiteral("Abbrechen"), this);
    noButton->setObjectName(QStringLiteral("CancelBtn"));
    noButton->setAccessibleName(QStringLiteral("Abbrechen"));
    connect(yesButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(noButton, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(yesButton);
    buttons->addWidget(noButton);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(colours);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize); // a fixed dialog border

    colorDialog = new QColorDialog(this);
    colorDialog->setObjectName(QStringLiteral("ColorDialog1"));
    colorDialog->setOption(QColorDialog::DontUseNativeDialog);

    connect(precisionBox, &QComboBox::activated, this, &SettingsDialog::precisionChanged);
    connect(portBox, &QComboBox::activated, this, &SettingsDialog::portChanged);
}

void SettingsDialog::fillPortList()
{
    portBox->addItem(NoPortEntry);
    const quint32 mask = m_host.portPresenceMask();
    if (mask == 0)
        return;
    const int highest = qMin(int(mask >> 16), 16);
    for (int n = 1; n <= highest; ++n) {
        if (mask & (1u << (n - 1)))
            portBox->addItem(QStringLiteral("COM") + QString::number(n));
    }
}

int SettingsDialog::portFromEntry(const QString &text)
{
    bool ok = false;
    const int port = text.mid(3).toInt(&ok, 10);
    return ok ? port : 0;
}

void SettingsDialog::showEvent(QShowEvent *event)
{
    // A negative algorithm locks the port choice.
    portBox->setEnabled(m_host.algorithm() >= 0);
    QDialog::showEvent(event);
}

void SettingsDialog::fillFromHost()
{
    runningColorBox->setColorValue(m_host.displayColor(DisplayColour::C2));
    dimColorBox->setColorValue(m_host.displayColor(DisplayColour::C4));
    backgroundColorBox->setColorValue(m_host.displayColor(DisplayColour::C1));
    finishColorBox->setColorValue(m_host.displayColor(DisplayColour::C3));

    const int precision = m_host.precision();
    precisionBox->setCurrentIndex(precision >= 0 && precision <= 2 ? 2 - precision : -1);

    const int port = m_host.portNumber();
    if (port > 0)
        portBox->setCurrentIndex(portBox->findText(QStringLiteral("COM") + QString::number(port),
                                                 Qt::MatchExactly));
    else
        portBox->setCurrentIndex(0);

    polarityBox->setEnabled(port > 0);
    const int alg = m_host.algorithm();
    polarityBox->setCurrentIndex(alg >= 0 && alg <= 1 ? alg : -1);

    m_portIndexAtOpen = portBox->currentIndex();
    lockoutField->setValue(m_host.lockoutInterval() / 1000.0);
    const int buttonLap = m_host.buttonLapIndex();
    finishCaptionBox->setCurrentIndex(buttonLap >= 0 && buttonLap < finishCaptionBox->count() ? buttonLap : 0);
    updateCtsWarning();
}

int SettingsDialog::execute()
{
    fillFromHost();
    const int result = exec();
    if (result == QDialog::Accepted)
        applyToHost();
    afterClose();
    return result;
}

bool SettingsDialog::applyToHost()
{
    const int buttonLap = qMax(finishCaptionBox->currentIndex(), 0);
    m_host.setButtonLap(buttonLap, finishCaptionBox->itemText(buttonLap));
    m_host.setLockoutInterval(int(std::nearbyint(lockoutField->value() * 1000.0)));

    m_host.setDisplayColor(DisplayColour::C2, runningColorBox->colorValue());
    m_host.setDisplayColor(DisplayColour::C1, backgroundColorBox->colorValue());
    m_host.setDisplayColor(DisplayColour::C4, dimColorBox->colorValue());
    m_host.setDisplayColor(DisplayColour::C3, finishColorBox->colorValue());
    m_host.applyDisplayColours();
    if (!m_host.clockRunning())
        m_host.showStoppedTimes();

    m_host.setPrecision(2 - qMax(precisionBox->currentIndex(), 0));

    const int portIndex = portBox->currentIndex();
    const bool portChanged = portIndex != m_portIndexAtOpen;
    // A port that closed (its adapter was pulled out) is opened again when
    // the dialog is confirmed with it.
    const bool reconnect = portIndex > 0 && !portChanged && !m_host.portConnected();
    if (portChanged)
        m_host.closePort();
    if (portIndex == 0) {
        m_host.setPortNumber(0);
    } else {
        m_host.setPortNumber(portFromEntry(portBox->currentText()));
        m_host.setAlgorithm(polarityBox->currentIndex());
        if (portChanged || reconnect) {
            if (const std::optional<QString> error = m_host.openPort()) {
                QMessageBox::critical(parentWidget(), QGuiApplication::applicationDisplayName(), *error);
                return false;
            }
        }
    }

    m_host.setModeIndicator(m_host.portConnected());
    return true;
}

void SettingsDialog::afterClose()
{
    m_host.applyDisplayPrecision(m_host.precision());
    m_host.focusLeftPanel();
}

void SettingsDialog::precisionChanged(int index)
{
    m_host.applyDisplayPrecision(2 - index);
}

void SettingsDialog::portChanged(int index)
{
    polarityBox->setEnabled(index != 0);
    updateCtsWarning();
}

void SettingsDialog::updateCtsWarning()
{
    const int index = portBox->currentIndex();
    const bool lacksCts = index > 0 && m_host.portLacksCts(portFromEntry(portBox->currentText()));
    ctsWarningLabel->setVisible(lacksCts);
}

void SettingsDialog::colorChanged(ColorComboBox *field)
{
    if (isVisible() && !field->guard() && field->userEntrySelected()) {
        colorDialog->setCurrentColor(toQColor(field->colorValue()));
        if (colorDialog->exec() == QDialog::Accepted) {
            field->setGuard(true);
            field->setColorValue(fromQColor(colorDialog->selectedColor()));
        }
    }
    field->setGuard(false);
}
