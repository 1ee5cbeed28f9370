#include "FMain.h"

#include "TimeDisplay.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>

namespace {

struct CommandLayout
{
    const char *buttonName;
    const char *actionName;
    const char *caption;
    const char *actionCaption;
    Qt::Key shortcut;
    int left;
    int width;
};

// Buttons along the bottom edge of the left panel, top 314, height 42.
constexpr std::array<CommandLayout, 4> CommandLayouts = {{
    {"bSTART", "mStart", "START", "Start", Qt::Key_F5, 4, 125},
    {"bLAP", "mLAP", "", "Sp&lit", Qt::Key_F4, 136, 145},
    {"bSTOP", "mStop", "STOPP", "Sto&pp", Qt::Key_F9, 288, 105},
    {"bRESET", "mReset", "00:00", "0,00", Qt::Key_unknown, 400, 86},
}};
constexpr int CommandButtonTop = 314;
constexpr int CommandButtonHeight = 42;
constexpr int LeftPanelWidth = 492;

} // namespace

TFormMain::TFormMain(ClockSource &clocks, QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(QApplication::applicationName() + QStringLiteral(" 1.1"));
    setMinimumSize(822, 434);
    resize(822, 434);

    auto *central = new QWidget(this);
    setCentralWidget(central);
    auto *leftPanel = new QWidget(central);
    leftPanel->setObjectName(QStringLiteral("PanelLeft"));
    leftPanel->setGeometry(0, 35, LeftPanelWidth, 399);

    m_display = new TTimeDisplay(leftPanel);
    m_clock = std::make_unique<RaceClock>(*this, clocks);

    CreateCommands();
    CreateCommandButtons(leftPanel);

    m_display->ApplyDisplayPrecision(m_clock->Precision());
    m_display->ApplyDisplayColours();
    ShowTime(DisplayRow::Upper, 0);
    ShowTime(DisplayRow::Lower, 0);
    CommandStatesChanged();
}

TFormMain::~TFormMain() = default;

void TFormMain::CreateCommands()
{
    using Handler = void (RaceClock::*)();
    constexpr std::array<Handler, 4> handlers = {&RaceClock::mStartClick, &RaceClock::mLAPClick,
                                                 &RaceClock::mStopClick, &RaceClock::mResetClick};
    for (size_t i = 0; i < CommandLayouts.size(); ++i) {
        const CommandLayout &layout = CommandLayouts[i];
        auto *action = new QAction(QString::fromUtf8(layout.actionCaption), this);
        action->setObjectName(QLatin1String(layout.actionName));
        if (layout.shortcut != Qt::Key_unknown)
            action->setShortcut(QKeySequence(layout.shortcut));
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, m_clock.get(), handlers[i]);
        addAction(action); // the window carries the shortcuts; no menu bar is shown
        m_actions[i] = action;
    }
}

void TFormMain::CreateCommandButtons(QWidget *panel)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(24);
    font.setBold(true);
    for (size_t i = 0; i < CommandLayouts.size(); ++i) {
        const CommandLayout &layout = CommandLayouts[i];
        auto *button = new QPushButton(QString::fromUtf8(layout.caption), panel);
        button->setObjectName(QLatin1String(layout.buttonName));
        button->setFont(font);
        button->setGeometry(layout.left, CommandButtonTop, layout.width, CommandButtonHeight);
        button->installEventFilter(this);
        m_buttons[i] = button;
    }
}

QPushButton *TFormMain::CommandButton(RaceCommand command) const
{
    return m_buttons[size_t(command)];
}

QAction *TFormMain::CommandAction(RaceCommand command) const
{
    return m_actions[size_t(command)];
}

bool TFormMain::eventFilter(QObject *watched, QEvent *event)
{
    // Commands run on the press of any mouse button, through their menu command.
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        for (size_t i = 0; i < m_buttons.size(); ++i) {
            if (watched == m_buttons[i]) {
                m_actions[i]->trigger();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::ShowTime(DisplayRow row, qint32 milliseconds)
{
    m_display->ShowTime(row, milliseconds);
}

QString TFormMain::CurrentCountryCode() const
{
    return {};
}

void TFormMain::AddResultRow(const QString &, const QString &) {}
void TFormMain::ShowResultRow(int) {}
void TFormMain::SaveAutosave() {}
void TFormMain::EnableExportCommands(bool) {}
void TFormMain::ClearProtocol() {}
void TFormMain::LayoutProtocolColumns() {}
void TFormMain::UpdateProtocolCommands() {}

int TFormMain::AskYesNo(const QString &question, const QString &yesCaption,
                        const QString &noCaption)
{
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), question,
                    QMessageBox::NoButton, this);
    QPushButton *yes = box.addButton(yesCaption, QMessageBox::YesRole);
    QPushButton *no = box.addButton(noCaption, QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.exec();
    return box.clickedButton() == yes ? 6 : 2;
}

void TFormMain::FocusControl(FocusTarget target)
{
    switch (target) {
    case FocusTarget::StartNumbers: break;
    case FocusTarget::StartButton: CommandButton(RaceCommand::Start)->setFocus(); break;
    case FocusTarget::ResetButton: CommandButton(RaceCommand::Reset)->setFocus(); break;
    }
}

void TFormMain::CommandStatesChanged()
{
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        const CommandButtonState &state = m_clock->Button(RaceCommand(i));
        m_buttons[i]->setEnabled(state.enabled);
        m_actions[i]->setEnabled(state.enabled);
        QPalette palette = m_buttons[i]->palette();
        palette.setColor(QPalette::Button, ToQColor(state.color));
        m_buttons[i]->setPalette(palette);
    }
    CommandButton(RaceCommand::Lap)->setText(m_clock->LapCaption());
}
