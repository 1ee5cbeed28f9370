// Serial faults through the real main window on the simulated port: the adapter pulled
// out during a race, a port that vanishes between the probe and the opening, and the
// port reopened by the settings dialog's logic while barrier events keep arriving.
// Whatever happens, the mode shows the truth and no recorded finish is lost.
#include "EventWait.h"
#include "ManualClock.h"
#include "app/MainWindow.h"
#include "grid/SortGrid.h"
#include "protocol/MemoryProtocolTable.h"
#include "protocol/ProtocolAutosaver.h"
#include "protocol/ProtocolPanel.h"
#include "protocol/ProtocolText.h"
#include "serial/SerialPort.h"
#include "serial/SerialProbe.h"
#include "serial/SimulatedSerialBackend.h"
#include "timing/SerialTriggers.h"
#include "widgets/StatusLed.h"

#include <QApplication>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <memory>
#include <thread>

namespace {

constexpr int Port = 3;

class Race
{
public:
    QTemporaryDir home;
    ManualClock clocks;
    SimulatedSerialBackend serial;
    std::unique_ptr<MainWindow> window;

    Race()
    {
        clocks.timeOfDay = 11 * 3600 * 1000;
        // Port 3, finish on the line turning on, no lockout: every crossing counts. The
        // values are read in order up to the first missing one, so all are written.
        QSettings raw(home.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
        const std::pair<const char *, int> values[]
            = {{"Port", Port},  {"Alg", 0},     {"Left", 0},      {"Top", 0},     {"Width", 822},
               {"Height", 434}, {"Sound", 1},   {"C1", 0},        {"C2", 0xFFFF}, {"C3", 0x808080},
               {"Acc", 2},      {"C4", 0xFF00}, {"FilterInd", 2}, {"Wait", 0},    {"ButtonLap", 0}};
        for (const auto &[name, value] : values)
            raw.setValue(QLatin1String(name), value);
    }

    void open()
    {
        MainWindowEnvironment environment;
        environment.clocks = &clocks;
        environment.serialBackend = &serial;
        environment.settings = SettingsLocation::file(home.filePath(QStringLiteral("settings.ini")));
        environment.programFolder = home.path();
        environment.autosaveFolder = home.path();
        window = std::make_unique<MainWindow>(environment);
    }

    RaceSession &session() { return window->session(); }
    ProtocolPanel &protocol() { return window->protocol(); }
    int results() { return window->protocol().lastResultRow(); }

    bool showsAuto() const
    {
        return window->modeLabel()->text() == QLatin1String("&Auto")
            && window->modeLed()->kind() == StatusLed::LedKind::Green;
    }
    bool showsHand() const
    {
        return window->modeLabel()->text() == QLatin1String("&Hand")
            && window->modeLed()->kind() == StatusLed::LedKind::Red;
    }

    // One barrier crossing while the port is open; waits for its finish.
    bool cross()
    {
        const int before = results();
        clocks.advance(410);
        serial.setCts(Port, true);
        const bool arrived = processUntil([&] { return results() == before + 1; });
        serial.setCts(Port, false);
        return arrived && processUntil([&] { return window->triggers().lastModemStatus() == 0; });
    }

    // The grid and the autosave file both hold results 1..Results(), numbered in order.
    void verifyKept(int expected)
    {
        QCOMPARE(results(), expected);
        SortGrid &grid = *protocol().grid();
        QVERIFY(grid.rowCount() > expected);
        for (int r = 1; r <= expected; ++r)
            QCOMPARE(grid.cells(0, r), QStringLiteral("%1").arg(r, 5, 10, QLatin1Char('0')));
        protocol().autosaver().waitUntilWritten();
        QVERIFY(!protocol().autosaver().failed());
        MemoryProtocolTable saved;
        QVERIFY(ProtocolText::loadProtocolText(saved, protocol().autosaver().fileName()));
        QCOMPARE(saved.lastResultRowFromTable(), expected);
        // An empty cell is written as a single blank.
        for (int r = 1; r <= expected; ++r) {
            for (int c = 0; c < 4; ++c) {
                const QString cell = grid.cells(c, r);
                QCOMPARE(saved.cells(c, r), cell.isEmpty() ? QStringLiteral(" ") : cell);
            }
        }
    }
};

} // namespace

class TestSerialFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void adapterUnpluggedDuringRace()
    {
        Race race;
        race.open();
        QCOMPARE(race.window->currentSettings().lockoutMs, 0);
        QVERIFY(race.window->serialPort().connected());
        QVERIFY(race.showsAuto());
        race.window->clock().start();
        for (int i = 0; i < 6; ++i)
            QVERIFY(race.cross());

