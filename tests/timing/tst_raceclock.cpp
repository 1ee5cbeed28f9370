#include "ManualClock.h"
#include "RaceClockRecorder.h"
#include "timing/RaceClock.h"

#include <QTest>

namespace {

struct Flags
{
    bool start, lap, stop, reset, cfg, clock;
    RaceState state;
};

void checkFlags(const RaceClock &clock, const Flags &expected)
{
    QCOMPARE(clock.enabled(RaceCommand::Start), expected.start);
    QCOMPARE(clock.enabled(RaceCommand::Lap), expected.lap);
    QCOMPARE(clock.enabled(RaceCommand::Stop), expected.stop);
    QCOMPARE(clock.enabled(RaceCommand::Reset), expected.reset);
    QCOMPARE(clock.settingsEnabled(), expected.cfg);
    QCOMPARE(clock.running(), expected.clock);
    QCOMPARE(clock.state(), expected.state);
}

const Flags ReadyFlags{true, false, false, false, true, false, RaceState::Ready};
const Flags RunningFlags{false, true, true, false, false, true, RaceState::Running};
const Flags StoppedFlags{false, false, false, true, false, false, RaceState::Stopped};

} // namespace

class TestRaceClock : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stateTable()
    {
        ManualClock clocks;
        RaceClock clock(clocks);
        RaceClockRecorder host(clock);
        checkFlags(clock, ReadyFlags);
        clock.start();
        checkFlags(clock, RunningFlags);
        clock.recordFinish();
        checkFlags(clock, RunningFlags);
        clock.stop();
        checkFlags(clock, StoppedFlags);
        // The reset asks nothing: whoever offers it asks first.
        clock.reset();
        checkFlags(clock, ReadyFlags);
        QCOMPARE(host.calls.filter(QStringLiteral("commandStatesChanged")).size(), 4);
    }

    // Commands whose button is disabled do nothing at all.
    void disabledCommandsDoNothing()
    {
        ManualClock clocks;
        RaceClock clock(clocks);
        RaceClockRecorder host(clock);
        clock.recordFinish();
        clock.stop();
        clock.reset();
        QVERIFY(host.calls.isEmpty());
        clock.start();
        host.calls.clear();
        clock.start();
        clock.reset();
        QVERIFY(host.calls.isEmpty());
        QCOMPARE(host.resultCount, 0);
    }

    void finishStepsInOrder()
    {
        ManualClock clocks;
        clocks.timeOfDay = ((9 * 3600 + 5 * 60 + 3) * 1000) + 470;
        RaceClock clock(clocks);
        RaceClockRecorder host(clock);
        clock.start();
        host.calls.clear();
        clock.recordFinish();
        // The display first, then the finish, then the finish button's new number.
        QCOMPARE(host.calls, (QStringList{"timeShown", "finishRecorded", "commandStatesChanged"}));
        QCOMPARE(host.timeTexts, QStringList{QStringLiteral("9:05.03,47")});
        QCOMPARE(host.sources, QList<FinishSource>{FinishSource::Key});
        QCOMPARE(host.shown.last(), qMakePair(DisplayRow::Lower, clocks.timeOfDay.load()));
        QCOMPARE(host.resultCount, 1);
    }

    void stopShowsElapsedAcrossTickWrap()
    {
        ManualClock clocks;
        clocks.tick = 0xFFFFFF00u; // 256 ms before the counter wraps
        RaceClock clock(clocks);
        RaceClockRecorder host(clock);
        clock.start();
        clocks.advance(90061230); // 25 h 1 min 1.23 s
        host.shown.clear();
        clock.stop();
        QCOMPARE(clock.elapsedMs(), 90061230);
        QCOMPARE(host.shown,
                 (QList<QPair<DisplayRow, qint32>>{{DisplayRow::Upper, 90061230}, {DisplayRow::Lower, 0}}));
        QCOMPARE(host.calls.last(), QStringLiteral("stopped"));
    }

    void finishAfterMidnightIsSmallTimeOfDay()
    {
        ManualClock clocks;
        clocks.timeOfDay = 86399000;
        RaceClock clock(clocks);
        RaceClockRecorder host(clock);
        clock.start();
        clocks.advance(6300); // 0 h 0 min 5.30 s
        clock.recordFinish();
        QCOMPARE(host.timeTexts.last(), QStringLiteral("5,30"));
    }

    void precisionAffectsLaterRowsOnly()
    {
        ManualClock clocks;
        clocks.timeOfDay = 5300;
        RaceClock clock(clocks);
        RaceClockRecorder host(clock);
        clock.start();
        clock.recordFinish();
        clock.setPrecision(0);
        clock.recordFinish();
        QCOMPARE(host.timeTexts[0], QStringLiteral("5,30"));
        QCOMPARE(host.timeTexts[1], QStringLiteral("5"));
    }

    void resetStepsAndNextStart()
    {
        ManualClock clocks;
        RaceClock clock(clocks);
        RaceClockRecorder host(clock);
        clock.start();
        clock.recordFinish();
        clock.recordFinish();
        clock.stop();
        host.calls.clear();
        host.shown.clear();
        clock.reset();
        QCOMPARE(host.calls, (QStringList{"timeShown", "timeShown", "commandStatesChanged", "wasReset"}));
        QCOMPARE(host.shown,
                 (QList<QPair<DisplayRow, qint32>>{{DisplayRow::Upper, 0}, {DisplayRow::Lower, 0}}));
        QCOMPARE(clock.stopTick(), clock.startTick());
        QVERIFY(clock.settingsEnabled());
        clock.start();
        clock.recordFinish();
        QCOMPARE(host.resultCount, 1);
    }

    void clockTickShowsTimeOfDay()
    {
        ManualClock clocks;
        RaceClock clock(clocks);
        RaceClockRecorder host(clock);
        clock.start();
        QCOMPARE(clock.displayTimer().interval(), 10);
        clocks.timeOfDay = 12345;
        host.shown.clear();
        clock.showTimeOfDay();
        QCOMPARE(host.shown, (QList<QPair<DisplayRow, qint32>>{{DisplayRow::Upper, 12345}}));
    }

    void lockout()
    {
        ManualClock clocks;
        RaceClock clock(clocks);
        RaceClockRecorder host(clock);
        // START switches the lockout on when its interval is above 0.
        clock.start();
        QVERIFY(clock.locked());
        clock.endLockout();
        QVERIFY(!clock.locked());
        QVERIFY(clock.lockoutTimer().isSingleShot());

        clock.armLockout();
        QVERIFY(clock.locked());
        clock.endLockout();

        // Only while the clock runs.
        clock.stop();
        clock.armLockout();
        QVERIFY(!clock.locked());
    }

    void zeroIntervalNeverLocks()
    {
        ManualClock clocks;
        RaceClock clock(clocks);
        RaceClockRecorder host(clock);
        clock.setLockoutInterval(0);
        clock.start();
        QVERIFY(!clock.locked());
        clock.armLockout();
        QVERIFY(!clock.locked());
    }

    // Arming a running lockout does not restart it: it ends one interval after it began.
    void armingDoesNotRestart()
    {
        ManualClock clocks;
        RaceClock clock(clocks);
        RaceClockRecorder host(clock);
        clock.setLockoutInterval(10000);
        clock.start();
        QVERIFY(clock.locked());
        QTest::qWait(50);
        const int before = clock.lockoutTimer().remainingTime();
        QVERIFY(before < 10000);
        clock.armLockout();
        QVERIFY(clock.lockoutTimer().remainingTime() <= before);
    }

    void operatorFinishesIgnoreLockout()
    {
        ManualClock clocks;
        RaceClock clock(clocks);
        RaceClockRecorder host(clock);
        clock.start();
        QVERIFY(clock.locked());
        clock.recordFinish();
        clock.recordFinish();
        clock.recordFinish();
        QCOMPARE(host.timeTexts.size(), 3);
        QCOMPARE(host.resultCount, 3);
    }
};

QTEST_MAIN(TestRaceClock)
#include "tst_raceclock.moc"
