#pragma once

#include "app/InputEventTime.h"
#include "app/RacePanel.h"
#include "journal/JournalReplay.h"
#include "journal/RaceJournal.h"
#include "journal/RunningRace.h"
#include "settings/QtSettingsKey.h"
#include "settings/SettingsStore.h"
#include "timing/RaceSession.h"

#include <QMainWindow>
#include <QString>

#include <array>
#include <memory>
#include <optional>

class ClockSource;
class ConfirmDialog;
class ProtocolPanel;
class QAction;
class QTimer;
class SerialBackend;
class SettingsDialog;
class ToolStrip;

// What the main window takes from its surroundings; tests replace each part.
struct MainWindowEnvironment
{
    ClockSource *clocks = nullptr; // the machine's clocks when null
    SerialBackend *serialBackend = nullptr; // the platform's serial ports when null
    SettingsLocation settings = SettingsLocation::userStore();
    QString programFolder; // folder of LKZ.txt and help; the executable's when empty
    QString autosaveFolder; // the protocol's choice when empty
    JournalFile::Clock journalClock; // the machine's local time when null
    // Whether key and mouse finishes take the window system's event stamps; when not, a
    // press happened when the window sees it.
    bool useEventStamps = InputEventTime::platformStampsEvents();
    // An autosave of this size or more is read, with the journal beside it, on a worker
    // once the window shows, behind a progress bar.
    qint64 readAfterShowingBytes = qint64(4) << 20;
};

// The main window: the tool strip on top, the race panel on the left and the
// protocol on the right, showing one race session. It is the one place that
// connects them, and the one that asks the operator.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    static const QString LayoutCaption;

    explicit MainWindow(const MainWindowEnvironment &environment = {}, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The dialogs the program entry creates after the window. Without a
    // confirmation dialog every question is answered no.
    void setDialogs(SettingsDialog *settingsDialog, ConfirmDialog *confirmDialog);

    RaceSession &session() { return m_session; }
    RaceClock &clock() { return m_session.clock(); }
    SerialPort &serialPort() { return m_session.port(); }
    SerialTriggers &triggers() { return m_session.triggers(); }
    ProtocolPanel &protocol() { return *m_protocol; }
    RaceJournal &journal() { return *m_journal; }
    TimeDisplay &display() { return *m_racePanel->display(); }
    StartNumberEdit *startNumberEdit() const { return m_racePanel->startNumberEdit(); }
    CountryCodeBox *countryCodeBox() const { return m_racePanel->countryCodeBox(); }
    CommandButton *commandButton(RaceCommand command) const { return m_racePanel->commandButton(command); }
    QAction *commandAction(RaceCommand command) const { return m_actions[size_t(command)]; }
    StatusLed *modeLed() const { return m_racePanel->modeLed(); }
    QLabel *modeLabel() const { return m_racePanel->modeLabel(); }
    QLabel *modeCaption() const { return m_racePanel->modeCaption(); }
    QLabel *barrierWarningLabel() const { return m_racePanel->barrierWarningLabel(); }
    // The settings as the running objects hold them now.
    Settings currentSettings() const;

    void showSettings();
    void showHelp();
    void showInfo();
    void exitProgram();
    void openMakerWebSite();
    // Asks for a point of the journal, then for consent, and puts the protocol back as it
    // stood there.
    void restoreFromJournal();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void createActions();
    void connectParts();
    void setUp();
    void loadCountryCodes();
    void applySettings(const Settings &settings);
    void applyEditedSettings(const Settings &edited);
    void placeWindow(const Settings &settings);
    void setFinishCaption(int index, const QString &caption);
    void setDisplayColours(const Settings &settings);
    bool ask(const QString &question);

    void resetAfterQuestion();
    void clearAfterQuestion();
    void deleteRowAfterQuestion(int row);
    void insertRow(int row);
    // ZIEL by key or mouse, at the time of the press.
    void recordOperatorFinish(FinishSource source);
    // The finish becomes a result with the next start number, and a journal line.
    void recordFinish(const RaceFinish &raceFinish);
    // A short note in the start-number line when a finish got no start number or one that
    // an earlier result already has.
    void noteStartNumber(const QString &startNumber, int row);
    void showCommandStates();

    // The journal's side of the window (MainWindowJournal.cpp).
    void connectJournal();
    void recordSettingsChange(const Settings &before, const Settings &after);
    // Shows whether the latest journal write failed.
    void noteJournal(bool written);
    // The time of day at `tick`, read back from the clocks now.
    qint32 timeOfDayAt(quint32 tick) const;
    // What the journal holds at start (MainWindowStartRecovery.cpp): finishes an autosave
    // left behind by a crash lacks are taken at once; a race running when the program
    // ended (a crash, a close) is offered to be continued, another protocol that the
    // autosave lacks to be restored, and a journal kept aside is shown, once the window
    // is active.
    struct JournalAhead
    {
        MemoryProtocolTable protocol; // as the journal ends
        qint64 endSequence = 0; // one past its last event
    };
    // What the journal says at start beside the autosave, read on any thread: the race it
    // leaves running, its end and whether the autosave would hold that end alike.
    struct JournalAtStart
    {
        std::optional<UnfinishedRace> unfinishedRace;
        std::optional<JournalReplay::Ending> end; // nothing when it holds no event
        bool endSavedAlike = false;
        qint64 endSequence = 0; // one past its last event
    };
    static JournalAtStart readJournalBeside(const QString &journal, const ProtocolTable &autosave);
    // Acts on it; returns whether the protocol shown is what the journal ends with.
    bool takeJournalAtStart(JournalAtStart read);
    // The start once the protocol is shown: journaled, the port opened.
    void finishStart(bool protocolAsJournalEnds);
    // A large autosave and the journal beside it, read on a worker while the window shows
    // a progress bar and takes no command.
    void readProtocolAfterShowing();
    void noteJournalKeptAside();
    void askStartQuestions();
    void offerToContinueRace(const UnfinishedRace &unfinished);
    void continueRace(const UnfinishedRace &unfinished);
    void offerJournalEnd(const JournalAhead &ahead);
    // The start-number list edited during a race is journaled once the typing pauses,
    // and at the latest when the program ends.
    void recordStartNumbers();

    MainWindowEnvironment m_environment;
    ClockSource &m_clocks;
    RaceSession m_session;
    Settings m_storedSettings; // values kept only to be written back ("Sound")
    int m_finishCaptionIndex = 0;
    int m_resultCount = 0; // as the protocol last announced it; ZIEL shows the next number

    InputEventTime *m_inputTime = nullptr;
    ToolStrip *m_toolStrip = nullptr;
    RacePanel *m_racePanel = nullptr;
    ProtocolPanel *m_protocol = nullptr;
    std::unique_ptr<RaceJournal> m_journal;
    std::optional<UnfinishedRace> m_unfinishedRace;
    std::optional<JournalAhead> m_journalAhead;
    std::optional<JournalFile::KeptAside> m_journalKeptAside;
    // Reading: the autosave is read after showing and the window waits; Cancelled: the
    // operator cancelled that read and the program ends, its files untouched.
    enum class StartRead { Done, Reading, Cancelled };
    StartRead m_startRead = StartRead::Done;
    QTimer *m_startNumbersTyped = nullptr; // runs while a list edit is not yet journaled
    std::array<QAction *, 4> m_actions{};
    SettingsDialog *m_settingsDialog = nullptr;
    ConfirmDialog *m_confirmDialog = nullptr;
};
