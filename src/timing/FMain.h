#pragma once

#include "CfgDialogHost.h"
#include "RaceClock.h"
#include "SettingsStore.h"

#include <QMainWindow>
#include <QString>

#include <array>
#include <memory>

struct BarrierStatus;
class ComBackend;
class QAction;
class QLabel;
class SerialTriggers;
class TBitBtnWithColor;
class TCfgDialog;
class TComPort;
class TCountryCodeBox;
class TFDlgYesNo;
class TLbSpeedButton;
class TLed;
class TProtocolPanel;
class TStartNumberEdit;
class TTimeDisplay;

// What the main window takes from its surroundings; tests replace each part.
struct FormMainEnvironment
{
    ClockSource *clocks = nullptr;        // the machine's clocks when null
    ComBackend *serialBackend = nullptr;  // the platform's serial ports when null
    SettingsLocation settings = SettingsLocation::UserStore();
    QString programFolder;                // folder of LKZ.txt and help; the executable's when empty
    QString autosaveFolder;               // the protocol's choice when empty
};

// The main window: the time display, start numbers and country codes, the
// command buttons, the protocol and the serial port, tied together. It gives
// the race clock and the settings dialog the operations they ask for.
class TFormMain : public QMainWindow, public RaceClockHost, public CfgDialogHost
{
    Q_OBJECT

public:
    static const QString LayoutCaption;

    explicit TFormMain(const FormMainEnvironment &environment = {}, QWidget *parent = nullptr);
    ~TFormMain() override;

    // The dialogs the program entry creates after the window.
    void setDialogs(TCfgDialog *cfgDialog, TFDlgYesNo *yesNoDialog);

    RaceClock &Clock() { return *m_clock; }
    TTimeDisplay &Display() { return *m_display; }
    TProtocolPanel &Protocol() { return *m_protocol; }
    TComPort &ComPort() { return *m_comPort; }
    SerialTriggers &Triggers() { return *m_triggers; }
    TStartNumberEdit *EditPred() const { return m_editPred; }
    TCountryCodeBox *ListLkz() const { return m_listLkz; }
    TBitBtnWithColor *CommandButton(RaceCommand command) const;
    QAction *CommandAction(RaceCommand command) const;
    TLed *LedModus() const { return m_ledModus; }
    QLabel *LabelModus() const { return m_labelModus; }
    QLabel *LabelMadus2() const { return m_labelMadus2; }
    // The warning line about the light barriers under the command buttons.
    QLabel *LabelLichtschranke() const { return m_labelLichtschranke; }
    // The settings as the running objects hold them now.
    TivanoSettings CurrentSettings() const;

    void bCFGClick();
    void bHelpClick();
    void bInfoClick();
    void bExitClick();
    void ImageDEClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void FormCreate();
    bool FormCloseQuery();
    void FormDestroy();
    void FormResize();

    void CreateTopStrip(QWidget *central);
    void CreateLeftPanel(QWidget *central);
    void CreateHiddenMenu();
    void CreateSerialPort(ComBackend *backend);
    void ApplySettings(const TivanoSettings &settings);
    // Asks through the yes/no dialog with the captions and focus it has now.
    int AskQuestion(const QString &question);

    void ComPortCTS();
    void ComPortDSR();
    void ComPortOpen();
    void ComPortClose();
    void ShowBarrierStatus(const BarrierStatus &status);

    // RaceClockHost
    void ShowTime(DisplayRow row, qint32 milliseconds) override;
    QString CurrentCountryCode() const override;
    void AddResultRow(const QString &timeText, const QString &countryCode) override;
    void ShowResultRow(int row) override;
    void SaveAutosave() override;
    void EnableExportCommands(bool disable) override;
    void ClearProtocol() override;
    void LayoutProtocolColumns() override;
    void UpdateProtocolCommands() override;
    int AskYesNo(const QString &question, const QString &yesCaption,
                 const QString &noCaption) override;
    void FocusControl(FocusTarget target) override;
    qint32 ResultCount() const override;
    void setResultCount(qint32 value) override;
    void CommandStatesChanged() override;

    // CfgDialogHost
    quint32 PortPresenceMask() const override;
    int Precision() const override;
    void setPrecision(int precision) override;
    void ApplyDisplayPrecision(int precision) override;
    TColor DisplayColor(DisplayColour which) const override;
    void setDisplayColor(DisplayColour which, TColor value) override;
    void ApplyDisplayColours() override;
    int LockoutInterval() const override;
    void setLockoutInterval(int ms) override;
    int ButtonLapIndex() const override;
    void setButtonLap(int index, const QString &caption) override;
    bool ClockRunning() const override;
    void ShowStoppedTimes() override;
    int PortNumber() const override;
    void setPortNumber(int port) override;
    int Algorithm() const override;
    void setAlgorithm(int alg) override;
    void ClosePort() override;
    std::optional<QString> OpenPort() override;
    bool PortConnected() const override;
    void SetModeIndicator(bool automatic) override;
    void FocusLeftPanel() override;

    FormMainEnvironment m_environment;
    ClockSource &m_clocks;
    TivanoSettings m_storedSettings; // values kept only to be written back ("Sound")
    int m_buttonLap = 0;

    QWidget *m_topStrip = nullptr;
    QWidget *m_leftPanel = nullptr;
    TTimeDisplay *m_display = nullptr;
    TCountryCodeBox *m_listLkz = nullptr;
    TStartNumberEdit *m_editPred = nullptr;
    std::array<TBitBtnWithColor *, 4> m_buttons{};
    std::array<QAction *, 4> m_actions{};
    TLbSpeedButton *m_bHelp = nullptr;
    TLbSpeedButton *m_bCFG = nullptr;
    TLbSpeedButton *m_bInfo = nullptr;
    TLed *m_ledModus = nullptr;
    QLabel *m_labelModus = nullptr;
    QLabel *m_labelMadus2 = nullptr;
    QLabel *m_labelLichtschranke = nullptr;
    TProtocolPanel *m_protocol = nullptr;
    std::unique_ptr<TComPort> m_comPort;
    std::unique_ptr<RaceClock> m_clock;
    std::unique_ptr<SerialTriggers> m_triggers;
    TCfgDialog *m_cfgDialog = nullptr;
    TFDlgYesNo *m_yesNo = nullptr;
    bool m_destroyed = false;
};
