#include "TimeDisplay.h"
#include "Udigit.h"

#include <QTest>

namespace {

constexpr qint32 Time(int h, int m, int s, int hundredths)
{
    return ((h * 3600 + m * 60 + s) * 1000) + hundredths * 10;
}

// One character per digit: 'L' lit, 'd' dim.
QString LitPattern(const TTimeDisplay &display, DisplayRow row)
{
    const auto &table = display.DigitColourTable();
    const TColor lit = table[row == DisplayRow::Upper ? 1 : 3];
    QString pattern;
    for (int i = 0; i < DisplayDigitCount; ++i)
        pattern += display.Digit(row, DisplayDigit(i))->ColorOn() == lit ? QLatin1Char('L')
                                                                          : QLatin1Char('d');
    return pattern;
}

QString Values(const TTimeDisplay &display, DisplayRow row)
{
    QString values;
    for (int i = 0; i < DisplayDigitCount; ++i)
        values += QString::number(display.Digit(row, DisplayDigit(i))->Value());
    return values;
}

TColor LabelColour(const TTimeDisplay &display, const char *name)
{
    return FromQColor(display.Label(name)->palette().color(QPalette::WindowText));
}

TTimeDisplay::Colours DistinctColours()
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
        QTest::newRow("upper zero") << true << 0 << "00000000" << "dddddLLL";
        QTest::newRow("lower zero") << false << 0 << "00000000" << "dddddddd";
        QTest::newRow("upper 9:05.03,47") << true << Time(9, 5, 3, 47) << "09050347" << "dLLLLLLL";
        QTest::newRow("upper 0:01.00,00") << true << Time(0, 1, 0, 0) << "00010000" << "dddLLLLL";
        QTest::newRow("lower 0,07") << false << Time(0, 0, 0, 7) << "00000007" << "dddddLLL";
        QTest::newRow("lower 12:34.56,78") << false << Time(12, 34, 56, 78) << "12345678" << "LLLLLLLL";
        QTest::newRow("hours modulo 100") << true << Time(123, 0, 0, 0) << "23000000" << "LLLLLLLL";
        QTest::newRow("milliseconds truncate") << false << 999 << "00000099" << "dddddLLL";
    }

    void rows()
    {
        QFETCH(bool, upper);
        QFETCH(qint32, ms);
        QFETCH(QString, values);
        QFETCH(QString, lit);
        TTimeDisplay display;
        display.setDisplayColours(DistinctColours());
        display.ApplyDisplayColours();
        const DisplayRow row = upper ? DisplayRow::Upper : DisplayRow::Lower;
        display.ShowTime(row, ms);
        QCOMPARE(Values(display, row), values);
        QCOMPARE(LitPattern(display, row), lit);
    }

    void labelsFollowTheirDigits()
    {
        TTimeDisplay display;
        display.setDisplayColours(DistinctColours());
        display.ApplyDisplayColours();
        display.ShowTime(DisplayRow::Upper, 0);
        for (const char *dim : {"LabHour", "Lab_Hour", "LabMin", "Lab_Min"})
            QCOMPARE(LabelColour(display, dim), TColor(0x404040));
        for (const char *lit : {"LabSec", "Lab_sek", "Lab_100"})
            QCOMPARE(LabelColour(display, lit), TColor(0x00FFFF));

        display.ShowTime(DisplayRow::Lower, 0);
        for (const char *dim : {"LabHour2", "LabMin2", "LabSec2"})
            QCOMPARE(LabelColour(display, dim), TColor(0x404040));
        display.ShowTime(DisplayRow::Lower, Time(0, 2, 0, 0));
        QCOMPARE(LabelColour(display, "LabHour2"), TColor(0x404040));
        QCOMPARE(LabelColour(display, "LabMin2"), TColor(0x00FF00));
        QCOMPARE(LabelColour(display, "LabSec2"), TColor(0x00FF00));
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
        TTimeDisplay display;
        display.show();
        QVERIFY(QTest::qWaitForWindowExposed(&display));
        display.ApplyDisplayPrecision(precision);
        QCOMPARE(display.PanelTimer()->width(), panelWidth);
        QCOMPARE(display.PanelTimer()->x(), (492 - panelWidth) / 2);
        for (DisplayRow row : {DisplayRow::Upper, DisplayRow::Lower}) {
            QCOMPARE(display.Digit(row, Tenths)->isVisible(), tenths);
            QCOMPARE(display.Digit(row, Hundredths)->isVisible(), hundredths);
        }
        for (const char *name : {"Lab_100", "LabSec", "LabSec2"})
            QCOMPARE(display.Label(name)->isVisible(), precision > 0);
        QCOMPARE(display.Label("Lab_100")->x(), captionLeft);
        if (precision > 0)
            QCOMPARE(display.Label("Lab_100")->text(), caption);
    }

    // The background shows behind every digit, the tens of hours included.
    void backgroundColourBehindAllDigits()
    {
        TTimeDisplay display;
        TTimeDisplay::Colours colours = DistinctColours();
        colours.background = 0x800000; // navy
        display.setDisplayColours(colours);
        display.ApplyDisplayColours();
        display.ShowTime(DisplayRow::Upper, 0);
        display.ShowTime(DisplayRow::Lower, 0);
        QImage image(display.size(), QImage::Format_RGB32);
        image.fill(Qt::magenta);
        display.render(&image);
        const QColor navy(0, 0, 0x80);
        for (DisplayRow row : {DisplayRow::Upper, DisplayRow::Lower}) {
            for (int i = 0; i < DisplayDigitCount; ++i) {
                const TDigit *digit = display.Digit(row, DisplayDigit(i));
                // The centre of a digit lies between its segments.
                const QPoint centre = digit->geometry().center() + QPoint(0, 22);
                QCOMPARE(image.pixelColor(display.PanelTimer()->mapTo(&display, centre)), navy);
            }
        }
    }
};

QTEST_MAIN(TestTimeDisplay)
#include "tst_timedisplay.moc"
