#pragma once

#include <QDialog>

#include <array>

class SettingsDialogHost;
class QComboBox;
class QLabel;
class QPushButton;
class QColorDialog;
class DecimalSpinField;
class ColorComboBox;

// The modal dialog "Einstellungen": time format, light-barrier port and its
// algorithm, lockout time, finish-key caption and the four display colours.
// Created once and reused; it reaches the rest of the program only through
// its host.
class SettingsDialog : public QDialog
{
    Q_OBJECT

public:
    static const std::array<QString, 3> PrecisionNames;
    static const QString NoPortEntry;
    static const QString PortHint;
    static const QString CtsWarningText;

    // Builds the controls, the finish-key words and the list of present ports.
    SettingsDialog(SettingsDialogHost &host, QWidget *parent = nullptr);

    // Fills the dialog from the settings, shows it modally and applies the
    // result (showSettings). Returns the dialog's result.
    int execute();

    // The steps of Execute, one by one.
    void fillFromHost();
    // The OK steps; false when the chosen port could not be opened (the error
    // box was shown and the mode indicator left alone).
    bool applyToHost();
    // After closing either way: the precision again and the focus back.
    void afterClose();

    // The port number of a `cbPort` entry text ("COM7" -> 7; 0 when it does not parse).
    static int portFromEntry(const QString &text);

    QComboBox *precisionBox;
    QComboBox *portBox;
    QComboBox *polarityBox;
    DecimalSpinField *lockoutField;
    QComboBox *finishCaptionBox;
    ColorComboBox *runningColorBox;
    ColorComboBox *dimColorBox;
    ColorComboBox *finishColorBox;
    ColorComboBox *backgroundColorBox;
    QPushButton *yesButton;
    QPushButton *noButton;
    QLabel *ctsWarningLabel;
    QColorDialog *colorDialog;

    int rememberedPortIndex() const { return m_portIndexAtOpen; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void fillPortList();
    void precisionChanged(int index);
    void portChanged(int index);
    void colorChanged(ColorComboBox *field);
    void updateCtsWarning();

    SettingsDialogHost &m_host;
    int m_portIndexAtOpen = 0;
};
