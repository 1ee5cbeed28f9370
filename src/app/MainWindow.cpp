#include "app/MainWindow.h"

#include "timing/BarrierStatus.h"
#include "widgets/CommandButton.h"
#include "settings/SettingsDialog.h"
#include "platform/ClockSource.h"
#include "serial/SerialPort.h"
#include "app/CountryCodeBox.h"
#include "widgets/ConfirmDialog.h"
#include "platform/FileTypeNames.h"
#include "widgets/StatusLed.h"
#include "help/HelpFiles.h"
#include "platform/MakerInfo.h"
#include "protocol/ProtocolPanel.h"
#include "help/HelpLauncher.h"
#include "serial/SerialProbe.h"
#include "timing/SerialTriggers.h"
#include "grid/SortGrid.h"
#include "widgets/FlatToolButton.h"
#include "app/StartNumberEdit.h"
#include "app/TimeDisplay.h"
#include "timing/WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>
#include <QUrl>

const QString MainWindow::LayoutCaption = QStringLiteral("1.1");

namespace {

struct CommandLayout
{
    const char *buttonName;
    const char *actionName;
    const char *caption;
    const char *actionCaption;
    const char *hint;
    Qt::Key shortcut;
    int left;
    int width;
    ColorValue textColor;
};

// Buttons along the bottom edge of the left panel, top 314, height 42.
constexpr std::array<CommandLayout, 4> CommandLayouts = {{
    {"bSTART", "mStart", "START", "Start", "F5", Qt::Key_F5, 4, 125, Colors::clWhite},
    {"bLAP", "mLAP", "", "Sp&lit", "F4", Qt::Key_F4, 136, 145, Colors::clGray},
    {"bSTOP", "mStop", "STOPP", "Sto&pp", "F9", Qt::Key_F9, 288, 105, Colors::clWhite},
    {"bRESET", "mReset", "00:00", "0,00", "", Qt::Key_unknown, 400, 86, Colors::clWhite},
}};
constexpr int CommandButtonTop = 314;
constexpr int CommandButtonHeight = 42;
constexpr int LeftPanelWidth = 492;
constexpr int TopStripHeight = 35;
constexpr int MinimumWidth = 822;
constexpr int MinimumHeight = 434;

QString applicationTitle()
{
    return QApplication::applicationName();
}

QLabel *makeLabel(const char *name, const QString &text, QWidget *parent, QRect geometry)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    return label;
}

QPixmap standardGlyph(QStyle::StandardPixmap which)
{
    return QApplication::style()->standardIcon(which).pixmap(24, 24);
}

} // namespace

MainWindow::MainWindow(const MainWindowEnvironment &environment, QWidget *parent)
    : QMainWindow(parent)
    , m_environment(environment)
    , m_clocks(environment.clocks ? *environment.clocks : defaultClockSource())
{
    setObjectName(QStringLiteral("FormMain"));
    if (m_environment.programFolder.isEmpty())
        m_environment.programFolder = QCoreApplication::applicationDirPath();

    auto *central = new QWidget(this);
    setCentralWidget(central);
    m_clock = std::make_unique<RaceClock>(*this, m_clocks);
    m_triggers = std::make_unique<SerialTriggers>(*m_clock);

    createTopStrip(central);
    createLeftPanel(central);
    m_protocol = new ProtocolPanel(central);
    m_protocol->setObjectName(QStringLiteral("PanelProtocol"));
    m_protocol->takeNextStartNumber = [this] { return m_startNumberEdit->takeNextStartNumber(); };
    m_protocol->askYesNo = [this](const QString &question) { return askQuestion(question); };
    if (!m_environment.autosaveFolder.isEmpty())
        m_protocol->setAutosaveFolder(m_environment.autosaveFolder);
    createHiddenMenu();
    createSerialPort(environment.serialBackend);

    setMinimumSize(MinimumWidth, MinimumHeight);
    resize(MinimumWidth, MinimumHeight);
    setUp();
}

