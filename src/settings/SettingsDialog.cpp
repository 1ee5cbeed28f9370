#include "settings/SettingsDialog.h"

#include "settings/ColorComboBox.h"
#include "settings/DecimalSpinField.h"

#include <QAbstractItemView>
#include <QColorDialog>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

const std::array<QString, 3> SettingsDialog::PrecisionNames
    = {QStringLiteral("HH:MM.SS,ms"), QStringLiteral("HH:MM.SS,s"), QStringLiteral("HH:MM.SS")};
const QString SettingsDialog::NoPortEntry = QStringLiteral("Keine");
const QString SettingsDialog::PortHint = QStringLiteral("START (4-6), FINISH (7-8)");
const QString SettingsDialog::CtsWarningText
    = QStringLiteral("Achtung: Dieser Anschluss hat keine CTS-Leitung;\n"
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

SettingsDialog::SettingsDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("settingsDialog"));
    setWindowTitle(QStringLiteral("Einstellungen"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);
    buildControls();

    for (const QString &caption : FinishButtonCaptions)
        finishCaptionBox->addItem(caption);
    finishCaptionBox->setCurrentIndex(0);
    setPortPresenceMask(0);
}

void SettingsDialog::buildControls()
{
    precisionBox = new QComboBox(this);
    precisionBox->setObjectName(QStringLiteral("precisionBox"));
    for (const QString &name : PrecisionNames)
        precisionBox->addItem(name);

    portBox = new QComboBox(this);
    portBox->setObjectName(QStringLiteral("portBox"));
    portBox->setToolTip(PortHint);

    polarityBox = new QComboBox(this);
    polarityBox->setObjectName(QStringLiteral("polarityBox"));
    polarityBox->addItem(QStringLiteral("Ein"));
    polarityBox->addItem(QStringLiteral("Aus"));

    lockoutField = new DecimalSpinField(this);
    lockoutField->setObjectName(QStringLiteral("lockoutField"));
    lockoutField->setMinValue(0.0);
    lockoutField->setMaxValue(Settings::MaxWait / 1000.0);
    lockoutField->setIncrement(0.1);
    lockoutField->setDecimals(1);
    lockoutField->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lockoutField->setFixedWidth(70);

    finishCaptionBox = new QComboBox(this);
    finishCaptionBox->setObjectName(QStringLiteral("finishCaptionBox"));

    ctsWarningLabel = new QLabel(CtsWarningText, this);
    ctsWarningLabel->setObjectName(QStringLiteral("ctsWarningLabel"));
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
        {&runningColorBox, "runningColorBox", "Start:"},
        {&finishColorBox, "finishColorBox", "Stopp:"},
        {&dimColorBox, "dimColorBox", "Sonst:"},
        {&backgroundColorBox, "backgroundColorBox", "Fenster:"},
    };
    int row = 0;
    for (const ColourField &entry : fields) {
        auto *field = new ColorComboBox(colours);
        field->setObjectName(QLatin1String(entry.name));
        field->setMinimumWidth(80);
        connect(field, &ColorComboBox::colorActivated, this, [this, field] { colorChosen(field); });
        *entry.field = field;
        colourGrid->addWidget(captionFor(QLatin1String(entry.caption), field, colours), row / 2,
                              (row % 2) * 2);
        colourGrid->addWidget(field, row / 2, (row % 2) * 2 + 1);
        ++row;
    }

    yesButton = new QPushButton(QStringLiteral("OK"), this);
    yesButton->setObjectName(QStringLiteral("yesButton"));
    yesButton->setAccessibleName(QStringLiteral("OK"));
    yesButton->setDefault(true);
    noButton = new QPushButton(QStringLiteral("Abbrechen"), this);
    noButton->setObjectName(QStringLiteral("noButton"));
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
    colorDialog->setObjectName(QStringLiteral("colorDialog"));
    colorDialog->setOption(QColorDialog::DontUseNativeDialog);

    connect(precisionBox, &QComboBox::activated, this, &SettingsDialog::precisionChosen);
    connect(portBox, &QComboBox::currentIndexChanged, this, &SettingsDialog::portIndexChanged);
}

