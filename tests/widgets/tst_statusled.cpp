#include "widgets/StatusLed.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

namespace {

// The LED's four images, a palette index per pixel, and their palettes.
const char *const Images[4][16] = {
    {".....222222.....", "...2233333322...", "..233333333331..", ".23333333333331.", ".23334443333331.",
     "2333443333333331", "2333433333333331", "2333433333333331", "2333333333333331", "2333333333333331",
     "2333333333333331", ".23333333333331.", ".23333333333331.", "..133333333331..", "...1133333311...",
     ".....111111....."},
    {".....222222.....", "...2234444422...", "..234455544441..", ".23455544444441.", ".24566644444441.",
     "2345664444444431", "2455644444444431", "2454444444444431", "2454444444444431", "2444444444444331",
     "2444444444444331", ".24444444444331.", ".24444444443331.", "..144444433331..", "...1133333311...",
     ".....111111....."},
    {"................", "................", "................", "2222222222222222", "2333333333333331",
     "2344443333333331", "2344333333333331", "2333333333333331", "2333333333333331", "2333333333333331",
     "2333333333333331", "2333333333333331", "2111111111111111", "................", "................",
     "................"},
    {"................", "................", "................", "2222222222222222", "2444444444444441",
     "2455555555555431", "2456554444444431", "2455544444444431", "2455444444444431", "2454444444444431",
     "2444444444444431", "2433333333333331", "2111111111111111", "................", "................",
     "................"},
};

// $00BBGGRR, indices 1..6.
const quint32 Palettes[7][6] = {
    {0xFFFFFF, 0x808080, 0x000000, 0x0000FF, 0xFF00FF, 0xFFFFFF},
    {0xFFFFFF, 0x808080, 0x000000, 0x00FF00, 0x00FFFF, 0xFFFFFF},
    {0xFFFFFF, 0x808080, 0x000000, 0x00FFFF, 0xFFFFFF, 0xFFFFFF},
    {0xFFFFFF, 0x808080, 0x000000, 0x808000, 0xFFFF00, 0xFFFFFF},
    {0xFFFFFF, 0x808080, 0x000000, 0xFF00FF, 0xFFFFFF, 0xFFFFFF},
    {0xFFFFFF, 0x808080, 0x000000, 0xFF0000, 0xFFFF00, 0xFFFFFF},
    {0xFFFFFF, 0x808080, 0x000000, 0x808080, 0xC0C0C0, 0xFFFFFF},
};

const QColor Background(0x12, 0x34, 0x56);

QColor fromBgr(quint32 value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

QImage render(StatusLed &led)
{
    led.setAutoFillBackground(true);
    QPalette palette = led.palette();
    palette.setColor(QPalette::Window, Background);
    led.setPalette(palette);
    return led.grab().toImage();
}

} // namespace

class TestLed : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void construction()
    {
        StatusLed led;
        QCOMPARE(led.size(), QSize(16, 16));
        QCOMPARE(led.kind(), StatusLed::LedKind::Red);
        QCOMPARE(led.shape(), StatusLed::LedShape::Circle);
        QVERIFY(!led.value());
        QVERIFY(!led.labelLinked());
        QVERIFY(led.labelOnText().isEmpty());
        QVERIFY(led.labelOffText().isEmpty());
    }

