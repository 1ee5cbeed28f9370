#pragma once

#include <QDialog>

#include <array>

class CfgDialogHost;
class QComboBox;
class QLabel;
class QPushButton;
class QColorDialog;
class TSpinFloatEdit;
class ToColorCombo;

// The modal dialog "Einstellungen": time format, light-barrier port and its
// algorithm, lockout time, finish-key caption and the four display colours.
// Created once and reused; it reaches the rest of the program only through
// its host.
class TCfgDialog : public QDialog
{
    Q_OBJECT

public:
    static const std::array<QString, 3> PrecisionNames;
    static const QString NoPortEntry;
    static const QString PortHint;
    static const QString CtsWarningText;

    // Builds the controls, the finish-key words and the list of present ports.
    TCfgDialog(CfgDialogHost &host, QWidget *parent = nullptr);

    // Fills the dialog from the settings, shows it modally and applies the
    // result (bCFGClick). Returns the dialog's result.
    int Execute();

    // The steps of Execute, one by one.
    void FillFromHost();
    // The OK steps; false when the chosen port could not be opened (the error
    // box was shown and the mode indicator left alone).
    bool ApplyToHost();
    // After closing either way: the precision again and the focus back.
    void AfterClose();

    // The port number of a `cbPort` entry text ("COM7" -> 7; 0 when it does not parse).
    static int PortFromEntry(const QString &text);

    QComboBox *cbDigits;
    QComboBox *cbPort;
    QComboBox *cbAlg;
    TSpinFloatEdit *seWait;
    QComboBox *cbButton;
    ToColorCombo *cbColorCifra;
    ToColorCombo *cbColorCifra2;
    ToColorCombo *cbColorCifraF;
    ToColorCombo *cbColorFon;
    QPushButton *OKBtn;
    QPushButton *CancelBtn;
    QLabel *LabelCtsWarning;
    QColorDialog *ColorDialog1;

    int RememberedPortIndex() const { return m_portIndexAtOpen; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void BuildControls();
    void FillPortList();
    void cbDigitsChange(int index);
    void cbPortChange(int index);
    void ColorComboChange(ToColorCombo *field);
    void UpdateCtsWarning();

    CfgDialogHost &m_host;
    int m_portIndexAtOpen = 0;
};