MainWindow::~MainWindow()
{
    shutDown();
}

void MainWindow::setDialogs(SettingsDialog *cfgDialog, ConfirmDialog *yesNoDialog)
{
    m_settingsDialog = cfgDialog;
    m_confirmDialog = yesNoDialog;
}

void MainWindow::createTopStrip(QWidget *central)
{
    m_topStrip = new QWidget(central);
    m_topStrip->setObjectName(QStringLiteral("Panel1"));

    auto makeButton = [this](const char *name, const QString &hint, QStyle::StandardPixmap glyph,
                             int left, void (MainWindow::*handler)()) {
        auto *button = new FlatToolButton(m_topStrip);
        button->setObjectName(QLatin1String(name));
        button->setHint(hint);
        button->setAccessibleName(hint);
        button->setGlyph(standardGlyph(glyph));
        button->setCursor(Qt::PointingHandCursor);
        button->setGeometry(left, 2, 31, 31);
        button->OnClick = [this, handler](FlatToolButton *) { (this->*handler)(); };
        return button;
    };
    m_helpButton = makeButton("bHelp", QStringLiteral("Hilfe (F1)"), QStyle::SP_MessageBoxQuestion, 4,
                         &MainWindow::showHelp);
    m_settingsButton = makeButton("bCFG", QStringLiteral("Einstellungen (F2)"),
                        QStyle::SP_FileDialogDetailedView, 38, &MainWindow::showSettings);
    m_infoButton = makeButton("bInfo", QStringLiteral("Info (F3)"), QStyle::SP_MessageBoxInformation,
                         72, &MainWindow::showInfo);

    // The maker's logo: the name in three coloured pieces, opening the web site.
    QFont logoFont(QStringLiteral("Arial"));
    logoFont.setPixelSize(20);
    logoFont.setBold(true);
    const std::array<std::pair<const char *, const char *>, 3> pieces = {
        {{"Kor", "#c00000"}, {"va", "#008000"}, {"no", "#000080"}}};
    int left = 120;
    for (size_t i = 0; i < pieces.size(); ++i) {
        auto *label = new QLabel(QLatin1String(pieces[i].first), m_topStrip);
        label->setObjectName(QStringLiteral("ImageDE%1").arg(i + 1));
        label->setFont(logoFont);
        label->setStyleSheet(QStringLiteral("color: %1").arg(QLatin1String(pieces[i].second)));
        label->setCursor(Qt::PointingHandCursor);
        label->setToolTip(MakerInfo::webAddress());
        label->setAccessibleName(MakerInfo::name());
        label->adjustSize();
        label->move(left, (TopStripHeight - label->height()) / 2);
        left += label->width();
        label->installEventFilter(this);
    }
}