    void paintedPixels_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("shape");
        QTest::addColumn<bool>("lit");
        const char *kinds[] = {"red", "green", "yellow", "cyan", "magenta", "blue", "white"};
        for (int kind = 0; kind < 7; ++kind) {
            for (int shape = 0; shape < 2; ++shape) {
                for (bool lit : {false, true}) {
                    QTest::addRow("%s %s %s", kinds[kind], shape ? "rectangle" : "circle",
                                  lit ? "lit" : "dark")
                        << kind << shape << lit;
                }
            }
        }
    }

    void paintedPixels()
    {
        QFETCH(int, kind);
        QFETCH(int, shape);
        QFETCH(bool, lit);
        StatusLed led;
        led.setKind(StatusLed::LedKind(kind));
        led.setShape(StatusLed::LedShape(shape));
        led.setValue(lit);
        const QImage image = render(led);
        QCOMPARE(image.size(), QSize(16, 16));
        const char *const *rows = Images[shape * 2 + (lit ? 1 : 0)];
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const char c = rows[y][x];
                const QColor expected = c == '.' ? Background : fromBgr(Palettes[kind][c - '1']);
                if (image.pixelColor(x, y) != expected) {
                    QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is %3, expected %4")
                                         .arg(x)
                                         .arg(y)
                                         .arg(image.pixelColor(x, y).name(), expected.name())));
                }
            }
        }
    }

    void imageStaysTopLeftOnLargerControl()
    {
        StatusLed led;
        led.resize(24, 20);
        led.setValue(true);
        const QImage image = render(led);
        QCOMPARE(image.pixelColor(8, 8), fromBgr(0x0000FF)); // body of the lit red circle
        for (int x = 16; x < 24; ++x)
            QCOMPARE(image.pixelColor(x, 8), Background);
        for (int y = 16; y < 20; ++y)
            QCOMPARE(image.pixelColor(8, y), Background);
    }

    void settersRepaintOnlyOnChange()
    {
        StatusLed led;
        led.show();
        QVERIFY(QTest::qWaitForWindowExposed(&led));
        PaintCounter counter;
        led.installEventFilter(&counter);
        QSignalSpy changes(&led, &StatusLed::valueChanged);

        led.setValue(false);
        led.setKind(StatusLed::LedKind::Red);
        led.setShape(StatusLed::LedShape::Circle);
        QCOMPARE(counter.count, 0);
        // The new state is painted at once, not later.
        led.setValue(true);
        QCOMPARE(counter.count, 1);
        led.setKind(StatusLed::LedKind::Green);
        QCOMPARE(counter.count, 2);
        led.setShape(StatusLed::LedShape::Rectangle);
        QCOMPARE(counter.count, 3);
        QCOMPARE(changes.count(), 1); // only the value is announced
        QCOMPARE(changes.first().first().toBool(), true);
        led.setValue(true);
        QCOMPARE(counter.count, 3);
        QCOMPARE(changes.count(), 1);
        led.setValue(false);
        QCOMPARE(changes.count(), 2);
    }

    void linkedLabel()
    {
        StatusLed led;
        QLabel label(QStringLiteral("vorher"));
        led.setLabelOnText(QStringLiteral("&Auto"));
        led.setLabelOffText(QStringLiteral("&Hand"));
        QCOMPARE(label.text(), QStringLiteral("vorher"));
        // Linking to a dark LED sets the off text at once.
        led.setLabelLinked(&label);
        QCOMPARE(label.text(), QStringLiteral("&Hand"));
        led.setValue(true);
        QCOMPARE(label.text(), QStringLiteral("&Auto"));
        // An unchanged Value does not touch the label.
        label.setText(QStringLiteral("fremd"));
        led.setValue(true);
        QCOMPARE(label.text(), QStringLiteral("fremd"));
        // Changing the texts updates the linked label from the current Value.
        led.setLabelOnText(QStringLiteral("Ein"));
        QCOMPARE(label.text(), QStringLiteral("Ein"));
        led.setLabelOffText(QStringLiteral("Aus"));
        QCOMPARE(label.text(), QStringLiteral("Ein"));
        led.setValue(false);
        QCOMPARE(label.text(), QStringLiteral("Aus"));
        // Unlinked, the label keeps its caption.
        led.setLabelLinked(nullptr);
        led.setValue(true);
        QCOMPARE(label.text(), QStringLiteral("Aus"));
    }

    void labelDestroyedWhileLinked()
    {
        StatusLed led;
        auto *label = new QLabel;
        led.setLabelLinked(label);
        delete label;
        QVERIFY(!led.labelLinked());
        led.setValue(true);
        QVERIFY(led.value());
    }

    void clickIsAPressAndReleaseInside()
    {
        StatusLed led;
        led.show();
        QVERIFY(QTest::qWaitForWindowExposed(&led));
        QSignalSpy clicks(&led, &StatusLed::clicked);
        QTest::mouseClick(&led, Qt::LeftButton, {}, QPoint(8, 8));
        QCOMPARE(clicks.count(), 1);
        // A release outside the control is no click.
        QTest::mousePress(&led, Qt::LeftButton, {}, QPoint(8, 8));
        QTest::mouseRelease(&led, Qt::LeftButton, {}, QPoint(40, 40));
        QCOMPARE(clicks.count(), 1);
    }
};

QTEST_MAIN(TestLed)
#include "tst_statusled.moc"
