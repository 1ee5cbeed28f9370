#include "app/MainWindow.h"

#include "app/CountryCodeBox.h"
#include "app/StartNumberEdit.h"
#include "app/TimeDisplay.h"
#include "app/ToolStrip.h"
#include "grid/SortGrid.h"
#include "help/HelpFiles.h"
#include "help/HelpLauncher.h"
#include "platform/ClockSource.h"
#include "platform/FileTypeNames.h"
#include "platform/MakerInfo.h"
#include "protocol/ProtocolAutosaver.h"
#include "protocol/ProtocolColumns.h"
#include "protocol/ProtocolFileCommands.h"
#include "protocol/ProtocolPanel.h"
#include "protocol/ProtocolText.h"
#include "serial/SerialPort.h"
#include "serial/SerialProbe.h"
#include "settings/SettingsDialog.h"
#include "timing/WindowPlacement.h"
#include "widgets/CommandButton.h"
#include "widgets/ConfirmDialog.h"
#include "widgets/FlatToolButton.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QUrl>

const QString MainWindow::LayoutCaption = QStringLiteral("1.1");

namespace {

constexpr int MinimumWidth = 822;
constexpr int MinimumHeight = 434;

QString applicationTitle()
{
    return QApplication::applicationName();
}

} // namespace

MainWindow::MainWindow(const MainWindowEnvironment &environment, QWidget *parent)
    : QMainWindow(parent)
    , m_environment(environment)
    , m_clocks(environment.clocks ? *environment.clocks : defaultClockSource())
    , m_session(m_clocks, environment.serialBackend)
{
    setObjectName(QStringLiteral("mainWindow"));
    if (m_environment.programFolder.isEmpty())
        m_environment.programFolder = QCoreApplication::applicationDirPath();

    auto *central = new QWidget(this);
    setCentralWidget(central);
    m_toolStrip = new ToolStrip(central);
    m_racePanel = new RacePanel(central);
    m_protocol = new ProtocolPanel(central);
    m_protocol->setObjectName(QStringLiteral("protocolPanel"));
    if (!m_environment.autosaveFolder.isEmpty())
        m_protocol->autosaver().setFolder(m_environment.autosaveFolder);
    // The journal lies beside the autosave.
    m_journal = std::make_unique<RaceJournal>(m_protocol->table(), m_environment.journalClock);
    m_journal->setFolder(m_protocol->autosaver().folder());
    createActions();
    connectParts();
    connectJournal();

    setMinimumSize(MinimumWidth, MinimumHeight);
    resize(MinimumWidth, MinimumHeight);
    setUp();
}

MainWindow::~MainWindow()
{
    saveSettings(currentSettings(), m_environment.settings);
    // A protocol not read yet is not written over, nor is the program's end journaled
    // before its start.
    if (m_startRead != StartRead::Done)
        return;
    m_protocol->autosaver().autosave();
    m_session.closePort();
    if (m_startNumbersTyped->isActive())
        recordStartNumbers();
    // The port's closing is the last event before the end.
    m_journal->recordProgramExit();
}

void MainWindow::setDialogs(SettingsDialog *settingsDialog, ConfirmDialog *confirmDialog)
{
    m_settingsDialog = settingsDialog;
    m_confirmDialog = confirmDialog;
    if (m_settingsDialog) {
        SerialBackend &backend = serialPort().backend();
        QMap<int, PortDescription> descriptions;
        for (const int port : presentPorts(::PortPresenceMask))
            descriptions.insert(port, {backend.deviceName(port), backend.ctsInputUsable(port)});
        m_settingsDialog->setPortPresenceMask(::PortPresenceMask, descriptions);
        connect(m_settingsDialog, &SettingsDialog::precisionPreviewed, m_racePanel->display(),
                &TimeDisplay::applyDisplayPrecision);
    }
}

