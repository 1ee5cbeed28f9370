// What the operator touches in the main window: keys on the command buttons and
// in "Startnummer:", the LKZ drop-down, the pressed face of the command buttons,
// the focus of the yes/no questions and where the window opens. Real key and
// mouse events on the real window, on a desktop of two screens.
#include "ProgramFixture.h"
#include "TwoScreenDesktop.h"
#include "app/CountryCodeBox.h"
#include "app/StartNumberEdit.h"
#include "app/TimeDisplay.h"
#include "grid/SortGrid.h"
#include "protocol/ProtocolPanel.h"
#include "timing/WindowPlacement.h"
#include "widgets/CommandButton.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QPushButton>
#include <QScreen>

namespace {

struct KeyStroke
{
    Qt::Key key;
    QString text;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    bool autoRepeat = false;
};
using KeyStrokes = QList<KeyStroke>;

// Keys as X11 delivers them: Delete carries 0x7F, Ctrl with a letter its control character.
KeyStroke typed(char character)
{
    return {Qt::Key(QChar(QLatin1Char(character)).toUpper().unicode()), QString(QLatin1Char(character))};
}
const KeyStroke Enter{Qt::Key_Return, QStringLiteral("\r")};
const KeyStroke KeypadEnter{Qt::Key_Enter, QStringLiteral("\r"), Qt::KeypadModifier};
const KeyStroke Space{Qt::Key_Space, QStringLiteral(" ")};
const KeyStroke Delete{Qt::Key_Delete, QStringLiteral("\x7f")};
const KeyStroke Backspace{Qt::Key_Backspace, QStringLiteral("\b")};
const KeyStroke Left{Qt::Key_Left, {}};
const KeyStroke Home{Qt::Key_Home, {}};
const KeyStroke End{Qt::Key_End, {}};
const KeyStroke ShiftHome{Qt::Key_Home, {}, Qt::ShiftModifier};
KeyStroke control(char letter)
{
    return {Qt::Key(Qt::Key_A + (letter - 'a')), QString(QChar(letter - 'a' + 1)), Qt::ControlModifier};
}

// The clock's state and the number of results, as the operator sees them.
QString raceState(MainWindow &window)
{
    const RaceClock &clock = window.clock();
    const char *state = clock.running() ? "Running" : clock.enabled(RaceCommand::Start) ? "Ready" : "Stopped";
    return QStringLiteral("%1/%2").arg(QLatin1String(state)).arg(window.protocol().lastResultRow());
}

// "1,2|3": the text with the caret at the bar.
QString textWithCaret(const QLineEdit &edit)
{
    QString text = edit.text();
    return text.insert(edit.cursorPosition(), QLatin1Char('|'));
}

void bringTo(MainWindow &window, const QString &state)
{
    if (state != QLatin1String("Ready"))
        QTest::keyClick(&window, Qt::Key_F5);
    if (state == QLatin1String("Stopped"))
        QTest::keyClick(&window, Qt::Key_F9);
}

// Pixel (0, 20) of a command button: the outer edge when raised, the shadow frame when pressed.
bool looksPressed(CommandButton *button)
{
    return button->grab().toImage().pixelColor(0, 20).rgb() == toQColor(Colors::clBtnShadow).rgb();
}

// Records the yes/no question that is open now: the focused button's caption and
// whether that button, and only that one, is the one Enter presses; then presses Enter.
struct QuestionSeen
{
    QString question;
    QString focused;
    bool defaultIsFocused = false;
};

void answerNextWithEnter(QObject *context, QuestionSeen &seen)
{
    answerNextModal<ConfirmDialog>(
        context,
        [&seen](ConfirmDialog &dialog) {
            auto *focused = qobject_cast<QPushButton *>(QApplication::focusWidget());
            seen.question = dialog.questionLabel->text();
            seen.focused = focused ? focused->text() : QString();
            seen.defaultIsFocused = focused && focused->isDefault()
                && dialog.yesButton->isDefault() != dialog.noButton->isDefault();
            QTest::keyClick(focused, Qt::Key_Return);
        },
        [](ConfirmDialog &dialog) { return dialog.isAncestorOf(QApplication::focusWidget()); });
}

} // namespace

Q_DECLARE_METATYPE(KeyStrokes)

