#include "ManualClock.h"
#include "SerialTestSupport.h"
#include "serial/SerialPort.h"
#include "serial/SimulatedSerialBackend.h"

#include <QDialog>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>

namespace {
constexpr int PortNo = 3;
}

class TestComPort : public QObject
{
    Q_OBJECT

private:
    SimulatedSerialBackend *m_backend = nullptr;
    SerialPort *m_port = nullptr;
    ManualClock m_clocks;
    QStringList m_calls;

    // Records every signal of the port in m_calls, in the order they come.
    void record(SerialPort &port)
    {
        const auto add
            = [this](const char *name) { return [this, name] { m_calls << QLatin1String(name); }; };
        connect(&port, &SerialPort::charactersReceived, this,
                [this](quint32 queued) { m_calls << QStringLiteral("RxChar %1").arg(queued); });
        connect(&port, &SerialPort::breakReceived, this, add("Break"));
        connect(&port, &SerialPort::ringChanged, this, add("Ring"));
        connect(&port, &SerialPort::ctsChanged, this, add("CTS"));
        connect(&port, &SerialPort::dsrChanged, this, add("DSR"));
        connect(&port, &SerialPort::rlsdChanged, this, add("RLSD"));
        connect(&port, &SerialPort::lineErrorOccurred, this, add("Error"));
        connect(&port, &SerialPort::opened, this, add("Open"));
        connect(&port, &SerialPort::closed, this, add("Close"));
    }

    // Opens the port and waits until its monitor waits for line events.
    void openAndWait()
    {
        const int waits = m_backend->waitCount(PortNo);
        m_port->open();
        QVERIFY(m_backend->waitUntilWaiting(PortNo, waits + 1));
    }

private Q_SLOTS:
    void init()
    {
        m_backend = new SimulatedSerialBackend;
        m_port = new SerialPort(nullptr, m_backend);
        m_port->setPort(PortNo);
        m_clocks.tick = 7000;
        m_clocks.timeOfDay = 9 * 3600 * 1000;
        m_port->setClockSource(&m_clocks);
        m_calls.clear();
        record(*m_port);
    }

    void cleanup()
    {
        delete m_port;
        m_port = nullptr;
        delete m_backend;
        m_backend = nullptr;
    }

    void constructionValues()
    {
        SerialPort port(nullptr, m_backend);
        QCOMPARE(port.baudRate(), BaudRate::Baud9600);
        QCOMPARE(port.baudRateUser(), 9600);
        QCOMPARE(port.port(), quint8(1));
        QCOMPARE(port.parity(), Parity::None);
        QCOMPARE(port.stopBits(), StopBits::One);
        QCOMPARE(port.flowControl(), FlowControl::None);
        QCOMPARE(port.dataBits(), quint8(8));
        QCOMPARE(port.events(), SerialEvents(0x1FF));
        QVERIFY(port.enableDTR());
        QCOMPARE(port.writeBufSize(), 2048);
        QCOMPARE(port.readBufSize(), 2048);
        QVERIFY(!port.connected());
        QCOMPARE(port.modemStatus(), 0u);
    }

