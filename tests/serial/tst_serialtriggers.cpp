#include "BarrierRig.h"
#include "SerialTestSupport.h"

#include <QStringList>
#include <QTest>

namespace {

constexpr int PortNo = 2;
constexpr quint32 Cts = ModemLine::CtsOn;
constexpr quint32 Dsr = ModemLine::DsrOn;

// The rig with the port's flow control and the trigger mode following the port, as the
// main window sets them, at ten o'clock.
struct Rig : BarrierRig
{
    Rig()
        : BarrierRig(PortNo)
    {
        port.setFlowControl(FlowControl::RtsCts);
        // The mode follows the port: Auto exactly while it is open.
        QObject::connect(&port, &SerialPort::opened, &triggers, [this] { triggers.setAuto(true); });
        QObject::connect(&port, &SerialPort::closed, &triggers, [this] { triggers.setAuto(false); });
        clocks.timeOfDay = 10 * 3600 * 1000;
    }

    void open()
    {
        const int waits = backend.waitCount(PortNo);
        port.open();
        QVERIFY(backend.waitUntilWaiting(PortNo, waits + 1));
    }

    // Sets the lines and waits until the handlers for every changed line have
    // run and the monitor waits again.
    void lines(quint32 status)
    {
        const quint32 changed = (status ^ backend.lastStatus(PortNo)) & (Cts | Dsr);
        const int expected = handled + ((changed & Cts) ? 1 : 0) + ((changed & Dsr) ? 1 : 0);
        const int waits = backend.waitCount(PortNo);
        backend.setModemStatus(PortNo, status);
        if (expected == handled)
            return;
        QVERIFY(processUntil([&] { return handled == expected; }));
        QVERIFY(backend.waitUntilWaiting(PortNo, waits + 1));
    }

    // START, then the lockout that START switched on runs out.
    void startRunning()
    {
        clock.start();
        clock.endLockout();
        QVERIFY(clock.enabled(RaceCommand::Lap));
        QVERIFY(!clock.locked());
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
        QCOMPARE(rig.triggers.lastModemStatus(), 0x55555555u);
        rig.open();
        rig.lines(Dsr);
        QCOMPARE(rig.triggers.lastModemStatus(), Dsr);
        QVERIFY(rig.clock.running());
    }

    void threeFinishChangesInLockoutRecordOne()
    {
        Rig rig;
        rig.clock.setLockoutInterval(200);
        rig.open();
        rig.startRunning();
        // Three crossings 50 ms apart: on, off, on, off, on.
        rig.lines(Cts);
        QCOMPARE(rig.recorder.timeTexts.size(), 1);
        QVERIFY(rig.clock.locked());
        for (quint32 status : {0u, Cts, 0u, Cts}) {
            rig.clocks.advance(25);
            rig.lines(status);
            QVERIFY(rig.clock.locked());
        }
        QCOMPARE(rig.recorder.timeTexts.size(), 1);
        QCOMPARE(rig.recorder.timeTexts.first(), QStringLiteral("10:00.00,00"));
        QCOMPARE(rig.recorder.sources.first(), FinishSource::LightBarrier);
        QCOMPARE(rig.triggers.lastModemStatus(), Cts);
        // The line is still on when the lockout ends: nothing more happens.
        rig.clock.endLockout();
        QCoreApplication::processEvents();
        QCOMPARE(rig.recorder.timeTexts.size(), 1);
        // The next crossing counts again.
        rig.lines(0);
        rig.clocks.advance(1000);
        rig.lines(Cts);
        QCOMPARE(rig.recorder.timeTexts.size(), 2);
        QCOMPARE(rig.recorder.timeTexts.last(), QStringLiteral("10:00.01,10"));
    }

    void threeFinishKeysRecordThree()
    {
        Rig rig;
        rig.open();
        rig.clock.start();
        QVERIFY(rig.clock.locked()); // the lockout does not stop the operator
        for (int i = 0; i < 3; ++i) {
            rig.clock.recordFinish();
            rig.clocks.advance(50);
        }
        QCOMPARE(rig.recorder.timeTexts, (QStringList{"10:00.00,00", "10:00.00,05", "10:00.00,10"}));
    }

