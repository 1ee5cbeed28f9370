#include "app/TimeDisplay.h"
#include "widgets/SevenSegmentDigit.h"

#include <QTest>

namespace {

constexpr qint32 time(int h, int m, int s, int hundredths)
{
    return ((h * 3600 + m * 60 + s) * 1000) + hundredths * 10;
}

// One character per digit: 'L' lit, 'd' dim.
QString litPattern(const TimeDisplay &display, DisplayRow row)
{
    const auto &table = display.digitColourTable();
    const ColorValue lit = table[row == DisplayRow::Upper ? 1 : 3];
    QString pattern;
    for (int i = 0; i < DisplayDigitCount; ++i)
        pattern
            += display.digit(row, DisplayDigit(i))->colorOn() == lit ? QLatin1Char('L') : QLatin1Char('d');
    return pattern;
}

QString digitValues(const TimeDisplay &display, DisplayRow row)
{
    QString values;
    for (int i = 0; i < DisplayDigitCount; ++i)
        values += QString::number(display.digit(row, DisplayDigit(i))->value());
    return values;
}

ColorValue labelColour(const TimeDisplay &display, const char *name)
{
    return fromQColor(display.label(name)->palette().color(QPalette::WindowText));
}

TimeDisplay::Colours distinctColours()
{
    return {0x101010, 0x00FFFF, 0x404040, 0x00FF00};
}

} // namespace

class TestTimeDisplay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rows_data()
    {
        QTest::addColumn<bool>("upper");
        QTest::addColumn<qint32>("ms");
        QTest::addColumn<QString>("values");
        QTest::addColumn<QString>("lit");
        QTest::newRow("upper zero") << true << 0 << "00000000"
                                    << "dddddLLL";
        QTest::newRow("lower zero") << false << 0 << "00000000"
                                    << "dddddddd";
        QTest::newRow("upper 9:05.03,47") << true << time(9, 5, 3, 47) << "09050347"
                                          << "dLLLLLLL";
        QTest::newRow("upper 0:01.00,00") << true << time(0, 1, 0, 0) << "00010000"
                                          << "dddLLLLL";
        QTest::newRow("lower 0,07") << false << time(0, 0, 0, 7) << "00000007"
                                    << "dddddLLL";
        QTest::newRow("lower 12:34.56,78") << false << time(12, 34, 56, 78) << "12345678"
                                           << "LLLLLLLL";
        QTest::newRow("hours modulo 100") << true << time(123, 0, 0, 0) << "23000000"
                                          << "LLLLLLLL";
        QTest::newRow("milliseconds truncate") << false << 999 << "00000099"
                                               << "dddddLLL";
    }

    void rows()
    {
        QFETCH(bool, upper);
        QFETCH(qint32, ms);
        QFETCH(QString, values);
        QFETCH(QString, lit);
        TimeDisplay display;
        display.setDisplayColours(distinctColours());
        display.applyDisplayColours();
        const DisplayRow row = upper ? DisplayRow::Upper : DisplayRow::Lower;
        display.showTime(row, ms);
        QCOMPARE(digitValues(display, row), values);
        QCOMPARE(litPattern(display, row), lit);
    }

    void labelsFollowTheirDigits()
    {
        TimeDisplay display;
        display.setDisplayColours(distinctColours());
        display.applyDisplayColours();
        display.showTime(DisplayRow::Upper, 0);
        for (const char *dim :
             {"upperHourSeparator", "hourUnitLabel", "upperMinuteSeparator", "minuteUnitLabel"})
            QCOMPARE(labelColour(display, dim), ColorValue(0x404040));
        for (const char *lit : {"upperSecondSeparator", "secondUnitLabel", "fractionUnitLabel"})
            QCOMPARE(labelColour(display, lit), ColorValue(0x00FFFF));

        display.showTime(DisplayRow::Lower, 0);
        for (const char *dim : {"lowerHourSeparator", "lowerMinuteSeparator", "lowerSecondSeparator"})
            QCOMPARE(labelColour(display, dim), ColorValue(0x404040));
        display.showTime(DisplayRow::Lower, time(0, 2, 0, 0));
        QCOMPARE(labelColour(display, "lowerHourSeparator"), ColorValue(0x404040));
        QCOMPARE(labelColour(display, "lowerMinuteSeparator"), ColorValue(0x00FF00));
        QCOMPARE(labelColour(display, "lowerSecondSeparator"), ColorValue(0x00FF00));
    }

    void precision_data()
    {
        QTest::addColumn<int>("precision");
        QTest::addColumn<int>("panelWidth");
        QTest::addColumn<bool>("tenths");
        QTest::addColumn<bool>("hundredths");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("captionLeft");
        QTest::newRow("0") << 0 << 373 << false << false << "1/-80" << 326;
        QTest::newRow("1") << 1 << 445 << true << false << "1/10" << 346;
        QTest::newRow("2") << 2 << 492 << true << true << "1/100" << 366;
    }

    void precision()
    {
        QFETCH(int, precision);
        QFETCH(int, panelWidth);
        QFETCH(bool, tenths);
        QFETCH(bool, hundredths);
        QFETCH(QString, caption);
        QFETCH(int, captionLeft);
        TimeDisplay display;
        display.show();
        QVERIFY(QTest::qWaitForWindowExposed(&display));
        display.applyDisplayPrecision(precision);
        QCOMPARE(display.timerPanel()->width(), panelWidth);
        QCOMPARE(display.timerPanel()->x(), (492 - panelWidth) / 2);
        for (DisplayRow row : {DisplayRow::Upper, DisplayRow::Lower}) {
            QCOMPARE(display.digit(row, Tenths)->isVisible(), tenths);
            QCOMPARE(display.digit(row, Hundredths)->isVisible(), hundredths);
        }
        for (const char *name : {"fractionUnitLabel", "upperSecondSeparator", "lowerSecondSeparator"})
            QCOMPARE(display.label(name)->isVisible(), precision > 0);
        QCOMPARE(display.label("fractionUnitLabel")->x(), captionLeft);
        if (precision > 0)
            QCOMPARE(display.label("fractionUnitLabel")->text(), caption);
    }

    // The background shows behind every digit, the tens of hours included.
    void backgroundColourBehindAllDigits()
    {
        TimeDisplay display;
        TimeDisplay::Colours colours = distinctColours();
        colours.background = 0x800000; // navy
        display.setDisplayColours(colours);
        display.applyDisplayColours();
        display.showTime(DisplayRow::Upper, 0);
        display.showTime(DisplayRow::Lower, 0);
        QImage image(display.size(), QImage::Format_RGB32);
        image.fill(Qt::magenta);
        display.render(&image);
        const QColor navy(0, 0, 0x80);
        for (DisplayRow row : {DisplayRow::Upper, DisplayRow::Lower}) {
            for (int i = 0; i < DisplayDigitCount; ++i) {
                const SevenSegmentDigit *digit = display.digit(row, DisplayDigit(i));
                // The centre of a digit lies between its segments.
                const QPoint centre = digit->geometry().center() + QPoint(0, 22);
                QCOMPARE(image.pixelColor(display.timerPanel()->mapTo(&display, centre)), navy);
            }
        }
    }
};

QTEST_MAIN(TestTimeDisplay)
#include "tst_timedisplay.moc"