void MainWindow::createLeftPanel(QWidget *central)
{
    m_leftPanel = new QWidget(central);
    m_leftPanel->setObjectName(QStringLiteral("PanelLeft"));
    m_display = new TimeDisplay(m_leftPanel);

    makeLabel("LabelNr", QStringLiteral("LKZ:"), m_leftPanel, QRect(40, 248, 92, 20))
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_countryCodeBox = new CountryCodeBox(m_leftPanel);
    m_countryCodeBox->setGeometry(136, 244, 121, 26);
    makeLabel("Label2", QStringLiteral("Startnummer:"), m_leftPanel, QRect(20, 282, 112, 20))
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_startNumberEdit = new StartNumberEdit(m_leftPanel);
    m_startNumberEdit->setGeometry(136, 278, 350, 26);

    // The mode follows the serial port: Auto while it is open, Hand otherwise.
    m_modeCaption = makeLabel("LabelMadus2", QStringLiteral("Modus:"), m_leftPanel,
                              QRect(300, 248, 60, 20));
    m_modeLed = new StatusLed(m_leftPanel);
    m_modeLed->setObjectName(QStringLiteral("LedModus"));
    m_modeLed->setGeometry(362, 250, 16, 16);
    m_modeLed->setKind(StatusLed::lkRed);
    m_modeLed->setValue(true);
    m_modeLed->setAccessibleName(QStringLiteral("Modus"));
    m_modeLabel = makeLabel("LabelModus", QStringLiteral("&Hand"), m_leftPanel,
                             QRect(384, 248, 80, 20));
    // The labels show "&Auto" and "&Modus:" with the mnemonic underlined.
    m_modeLabel->setBuddy(m_modeLed);
    m_modeCaption->setBuddy(m_modeLed);
    // Below the command buttons: why the barriers do not act, when they do not.
    m_labelLichtschranke = makeLabel("LabelLichtschranke", QString(), m_leftPanel,
                                     QRect(4, 360, 484, 34));
    m_labelLichtschranke->setWordWrap(true);
    m_labelLichtschranke->setStyleSheet(QStringLiteral("color: #B00000;"));
    m_labelLichtschranke->setVisible(false);

    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(24);
    font.setBold(true);
    for (size_t i = 0; i < CommandLayouts.size(); ++i) {
        const CommandLayout &layout = CommandLayouts[i];
        auto *button = new CommandButton(QString::fromUtf8(layout.caption), m_leftPanel);
        button->setObjectName(QLatin1String(layout.buttonName));
        button->setFont(font);
        button->setGeometry(layout.left, CommandButtonTop, layout.width, CommandButtonHeight);
        button->setToolTip(QLatin1String(layout.hint));
        QPalette palette = button->palette();
        palette.setColor(QPalette::ButtonText, toQColor(layout.textColor));
        button->setPalette(palette);
        m_buttons[i] = button;
    }
    commandButton(RaceCommand::Lap)->setAccessibleName(QStringLiteral("ZIEL"));
}

void MainWindow::createHiddenMenu()
{
    using Handler = void (RaceClock::*)();
    constexpr std::array<Handler, 4> handlers = {&RaceClock::start, &RaceClock::recordFinish,
                                                 &RaceClock::stop, &RaceClock::reset};
    auto addAction = [this](const char *name, const QString &caption,
                            const QList<QKeySequence> &shortcuts) {
        auto *action = new QAction(caption, this);
        action->setObjectName(QLatin1String(name));
        action->setShortcuts(shortcuts);
        action->setShortcutContext(Qt::WindowShortcut);
        QMainWindow::addAction(action); // the window carries the shortcuts; no menu bar is shown
        return action;
    };

    for (size_t i = 0; i < CommandLayouts.size(); ++i) {
        const CommandLayout &layout = CommandLayouts[i];
        QList<QKeySequence> keys;
        if (layout.shortcut != Qt::Key_unknown)
            keys << QKeySequence(layout.shortcut);
        QAction *action = addAction(layout.actionName, QString::fromUtf8(layout.actionCaption), keys);
        connect(action, &QAction::triggered, m_clock.get(), handlers[i]);
        m_actions[i] = action;
        // The button acts on the press of any mouse button, through its menu
        // command, so that a disabled command does nothing.
        m_buttons[i]->OnMouseDown = [action](CommandButton *) { action->trigger(); };
    }
    // Space or Enter on a focused START, STOPP or reset button; ZIEL has no click.
    for (RaceCommand command : {RaceCommand::Start, RaceCommand::Stop, RaceCommand::Reset}) {
        QAction *action = commandAction(command);
        commandButton(command)->OnClick = [action](CommandButton *) { action->trigger(); };
    }

    connect(addAction("EinstellunGen1", QStringLiteral("&Einstellungen"), {QKeySequence(Qt::ALT | Qt::Key_E)}),
            &QAction::triggered, this, &MainWindow::showSettings);
    connect(addAction("mHilfe", QStringLiteral("Hilfe"), {QKeySequence(Qt::Key_F1)}),
            &QAction::triggered, this, &MainWindow::showHelp);
    connect(addAction("Hilfe1", QStringLiteral("H&ilfe"), {QKeySequence(Qt::ALT | Qt::Key_I)}),
            &QAction::triggered, this, &MainWindow::showHelp);
    connect(addAction("Drucker1", QStringLiteral("&Drucker"), {QKeySequence(Qt::ALT | Qt::Key_D)}),
            &QAction::triggered, m_protocol, &ProtocolPanel::printPage);
    connect(addAction("Beenden1", QStringLiteral("&Beenden"), {QKeySequence(Qt::ALT | Qt::Key_B)}),
            &QAction::triggered, this, &MainWindow::exitProgram);
    // The mode commands only show the mode; they are never enabled.
    addAction("Modus1", QStringLiteral("Modus"), {QKeySequence(Qt::ALT | Qt::Key_M)})->setEnabled(false);
    addAction("Auto1", QStringLiteral("&Auto"), {QKeySequence(Qt::ALT | Qt::Key_H)})->setEnabled(false);
    addAction("Hand1", QStringLiteral("&Hand"), {QKeySequence(Qt::ALT | Qt::Key_A)})->setEnabled(false);
}