void MainWindow::connectParts()
{
    RaceClock &clock = m_session.clock();
    connect(&clock, &RaceClock::timeShown, m_racePanel->display(), &TimeDisplay::showTime);
    connect(&m_session, &RaceSession::finishRecorded, this, &MainWindow::recordFinish);
    connect(&m_session, &RaceSession::stateChanged, this, &MainWindow::showCommandStates);
    connect(&m_session, &RaceSession::modeChanged, m_racePanel, &RacePanel::showBarrierStatus);
    connect(&m_session, &RaceSession::portOpened, m_racePanel, [this] { m_racePanel->showPortOpen(true); });
    connect(&m_session, &RaceSession::portClosed, m_racePanel, [this] { m_racePanel->showPortOpen(false); });
    connect(&clock, &RaceClock::started, m_racePanel->startNumberEdit(), qOverload<>(&QWidget::setFocus));
    connect(&clock, &RaceClock::stopped, this, [this] {
        m_protocol->setExportEnabled(true);
        commandButton(RaceCommand::Reset)->setFocus();
    });
    connect(&clock, &RaceClock::wasReset, this, [this] {
        m_protocol->resetProtocol();
        noteJournal(m_journal->recordReset());
        commandButton(RaceCommand::Start)->setFocus();
    });

    connect(m_protocol, &ProtocolPanel::clearRequested, this, &MainWindow::clearAfterQuestion);
    connect(m_protocol, &ProtocolPanel::resultCountChanged, this, [this](int count) {
        m_resultCount = count;
        showCommandStates();
    });
    connect(m_protocol, &ProtocolPanel::rowDeleteRequested, this, &MainWindow::deleteRowAfterQuestion);
    connect(m_protocol, &ProtocolPanel::rowInsertRequested, this, &MainWindow::insertRow);
    connect(m_protocol, &ProtocolPanel::errorOccurred, this, [this](const QString &message) {
        QMessageBox::critical(this, applicationTitle(), message, QMessageBox::Ok);
    });

    connect(m_toolStrip, &ToolStrip::helpRequested, this, &MainWindow::showHelp);
    connect(m_toolStrip, &ToolStrip::settingsRequested, this, &MainWindow::showSettings);
    connect(m_toolStrip, &ToolStrip::infoRequested, this, &MainWindow::showInfo);
    connect(m_toolStrip, &ToolStrip::makerSiteRequested, this, &MainWindow::openMakerWebSite);
}

void MainWindow::setUp()
{
    setWindowTitle(applicationTitle() + QLatin1Char(' ') + LayoutCaption);
    Settings settings;
    loadSettings(settings, m_environment.settings);
    applySettings(settings);
    loadCountryCodes();
    m_protocol->files().buildProtocolFileFilters(loadFileTypeNames());
    if (HelpLauncher *help = HelpLauncher::instance())
        help->registerHelpFile(this, locateHelpFile(QCoreApplication::applicationFilePath()));

    m_protocol->initProtocolTable();
    TimeDisplay *display = m_racePanel->display();
    display->applyDisplayPrecision(clock().precision());
    SerialBackend &ports = serialPort().backend();
    const QMap<int, QString> deviceMap = loadDeviceMap(m_environment.settings);
    for (auto it = deviceMap.cbegin(); it != deviceMap.cend(); ++it)
        ports.mapDevice(it.key(), it.value());
    probeSerialPorts(ports);
    display->applyDisplayColours();
    display->showTime(DisplayRow::Upper, 0);
    display->showTime(DisplayRow::Lower, 0);
    const QFileInfo autosave(m_protocol->autosaver().fileName());
    // One too large to be read is refused at once, without a progress bar.
    if (autosave.isFile() && autosave.size() >= m_environment.readAfterShowingBytes
        && autosave.size() <= ProtocolText::MaxFileSize) {
        m_startRead = StartRead::Reading;
        QTimer::singleShot(0, this, &MainWindow::readProtocolAfterShowing);
    } else {
        m_protocol->loadAutosave();
        finishStart(takeJournalAtStart(readJournalBeside(m_journal->fileName(), m_protocol->table())));
    }
    m_protocol->updateProtocolCommands();
    showCommandStates();
    m_protocol->grid()->setFocus();
}

void MainWindow::finishStart(bool protocolAsJournalEnds)
{
    // A crash before the first autosave is written leaves one to take the journal's
    // finishes onto; a missing one means it was taken away.
    if (!QFileInfo::exists(m_protocol->autosaver().fileName()))
        m_protocol->autosaver().autosave();
    // The journal begins with the protocol as it opened, before the port's first event.
    noteJournal(m_journal->recordProgramStart(LayoutCaption, protocolAsJournalEnds));
    noteJournalKeptAside();
    // A port that does not open at start leaves the program in Hand.
    if (m_session.portNumber() != 0) {
        m_session.openPort();
        if (m_session.portConnected())
            m_session.setAutomatic(true);
    }
}

void MainWindow::loadCountryCodes()
{
    const QString folder = m_environment.programFolder;
    const QString beside = QDir(folder).filePath(QStringLiteral("LKZ.txt"));
    CountryCodeBox *box = m_racePanel->countryCodeBox();
    const QString path = QFileInfo::exists(beside)
        ? beside
        : QDir(installedDataFolder(folder)).filePath(QStringLiteral("LKZ.txt"));
    QString error;
    box->loadCountryCodes(path, &error);
    if (!error.isEmpty())
        m_protocol->files().reportReadError(QDir::toNativeSeparators(path), error);
    m_protocol->setCountryCodes(box->entries());
}