    void finishKeyInLockoutRecordsButLineDoesNot()
    {
        Rig rig;
        rig.open();
        rig.startRunning();
        rig.lines(Cts);
        QVERIFY(rig.clock.locked());
        rig.lines(0);
        rig.lines(Cts);
        rig.clock.recordFinish();
        QCOMPARE(rig.recorder.timeTexts.size(), 2);
        QCOMPARE(rig.recorder.resultCount, 2);
    }

    void ctsAndDsrInOneNotification()
    {
        Rig rig;
        rig.open();
        // Both lines in one notification: the finish handler records the word,
        // the start handler sees it unchanged and the start is lost.
        rig.lines(Cts | Dsr);
        QCOMPARE(rig.handled, 2);
        QCOMPARE(rig.triggers.lastModemStatus(), Cts | Dsr);
        QVERIFY(!rig.clock.running());
        QVERIFY(rig.recorder.timeTexts.isEmpty());
        // The start line alone works.
        rig.lines(Cts);
        rig.lines(Cts | Dsr);
        QVERIFY(rig.clock.running());
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
        rig.open();
        for (int i = 0; i < statuses.size(); ++i) {
            rig.lines(statuses[i]);
            QCOMPARE(rig.clock.running(), startedAt >= 0 && i >= startedAt);
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
        rig.open();
        rig.clock.start();
        for (int i = 0; i < statuses.size(); ++i) {
            rig.lines(statuses[i]);
            QCOMPARE(rig.recorder.timeTexts.size(), rows[i]);
            QVERIFY(!rig.clock.locked());
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
        rig.open();
        if (trigger == 0)
            rig.lines(Cts);
        rig.startRunning();
        rig.lines(trigger);
        QCOMPARE(rig.recorder.timeTexts.size(), 1);
        QVERIFY(rig.clock.locked());
        rig.lines(trigger ^ Cts);
        rig.lines(trigger);
        QCOMPARE(rig.recorder.timeTexts.size(), 1);
    }

    void finishWhileNotRunningDoesNothing()
    {
        Rig rig;
        rig.open();
        rig.lines(Cts);
        QVERIFY(rig.recorder.timeTexts.isEmpty());
        QVERIFY(!rig.clock.locked()); // the lockout only arms while the clock runs
        QCOMPARE(rig.recorder.resultCount, 0);
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
        rig.clock.start();
        QVERIFY(!rig.triggers.isAuto());
        rig.triggers.finishLineChanged(Cts, rig.clocks.now());
        rig.triggers.finishLineChanged(0, rig.clocks.now());
        QCOMPARE(rig.recorder.timeTexts.size(), rows);
        rig.clock.stop();
        rig.clock.reset();
        rig.triggers.startLineChanged(Dsr, rig.clocks.now());
        rig.triggers.startLineChanged(0, rig.clocks.now());
        QVERIFY(!rig.clock.running());
    }

    void startIgnoredWhileLocked()
    {
        Rig rig;
        rig.open();
        rig.clock.start(); // switches the lockout on
        rig.clock.stop(); // does not touch it
        rig.clock.reset();
        QVERIFY(rig.clock.enabled(RaceCommand::Start));
        QVERIFY(rig.clock.locked());
        rig.lines(Dsr);
        QVERIFY(!rig.clock.running());
        rig.clock.endLockout();
        rig.lines(0);
        rig.lines(Dsr);
        QVERIFY(rig.clock.running());
    }

    void unplugReturnsToHand()
    {
        Rig rig;
        rig.clock.setLockoutInterval(0);
        rig.open();
        QVERIFY(rig.triggers.isAuto());
        rig.clock.start();
        rig.backend.unplug(PortNo);
        QVERIFY(processUntil([&] { return !rig.port.connected(); }));
        QVERIFY(!rig.triggers.isAuto());
        rig.triggers.finishLineChanged(Cts, rig.clocks.now());
        QVERIFY(rig.recorder.timeTexts.isEmpty());
    }
};

QTEST_MAIN(TestSerialTriggers)
#include "tst_serialtriggers.moc"