void MainWindow::createSerialPort(SerialBackend *backend)
{
    m_comPort = std::make_unique<SerialPort>(nullptr, backend);
    SerialPort &port = *m_comPort;
    port.setBaudRate(br9600);
    port.setBaudRateUser(28800);
    port.setPort(0);
    port.setParity(prNone);
    port.setStopBits(sbOneStopBit);
    port.setFlowControl(fcRtsCts);
    port.setDataBits(5);
    port.setEvents(eventSet(evCTS) | eventSet(evDSR));
    port.setEnableDTR(true);
    port.setWriteBufSize(64);
    port.setReadBufSize(64);
    // Barrier events carry the time of the edge, read from the race clock's clocks.
    port.setClockSource(&m_clocks);
    m_triggers->listenTo(port);
    connect(&port, &SerialPort::opened, this, &MainWindow::portOpened);
    connect(&port, &SerialPort::closed, this, &MainWindow::portClosed);
    connect(&port, &SerialPort::eventsLost, this, [this] { setModeIndicator(m_comPort->connected()); });
}

void MainWindow::setUp()
{
    setWindowTitle(applicationTitle() + QLatin1Char(' ') + LayoutCaption);

    Settings settings;
    loadSettings(settings, m_environment.settings);
    applySettings(settings);

    const QString programFolder = m_environment.programFolder;
    const QString lkzBeside = QDir(programFolder).filePath(QStringLiteral("LKZ.txt"));
    m_countryCodeBox->loadCountryCodes(QFileInfo::exists(lkzBeside)
                                    ? lkzBeside
                                    : QDir(installedDataFolder(programFolder)).filePath(QStringLiteral("LKZ.txt")));
    m_protocol->setCountryCodes(m_countryCodeBox->entries());

    m_protocol->buildProtocolFileFilters(loadFileTypeNames());

    if (HelpLauncher *help = HelpLauncher::instance())
        help->registerHelpFile(this, locateHelpFile(QCoreApplication::applicationFilePath()));

    m_protocol->initProtocolTable();
    m_display->applyDisplayPrecision(m_clock->precision());
    probeSerialPorts(m_comPort->backend());
    m_display->applyDisplayColours();
    showTime(DisplayRow::Upper, 0);
    showTime(DisplayRow::Lower, 0);

    if (m_comPort->port() != 0) {
        try {
            m_comPort->open();
        } catch (const SerialPortError &) {
            // A port that does not open at start leaves the program in Hand.
        }
        if (m_comPort->connected())
            setModeIndicator(true);
    }

    m_protocol->loadAutosave();
    m_protocol->updateProtocolCommands();
    commandStatesChanged();
    m_protocol->grid->setFocus();
}