void MainWindow::applySettings(const Settings &settings)
{
    m_storedSettings = settings;
    m_session.setPortNumber(settings.port);
    m_session.setAlgorithm(settings.polarity);
    placeWindow(settings);
    setDisplayColours(settings);
    clock().setPrecision(settings.precision);
    m_protocol->files().setSaveTypeIndex(settings.saveTypeIndex);
    clock().setLockoutInterval(settings.lockoutMs);
    setFinishCaption(settings.finishCaptionIndex, settings.finishCaption());
}

void MainWindow::placeWindow(const Settings &settings)
{
    // A stored position off every screen (a monitor unplugged, a damaged settings
    // file) would hide the window at every start, and a size beyond the screen
    // (up to 2^31 - 1 pixels) asks for a window no backing store can hold. The
    // window stays on a screen and within its size; without a stored position the
    // system places it on the primary screen.
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    const bool stored = settings.left && settings.top;
    const QRect bounds
        = openingBounds(stored ? std::optional(QPoint(*settings.left, *settings.top)) : std::nullopt,
                        {qMax(settings.width, MinimumWidth), qMax(settings.height, MinimumHeight)}, screens);
    resize(bounds.size());
    if (stored)
        move(bounds.topLeft());
}

void MainWindow::setFinishCaption(int index, const QString &caption)
{
    m_finishCaptionIndex = index;
    clock().setFinishWord(caption);
}

void MainWindow::setDisplayColours(const Settings &settings)
{
    m_racePanel->display()->setDisplayColours(
        {settings.backgroundColor, settings.runningColor, settings.dimColor, settings.finishColor});
}

Settings MainWindow::currentSettings() const
{
    Settings settings = m_storedSettings;
    settings.left = x();
    settings.top = y();
    settings.width = width();
    settings.height = height();
    settings.port = m_session.portNumber();
    settings.polarity = m_session.algorithm();
    const TimeDisplay::Colours colours = m_racePanel->display()->displayColours();
    settings.backgroundColor = colours.background;
    settings.runningColor = colours.lit;
    settings.dimColor = colours.dim;
    settings.finishColor = colours.finishLit;
    settings.precision = m_session.clock().precision();
    settings.saveTypeIndex = m_protocol->files().saveTypeIndex();
    settings.lockoutMs = m_session.clock().lockoutInterval();
    settings.finishCaptionIndex = m_finishCaptionIndex;
    return settings;
}

void MainWindow::showSettings()
{
    if (!m_settingsDialog)
        return;
    const Settings before = currentSettings();
    if (const std::optional<Settings> edited = m_settingsDialog->edit(before)) {
        applyEditedSettings(*edited);
        recordSettingsChange(before, currentSettings());
    }
    // The preview ends either way: the display shows the clock's precision again.
    m_racePanel->display()->applyDisplayPrecision(clock().precision());
    m_racePanel->setFocus();
}

void MainWindow::applyEditedSettings(const Settings &edited)
{
    setFinishCaption(edited.finishCaptionIndex, edited.finishCaption());
    clock().setLockoutInterval(edited.lockoutMs);
    setDisplayColours(edited);
    TimeDisplay *display = m_racePanel->display();
    display->applyDisplayColours();
    if (!clock().running()) {
        display->showTime(DisplayRow::Upper, clock().elapsedMs());
        display->showTime(DisplayRow::Lower, 0);
    }
    clock().setPrecision(edited.precision);
    if (const std::optional<QString> error = m_session.choosePort(edited.port, edited.polarity))
        QMessageBox::critical(this, QGuiApplication::applicationDisplayName(), *error);
}

bool MainWindow::ask(const QString &question)
{
    return m_confirmDialog && m_confirmDialog->ask(question);
}

void MainWindow::resetAfterQuestion()
{
    if (!clock().enabled(RaceCommand::Reset) || !m_confirmDialog)
        return;
    if (m_confirmDialog->ask(QStringLiteral("Protokoll wird gelöscht!"), QStringLiteral("OK"),
                             QStringLiteral("Abbrechen")))
        clock().reset();
}

void MainWindow::clearAfterQuestion()
{
    if (ask(ProtocolPanel::ClearQuestion)) {
        m_protocol->clearProtocol();
        noteJournal(m_journal->recordClear());
    }
}

