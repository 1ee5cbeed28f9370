// The race commands reach the clock whatever stands in front of the main window: a held
// key is one press, F4 and F9 act in every dialog and in the help window, a light barrier
// records in all of them, and a press on a command button acts through an open popup.
#include "ProgramFixture.h"
#include "app/CountryCodeBox.h"
#include "grid/SortGrid.h"
#include "help/HelpLauncher.h"
#include "protocol/ProtocolPanel.h"

namespace {

QString raceState(MainWindow &window)
{
    const RaceClock &clock = window.clock();
    const char *state = clock.running() ? "Running" : clock.enabled(RaceCommand::Start) ? "Ready" : "Stopped";
    return QStringLiteral("%1/%2").arg(QLatin1String(state)).arg(window.protocol().lastResultRow());
}

// A key held down on `target`, as X11 reports it: the press, a release and a press at
// one time for each repeat, marked as repeats only now and then, and the release.
void holdKey(QWidget *target, Qt::Key key)
{
    static ulong time = 1000;
    auto send = [target, key](QEvent::Type type, bool marked) {
        if (type == QEvent::KeyPress && qt_sendShortcutOverrideEvent(target, time, key, {}, {}, marked))
            return; // a shortcut took it
        QKeyEvent event(type, key, Qt::NoModifier, QString(), marked);
        event.setTimestamp(time);
        QSpontaneKeyEvent::setSpontaneous(&event);
        QApplication::sendEvent(target, &event);
    };
    send(QEvent::KeyPress, false);
    time += 500;
    for (int i = 0; i < 4; ++i, time += 40) {
        send(QEvent::KeyRelease, i == 0);
        send(QEvent::KeyPress, i == 0);
    }
    send(QEvent::KeyRelease, false);
    time += 500;
}

// The window in front of the main window: a popup, a modal dialog or another window.
QWidget *frontWindow(const MainWindow &window)
{
    if (QWidget *popup = QApplication::activePopupWidget())
        return popup;
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow() != &window ? QApplication::activeWindow() : nullptr;
}

} // namespace

class TestRaceCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("Tivano")); }

    void finishInFront_data()
    {
        QTest::addColumn<QString>("opener"); // the control clicked or the key pressed
        QTest::newRow("main window") << "";
        QTest::newRow("LKZ list") << "countryCodeBox";
        QTest::newRow("settings") << "Alt+E";
        QTest::newRow("restore dialog") << "restoreButton";
        QTest::newRow("file dialog") << "openButton";
        QTest::newRow("clear question") << "clearButton";
        QTest::newRow("message box") << "infoButton";
        QTest::newRow("help window") << "F1";
    }

    // While the clock runs, a held F4 records one finish wherever the focus is, a
    // light-barrier crossing one more, and F9 stops; the window in front stays open.
    void finishInFront()
    {
        QFETCH(QString, opener);
        const bool help = opener == QLatin1String("F1");
        const bool inMainWindow = opener.isEmpty();
#ifdef Q_OS_WIN
        if (help)
            QSKIP("the system's help viewer is no Qt window");
#endif
        Fixture fixture;
        fixture.writeCountryCodes("GER\r\nAUT\r\n");
        fixture.serial.setPresent(1, true);
        fixture.writeSettings({{QStringLiteral("Port"), 1}, {QStringLiteral("Alg"), 0}});
        HelpLauncher launcher;
        launcher.setModuleFolders({QStringLiteral(TIVANO_HELP_MODULE_DIR)});
        QVERIFY(!help || launcher.start());
        Program program(fixture.environment());
        MainWindow &window = *program.window;
        launcher.setHelpFile(QStringLiteral(TIVANO_HELP_FILE));
        QVERIFY(program.show());
        QVERIFY(fixture.serial.waitUntilWaiting(1, 1));
        QTest::keyClick(&window, Qt::Key_F5);
        QTest::keyClick(&window, Qt::Key_F4); // two rows, so that there is a protocol to clear
        QTest::keyClick(&window, Qt::Key_F4);
        window.clock().endLockout();

        QStringList seen; // after F4, after the crossing, after F9; whether the front stayed
        QTimer inFront;
        connect(&inFront, &QTimer::timeout, &window, [&] {
            QWidget *shown = inMainWindow ? &window : frontWindow(window);
            if (!shown || !shown->isVisible())
                return;
            inFront.stop();
            // Keys go to the focus of the window in front; a popup keeps its own.
            QWidget *target = shown->focusWidget() ? shown->focusWidget() : shown;
            holdKey(target, Qt::Key_F4);
            seen << raceState(window);
            fixture.serial.setCts(1, true);
            static_cast<void>(QTest::qWaitFor([&] { return window.protocol().lastResultRow() == 4; }));
            seen << raceState(window);
            holdKey(target, Qt::Key_F9);
            seen << raceState(window);
            seen << QVariant(shown->isVisible() && frontWindow(window) == (inMainWindow ? nullptr : shown))
                        .toString();
            if (!inMainWindow)
                shown->close();
        });
        inFront.start(5);
        if (auto *control = inMainWindow ? nullptr : window.findChild<QWidget *>(opener))
            QTest::mouseClick(control, Qt::LeftButton);
        else if (!inMainWindow)
            QTest::keySequence(&window, QKeySequence(opener));
        QTRY_COMPARE(seen.size(), 4);
        QCOMPARE(seen, (QStringList{"Running/3", "Running/4", "Stopped/4", "true"}));
    }

    void pressThroughPopup_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("gridMenu"); // the protocol's context menu, else the LKZ list
        QTest::addColumn<bool>("onPopup"); // pressed where the popup covers the button
        QTest::addColumn<QString>("after");
        QTest::newRow("START through the LKZ list") << "startButton" << false << false << "Running/0";
        QTest::newRow("ZIEL through the LKZ list") << "finishButton" << false << false << "Running/2";
        QTest::newRow("STOPP through the LKZ list") << "stopButton" << false << false << "Stopped/1";
        QTest::newRow("ZIEL through the protocol's menu") << "finishButton" << true << false << "Running/2";
        QTest::newRow("on the list over ZIEL") << "finishButton" << false << true << "Running/1";
    }

    // A press on a command button acts at once when a popup is open: the popup closes
    // and the command runs, once. Where the popup covers the button, the press is its.
    void pressThroughPopup()
    {
        QFETCH(QString, button);
        QFETCH(bool, gridMenu);
        QFETCH(bool, onPopup);
        Fixture fixture;
        fixture.writeCountryCodes(QByteArray("GER\r\n").repeated(20));
        QVERIFY(fixture.showProgram());
        MainWindow &window = fixture.window();
        if (button != QLatin1String("startButton")) {
            QTest::keyClick(&window, Qt::Key_F5);
            QTest::keyClick(&window, Qt::Key_F4);
        }
        SortGrid *grid = window.protocol().grid();
        if (gridMenu)
            QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, grid->cellRect(1, 1).center());
        else
            window.countryCodeBox()->showPopup();
        QTRY_VERIFY(QApplication::activePopupWidget());
        QWidget *shown = QApplication::activePopupWidget();

        // The first point along the button's middle line that the popup covers, or does not.
        auto *target = window.findChild<QWidget *>(button);
        QPoint at;
        for (int x = 1; x < target->width() && at.isNull(); ++x) {
            const QPoint global = target->mapToGlobal(QPoint(x, target->height() / 2));
            if (shown->frameGeometry().contains(global) == onPopup)
                at = window.mapFromGlobal(global);
        }
        QVERIFY(!at.isNull());
        // Through the window system, as a real press comes: past the popup's grab.
        QTest::mousePress(window.windowHandle(), Qt::LeftButton, {}, at);
        QTEST(raceState(window), "after");
        QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {}, at);
        QTRY_VERIFY(!shown->isVisible());
        QTEST(raceState(window), "after");
    }
};

QTEST_MAIN(TestRaceCommands)
#include "tst_racecommands.moc"
