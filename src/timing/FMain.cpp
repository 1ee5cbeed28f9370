#include "FMain.h"

#include "BarrierStatus.h"
#include "ButtonWithColor.h"
#include "Cfg.h"
#include "ClockSource.h"
#include "Comms.h"
#include "CountryCodeBox.h"
#include "DlgYesNo.h"
#include "FileTypeNames.h"
#include "Dmn_led.h"
#include "HelpFiles.h"
#include "MakerInfo.h"
#include "ProtocolPanel.h"
#include "SPHTMLHelp.h"
#include "SerialProbe.h"
#include "SerialTriggers.h"
#include "SortGrid.h"
#include "SpeedButton.h"
#include "StartNumberEdit.h"
#include "TimeDisplay.h"
#include "WindowPlacement.h"

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

const QString TFormMain::LayoutCaption = QStringLiteral("1.1");

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
    TColor textColor;
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

QString ApplicationTitle()
{
    return QApplication::applicationName();
}

QLabel *MakeLabel(const char *name, const QString &text, QWidget *parent, QRect geometry)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    return label;
}

QPixmap StandardGlyph(QStyle::StandardPixmap which)
{
    return QApplication::style()->standardIcon(which).pixmap(24, 24);
}

} // namespace

TFormMain::TFormMain(const FormMainEnvironment &environment, QWidget *parent)
    : QMainWindow(parent)
    , m_environment(environment)
    , m_clocks(environment.clocks ? *environment.clocks : DefaultClockSource())
{
    setObjectName(QStringLiteral("FormMain"));
    if (m_environment.programFolder.isEmpty())
        m_environment.programFolder = QCoreApplication::applicationDirPath();

    auto *central = new QWidget(this);
    setCentralWidget(central);
    m_clock = std::make_unique<RaceClock>(*this, m_clocks);
    m_triggers = std::make_unique<SerialTriggers>(*m_clock);

    CreateTopStrip(central);
    CreateLeftPanel(central);
    m_protocol = new TProtocolPanel(central);
    m_protocol->setObjectName(QStringLiteral("PanelProtocol"));
    m_protocol->TakeNextStartNumber = [this] { return m_editPred->TakeNextStartNumber(); };
    m_protocol->AskYesNo = [this](const QString &question) { return AskQuestion(question); };
    if (!m_environment.autosaveFolder.isEmpty())
        m_protocol->setAutosaveFolder(m_environment.autosaveFolder);
    CreateHiddenMenu();
    CreateSerialPort(environment.serialBackend);

    setMinimumSize(MinimumWidth, MinimumHeight);
    resize(MinimumWidth, MinimumHeight);
    FormCreate();
}

TFormMain::~TFormMain()
{
    FormDestroy();
}

void TFormMain::setDialogs(TCfgDialog *cfgDialog, TFDlgYesNo *yesNoDialog)
{
    m_cfgDialog = cfgDialog;
    m_yesNo = yesNoDialog;
}

void TFormMain::CreateTopStrip(QWidget *central)
{
    m_topStrip = new QWidget(central);
    m_topStrip->setObjectName(QStringLiteral("Panel1"));

    auto makeButton = [this](const char *name, const QString &hint, QStyle::StandardPixmap glyph,
                             int left, void (TFormMain::*handler)()) {
        auto *button = new TLbSpeedButton(m_topStrip);
        button->setObjectName(QLatin1String(name));
        button->setHint(hint);
        button->setAccessibleName(hint);
        button->setGlyph(StandardGlyph(glyph));
        button->setCursor(Qt::PointingHandCursor);
        button->setGeometry(left, 2, 31, 31);
        button->OnClick = [this, handler](TLbSpeedButton *) { (this->*handler)(); };
        return button;
    };
    m_bHelp = makeButton("bHelp", QStringLiteral("Hilfe (F1)"), QStyle::SP_MessageBoxQuestion, 4,
                         &TFormMain::bHelpClick);
    m_bCFG = makeButton("bCFG", QStringLiteral("Einstellungen (F2)"),
                        QStyle::SP_FileDialogDetailedView, 38, &TFormMain::bCFGClick);
    m_bInfo = makeButton("bInfo", QStringLiteral("Info (F3)"), QStyle::SP_MessageBoxInformation,
                         72, &TFormMain::bInfoClick);

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
        label->setToolTip(MakerInfo::WebAddress());
        label->setAccessibleName(MakerInfo::Name());
        label->adjustSize();
        label->move(left, (TopStripHeight - label->height()) / 2);
        left += label->width();
        label->installEventFilter(this);
    }
}