        race.serial.unplug(Port);
        QVERIFY(processUntil([&] { return !race.window->serialPort().connected(); }));
        QVERIFY(race.showsHand());
        race.verifyKept(6);

        // Crossings while the adapter is away record nothing, and break nothing.
        race.serial.setCts(Port, true);
        race.serial.setCts(Port, false);
        QTest::qWait(20);
        QCOMPARE(race.results(), 6);

        // The operator keeps timing by hand.
        race.window->clock().recordFinish();
        race.verifyKept(7);

        // Plugged back and reopened from the settings dialog: Auto again.
        race.serial.replug(Port);
        race.session().closePort();
        QVERIFY(!race.session().openPort().has_value());
        race.session().setAutomatic(race.session().portConnected());
        QVERIFY(race.showsAuto());
        for (int i = 0; i < 3; ++i)
            QVERIFY(race.cross());
        race.verifyKept(10);
    }

    void portVanishesBetweenProbeAndOpening()
    {
        Race race;
        // Present for the probe, gone when the window opens it.
        race.serial.setOpenError(Port, QStringLiteral("No such file or directory"));
        race.open();
        QVERIFY(::PortPresenceMask & (1u << (Port - 1)));
        QVERIFY(!race.window->serialPort().connected());
        QVERIFY(race.showsHand());

        race.window->clock().start();
        race.serial.setCts(Port, true);
        QTest::qWait(20);
        QCOMPARE(race.results(), 0);
        race.window->clock().recordFinish();
        race.verifyKept(1);

        // The settings dialog's reopening while the port is still gone: an error text,
        // Hand stays; once it is back, Auto.
        race.serial.setOpenError(Port, QStringLiteral("No such file or directory"));
        race.session().closePort();
        const std::optional<QString> error = race.session().openPort();
        QVERIFY(error.has_value());
        QVERIFY(!error->isEmpty());
        QVERIFY(race.showsHand());
        race.serial.setOpenError(Port, QString());
        race.serial.setCts(Port, false);
        QVERIFY(!race.session().openPort().has_value());
        race.session().setAutomatic(race.session().portConnected());
        QVERIFY(race.showsAuto());
        QVERIFY(race.cross());
        race.verifyKept(2);
    }

    void reopenedWhileEventsArrive()
    {
        Race race;
        race.open();
        QVERIFY(race.showsAuto());
        race.window->clock().start();

        // The barrier flickers from another thread, a few dozen crossings in each cycle: every
        // finish rewrites the whole protocol, so more would only make the cycles slow.
        std::atomic<bool> stop{false};
        std::atomic<int> edgesLeft{0};
        std::thread barrier([&] {
            bool on = false;
            while (!stop.load()) {
                if (edgesLeft.fetch_sub(1) > 0) {
                    on = !on;
                    race.serial.setCts(Port, on);
                }
                std::this_thread::sleep_for(std::chrono::microseconds(300));
            }
        });
        int reopened = 0;
        for (int cycle = 0; cycle < 40; ++cycle) {
            edgesLeft = 60;
            const int before = race.results();
            processUntil([&] { return race.results() > before + 2; }, 2000);
            race.session().closePort();
            QVERIFY(race.showsHand());
            QVERIFY(!race.window->serialPort().connected());
            if (cycle % 4 == 3)
                race.serial.setOpenError(Port, QStringLiteral("Device or resource busy"));
            const std::optional<QString> error = race.session().openPort();
            race.serial.setOpenError(Port, QString());
            race.session().setAutomatic(race.session().portConnected());
            QCOMPARE(error.has_value(), cycle % 4 == 3);
            QCOMPARE(race.showsAuto(), race.window->serialPort().connected());
            QCOMPARE(race.showsHand(), !race.window->serialPort().connected());
            reopened += error ? 0 : 1;
            if (error) {
                QVERIFY(!race.session().openPort().has_value());
                race.session().setAutomatic(race.session().portConnected());
                QVERIFY(race.showsAuto());
            }
        }
        stop = true;
        barrier.join();
        race.serial.setCts(Port, false);
        QCoreApplication::processEvents();
        race.session().closePort();
        QVERIFY(race.showsHand());
        QVERIFY2(race.results() > 40, "the flickering barrier recorded too few finishes to mean anything");
        race.verifyKept(race.results());
        std::printf("reopened %d times while the barrier flickered; %d finishes recorded and kept\n",
                    reopened, race.results());
    }
};

QTEST_MAIN(TestSerialFaults)
#include "tst_serialfaults.moc"
