// The Win32 serial backend under Wine, on a COM port whose modem lines the test
// drives through the rig (tests/serial/wine): every edge reported once, in order
// and stamped near its time; a port that cannot be opened is refused. Unplugging
// is tested through the main window (tst_winbarrierrace).
#include "EventWait.h"
#include "SerialTestSupport.h"
#include "serial/SerialPort.h"
#include "wine/ModemLineDriver.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTest>
#include <QThread>

#include <windows.h>

namespace {

constexpr quint32 Cts = ModemLineDriver::Cts;
constexpr quint32 Dsr = ModemLineDriver::Dsr;
// How late a stamp may be after its edge.
constexpr quint32 StampToleranceMs = 20;

struct Step
{
    quint32 lines; // ModemLineDriver bits
    int pauseMs; // before the next step
};
using Script = QList<Step>;

struct Edge
{
    quint32 event; // ComEvent::Cts or ComEvent::Dsr
    quint32 status; // ModemLine bits after the edge
    quint32 tick;
};

quint32 modemStatusOf(quint32 lines)
{
    return ((lines & Cts) ? ModemLine::CtsOn : 0) | ((lines & Dsr) ? ModemLine::DsrOn : 0);
}

} // namespace

Q_DECLARE_METATYPE(Script)

class TestWinSerialPort : public QObject
{
    Q_OBJECT

private:
    ModemLineDriver m_lines;

    void openPort(SerialPort &port)
    {
        port.setPort(ModemLineDriver::Port);
        port.setFlowControl(FlowControl::RtsCts);
        port.setEvents(eventSet(SerialEvent::Cts) | eventSet(SerialEvent::Dsr));
        QCOMPARE(openError(port), QString());
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!m_lines.open())
            QSKIP("runs under Wine in the modem-line rig only");
    }

    void everyEdgeOnceAndStampedAtTheLine_data()
    {
        QTest::addColumn<Script>("script");
        QTest::newRow("start crossing on DSR") << Script{{Dsr, 40}, {0, 40}};
        QTest::newRow("finish crossing on CTS") << Script{{Cts, 40}, {0, 40}};
        QTest::newRow("2 ms pulse") << Script{{Cts, 2}, {0, 40}};
        QTest::newRow("two crossings 120 ms apart") << Script{{Cts, 30}, {0, 120}, {Cts, 30}, {0, 40}};
        QTest::newRow("CTS and DSR at once") << Script{{Cts | Dsr, 40}, {0, 40}};
        QTest::newRow("CTS on while DSR is on") << Script{{Dsr, 30}, {Cts | Dsr, 30}, {Dsr, 30}, {0, 40}};
    }

    void everyEdgeOnceAndStampedAtTheLine()
    {
        QFETCH(Script, script);
        SerialPort port;
        QList<Edge> seen;
        const auto record = [&seen](quint32 event) {
            return [&seen, event](quint32 status, const ClockStamp &at) { seen.append({event, status, at.tick}); };
        };
        connect(&port, &SerialPort::ctsChanged, this, record(ComEvent::Cts));
        connect(&port, &SerialPort::dsrChanged, this, record(ComEvent::Dsr));
        openPort(port);
        QThread::msleep(50); // the monitor is waiting

        QList<Edge> expected;
        for (const Step &step : script) {
            const quint32 changed = m_lines.lines() ^ step.lines;
            const quint32 tick = m_lines.setLines(step.lines);
            // One notification per step: CTS before DSR.
            if (changed & Cts)
                expected.append({ComEvent::Cts, modemStatusOf(step.lines), tick});
            if (changed & Dsr)
                expected.append({ComEvent::Dsr, modemStatusOf(step.lines), tick});
            QThread::msleep(step.pauseMs);
        }
        QVERIFY(processUntil([&] { return seen.size() >= expected.size(); }));
        QTest::qWait(50); // nothing more comes
        QCOMPARE(seen.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            QCOMPARE(seen[i].event, expected[i].event);
            QCOMPARE(seen[i].status, expected[i].status);
            const quint32 late = seen[i].tick - expected[i].tick;
            qInfo("edge %d stamped %u ms after it came", i, late);
            QVERIFY2(late <= StampToleranceMs, qPrintable(QStringLiteral("edge %1: %2 ms").arg(i).arg(late)));
        }

        QElapsedTimer closing;
        closing.start();
        port.close();
        QVERIFY(closing.elapsed() < 1000);
    }

    void portThatCannotBeOpenedIsRefused_data()
    {
        QTest::addColumn<int>("portNo");
        QTest::addColumn<bool>("held");
        QTest::newRow("held by another handle") << ModemLineDriver::Port << true;
        QTest::newRow("absent") << ModemLineDriver::Port + 1 << false;
    }

    void portThatCannotBeOpenedIsRefused()
    {
        QFETCH(int, portNo);
        QFETCH(bool, held);
        const auto openExclusive = [] {
            return CreateFileW(L"\\\\.\\COM5", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OVERLAPPED, nullptr);
        };
        const HANDLE holder = held ? openExclusive() : INVALID_HANDLE_VALUE;
        QVERIFY(held == (holder != INVALID_HANDLE_VALUE));
        const auto release = qScopeGuard([holder] {
            if (holder != INVALID_HANDLE_VALUE)
                CloseHandle(holder);
        });
        if (held) {
            const HANDLE rival = openExclusive();
            if (rival != INVALID_HANDLE_VALUE) {
                CloseHandle(rival);
                QSKIP("this system (Wine) lets a second handle open a COM port that one holds");
            }
        }
        SerialPort port;
        port.setPort(quint8(portNo));
        const QString error = openError(port);
        qInfo("%s", qPrintable(error));
        const QString prefix = QStringLiteral("Unable to open com port: ");
        QVERIFY(error.startsWith(prefix) && error.size() > prefix.size());
        QVERIFY(!port.connected());
    }
};

QTEST_MAIN(TestWinSerialPort)
#include "tst_winserialport.moc"
