#pragma once

#include "platform/ClockSource.h"
#include "platform/ColorValue.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <array>

enum class DisplayRow { Upper, Lower };
enum class RaceCommand { Start, Lap, Stop, Reset };
enum class FocusTarget { StartNumbers, StartButton, ResetButton };

// What one command button (and its menu command) shows: the clock's state
// lives in these flags.
struct CommandButtonState
{
    bool enabled = false;
    ColorValue color = Colors::clBtnFace;
};

// The operations the race clock needs from the main window.
class RaceClockHost
{
public:
    virtual ~RaceClockHost() = default;

    virtual void showTime(DisplayRow row, qint32 milliseconds) = 0;
    virtual QString currentCountryCode() const = 0;
    virtual void addResultRow(const QString &timeText, const QString &countryCode) = 0;
    // Selects data row `row` of the protocol and scrolls it into view as the last visible row.
    virtual void showResultRow(int row) = 0;
    virtual void saveAutosave() = 0;
    virtual void enableExportCommands(bool disable) = 0;
    virtual void clearProtocol() = 0;
    virtual void layoutProtocolColumns() = 0;
    virtual void updateProtocolCommands() = 0;
    // The yes/no question with the given button captions, "no" active;
    // returns 6 for yes, 2 for no. The captions are restored afterwards.
    virtual int askYesNo(const QString &question, const QString &yesCaption,
                         const QString &noCaption) = 0;
    virtual void focusControl(FocusTarget target) = 0;
    // The row index of the latest result, kept with the protocol.
    virtual qint32 lastResultRow() const = 0;
    virtual void setLastResultRow(qint32 value) = 0;
    // The enabled flags, colours or the finish caption changed.
    virtual void commandStatesChanged() = 0;
};

// The race clock: states Ready, Running and Stopped carried by the command
// flags, the four commands, the 10 ms display tick and the lockout.
class RaceClock : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultLockoutMs = 200;

    RaceClock(RaceClockHost &host, ClockSource &clocks, QObject *parent = nullptr);

    // Commands; a disabled command does nothing.
    void start();
    // START at `tick`, when a light barrier's edge came.
    void mStartClickAt(quint32 tick);
    void recordFinish();
    // ZIEL for a finish that happened at `timeOfDayMs` (a light barrier's
    // edge), not when the command runs.
    void mLAPClickAt(qint32 timeOfDayMs);
    void stop();
    void reset();
    void showTimeOfDay();
    void endLockout();

    // Switches the lockout on after a serial finish: only when it is off,
    // the clock runs and the interval is above 0. armLockoutAt starts it at
    // `tick`, when the finish happened, so it ends one interval after that.
    void armLockout();
    void armLockoutAt(quint32 tick);
    // Whether the lockout is on now, or was on at `tick`. A light-barrier
    // event is judged by the time it happened, not by when it is handled.
    bool locked() const { return lockedAt(m_clocks.tickCount()); }
    bool lockedAt(quint32 tick) const;

    const CommandButtonState &button(RaceCommand command) const;
    bool enabled(RaceCommand command) const { return button(command).enabled; }
    bool settingsEnabled() const { return m_settingsEnabled; }
    bool running() const { return m_clock.isActive(); }
    QString lapCaption() const { return m_lapCaption; }

    int precision() const { return m_precision; }
    void setPrecision(int value) { m_precision = value; }

    // The word that labels the finish button; the caption follows at once.
    QString finishWord() const { return m_finishWord; }
    void setFinishWord(const QString &word);

    int lockoutInterval() const { return m_lockoutInterval; }
    void setLockoutInterval(int ms) { m_lockoutInterval = ms; }

    quint32 startTick() const { return m_startTick; }
    quint32 stopTick() const { return m_stopTick; }
    // Elapsed milliseconds from START to STOPP, in 32-bit tick arithmetic.
    qint32 elapsedMs() const { return qint32(m_stopTick - m_startTick); }

    QString formatRaceTime(qint32 milliseconds) const;

    QTimer &displayTimer() { return m_clock; }
    QTimer &lockoutTimer() { return m_lockout; }

private:
    CommandButtonState &buttonRef(RaceCommand command);
    QString runningLapCaption() const;
    // Locks from `tick` for one interval; the timer ends it on time.
    void startLockout(quint32 tick);

    RaceClockHost &m_host;
    ClockSource &m_clocks;
    QTimer m_clock;
    // The lockout covers the ticks from m_lockoutStart up to m_lockoutEnd;
    // the timer ends it when its time has come.
    QTimer m_lockout;
    int m_lockoutInterval = DefaultLockoutMs;
    quint32 m_lockoutStart = 0;
    quint32 m_lockoutEnd = 0;
    std::array<CommandButtonState, 4> m_buttons;
    bool m_settingsEnabled = true;
    QString m_lapCaption;
    quint32 m_startTick = 0;
    quint32 m_stopTick = 0;
    int m_precision = 2;
    QString m_finishWord;
};