void MainWindow::deleteRowAfterQuestion(int row)
{
    // A finish may have come while the question was open; the row keeps its number.
    const QString number = m_protocol->grid()->cells(ProtocolColumns::ColNr, row);
    const bool yes = ask(QStringLiteral("Zeile %1 l\u00f6schen?").arg(number));
    m_protocol->grid()->setFocus();
    if (!yes || row > m_protocol->lastResultRow())
        return;
    const QStringList cells = m_protocol->deleteResultRow(row);
    noteJournal(m_journal->recordRowDeleted(row, cells));
    m_protocol->autosaver().saveInBackground();
}

void MainWindow::insertRow(int row)
{
    noteJournal(m_journal->recordRowInserted(m_protocol->insertResultRow(row)));
    m_protocol->autosaver().saveInBackground();
}

void MainWindow::recordFinish(const RaceFinish &raceFinish)
{
    JournalFinish finish;
    finish.timeText = raceFinish.timeText;
    finish.timeOfDayMs = raceFinish.timeOfDayMs;
    finish.source = raceFinish.source;
    finish.countryCode = m_racePanel->countryCodeBox()->currentText();
    finish.startNumber = m_racePanel->startNumberEdit()->takeNextStartNumber();
    finish.startNumbersLeft = m_racePanel->startNumberEdit()->text();
    // The finish journals the list, with any edit still waiting for its pause.
    m_startNumbersTyped->stop();
    finish.row = m_protocol->addFinish(finish.timeText, finish.countryCode, finish.startNumber);
    // The finish is recorded once its journal line is on the disk; the autosave follows.
    noteJournal(m_journal->recordFinish(finish));
    m_protocol->autosaver().saveInBackground();
    noteStartNumber(finish.startNumber, finish.row);
    m_racePanel->startNumberEdit()->setFocus();
}

void MainWindow::noteStartNumber(const QString &startNumber, int row)
{
    // The finish stands as recorded; the operator only learns that its start number wants
    // a look.
    const auto number = [this](int r) { return m_protocol->grid()->cells(ProtocolColumns::ColNr, r); };
    StartNumberEdit *edit = m_racePanel->startNumberEdit();
    if (startNumber.isEmpty())
        edit->showHint(QStringLiteral("Nr. %1 ohne Startnummer").arg(number(row)));
    else if (const int earlier = m_protocol->resultWithStartNumber(startNumber, row))
        edit->showHint(QStringLiteral("Startnummer %1 schon bei Nr. %2").arg(startNumber, number(earlier)));
}

void MainWindow::showCommandStates()
{
    const RaceClock &raceClock = m_session.clock();
    // While the protocol is read at start, no command is offered.
    const bool offered = m_startRead == StartRead::Done;
    m_racePanel->showCommandStates(raceClock, m_resultCount + 1, offered);
    for (size_t i = 0; i < m_actions.size(); ++i)
        m_actions[i]->setEnabled(offered && raceClock.enabled(RaceCommand(i)));
    m_toolStrip->settingsButton()->setEnabled(raceClock.settingsEnabled());
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_startRead != StartRead::Done) {
        event->setAccepted(m_startRead == StartRead::Cancelled);
        return;
    }
    const bool quiet = !clock().running() && !m_protocol->grid()->modified();
    if (quiet
        || ask(QStringLiteral("Wollen Sie ") + applicationTitle() + QStringLiteral(" wirklich beenden? ")))
        event->accept();
    else
        event->ignore();
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    const QSize area = centralWidget()->size();
    const int top = ToolStrip::StripHeight;
    m_toolStrip->setGeometry(0, 0, area.width(), top);
    m_racePanel->setGeometry(0, top, RacePanel::PanelWidth, area.height() - top);
    m_protocol->setGeometry(RacePanel::PanelWidth, top, area.width() - RacePanel::PanelWidth,
                            area.height() - top);
    m_protocol->layoutProtocolColumns();
}

void MainWindow::showHelp()
{
    if (HelpLauncher *help = HelpLauncher::instance())
        help->showContents();
}

void MainWindow::showInfo()
{
    QMessageBox::information(this, applicationTitle(),
                             applicationTitle() + QLatin1Char(' ') + LayoutCaption
                                 + QStringLiteral("\nZeitmessung für den Zieleinlauf\n\n") + MakerInfo::name()
                                 + QLatin1Char('\n') + MakerInfo::webAddress());
}

void MainWindow::exitProgram()
{
    close();
}

void MainWindow::openMakerWebSite()
{
    QDesktopServices::openUrl(QUrl(MakerInfo::webAddress()));
}
