#include "Comms.h"
#include "SerialTestSupport.h"
#include "SimulatedComBackend.h"

#include <QDialog>
#include <QStringList>
#include <QTest>

namespace {
constexpr int PortNo = 3;
}

class TestComPort : public QObject
{
    Q_OBJECT

private:
    SimulatedComBackend *m_backend = nullptr;
    TComPort *m_port = nullptr;
    QStringList m_calls;

    // Records every event of the port in m_calls.
    void Record(TComPort &port)
    {
        const auto add = [this](const char *name) {
            return [this, name](TComPort *) { m_calls << QLatin1String(name); };
        };
        port.OnRxChar = [this](TComPort *, int inQue) {
            m_calls << QStringLiteral("RxChar %1").arg(inQue);
        };
        port.OnTxEmpty = add("TxEmpty");
        port.OnBreak = add("Break");
        port.OnRing = add("Ring");
        port.OnCTS = add("CTS");
        port.OnDSR = add("DSR");
        port.OnRxFlag = add("RxFlag");
        port.OnRLSD = add("RLSD");
        port.OnError = add("Error");
        port.OnOpen = add("Open");
        port.OnClose = add("Close");
    }

    // Opens the port and waits until its monitor waits for line events.
    void OpenAndWait()
    {
        const int waits = m_backend->WaitCount(PortNo);
        m_port->Open();
        QVERIFY(m_backend->WaitUntilWaiting(PortNo, waits + 1));
    }

private Q_SLOTS:
    void init()
    {
        m_backend = new SimulatedComBackend;
        m_port = new TComPort(nullptr, m_backend);
        m_port->setPort(PortNo);
        m_calls.clear();
        Record(*m_port);
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
        TComPort port(nullptr, m_backend);
        QCOMPARE(port.BaudRate(), br9600);
        QCOMPARE(port.BaudRateUser(), 9600);
        QCOMPARE(port.Port(), quint8(1));
        QCOMPARE(port.Parity(), prNone);
        QCOMPARE(port.StopBits(), sbOneStopBit);
        QCOMPARE(port.FlowControl(), fcNone);
        QCOMPARE(port.DataBits(), quint8(8));
        QCOMPARE(port.Events(), TEvents(0x1FF));
        QVERIFY(port.EnableDTR());
        QCOMPARE(port.WriteBufSize(), 2048);
        QCOMPARE(port.ReadBufSize(), 2048);
        QVERIFY(!port.Connected());
        QCOMPARE(port.ModemStatus(), 0u);
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
        QCOMPARE(int(m_port->DataBits()), expected);
    }

