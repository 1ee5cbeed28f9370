// The whole program through its main window: real keys and mouse presses,
// real files in a temporary folder, the serial port on the simulated backend.
#include "Comms.h"
#include "CountryCodeBox.h"
#include "Dmn_led.h"
#include "ProgramFixture.h"
#include "ProtocolPanel.h"
#include "SerialTriggers.h"
#include "SortGrid.h"
#include "StartNumberEdit.h"
#include "TimeDisplay.h"
#include "TwoScreenDesktop.h"
#include "Udigit.h"

#include <QLabel>

namespace {

QString Cell(TFormMain &window, int col, int row)
{
    return window.Protocol().SortGrid1->Cells(col, row);
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
        Program program(fixture.Environment());
        TFormMain &window = *program.window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Tivano 1.1"));
        QCOMPARE(window.size(), QSize(822, 434));
        QCOMPARE(window.minimumSize(), QSize(822, 434));
        QCOMPARE(window.Clock().Precision(), 2);
        const TTimeDisplay::Colours colours = window.Display().DisplayColours();
        QCOMPARE(colours.background, TColor(0x000000));
        QCOMPARE(colours.lit, TColor(0x00FFFF));
        QCOMPARE(colours.dim, TColor(0x404040));
        QCOMPARE(colours.finishLit, TColor(0x00FF00));
        QCOMPARE(window.Clock().LockoutInterval(), 200);
        QCOMPARE(window.CommandButton(RaceCommand::Lap)->text(), QStringLiteral("ZIEL"));
        QCOMPARE(window.LabelModus()->text(), QStringLiteral("&Hand"));
        QCOMPARE(window.LedModus()->Kind(), TLed::lkRed);
        QVERIFY(!window.ComPort().Connected());
        QCOMPARE(window.Protocol().SortGrid1->RowCount(), 2);
        QCOMPARE(Cell(window, 1, 0), QStringLiteral("Stoppzeit"));
        QVERIFY(window.CommandButton(RaceCommand::Start)->isEnabled());
        QVERIFY(!window.CommandButton(RaceCommand::Lap)->isEnabled());
    }

    // Every control can be found by its caption or hint.
    void accessibleNames()
    {
        Fixture fixture;
        Program program(fixture.Environment());
        QStringList names;
        for (QWidget *widget : program.window->findChildren<QWidget *>()) {
            QString name = widget->accessibleName();
            if (name.isEmpty())
                if (auto *button = qobject_cast<QAbstractButton *>(widget))
                    name = button->text();
            names << name;
        }
        for (const char *expected : {"Als Webseite", "Protokoll öffnen", "START", "STOPP", "ZIEL",
                                     "Hilfe (F1)", "Einstellungen (F2)", "Info (F3)",
                                     "Startnummer:", "LKZ:"})
            QVERIFY2(names.contains(QString::fromUtf8(expected)), expected);
    }

    void wholeRaceThroughKeysAndMouse()
    {
        Fixture fixture;
        fixture.WriteCountryCodes("GER\r\nAUT\r\nSUI\r\n");
        TivanoSettings written;
        {
            Program program(fixture.Environment());
            TFormMain &window = *program.window;
            QVERIFY(program.Show());
            QCOMPARE(window.ListLkz()->currentText(), QStringLiteral("GER"));

            QTest::keyClick(&window, Qt::Key_F5);
            QVERIFY(window.Clock().Running());
            QCOMPARE(window.CommandButton(RaceCommand::Lap)->text(), QStringLiteral("ZIEL 1"));
            QCOMPARE(QApplication::focusWidget(), window.EditPred());

            // The operator replaces the list of expected start numbers.
            QTest::mouseDClick(window.EditPred(), Qt::LeftButton);
            QTest::keyClicks(window.EditPred(), QStringLiteral("18,345,2"));
            QCOMPARE(window.EditPred()->text(), QStringLiteral("18,345,2"));

            fixture.clocks.Advance(3470);
            QTest::keyClick(&window, Qt::Key_F4);
            fixture.clocks.Advance(1000);
            window.ListLkz()->setCurrentIndex(1);
            PressButton(window, RaceCommand::Lap);
            fixture.clocks.Advance(1000);
            QTest::keyClick(&window, Qt::Key_F4);
            QCOMPARE(window.Protocol().ResultCount(), 3);
            QCOMPARE(window.CommandButton(RaceCommand::Lap)->text(), QStringLiteral("ZIEL 4"));
            QCOMPARE(window.EditPred()->text(), QString());
            QCOMPARE(window.Display().Digit(DisplayRow::Lower, Hundredths)->Value(), 7);

            fixture.clocks.Advance(500);
            QTest::keyClick(&window, Qt::Key_F9);
            QVERIFY(!window.Clock().Running());
            QVERIFY(window.CommandButton(RaceCommand::Reset)->isEnabled());

            const QByteArray expected =
                "Nr.\tStoppzeit\tLKZ\tStNr.\tStat\t\r\n"
                "00001\t10:00.03,47\tGER\t18\t \t\r\n"
                "00002\t10:00.04,47\tAUT\t345\t \t\r\n"
                "00003\t10:00.05,47\tAUT\t2\t \t\r\n";
            QCOMPARE(fixture.Autosave(), expected);

            window.resize(900, 500);
            written = window.CurrentSettings();
            QuestionAnswerer answerer;
            if (window.Protocol().SortGrid1->Modified())
                answerer.AnswerNext(true);
            QVERIFY(window.close());
        }
        TivanoSettings readBack;
        LoadSettings(readBack, SettingsLocation::File(fixture.SettingsPath()));
        QCOMPARE(readBack.Width, 900);
        QCOMPARE(readBack.Height, 500);
        QCOMPARE(readBack, written);

        // The next start brings the protocol back and goes on with number 4.
        Program again(fixture.Environment());
        TFormMain &window = *again.window;
        QVERIFY(again.Show());
        QCOMPARE(window.size(), QSize(900, 500));
        QCOMPARE(window.Protocol().ResultCount(), 3);
        QCOMPARE(Cell(window, 3, 2), QStringLiteral("345"));
        QTest::keyClick(&window, Qt::Key_F5);
        QCOMPARE(window.CommandButton(RaceCommand::Lap)->text(), QStringLiteral("ZIEL 4"));
    }

