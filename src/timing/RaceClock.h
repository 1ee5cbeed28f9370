#pragma once

#include "platform/ClockSource.h"
#include "timing/RaceFinish.h"

#include <QObject>
#include <QString>
#include <QTimer>

enum class DisplayRow { Upper, Lower };
enum class RaceCommand { Start, Lap, Stop, Reset };
// Ready for START, Running until STOPP, Stopped until the reset makes it Ready again.
enum class RaceState { Ready, Running, Stopped };

// The race clock: states Ready, Running and Stopped, the four commands, the
// 10 ms display tick and the lockout. It asks nothing and knows no widget: it
// says what happened through its signals, and whoever shows the race connects
// to them and shows the state its own way.
class RaceClock : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultLockoutMs = 200;

    explicit RaceClock(ClockSource &clocks, QObject *parent = nullptr);

    // Commands; a disabled command does nothing.
    void start();
    // START at `tick`, when a light barrier's edge came.
    void startAt(quint32 tick);
    // Running again from Ready, for a race whose START was at `startTick` (reckoned on
    // this run's ticks) in a run of the program that ended meanwhile; no new START, so
    // started() is not emitted.
    void continueAt(quint32 startTick);
    // ZIEL by key, now.
    void recordFinish();
    // ZIEL for a finish that happened at `timeOfDayMs` (the press or the light barrier's
    // edge), not when the command runs.
    void recordFinishAt(qint32 timeOfDayMs, FinishSource source);
    void stop();
    // Back to Ready. Whoever offers the reset asks the operator first.
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

    RaceState state() const { return m_state; }
    // Each command can be given in one state only: START when Ready, ZIEL and
    // STOPP while Running, the reset when Stopped.
    bool enabled(RaceCommand command) const;
    // The settings can be changed while the clock is Ready only.
    bool settingsEnabled() const { return m_state == RaceState::Ready; }
    bool running() const { return m_clock.isActive(); }

    int precision() const { return m_precision; }
    void setPrecision(int value) { m_precision = value; }

    // The word that labels the finish button; while the clock runs the
    // button adds the number of the next finish.
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

Q_SIGNALS:
    // A row of the display is to show `milliseconds` (a time of day or a race time).
    void timeShown(DisplayRow row, qint32 milliseconds);
    void started();
    void finishRecorded(const RaceFinish &finish);
    void stopped();
    void wasReset();
    // The state, and with it the enabled commands, or the finish word changed; each
    // finish says so too, for the finish button counts the finishes.
    void commandStatesChanged();

private:
    // From Ready to Running with the START at `startTick`.
    void run(quint32 startTick);
    // Locks from `tick` for one interval; the timer ends it on time.
    void startLockout(quint32 tick);
    void lockoutTimeReached();

    ClockSource &m_clocks;
    QTimer m_clock;
    // The lockout covers the ticks from m_lockoutStart up to m_lockoutEnd;
    // the timer ends it when its time has come.
    QTimer m_lockout;
    int m_lockoutInterval = DefaultLockoutMs;
    quint32 m_lockoutStart = 0;
    quint32 m_lockoutEnd = 0;
    RaceState m_state = RaceState::Ready;
    quint32 m_startTick = 0;
    quint32 m_stopTick = 0;
    int m_precision = 2;
    QString m_finishWord;
};
