// Light barriers through the real main window on the simulated port: a barrier
// finish keeps the time of its edge however long the window was busy, the
// lockout read from the settings stays within the dialog's range, the mode
// and the warning line tell the truth about the barriers, and a pulled-out
// adapter is reconnected by confirming the settings dialog.
#include "ManualClock.h"
#include "SettingsConfirmation.h"
#include "app/MainWindow.h"
#include "grid/SortGrid.h"
#include "protocol/ProtocolPanel.h"
#include "serial/SerialPort.h"
#include "serial/SimulatedSerialBackend.h"
#include "settings/DecimalSpinField.h"
#include "settings/SettingsDialog.h"
#include "timing/SerialTriggers.h"
#include "widgets/CommandButton.h"
#include "widgets/ConfirmDialog.h"
#include "widgets/StatusLed.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

constexpr int Port = 5;

// A race on the simulated port with every setting stored, so each is read.
class BarrierRace
{
public:
    QTemporaryDir home;
    ManualClock clocks;
    SimulatedSerialBackend serial;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<SettingsDialog> settingsDialog;
    std::unique_ptr<ConfirmDialog> question;

    bool useEventStamps = false;

    explicit BarrierRace(int alg = 0, int wait = 0)
    {
        clocks.timeOfDay = 9 * 3600 * 1000;
        clocks.tick = 1000;
        QSettings raw(settingsFile(), QSettings::IniFormat);
        const std::pair<const char *, int> values[]
            = {{"Port", Port},  {"Alg", alg},   {"Left", 10},     {"Top", 10},    {"Width", 822},
               {"Height", 434}, {"Sound", 1},   {"C1", 0},        {"C2", 0xFFFF}, {"C3", 0x404040},
               {"Acc", 2},      {"C4", 0xFF00}, {"FilterInd", 2}, {"Wait", wait}, {"ButtonLap", 0}};
        for (const auto &[name, value] : values)
            raw.setValue(QLatin1String(name), value);
    }

    ~BarrierRace()
    {
        // The dialogs are the window's children.
        settingsDialog.release();
        question.release();
    }

    QString settingsFile() const { return home.filePath(QStringLiteral("settings.ini")); }

    bool open()
    {
        window = std::make_unique<MainWindow>(
            MainWindowEnvironment{.clocks = &clocks,
                                  .serialBackend = &serial,
                                  .settings = SettingsLocation::file(settingsFile()),
                                  .programFolder = home.path(),
                                  .autosaveFolder = home.path(),
                                  .journalClock = {},
                                  .useEventStamps = useEventStamps});
        settingsDialog = std::make_unique<SettingsDialog>(window.get());
        question = std::make_unique<ConfirmDialog>(window.get());
        window->setDialogs(settingsDialog.get(), question.get());
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }

    // Blocks until the monitor has stamped and queued every change made so far.
    bool seen() { return serial.waitUntilLooked(Port, serial.lookCount(Port) + 3); }

    bool cross(void (SimulatedSerialBackend::*line)(int, bool))
    {
        (serial.*line)(Port, true);
        const bool rising = seen();
        (serial.*line)(Port, false);
        return rising && seen();
    }

    // A function key on the window, which has the keyboard again after a dialog.
    bool key(Qt::Key key)
    {
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            return false;
        QTest::keyClick(window.get(), key);
        return true;
    }

    int results() const { return window->protocol().lastResultRow(); }
    QString timeOfRow(int row) const { return window->protocol().grid()->cells(1, row); }
    QLabel *warning() const { return window->barrierWarningLabel(); }

    QString confirmSettings() { return ::confirmSettings(*window, *settingsDialog); }
};

} // namespace