    void anyMouseButtonActsOnPress()
    {
        Fixture fixture;
        Program program(fixture.Environment());
        TFormMain &window = *program.window;
        QVERIFY(program.Show());
        QTest::mousePress(window.CommandButton(RaceCommand::Start), Qt::RightButton);
        QVERIFY(window.Clock().Running());
        QTest::mousePress(window.CommandButton(RaceCommand::Lap), Qt::LeftButton);
        QCOMPARE(window.Protocol().ResultCount(), 1); // holding the button repeats nothing
        QTest::mouseRelease(window.CommandButton(RaceCommand::Lap), Qt::LeftButton);
        QCOMPARE(window.Protocol().ResultCount(), 1);
        // STOPP and reset are reachable from the window.
        QVERIFY(window.CommandButton(RaceCommand::Stop)->isVisible());
        PressButton(window, RaceCommand::Stop);
        QVERIFY(!window.Clock().Running());
        QuestionAnswerer answerer;
        answerer.AnswerNext(true);
        PressButton(window, RaceCommand::Reset);
        QCOMPARE(answerer.questions, QStringList{QStringLiteral("Protokoll wird gelöscht!")});
        QVERIFY(window.CommandButton(RaceCommand::Start)->isEnabled());
        QCOMPARE(window.Protocol().ResultCount(), 0);
        QCOMPARE(program.yesNo->OKBtn->text(), QStringLiteral("Ja"));
    }

    void closeQueryWhileRunning()
    {
        Fixture fixture;
        Program program(fixture.Environment());
        TFormMain &window = *program.window;
        QVERIFY(program.Show());
        QTest::keyClick(&window, Qt::Key_F5);
        QuestionAnswerer answerer;
        answerer.AnswerNext(false);
        QVERIFY(!window.close());
        QCOMPARE(answerer.questions,
                 QStringList{QStringLiteral("Wollen Sie Tivano wirklich beenden? ")});
        QVERIFY(window.isVisible());
        QVERIFY(window.Clock().Running());
    }

    void closeWithoutQuestionWhenReady()
    {
        Fixture fixture;
        Program program(fixture.Environment());
        TFormMain &window = *program.window;
        QVERIFY(program.Show());
        QVERIFY(!window.Protocol().SortGrid1->Modified());
        QuestionAnswerer answerer;
        QVERIFY(window.close());
        QVERIFY(answerer.questions.isEmpty());
    }

