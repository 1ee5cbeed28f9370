#include "Comms.h"
#include "ManualClock.h"
#include "RaceClock.h"
#include "RecordingRaceClockHost.h"
#include "SerialTestSupport.h"
#include "SerialTriggers.h"
#include "SimulatedComBackend.h"

#include <QStringList>
#include <QTest>

namespace {

constexpr int PortNo = 2;
constexpr quint32 Cts = ModemLine::CtsOn;
constexpr quint32 Dsr = ModemLine::DsrOn;

// The road of a light-barrier event: simulated port, real component and
// monitor thread, the trigger decision and the race clock.
struct Rig
{
    SimulatedComBackend backend;
    TComPort port{nullptr, &backend};
    RecordingRaceClockHost host;
    ManualClock clocks;
    RaceClock clock{host, clocks};
    SerialTriggers triggers{clock};
    int handled = 0;

    Rig()
    {
        port.setPort(PortNo);
        port.setFlowControl(fcRtsCts);
        port.setEvents(EventSet(evCTS) | EventSet(evDSR));
        port.OnCTS = [this](TComPort *sender) {
            ++handled;
            triggers.ComPortCTS(sender->ModemStatus());
        };
        port.OnDSR = [this](TComPort *sender) {
            ++handled;
            triggers.ComPortDSR(sender->ModemStatus());
        };
        // The mode follows the port: Auto exactly while it is open.
        port.OnOpen = [this](TComPort *) { triggers.setAuto(true); };
        port.OnClose = [this](TComPort *) { triggers.setAuto(false); };
        clocks.timeOfDay = 10 * 3600 * 1000;
    }

    void Open()
    {
        const int waits = backend.WaitCount(PortNo);
        port.Open();
        QVERIFY(backend.WaitUntilWaiting(PortNo, waits + 1));
    }

    // Sets the lines and waits until the handlers for every changed line have
    // run and the monitor waits again.
    void Lines(quint32 status)
    {
        const quint32 changed = (status ^ backend.LastStatus(PortNo)) & (Cts | Dsr);
        const int expected = handled + ((changed & Cts) ? 1 : 0) + ((changed & Dsr) ? 1 : 0);
        const int waits = backend.WaitCount(PortNo);
        backend.SetModemStatus(PortNo, status);
        if (expected == handled)
            return;
        QVERIFY(ProcessUntil([&] { return handled == expected; }));
        QVERIFY(backend.WaitUntilWaiting(PortNo, waits + 1));
    }

    // START, then the lockout that START switched on runs out.
    void StartRunning()
    {
        clock.mStartClick();
        clock.TimerGesperrtTimer();
        QVERIFY(clock.Enabled(RaceCommand::Lap));
        QVERIFY(!clock.Locked());
    }
};

} // namespace

