#pragma once

#include "settings/SettingsStore.h"

#include <QDialog>
#include <QMap>

#include <array>
#include <optional>

class QComboBox;
class QLabel;
class QPushButton;
class QColorDialog;
class DecimalSpinField;
class ColorComboBox;

// What the serial backend tells about a present port for the port list.
struct PortDescription
{
    QString device; // shown beside the COM number when not empty
    bool ctsUsable = true; // false: a finish barrier on CTS cannot work there
};

// The modal dialog "Einstellungen": time format, light-barrier port and its
// algorithm, lockout time, finish-key caption and the four display colours.
// Created once and reused; it edits a copy of the settings, and applying them
// is the caller's.
class SettingsDialog : public QDialog
{
    Q_OBJECT

public:
    static const std::array<QString, 3> PrecisionNames;
    static const QString NoPortEntry;
    static const QString PortHint;
    static const QString CtsWarningText;

    // Builds the controls and the finish-key words; the port list holds "Keine".
    explicit SettingsDialog(QWidget *parent = nullptr);

    // Serial ports found at start: bit n - 1 per present COM n, the high 16
    // bits the highest n. Fills the port list from the mask and what
    // `descriptions` tells of the ports (a port it lacks has no device name
    // and a CTS input).
    void setPortPresenceMask(quint32 mask, const QMap<int, PortDescription> &descriptions = {});
    // Fills the controls from `current`.
    void setSettings(const Settings &current);
    // The settings as the controls hold them now, starting from the last
    // setSettings value.
    Settings editedSettings() const;
    // setSettings(current) and shows the dialog modally: the edited settings
    // on OK, nothing on Cancel.
    std::optional<Settings> edit(const Settings &current);

    // The port number of a port-list entry ("COM7" or "COM7  /dev/ttyUSB2" -> 7; 0 when
    // it does not parse).
    static int portFromEntry(const QString &text);

    QComboBox *precisionBox;
    QComboBox *portBox;
    QComboBox *polarityBox;
    DecimalSpinField *lockoutField;
    QComboBox *finishCaptionBox;
    ColorComboBox *runningColorBox;
    ColorComboBox *finishColorBox;
    ColorComboBox *dimColorBox;
    ColorComboBox *backgroundColorBox;
    QPushButton *yesButton;
    QPushButton *noButton;
    QLabel *ctsWarningLabel;
    QColorDialog *colorDialog;

Q_SIGNALS:
    // A time format was chosen in the open dialog (0 seconds, 1 tenths,
    // 2 hundredths): the display previews it.
    void precisionPreviewed(int precision);

private:
    void buildControls();
    void selectPort(int port);
    void precisionChosen(int index);
    void portIndexChanged(int index);
    void colorChosen(ColorComboBox *field);
    void updateCtsWarning();

    Settings m_settings;
    QMap<int, PortDescription> m_portDescriptions;
};
