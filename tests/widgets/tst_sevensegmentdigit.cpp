#include "widgets/SevenSegmentDigit.h"

#include <QImage>
#include <QSignalSpy>
#include <QTest>

namespace {

QImage render(SevenSegmentDigit &digit)
{
    QImage image(digit.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    digit.render(&image);
    return image;
}

// A point well inside a segment polygon: the centroid of its corners.
QPoint inside(const QPolygon &polygon)
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
        SevenSegmentDigit digit;
        QCOMPARE(digit.size(), QSize(16, 32));
        QCOMPARE(digit.value(), 0);
        QCOMPARE(digit.valueBinary(), quint8(0x7D));
        QCOMPARE(digit.color(), Colors::clBlack);
        QCOMPARE(digit.colorOn(), Colors::clYellow);
        QCOMPARE(digit.thickness(), 2);
        QCOMPARE(digit.separation(), 1);
        // A fresh digit shows a zero in yellow on black.
        const QImage image = render(digit);
        const QPoint top
            = inside(SevenSegmentDigit::segmentPolygon(SevenSegmentDigit::SegTop, digit.size(), 2, 1));
        const QPoint middle
            = inside(SevenSegmentDigit::segmentPolygon(SevenSegmentDigit::SegMiddle, digit.size(), 2, 1));
        QCOMPARE(image.pixelColor(top), QColor(255, 255, 0));
        QCOMPARE(image.pixelColor(middle), QColor(0, 0, 0));
    }

    void segmentGeometryOfA45By89Digit_data()
    {
        QTest::addColumn<int>("segment");
        QTest::addColumn<QPolygon>("expected");
        auto poly = [](std::initializer_list<QPoint> points) { return QPolygon(points); };
        QTest::newRow("top") << int(SevenSegmentDigit::SegTop)
                             << poly({{6, 5}, {11, 0}, {33, 0}, {38, 5}, {33, 10}, {11, 10}});
        QTest::newRow("middle") << int(SevenSegmentDigit::SegMiddle)
                                << poly({{6, 44}, {11, 39}, {33, 39}, {38, 44}, {33, 49}, {11, 49}});
        QTest::newRow("bottom") << int(SevenSegmentDigit::SegBottom)
                                << poly({{6, 83}, {11, 78}, {33, 78}, {38, 83}, {33, 88}, {11, 88}});
        QTest::newRow("upper left") << int(SevenSegmentDigit::SegUpperLeft)
                                    << poly({{0, 11}, {5, 6}, {10, 11}, {10, 38}, {5, 43}, {0, 38}});
        QTest::newRow("upper right") << int(SevenSegmentDigit::SegUpperRight)
                                     << poly({{34, 11}, {39, 6}, {44, 11}, {44, 38}, {39, 43}, {34, 38}});
        QTest::newRow("lower left") << int(SevenSegmentDigit::SegLowerLeft)
                                    << poly({{0, 50}, {5, 45}, {10, 50}, {10, 77}, {5, 82}, {0, 77}});
        QTest::newRow("lower right") << int(SevenSegmentDigit::SegLowerRight)
                                     << poly({{34, 50}, {39, 45}, {44, 50}, {44, 77}, {39, 82}, {34, 77}});
        QTest::newRow("point") << int(SevenSegmentDigit::SegPoint) << poly({{44, 88}, {35, 88}, {44, 79}});
    }

    void segmentGeometryOfA45By89Digit()
    {
        QFETCH(int, segment);
        QFETCH(QPolygon, expected);
        QCOMPARE(SevenSegmentDigit::segmentPolygon(SevenSegmentDigit::Segment(segment), QSize(45, 89), 5, 1),
                 expected);
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
        SevenSegmentDigit digit;
        digit.resize(45, 89);
        digit.setThickness(5);
        digit.setColor(0x102030);
        digit.setColorOn(Colors::clLime);
        digit.setColorOff(Colors::clDkGray);
        digit.setValue(value);
        const QImage image = render(digit);

        const quint8 code = SevenSegmentDigit::SegmentCodes[size_t(value)];
        for (int bit = 0; bit < 8; ++bit) {
            const auto segment = SevenSegmentDigit::Segment(1 << bit);
            const QPolygon polygon = SevenSegmentDigit::segmentPolygon(segment, digit.size(), 5, 1);
            const QColor expected = (code & segment) ? QColor(0, 255, 0) : QColor(64, 64, 64);
            QCOMPARE(image.pixelColor(inside(polygon)), expected);
        }
        // Outside every segment: the background colour, never the magenta underlay.
        QCOMPARE(image.pixelColor(22, 22), QColor(0x30, 0x20, 0x10));
        QCOMPARE(image.pixelColor(1, 1), QColor(0x30, 0x20, 0x10));
    }

    void valueBinaryDrawsOnlyItsSegments()
    {
        SevenSegmentDigit digit;
        digit.resize(45, 89);
        digit.setThickness(5);
        digit.setColorOff(Colors::clBlue);
        digit.setValueBinary(0x80);
        QCOMPARE(digit.value(), 0);
        const QImage image = render(digit);
        const QPoint point
            = inside(SevenSegmentDigit::segmentPolygon(SevenSegmentDigit::SegPoint, digit.size(), 5, 1));
        QCOMPARE(image.pixelColor(point), QColor(255, 255, 0));
        const QPoint top
            = inside(SevenSegmentDigit::segmentPolygon(SevenSegmentDigit::SegTop, digit.size(), 5, 1));
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
        SevenSegmentDigit digit;
        digit.setValue(start);
        QSignalSpy overflows(&digit, &SevenSegmentDigit::overflowed);
        digit.setValue(value);
        QCOMPARE(overflows.count(), 1);
        QCOMPARE(digit.value(), 0);
        QCOMPARE(digit.valueBinary(), quint8(0x7D));
    }

    void unchangedValueDoesNothing()
    {
        SevenSegmentDigit digit;
        digit.resize(45, 89);
        digit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&digit));
        digit.setValue(3);
        digit.setValueBinary(0x01);
        PaintCounter counter;
        digit.installEventFilter(&counter);
        digit.setValue(3);
        digit.setColorOn(digit.colorOn());
        digit.setColorOff(digit.colorOff());
        digit.setValueBinary(0x01);
        QCoreApplication::processEvents();
        QCOMPARE(counter.paints, 0);
        QCOMPARE(digit.valueBinary(), quint8(0x01)); // the pattern stays as set
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
        SevenSegmentDigit digit;
        digit.resize(45, 89);
        digit.setThickness(5);
        digit.setThickness(thickness);
        QCOMPARE(digit.thickness(), expected);
    }

    void colorOffEqualToBackgroundHidesUnlitSegments()
    {
        SevenSegmentDigit digit;
        digit.resize(45, 89);
        digit.setThickness(5);
        digit.setValue(1);
        const QImage image = render(digit);
        const QPoint top
            = inside(SevenSegmentDigit::segmentPolygon(SevenSegmentDigit::SegTop, digit.size(), 5, 1));
        QCOMPARE(image.pixelColor(top), QColor(0, 0, 0));
    }
};

QTEST_MAIN(TestDigit)
#include "tst_sevensegmentdigit.moc"