void TFormMain::CreateLeftPanel(QWidget *central)
{
    m_leftPanel = new QWidget(central);
    m_leftPanel->setObjectName(QStringLiteral("PanelLeft"));
    m_display = new TTimeDisplay(m_leftPanel);

    MakeLabel("LabelNr", QStringLiteral("LKZ:"), m_leftPanel, QRect(40, 248, 92, 20))
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_listLkz = new TCountryCodeBox(m_leftPanel);
    m_listLkz->setGeometry(136, 244, 121, 26);
    MakeLabel("Label2", QStringLiteral("Startnummer:"), m_leftPanel, QRect(20, 282, 112, 20))
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_editPred = new TStartNumberEdit(m_leftPanel);
    m_editPred->setGeometry(136, 278, 350, 26);

    // The mode follows the serial port: Auto while it is open, Hand otherwise.
    m_labelMadus2 = MakeLabel("LabelMadus2", QStringLiteral("Modus:"), m_leftPanel,
                              QRect(300, 248, 60, 20));
    m_ledModus = new TLed(m_leftPanel);
    m_ledModus->setObjectName(QStringLiteral("LedModus"));
    m_ledModus->setGeometry(362, 250, 16, 16);
    m_ledModus->setKind(TLed::lkRed);
    m_ledModus->setValue(true);
    m_ledModus->setAccessibleName(QStringLiteral("Modus"));
    m_labelModus = MakeLabel("LabelModus", QStringLiteral("&Hand"), m_leftPanel,
                             QRect(384, 248, 80, 20));
    // The labels show "&Auto" and "&Modus:" with the mnemonic underlined.
    m_labelModus->setBuddy(m_ledModus);
    m_labelMadus2->setBuddy(m_ledModus);
    // Below the command buttons: why the barriers do not act, when they do not.
    m_labelLichtschranke = MakeLabel("LabelLichtschranke", QString(), m_leftPanel,
                                     QRect(4, 360, 484, 34));
    m_labelLichtschranke->setWordWrap(true);
    m_labelLichtschranke->setStyleSheet(QStringLiteral("color: #B00000;"));
    m_labelLichtschranke->setVisible(false);

    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(24);
    font.setBold(true);
    for (size_t i = 0; i < CommandLayouts.size(); ++i) {
        const CommandLayout &layout = CommandLayouts[i];
        auto *button = new TBitBtnWithColor(QString::fromUtf8(layout.caption), m_leftPanel);
        button->setObjectName(QLatin1String(layout.buttonName));
        button->setFont(font);
        button->setGeometry(layout.left, CommandButtonTop, layout.width, CommandButtonHeight);
        button->setToolTip(QLatin1String(layout.hint));
        QPalette palette = button->palette();
        palette.setColor(QPalette::ButtonText, ToQColor(layout.textColor));
        button->setPalette(palette);
        m_buttons[i] = button;
    }
    CommandButton(RaceCommand::Lap)->setAccessibleName(QStringLiteral("ZIEL"));
}

