#include "ManualClock.h"
#include "timing/RaceClock.h"
#include "RecordingRaceClockHost.h"

#include <QTest>

namespace {

using RecordingHost = RecordingRaceClockHost;

struct Flags
{
    bool start, lap, stop, reset, cfg, clock;
    ColorValue startColor, lapColor, stopColor, resetColor;
};

void checkFlags(const RaceClock &clock, const Flags &expected)
{
    QCOMPARE(clock.enabled(RaceCommand::Start), expected.start);
    QCOMPARE(clock.enabled(RaceCommand::Lap), expected.lap);
    QCOMPARE(clock.enabled(RaceCommand::Stop), expected.stop);
    QCOMPARE(clock.enabled(RaceCommand::Reset), expected.reset);
    QCOMPARE(clock.settingsEnabled(), expected.cfg);
    QCOMPARE(clock.running(), expected.clock);
    QCOMPARE(clock.button(RaceCommand::Start).color, expected.startColor);
    QCOMPARE(clock.button(RaceCommand::Lap).color, expected.lapColor);
    QCOMPARE(clock.button(RaceCommand::Stop).color, expected.stopColor);
    QCOMPARE(clock.button(RaceCommand::Reset).color, expected.resetColor);
}

constexpr ColorValue Face = Colors::clBtnFace;
const Flags ReadyFlags{true, false, false, false, true, false, Colors::clGreen, Face, Face, Face};
const Flags RunningFlags{false, true, true, false, false, true, Face, Colors::clYellow, Colors::clRed, Face};
const Flags StoppedFlags{false, false, false, true, false, false, Face, Face, Face, Colors::clBlack};

} // namespace

