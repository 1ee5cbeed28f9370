#pragma once

#include "timing/BarrierStatus.h"
#include "timing/RaceClock.h"

#include <QWidget>

#include <array>

class CommandButton;
class CountryCodeBox;
class QLabel;
class StartNumberEdit;
class StatusLed;
class TimeDisplay;

// The left part of the main window: the time display, the country
// code and start-number fields, the mode indicator, the four command buttons and
// the warning line about the light barriers.
class RacePanel : public QWidget
{
    Q_OBJECT

public:
    static constexpr int PanelWidth = 492;

    explicit RacePanel(QWidget *parent = nullptr);

    TimeDisplay *display() const { return m_display; }
    CountryCodeBox *countryCodeBox() const { return m_countryCodeBox; }
    StartNumberEdit *startNumberEdit() const { return m_startNumberEdit; }
    CommandButton *commandButton(RaceCommand command) const { return m_buttons[size_t(command)]; }
    StatusLed *modeLed() const { return m_modeLed; }
    QLabel *modeLabel() const { return m_modeLabel; }
    QLabel *modeCaption() const { return m_modeCaption; }
    QLabel *barrierWarningLabel() const { return m_barrierWarning; }

    // The buttons for the clock's state: a button whose command can be given now is
    // enabled and lit in its own colour; none is while the window takes no command
    // (`offered` false). The finish button names the next finish, `nextFinish`, while the
    // clock runs.
    void showCommandStates(const RaceClock &clock, int nextFinish, bool offered = true);
    void showBarrierStatus(const BarrierStatus &status);
    // "&Modus:" with a pointing cursor over the LED while a port is open.
    void showPortOpen(bool open);

private:
    void createCommandButtons();

    TimeDisplay *m_display = nullptr;
    CountryCodeBox *m_countryCodeBox = nullptr;
    StartNumberEdit *m_startNumberEdit = nullptr;
    StatusLed *m_modeLed = nullptr;
    QLabel *m_modeLabel = nullptr;
    QLabel *m_modeCaption = nullptr;
    QLabel *m_barrierWarning = nullptr;
    std::array<CommandButton *, 4> m_buttons{};
};
