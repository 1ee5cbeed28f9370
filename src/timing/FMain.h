#pragma once

#include "RaceClock.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QPushButton;
class TTimeDisplay;

// The main window: the time display, the command buttons and the hidden menu
// whose shortcuts reach the race clock's commands.
class TFormMain : public QMainWindow, public RaceClockHost
{
    Q_OBJECT

public:
    explicit TFormMain(ClockSource &clocks, QWidget *parent = nullptr);
    ~TFormMain() override;

    RaceClock &Clock() { return *m_clock; }
    TTimeDisplay &Display() { return *m_display; }
    QPushButton *CommandButton(RaceCommand command) const;
    QAction *CommandAction(RaceCommand command) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateCommands();
    void CreateCommandButtons(QWidget *panel);

protected:
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
    void CommandStatesChanged() override;

private:
    TTimeDisplay *m_display = nullptr;
    std::unique_ptr<RaceClock> m_clock;
    std::array<QPushButton *, 4> m_buttons{};
    std::array<QAction *, 4> m_actions{};
};