void SettingsDialog::setPortPresenceMask(quint32 mask, const QMap<int, PortDescription> &descriptions)
{
    m_portDescriptions = descriptions;
    portBox->clear();
    portBox->addItem(NoPortEntry);
    const int highest = qMin(int(mask >> 16), 16);
    for (int n = 1; n <= highest; ++n) {
        if (!(mask & (1u << (n - 1))))
            continue;
        const QString device = descriptions.value(n).device;
        portBox->addItem(QStringLiteral("COM") + QString::number(n)
                         + (device.isEmpty() ? QString() : QStringLiteral("  ") + device));
    }
    // The box keeps its width; the open list is as wide as its longest device name.
    portBox->view()->setMinimumWidth(portBox->view()->sizeHintForColumn(0) + 8);
    selectPort(m_settings.port);
}

int SettingsDialog::portFromEntry(const QString &text)
{
    if (!text.startsWith(QLatin1String("COM")))
        return 0;
    const qsizetype end = text.indexOf(QLatin1Char(' '));
    bool ok = false;
    const int port = QStringView(text).mid(3, end < 0 ? -1 : end - 3).toInt(&ok, 10);
    return ok ? port : 0;
}

void SettingsDialog::selectPort(int port)
{
    // A stored port that is not present selects nothing.
    int index = port > 0 ? -1 : 0;
    for (int i = 1; i < portBox->count() && index < 0; ++i) {
        if (portFromEntry(portBox->itemText(i)) == port)
            index = i;
    }
    portBox->setCurrentIndex(index);
}

void SettingsDialog::setSettings(const Settings &current)
{
    m_settings = current;
    runningColorBox->setColorValue(current.runningColor);
    finishColorBox->setColorValue(current.finishColor);
    backgroundColorBox->setColorValue(current.backgroundColor);
    dimColorBox->setColorValue(current.dimColor);

    const int precision = current.precision;
    precisionBox->setCurrentIndex(precision >= 0 && precision <= 2 ? 2 - precision : -1);

    selectPort(current.port);
    const int polarity = current.polarity;
    polarityBox->setCurrentIndex(polarity >= 0 && polarity <= 1 ? polarity : -1);
    // A negative algorithm locks the port choice.
    portBox->setEnabled(polarity >= 0);

    lockoutField->setValue(current.lockoutMs / 1000.0);
    const int caption = current.finishCaptionIndex;
    finishCaptionBox->setCurrentIndex(caption >= 0 && caption < finishCaptionBox->count() ? caption : 0);
}

Settings SettingsDialog::editedSettings() const
{
    Settings edited = m_settings;
    edited.finishCaptionIndex = qMax(finishCaptionBox->currentIndex(), 0);
    edited.lockoutMs = int(std::nearbyint(lockoutField->value() * 1000.0));
    edited.runningColor = runningColorBox->colorValue();
    edited.backgroundColor = backgroundColorBox->colorValue();
    edited.finishColor = finishColorBox->colorValue();
    edited.dimColor = dimColorBox->colorValue();
    edited.precision = 2 - qMax(precisionBox->currentIndex(), 0);

    const int portIndex = portBox->currentIndex();
    if (portIndex == 0) {
        edited.port = 0;
    } else {
        // No entry selected (a stored port not present) gives no text and so port 0.
        edited.port = portFromEntry(portBox->currentText());
        edited.polarity = polarityBox->currentIndex();
    }
    return edited;
}

std::optional<Settings> SettingsDialog::edit(const Settings &current)
{
    setSettings(current);
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return editedSettings();
}

void SettingsDialog::precisionChosen(int index)
{
    Q_EMIT precisionPreviewed(2 - index);
}

void SettingsDialog::portIndexChanged(int index)
{
    polarityBox->setEnabled(index != 0);
    updateCtsWarning();
}

void SettingsDialog::updateCtsWarning()
{
    const int index = portBox->currentIndex();
    ctsWarningLabel->setVisible(index > 0
                                && !m_portDescriptions.value(portFromEntry(portBox->currentText())).ctsUsable);
}

void SettingsDialog::colorChosen(ColorComboBox *field)
{
    if (!field->userEntrySelected())
        return;
    colorDialog->setCurrentColor(toQColor(field->colorValue()));
    if (colorDialog->exec() == QDialog::Accepted)
        field->setColorValue(fromQColor(colorDialog->selectedColor()));
}
