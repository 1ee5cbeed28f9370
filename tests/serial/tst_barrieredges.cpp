// No light-barrier edge is lost: the transitions between two looks at the modem
// lines, and the whole road from a simulated port through the monitor thread,
// the queue, the trigger decision and the race clock, with the interface thread
// kept away while the edges come.
#include "ManualClock.h"
#include "RaceClockRecorder.h"
#include "SerialTestSupport.h"
#include "serial/ModemTransitions.h"
#include "serial/SerialPort.h"
#include "serial/SimulatedSerialBackend.h"
#include "timing/RaceClock.h"
#include "timing/SerialTriggers.h"

#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(ModemLook)

namespace {

constexpr int PortNo = 4;
constexpr quint32 Cts = ModemLine::CtsOn;
constexpr quint32 Dsr = ModemLine::DsrOn;
constexpr qint32 Noon = 12 * 3600 * 1000;

using Notifications = QList<QPair<quint32, quint32>>; // events, status word

ModemLook counted(quint32 status, quint32 cts, quint32 dsr = 0)
{
    ModemLook look;
    look.status = status;
    look.counted = true;
    look.cts = cts;
    look.dsr = dsr;
    return look;
}

ModemLook uncounted(quint32 status, quint32 reported = 0)
{
    ModemLook look;
    look.status = status;
    look.events = reported;
    return look;
}

// The port as the main window wires it: the triggers listen to its edges, and
// both the port and the race clock read one manual clock.
struct Rig
{
    SimulatedSerialBackend backend;
    ManualClock clocks;
    RaceClock clock{clocks};
    RaceClockRecorder recorder{clock};
    SerialTriggers triggers{clock};
    int handled = 0;
    // Last, so it closes while everything its signals reach is still there.
    SerialPort port{nullptr, &backend};

    explicit Rig(int alg, int lockoutMs = 0)
    {
        clocks.timeOfDay = Noon;
        clocks.tick = 5000;
        port.setPort(PortNo);
        port.setEvents(eventSet(SerialEvent::Cts) | eventSet(SerialEvent::Dsr));
        port.setClockSource(&clocks);
        triggers.listenTo(port);
        const auto count = [this] { ++handled; };
        QObject::connect(&port, &SerialPort::ctsChanged, &triggers, count);
        QObject::connect(&port, &SerialPort::dsrChanged, &triggers, count);
        triggers.setAlg(alg);
        clock.setLockoutInterval(lockoutMs);
    }

    bool openAndStart()
    {
        port.open();
        triggers.setAuto(true);
        clock.start();
        clock.endLockout(); // the lockout after START is not what is tested
        return backend.waitUntilWaiting(PortNo, backend.waitCount(PortNo) + 1);
    }

    // Blocks until the monitor has looked at the lines after everything done
    // so far, so the changes are queued and stamped with the clock as it is.
    bool seen()
    {
        // The look that saw them may have begun just before; the one after
        // it comes once they are stamped and queued.
        return backend.waitUntilLooked(PortNo, backend.lookCount(PortNo) + 3);
    }

    bool crossing(quint32 lines)
    {
        backend.setModemStatus(PortNo, backend.lastStatus(PortNo) | lines);
        if (!seen())
            return false;
        backend.setModemStatus(PortNo, backend.lastStatus(PortNo) & ~lines);
        return seen();
    }
};

} // namespace