    void dataBitsClamp_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("0") << 0 << 5;
        QTest::newRow("4") << 4 << 5;
        QTest::newRow("5") << 5 << 5;
        QTest::newRow("7") << 7 << 7;
        QTest::newRow("8") << 8 << 8;
        QTest::newRow("9") << 9 << 8;
        QTest::newRow("255") << 255 << 8;
    }

    void dataBitsClamp()
    {
        QFETCH(int, value);
        QFETCH(int, expected);
        m_port->setDataBits(quint8(value));
        QCOMPARE(int(m_port->dataBits()), expected);
    }

    void baudRates_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("user");
        QTest::addColumn<quint32>("expected");
        const quint32 rates[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                 19200, 38400, 56000, 57600, 115200, 128000, 256000};
        for (int i = int(BaudRate::Baud110); i <= int(BaudRate::Baud256000); ++i)
            QTest::addRow("%u", rates[i]) << i << 1234 << rates[i];
        QTest::newRow("BaudRate::User 28800") << int(BaudRate::User) << 28800 << 28800u;
        QTest::newRow("BaudRate::User 250000") << int(BaudRate::User) << 250000 << 250000u;
    }

    void baudRates()
    {
        QFETCH(int, rate);
        QFETCH(int, user);
        QFETCH(quint32, expected);
        m_port->setBaudRate(BaudRate(rate));
        m_port->setBaudRateUser(user);
        m_port->open();
        QCOMPARE(m_backend->lastSettings(PortNo).baudRate, expected);
    }

    void lineSettingsOfTheMainWindow()
    {
        // The configuration the main window gives its port.
        m_port->setBaudRateUser(28800);
        m_port->setFlowControl(FlowControl::RtsCts);
        m_port->setDataBits(5);
        m_port->setEvents(eventSet(SerialEvent::Cts) | eventSet(SerialEvent::Dsr));
        m_port->setWriteBufSize(64);
        m_port->setReadBufSize(64);
        m_port->open();
        const SerialLineSettings settings = m_backend->lastSettings(PortNo);
        QCOMPARE(settings.baudRate, 9600u);
        QCOMPARE(settings.dataBits, 5);
        QCOMPARE(settings.flowControl, FlowControl::RtsCts);
        QCOMPARE(settings.xonLim, 16);
        QCOMPARE(settings.xoffLim, 1);
        QCOMPARE(int(settings.xonChar), 17);
        QCOMPARE(int(settings.xoffChar), 19);
        QCOMPARE(settings.readBufSize, 64);
        QVERIFY(settings.enableDTR);
        QCOMPARE(m_backend->eventMask(PortNo), 0x0018u);
    }

    void eventMask_data()
    {
        QTest::addColumn<int>("event");
        QTest::addColumn<quint32>("bit");
        QTest::newRow("SerialEvent::RxChar") << int(SerialEvent::RxChar) << 0x0001u;
        QTest::newRow("SerialEvent::TxEmpty") << int(SerialEvent::TxEmpty) << 0x0004u;
        QTest::newRow("SerialEvent::RxFlag") << int(SerialEvent::RxFlag) << 0x0002u;
        QTest::newRow("SerialEvent::Ring") << int(SerialEvent::Ring) << 0x0100u;
        QTest::newRow("SerialEvent::Break") << int(SerialEvent::Break) << 0x0040u;
        QTest::newRow("SerialEvent::Cts") << int(SerialEvent::Cts) << 0x0008u;
        QTest::newRow("SerialEvent::Dsr") << int(SerialEvent::Dsr) << 0x0010u;
        QTest::newRow("SerialEvent::Error") << int(SerialEvent::Error) << 0x0080u;
        QTest::newRow("SerialEvent::Rlsd") << int(SerialEvent::Rlsd) << 0x0020u;
    }

    void eventMask()
    {
        QFETCH(int, event);
        QFETCH(quint32, bit);
        QCOMPARE(platformEventMask(eventSet(SerialEvent(event))), bit);
        QCOMPARE(platformEventMask(AllEvents & ~eventSet(SerialEvent(event))), 0x01FFu & ~bit);
    }

    void openFiresOpenAndConnects()
    {
        m_port->open();
        QVERIFY(m_port->connected());
        QVERIFY(m_backend->isOpen(PortNo));
        QCOMPARE(m_calls, QStringList{"Open"});
    }

    void openOnOpenPortClosesFirst()
    {
        m_port->open();
        m_port->open();
        QCOMPARE(m_calls, (QStringList{"Open", "Close", "Open"}));
        QVERIFY(m_port->connected());
        QCOMPARE(m_backend->openCount(PortNo), 2);
    }

    void closeOnClosedPortFiresNothing()
    {
        m_port->close();
        m_port->open();
        m_port->close();
        m_port->close();
        QCOMPARE(m_calls, (QStringList{"Open", "Close"}));
        QVERIFY(!m_backend->isOpen(PortNo));
    }

    void openFailures_data()
    {
        QTest::addColumn<bool>("present");
        QTest::addColumn<QString>("openError");
        QTest::addColumn<QString>("configureError");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("stateError");
        QTest::newRow("absent") << false << QString() << QString()
                                << "Unable to open com port: No such file or directory" << false;
        QTest::newRow("in use") << true << "Device or resource busy" << QString()
                                << "Unable to open com port: Device or resource busy" << false;
        QTest::newRow("programming") << true << QString() << "Invalid argument"
                                     << "Unable to set com state: Invalid argument" << true;
    }

    void openFailures()
    {
        QFETCH(bool, present);
        QFETCH(QString, openError);
        QFETCH(QString, configureError);
        QFETCH(QString, message);
        QFETCH(bool, stateError);
        m_backend->setPresent(PortNo, present);
        m_backend->setOpenError(PortNo, openError);
        m_backend->setConfigureError(PortNo, configureError);
        QString caught;
        bool wasStateError = false;
        try {
            m_port->open();
        } catch (const SerialSetupError &e) {
            caught = e.message();
            wasStateError = true;
        } catch (const SerialOpenError &e) {
            caught = e.message();
        }
        QCOMPARE(caught, message);
        QCOMPARE(wasStateError, stateError);
        QVERIFY(!m_port->connected());
        QVERIFY(!m_backend->isOpen(PortNo)); // a device that failed is released
        QVERIFY(m_calls.isEmpty());
        // Nothing is left behind: the next Open works.
        m_backend->setPresent(PortNo, true);
        m_backend->setConfigureError(PortNo, QString());
        m_port->open();
        QVERIFY(m_port->connected());
    }

    void failedReopenLeavesClosed()
    {
        m_port->open();
        m_backend->setConfigureError(PortNo, QStringLiteral("Invalid argument"));
        QVERIFY_THROWS_EXCEPTION(SerialSetupError, m_port->open());
        QVERIFY(!m_port->connected());
        QCOMPARE(m_calls, (QStringList{"Open", "Close"}));
    }

    // Each event emits its signal, with the stamp the monitor gave it even when
    // the interface thread gets to it later, and with the status word (a DSR
    // line on since before the open) or the queued byte count.
    void singleEventEmitsItsSignal_data()
    {
        QTest::addColumn<quint32>("bits");
        QTest::addColumn<QString>("recorded");
        QTest::addColumn<QByteArray>("signature");
        QTest::addColumn<int>("firstArgument"); // -1: the stamp is the only one
        QTest::newRow("RxChar") << ComEvent::RxChar << "RxChar 7"
                                << QByteArray(SIGNAL(charactersReceived(quint32, ClockStamp))) << 7;
        QTest::newRow("Break") << ComEvent::Break << "Break" << QByteArray(SIGNAL(breakReceived(ClockStamp)))
                               << -1;
        QTest::newRow("Ring") << ComEvent::Ring << "Ring"
                              << QByteArray(SIGNAL(ringChanged(quint32, ClockStamp)))
                              << int(ModemLine::DsrOn);
        QTest::newRow("CTS") << ComEvent::Cts << "CTS" << QByteArray(SIGNAL(ctsChanged(quint32, ClockStamp)))
                             << int(ModemLine::DsrOn);
        QTest::newRow("DSR") << ComEvent::Dsr << "DSR" << QByteArray(SIGNAL(dsrChanged(quint32, ClockStamp)))
                             << int(ModemLine::DsrOn);
        QTest::newRow("RLSD") << ComEvent::Rlsd << "RLSD"
                              << QByteArray(SIGNAL(rlsdChanged(quint32, ClockStamp)))
                              << int(ModemLine::DsrOn);
        QTest::newRow("Error") << ComEvent::Error << "Error"
                               << QByteArray(SIGNAL(lineErrorOccurred(ClockStamp))) << -1;
    }

    void singleEventEmitsItsSignal()
    {
        QFETCH(quint32, bits);
        QFETCH(QString, recorded);
        QFETCH(QByteArray, signature);
        QFETCH(int, firstArgument);
        QSignalSpy spy(m_port, signature.constData());
        QVERIFY(spy.isValid());
        m_backend->setInQueCount(PortNo, 7);
        m_backend->setDsr(PortNo, true);
        openAndWait();
        const ClockStamp seen = m_clocks.now();
        m_backend->raiseEvents(PortNo, bits);
        QVERIFY(spinUntil([this] { return m_port->dispatchPending(); }));
        m_clocks.advance(250);
        QVERIFY(processUntil([this] { return m_calls.size() == 2; }));
        QCOMPARE(m_calls, (QStringList{"Open", recorded}));
        QCOMPARE(spy.size(), 1);
        const QList<QVariant> arguments = spy.first();
        QCOMPARE(arguments.size(), firstArgument < 0 ? 1 : 2);
        if (firstArgument >= 0)
            QCOMPARE(arguments.first().value<quint32>(), quint32(firstArgument));
        const ClockStamp stamp = arguments.last().value<ClockStamp>();
        QCOMPARE(stamp.tick, seen.tick);
        QCOMPARE(stamp.timeOfDayMs, seen.timeOfDayMs);
    }

    void allEventsInFixedOrder()
    {
        m_backend->setInQueCount(PortNo, 3);
        openAndWait();
        // TxEmpty and RxFlag have no signal: no port reports them.
        m_backend->raiseEvents(PortNo, 0x01FF);
        QVERIFY(processUntil([this] { return m_calls.size() == 8; }));
        QCOMPARE(m_calls, (QStringList{"Open", "RxChar 3", "Break", "Ring", "CTS", "DSR", "RLSD", "Error"}));
        QCoreApplication::processEvents();
        QCOMPARE(m_calls.size(), 8);
    }

    void ctsAndDsrInOneDispatch()
    {
        m_port->setEvents(eventSet(SerialEvent::Cts) | eventSet(SerialEvent::Dsr));
        QSignalSpy cts(m_port, &SerialPort::ctsChanged);
        QSignalSpy dsr(m_port, &SerialPort::dsrChanged);
        openAndWait();
        m_backend->setModemStatus(PortNo, ModemLine::CtsOn | ModemLine::DsrOn);
        QVERIFY(processUntil([this] { return m_calls.size() == 3; }));
        QCOMPARE(m_calls, (QStringList{"Open", "CTS", "DSR"}));
        QCOMPARE(cts.size(), 1);
        QCOMPARE(dsr.size(), 1);
        QCOMPARE(cts.first().first().value<quint32>(), 0x30u);
        QCOMPARE(dsr.first().first().value<quint32>(), 0x30u);
    }

    void unwatchedEventsAreNotReported()
    {
        m_port->setEvents(eventSet(SerialEvent::Cts) | eventSet(SerialEvent::Dsr));
        openAndWait();
        // Ring and a received character are not watched; the CTS change is.
        m_backend->setModemStatus(PortNo, ModemLine::RingOn);
        m_backend->raiseEvents(PortNo, ComEvent::RxChar);
        m_backend->setCts(PortNo, true);
        QVERIFY(processUntil([this] { return m_calls.size() >= 2; }));
        QCOMPARE(m_calls, (QStringList{"Open", "CTS"}));
    }

    void closeEndsMonitorThatNeverSawAnEvent()
    {
        openAndWait();
        // Even when the first wakes are lost, Close keeps waking the monitor.
        m_backend->loseWakes(PortNo, 3);
        m_port->close();
        QVERIFY(!m_port->connected());
        QVERIFY(!m_backend->isOpen(PortNo));
        QCOMPARE(m_backend->purgeCount(PortNo), 1);
        QCOMPARE(m_calls, (QStringList{"Open", "Close"}));
    }

    void closeRunsDispatchAlreadyHandedOver()
    {
        QList<bool> connectedInSlot;
        connect(m_port, &SerialPort::ctsChanged, this, [&] { connectedInSlot << m_port->connected(); });
        openAndWait();
        m_backend->setCts(PortNo, true);
        // The monitor has handed the batch over and blocks; the interface thread
        // has not run it yet when Close comes.
        QVERIFY(spinUntil([this] { return m_port->dispatchPending(); }));
        m_port->close();
        QCOMPARE(m_calls, (QStringList{"Open", "CTS", "Close"}));
        QCOMPARE(connectedInSlot, QList<bool>{true});
        // The queued hand-over finds nothing left to do.
        QCoreApplication::processEvents();
        QCOMPARE(m_calls.size(), 3);
    }

    void closeFromInsideSlotDoesNotDeadlock()
    {
        connect(m_port, &SerialPort::ctsChanged, this, [this] { m_port->close(); });
        openAndWait();
        m_backend->setModemStatus(PortNo, ModemLine::CtsOn | ModemLine::DsrOn);
        QVERIFY(processUntil([this] { return !m_port->connected(); }));
        // The batch ends with the port: no DSR after the close.
        QCOMPARE(m_calls, (QStringList{"Open", "CTS", "Close"}));
        m_port->open();
        QVERIFY(m_port->connected());
    }

    void dispatchAndCloseDuringModalDialog()
    {
        openAndWait();
        QDialog dialog;
        connect(m_port, &SerialPort::ctsChanged, &dialog, [&] {
            QTimer::singleShot(0, &dialog, [&] {
                m_port->close();
                dialog.accept();
            });
        });
        QTimer::singleShot(0, &dialog, [this] { m_backend->setCts(PortNo, true); });
        QTimer::singleShot(5000, &dialog, &QDialog::reject);
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(m_calls, (QStringList{"Open", "CTS", "Close"}));
        QVERIFY(!m_backend->isOpen(PortNo));
    }

    void unplugReportsAndCloses()
    {
        m_port->setEvents(eventSet(SerialEvent::Cts) | eventSet(SerialEvent::Dsr));
        openAndWait();
        m_backend->unplug(PortNo);
        QVERIFY(processUntil([this] { return !m_port->connected(); }));
        QCOMPARE(m_calls, (QStringList{"Open", "Close"}));
        QCOMPARE(m_port->lastWaitError(), QStringLiteral("Input/output error"));
        QVERIFY(!m_backend->isOpen(PortNo));
        // Opening again fails while the adapter is away, and works once it is back.
        QVERIFY_THROWS_EXCEPTION(SerialOpenError, m_port->open());
        m_backend->replug(PortNo);
        m_port->open();
        QVERIFY(m_port->lastWaitError().isEmpty());
    }

    void staleFailureDoesNotCloseNewSession()
    {
        openAndWait();
        m_backend->unplug(PortNo);
        // Before the report of the failed wait arrives, the port is opened anew.
        QVERIFY(spinUntil([this] { return m_backend->purgeCount(PortNo) == 1; }));
        m_backend->replug(PortNo);
        m_port->open();
        QCoreApplication::processEvents();
        QVERIFY(m_port->connected());
        QCOMPARE(m_calls, (QStringList{"Open", "Close", "Open"}));
    }

    void destructorCloses()
    {
        auto *port = new SerialPort(nullptr, m_backend);
        port->setPort(5);
        QSignalSpy closed(port, &SerialPort::closed);
        port->open();
        delete port;
        QCOMPARE(closed.size(), 1);
        QVERIFY(!m_backend->isOpen(5));
    }

    void propertyChangesWaitForNextOpen()
    {
        openAndWait();
        m_port->setBaudRate(BaudRate::Baud115200);
        QCOMPARE(m_backend->lastSettings(PortNo).baudRate, 9600u);
        m_port->open();
        QCOMPARE(m_backend->lastSettings(PortNo).baudRate, 115200u);
    }
};

QTEST_MAIN(TestComPort)
#include "tst_serialport.moc"
