// Where the main window opens: a stored position off every screen, a stored
// size beyond the screen. On a desktop of two screens.
#include "FormMainHarness.h"
#include "TwoScreenDesktop.h"
#include "WindowPlacement.h"

#include <QScreen>

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
        QTest::newRow("on the second screen, kept") << QPoint(1500, 300) << QSize(822, 434) << QRect(1500, 300, 822, 434);
        QTest::newRow("a sliver on the screen") << QPoint(-800, 100) << QSize(822, 434) << QRect(-722, 100, 822, 434);
        QTest::newRow("title bar just above") << QPoint(200, -1) << QSize(822, 434) << QRect(200, 0, 822, 434);
        QTest::newRow("bottom edge") << QPoint(300, 1000) << QSize(822, 434) << QRect(300, 924, 822, 434);
        QTest::newRow("far right") << QPoint(90000, 100) << QSize(822, 434) << QRect(1482, 100, 822, 434);
        QTest::newRow("below the shorter screen") << QPoint(1500, 900) << QSize(822, 434) << QRect(1482, 334, 822, 434);
        QTest::newRow("largest numbers") << QPoint(INT_MAX, INT_MAX) << QSize(INT_MAX, INT_MAX)
                                          << QRect(1280, 0, 1024, 768);
        QTest::newRow("smallest numbers") << QPoint(INT_MIN, INT_MIN) << QSize(822, 434) << QRect(0, 0, 822, 434);
    }

    void keepOnScreen()
    {
        QFETCH(QPoint, position);
        QFETCH(QSize, size);
        QTEST(KeepOnScreen(position, size, {QRect(0, 0, 1280, 1024), QRect(1280, 0, 1024, 768)}), "expected");
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
        fixture.WriteSettings({{QStringLiteral("Port"), 0}, {QStringLiteral("Alg"), 0},
                               {QStringLiteral("Left"), left}, {QStringLiteral("Top"), top},
                               {QStringLiteral("Width"), width}, {QStringLiteral("Height"), height}});
        Program program(fixture.Environment());
        TFormMain &window = *program.window;
        QVERIFY(program.Show());
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
};

TIVANO_TEST_MAIN_TWO_SCREENS(TestOperatorControls)
#include "tst_operatorcontrols.moc"