class TestRaceClock : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stateTable()
    {
        RecordingHost host;
        ManualClock clocks;
        RaceClock clock(host, clocks);
        clock.setFinishWord(QStringLiteral("ZIEL"));
        checkFlags(clock, ReadyFlags);
        QCOMPARE(clock.lapCaption(), QStringLiteral("ZIEL"));

        clock.start();
        checkFlags(clock, RunningFlags);
        QCOMPARE(clock.lapCaption(), QStringLiteral("ZIEL 1"));

        clock.recordFinish();
        checkFlags(clock, RunningFlags);
        QCOMPARE(clock.lapCaption(), QStringLiteral("ZIEL 2"));

        clock.stop();
        checkFlags(clock, StoppedFlags);
        QCOMPARE(clock.lapCaption(), QStringLiteral("ZIEL"));

        host.answer = 2;
        clock.reset();
        checkFlags(clock, StoppedFlags);
        QCOMPARE(host.resultCount, 1);

        host.answer = 6;
        clock.reset();
        QCOMPARE(clock.button(RaceCommand::Start).color, Colors::clGreen);
        QCOMPARE(clock.enabled(RaceCommand::Start), true);
        QCOMPARE(clock.enabled(RaceCommand::Reset), false);
        QCOMPARE(host.resultCount, 0);
        QCOMPARE(host.questions,
                 (QStringList{QStringLiteral("Protokoll wird gelöscht!|OK|Abbrechen"),
                              QStringLiteral("Protokoll wird gelöscht!|OK|Abbrechen")}));
    }

    // Commands whose button is disabled do nothing at all.
    void disabledCommandsDoNothing()
    {
        RecordingHost host;
        ManualClock clocks;
        RaceClock clock(host, clocks);
        clock.recordFinish();
        clock.stop();
        clock.reset();
        QVERIFY(host.calls.isEmpty());
        QVERIFY(host.questions.isEmpty());
        clock.start();
        host.calls.clear();
        clock.start();
        clock.reset();
        QVERIFY(host.calls.isEmpty());
        QCOMPARE(host.resultCount, 0);
    }

    void finishStepsInOrder()
    {
        RecordingHost host;
        ManualClock clocks;
        clocks.timeOfDay = ((9 * 3600 + 5 * 60 + 3) * 1000) + 470;
        RaceClock clock(host, clocks);
        clock.start();
        host.calls.clear();
        clock.recordFinish();
        QCOMPARE(host.calls, (QStringList{"ShowTime", "AddResultRow", "ShowResultRow 1", "Focus 0",
                                          "SaveAutosave"}));
        QCOMPARE(host.timeTexts, QStringList{QStringLiteral("9:05.03,47")});
        QCOMPARE(host.countryCodes, QStringList{QStringLiteral("GER")});
        QCOMPARE(host.shown.last(), qMakePair(DisplayRow::Lower, clocks.timeOfDay.load()));
        QCOMPARE(host.resultCount, 1);
    }

    void captionWords_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("loadedResults");
        QTest::addColumn<QString>("idle");
        QTest::addColumn<QString>("running");
        QTest::newRow("ZIEL") << "ZIEL" << 0 << "ZIEL" << "ZIEL 1";
        QTest::newRow("after a loaded protocol") << "ZIEL" << 3 << "ZIEL" << "ZIEL 4";
        QTest::newRow("LAP") << "LAP" << 0 << "LAP" << "LAP 1";
        QTest::newRow("FINISH") << "FINISH" << 9 << "FINISH" << "FINISH 10";
        QTest::newRow("START") << "START" << 0 << "START" << "START 1";
        QTest::newRow("empty word") << "" << 0 << "" << " 1";
    }

    void captionWords()
    {
        QFETCH(QString, word);
        QFETCH(int, loadedResults);
        QFETCH(QString, idle);
        QFETCH(QString, running);
        RecordingHost host;
        ManualClock clocks;
        RaceClock clock(host, clocks);
        clock.setFinishWord(word);
        host.resultCount = loadedResults;
        QCOMPARE(clock.lapCaption(), idle);
        clock.start();
        QCOMPARE(clock.lapCaption(), running);
        clock.stop();
        QCOMPARE(clock.lapCaption(), idle);
    }

    void stopShowsElapsedAcrossTickWrap()
    {
        RecordingHost host;
        ManualClock clocks;
        clocks.tick = 0xFFFFFF00u; // 256 ms before the counter wraps
        RaceClock clock(host, clocks);
        clock.start();
        clocks.advance(90061230); // 25 h 1 min 1.23 s
        host.shown.clear();
        clock.stop();
        QCOMPARE(clock.elapsedMs(), 90061230);
        QCOMPARE(host.shown, (QList<QPair<DisplayRow, qint32>>{{DisplayRow::Upper, 90061230},
                                                               {DisplayRow::Lower, 0}}));
        QVERIFY(host.calls.contains(QStringLiteral("EnableExportCommands 0")));
    }

    void finishAfterMidnightIsSmallTimeOfDay()
    {
        RecordingHost host;
        ManualClock clocks;
        clocks.timeOfDay = 86399000;
        RaceClock clock(host, clocks);
        clock.start();
        clocks.advance(6300); // 0 h 0 min 5.30 s
        clock.recordFinish();
        QCOMPARE(host.timeTexts.last(), QStringLiteral("5,30"));
    }

    void precisionAffectsLaterRowsOnly()
    {
        RecordingHost host;
        ManualClock clocks;
        clocks.timeOfDay = 5300;
        RaceClock clock(host, clocks);
        clock.start();
        clock.recordFinish();
        clock.setPrecision(0);
        clock.recordFinish();
        QCOMPARE(host.timeTexts[0], QStringLiteral("5,30"));
        QCOMPARE(host.timeTexts[1], QStringLiteral("5"));
    }

    void resetStepsAndNextStart()
    {
        RecordingHost host;
        ManualClock clocks;
        RaceClock clock(host, clocks);
        clock.start();
        clock.recordFinish();
        clock.recordFinish();
        clock.stop();
        clock.setFinishWord(QStringLiteral("ZIEL"));
        host.calls.clear();
        clock.reset();
        QCOMPARE(host.calls, (QStringList{"ClearProtocol", "LayoutProtocolColumns", "ShowTime",
                                          "ShowTime", "Focus 1", "UpdateProtocolCommands"}));
        QCOMPARE(clock.stopTick(), clock.startTick());
        QVERIFY(clock.settingsEnabled());
        clock.start();
        QCOMPARE(clock.lapCaption(), QStringLiteral("ZIEL 1"));
        host.timeTexts.clear();
        clock.recordFinish();
        QCOMPARE(host.resultCount, 1);
    }

    void clockTickShowsTimeOfDay()
    {
        RecordingHost host;
        ManualClock clocks;
        RaceClock clock(host, clocks);
        clock.start();
        QCOMPARE(clock.displayTimer().interval(), 10);
        clocks.timeOfDay = 12345;
        host.shown.clear();
        clock.showTimeOfDay();
        QCOMPARE(host.shown, (QList<QPair<DisplayRow, qint32>>{{DisplayRow::Upper, 12345}}));
    }

    void lockout()
    {
        RecordingHost host;
        ManualClock clocks;
        RaceClock clock(host, clocks);
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
        RecordingHost host;
        ManualClock clocks;
        RaceClock clock(host, clocks);
        clock.setLockoutInterval(0);
        clock.start();
        QVERIFY(!clock.locked());
        clock.armLockout();
        QVERIFY(!clock.locked());
    }

    // Arming a running lockout does not restart it: it ends one interval after it began.
    void armingDoesNotRestart()
    {
        RecordingHost host;
        ManualClock clocks;
        RaceClock clock(host, clocks);
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
        RecordingHost host;
        ManualClock clocks;
        RaceClock clock(host, clocks);
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
