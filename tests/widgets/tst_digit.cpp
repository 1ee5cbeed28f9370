#include "Udigit.h"

#include <QImage>
#include <QSignalSpy>
#include <QTest>

namespace {

QImage Render(TDigit &digit)
{
    QImage image(digit.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    digit.render(&image);
    return image;
}

// A point well inside a segment polygon: the centroid of its corners.
QPoint Inside(const QPolygon &polygon)
{
    QPoint sum;
    for (const QPoint &p : polygon)
        sum += p;
    return sum / int(polygon.size());
}

class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

class TestDigit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void constructedState()
    {
        TDigit digit;
        QCOMPARE(digit.size(), QSize(16, 32));
        QCOMPARE(digit.Value(), 0);
        QCOMPARE(digit.ValueBinary(), quint8(0x7D));
        QCOMPARE(digit.Color(), Colors::clBlack);
        QCOMPARE(digit.ColorOn(), Colors::clYellow);
        QCOMPARE(digit.Thickness(), 2);
        QCOMPARE(digit.Separation(), 1);
        // A fresh digit shows a zero in yellow on black.
        const QImage image = Render(digit);
        const QPoint top = Inside(TDigit::SegmentPolygon(TDigit::SegTop, digit.size(), 2, 1));
        const QPoint middle = Inside(TDigit::SegmentPolygon(TDigit::SegMiddle, digit.size(), 2, 1));
        QCOMPARE(image.pixelColor(top), QColor(255, 255, 0));
        QCOMPARE(image.pixelColor(middle), QColor(0, 0, 0));
    }

    void workedExampleGeometry_data()
    {
        QTest::addColumn<int>("segment");
        QTest::addColumn<QPolygon>("expected");
        auto poly = [](std::initializer_list<QPoint> points) { return QPolygon(points); };
        QTest::newRow("top") << int(TDigit::SegTop)
                             << poly({{6, 5}, {11, 0}, {33, 0}, {38, 5}, {33, 10}, {11, 10}});
        QTest::newRow("middle") << int(TDigit::SegMiddle)
                                << poly({{6, 44}, {11, 39}, {33, 39}, {38, 44}, {33, 49}, {11, 49}});
        QTest::newRow("bottom") << int(TDigit::SegBottom)
                                << poly({{6, 83}, {11, 78}, {33, 78}, {38, 83}, {33, 88}, {11, 88}});
        QTest::newRow("upper left") << int(TDigit::SegUpperLeft)
                                    << poly({{0, 11}, {5, 6}, {10, 11}, {10, 38}, {5, 43}, {0, 38}});
        QTest::newRow("upper right") << int(TDigit::SegUpperRight)
                                     << poly({{34, 11}, {39, 6}, {44, 11}, {44, 38}, {39, 43}, {34, 38}});
        QTest::newRow("lower left") << int(TDigit::SegLowerLeft)
                                    << poly({{0, 50}, {5, 45}, {10, 50}, {10, 77}, {5, 82}, {0, 77}});
        QTest::newRow("lower right") << int(TDigit::SegLowerRight)
                                     << poly({{34, 50}, {39, 45}, {44, 50}, {44, 77}, {39, 82}, {34, 77}});
        QTest::newRow("point") << int(TDigit::SegPoint) << poly({{44, 88}, {35, 88}, {44, 79}});
    }

    void workedExampleGeometry()
    {
        QFETCH(int, segment);
        QFETCH(QPolygon, expected);
        QCOMPARE(TDigit::SegmentPolygon(TDigit::Segment(segment), QSize(45, 89), 5, 1), expected);
    }

    // Every digit value lights exactly the segments of its code, in the colours set.
    void paintedSegments_data()
    {
        QTest::addColumn<int>("value");
        for (int v = 0; v <= 9; ++v)
            QTest::addRow("%d", v) << v;
    }

    void paintedSegments()
    {
        QFETCH(int, value);
        TDigit digit;
        digit.resize(45, 89);
        digit.setThickness(5);
        digit.setColor(0x102030);
        digit.setColorOn(Colors::clLime);
        digit.setColorOff(Colors::clDkGray);
        digit.setValue(value);
        const QImage image = Render(digit);

        const quint8 code = TDigit::SegmentCodes[size_t(value)];
        for (int bit = 0; bit < 8; ++bit) {
            const auto segment = TDigit::Segment(1 << bit);
            const QPolygon polygon = TDigit::SegmentPolygon(segment, digit.size(), 5, 1);
            const QColor expected = (code & segment) ? QColor(0, 255, 0) : QColor(64, 64, 64);
            QCOMPARE(image.pixelColor(Inside(polygon)), expected);
        }
        // Outside every segment: the background colour, never the magenta underlay.
        QCOMPARE(image.pixelColor(22, 22), QColor(0x30, 0x20, 0x10));
        QCOMPARE(image.pixelColor(1, 1), QColor(0x30, 0x20, 0x10));
    }

    void valueBinaryDrawsOnlyItsSegments()
    {
        TDigit digit;
        digit.resize(45, 89);
        digit.setThickness(5);
        digit.setColorOff(Colors::clBlue);
        digit.setValueBinary(0x80);
        QCOMPARE(digit.Value(), 0);
        const QImage image = Render(digit);
        const QPoint point = Inside(TDigit::SegmentPolygon(TDigit::SegPoint, digit.size(), 5, 1));
        QCOMPARE(image.pixelColor(point), QColor(255, 255, 0));
        const QPoint top = Inside(TDigit::SegmentPolygon(TDigit::SegTop, digit.size(), 5, 1));
        QCOMPARE(image.pixelColor(top), QColor(0, 0, 255));
    }

    void overflow_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("value");
        QTest::newRow("10 from 5") << 5 << 10;
        QTest::newRow("-1 from 5") << 5 << -1;
        QTest::newRow("10 from 0 still fires") << 0 << 10;
    }