void TFormMain::CreateHiddenMenu()
{
    using Handler = void (RaceClock::*)();
    constexpr std::array<Handler, 4> handlers = {&RaceClock::mStartClick, &RaceClock::mLAPClick,
                                                 &RaceClock::mStopClick, &RaceClock::mResetClick};
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
        m_buttons[i]->OnMouseDown = [action](TBitBtnWithColor *) { action->trigger(); };
    }
    // Space or Enter on a focused START, STOPP or reset button; ZIEL has no click.
    for (RaceCommand command : {RaceCommand::Start, RaceCommand::Stop, RaceCommand::Reset}) {
        QAction *action = CommandAction(command);
        CommandButton(command)->OnClick = [action](TBitBtnWithColor *) { action->trigger(); };
    }

    connect(addAction("EinstellunGen1", QStringLiteral("&Einstellungen"), {QKeySequence(Qt::ALT | Qt::Key_E)}),
            &QAction::triggered, this, &TFormMain::bCFGClick);
    connect(addAction("mHilfe", QStringLiteral("Hilfe"), {QKeySequence(Qt::Key_F1)}),
            &QAction::triggered, this, &TFormMain::bHelpClick);
    connect(addAction("Hilfe1", QStringLiteral("H&ilfe"), {QKeySequence(Qt::ALT | Qt::Key_I)}),
            &QAction::triggered, this, &TFormMain::bHelpClick);
    connect(addAction("Drucker1", QStringLiteral("&Drucker"), {QKeySequence(Qt::ALT | Qt::Key_D)}),
            &QAction::triggered, m_protocol, &TProtocolPanel::sbPrintClick);
    connect(addAction("Beenden1", QStringLiteral("&Beenden"), {QKeySequence(Qt::ALT | Qt::Key_B)}),
            &QAction::triggered, this, &TFormMain::bExitClick);
    // The mode commands only show the mode; they are never enabled.
    addAction("Modus1", QStringLiteral("Modus"), {QKeySequence(Qt::ALT | Qt::Key_M)})->setEnabled(false);
    addAction("Auto1", QStringLiteral("&Auto"), {QKeySequence(Qt::ALT | Qt::Key_H)})->setEnabled(false);
    addAction("Hand1", QStringLiteral("&Hand"), {QKeySequence(Qt::ALT | Qt::Key_A)})->setEnabled(false);
}

void TFormMain::CreateSerialPort(ComBackend *backend)
{
    m_comPort = std::make_unique<TComPort>(nullptr, backend);
    TComPort &port = *m_comPort;
    port.setBaudRate(br9600);
    port.setBaudRateUser(28800);
    port.setPort(0);
    port.setParity(prNone);
    port.setStopBits(sbOneStopBit);
    port.setFlowControl(fcRtsCts);
    port.setDataBits(5);
    port.setEvents(EventSet(evCTS) | EventSet(evDSR));
    port.setEnableDTR(true);
    port.setWriteBufSize(64);
    port.setReadBufSize(64);
    // Barrier events carry the time of the edge, read from the race clock's clocks.
    port.setClockSource(&m_clocks);
    port.OnCTS = [this](TComPort *) { ComPortCTS(); };
    port.OnDSR = [this](TComPort *) { ComPortDSR(); };
    port.OnOpen = [this](TComPort *) { ComPortOpen(); };
    port.OnClose = [this](TComPort *) { ComPortClose(); };
    port.OnOverflow = [this](TComPort *sender) { SetModeIndicator(sender->Connected()); };
}

void TFormMain::FormCreate()
{
    setWindowTitle(ApplicationTitle() + QLatin1Char(' ') + LayoutCaption);

    TivanoSettings settings;
    LoadSettings(settings, m_environment.settings);
    ApplySettings(settings);

    const QString programFolder = m_environment.programFolder;
    const QString lkzBeside = QDir(programFolder).filePath(QStringLiteral("LKZ.txt"));
    m_listLkz->LoadCountryCodes(QFileInfo::exists(lkzBeside)
                                    ? lkzBeside
                                    : QDir(InstalledDataFolder(programFolder)).filePath(QStringLiteral("LKZ.txt")));
    m_protocol->setCountryCodes(m_listLkz->Entries());

    m_protocol->BuildProtocolFileFilters(LoadFileTypeNames());

    if (SPHTMLHelp *help = SPHTMLHelp::Instance())
        help->Register(this, LocateHelpFile(QCoreApplication::applicationFilePath()));

    m_protocol->InitProtocolTable();
    m_display->ApplyDisplayPrecision(m_clock->Precision());
    ProbeSerialPorts(m_comPort->Backend());
    m_display->ApplyDisplayColours();
    ShowTime(DisplayRow::Upper, 0);
    ShowTime(DisplayRow::Lower, 0);

    if (m_comPort->Port() != 0) {
        try {
            m_comPort->Open();
        } catch (const EComException &) {
            // A port that does not open at start leaves the program in Hand.
        }
        if (m_comPort->Connected())
            SetModeIndicator(true);
    }

    m_protocol->LoadAutosave();
    m_protocol->UpdateProtocolCommands();
    CommandStatesChanged();
    m_protocol->SortGrid1->setFocus();
}