class TestOperatorControls : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setApplicationName(QStringLiteral("Tivano"));
        QCOMPARE(QGuiApplication::screens().size(), 2);
    }

    void keepOnScreen_data()
    {
        QTest::addColumn<QPoint>("position");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("expected");
        // Two screens side by side, the second one shorter.
        QTest::newRow("on the second screen, kept")
            << QPoint(1500, 300) << QSize(822, 434) << QRect(1500, 300, 822, 434);
        QTest::newRow("a sliver on the screen")
            << QPoint(-800, 100) << QSize(822, 434) << QRect(-722, 100, 822, 434);
        QTest::newRow("title bar just above")
            << QPoint(200, -1) << QSize(822, 434) << QRect(200, 0, 822, 434);
        QTest::newRow("bottom edge") << QPoint(300, 1000) << QSize(822, 434) << QRect(300, 924, 822, 434);
        QTest::newRow("far right") << QPoint(90000, 100) << QSize(822, 434) << QRect(1482, 100, 822, 434);
        QTest::newRow("below the shorter screen")
            << QPoint(1500, 900) << QSize(822, 434) << QRect(1482, 334, 822, 434);
        QTest::newRow("largest numbers")
            << QPoint(INT_MAX, INT_MAX) << QSize(INT_MAX, INT_MAX) << QRect(1280, 0, 1024, 768);
        QTest::newRow("smallest numbers")
            << QPoint(INT_MIN, INT_MIN) << QSize(822, 434) << QRect(0, 0, 822, 434);
    }

    void keepOnScreen()
    {
        QFETCH(QPoint, position);
        QFETCH(QSize, size);
        QTEST(::keepOnScreen(position, size, {QRect(0, 0, 1280, 1024), QRect(1280, 0, 1024, 768)}),
              "expected");
    }

    void storedPositionOffEveryScreen_data()
    {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("far right and below") << 90000 << 90000 << 822 << 434;
        QTest::newRow("far left and above") << -90000 << -90000 << 822 << 434;
        QTest::newRow("a monitor that is gone") << 5000 << 200 << 900 << 500;
        QTest::newRow("larger than any screen") << 10 << 10 << 3000 << 3000;
    }

    // A stored window position off every screen: the window opens on a screen,
    // title bar and at least 100 x 100 pixels of it visible, no larger than the screen.
    void storedPositionOffEveryScreen()
    {
        QFETCH(int, left);
        QFETCH(int, top);
        QFETCH(int, width);
        QFETCH(int, height);
        Fixture fixture;
        // The store reads its values in order up to the first missing one.
        fixture.writeSettings({{QStringLiteral("Port"), 0},
                               {QStringLiteral("Alg"), 0},
                               {QStringLiteral("Left"), left},
                               {QStringLiteral("Top"), top},
                               {QStringLiteral("Width"), width},
                               {QStringLiteral("Height"), height}});
        QVERIFY(fixture.showProgram());
        MainWindow &window = fixture.window();
        const QRect frame = window.frameGeometry();
        const QScreen *screen = QGuiApplication::screenAt(frame.topLeft() + QPoint(50, 0));
        QVERIFY2(screen, qPrintable(QStringLiteral("%1,%2").arg(frame.left()).arg(frame.top())));
        const QRect area = screen->availableGeometry();
        QVERIFY(frame.top() >= area.top());
        const QRect visible = frame.intersected(area);
        QVERIFY(visible.width() >= 100 && visible.height() >= 100);
        QVERIFY(window.width() <= area.width() && window.height() <= area.height());
        QCOMPARE(window.size(), QSize(width, height).boundedTo(area.size()));
    }

    void keys_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<KeyStrokes>("keys");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("questions");

        // Command buttons: the clock's state before and after, and the reset questions asked.
        QTest::newRow("Enter on START") << "startButton"
                                        << "Ready"
                                        << "" << KeyStrokes{Enter} << "Running/0" << 0;
        QTest::newRow("keypad Enter on START") << "startButton"
                                               << "Ready"
                                               << "" << KeyStrokes{KeypadEnter} << "Running/0" << 0;
        QTest::newRow("Space on START") << "startButton"
                                        << "Ready"
                                        << "" << KeyStrokes{Space} << "Running/0" << 0;
        QTest::newRow("Enter on STOPP") << "stopButton"
                                        << "Running"
                                        << "" << KeyStrokes{Enter} << "Stopped/0" << 0;
        QTest::newRow("keypad Enter on STOPP") << "stopButton"
                                               << "Running"
                                               << "" << KeyStrokes{KeypadEnter} << "Stopped/0" << 0;
        QTest::newRow("Space on STOPP") << "stopButton"
                                        << "Running"
                                        << "" << KeyStrokes{Space} << "Stopped/0" << 0;
        QTest::newRow("Enter on reset") << "resetButton"
                                        << "Stopped"
                                        << "" << KeyStrokes{Enter} << "Ready/0" << 1;
        QTest::newRow("keypad Enter on reset") << "resetButton"
                                               << "Stopped"
                                               << "" << KeyStrokes{KeypadEnter} << "Ready/0" << 1;
        QTest::newRow("Space on reset") << "resetButton"
                                        << "Stopped"
                                        << "" << KeyStrokes{Space} << "Ready/0" << 1;
        QTest::newRow("Enter on ZIEL records nothing") << "finishButton"
                                                       << "Running"
                                                       << "" << KeyStrokes{Enter} << "Running/0" << 0;
        KeyStroke held = Enter;
        held.autoRepeat = true;
        QTest::newRow("Enter held on STOPP does not reach reset")
            << "stopButton"
            << "Running"
            << "" << KeyStrokes{Enter, held, held} << "Stopped/0" << 0;

        // "Startnummer:": the text with the caret before and after.
        QTest::newRow("Delete") << "startNumberEdit"
                                << "1,2|3"
                                << "" << KeyStrokes{Delete} << "1,2|" << 0;
        QTest::newRow("Backspace") << "startNumberEdit"
                                   << "12|3"
                                   << "" << KeyStrokes{Backspace} << "1|3" << 0;
        QTest::newRow("Left, then a digit") << "startNumberEdit"
                                            << "12|"
                                            << "" << KeyStrokes{Left, typed('5')} << "15|2" << 0;
        QTest::newRow("Home, then a digit") << "startNumberEdit"
                                            << "1,2|"
                                            << "" << KeyStrokes{Home, typed('7')} << "7|1,2" << 0;
        QTest::newRow("End, then a comma") << "startNumberEdit"
                                           << "|1,2"
                                           << "" << KeyStrokes{End, typed(',')} << "1,2,|" << 0;
        QTest::newRow("letter, blank and minus are not typed")
            << "startNumberEdit"
            << "1|"
            << "" << KeyStrokes{typed('a'), Space, typed('-'), typed('4')} << "14|" << 0;
        QTest::newRow("Shift+Home selects, a digit replaces")
            << "startNumberEdit"
            << "1,2|"
            << "" << KeyStrokes{ShiftHome, typed('9')} << "9|" << 0;
        QTest::newRow("Ctrl+A selects all") << "startNumberEdit"
                                            << "1,2|"
                                            << "" << KeyStrokes{control('a'), typed('5')} << "5|" << 0;
        KeyStroke printableSelectAll = control('a');
        printableSelectAll.text = QStringLiteral("a");
        QTest::newRow("Ctrl+A with a printable text")
            << "startNumberEdit"
            << "1,2|"
            << "" << KeyStrokes{printableSelectAll, typed('5')} << "5|" << 0;
        QTest::newRow("Ctrl+X, Ctrl+V twice")
            << "startNumberEdit"
            << "1,2|"
            << "" << KeyStrokes{ShiftHome, control('x'), control('v'), control('v')} << "1,21,2|" << 0;
        QTest::newRow("Ctrl+C, End, Ctrl+V")
            << "startNumberEdit"
            << "1,2|"
            << "" << KeyStrokes{ShiftHome, control('c'), End, typed(','), control('v')} << "1,2,1,2|" << 0;
        QTest::newRow("Ctrl+Z") << "startNumberEdit"
                                << "1,2|"
                                << "" << KeyStrokes{typed('3'), control('z')} << "1,2|" << 0;
        QTest::newRow("paste keeps digits and commas")
            << "startNumberEdit"
            << "|"
            << "18, 345;2" << KeyStrokes{control('v')} << "18,345,2|" << 0;
        QTest::newRow("pasted separator between two numbers")
            << "startNumberEdit"
            << "5|"
            << " 7" << KeyStrokes{control('v')} << "5,7|" << 0;
        QTest::newRow("pasted separator inside a number") << "startNumberEdit"
                                                          << "1|2"
                                                          << ";" << KeyStrokes{control('v')} << "1,|2" << 0;
        QTest::newRow("pasted text without digits") << "startNumberEdit"
                                                    << "5|"
                                                    << "x; " << KeyStrokes{control('v')} << "5|" << 0;
    }

    void keys()
    {
        QFETCH(QString, target);
        QFETCH(QString, before);
        QFETCH(QString, clipboard);
        QFETCH(KeyStrokes, keys);
        QFETCH(QString, after);
        QFETCH(int, questions);
        Fixture fixture;
        QVERIFY(fixture.showProgram());
        MainWindow &window = fixture.window();
        auto *widget = window.findChild<QWidget *>(target);
        QVERIFY(widget);
        StartNumberEdit *edit = window.startNumberEdit();
        if (widget == edit) {
            edit->setText(QString(before).remove(QLatin1Char('|')));
            edit->setCursorPosition(int(before.indexOf(QLatin1Char('|'))));
        } else {
            bringTo(window, before);
        }
        if (!clipboard.isEmpty())
            QGuiApplication::clipboard()->setText(clipboard);
        widget->setFocus();
        QTRY_VERIFY(widget->hasFocus());

        QuestionAnswerer answerer;
        answerer.answerNext(questions > 0);
        for (const KeyStroke &stroke : keys) {
            QTRY_VERIFY(QApplication::focusWidget());
            QWidget *focused = QApplication::focusWidget();
            QTest::simulateEvent(focused, true, stroke.key, stroke.modifiers, stroke.text, stroke.autoRepeat);
            QTest::simulateEvent(focused, false, stroke.key, stroke.modifiers, stroke.text,
                                 stroke.autoRepeat);
        }
        QCOMPARE(widget == edit ? textWithCaret(*edit) : raceState(window), after);
        QCOMPARE(answerer.questions.size(), questions);
    }

    // Pasting through the field's context menu keeps what typing could enter.
    void contextMenuPaste()
    {
        StartNumberEdit edit;
        edit.clear();
        QGuiApplication::clipboard()->setText(QStringLiteral("18, 345;2"));
        edit.paste();
        QCOMPARE(edit.text(), QStringLiteral("18,345,2"));
        QCOMPARE(edit.takeNextStartNumber(), QStringLiteral("18"));
    }

    // An exhausted list shows an empty field; the expected form is a tooltip.
    void emptyListLooksEmpty()
    {
        Fixture fixture;
        QVERIFY(fixture.showProgram());
        MainWindow &window = fixture.window();
        StartNumberEdit *edit = window.startNumberEdit();
        QTest::mouseDClick(edit, Qt::LeftButton);
        QCOMPARE(edit->text(), QString());
        window.commandButton(RaceCommand::Start)->setFocus();
        QTRY_VERIFY(!edit->hasFocus());
        QCOMPARE(edit->toolTip(), QStringLiteral("18,345,2,44"));

        const QImage image = edit->grab().toImage();
        const QColor base = edit->palette().color(QPalette::Base);
        int marked = 0;
        for (int y = 4; y < image.height() - 4; ++y)
            for (int x = 4; x < image.width() - 4; ++x)
                marked += image.pixelColor(x, y) != base;
        QCOMPARE(marked, 0);
    }

    // ZIEL records the finish on the press and looks pressed until the release,
    // although the finish moves the focus on to "Startnummer:".
    void pressedFaceWhileHeld()
    {
        Fixture fixture;
        QVERIFY(fixture.showProgram());
        MainWindow &window = fixture.window();
        QTest::keyClick(&window, Qt::Key_F5);
        CommandButton *lap = window.commandButton(RaceCommand::Lap);
        QVERIFY(!looksPressed(lap));

        QTest::mousePress(lap, Qt::LeftButton);
        QCOMPARE(window.protocol().lastResultRow(), 1);
        QCOMPARE(QApplication::focusWidget(), window.startNumberEdit());
        QVERIFY(looksPressed(lap));
        QTest::mouseRelease(lap, Qt::LeftButton);
        QVERIFY(!looksPressed(lap));
        QCOMPARE(window.protocol().lastResultRow(), 1);

        // A double click is two presses, two finishes.
        QTest::mouseClick(lap, Qt::LeftButton);
        QTest::mouseDClick(lap, Qt::LeftButton);
        QTest::mouseRelease(lap, Qt::LeftButton);
        QCOMPARE(window.protocol().lastResultRow(), 3);
        QVERIFY(!looksPressed(lap));

        // The press that stops the clock leaves STOPP disabled, not pressed.
        CommandButton *stop = window.commandButton(RaceCommand::Stop);
        QTest::mousePress(stop, Qt::LeftButton);
        QCOMPARE(raceState(window), QStringLiteral("Stopped/3"));
        QVERIFY(!stop->isDown());
        QTest::mouseRelease(stop, Qt::LeftButton);
    }

    // The reset question opens on the press; answered "Abbrechen", the release
    // that follows neither asks again nor leaves the button pressed.
    void resetReleaseAsksOnce()
    {
        Fixture fixture;
        QVERIFY(fixture.showProgram());
        MainWindow &window = fixture.window();
        bringTo(window, QStringLiteral("Stopped"));
        CommandButton *reset = window.commandButton(RaceCommand::Reset);
        QuestionAnswerer answerer;
        answerer.answerNext(false);
        QTest::mousePress(reset, Qt::LeftButton);
        QCOMPARE(answerer.questions, QStringList{QStringLiteral("Protokoll wird gelöscht!")});
        answerer.answerNext(false);
        QTest::mouseRelease(reset, Qt::LeftButton);
        QCOMPARE(answerer.questions.size(), 1);
        QVERIFY(!reset->isDown());
        QCOMPARE(raceState(window), QStringLiteral("Stopped/0"));
    }

    void countryListDropsDown_data()
    {
        QTest::addColumn<int>("windowTop");
        QTest::addColumn<int>("rowsShown");
        QTest::addColumn<bool>("below");
        QTest::newRow("room below") << 50 << 10 << true;
        QTest::newRow("screen ends within ten rows") << 1024 - 434 << 0 << true;
        QTest::newRow("no room below") << 1024 - 330 << 10 << false;
    }

    // The LKZ list drops down ten of the 205 codes below the box, the time display
    // in sight; fewer where the screen ends sooner.
    void countryListDropsDown()
    {
        QFETCH(int, windowTop);
        QFETCH(int, rowsShown);
        QFETCH(bool, below);
        Fixture fixture;
        QByteArray codes;
        for (int i = 0; i < 205; ++i)
            codes += QByteArray::number(100 + i) + "\r\n";
        fixture.writeCountryCodes(codes);
        Program program(fixture.environment());
        MainWindow &window = *program.window;
        window.move(40, windowTop);
        QVERIFY(program.show());
        QTest::keyClick(&window, Qt::Key_F5);

        CountryCodeBox *box = window.countryCodeBox();
        QTest::mouseClick(box, Qt::LeftButton);
        QAbstractItemView *view = box->view();
        QTRY_VERIFY(view->isVisible());
        const QRect list = view->window()->geometry();
        const QRect field(box->mapToGlobal(QPoint(0, 0)), box->size());
        const QRect display(window.display().mapToGlobal(QPoint(0, 0)), window.display().size());
        const int rows = view->indexAt(QPoint(1, view->viewport()->height() - 1)).row()
            - view->indexAt(QPoint(1, 1)).row() + 1;
        if (rowsShown > 0)
            QCOMPARE(rows, rowsShown);
        else
            QVERIFY2(rows >= 3 && rows < 10, qPrintable(QString::number(rows)));
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(list));
        if (below) {
            QVERIFY(list.top() >= field.bottom());
            QVERIFY(!list.intersects(display));
        } else {
            QVERIFY(list.bottom() <= field.top());
        }

        QTest::keyClick(view, Qt::Key_Escape);
        QTRY_VERIFY(!view->isVisible());
        QCOMPARE(box->currentText(), QStringLiteral("100"));
    }

    void questionFocus_data()
    {
        QTest::addColumn<bool>("resetFirst");
        QTest::addColumn<QString>("focused");
        QTest::addColumn<bool>("closes");
        QTest::newRow("close question focuses Ja") << false << "Ja" << true;
        QTest::newRow("after the reset question Nein keeps the focus") << true << "Nein" << false;
    }

    // Only the reset question focuses its "no" button; the focus stays for the next
    // question. Enter answers with the button that shows the focus.
    void questionFocus()
    {
        QFETCH(bool, resetFirst);
        QFETCH(QString, focused);
        QFETCH(bool, closes);
        Fixture fixture;
        QVERIFY(fixture.showProgram());
        MainWindow &window = fixture.window();
        if (resetFirst) {
            bringTo(window, QStringLiteral("Stopped"));
            QuestionSeen reset;
            answerNextWithEnter(&window, reset);
            QTest::mousePress(window.commandButton(RaceCommand::Reset), Qt::LeftButton);
            QCOMPARE(reset.question, QStringLiteral("Protokoll wird gelöscht!"));
            QCOMPARE(reset.focused, QStringLiteral("Abbrechen"));
            QVERIFY(reset.defaultIsFocused);
            QCOMPARE(raceState(window), QStringLiteral("Stopped/0"));
            window.protocol().grid()->setModified(true);
        } else {
            QTest::keyClick(&window, Qt::Key_F5);
        }
        QuestionSeen close;
        answerNextWithEnter(&window, close);
        QCOMPARE(window.close(), closes);
        QCOMPARE(close.question, QStringLiteral("Wollen Sie Tivano wirklich beenden? "));
        QCOMPARE(close.focused, focused);
        QVERIFY(close.defaultIsFocused);
    }
};

TIVANO_TEST_MAIN_TWO_SCREENS(TestOperatorControls)
#include "tst_operatorcontrols.moc"
