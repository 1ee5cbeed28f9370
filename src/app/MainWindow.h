#pragma once

#include "settings/SettingsDialogHost.h"
#include "timing/RaceClock.h"
#include "settings/SettingsStore.h"

#include <QMainWindow>
#include <QString>

#include <array>
#include <memory>

struct BarrierStatus;
class SerialBackend;
class QAction;
class QLabel;
class SerialTriggers;
class CommandButton;
class SettingsDialog;
class SerialPort;
class CountryCodeBox;
class ConfirmDialog;
class FlatToolButton;
class StatusLed;
class ProtocolPanel;
class StartNumberEdit;
class TimeDisplay;

// What the main window takes from its surroundings; tests replace each part.
struct MainWindowEnvironment
{
    ClockSource *clocks = nullptr;        // the machine's clocks when null
    SerialBackend *serialBackend = nullptr;  // the platform's serial ports when null
    SettingsLocation settings = SettingsLocation::userStore();
    QString programFolder;                // folder of LKZ.txt and help; the executable's when empty
    QString autosaveFolder;               // the protocol's choice when empty
};

// The main window: the time display, start numbers and country codes, the
// command buttons, the protocol and the serial port, tied together. It gives
// the race clock and the settings dialog the operations they ask for.
class MainWindow : public QMainWindow, public RaceClockHost, public SettingsDialogHost
{
    Q_OBJECT

public:
    static const QString LayoutCaption;

    explicit MainWindow(const MainWindowEnvironment &environment = {}, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The dialogs the program entry creates after the window.
    void setDialogs(SettingsDialog *cfgDialog, ConfirmDialog *yesNoDialog);

    RaceClock &clock() { return *m_clock; }
    TimeDisplay &display() { return *m_display; }
    ProtocolPanel &protocol() { return *m_protocol; }
    SerialPort &comPort() { return *m_comPort; }
    SerialTriggers &triggers() { return *m_triggers; }
    StartNumberEdit *startNumberEdit() const { return m_startNumberEdit; }
    CountryCodeBox *countryCodeBox() const { return m_countryCodeBox; }
    CommandButton *commandButton(RaceCommand command) const;
    QAction *commandAction(RaceCommand command) const;
    StatusLed *modeLed() const { return m_modeLed; }
    QLabel *modeLabel() const { return m_modeLabel; }
    QLabel *modeCaption() const { return m_modeCaption; }
    // The warning line about the light barriers under the command buttons.
    QLabel *barrierWarningLabel() const { return m_labelLichtschranke; }
    // The settings as the running objects hold them now.
    Settings currentSettings() const;

    void showSettings();
    void showHelp();
    void showInfo();
    void exitProgram();
    void openMakerWebSite();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void setUp();
    bool confirmClose();
    void shutDown();
    void layOutPanels();

    void createTopStrip(QWidget *central);
    void createLeftPanel(QWidget *central);
    void createHiddenMenu();
    void createSerialPort(SerialBackend *backend);
    void applySettings(const Settings &settings);
    // Asks through the yes/no dialog with the captions and focus it has now.
    int askQuestion(const QString &question);

    void portOpened();
    void portClosed();
    void showBarrierStatus(const BarrierStatus &status);

    // RaceClockHost
    void showTime(DisplayRow row, qint32 milliseconds) override;
    QString currentCountryCode() const override;
    void addResultRow(const QString &timeText, const QString &countryCode) override;
    void showResultRow(int row) override;
    void saveAutosave() override;
    void enableExportCommands(bool disable) override;
    void clearProtocol() override;
    void layoutProtocolColumns() override;
    void updateProtocolCommands() override;
    int askYesNo(const QString &question, const QString &yesCaption,
                 const QString &noCaption) override;
    void focusControl(FocusTarget target) override;
    qint32 lastResultRow() const override;
    void setLastResultRow(qint32 value) override;
    void commandStatesChanged() override;

    // SettingsDialogHost
    quint32 portPresenceMask() const override;
    int precision() const override;
    void setPrecision(int precision) override;
    void applyDisplayPrecision(int precision) override;
    ColorValue displayColor(DisplayColour which) const override;
    void setDisplayColor(DisplayColour which, ColorValue value) override;
    void applyDisplayColours() override;
    int lockoutInterval() const override;
    void setLockoutInterval(int ms) override;
    int buttonLapIndex() const override;
    void setButtonLap(int index, const QString &caption) override;
    bool clockRunning() const override;
    void showStoppedTimes() override;
    int portNumber() const override;
    void setPortNumber(int port) override;
    int algorithm() const override;
    void setAlgorithm(int alg) override;
    void closePort() override;
    std::optional<QString> openPort() override;
    bool portConnected() const override;
    void setModeIndicator(bool automatic) override;
    void focusLeftPanel() override;

    MainWindowEnvironment m_environment;
    ClockSource &m_clocks;
    Settings m_storedSettings; // values kept only to be written back ("Sound")
    int m_buttonLap = 0;

    QWidget *m_topStrip = nullptr;
    QWidget *m_leftPanel = nullptr;
    TimeDisplay *m_display = nullptr;
    CountryCodeBox *m_countryCodeBox = nullptr;
    StartNumberEdit *m_startNumberEdit = nullptr;
    std::array<CommandButton *, 4> m_buttons{};
    std::array<QAction *, 4> m_actions{};
    FlatToolButton *m_helpButton = nullptr;
    FlatToolButton *m_settingsButton = nullptr;
    FlatToolButton *m_infoButton = nullptr;
    StatusLed *m_modeLed = nullptr;
    QLabel *m_modeLabel = nullptr;
    QLabel *m_modeCaption = nullptr;
    QLabel *m_labelLichtschranke = nullptr;
    ProtocolPanel *m_protocol = nullptr;
    std::unique_ptr<SerialPort> m_comPort;
    std::unique_ptr<RaceClock> m_clock;
    std::unique_ptr<SerialTriggers> m_triggers;
    SettingsDialog *m_settingsDialog = nullptr;
    ConfirmDialog *m_confirmDialog = nullptr;
    bool m_destroyed = false;
};