void TFormMain::ApplySettings(const TivanoSettings &settings)
{
    m_storedSettings = settings;
    m_comPort->setPort(quint8(settings.Port & 0xFF));
    m_comPort->setTag(settings.Alg);
    m_triggers->setAlg(settings.Alg);
    // A stored position off every screen (a monitor unplugged, a damaged settings
    // file) would hide the window at every start, and a size beyond the screen
    // (up to 2^31 - 1 pixels) asks for a window no backing store can hold. The
    // window stays on a screen and within its size; without a stored position the
    // system places it on the primary screen.
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    const QPoint position = settings.Left && settings.Top ? QPoint(*settings.Left, *settings.Top)
                            : screens.isEmpty()            ? QPoint()
                                                           : screens.first().topLeft(); // the primary
    const QSize size(qMax(settings.Width, MinimumWidth), qMax(settings.Height, MinimumHeight));
    const QRect bounds = KeepOnScreen(position, size, screens);
    resize(bounds.size());
    if (settings.Left && settings.Top)
        move(bounds.topLeft());
    m_display->setDisplayColours({settings.C1, settings.C2, settings.C3, settings.C4});
    m_clock->setPrecision(settings.Acc);
    m_protocol->setFilterInd(settings.FilterInd);
    m_clock->setLockoutInterval(settings.Wait);
    setButtonLap(settings.ButtonLap, settings.FinishCaption());
}

TivanoSettings TFormMain::CurrentSettings() const
{
    TivanoSettings settings = m_storedSettings;
    settings.Left = x();
    settings.Top = y();
    settings.Width = width();
    settings.Height = height();
    settings.Port = m_comPort->Port();
    settings.Alg = m_comPort->Tag();
    const TTimeDisplay::Colours colours = m_display->DisplayColours();
    settings.C1 = colours.background;
    settings.C2 = colours.lit;
    settings.C3 = colours.dim;
    settings.C4 = colours.finishLit;
    settings.Acc = m_clock->Precision();
    settings.FilterInd = m_protocol->FilterInd();
    settings.Wait = m_clock->LockoutInterval();
    settings.ButtonLap = m_buttonLap;
    return settings;
}

bool TFormMain::FormCloseQuery()
{
    const bool ask = m_clock->Running() || m_protocol->SortGrid1->Modified();
    if (!ask)
        return true;
    const QString question = QStringLiteral("Wollen Sie ") + ApplicationTitle()
                             + QStringLiteral(" wirklich beenden? ");
    return AskQuestion(question) == TFDlgYesNo::mrYes;
}