void MainWindow::applySettings(const Settings &settings)
{
    m_storedSettings = settings;
    m_comPort->setPort(quint8(settings.port & 0xFF));
    m_comPort->setTag(settings.polarity);
    m_triggers->setAlg(settings.polarity);
    // A stored position off every screen (a monitor unplugged, a damaged settings
    // file) would hide the window at every start, and a size beyond the screen
    // (up to 2^31 - 1 pixels) asks for a window no backing store can hold. The
    // window stays on a screen and within its size; without a stored position the
    // system places it on the primary screen.
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    const QPoint position = settings.left && settings.top ? QPoint(*settings.left, *settings.top)
                            : screens.isEmpty()            ? QPoint()
                                                           : screens.first().topLeft(); // the primary
    const QSize size(qMax(settings.width, MinimumWidth), qMax(settings.height, MinimumHeight));
    const QRect bounds = keepOnScreen(position, size, screens);
    resize(bounds.size());
    if (settings.left && settings.top)
        move(bounds.topLeft());
    m_display->setDisplayColours({settings.backgroundColor, settings.runningColor, settings.dimColor, settings.finishColor});
    m_clock->setPrecision(settings.precision);
    m_protocol->setFilterInd(settings.saveFilterIndex);
    m_clock->setLockoutInterval(settings.lockoutMs);
    setButtonLap(settings.finishCaptionIndex, settings.finishCaption());
}

Settings MainWindow::currentSettings() const
{
    Settings settings = m_storedSettings;
    settings.left = x();
    settings.top = y();
    settings.width = width();
    settings.height = height();
    settings.port = m_comPort->port();
    settings.polarity = m_comPort->tag();
    const TimeDisplay::Colours colours = m_display->displayColours();
    settings.backgroundColor = colours.background;
    settings.runningColor = colours.lit;
    settings.dimColor = colours.dim;
    settings.finishColor = colours.finishLit;
    settings.precision = m_clock->precision();
    settings.saveFilterIndex = m_protocol->filterInd();
    settings.lockoutMs = m_clock->lockoutInterval();
    settings.finishCaptionIndex = m_buttonLap;
    return settings;
}

bool MainWindow::confirmClose()
{
    const bool ask = m_clock->running() || m_protocol->grid->modified();
    if (!ask)
        return true;
    const QString question = QStringLiteral("Wollen Sie ") + applicationTitle()
                             + QStringLiteral(" wirklich beenden? ");
    return askQuestion(question) == ConfirmDialog::mrYes;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (confirmClose())
        event->accept();
    else
        event->ignore();
}

void MainWindow::shutDown()
{
    if (m_destroyed)
        return;
    m_destroyed = true;
    m_protocol->autosave();
    saveSettings(currentSettings(), m_environment.settings);
    m_comPort->close();
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    layOutPanels();
}