class TestSerialTriggers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstEventIsAlwaysEvaluated()
    {
        Rig rig;
        QCOMPARE(rig.triggers.LastModemStatus(), 0x55555555u);
        rig.Open();
        rig.Lines(Dsr);
        QCOMPARE(rig.triggers.LastModemStatus(), Dsr);
        QVERIFY(rig.clock.Running());
    }

    void threeFinishChangesInLockoutRecordOne()
    {
        Rig rig;
        rig.clock.setLockoutInterval(200);
        rig.Open();
        rig.StartRunning();
        // Three crossings 50 ms apart: on, off, on, off, on.
        rig.Lines(Cts);
        QCOMPARE(rig.host.timeTexts.size(), 1);
        QVERIFY(rig.clock.Locked());
        for (quint32 status : {0u, Cts, 0u, Cts}) {
            rig.clocks.Advance(25);
            rig.Lines(status);
            QVERIFY(rig.clock.Locked());
        }
        QCOMPARE(rig.host.timeTexts.size(), 1);
        QCOMPARE(rig.host.timeTexts.first(), QStringLiteral("10:00.00,00"));
        QCOMPARE(rig.triggers.LastModemStatus(), Cts);
        // The line is still on when the lockout ends: nothing more happens.
        rig.clock.TimerGesperrtTimer();
        QCoreApplication::processEvents();
        QCOMPARE(rig.host.timeTexts.size(), 1);
        // The next crossing counts again.
        rig.Lines(0);
        rig.clocks.Advance(1000);
        rig.Lines(Cts);
        QCOMPARE(rig.host.timeTexts.size(), 2);
        QCOMPARE(rig.host.timeTexts.last(), QStringLiteral("10:00.01,10"));
    }

    void threeFinishKeysRecordThree()
    {
        Rig rig;
        rig.Open();
        rig.clock.mStartClick();
        QVERIFY(rig.clock.Locked()); // the lockout does not stop the operator
        for (int i = 0; i < 3; ++i) {
            rig.clock.mLAPClick();
            rig.clocks.Advance(50);
        }
        QCOMPARE(rig.host.timeTexts,
                 (QStringList{"10:00.00,00", "10:00.00,05", "10:00.00,10"}));
    }

    void finishKeyInLockoutRecordsButLineDoesNot()
    {
        Rig rig;
        rig.Open();
        rig.StartRunning();
        rig.Lines(Cts);
        QVERIFY(rig.clock.Locked());
        rig.Lines(0);
        rig.Lines(Cts);
        rig.clock.mLAPClick();
        QCOMPARE(rig.host.timeTexts.size(), 2);
        QCOMPARE(rig.host.resultCount, 2);
    }

    void ctsAndDsrInOneNotification()
    {
        Rig rig;
        rig.Open();
        // Both lines in one notification: the finish handler records the word,
        // the start handler sees it unchanged and the start is lost.
        rig.Lines(Cts | Dsr);
        QCOMPARE(rig.handled, 2);
        QCOMPARE(rig.triggers.LastModemStatus(), Cts | Dsr);
        QVERIFY(!rig.clock.Running());
        QVERIFY(rig.host.timeTexts.isEmpty());
        // The start line alone works.
        rig.Lines(Cts);
        rig.Lines(Cts | Dsr);
        QVERIFY(rig.clock.Running());
    }

    void startLine_data()
    {
        QTest::addColumn<int>("alg");
        QTest::addColumn<QList<quint32>>("statuses");
        QTest::addColumn<int>("startedAt"); // index of the change that starts, -1 never
        QTest::newRow("Ein: contact closes") << 0 << QList<quint32>{Dsr} << 0;
        QTest::newRow("Ein: closes late") << 0 << QList<quint32>{Cts, Cts | Dsr} << 1;
        QTest::newRow("Aus: contact opens") << 1 << QList<quint32>{Dsr, 0} << 1;
        QTest::newRow("Aus: closing does nothing") << 1 << QList<quint32>{Dsr} << -1;
        QTest::newRow("finish only") << 2 << QList<quint32>{Dsr, 0, Dsr} << -1;
        QTest::newRow("unknown Alg") << 7 << QList<quint32>{Dsr, 0} << -1;
    }

    void startLine()
    {
        QFETCH(int, alg);
        QFETCH(QList<quint32>, statuses);
        QFETCH(int, startedAt);
        Rig rig;
        rig.triggers.setAlg(alg);
        rig.clock.setLockoutInterval(0);
        rig.Open();
        for (int i = 0; i < statuses.size(); ++i) {
            rig.Lines(statuses[i]);
            QCOMPARE(rig.clock.Running(), startedAt >= 0 && i >= startedAt);
        }
    }

    void finishLine_data()
    {
        QTest::addColumn<int>("alg");
        QTest::addColumn<QList<quint32>>("statuses");
        QTest::addColumn<QList<int>>("rows"); // result count after each change
        QTest::newRow("Ein") << 0 << QList<quint32>{Cts, 0, Cts, 0} << QList<int>{1, 1, 2, 2};
        QTest::newRow("Aus") << 1 << QList<quint32>{Cts, 0, Cts, 0} << QList<int>{0, 1, 1, 2};
        QTest::newRow("finish only") << 2 << QList<quint32>{Cts, 0, Cts} << QList<int>{1, 1, 2};
        QTest::newRow("unknown Alg") << 3 << QList<quint32>{Cts, 0} << QList<int>{0, 0};
        QTest::newRow("start line ignored") << 0 << QList<quint32>{Dsr, 0} << QList<int>{0, 0};
    }

    void finishLine()
    {
        QFETCH(int, alg);
        QFETCH(QList<quint32>, statuses);
        QFETCH(QList<int>, rows);
        Rig rig;
        rig.triggers.setAlg(alg);
        rig.clock.setLockoutInterval(0); // no lockout: every finish counts
        rig.Open();
        rig.clock.mStartClick();
        for (int i = 0; i < statuses.size(); ++i) {
            rig.Lines(statuses[i]);
            QCOMPARE(rig.host.timeTexts.size(), rows[i]);
            QVERIFY(!rig.clock.Locked());
        }
    }

    void finishAlgorithmsArmTheLockout_data()
    {
        QTest::addColumn<int>("alg");
        QTest::addColumn<quint32>("trigger");
        QTest::newRow("Ein") << 0 << Cts;
        QTest::newRow("Aus") << 1 << 0u;
        QTest::newRow("finish only") << 2 << Cts;
    }

    void finishAlgorithmsArmTheLockout()
    {
        QFETCH(int, alg);
        QFETCH(quint32, trigger);
        Rig rig;
        rig.triggers.setAlg(alg);
        rig.Open();
        if (trigger == 0)
            rig.Lines(Cts);
        rig.StartRunning();
        rig.Lines(trigger);
        QCOMPARE(rig.host.timeTexts.size(), 1);
        QVERIFY(rig.clock.Locked());
        rig.Lines(trigger ^ Cts);
        rig.Lines(trigger);
        QCOMPARE(rig.host.timeTexts.size(), 1);
    }

    void finishWhileNotRunningDoesNothing()
    {
        Rig rig;
        rig.Open();
        rig.Lines(Cts);
        QVERIFY(rig.host.timeTexts.isEmpty());
        QVERIFY(!rig.clock.Locked()); // the lockout only arms while the clock runs
        QCOMPARE(rig.host.resultCount, 0);
    }

    void handModeIgnoresTriggers_data()
    {
        QTest::addColumn<int>("alg");
        QTest::addColumn<int>("rows");
        QTest::newRow("Ein") << 0 << 0;
        QTest::newRow("Aus") << 1 << 0;
        // "finish only" does not ask for the mode.
        QTest::newRow("finish only") << 2 << 1;
    }

    void handModeIgnoresTriggers()
    {
        QFETCH(int, alg);
        QFETCH(int, rows);
        Rig rig;
        rig.clock.setLockoutInterval(0);
        rig.triggers.setAlg(alg);
        rig.clock.mStartClick();
        QVERIFY(!rig.triggers.Auto());
        rig.triggers.ComPortCTS(Cts);
        rig.triggers.ComPortCTS(0);
        QCOMPARE(rig.host.timeTexts.size(), rows);
        rig.clock.mStopClick();
        rig.clock.mResetClick();
        rig.triggers.ComPortDSR(Dsr);
        rig.triggers.ComPortDSR(0);
        QVERIFY(!rig.clock.Running());
    }

    void startIgnoredWhileLocked()
    {
        Rig rig;
        rig.Open();
        rig.clock.mStartClick(); // switches the lockout on
        rig.clock.mStopClick();  // does not touch it
        rig.clock.mResetClick();
        QVERIFY(rig.clock.Enabled(RaceCommand::Start));
        QVERIFY(rig.clock.Locked());
        rig.Lines(Dsr);
        QVERIFY(!rig.clock.Running());
        rig.clock.TimerGesperrtTimer();
        rig.Lines(0);
        rig.Lines(Dsr);
        QVERIFY(rig.clock.Running());
    }

    void unplugReturnsToHand()
    {
        Rig rig;
        rig.clock.setLockoutInterval(0);
        rig.Open();
        QVERIFY(rig.triggers.Auto());
        rig.clock.mStartClick();
        rig.backend.Unplug(PortNo);
        QVERIFY(ProcessUntil([&] { return !rig.port.Connected(); }));
        QVERIFY(!rig.triggers.Auto());
        rig.triggers.ComPortCTS(Cts);
        QVERIFY(rig.host.timeTexts.isEmpty());
    }
};

QTEST_MAIN(TestSerialTriggers)
#include "tst_serialtriggers.moc"
