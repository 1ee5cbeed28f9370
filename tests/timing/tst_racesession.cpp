// The race session owns the clock, the serial port and the triggers. These tests
// drive it through the simulated serial backend: the port choice from the settings,
// the mode it announces, and finishes from the operator and from a light barrier.
#include "ManualClock.h"
#include "serial/SerialPort.h"
#include "serial/SimulatedSerialBackend.h"
#include "timing/RaceSession.h"
#include "timing/SerialTriggers.h"

#include <QSignalSpy>
#include <QTest>

namespace {

const QString Busy = QStringLiteral("Unable to open com port: Device or resource busy");

struct Session
{
    SimulatedSerialBackend backend;
    ManualClock clocks;
    RaceSession session{clocks, &backend};

    Session()
    {
        for (int port : {1, 3})
            backend.setPresent(port, true);
    }
    ~Session() { session.closePort(); }
};

BarrierStatus::Mode lastMode(const QSignalSpy &spy)
{
    return spy.last().first().value<BarrierStatus>().mode;
}

} // namespace

Q_DECLARE_METATYPE(BarrierStatus)

class TestRaceSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void choosePort_data()
    {
        QTest::addColumn<int>("portBefore");
        QTest::addColumn<bool>("openBefore");
        QTest::addColumn<int>("portChosen");
        QTest::addColumn<QString>("openError");
        QTest::addColumn<int>("opensExpected"); // opens of the chosen port during the choice
        QTest::addColumn<bool>("openAfter");
        QTest::addColumn<bool>("errorReported");
        // Announcements of the mode: closing an open port says Hand first.
        QTest::addColumn<int>("modesAnnounced");
        QTest::newRow("none stays none") << 0 << false << 0 << QString() << 0 << false << false << 1;
        QTest::newRow("none to COM3") << 0 << false << 3 << QString() << 1 << true << false << 1;
        QTest::newRow("COM1 to COM3") << 1 << true << 3 << QString() << 1 << true << false << 2;
        QTest::newRow("COM1 to none") << 1 << true << 0 << QString() << 0 << false << false << 2;
        QTest::newRow("same port, open: left alone")
            << 3 << true << 3 << QString() << 0 << true << false << 1;
        QTest::newRow("same port, closed meanwhile: reopened")
            << 3 << false << 3 << QString() << 1 << true << false << 1;
        QTest::newRow("new port busy") << 1 << true << 3 << Busy << 0 << false << true << 1;
    }

    void choosePort()
    {
        QFETCH(int, portBefore);
        QFETCH(bool, openBefore);
        QFETCH(int, portChosen);
        QFETCH(QString, openError);
        QFETCH(int, opensExpected);
        QFETCH(bool, openAfter);
        QFETCH(bool, errorReported);
        QFETCH(int, modesAnnounced);
        Session s;
        s.session.setPortNumber(portBefore);
        if (openBefore)
            QVERIFY(!s.session.openPort());
        if (!openError.isEmpty())
            s.backend.setOpenError(portChosen, openError);
        const int opensBefore = portChosen ? s.backend.openCount(portChosen) : 0;
        QSignalSpy modes(&s.session, &RaceSession::modeChanged);

        const std::optional<QString> error = s.session.choosePort(portChosen, SerialTriggers::AlgOff);

        QCOMPARE(error.has_value(), errorReported);
        if (error)
            QVERIFY(error->contains(QStringLiteral("busy")));
        QCOMPARE(s.session.portNumber(), portChosen);
        QCOMPARE(s.session.portConnected(), openAfter);
        if (portChosen) {
            QCOMPARE(s.backend.openCount(portChosen) - opensBefore, opensExpected);
            QCOMPARE(s.session.algorithm(), int(SerialTriggers::AlgOff));
        }
        if (portBefore && portBefore != portChosen)
            QVERIFY(!s.backend.isOpen(portBefore));
        // The mode follows the port; a failed open announces nothing more.
        QCOMPARE(modes.count(), modesAnnounced);
        QCOMPARE(lastMode(modes) != BarrierStatus::Hand, openAfter);
    }

    void noPortKeepsThePolarity()
    {
        Session s;
        s.session.setAlgorithm(SerialTriggers::AlgOff);
        QVERIFY(!s.session.choosePort(0, SerialTriggers::AlgOn));
        QCOMPARE(s.session.algorithm(), int(SerialTriggers::AlgOff));
        QCOMPARE(s.session.triggers().alg(), int(SerialTriggers::AlgOff));
    }

    void unpluggedAdapterEndsAuto()
    {
        Session s;
        s.session.setPortNumber(3);
        QVERIFY(!s.session.openPort());
        s.session.setAutomatic(true);
        QSignalSpy modes(&s.session, &RaceSession::modeChanged);
        QSignalSpy closed(&s.session, &RaceSession::portClosed);
        s.backend.unplug(3);
        QVERIFY(closed.wait(5000));
        QVERIFY(!s.session.triggers().isAuto());
        QVERIFY(modes.count() >= 1);
        QCOMPARE(lastMode(modes), BarrierStatus::Hand);
        QVERIFY(!modes.last().first().value<BarrierStatus>().warning.isEmpty());
    }

    void finishesCarryTheirSource()
    {
        Session s;
        s.clocks.timeOfDay = 10 * 3600 * 1000;
        s.session.clock().setLockoutInterval(0);
        s.session.setPortNumber(3);
        s.session.setAlgorithm(SerialTriggers::AlgOn);
        QVERIFY(!s.session.openPort());
        s.session.setAutomatic(true);
        QSignalSpy finishes(&s.session, &RaceSession::finishRecorded);
        s.session.clock().start();
        s.session.clock().recordFinish();
        s.backend.setCts(3, true);
        QVERIFY(QTest::qWaitFor([&] { return finishes.count() == 2; }, 5000));
        const auto finish = [&](int i) { return finishes.at(i).at(0).value<RaceFinish>(); };
        QCOMPARE(finish(0).source, FinishSource::Key);
        QCOMPARE(finish(1).source, FinishSource::LightBarrier);
        QCOMPARE(finish(0).timeText, QStringLiteral("10:00.00,00"));
    }
};

QTEST_MAIN(TestRaceSession)
#include "tst_racesession.moc"
