// The race panel shows what the race clock and the light barriers are doing: the
// command buttons' states, the finish button's running number and the mode.
#include "ManualClock.h"
#include "app/RacePanel.h"
#include "platform/ColorValue.h"
#include "widgets/CommandButton.h"
#include "widgets/StatusLed.h"

#include <QLabel>
#include <QTest>

#include <array>

class TestRacePanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void finishCaption_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("loadedResults");
        QTest::addColumn<QString>("idle");
        QTest::addColumn<QString>("running");
        QTest::newRow("ZIEL") << "ZIEL" << 0 << "ZIEL"
                              << "ZIEL 1";
        QTest::newRow("after a loaded protocol") << "ZIEL" << 3 << "ZIEL"
                                                 << "ZIEL 4";
        QTest::newRow("LAP") << "LAP" << 0 << "LAP"
                             << "LAP 1";
        QTest::newRow("FINISH") << "FINISH" << 9 << "FINISH"
                                << "FINISH 10";
        QTest::newRow("START") << "START" << 0 << "START"
                               << "START 1";
        QTest::newRow("empty word") << "" << 0 << ""
                                    << " 1";
    }

    void finishCaption()
    {
        QFETCH(QString, word);
        QFETCH(int, loadedResults);
        QFETCH(QString, idle);
        QFETCH(QString, running);
        ManualClock clocks;
        RaceClock clock(clocks);
        RacePanel panel;
        CommandButton *finishButton = panel.commandButton(RaceCommand::Lap);
        clock.setFinishWord(word);
        panel.showCommandStates(clock, loadedResults + 1);
        QCOMPARE(finishButton->text(), idle);
        QVERIFY(!finishButton->isEnabled());
        clock.start();
        panel.showCommandStates(clock, loadedResults + 1);
        QCOMPARE(finishButton->text(), running);
        QVERIFY(finishButton->isEnabled());
        QCOMPARE(panel.commandButton(RaceCommand::Stop)->color(), Colors::clRed);
        clock.stop();
        panel.showCommandStates(clock, loadedResults + 2);
        QCOMPARE(finishButton->text(), idle);
        QVERIFY(panel.commandButton(RaceCommand::Reset)->isEnabled());
        QVERIFY(!panel.commandButton(RaceCommand::Start)->isEnabled());
    }

    // A button is lit in its own colour while its command can be given and shows the
    // plain button face otherwise; `steps` of START, ZIEL, STOPP and the reset are given.
    void commandColours_data()
    {
        constexpr ColorValue Face = Colors::clBtnFace;
        QTest::addColumn<int>("steps");
        QTest::addColumn<ColorValue>("start");
        QTest::addColumn<ColorValue>("finish");
        QTest::addColumn<ColorValue>("stop");
        QTest::addColumn<ColorValue>("reset");
        QTest::newRow("ready") << 0 << Colors::clGreen << Face << Face << Face;
        QTest::newRow("running") << 1 << Face << Colors::clYellow << Colors::clRed << Face;
        QTest::newRow("running after a finish") << 2 << Face << Colors::clYellow << Colors::clRed << Face;
        QTest::newRow("stopped") << 3 << Face << Face << Face << Colors::clBlack;
        QTest::newRow("ready after the reset") << 4 << Colors::clGreen << Face << Face << Face;
    }

    void commandColours()
    {
        QFETCH(int, steps);
        QFETCH(ColorValue, start);
        QFETCH(ColorValue, finish);
        QFETCH(ColorValue, stop);
        QFETCH(ColorValue, reset);
        static constexpr std::array<void (RaceClock::*)(), 4> commands
            = {&RaceClock::start, &RaceClock::recordFinish, &RaceClock::stop, &RaceClock::reset};
        ManualClock clocks;
        RaceClock clock(clocks);
        RacePanel panel;
        for (int i = 0; i < steps; ++i)
            (clock.*commands[size_t(i)])();
        panel.showCommandStates(clock, 1);
        QCOMPARE(panel.commandButton(RaceCommand::Start)->color(), start);
        QCOMPARE(panel.commandButton(RaceCommand::Lap)->color(), finish);
        QCOMPARE(panel.commandButton(RaceCommand::Stop)->color(), stop);
        QCOMPARE(panel.commandButton(RaceCommand::Reset)->color(), reset);
    }

    void barrierStatus_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<int>("ledKind");
        QTest::addColumn<QString>("label");
        QTest::newRow("hand") << int(BarrierStatus::Hand) << "" << int(StatusLed::LedKind::Red) << "&Hand";
        QTest::newRow("auto") << int(BarrierStatus::Auto) << "" << int(StatusLed::LedKind::Green) << "&Auto";
        QTest::newRow("finish only, warned")
            << int(BarrierStatus::FinishOnly) << "nur Ziel" << int(StatusLed::LedKind::Yellow) << "&Auto";
    }

    void barrierStatus()
    {
        QFETCH(int, mode);
        QFETCH(QString, warning);
        QFETCH(int, ledKind);
        QFETCH(QString, label);
        RacePanel panel;
        panel.showBarrierStatus({BarrierStatus::Mode(mode), warning});
        QCOMPARE(int(panel.modeLed()->kind()), ledKind);
        QCOMPARE(panel.modeLabel()->text(), label);
        QCOMPARE(panel.barrierWarningLabel()->text(), warning);
        QCOMPARE(panel.barrierWarningLabel()->isVisibleTo(&panel), !warning.isEmpty());
    }

    void modeCaptionFollowsThePort()
    {
        RacePanel panel;
        panel.showPortOpen(true);
        QCOMPARE(panel.modeCaption()->text(), QStringLiteral("&Modus:"));
        QCOMPARE(panel.modeLed()->cursor().shape(), Qt::PointingHandCursor);
        panel.showPortOpen(false);
        QCOMPARE(panel.modeCaption()->text(), QStringLiteral("Modus:"));
        QVERIFY(!panel.modeLed()->testAttribute(Qt::WA_SetCursor));
    }
};

QTEST_MAIN(TestRacePanel)
#include "tst_racepanel.moc"