    void raceThroughTheSerialPort()
    {
        Fixture fixture;
        fixture.serial.setPresent(1, true);
        fixture.WriteSettings({{QStringLiteral("Port"), 1}, {QStringLiteral("Alg"), 0}});
        Program program(fixture.Environment());
        TFormMain &window = *program.window;
        QVERIFY(program.Show());
        QVERIFY(window.ComPort().Connected());
        QCOMPARE(window.LabelModus()->text(), QStringLiteral("&Auto"));
        QCOMPARE(window.LedModus()->Kind(), TLed::lkGreen);
        QCOMPARE(window.LabelMadus2()->text(), QStringLiteral("&Modus:"));
        QVERIFY(fixture.serial.WaitUntilWaiting(1, 1));

        fixture.serial.SetDsr(1, true); // the start barrier
        QTRY_VERIFY(window.Clock().Running());
        window.Clock().TimerGesperrtTimer(); // the lockout after START runs out

        fixture.serial.SetCts(1, true); // the finish barrier
        QTRY_COMPARE(window.Protocol().ResultCount(), 1);
        QVERIFY(window.Clock().Locked());
        // The same crossing bounces within the lockout: no second finish.
        fixture.serial.SetCts(1, false);
        QTRY_COMPARE(window.Triggers().LastModemStatus() & SerialTriggers::FinishLine, 0u);
        fixture.serial.SetCts(1, true);
        QTRY_COMPARE(window.Triggers().LastModemStatus() & SerialTriggers::FinishLine,
                     SerialTriggers::FinishLine);
        QCOMPARE(window.Protocol().ResultCount(), 1);

        window.Clock().TimerGesperrtTimer();
        // A line still on when the lockout ends does not trigger; the next crossing does.
        QCOMPARE(window.Protocol().ResultCount(), 1);
        fixture.serial.SetCts(1, false);
        QTRY_COMPARE(window.Triggers().LastModemStatus() & SerialTriggers::FinishLine, 0u);
        fixture.serial.SetCts(1, true);
        QTRY_COMPARE(window.Protocol().ResultCount(), 2);
        QCOMPARE(Cell(window, 0, 2), QStringLiteral("00002"));
    }

    void unpluggedAdapterReturnsToHand()
    {
        Fixture fixture;
        fixture.serial.setPresent(3, true);
        fixture.WriteSettings({{QStringLiteral("Port"), 3}});
        Program program(fixture.Environment());
        TFormMain &window = *program.window;
        QVERIFY(program.Show());
        QCOMPARE(window.LabelModus()->text(), QStringLiteral("&Auto"));
        QVERIFY(fixture.serial.WaitUntilWaiting(3, 1));
        fixture.serial.Unplug(3);
        QTRY_COMPARE(window.LabelModus()->text(), QStringLiteral("&Hand"));
        QCOMPARE(window.LedModus()->Kind(), TLed::lkRed);
        QCOMPARE(window.LabelMadus2()->text(), QStringLiteral("Modus:"));
        QVERIFY(!window.ComPort().Connected());
    }

    void portThatDoesNotOpenLeavesHand()
    {
        Fixture fixture;
        fixture.serial.setPresent(2, true);
        fixture.serial.setOpenError(2, QStringLiteral("Device or resource busy"));
        fixture.WriteSettings({{QStringLiteral("Port"), 2}});
        Program program(fixture.Environment());
        QCOMPARE(program.window->LabelModus()->text(), QStringLiteral("&Hand"));
        QVERIFY(!program.window->ComPort().Connected());
    }

    void settingsEdgeCases_data()
    {
        QTest::addColumn<QVariantMap>("stored");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("lapCaption");
        QTest::addColumn<int>("precision");
        QTest::addColumn<TColor>("background");

        QVariantMap allButSound{{"Port", 0}, {"Alg", 1}, {"Left", 10}, {"Top", 20},
                                {"Width", 1000}, {"Height", 600}, {"C1", 0x800000},
                                {"C2", 0xFFFFFF}, {"C3", 0x111111}, {"Acc", 0}, {"C4", 0xFF},
                                {"FilterInd", 1}, {"Wait", 500}, {"ButtonLap", 2}};
        QTest::newRow("every value but Sound") << allButSound << 0 << "ZIEL" << 2 << TColor(0);
        QTest::newRow("Port 258 is port 2") << QVariantMap{{"Port", 258}} << 2 << "ZIEL" << 2 << TColor(0);
        QVariantMap emptyWord{{"Port", 0}, {"Alg", 0}, {"Left", 0}, {"Top", 0}, {"Width", 822},
                              {"Height", 434}, {"Sound", 1}, {"C1", 0x800000}, {"C2", 0xFFFF},
                              {"C3", 0x404040}, {"Acc", 1}, {"C4", 0xFF00}, {"FilterInd", 2},
                              {"Wait", 200}, {"ButtonLap", 4}};
        QTest::newRow("ButtonLap 4") << emptyWord << 0 << "" << 1 << TColor(0x800000);
    }

    void settingsEdgeCases()
    {
        QFETCH(QVariantMap, stored);
        QFETCH(int, port);
        QFETCH(QString, lapCaption);
        QFETCH(int, precision);
        QFETCH(TColor, background);
        Fixture fixture;
        fixture.WriteSettings(stored);
        Program program(fixture.Environment());
        TFormMain &window = *program.window;
        QCOMPARE(int(window.ComPort().Port()), port);
        QCOMPARE(window.CommandButton(RaceCommand::Lap)->text(), lapCaption);
        QCOMPARE(window.Clock().Precision(), precision);
        QCOMPARE(window.Display().DisplayColours().background, background);
        if (stored.contains(QStringLiteral("Width")))
            QCOMPARE(window.width(), stored.value(QStringLiteral("Width")).toInt());
    }
};

TIVANO_TEST_MAIN_TWO_SCREENS(TestFormMain)
#include "tst_formmain.moc"