class TestStampedFinish : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setApplicationName(QStringLiteral("Tivano"));
        // As the program entry sets it: decimal commas in the settings.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }

    void barrierFinishKeepsItsEdgeTime()
    {
        BarrierRace race;
        QVERIFY(race.open());
        QVERIFY(race.key(Qt::Key_F5));
        QVERIFY(race.window->clock().running());

        // The competitor crosses at 9:00:00.00 while the window is busy (no
        // event is handled) for 300 ms.
        QVERIFY(race.cross(&SimulatedSerialBackend::setCts));
        race.clocks.advance(300);
        QTRY_COMPARE(race.results(), 1);
        QCOMPARE(race.timeOfRow(1), QStringLiteral("9:00.00,00"));

        // F4 reads the clock when it is pressed.
        QVERIFY(race.key(Qt::Key_F4));
        QCOMPARE(race.results(), 2);
        QCOMPARE(race.timeOfRow(2), QStringLiteral("9:00.00,30"));
    }

    // A key or mouse finish keeps the time the window system stamped on the press, however
    // long the press waited for the busy window; never before START, and a press that
    // waited implausibly long counts when it is seen. The window system's clock runs 5 s
    // ahead of the ticks here.
    void operatorFinishKeepsItsPressTime_data()
    {
        QTest::addColumn<bool>("mouse");
        QTest::addColumn<bool>("stampsUsed");
        QTest::addColumn<int>("pressedMs"); // after START
        QTest::addColumn<int>("handledMs"); // after START
        QTest::addColumn<QString>("time");
        QTest::newRow("key, window busy 300 ms") << false << true << 1000 << 1300 << "9:00.01,00";
        QTest::newRow("mouse, window busy 300 ms") << true << true << 1000 << 1300 << "9:00.01,00";
        QTest::newRow("key, window not busy") << false << true << 1000 << 1000 << "9:00.01,00";
        QTest::newRow("key, no stamps") << false << false << 1000 << 1300 << "9:00.01,30";
        QTest::newRow("key stamped before START") << false << true << -200 << 300 << "9:00.00,00";
        QTest::newRow("key waited 20 s") << false << true << 1000 << 21000 << "9:00.21,00";
    }

    void operatorFinishKeepsItsPressTime()
    {
        QFETCH(bool, mouse);
        QFETCH(bool, stampsUsed);
        QFETCH(int, pressedMs);
        QFETCH(int, handledMs);
        QFETCH(QString, time);
        BarrierRace race;
        race.useEventStamps = stampsUsed;
        QVERIFY(race.open());
        MainWindow &window = *race.window;
        // The pointer moves now and then: those events come at once.
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, {});
        move.setTimestamp(ulong(race.clocks.tick + 5000u));
        QApplication::sendEvent(&window, &move);
        QVERIFY(race.key(Qt::Key_F5));
        const quint32 startTick = race.clocks.tick;

        race.clocks.advance(handledMs);
        const ulong stamp = ulong(startTick + 5000u + quint32(pressedMs));
        if (mouse) {
            CommandButton *finish = window.commandButton(RaceCommand::Lap);
            const QPointF at = QRectF(finish->rect()).center();
            QMouseEvent press(QEvent::MouseButtonPress, at, finish->mapToGlobal(at), Qt::LeftButton,
                              Qt::LeftButton, {});
            press.setTimestamp(stamp);
            QApplication::sendEvent(finish, &press);
        } else {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_F4, Qt::NoModifier);
            press.setTimestamp(stamp);
            QApplication::sendEvent(&window, &press);
        }
        QCOMPARE(race.results(), 1);
        QCOMPARE(race.timeOfRow(1), time);
    }

    void lockoutFromSettingsStaysInRange_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("applied");
        QTest::addColumn<QString>("shown");
        QTest::newRow("largest integer") << 2147483647 << 10000 << "10,0";
        QTest::newRow("just above 10 s") << 10001 << 10000 << "10,0";
        QTest::newRow("negative") << -200 << 0 << "0,0";
        QTest::newRow("in range") << 1500 << 1500 << "1,5";
    }

    void lockoutFromSettingsStaysInRange()
    {
        QFETCH(int, stored);
        QFETCH(int, applied);
        QFETCH(QString, shown);
        BarrierRace race(0, stored);
        QVERIFY(race.open());
        QCOMPARE(race.window->clock().lockoutInterval(), applied);
        race.settingsDialog->setSettings(race.window->currentSettings());
        QCOMPARE(race.settingsDialog->lockoutField->text(), shown);

        // A barrier finish locks for that long at most.
        QVERIFY(race.key(Qt::Key_F5));
        race.window->clock().endLockout();
        QVERIFY(race.cross(&SimulatedSerialBackend::setCts));
        QTRY_COMPARE(race.results(), 1);
        race.clocks.advance(applied);
        QVERIFY(race.cross(&SimulatedSerialBackend::setCts));
        QTRY_COMPARE(race.results(), 2);
    }

    void modeAndWarningFollowTheAlgorithm_data()
    {
        QTest::addColumn<int>("alg");
        QTest::addColumn<int>("led");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<bool>("startBarrierWorks");
        QTest::addColumn<bool>("finishBarrierWorks");
        QTest::newRow("Ein") << 0 << int(StatusLed::LedKind::Green) << "&Auto" << QString() << true << true;
        QTest::newRow("Aus") << 1 << int(StatusLed::LedKind::Green) << "&Auto" << QString() << true << true;
        QTest::newRow("finish only")
            << 2 << int(StatusLed::LedKind::Yellow) << "&Auto"
            << "Start-Lichtschranke inaktiv (Algorithmus 2: nur Ziel). In den Einstellungen "
               "„Ein“ oder „Aus“ wählen."
            << false << true;
        QTest::newRow("none chosen in the dialog")
            << -1 << int(StatusLed::LedKind::Red) << "&Hand"
            << "Lichtschranken inaktiv: kein gültiger Algorithmus. In den Einstellungen "
               "„Ein“ oder „Aus“ wählen."
            << false << false;
        QTest::newRow("unknown value") << 7 << int(StatusLed::LedKind::Red) << "&Hand"
                                       << "Lichtschranken inaktiv: kein gültiger Algorithmus. "
                                          "In den Einstellungen „Ein“ oder „Aus“ wählen."
                                       << false << false;
    }

    void modeAndWarningFollowTheAlgorithm()
    {
        QFETCH(int, alg);
        QFETCH(int, led);
        QFETCH(QString, mode);
        QFETCH(QString, warning);
        QFETCH(bool, startBarrierWorks);
        QFETCH(bool, finishBarrierWorks);
        BarrierRace race(alg);
        QVERIFY(race.open());
        QVERIFY(race.window->serialPort().connected());
        QCOMPARE(int(race.window->modeLed()->kind()), led);
        QCOMPARE(race.window->modeLabel()->text(), mode);
        QCOMPARE(race.warning()->text(), warning);
        QCOMPARE(race.warning()->isVisible(), !warning.isEmpty());

        // What the display says is what the barriers do. "Aus" acts as the
        // line turns off, the others as it turns on; a crossing is both.
        QVERIFY(race.cross(&SimulatedSerialBackend::setDsr));
        QTRY_VERIFY(!race.window->serialPort().dispatchPending());
        QCOMPARE(race.window->triggers().lastModemStatus(), 0u);
        QCOMPARE(race.window->clock().running(), startBarrierWorks);
        if (!startBarrierWorks)
            QVERIFY(race.key(Qt::Key_F5));
        race.window->clock().endLockout();
        race.clocks.advance(1000);
        QVERIFY(race.cross(&SimulatedSerialBackend::setCts));
        QTRY_VERIFY(!race.window->serialPort().dispatchPending());
        QCOMPARE(race.window->triggers().lastModemStatus(), 0u);
        QCOMPARE(race.results(), finishBarrierWorks ? 1 : 0);
    }

    void unpluggedAdapterIsReconnectedByTheDialog()
    {
        BarrierRace race;
        QVERIFY(race.open());
        QCOMPARE(race.window->modeLabel()->text(), QStringLiteral("&Auto"));
        QVERIFY(race.warning()->isHidden());

        race.serial.unplug(Port);
        QTRY_COMPARE(race.window->modeLabel()->text(), QStringLiteral("&Hand"));
        QCOMPARE(race.window->modeLed()->kind(), StatusLed::LedKind::Red);
        QVERIFY(race.warning()->isVisible());
        QCOMPARE(race.warning()->text(),
                 QStringLiteral("Lichtschranken aus: Gerät getrennt. Nach dem Anschließen die "
                                "Einstellungen mit OK bestätigen."));

        // Confirming while it is still away tries again and says why not.
        QCOMPARE(race.confirmSettings(),
                 QStringLiteral("Unable to open com port: No such file or directory"));
        QCOMPARE(race.window->modeLabel()->text(), QStringLiteral("&Hand"));
        QVERIFY(race.warning()->isVisible());

        // Plugged in again and confirmed with the same port: Auto, and barriers count.
        race.serial.replug(Port);
        QCOMPARE(race.confirmSettings(), QString());
        QVERIFY(race.window->serialPort().connected());
        QCOMPARE(race.window->modeLabel()->text(), QStringLiteral("&Auto"));
        QCOMPARE(race.window->modeLed()->kind(), StatusLed::LedKind::Green);
        QVERIFY(race.warning()->isHidden());
        // START by its button: keys sent to a window that a dialog has just handed back are
        // lost now and then on the offscreen platform.
        QTest::mousePress(race.window->commandButton(RaceCommand::Start), Qt::LeftButton);
        QVERIFY(race.window->clock().running());
        race.window->clock().endLockout();
        QVERIFY(race.cross(&SimulatedSerialBackend::setCts));
        QTRY_COMPARE(race.results(), 1);
    }
};

QTEST_MAIN(TestStampedFinish)
#include "tst_stampedfinish.moc"
