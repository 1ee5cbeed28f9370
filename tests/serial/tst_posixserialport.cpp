#include "PseudoTerminal.h"
#include "SerialTestSupport.h"
#include "serial/PosixBaudRate.h"
#include "serial/PosixSerialBackend.h"
#include "serial/SerialPort.h"
#include "serial/SerialProbe.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int PortNo = 7;

} // namespace

class TestPosixComPort : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Pty> m_pty;
    std::unique_ptr<PosixSerialBackend> m_backend;

    SerialDeviceMap map() const
    {
        SerialDeviceMap map;
        map.setPath(PortNo, m_pty->slave());
        return map;
    }

private Q_SLOTS:
    void init()
    {
        m_pty = std::make_unique<Pty>();
        QVERIFY(m_pty->valid());
        m_backend = std::make_unique<PosixSerialBackend>(map());
    }

    void cleanup()
    {
        m_backend.reset();
        m_pty.reset();
    }

    void fixedDeviceTable_data()
    {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("path");
        QTest::newRow("COM0") << 0 << QString();
        QTest::newRow("COM1") << 1 << "/dev/ttyS0";
        QTest::newRow("COM4") << 4 << "/dev/ttyS3";
        QTest::newRow("COM5") << 5 << "/dev/ttyUSB0";
        QTest::newRow("COM12") << 12 << "/dev/ttyUSB7";
        QTest::newRow("COM13") << 13 << "/dev/ttyACM0";
        QTest::newRow("COM16") << 16 << "/dev/ttyACM3";
        QTest::newRow("COM17") << 17 << QString();
    }

    void fixedDeviceTable()
    {
        QFETCH(int, port);
        QFETCH(QString, path);
        QCOMPARE(SerialDeviceMap().path(port), path);
    }

    void lineSettings_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("user");
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<int>("flow");
        QTest::addColumn<quint32>("rate");
        QTest::addColumn<bool>("cstopb");
        QTest::addColumn<bool>("crtscts");
        QTest::addColumn<bool>("xonxoff");
        QTest::newRow("9600 8N1") << int(BaudRate::Baud9600) << 0 << 0 << int(FlowControl::None) << 9600u
                                  << false << false << false;
        QTest::newRow("RTS/CTS") << int(BaudRate::Baud9600) << 0 << 0 << int(FlowControl::RtsCts) << 9600u
                                 << false << true << false;
        QTest::newRow("XON/XOFF") << int(BaudRate::Baud115200) << 0 << 0 << int(FlowControl::XonXoff)
                                  << 115200u << false << false << true;
        QTest::newRow("two stop bits") << int(BaudRate::Baud110) << 0 << int(StopBits::Two)
                                       << int(FlowControl::None) << 110u << true << false << false;
        QTest::newRow("1.5 stop bits") << int(BaudRate::Baud2400) << 0 << int(StopBits::OneAndHalf)
                                       << int(FlowControl::None) << 2400u << true << false << false;
        QTest::newRow("14400") << int(BaudRate::Baud14400) << 0 << 0 << 0 << 14400u << false << false
                               << false;
        QTest::newRow("56000") << int(BaudRate::Baud56000) << 0 << 0 << 0 << 56000u << false << false
                               << false;
        QTest::newRow("128000") << int(BaudRate::Baud128000) << 0 << 0 << 0 << 128000u << false << false
                                << false;
        QTest::newRow("256000") << int(BaudRate::Baud256000) << 0 << 0 << 0 << 256000u << false << false
                                << false;
        QTest::newRow("BaudRate::User 28800")
            << int(BaudRate::User) << 28800 << 0 << 0 << 28800u << false << false << false;
    }

    void lineSettings()
    {
        QFETCH(int, baud);
        QFETCH(int, user);
        QFETCH(int, stopBits);
        QFETCH(int, flow);
        QFETCH(quint32, rate);
        QFETCH(bool, cstopb);
        QFETCH(bool, crtscts);
        QFETCH(bool, xonxoff);
        SerialPort port(nullptr, m_backend.get());
        port.setBaudRate(BaudRate(baud));
        port.setBaudRateUser(user);
        port.setStopBits(StopBits(stopBits));
        port.setFlowControl(FlowControl(flow));
        QString error;
        std::unique_ptr<PosixSerialDevice> device = m_backend->openPath(m_pty->slave(), &error);
        QVERIFY2(device, qPrintable(error));
        QVERIFY2(device->configure(port.lineSettings(), &error), qPrintable(error));

        termios tio;
        QCOMPARE(tcgetattr(device->handle(), &tio), 0);
        QCOMPARE(readPosixBaudRate(device->handle()), rate);
        QVERIFY(tio.c_cflag & CLOCAL);
        QCOMPARE(bool(tio.c_cflag & CSTOPB), cstopb);
        QCOMPARE(bool(tio.c_cflag & CRTSCTS), crtscts);
        QCOMPARE(bool(tio.c_iflag & IXON), xonxoff);
        QCOMPARE(bool(tio.c_iflag & IXOFF), xonxoff);
        QCOMPARE(int(tio.c_cc[VSTART]), 17);
        QCOMPARE(int(tio.c_cc[VSTOP]), 19);
        QCOMPARE(int(tio.c_cc[VMIN]), 0);
        QCOMPARE(int(tio.c_cc[VTIME]), 0);
        // Raw line: no echo, no line editing, no translation.
        QCOMPARE(tio.c_lflag & (ICANON | ECHO | ISIG), tcflag_t(0));
        QCOMPARE(tio.c_oflag & OPOST, tcflag_t(0));
        QCOMPARE(tio.c_iflag & (ICRNL | INPCK | ISTRIP), tcflag_t(0));
    }

    void fiveDataBitsAndMarkParityAreAccepted()
    {
        // A pseudo-terminal forces eight data bits and no parity; it still takes
        // the request without an error.
        SerialPort port(nullptr, m_backend.get());
        port.setPort(PortNo);
        port.setDataBits(5);
        port.setParity(Parity::Mark);
        QCOMPARE(openError(port), QString());
        QVERIFY(port.connected());
        QCOMPARE(port.modemStatus(), 0u); // no modem lines on a pty
    }

    void openErrors_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "/nonexistent/ttyUSB9"
                                 << "Unable to open com port: Datei oder Ordner nicht gefunden";
        QTest::newRow("not a tty")
            << "/dev/null"
            << "Unable to open com port: Unpassender Steuerbefehl f\u00fcr das Ger\u00e4t";
        QTest::newRow("no port chosen")
            << QString() << "Unable to open com port: Datei oder Ordner nicht gefunden";
    }

    void openErrors()
    {
        QFETCH(QString, path);
        QFETCH(QString, message);
        SerialDeviceMap map;
        map.setPath(PortNo, path);
        PosixSerialBackend backend(map);
        SerialPort port(nullptr, &backend);
        port.setPort(path.isEmpty() ? 0 : PortNo);
        QCOMPARE(openError(port), message);
        QVERIFY(!port.connected());
    }

    void exclusiveAccess()
    {
        SerialPort first(nullptr, m_backend.get());
        SerialPort second(nullptr, m_backend.get());
        first.setPort(PortNo);
        second.setPort(PortNo);
        first.open();
        QCOMPARE(openError(second),
                 QStringLiteral("Unable to open com port: Ger\u00e4t oder Ressource belegt"));
        QVERIFY(!second.connected());
        QVERIFY(!m_backend->present(PortNo));
        first.close();
        QCOMPARE(openError(second), QString());
        QVERIFY(second.connected());
    }

    void closeIsPrompt_data()
    {
        QTest::addColumn<bool>("polling");
        QTest::addColumn<int>("events");
        QTest::newRow("modem lines") << false << int(eventSet(SerialEvent::Cts) | eventSet(SerialEvent::Dsr));
        QTest::newRow("polling") << true << int(eventSet(SerialEvent::Cts) | eventSet(SerialEvent::Dsr));
        QTest::newRow("all events") << false << int(AllEvents);
    }

    void closeIsPrompt()
    {
        QFETCH(bool, polling);
        QFETCH(int, events);
        m_backend->setWaitMode(polling ? PosixSerialDevice::WaitMode::Polling
                                       : PosixSerialDevice::WaitMode::Auto);
        SerialPort port(nullptr, m_backend.get());
        port.setPort(PortNo);
        port.setEvents(SerialEvents(events));
        port.setFlowControl(FlowControl::RtsCts);
        QSignalSpy closes(&port, &SerialPort::closed);
        for (int round = 0; round < 20; ++round) {
            port.open();
            port.close();
        }
        QCOMPARE(closes.size(), 20);
        QVERIFY(m_backend->present(PortNo));
    }

    void receivedCharactersAreReportedAndDrained()
    {
        SerialPort port(nullptr, m_backend.get());
        port.setPort(PortNo);
        port.setEvents(eventSet(SerialEvent::RxChar));
        QSignalSpy received(&port, &SerialPort::charactersReceived);
        port.open();
        QCOMPARE(::write(m_pty->master(), "abc", 3), ssize_t(3));
        QVERIFY(processUntil([&received] { return !received.isEmpty(); }));
        QCOMPARE(received.first().first().value<quint32>(), 3u);
        // Nothing reads the port; the monitor empties the input after the report.
        QVERIFY(processUntil([&port] { return port.inQueCount() == 0; }));
        QCOMPARE(received.size(), 1);
    }

    void hangupClosesThePort_data()
    {
        QTest::addColumn<int>("events");
        QTest::newRow("modem lines") << int(eventSet(SerialEvent::Cts) | eventSet(SerialEvent::Dsr));
        QTest::newRow("all events") << int(AllEvents);
    }

    void hangupClosesThePort()
    {
        QFETCH(int, events);
        SerialPort port(nullptr, m_backend.get());
        port.setPort(PortNo);
        port.setEvents(SerialEvents(events));
        QSignalSpy closes(&port, &SerialPort::closed);
        port.open();
        // Closing the master is what an unplugged adapter looks like here.
        m_pty->closeMaster();
        QVERIFY(processUntil([&port] { return !port.connected(); }));
        QCOMPARE(closes.size(), 1);
        QCOMPARE(port.lastWaitError(), QStringLiteral("Ein-/Ausgabefehler"));
    }

    void probe()
    {
        Pty other;
        QVERIFY(other.valid());
        SerialDeviceMap map;
        for (int n = 1; n <= 16; ++n)
            map.setPath(n, QStringLiteral("/nonexistent/tty%1").arg(n));
        map.setPath(3, m_pty->slave());
        map.setPath(9, other.slave());
        map.setPath(12, QStringLiteral("/dev/null"));
        PosixSerialBackend backend(map);
        QCOMPARE(probePortPresence(backend), (1u << 2) | (1u << 8) | (9u << 16));
        QCOMPARE(presentPorts(probePortPresence(backend)), (QList<int>{3, 9}));

        // A port in use elsewhere is not offered.
        SerialPort port(nullptr, &backend);
        port.setPort(9);
        port.open();
        QCOMPARE(probePortPresence(backend), (1u << 2) | (3u << 16));
        probeSerialPorts(backend);
        QCOMPARE(PortPresenceMask, (1u << 2) | (3u << 16));
        port.close();
    }

    void ctsInputByDriver_data()
    {
        QTest::addColumn<QString>("driver");
        QTest::addColumn<bool>("usable");
        QTest::newRow("cdc_acm") << "cdc_acm" << false;
        QTest::newRow("ftdi_sio") << "ftdi_sio" << true;
        QTest::newRow("8250") << "serial8250" << true;
        QTest::newRow("unknown") << QString() << true;
    }

    void ctsInputByDriver()
    {
        QFETCH(QString, driver);
        QFETCH(bool, usable);
        QTemporaryDir sysfs;
        QVERIFY(sysfs.isValid());
        const QString device = sysfs.path() + QStringLiteral("/class/tty/ttyACM0/device");
        QVERIFY(QDir().mkpath(device));
        if (!driver.isEmpty()) {
            const QString target = sysfs.path() + QStringLiteral("/bus/drivers/") + driver;
            QVERIFY(QDir().mkpath(target));
            QVERIFY(QFile::link(target, device + QStringLiteral("/driver")));
        }
        SerialDeviceMap map;
        map.setSysfsRoot(sysfs.path());
        map.setPath(13, QStringLiteral("/nonexistent/ttyACM0"));
        PosixSerialBackend backend(map);
        QCOMPARE(backend.driverName(13), driver);
        QCOMPARE(backend.ctsInputUsable(13), usable);
    }
};

QTEST_MAIN(TestPosixComPort)
#include "tst_posixserialport.moc"
