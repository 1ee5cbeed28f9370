// Serial faults through the real main window on the simulated port: the adapter pulled
// out during a race, a port that vanishes between the probe and the opening, and the
// port reopened by the settings dialog's logic while barrier events keep arriving.
// Whatever happens, the mode shows the truth and no recorded finish is lost.
#include "CfgDialogHost.h"
#include "Comms.h"
#include "Dmn_led.h"
#include "FMain.h"
#include "ManualClock.h"
#include "MemoryProtocolTable.h"
#include "ProtocolPanel.h"
#include "ProtocolText.h"
#include "SerialTriggers.h"
#include "SimulatedComBackend.h"
#include "SortGrid.h"

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
    SimulatedComBackend serial;
    std::unique_ptr<TFormMain> window;

    Race()
    {
        clocks.timeOfDay = 11 * 3600 * 1000;
        // Port 3, finish on the line turning on, no lockout: every crossing counts. The
        // values are read in order up to the first missing one, so all are written.
        QSettings raw(home.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
        const std::pair<const char *, int> values[] = {
            {"Port", Port}, {"Alg", 0}, {"Left", 0}, {"Top", 0}, {"Width", 822}, {"Height", 434},
            {"Sound", 1}, {"C1", 0}, {"C2", 0xFFFF}, {"C3", 0x808080}, {"Acc", 2}, {"C4", 0xFF00},
            {"FilterInd", 2}, {"Wait", 0}, {"ButtonLap", 0}};
        for (const auto &[name, value] : values)
            raw.setValue(QLatin1String(name), value);
    }

    void Open()
    {
        FormMainEnvironment environment;
        environment.clocks = &clocks;
        environment.serialBackend = &serial;
        environment.settings = SettingsLocation::File(home.filePath(QStringLiteral("settings.ini")));
        environment.programFolder = home.path();
        environment.autosaveFolder = home.path();
        window = std::make_unique<TFormMain>(environment);
    }

    CfgDialogHost &Dialog() { return *window; }
    TProtocolPanel &Protocol() { return window->Protocol(); }
    int Results() { return window->Protocol().ResultCount(); }

    bool ShowsAuto() const
    {
        return window->LabelModus()->text() == QLatin1String("&Auto")
               && window->LedModus()->Kind() == TLed::lkGreen;
    }
    bool ShowsHand() const
    {
        return window->LabelModus()->text() == QLatin1String("&Hand")
               && window->LedModus()->Kind() == TLed::lkRed;
    }

    // One barrier crossing while the port is open; waits for its finish.
    bool Cross()
    {
        const int before = Results();
        clocks.Advance(410);
        serial.SetCts(Port, true);
        const bool arrived = WaitFor([&] { return Results() == before + 1; });
        serial.SetCts(Port, false);
        return arrived && WaitFor([&] { return window->Triggers().LastModemStatus() == 0; });
    }

    template<typename Predicate>
    static bool WaitFor(Predicate done, int timeoutMs = 5000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!done()) {
            if (deadline.hasExpired())
                return false;
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        return true;
    }

    // The grid and the autosave file both hold results 1..Results(), numbered in order.
    void VerifyKept(int expected)
    {
        QCOMPARE(Results(), expected);
        TSortGrid &grid = *Protocol().SortGrid1;
        QVERIFY(grid.RowCount() > expected);
        for (int r = 1; r <= expected; ++r)
            QCOMPARE(grid.Cells(0, r), QStringLiteral("%1").arg(r, 5, 10, QLatin1Char('0')));
        QVERIFY(!Protocol().AutosaveFailed());
        TMemoryProtocolTable saved;
        QVERIFY(TProtocolText::LoadProtocolText(saved, Protocol().AutosaveFileName()));
        QCOMPARE(saved.ResultCountFromTable(), expected);
        // An empty cell is written as a single blank.
        for (int r = 1; r <= expected; ++r) {
            for (int c = 0; c < 4; ++c) {
                const QString cell = grid.Cells(c, r);
                QCOMPARE(saved.Cells(c, r), cell.isEmpty() ? QStringLiteral(" ") : cell);
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
        race.Open();
        QCOMPARE(race.window->CurrentSettings().Wait, 0);
        QVERIFY(race.window->ComPort().Connected());
        QVERIFY(race.ShowsAuto());
        race.window->Clock().mStartClick();
        for (int i = 0; i < 6; ++i)
            QVERIFY(race.Cross());

        race.serial.Unplug(Port);
        QVERIFY(race.WaitFor([&] { return !race.window->ComPort().Connected(); }));
        QVERIFY(race.ShowsHand());
        race.VerifyKept(6);

        // Crossings while the adapter is away record nothing, and break nothing.
        race.serial.SetCts(Port, true);
        race.serial.SetCts(Port, false);
        QTest::qWait(20);
        QCOMPARE(race.Results(), 6);

        // The operator keeps timing by hand.
        race.window->Clock().mLAPClick();
        race.VerifyKept(7);

        // Plugged back and reopened from the settings dialog: Auto again.
        race.serial.Replug(Port);
        race.Dialog().ClosePort();
        QVERIFY(!race.Dialog().OpenPort().has_value());
        race.Dialog().SetModeIndicator(race.Dialog().PortConnected());
        QVERIFY(race.ShowsAuto());
        for (int i = 0; i < 3; ++i)
            QVERIFY(race.Cross());
        race.VerifyKept(10);
    }

    void portVanishesBetweenProbeAndOpening()
    {
        Race race;
        // Present for the probe, gone when the window opens it.
        race.serial.setOpenError(Port, QStringLiteral("No such file or directory"));
        race.Open();
        QVERIFY(race.Dialog().PortPresenceMask() & (1u << (Port - 1)));
        QVERIFY(!race.window->ComPort().Connected());
        QVERIFY(race.ShowsHand());

        race.window->Clock().mStartClick();
        race.serial.SetCts(Port, true);
        QTest::qWait(20);
        QCOMPARE(race.Results(), 0);
        race.window->Clock().mLAPClick();
        race.VerifyKept(1);

        // The settings dialog's reopening while the port is still gone: an error text,
        // Hand stays; once it is back, Auto.
        race.serial.setOpenError(Port, QStringLiteral("No such file or directory"));
        race.Dialog().ClosePort();
        const std::optional<QString> error = race.Dialog().OpenPort();
        QVERIFY(error.has_value());
        QVERIFY(!error->isEmpty());
        QVERIFY(race.ShowsHand());
        race.serial.setOpenError(Port, QString());
        race.serial.SetCts(Port, false);
        QVERIFY(!race.Dialog().OpenPort().has_value());
        race.Dialog().SetModeIndicator(race.Dialog().PortConnected());
        QVERIFY(race.ShowsAuto());
        QVERIFY(race.Cross());
        race.VerifyKept(2);
    }

    void reopenedWhileEventsArrive()
    {
        Race race;
        race.Open();
        QVERIFY(race.ShowsAuto());
        race.window->Clock().mStartClick();

        // The barrier flickers from another thread the whole time.
        std::atomic<bool> stop{false};
        std::thread barrier([&] {
            bool on = false;
            while (!stop.load()) {
                on = !on;
                race.serial.SetCts(Port, on);
                std::this_thread::sleep_for(std::chrono::microseconds(300));
            }
        });
        int reopened = 0;
        for (int cycle = 0; cycle < 40; ++cycle) {
            const int before = race.Results();
            race.WaitFor([&] { return race.Results() > before + 2; }, 2000);
            race.Dialog().ClosePort();
            QVERIFY(race.ShowsHand());
            QVERIFY(!race.window->ComPort().Connected());
            if (cycle % 4 == 3)
                race.serial.setOpenError(Port, QStringLiteral("Device or resource busy"));
            const std::optional<QString> error = race.Dialog().OpenPort();
            race.serial.setOpenError(Port, QString());
            race.Dialog().SetModeIndicator(race.Dialog().PortConnected());
            QCOMPARE(error.has_value(), cycle % 4 == 3);
            QCOMPARE(race.ShowsAuto(), race.window->ComPort().Connected());
            QCOMPARE(race.ShowsHand(), !race.window->ComPort().Connected());
            reopened += error ? 0 : 1;
            if (error) {
                QVERIFY(!race.Dialog().OpenPort().has_value());
                race.Dialog().SetModeIndicator(race.Dialog().PortConnected());
                QVERIFY(race.ShowsAuto());
            }
        }
        stop = true;
        barrier.join();
        race.serial.SetCts(Port, false);
        QCoreApplication::processEvents();
        race.Dialog().ClosePort();
        QVERIFY(race.ShowsHand());
        QVERIFY2(race.Results() > 40, "the flickering barrier recorded too few finishes to mean anything");
        race.VerifyKept(race.Results());
        std::printf("reopened %d times while the barrier flickered; %d finishes recorded and kept\n",
                    reopened, race.Results());
    }
};

QTEST_MAIN(TestSerialFaults)
#include "tst_serialfaults.moc"