void MainWindow::layOutPanels()
{
    const QSize area = centralWidget()->size();
    m_topStrip->setGeometry(0, 0, area.width(), TopStripHeight);
    m_leftPanel->setGeometry(0, TopStripHeight, LeftPanelWidth, area.height() - TopStripHeight);
    m_protocol->setGeometry(LeftPanelWidth, TopStripHeight, area.width() - LeftPanelWidth,
                            area.height() - TopStripHeight);
    m_protocol->layoutProtocolColumns();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    const bool press = event->type() == QEvent::MouseButtonPress
                       || event->type() == QEvent::MouseButtonDblClick;
    if (press && watched->objectName().startsWith(QLatin1String("ImageDE"))) {
        openMakerWebSite();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::showSettings()
{
    if (m_settingsDialog)
        m_settingsDialog->execute();
}

void MainWindow::showHelp()
{
    if (HelpLauncher *help = HelpLauncher::instance())
        help->showContents();
}

void MainWindow::showInfo()
{
    QMessageBox::information(
        this, applicationTitle(),
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

void MainWindow::portOpened()
{
    m_modeCaption->setText(QStringLiteral("&Modus:"));
    m_modeLed->setCursor(Qt::PointingHandCursor);
}

void MainWindow::portClosed()
{
    m_modeCaption->setText(QStringLiteral("Modus:"));
    m_modeLed->unsetCursor();
    // Auto exactly while the port is open: a port that closes because its
    // adapter vanished must not leave the operator believing in Auto.
    setModeIndicator(false);
}

CommandButton *MainWindow::commandButton(RaceCommand command) const
{
    return m_buttons[size_t(command)];
}

QAction *MainWindow::commandAction(RaceCommand command) const
{
    return m_actions[size_t(command)];
}

// ---- RaceClockHost

void MainWindow::showTime(DisplayRow row, qint32 milliseconds)
{
    m_display->showTime(row, milliseconds);
}

QString MainWindow::currentCountryCode() const
{
    return m_countryCodeBox->currentText();
}

void MainWindow::addResultRow(const QString &timeText, const QString &countryCode)
{
    m_protocol->addResultRow(timeText, countryCode);
}

void MainWindow::showResultRow(int row)
{
    SortGrid *grid = m_protocol->grid;
    grid->setFixedCols(1);
    grid->setSelection({1, row, grid->colCount() - 1, row});
    if (grid->visibleRowCount() < row)
        grid->setTopRow(row - grid->visibleRowCount() + 1);
}

void MainWindow::saveAutosave()
{
    m_protocol->autosave();
}

void MainWindow::enableExportCommands(bool disable)
{
    m_protocol->enableExportCommands(disable);
}

void MainWindow::clearProtocol()
{
    m_protocol->clearTable();
}

void MainWindow::layoutProtocolColumns()
{
    m_protocol->layoutProtocolColumns();
}

void MainWindow::updateProtocolCommands()
{
    m_protocol->updateProtocolCommands();
}

int MainWindow::askYesNo(const QString &question, const QString &yesCaption,
                        const QString &noCaption)
{
    // The reset question: its own captions and the "no" button focused. The
    // focus stays there for later questions; the captions are put back.
    if (!m_confirmDialog)
        return ConfirmDialog::mrNo;
    m_confirmDialog->setButtonCaptions(yesCaption, noCaption);
    m_confirmDialog->setActiveControl(m_confirmDialog->noButton);
    const int answer = askQuestion(question);
    m_confirmDialog->setButtonCaptions(ConfirmDialog::YesCaption, ConfirmDialog::NoCaption);
    return answer;
}

int MainWindow::askQuestion(const QString &question)
{
    if (!m_confirmDialog)
        return ConfirmDialog::mrNo;
    m_confirmDialog->questionLabel->setText(question);
    return m_confirmDialog->showModal();
}

void MainWindow::focusControl(FocusTarget target)
{
    switch (target) {
    case FocusTarget::StartNumbers: m_startNumberEdit->setFocus(); break;
    case FocusTarget::StartButton: commandButton(RaceCommand::Start)->setFocus(); break;
    case FocusTarget::ResetButton: commandButton(RaceCommand::Reset)->setFocus(); break;
    }
}

qint32 MainWindow::lastResultRow() const
{
    return m_protocol->lastResultRow();
}

void MainWindow::setLastResultRow(qint32 value)
{
    m_protocol->setLastResultRow(value);
}

void MainWindow::commandStatesChanged()
{
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        const CommandButtonState &state = m_clock->button(RaceCommand(i));
        m_buttons[i]->setEnabled(state.enabled);
        m_actions[i]->setEnabled(state.enabled);
        m_buttons[i]->setColor(state.color);
    }
    m_settingsButton->setEnabled(m_clock->settingsEnabled());
    commandButton(RaceCommand::Lap)->setText(m_clock->lapCaption());
}

// ---- SettingsDialogHost

quint32 MainWindow::portPresenceMask() const
{
    return ::PortPresenceMask;
}

int MainWindow::precision() const
{
    return m_clock->precision();
}

void MainWindow::setPrecision(int precision)
{
    m_clock->setPrecision(precision);
}

void MainWindow::applyDisplayPrecision(int precision)
{
    m_display->applyDisplayPrecision(precision);
}

ColorValue MainWindow::displayColor(DisplayColour which) const
{
    const TimeDisplay::Colours colours = m_display->displayColours();
    switch (which) {
    case DisplayColour::C1: return colours.background;
    case DisplayColour::C2: return colours.lit;
    case DisplayColour::C3: return colours.dim;
    case DisplayColour::C4: return colours.finishLit;
    }
    return colours.background;
}

void MainWindow::setDisplayColor(DisplayColour which, ColorValue value)
{
    TimeDisplay::Colours colours = m_display->displayColours();
    switch (which) {
    case DisplayColour::C1: colours.background = value; break;
    case DisplayColour::C2: colours.lit = value; break;
    case DisplayColour::C3: colours.dim = value; break;
    case DisplayColour::C4: colours.finishLit = value; break;
    }
    m_display->setDisplayColours(colours);
}

void MainWindow::applyDisplayColours()
{
    m_display->applyDisplayColours();
}

int MainWindow::lockoutInterval() const
{
    return m_clock->lockoutInterval();
}

void MainWindow::setLockoutInterval(int ms)
{
    m_clock->setLockoutInterval(ms);
}

int MainWindow::buttonLapIndex() const
{
    return m_buttonLap;
}

void MainWindow::setButtonLap(int index, const QString &caption)
{
    m_buttonLap = index;
    m_clock->setFinishWord(caption);
}

bool MainWindow::clockRunning() const
{
    return m_clock->running();
}

void MainWindow::showStoppedTimes()
{
    showTime(DisplayRow::Upper, m_clock->elapsedMs());
    showTime(DisplayRow::Lower, 0);
}

int MainWindow::portNumber() const
{
    return m_comPort->port();
}

void MainWindow::setPortNumber(int port)
{
    m_comPort->setPort(quint8(port & 0xFF));
}

int MainWindow::algorithm() const
{
    return m_comPort->tag();
}

void MainWindow::setAlgorithm(int alg)
{
    m_comPort->setTag(alg);
    m_triggers->setAlg(alg);
}

void MainWindow::closePort()
{
    m_comPort->close();
}

std::optional<QString> MainWindow::openPort()
{
    try {
        m_comPort->open();
    } catch (const SerialPortError &error) {
        return error.message();
    }
    return std::nullopt;
}

bool MainWindow::portConnected() const
{
    return m_comPort->connected();
}

void MainWindow::setModeIndicator(bool automatic)
{
    m_triggers->setAuto(automatic);
    BarrierStatus::Port port;
    port.open = automatic;
    port.number = m_comPort->port();
    port.alg = m_comPort->tag();
    port.waitFailure = m_comPort->lastWaitError();
    port.disconnected = m_comPort->lastWaitDisconnected();
    port.lostEvents = m_comPort->lostEvents();
    showBarrierStatus(BarrierStatus::of(port));
}

void MainWindow::showBarrierStatus(const BarrierStatus &status)
{
    static const std::array<StatusLed::LedKind, 3> kinds = {StatusLed::lkRed, StatusLed::lkGreen, StatusLed::lkYellow};
    m_modeLed->setKind(kinds[size_t(status.mode)]);
    m_modeLabel->setText(status.mode == BarrierStatus::Hand ? QStringLiteral("&Hand")
                                                             : QStringLiteral("&Auto"));
    m_labelLichtschranke->setText(status.warning);
    m_labelLichtschranke->setVisible(!status.warning.isEmpty());
}

void MainWindow::focusLeftPanel()
{
    m_leftPanel->setFocus();
}
