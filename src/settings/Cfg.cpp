#include "Cfg.h"

#include "CfgDialogHost.h"
#include "ColorCombo.h"
#include "SettingsStore.h"
#include "SpinFloatEdit.h"

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

const std::array<QString, 3> TCfgDialog::PrecisionNames = {
    QStringLiteral("HH:MM.SS,ms"), QStringLiteral("HH:MM.SS,s"), QStringLiteral("HH:MM.SS")};
const QString TCfgDialog::NoPortEntry = QStringLiteral("Keine");
const QString TCfgDialog::PortHint = QStringLiteral("START (4-6), FINISH (7-8)");
const QString TCfgDialog::CtsWarningText = QStringLiteral(
    "Achtung: Dieser Anschluss (ttyACM) hat keine CTS-Leitung;\n"
    "eine Ziel-Lichtschranke an CTS (7-8) funktioniert dort nicht.");

namespace {

// A caption label for `control`, which takes the caption as its accessible name.
QLabel *CaptionFor(const QString &caption, QWidget *control, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setBuddy(control);
    control->setAccessibleName(caption);
    return label;
}

} // namespace

TCfgDialog::TCfgDialog(CfgDialogHost &host, QWidget *parent)
    : QDialog(parent)
    , m_host(host)
{
    setObjectName(QStringLiteral("CfgDialog"));
    setWindowTitle(QStringLiteral("Einstellungen"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);
    BuildControls();

    for (const QString &caption : FinishButtonCaptions)
        cbButton->addItem(caption);
    cbButton->setCurrentIndex(0);
    FillPortList();
}

void TCfgDialog::BuildControls()
{
    cbDigits = new QComboBox(this);
    cbDigits->setObjectName(QStringLiteral("cbDigits"));
    for (const QString &name : PrecisionNames)
        cbDigits->addItem(name);

    cbPort = new QComboBox(this);
    cbPort->setObjectName(QStringLiteral("cbPort"));
    cbPort->setToolTip(PortHint);

    cbAlg = new QComboBox(this);
    cbAlg->setObjectName(QStringLiteral("cbAlg"));
    cbAlg->addItem(QStringLiteral("Ein"));
    cbAlg->addItem(QStringLiteral("Aus"));

    seWait = new TSpinFloatEdit(this);
    seWait->setObjectName(QStringLiteral("seWait"));
    seWait->setMinValue(0.0);
    seWait->setMaxValue(TivanoSettings::MaxWait / 1000.0);
    seWait->setIncrement(0.1);
    seWait->setDecimals(1);
    seWait->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    seWait->setFixedWidth(70);

    cbButton = new QComboBox(this);
    cbButton->setObjectName(QStringLiteral("cbButton"));

    LabelCtsWarning = new QLabel(CtsWarningText, this);
    LabelCtsWarning->setObjectName(QStringLiteral("LabelCtsWarning"));
    LabelCtsWarning->setAccessibleName(CtsWarningText);
    LabelCtsWarning->setStyleSheet(QStringLiteral("color: #B00000;"));
    LabelCtsWarning->setVisible(false);

    auto *form = new QGridLayout;
    form->addWidget(CaptionFor(QStringLiteral("Uhrzeitformat:"), cbDigits, this), 0, 0);
    form->addWidget(cbDigits, 0, 1, 1, 2);
    QLabel *portLabel = CaptionFor(QStringLiteral("Lichtschranke:"), cbPort, this);
    cbPort->setAccessibleDescription(PortHint);
    form->addWidget(portLabel, 1, 0);
    form->addWidget(cbPort, 1, 1, 1, 2);
    form->addWidget(CaptionFor(QStringLiteral("Algorithmus:"), cbAlg, this), 2, 0);
    form->addWidget(cbAlg, 2, 1, 1, 2);
    form->addWidget(CaptionFor(QStringLiteral("LS-Sperrzeit:"), seWait, this), 3, 0);
    seWait->Editor()->setAccessibleName(QStringLiteral("LS-Sperrzeit:"));
    form->addWidget(seWait, 3, 1);
    form->addWidget(new QLabel(QStringLiteral("Sek."), this), 3, 2);
    form->addWidget(CaptionFor(QStringLiteral("Taste Ziel:"), cbButton, this), 4, 0);
    form->addWidget(cbButton, 4, 1, 1, 2);
    form->addWidget(LabelCtsWarning, 5, 0, 1, 3);

    auto *colours = new QGroupBox(QStringLiteral("Farben"), this);
    colours->setAccessibleName(QStringLiteral("Farben"));
    auto *colourGrid = new QGridLayout(colours);
    struct ColourField
    {
        ToColorCombo **field;
        const char *name;
        const char *caption;
    };
    const ColourField fields[] = {
        {&cbColorCifra, "cbColorCifra", "Start:"},
        {&cbColorCifra2, "cbColorCifra2", "Stopp:"},
        {&cbColorCifraF, "cbColorCifraF", "Sonst:"},
        {&cbColorFon, "cbColorFon", "Fenster:"},
    };
    int row = 0;
    for (const ColourField &entry : fields) {
        auto *field = new ToColorCombo(colours);
        field->setObjectName(QLatin1String(entry.name));
        field->setMinimumWidth(80);
        field->OnChange = [this](ToColorCombo *sender) { ColorComboChange(sender); };
        *entry.field = field;
        colourGrid->addWidget(CaptionFor(QLatin1String(entry.caption), field, colours), row / 2,
                              (row % 2) * 2);
        colourGrid->addWidget(field, row / 2, (row % 2) * 2 + 1);
        ++row;
    }

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setAccessibleName(QStringLiteral("OK"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Abbrechen"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setAccessibleName(QStringLiteral("Abbrechen"));
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(colours);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize); // a fixed dialog border

    ColorDialog1 = new QColorDialog(this);
    ColorDialog1->setObjectName(QStringLiteral("ColorDialog1"));
    ColorDialog1->setOption(QColorDialog::DontUseNativeDialog);

    connect(cbDigits, &QComboBox::activated, this, &TCfgDialog::cbDigitsChange);
    connect(cbPort, &QComboBox::activated, this, &TCfgDialog::cbPortChange);
}

void TCfgDialog::FillPortList()
{
    cbPort->addItem(NoPortEntry);
    const quint32 mask = m_host.PortPresenceMask();
    if (mask == 0)
        return;
    const int highest = qMin(int(mask >> 16), 16);
    for (int n = 1; n <= highest; ++n) {
        if (mask & (1u << (n - 1)))
            cbPort->addItem(QStringLiteral("COM") + QString::number(n));
    }
}

int TCfgDialog::PortFromEntry(const QString &text)
{
    bool ok = false;
    const int port = text.mid(3).toInt(&ok, 10);
    return ok ? port : 0;
}

void TCfgDialog::showEvent(QShowEvent *event)
{
    // A negative algorithm locks the port choice.
    cbPort->setEnabled(m_host.Algorithm() >= 0);
    QDialog::showEvent(event);
}

void TCfgDialog::FillFromHost()
{
    cbColorCifra->setColorValue(m_host.DisplayColor(DisplayColour::C2));
    cbColorCifra2->setColorValue(m_host.DisplayColor(DisplayColour::C4));
    cbColorFon->setColorValue(m_host.DisplayColor(DisplayColour::C1));
    cbColorCifraF->setColorValue(m_host.DisplayColor(DisplayColour::C3));

    const int precision = m_host.Precision();
    cbDigits->setCurrentIndex(precision >= 0 && precision <= 2 ? 2 - precision : -1);

    const int port = m_host.PortNumber();
    if (port > 0)
        cbPort->setCurrentIndex(cbPort->findText(QStringLiteral("COM") + QString::number(port),
                                                 Qt::MatchExactly));
    else
        cbPort->setCurrentIndex(0);

    cbAlg->setEnabled(port > 0);
    const int alg = m_host.Algorithm();
    cbAlg->setCurrentIndex(alg >= 0 && alg <= 1 ? alg : -1);

    m_portIndexAtOpen = cbPort->currentIndex();
    seWait->setValue(m_host.LockoutInterval() / 1000.0);
    const int buttonLap = m_host.ButtonLapIndex();
    cbButton->setCurrentIndex(buttonLap >= 0 && buttonLap < cbButton->count() ? buttonLap : 0);
    UpdateCtsWarning();
}

int TCfgDialog::Execute()
{
    FillFromHost();
    const int result = exec();
    if (result == QDialog::Accepted)
        ApplyToHost();
    AfterClose();
    return result;
}

bool TCfgDialog::ApplyToHost()
{
    const int buttonLap = qMax(cbButton->currentIndex(), 0);
    m_host.setButtonLap(buttonLap, cbButton->itemText(buttonLap));
    m_host.setLockoutInterval(int(std::nearbyint(seWait->Value() * 1000.0)));

    m_host.setDisplayColor(DisplayColour::C2, cbColorCifra->ColorValue());
    m_host.setDisplayColor(DisplayColour::C1, cbColorFon->ColorValue());
    m_host.setDisplayColor(DisplayColour::C4, cbColorCifra2->ColorValue());
    m_host.setDisplayColor(DisplayColour::C3, cbColorCifraF->ColorValue());
    m_host.ApplyDisplayColours();
    if (!m_host.ClockRunning())
        m_host.ShowStoppedTimes();

    m_host.setPrecision(2 - qMax(cbDigits->currentIndex(), 0));

    const int portIndex = cbPort->currentIndex();
    const bool portChanged = portIndex != m_portIndexAtOpen;
    // A port that closed (its adapter was pulled out) is opened again when
    // the dialog is confirmed with it.
    const bool reconnect = portIndex > 0 && !portChanged && !m_host.PortConnected();
    if (portChanged)
        m_host.ClosePort();
    if (portIndex == 0) {
        m_host.setPortNumber(0);
    } else {
        m_host.setPortNumber(PortFromEntry(cbPort->currentText()));
        m_host.setAlgorithm(cbAlg->currentIndex());
        if (portChanged || reconnect) {
            if (const std::optional<QString> error = m_host.OpenPort()) {
                QMessageBox::critical(parentWidget(), QGuiApplication::applicationDisplayName(), *error);
                return false;
            }
        }
    }

    m_host.SetModeIndicator(m_host.PortConnected());
    return true;
}

void TCfgDialog::AfterClose()
{
    m_host.ApplyDisplayPrecision(m_host.Precision());
    m_host.FocusLeftPanel();
}

void TCfgDialog::cbDigitsChange(int index)
{
    m_host.ApplyDisplayPrecision(2 - index);
}

void TCfgDialog::cbPortChange(int index)
{
    cbAlg->setEnabled(index != 0);
    UpdateCtsWarning();
}

void TCfgDialog::UpdateCtsWarning()
{
    const int index = cbPort->currentIndex();
    const bool lacksCts = index > 0 && m_host.PortLacksCts(PortFromEntry(cbPort->currentText()));
    LabelCtsWarning->setVisible(lacksCts);
}

void TCfgDialog::ColorComboChange(ToColorCombo *field)
{
    if (isVisible() && !field->Guard() && field->UserEntrySelected()) {
        ColorDialog1->setCurrentColor(ToQColor(field->ColorValue()));
        if (ColorDialog1->exec() == QDialog::Accepted) {
            field->setGuard(true);
            field->setColorValue(FromQColor(ColorDialog1->selectedColor()));
        }
    }
    field->setGuard(false);
}