    void baudRates_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("user");
        QTest::addColumn<quint32>("expected");
        const quint32 rates[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                 19200, 38400, 56000, 57600, 115200, 128000, 256000};
        for (int i = br110; i <= br256000; ++i)
            QTest::addRow("%u", rates[i]) << i << 1234 << rates[i];
        QTest::newRow("brUser 28800") << int(brUser) << 28800 << 28800u;
        QTest::newRow("brUser 250000") << int(brUser) << 250000 << 250000u;
    }

    void baudRates()
    {
        QFETCH(int, rate);
        QFETCH(int, user);
        QFETCH(quint32, expected);
        m_port->setBaudRate(TBaudRate(rate));
        m_port->setBaudRateUser(user);
        m_port->Open();
        QCOMPARE(m_backend->LastSettings(PortNo).BaudRate, expected);
    }

    void lineSettingsOfTheMainWindow()
    {
        // The configuration the main window gives its port.
        m_port->setBaudRateUser(28800);
        m_port->setFlowControl(fcRtsCts);
        m_port->setDataBits(5);
        m_port->setEvents(EventSet(evCTS) | EventSet(evDSR));
        m_port->setWriteBufSize(64);
        m_port->setReadBufSize(64);
        m_port->Open();
        const ComLineSettings settings = m_backend->LastSettings(PortNo);
        QCOMPARE(settings.BaudRate, 9600u);
        QCOMPARE(settings.DataBits, 5);
        QCOMPARE(settings.FlowControl, fcRtsCts);
        QCOMPARE(settings.XonLim, 16);
        QCOMPARE(settings.XoffLim, 1);
        QCOMPARE(int(settings.XonChar), 17);
        QCOMPARE(int(settings.XoffChar), 19);
        QCOMPARE(settings.ReadBufSize, 64);
        QVERIFY(settings.EnableDTR);
        QCOMPARE(m_backend->EventMask(PortNo), 0x0018u);
    }

    void eventMask_data()
    {
        QTest::addColumn<int>("event");
        QTest::addColumn<quint32>("bit");
        QTest::newRow("evRxChar") << int(evRxChar) << 0x0001u;
        QTest::newRow("evTxEmpty") << int(evTxEmpty) << 0x0004u;
        QTest::newRow("evRxFlag") << int(evRxFlag) << 0x0002u;
        QTest::newRow("evRing") << int(evRing) << 0x0100u;
        QTest::newRow("evBreak") << int(evBreak) << 0x0040u;
        QTest::newRow("evCTS") << int(evCTS) << 0x0008u;
        QTest::newRow("evDSR") << int(evDSR) << 0x0010u;
        QTest::newRow("evError") << int(evError) << 0x0080u;
        QTest::newRow("evRLSD") << int(evRLSD) << 0x0020u;
    }

    void eventMask()
    {
        QFETCH(int, event);
        QFETCH(quint32, bit);
        QCOMPARE(PlatformEventMask(EventSet(TEvent(event))), bit);
        QCOMPARE(PlatformEventMask(AllEvents & ~EventSet(TEvent(event))), 0x01FFu & ~bit);
    }

    void openFiresOpenAndConnects()
    {
        m_port->Open();
        QVERIFY(m_port->Connected());
        QVERIFY(m_backend->IsOpen(PortNo));
        QCOMPARE(m_calls, QStringList{"Open"});
    }

    void openOnOpenPortClosesFirst()
    {
        m_port->Open();
        m_port->Open();
        QCOMPARE(m_calls, (QStringList{"Open", "Close", "Open"}));
        QVERIFY(m_port->Connected());
        QCOMPARE(m_backend->OpenCount(PortNo), 2);
    }

    void closeOnClosedPortFiresNothing()
    {
        m_port->Close();
        m_port->Open();
        m_port->Close();
        m_port->Close();
        QCOMPARE(m_calls, (QStringList{"Open", "Close"}));
        QVERIFY(!m_backend->IsOpen(PortNo));
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
        QTest::newRow("programming")
            << true << QString() << "Invalid argument"
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
            m_port->Open();
        } catch (const EComState &e) {
            caught = e.Message();
            wasStateError = true;
        } catch (const EComHandle &e) {
            caught = e.Message();
        }
        QCOMPARE(caught, message);
        QCOMPARE(wasStateError, stateError);
        QVERIFY(!m_port->Connected());
        QVERIFY(!m_backend->IsOpen(PortNo)); // a device that failed is released
        QVERIFY(m_calls.isEmpty());
        // Nothing is left behind: the next Open works.
        m_backend->setPresent(PortNo, true);
        m_backend->setConfigureError(PortNo, QString());
        m_port->Open();
        QVERIFY(m_port->Connected());
    }

    void failedReopenLeavesClosed()
    {
        m_port->Open();
        m_backend->setConfigureError(PortNo, QStringLiteral("Invalid argument"));
        QVERIFY_THROWS_EXCEPTION(EComState, m_port->Open());
        QVERIFY(!m_port->Connected());
        QCOMPARE(m_calls, (QStringList{"Open", "Close"}));
    }

    void singleEventCallsItsHandler_data()
    {
        QTest::addColumn<quint32>("bits");
        QTest::addColumn<QString>("handler");
        QTest::newRow("RxChar") << ComEvent::RxChar << "RxChar 7";
        QTest::newRow("TxEmpty") << ComEvent::TxEmpty << "TxEmpty";
        QTest::newRow("Break") << ComEvent::Break << "Break";
        QTest::newRow("Ring") << ComEvent::Ring << "Ring";
        QTest::newRow("CTS") << ComEvent::Cts << "CTS";
        QTest::newRow("DSR") << ComEvent::Dsr << "DSR";
        QTest::newRow("RxFlag") << ComEvent::RxFlag << "RxFlag";
        QTest::newRow("RLSD") << ComEvent::Rlsd << "RLSD";
        QTest::newRow("Error") << ComEvent::Error << "Error";
    }

    void singleEventCallsItsHandler()
    {
        QFETCH(quint32, bits);
        QFETCH(QString, handler);
        m_backend->SetInQueCount(PortNo, 7);
        OpenAndWait();
        m_backend->RaiseEvents(PortNo, bits);
        QVERIFY(ProcessUntil([this] { return m_calls.size() == 2; }));
        QCOMPARE(m_calls, (QStringList{"Open", handler}));
    }

    void allEventsInFixedOrder()
    {
        m_backend->SetInQueCount(PortNo, 3);
        OpenAndWait();
        m_backend->RaiseEvents(PortNo, 0x01FF);
        QVERIFY(ProcessUntil([this] { return m_calls.size() == 10; }));
        QCOMPARE(m_calls, (QStringList{"Open", "RxChar 3", "TxEmpty", "Break", "Ring", "CTS", "DSR",
                                       "RxFlag", "RLSD", "Error"}));
    }

    void ctsAndDsrInOneDispatch()
    {
        m_port->setEvents(EventSet(evCTS) | EventSet(evDSR));
        QList<quint32> seen;
        m_port->OnCTS = [&](TComPort *sender) { seen << sender->ModemStatus(); m_calls << "CTS"; };
        m_port->OnDSR = [&](TComPort *sender) { seen << sender->ModemStatus(); m_calls << "DSR"; };
        OpenAndWait();
        m_backend->SetModemStatus(PortNo, ModemLine::CtsOn | ModemLine::DsrOn);
        QVERIFY(ProcessUntil([this] { return m_calls.size() == 3; }));
        QCOMPARE(m_calls, (QStringList{"Open", "CTS", "DSR"}));
        QCOMPARE(seen, (QList<quint32>{0x30, 0x30}));
    }

    void unwatchedEventsAreNotReported()
    {
        m_port->setEvents(EventSet(evCTS) | EventSet(evDSR));
        OpenAndWait();
        // Ring and a received character are not watched; the CTS change is.
        m_backend->SetModemStatus(PortNo, ModemLine::RingOn);
        m_backend->RaiseEvents(PortNo, ComEvent::RxChar);
        m_backend->SetCts(PortNo, true);
        QVERIFY(ProcessUntil([this] { return m_calls.size() >= 2; }));
        QCOMPARE(m_calls, (QStringList{"Open", "CTS"}));
    }

    void closeEndsMonitorThatNeverSawAnEvent()
    {
        OpenAndWait();
        // Even when the first wakes are lost, Close keeps waking the monitor.
        m_backend->LoseWakes(PortNo, 3);
        m_port->Close();
        QVERIFY(!m_port->Connected());
        QVERIFY(!m_backend->IsOpen(PortNo));
        QCOMPARE(m_backend->PurgeCount(PortNo), 1);
        QCOMPARE(m_calls, (QStringList{"Open", "Close"}));
    }

    void closeRunsDispatchAlreadyHandedOver()
    {
        QList<bool> connectedInHandler;
        m_port->OnCTS = [&](TComPort *sender) {
            connectedInHandler << sender->Connected();
            m_calls << "CTS";
        };
        OpenAndWait();
        m_backend->SetCts(PortNo, true);
        // The monitor has handed the batch over and blocks; the interface thread
        // has not run it yet when Close comes.
        QVERIFY(SpinUntil([this] { return m_port->DispatchPending(); }));
        m_port->Close();
        QCOMPARE(m_calls, (QStringList{"Open", "CTS", "Close"}));
        QCOMPARE(connectedInHandler, QList<bool>{true});
        // The queued hand-over finds nothing left to do.
        QCoreApplication::processEvents();
        QCOMPARE(m_calls.size(), 3);
    }

    void closeFromInsideHandlerDoesNotDeadlock()
    {
        m_port->OnCTS = [this](TComPort *sender) {
            m_calls << "CTS";
            sender->Close();
        };
        OpenAndWait();
        m_backend->SetModemStatus(PortNo, ModemLine::CtsOn | ModemLine::DsrOn);
        QVERIFY(ProcessUntil([this] { return !m_port->Connected(); }));
        // The batch ends with the port: no DSR after the close.
        QCOMPARE(m_calls, (QStringList{"Open", "CTS", "Close"}));
        m_port->Open();
        QVERIFY(m_port->Connected());
    }

    void dispatchAndCloseDuringModalDialog()
    {
        OpenAndWait();
        QDialog dialog;
        m_port->OnCTS = [&](TComPort *) {
            m_calls << "CTS";
            QTimer::singleShot(0, &dialog, [&] {
                m_port->Close();
                dialog.accept();
            });
        };
        QTimer::singleShot(0, &dialog, [this] { m_backend->SetCts(PortNo, true); });
        QTimer::singleShot(5000, &dialog, &QDialog::reject);
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(m_calls, (QStringList{"Open", "CTS", "Close"}));
        QVERIFY(!m_backend->IsOpen(PortNo));
    }

    void unplugReportsAndCloses()
    {
        m_port->setEvents(EventSet(evCTS) | EventSet(evDSR));
        OpenAndWait();
        m_backend->Unplug(PortNo);
        QVERIFY(ProcessUntil([this] { return !m_port->Connected(); }));
        QCOMPARE(m_calls, (QStringList{"Open", "Close"}));
        QCOMPARE(m_port->LastWaitError(), QStringLiteral("Input/output error"));
        QVERIFY(!m_backend->IsOpen(PortNo));
        // Opening again fails while the adapter is away, and works once it is back.
        QVERIFY_THROWS_EXCEPTION(EComHandle, m_port->Open());
        m_backend->Replug(PortNo);
        m_port->Open();
        QVERIFY(m_port->LastWaitError().isEmpty());
    }

    void staleFailureDoesNotCloseNewSession()
    {
        OpenAndWait();
        m_backend->Unplug(PortNo);
        // Before the report of the failed wait arrives, the port is opened anew.
        QVERIFY(SpinUntil([this] { return m_backend->PurgeCount(PortNo) == 1; }));
        m_backend->Replug(PortNo);
        m_port->Open();
        QCoreApplication::processEvents();
        QVERIFY(m_port->Connected());
        QCOMPARE(m_calls, (QStringList{"Open", "Close", "Open"}));
    }

    void destructorCloses()
    {
        auto *port = new TComPort(nullptr, m_backend);
        port->setPort(5);
        bool closed = false;
        port->OnClose = [&closed](TComPort *) { closed = true; };
        port->Open();
        delete port;
        QVERIFY(closed);
        QVERIFY(!m_backend->IsOpen(5));
    }

    void propertyChangesWaitForNextOpen()
    {
        OpenAndWait();
        m_port->setBaudRate(br115200);
        QCOMPARE(m_backend->LastSettings(PortNo).BaudRate, 9600u);
        m_port->Open();
        QCOMPARE(m_backend->LastSettings(PortNo).BaudRate, 115200u);
    }
};

QTEST_MAIN(TestComPort)
#include "tst_comport.moc"