class TestBarrierEdges : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void transitions_data()
    {
        QTest::addColumn<ModemLook>("before");
        QTest::addColumn<ModemLook>("after");
        QTest::addColumn<Notifications>("expected");
        QTest::addColumn<quint32>("unlisted");

        const quint32 both = ComEvent::Cts | ComEvent::Dsr;
        QTest::newRow("nothing") << counted(0, 3) << counted(0, 3) << Notifications{} << 0u;
        QTest::newRow("one change") << counted(0, 3) << counted(Cts, 4) << Notifications{{ComEvent::Cts, Cts}}
                                    << 0u;
        QTest::newRow("pulse: off, on, off") << counted(0, 4) << counted(0, 6)
                                             << Notifications{{ComEvent::Cts, Cts}, {ComEvent::Cts, 0}} << 0u;
        QTest::newRow("on, off, on") << counted(0, 4) << counted(Cts, 7)
                                     << Notifications{{ComEvent::Cts, Cts},
                                                      {ComEvent::Cts, 0},
                                                      {ComEvent::Cts, Cts}}
                                     << 0u;
        // Seen together, CTS and DSR share one notification with the word read.
        QTest::newRow("CTS and DSR together")
            << counted(0, 1, 1) << counted(Cts | Dsr, 2, 2) << Notifications{{both, Cts | Dsr}} << 0u;
        QTest::newRow("CTS pulse, DSR change") << counted(0, 0, 0) << counted(Dsr, 2, 1)
                                               << Notifications{{ComEvent::Cts, Cts}, {both, Dsr}} << 0u;
        QTest::newRow("count and level disagree: a pulse")
            << counted(Cts, 9) << counted(Cts, 10) << Notifications{{ComEvent::Cts, 0}, {ComEvent::Cts, Cts}}
            << 0u;
        QTest::newRow("no counters: the level alone")
            << uncounted(0) << uncounted(Cts) << Notifications{{ComEvent::Cts, Cts}} << 0u;
        // A device without counters that reports which lines changed (Win32's
        // WaitCommEvent): a reported line that reads as before was pulsed.
        QTest::newRow("reported, reads as before: a pulse")
            << uncounted(Cts) << uncounted(Cts, ComEvent::Cts)
            << Notifications{{ComEvent::Cts, 0}, {ComEvent::Cts, Cts}} << 0u;
        QTest::newRow("reported and changed: one edge")
            << uncounted(0) << uncounted(Cts, ComEvent::Cts) << Notifications{{ComEvent::Cts, Cts}} << 0u;
        QTest::newRow("not reported, reads as before") << uncounted(Dsr) << uncounted(Dsr) << Notifications{} << 0u;
        QTest::newRow("DSR pulse reported with a CTS change")
            << uncounted(0) << uncounted(Cts, both) << Notifications{{ComEvent::Dsr, Dsr}, {both, Cts}} << 0u;
        QTest::newRow("counter went back")
            << counted(0, 50) << counted(Cts, 2) << Notifications{{ComEvent::Cts, Cts}} << 0u;
        QTest::newRow("unwatched ring") << counted(0, 0) << [] {
            ModemLook ring = counted(ModemLine::RingOn, 0);
            ring.ring = 1;
            return ring;
        }() << Notifications{} << 0u;
        Notifications capped;
        for (quint32 i = 1; i < MaxListedChanges; ++i)
            capped.append({ComEvent::Cts, (i % 2) ? Cts : 0});
        capped.append({ComEvent::Cts, 0});
        QTest::newRow("noise beyond the listed limit")
            << counted(0, 0) << counted(0, 1000) << capped << (1000u - MaxListedChanges);
    }

    void transitions()
    {
        QFETCH(ModemLook, before);
        QFETCH(ModemLook, after);
        QFETCH(Notifications, expected);
        QFETCH(quint32, unlisted);
        std::vector<SerialNotification> out;
        QCOMPARE(appendModemTransitions(before, after, ComEvent::Cts | ComEvent::Dsr, &out), unlisted);
        Notifications seen;
        for (const SerialNotification &notification : out)
            seen.append({notification.events, notification.modemStatus});
        QCOMPARE(seen, expected);
    }

    // Every way a finish crossing can reach the port records one finish, for
    // a barrier that acts on the line turning on and one that acts on it
    // turning off.
    void everyCrossingIsOneFinish_data()
    {
        QTest::addColumn<int>("alg");
        QTest::addColumn<QString>("crossing");
        for (int alg : {0, 1}) {
            for (const char *crossing :
                 {"ordinary", "edges in the gap", "counted pulse", "sampled pulse without counters"})
                QTest::addRow("Alg %d, %s", alg, crossing) << alg << QString::fromLatin1(crossing);
        }
    }

    void everyCrossingIsOneFinish()
    {
        QFETCH(int, alg);
        QFETCH(QString, crossing);
        Rig rig(alg);
        rig.backend.setCounters(PortNo, crossing != QLatin1String("sampled pulse without counters"));
        QVERIFY(rig.openAndStart());

        if (crossing == QLatin1String("ordinary")) {
            QVERIFY(rig.crossing(Cts));
        } else if (crossing == QLatin1String("edges in the gap")) {
            // Each edge comes after the monitor's look and before its wait
            // begins; nothing else happens on the line afterwards.
            rig.backend.setModemStatusInGap(PortNo, Cts);
            QVERIFY(rig.seen());
            rig.backend.setModemStatusInGap(PortNo, 0);
            QVERIFY(rig.seen());
        } else if (crossing == QLatin1String("counted pulse")) {
            rig.backend.pulse(PortNo, Cts);
        } else {
            // Sampling every half millisecond: a line on across two looks is
            // on at one of them, as a 2 ms pulse always is.
            rig.backend.setCts(PortNo, true);
            QVERIFY(rig.seen());
            rig.backend.setCts(PortNo, false);
        }
        QVERIFY(processUntil([&] { return rig.recorder.timeTexts.size() == 1 && rig.handled == 2; }));
        QCOMPARE(rig.triggers.lastModemStatus(), 0u);
        QCOMPARE(rig.port.lostEvents(), 0u);
        // Nothing more comes.
        QVERIFY(rig.seen());
        QCoreApplication::processEvents();
        QCOMPARE(rig.recorder.timeTexts.size(), 1);
        QCOMPARE(rig.handled, 2);
    }

    // Two competitors cross while the interface thread is busy: each finish
    // gets the time of its own edge, and the lockout after the first is
    // judged by the times of the edges, not by when they are handled.
    void crossingsWhileBusyKeepTheirTimes_data()
    {
        QTest::addColumn<int>("apart");
        QTest::addColumn<QStringList>("recorded");
        QTest::newRow("outside the lockout") << 250 << QStringList{"12:00.00,00", "12:00.00,25"};
        QTest::newRow("inside the lockout") << 150 << QStringList{"12:00.00,00"};
        QTest::newRow("just at its end") << 200 << QStringList{"12:00.00,00", "12:00.00,20"};
    }

    void crossingsWhileBusyKeepTheirTimes()
    {
        QFETCH(int, apart);
        QFETCH(QStringList, recorded);
        Rig rig(SerialTriggers::AlgOn, 200);
        QVERIFY(rig.openAndStart());

        // No event is processed from here on until both crossings are queued.
        QVERIFY(rig.crossing(Cts));
        rig.clocks.advance(apart);
        QVERIFY(rig.crossing(Cts));
        rig.clocks.advance(300);
        QVERIFY(rig.port.dispatchPending());
        QCOMPARE(rig.handled, 0);

        QVERIFY(processUntil([&] { return rig.handled == 4; }));
        QCOMPARE(rig.recorder.timeTexts, recorded);
        QCOMPARE(rig.port.lostEvents(), 0u);
        // The lockout of the last finish began at its edge.
        QCOMPARE(rig.clock.locked(), false);
    }

    // The start barrier too is judged by the time of its edge.
    void startEdgeWithinLockoutIsIgnored()
    {
        Rig rig(SerialTriggers::AlgOn, 200);
        rig.port.open();
        rig.triggers.setAuto(true);
        QVERIFY(rig.backend.waitUntilWaiting(PortNo, 1));
        QVERIFY(rig.crossing(Dsr)); // starts at its edge, and START locks for 200 ms
        rig.clocks.advance(100);
        QVERIFY(processUntil([&] { return rig.handled == 2; }));
        QVERIFY(rig.clock.running());
        QCOMPARE(rig.clock.startTick(), 5000u);
        rig.clock.stop();
        rig.clock.reset();
        QVERIFY(rig.crossing(Dsr)); // at +100: still locked
        QVERIFY(processUntil([&] { return rig.handled == 4; }));
        QVERIFY(!rig.clock.running());
        rig.clocks.advance(100);
        QVERIFY(rig.crossing(Dsr)); // at +200: free
        QVERIFY(processUntil([&] { return rig.handled == 6; }));
        QVERIFY(rig.clock.running());
    }

    // A flood the interface thread cannot take in time fills the queue; what
    // does not fit is counted and reported, never dropped in silence.
    void overflowIsReported()
    {
        Rig rig(SerialTriggers::AlgOn, 0);
        QSignalSpy overflows(&rig.port, &SerialPort::eventsLost);
        QVERIFY(rig.openAndStart());
        constexpr int pulses = 3000;
        for (int i = 0; i < pulses; ++i)
            rig.backend.pulse(PortNo, Cts);
        QVERIFY(rig.seen());
        QVERIFY(processUntil([&] { return !overflows.isEmpty() && !rig.port.dispatchPending(); }));
        QVERIFY(rig.port.lostEvents() > 0);
        QCOMPARE(quint64(rig.handled) + rig.port.lostEvents(), quint64(2 * pulses));
    }
};

QTEST_MAIN(TestBarrierEdges)
#include "tst_barrieredges.moc"