    void overflow()
    {
        QFETCH(int, start);
        QFETCH(int, value);
        TDigit digit;
        digit.setValue(start);
        int overflows = 0;
        digit.OnOverflow = [&](TDigit *sender) {
            QCOMPARE(sender, &digit);
            ++overflows;
        };
        digit.setValue(value);
        QCOMPARE(overflows, 1);
        QCOMPARE(digit.Value(), 0);
        QCOMPARE(digit.ValueBinary(), quint8(0x7D));
    }

    void unchangedValueDoesNothing()
    {
        TDigit digit;
        digit.resize(45, 89);
        digit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&digit));
        digit.setValue(3);
        digit.setValueBinary(0x01);
        PaintCounter counter;
        digit.installEventFilter(&counter);
        digit.setValue(3);
        digit.setColorOn(digit.ColorOn());
        digit.setColorOff(digit.ColorOff());
        digit.setValueBinary(0x01);
        QCoreApplication::processEvents();
        QCOMPARE(counter.paints, 0);
        QCOMPARE(digit.ValueBinary(), quint8(0x01)); // the pattern stays as set
        digit.setValue(4);
        QCOMPARE(counter.paints, 1); // a change repaints at once
    }

    void thicknessAcceptance_data()
    {
        QTest::addColumn<int>("thickness");
        QTest::addColumn<int>("expected");
        QTest::newRow("23 ignored") << 23 << 5;
        QTest::newRow("22 accepted") << 22 << 22;
        QTest::newRow("0 accepted") << 0 << 0;
    }

    void thicknessAcceptance()
    {
        QFETCH(int, thickness);
        QFETCH(int, expected);
        TDigit digit;
        digit.resize(45, 89);
        digit.setThickness(5);
        digit.setThickness(thickness);
        QCOMPARE(digit.Thickness(), expected);
    }

    void colorOffEqualToBackgroundHidesUnlitSegments()
    {
        TDigit digit;
        digit.resize(45, 89);
        digit.setThickness(5);
        digit.setValue(1);
        const QImage image = Render(digit);
        const QPoint top = Inside(TDigit::SegmentPolygon(TDigit::SegTop, digit.size(), 5, 1));
        QCOMPARE(image.pixelColor(top), QColor(0, 0, 0));
    }
};

QTEST_MAIN(TestDigit)
#include "tst_digit.moc"