void TFormMain::closeEvent(QCloseEvent *event)
{
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

void TFormMain::FormDestroy()
{
    if (m_destroyed)
        return;
    m_destroyed = true;
    m_protocol->Autosave();
    SaveSettings(CurrentSettings(), m_environment.settings);
    m_comPort->Close();
}

void TFormMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TFormMain::FormResize()
{
    const QSize area = centralWidget()->size();
    m_topStrip->setGeometry(0, 0, area.width(), TopStripHeight);
    m_leftPanel->setGeometry(0, TopStripHeight, LeftPanelWidth, area.height() - TopStripHeight);
    m_protocol->setGeometry(LeftPanelWidth, TopStripHeight, area.width() - LeftPanelWidth,
                            area.height() - TopStripHeight);
    m_protocol->LayoutProtocolColumns();
}

bool TFormMain::eventFilter(QObject *watched, QEvent *event)
{
    const bool press = event->type() == QEvent::MouseButtonPress
                       || event->type() == QEvent::MouseButtonDblClick;
    if (press && watched->objectName().startsWith(QLatin1String("ImageDE"))) {
        ImageDEClick();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::bCFGClick()
{
    if (m_cfgDialog)
        m_cfgDialog->Execute();
}

void TFormMain::bHelpClick()
{
    if (SPHTMLHelp *help = SPHTMLHelp::Instance())
        help->ShowContents();
}

void TFormMain::bInfoClick()
{
    QMessageBox::information(
        this, ApplicationTitle(),
        ApplicationTitle() + QLatin1Char(' ') + LayoutCaption
            + QStringLiteral("\nZeitmessung für den Zieleinlauf\n\n") + MakerInfo::Name()
            + QLatin1Char('\n') + MakerInfo::WebAddress());
}

void TFormMain::bExitClick()
{
    close();
}

void TFormMain::ImageDEClick()
{
    QDesktopServices::openUrl(QUrl(MakerInfo::WebAddress()));
}

void TFormMain::ComPortCTS()
{
    m_triggers->ComPortCTS(m_comPort->ModemStatus(), m_comPort->EventStamp());
}

void TFormMain::ComPortDSR()
{
    m_triggers->ComPortDSR(m_comPort->ModemStatus(), m_comPort->EventStamp());
}

void TFormMain::ComPortOpen()
{
    m_labelMadus2->setText(QStringLiteral("&Modus:"));
    m_ledModus->setCursor(Qt::PointingHandCursor);
}

void TFormMain::ComPortClose()
{
    m_labelMadus2->setText(QStringLiteral("Modus:"));
    m_ledModus->unsetCursor();
    // Auto exactly while the port is open: a port that closes because its
    // adapter vanished must not leave the operator believing in Auto.
    SetModeIndicator(false);
}

TBitBtnWithColor *TFormMain::CommandButton(RaceCommand command) const
{
    return m_buttons[size_t(command)];
}

QAction *TFormMain::CommandAction(RaceCommand command) const
{
    return m_actions[size_t(command)];
}

// ---- RaceClockHost

void TFormMain::ShowTime(DisplayRow row, qint32 milliseconds)
{
    m_display->ShowTime(row, milliseconds);
}

QString TFormMain::CurrentCountryCode() const
{
    return m_listLkz->currentText();
}

void TFormMain::AddResultRow(const QString &timeText, const QString &countryCode)
{
    m_protocol->AddResultRow(timeText, countryCode);
}

void TFormMain::ShowResultRow(int row)
{
    TSortGrid *grid = m_protocol->SortGrid1;
    grid->setFixedCols(1);
    grid->setSelection({1, row, grid->ColCount() - 1, row});
    if (grid->VisibleRowCount() < row)
        grid->setTopRow(row - grid->VisibleRowCount() + 1);
}

void TFormMain::SaveAutosave()
{
    m_protocol->Autosave();
}

void TFormMain::EnableExportCommands(bool disable)
{
    m_protocol->EnableExportCommands(disable);
}

void TFormMain::ClearProtocol()
{
    m_protocol->ClearTable();
}

void TFormMain::LayoutProtocolColumns()
{
    m_protocol->LayoutProtocolColumns();
}

void TFormMain::UpdateProtocolCommands()
{
    m_protocol->UpdateProtocolCommands();
}

int TFormMain::AskYesNo(const QString &question, const QString &yesCaption,
                        const QString &noCaption)
{
    // The reset question: its own captions and the "no" button focused. The
    // focus stays there for later questions; the captions are put back.
    if (!m_yesNo)
        return TFDlgYesNo::mrNo;
    m_yesNo->SetButtonCaptions(yesCaption, noCaption);
    m_yesNo->setActiveControl(m_yesNo->CancelBtn);
    const int answer = AskQuestion(question);
    m_yesNo->SetButtonCaptions(TFDlgYesNo::YesCaption, TFDlgYesNo::NoCaption);
    return answer;
}

int TFormMain::AskQuestion(const QString &question)
{
    if (!m_yesNo)
        return TFDlgYesNo::mrNo;
    m_yesNo->Label1->setText(question);
    return m_yesNo->ShowModal();
}

void TFormMain::FocusControl(FocusTarget target)
{
    switch (target) {
    case FocusTarget::StartNumbers: m_editPred->setFocus(); break;
    case FocusTarget::StartButton: CommandButton(RaceCommand::Start)->setFocus(); break;
    case FocusTarget::ResetButton: CommandButton(RaceCommand::Reset)->setFocus(); break;
    }
}

qint32 TFormMain::ResultCount() const
{
    return m_protocol->ResultCount();
}

void TFormMain::setResultCount(qint32 value)
{
    m_protocol->setResultCount(value);
}

void TFormMain::CommandStatesChanged()
{
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        const CommandButtonState &state = m_clock->Button(RaceCommand(i));
        m_buttons[i]->setEnabled(state.enabled);
        m_actions[i]->setEnabled(state.enabled);
        m_buttons[i]->setColor(state.color);
    }
    m_bCFG->setEnabled(m_clock->SettingsEnabled());
    CommandButton(RaceCommand::Lap)->setText(m_clock->LapCaption());
}

// ---- CfgDialogHost

quint32 TFormMain::PortPresenceMask() const
{
    return ::PortPresenceMask;
}

int TFormMain::Precision() const
{
    return m_clock->Precision();
}

void TFormMain::setPrecision(int precision)
{
    m_clock->setPrecision(precision);
}

void TFormMain::ApplyDisplayPrecision(int precision)
{
    m_display->ApplyDisplayPrecision(precision);
}

TColor TFormMain::DisplayColor(DisplayColour which) const
{
    const TTimeDisplay::Colours colours = m_display->DisplayColours();
    switch (which) {
    case DisplayColour::C1: return colours.background;
    case DisplayColour::C2: return colours.lit;
    case DisplayColour::C3: return colours.dim;
    case DisplayColour::C4: return colours.finishLit;
    }
    return colours.background;
}

void TFormMain::setDisplayColor(DisplayColour which, TColor value)
{
    TTimeDisplay::Colours colours = m_display->DisplayColours();
    switch (which) {
    case DisplayColour::C1: colours.background = value; break;
    case DisplayColour::C2: colours.lit = value; break;
    case DisplayColour::C3: colours.dim = value; break;
    case DisplayColour::C4: colours.finishLit = value; break;
    }
    m_display->setDisplayColours(colours);
}

void TFormMain::ApplyDisplayColours()
{
    m_display->ApplyDisplayColours();
}

int TFormMain::LockoutInterval() const
{
    return m_clock->LockoutInterval();
}

void TFormMain::setLockoutInterval(int ms)
{
    m_clock->setLockoutInterval(ms);
}

int TFormMain::ButtonLapIndex() const
{
    return m_buttonLap;
}

void TFormMain::setButtonLap(int index, const QString &caption)
{
    m_buttonLap = index;
    m_clock->setFinishWord(caption);
}

bool TFormMain::ClockRunning() const
{
    return m_clock->Running();
}

void TFormMain::ShowStoppedTimes()
{
    ShowTime(DisplayRow::Upper, m_clock->ElapsedMs());
    ShowTime(DisplayRow::Lower, 0);
}

int TFormMain::PortNumber() const
{
    return m_comPort->Port();
}

void TFormMain::setPortNumber(int port)
{
    m_comPort->setPort(quint8(port & 0xFF));
}

int TFormMain::Algorithm() const
{
    return m_comPort->Tag();
}

void TFormMain::setAlgorithm(int alg)
{
    m_comPort->setTag(alg);
    m_triggers->setAlg(alg);
}

void TFormMain::ClosePort()
{
    m_comPort->Close();
}

std::optional<QString> TFormMain::OpenPort()
{
    try {
        m_comPort->Open();
    } catch (const EComException &error) {
        return error.Message();
    }
    return std::nullopt;
}

bool TFormMain::PortConnected() const
{
    return m_comPort->Connected();
}

void TFormMain::SetModeIndicator(bool automatic)
{
    m_triggers->setAuto(automatic);
    BarrierStatus::Port port;
    port.open = automatic;
    port.number = m_comPort->Port();
    port.alg = m_comPort->Tag();
    port.waitFailure = m_comPort->LastWaitError();
    port.disconnected = m_comPort->LastWaitDisconnected();
    port.lostEvents = m_comPort->LostEvents();
    ShowBarrierStatus(BarrierStatus::Of(port));
}

void TFormMain::ShowBarrierStatus(const BarrierStatus &status)
{
    static const std::array<TLed::TLedKind, 3> kinds = {TLed::lkRed, TLed::lkGreen, TLed::lkYellow};
    m_ledModus->setKind(kinds[size_t(status.mode)]);
    m_labelModus->setText(status.mode == BarrierStatus::Hand ? QStringLiteral("&Hand")
                                                             : QStringLiteral("&Auto"));
    m_labelLichtschranke->setText(status.warning);
    m_labelLichtschranke->setVisible(!status.warning.isEmpty());
}

void TFormMain::FocusLeftPanel()
{
    m_leftPanel->setFocus();
}
