// The whole program through its main window: real keys and mouse presses,
// real files in a temporary folder, the serial port on the simulated backend.
#include "ProgramFixture.h"
#include "TwoScreenDesktop.h"
#include "app/CountryCodeBox.h"
#include "app/StartNumberEdit.h"
#include "app/TimeDisplay.h"
#include "grid/SortGrid.h"
#include "protocol/ProtocolPanel.h"
#include "serial/SerialPort.h"
#include "timing/SerialTriggers.h"
#include "widgets/SevenSegmentDigit.h"
#include "widgets/StatusLed.h"

#include <QLabel>

namespace {

QString cell(MainWindow &window, int col, int row)
{
    return window.protocol().grid()->cells(col, row);
}

} // namespace

class TestFormMain : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("Tivano")); }

    void firstRunDefaults()
    {
        Fixture fixture;
        Program program(fixture.environment());
        MainWindow &window = *program.window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Tivano 1.1"));
        QCOMPARE(window.size(), QSize(822, 434));
        QCOMPARE(window.minimumSize(), QSize(822, 434));
        QCOMPARE(window.clock().precision(), 2);
        const TimeDisplay::Colours colours = window.display().displayColours();
        QCOMPARE(colours.background, ColorValue(0x000000));
        QCOMPARE(colours.lit, ColorValue(0x00FFFF));
        QCOMPARE(colours.dim, ColorValue(0x404040));
        QCOMPARE(colours.finishLit, ColorValue(0x00FF00));
        QCOMPARE(window.clock().lockoutInterval(), 200);
        QCOMPARE(window.commandButton(RaceCommand::Lap)->text(), QStringLiteral("ZIEL"));
        QCOMPARE(window.modeLabel()->text(), QStringLiteral("&Hand"));
        QCOMPARE(window.modeLed()->kind(), StatusLed::LedKind::Red);
        QVERIFY(!window.serialPort().connected());
        QCOMPARE(window.protocol().grid()->rowCount(), 2);
        QCOMPARE(cell(window, 1, 0), QStringLiteral("Stoppzeit"));
        QVERIFY(window.commandButton(RaceCommand::Start)->isEnabled());
        QVERIFY(!window.commandButton(RaceCommand::Lap)->isEnabled());
    }

    // Every control can be found by its caption or hint.
    void accessibleNames()
    {
        Fixture fixture;
        Program program(fixture.environment());
        QStringList names;
        for (QWidget *widget : program.window->findChildren<QWidget *>()) {
            QString name = widget->accessibleName();
            if (name.isEmpty())
                if (auto *button = qobject_cast<QAbstractButton *>(widget))
                    name = button->text();
            names << name;
        }
        for (const char *expected : {"Als Webseite", "Protokoll öffnen", "START", "STOPP", "ZIEL",
                                     "Hilfe (F1)", "Einstellungen (F2)", "Info (F3)", "Startnummer:", "LKZ:"})
            QVERIFY2(names.contains(QString::fromUtf8(expected)), expected);
    }

    void wholeRaceThroughKeysAndMouse()
    {
        Fixture fixture;
        fixture.writeCountryCodes("GER\r\nAUT\r\nSUI\r\n");
        Settings written;
        {
            Program program(fixture.environment());
            MainWindow &window = *program.window;
            QVERIFY(program.show());
            QCOMPARE(window.countryCodeBox()->currentText(), QStringLiteral("GER"));

            QTest::keyClick(&window, Qt::Key_F5);
            QVERIFY(window.clock().running());
            QCOMPARE(window.commandButton(RaceCommand::Lap)->text(), QStringLiteral("ZIEL 1"));
            QCOMPARE(QApplication::focusWidget(), window.startNumberEdit());

            // The operator replaces the list of expected start numbers.
            QTest::mouseDClick(window.startNumberEdit(), Qt::LeftButton);
            QTest::keyClicks(window.startNumberEdit(), QStringLiteral("18,345,2"));
            QCOMPARE(window.startNumberEdit()->text(), QStringLiteral("18,345,2"));

            fixture.takeThreeFinishes(window);
            QCOMPARE(window.protocol().lastResultRow(), 3);
            QCOMPARE(window.commandButton(RaceCommand::Lap)->text(), QStringLiteral("ZIEL 4"));
            QCOMPARE(window.startNumberEdit()->text(), QString());
            QCOMPARE(window.display().digit(DisplayRow::Lower, Hundredths)->value(), 7);

            fixture.clocks.advance(500);
            QTest::keyClick(&window, Qt::Key_F9);
            QVERIFY(!window.clock().running());
            QVERIFY(window.commandButton(RaceCommand::Reset)->isEnabled());

            const QByteArray expected = "Nr.\tStoppzeit\tLKZ\tStNr.\tStat\t\r\n"
                                        "00001\t10:00.03,47\tGER\t18\t \t\r\n"
                                        "00002\t10:00.04,47\tAUT\t345\t \t\r\n"
                                        "00003\t10:00.05,47\tAUT\t2\t \t\r\n";
            QCOMPARE(fixture.autosave(window), expected);

            window.resize(900, 500);
            written = window.currentSettings();
            QuestionAnswerer answerer;
            if (window.protocol().grid()->modified())
                answerer.answerNext(true);
            QVERIFY(window.close());
        }
        Settings readBack;
        loadSettings(readBack, SettingsLocation::file(fixture.settingsPath()));
        QCOMPARE(readBack.width, 900);
        QCOMPARE(readBack.height, 500);
        QCOMPARE(readBack, written);

        // The next start brings the protocol back and goes on with number 4.
        Program again(fixture.environment());
        MainWindow &window = *again.window;
        QVERIFY(again.show());
        QCOMPARE(window.size(), QSize(900, 500));
        QCOMPARE(window.protocol().lastResultRow(), 3);
        QCOMPARE(cell(window, 3, 2), QStringLiteral("345"));
        QTest::keyClick(&window, Qt::Key_F5);
        QCOMPARE(window.commandButton(RaceCommand::Lap)->text(), QStringLiteral("ZIEL 4"));
    }

    void anyMouseButtonActsOnPress()
    {
        Fixture fixture;
        QVERIFY(fixture.showProgram());
        MainWindow &window = fixture.window();
        QTest::mousePress(window.commandButton(RaceCommand::Start), Qt::RightButton);
        QVERIFY(window.clock().running());
        QTest::mousePress(window.commandButton(RaceCommand::Lap), Qt::LeftButton);
        QCOMPARE(window.protocol().lastResultRow(), 1); // holding the button repeats nothing
        QTest::mouseRelease(window.commandButton(RaceCommand::Lap), Qt::LeftButton);
        QCOMPARE(window.protocol().lastResultRow(), 1);
        // STOPP and reset are reachable from the window.
        QVERIFY(window.commandButton(RaceCommand::Stop)->isVisible());
        pressButton(window, RaceCommand::Stop);
        QVERIFY(!window.clock().running());
        QuestionAnswerer answerer;
        answerer.answerNext(true);
        pressButton(window, RaceCommand::Reset);
        QCOMPARE(answerer.questions, QStringList{QStringLiteral("Protokoll wird gelöscht!")});
        QVERIFY(window.commandButton(RaceCommand::Start)->isEnabled());
        QCOMPARE(window.protocol().lastResultRow(), 0);
        QCOMPARE(fixture.program->yesNo->yesButton->text(), QStringLiteral("Ja"));
    }

    void closeQueryWhileRunning()
    {
        Fixture fixture;
        QVERIFY(fixture.showProgram());
        MainWindow &window = fixture.window();
        QTest::keyClick(&window, Qt::Key_F5);
        QuestionAnswerer answerer;
        answerer.answerNext(false);
        QVERIFY(!window.close());
        QCOMPARE(answerer.questions, QStringList{QStringLiteral("Wollen Sie Tivano wirklich beenden? ")});
        QVERIFY(window.isVisible());
        QVERIFY(window.clock().running());
    }

    void closeWithoutQuestionWhenReady()
    {
        Fixture fixture;
        QVERIFY(fixture.showProgram());
        MainWindow &window = fixture.window();
        QVERIFY(!window.protocol().grid()->modified());
        QuestionAnswerer answerer;
        QVERIFY(window.close());
        QVERIFY(answerer.questions.isEmpty());
    }

    void raceThroughTheSerialPort()
    {
        Fixture fixture;
        fixture.serial.setPresent(1, true);
        fixture.writeSettings({{QStringLiteral("Port"), 1}, {QStringLiteral("Alg"), 0}});
        QVERIFY(fixture.showProgram());
        MainWindow &window = fixture.window();
        QVERIFY(window.serialPort().connected());
        QCOMPARE(window.modeLabel()->text(), QStringLiteral("&Auto"));
        QCOMPARE(window.modeLed()->kind(), StatusLed::LedKind::Green);
        QCOMPARE(window.modeCaption()->text(), QStringLiteral("&Modus:"));
        QVERIFY(fixture.serial.waitUntilWaiting(1, 1));

        fixture.serial.setDsr(1, true); // the start barrier
        QTRY_VERIFY(window.clock().running());
        window.clock().endLockout(); // the lockout after START runs out

        fixture.serial.setCts(1, true); // the finish barrier
        QTRY_COMPARE(window.protocol().lastResultRow(), 1);
        QVERIFY(window.clock().locked());
        // The same crossing bounces within the lockout: no second finish.
        fixture.serial.setCts(1, false);
        QTRY_COMPARE(window.triggers().lastModemStatus() & SerialTriggers::FinishLine, 0u);
        fixture.serial.setCts(1, true);
        QTRY_COMPARE(window.triggers().lastModemStatus() & SerialTriggers::FinishLine,
                     SerialTriggers::FinishLine);
        QCOMPARE(window.protocol().lastResultRow(), 1);

        window.clock().endLockout();
        // A line still on when the lockout ends does not trigger; the next crossing does.
        QCOMPARE(window.protocol().lastResultRow(), 1);
        fixture.serial.setCts(1, false);
        QTRY_COMPARE(window.triggers().lastModemStatus() & SerialTriggers::FinishLine, 0u);
        fixture.serial.setCts(1, true);
        QTRY_COMPARE(window.protocol().lastResultRow(), 2);
        QCOMPARE(cell(window, 0, 2), QStringLiteral("00002"));
    }

    void unpluggedAdapterReturnsToHand()
    {
        Fixture fixture;
        fixture.plugAdapter(3);
        QVERIFY(fixture.showProgram());
        MainWindow &window = fixture.window();
        QCOMPARE(window.modeLabel()->text(), QStringLiteral("&Auto"));
        QVERIFY(fixture.serial.waitUntilWaiting(3, 1));
        fixture.serial.unplug(3);
        QTRY_COMPARE(window.modeLabel()->text(), QStringLiteral("&Hand"));
        QCOMPARE(window.modeLed()->kind(), StatusLed::LedKind::Red);
        QCOMPARE(window.modeCaption()->text(), QStringLiteral("Modus:"));
        QVERIFY(!window.serialPort().connected());
    }

    void portThatDoesNotOpenLeavesHand()
    {
        Fixture fixture;
        fixture.serial.setPresent(2, true);
        fixture.serial.setOpenError(2, QStringLiteral("Device or resource busy"));
        fixture.writeSettings({{QStringLiteral("Port"), 2}});
        Program program(fixture.environment());
        QCOMPARE(program.window->modeLabel()->text(), QStringLiteral("&Hand"));
        QVERIFY(!program.window->serialPort().connected());
    }

    // The settings file puts any device behind a COM number; the port list shows it beside
    // the number, choosing it takes the port, and saving the settings keeps the mapping.
    void deviceMapFromTheSettings()
    {
        const QString device = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1-if00-port0");
        Fixture fixture;
        fixture.writeSettings({{QStringLiteral("Schnittstellen/COM3"), device},
                               {QStringLiteral("Schnittstellen/COM5"), QStringLiteral("  ")}});
        {
            Program program(fixture.environment());
            QComboBox *ports = program.cfgDialog->portBox;
            const int mapped = ports->findText(QStringLiteral("COM3  ") + device);
            QVERIFY(mapped > 0);
            QVERIFY(ports->findText(QStringLiteral("COM5")) > 0);
            program.cfgDialog->setSettings(program.window->currentSettings());
            ports->setCurrentIndex(mapped);
            QCOMPARE(program.cfgDialog->editedSettings().port, 3);
        }
        QCOMPARE(QSettings(fixture.settingsPath(), QSettings::IniFormat).value(QStringLiteral("Schnittstellen/COM3")),
                 QVariant(device));
    }

    void settingsEdgeCases_data()
    {
        QTest::addColumn<QVariantMap>("stored");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("lapCaption");
        QTest::addColumn<int>("precision");
        QTest::addColumn<ColorValue>("background");

        QVariantMap allButSound{{"Port", 0},      {"Alg", 1},      {"Left", 10},     {"Top", 20},
                                {"Width", 1000},  {"Height", 600}, {"C1", 0x800000}, {"C2", 0xFFFFFF},
                                {"C3", 0x111111}, {"Acc", 0},      {"C4", 0xFF},     {"FilterInd", 1},
                                {"Wait", 500},    {"ButtonLap", 2}};
        QTest::newRow("every value but Sound") << allButSound << 0 << "ZIEL" << 2 << ColorValue(0);
        QTest::newRow("Port 258 is port 2")
            << QVariantMap{{"Port", 258}} << 2 << "ZIEL" << 2 << ColorValue(0);
        QVariantMap emptyWord{{"Port", 0},      {"Alg", 0},       {"Left", 0},     {"Top", 0},
                              {"Width", 822},   {"Height", 434},  {"Sound", 1},    {"C1", 0x800000},
                              {"C2", 0xFFFF},   {"C3", 0x404040}, {"Acc", 1},      {"C4", 0xFF00},
                              {"FilterInd", 2}, {"Wait", 200},    {"ButtonLap", 4}};
        QTest::newRow("ButtonLap 4") << emptyWord << 0 << "" << 1 << ColorValue(0x800000);
    }

    void settingsEdgeCases()
    {
        QFETCH(QVariantMap, stored);
        QFETCH(int, port);
        QFETCH(QString, lapCaption);
        QFETCH(int, precision);
        QFETCH(ColorValue, background);
        Fixture fixture;
        fixture.writeSettings(stored);
        Program program(fixture.environment());
        MainWindow &window = *program.window;
        QCOMPARE(int(window.serialPort().port()), port);
        QCOMPARE(window.commandButton(RaceCommand::Lap)->text(), lapCaption);
        QCOMPARE(window.clock().precision(), precision);
        QCOMPARE(window.display().displayColours().background, background);
        if (stored.contains(QStringLiteral("Width")))
            QCOMPARE(window.width(), stored.value(QStringLiteral("Width")).toInt());
    }
};

TIVANO_TEST_MAIN_TWO_SCREENS(TestFormMain)
#include "tst_mainwindow.moc"
