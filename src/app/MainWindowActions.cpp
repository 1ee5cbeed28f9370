#include "app/InputEventTime.h"
#include "app/MainWindow.h"
#include "app/RaceCommandFilter.h"
#include "protocol/ProtocolFileCommands.h"
#include "protocol/ProtocolPanel.h"
#include "widgets/CommandButton.h"

#include <QAction>

#include <algorithm>

// The hidden menu: the window carries the commands' shortcuts; no menu bar is shown.
void MainWindow::createActions()
{
    auto addAction = [this](const char *name, const QString &caption, const QList<QKeySequence> &keys) {
        auto *action = new QAction(caption, this);
        action->setObjectName(QLatin1String(name));
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        QMainWindow::addAction(action);
        return action;
    };
    RaceClock &clock = m_session.clock();
    m_actions = {addAction("startAction", QStringLiteral("Start"), {QKeySequence(Qt::Key_F5)}),
                 addAction("finishAction", QStringLiteral("Sp&lit"), {QKeySequence(Qt::Key_F4)}),
                 addAction("stopAction", QStringLiteral("Sto&pp"), {QKeySequence(Qt::Key_F9)}),
                 addAction("resetAction", QStringLiteral("0,00"), {})};
    connect(m_actions[0], &QAction::triggered, &clock, &RaceClock::start);
    connect(m_actions[1], &QAction::triggered, this, [this] { recordOperatorFinish(FinishSource::Key); });
    connect(m_actions[2], &QAction::triggered, &clock, &RaceClock::stop);
    connect(m_actions[3], &QAction::triggered, this, &MainWindow::resetAfterQuestion);
    QList<CommandButton *> buttons;
    for (size_t i = 0; i < m_actions.size(); ++i) {
        QAction *action = m_actions[i];
        CommandButton *button = m_racePanel->commandButton(RaceCommand(i));
        buttons << button;
        // The button acts on the press of any mouse button, as its menu command does and
        // only while that is enabled; ZIEL records the finish as one by mouse.
        connect(button, &CommandButton::mousePressed, action, [this, action, command = RaceCommand(i)] {
            if (command != RaceCommand::Lap)
                action->trigger();
            else if (action->isEnabled())
                recordOperatorFinish(FinishSource::Mouse);
        });
        // Space or Enter on a focused START, STOPP or reset button; ZIEL has no click.
        if (RaceCommand(i) != RaceCommand::Lap)
            connect(button, &CommandButton::clicked, action, &QAction::trigger);
    }
    // The commands' keys and presses also come through whatever is in front of the window.
    new RaceCommandFilter(this, clock, {m_actions.cbegin(), m_actions.cend()}, buttons);
    m_inputTime = new InputEventTime(m_clocks, m_environment.useEventStamps, this);

    connect(
        addAction("settingsAction", QStringLiteral("&Einstellungen"), {QKeySequence(Qt::ALT | Qt::Key_E)}),
        &QAction::triggered, this, &MainWindow::showSettings);
    connect(addAction("helpAction", QStringLiteral("Hilfe"), {QKeySequence(Qt::Key_F1)}), &QAction::triggered,
            this, &MainWindow::showHelp);
    connect(addAction("helpMenuAction", QStringLiteral("H&ilfe"), {QKeySequence(Qt::ALT | Qt::Key_I)}),
            &QAction::triggered, this, &MainWindow::showHelp);
    connect(addAction("printAction", QStringLiteral("&Drucker"), {QKeySequence(Qt::ALT | Qt::Key_D)}),
            &QAction::triggered, &m_protocol->files(), &ProtocolFileCommands::printPage);
    connect(addAction("exitAction", QStringLiteral("&Beenden"), {QKeySequence(Qt::ALT | Qt::Key_B)}),
            &QAction::triggered, this, &MainWindow::exitProgram);
    // The mode commands only show the mode; they are never enabled.
    addAction("modeAction", QStringLiteral("Modus"), {QKeySequence(Qt::ALT | Qt::Key_M)})->setEnabled(false);
    addAction("autoModeAction", QStringLiteral("&Auto"), {QKeySequence(Qt::ALT | Qt::Key_H)})
        ->setEnabled(false);
    addAction("handModeAction", QStringLiteral("&Hand"), {QKeySequence(Qt::ALT | Qt::Key_A)})
        ->setEnabled(false);
}

void MainWindow::recordOperatorFinish(FinishSource source)
{
    // The finish happened with the key or mouse press, which may have waited while the
    // window was busy; never before START, though.
    const quint32 now = m_clocks.tickCount();
    const quint32 pressed = m_inputTime->takePressTick().value_or(now);
    const quint32 sinceStart = now - clock().startTick();
    clock().recordFinishAt(timeOfDayAt(now - std::min(now - pressed, sinceStart)), source);
}
