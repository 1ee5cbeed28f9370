#include "timing/RaceTime.h"

#include <QTest>

namespace {
constexpr qint32 time(int h, int m, int s, int hundredths)
{
    return ((h * 3600 + m * 60 + s) * 1000) + hundredths * 10;
}
} // namespace

class TestRaceTime : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void format_data()
    {
        QTest::addColumn<qint32>("ms");
        QTest::addColumn<int>("precision");
        QTest::addColumn<QString>("text");
        QTest::newRow("9:05.03,47") << time(9, 5, 3, 47) << 2 << "9:05.03,47";
        QTest::newRow("14:00.00,00") << time(14, 0, 0, 0) << 2 << "14:00.00,00";
        QTest::newRow("just after midnight") << time(0, 0, 5, 30) << 2 << "5,30";
        QTest::newRow("seven hundredths") << time(0, 0, 0, 7) << 2 << "0,07";
        QTest::newRow("one minute") << time(0, 1, 5, 0) << 2 << "1.05,00";
        QTest::newRow("tenths") << time(9, 5, 3, 47) << 1 << "9:05.03,4";
        QTest::newRow("whole seconds") << time(9, 5, 3, 47) << 0 << "9:05.03";
        QTest::newRow("zero, hundredths") << 0 << 2 << "0,00";
        QTest::newRow("zero, tenths") << 0 << 1 << "0,0";
        QTest::newRow("zero, seconds") << 0 << 0 << "0";
        // The cut never takes more than seven characters.
        QTest::newRow("ten seconds") << time(0, 0, 10, 0) << 2 << "10,00";
        QTest::newRow("ten seconds, no fraction") << time(0, 0, 10, 0) << 0 << "10";
        QTest::newRow("truncates milliseconds") << 5309 << 2 << "5,30";
        QTest::newRow("tenths truncate") << 5390 << 1 << "5,3";
        QTest::newRow("last moment of the day") << 86399999 << 2 << "23:59.59,99";
        QTest::newRow("hours modulo 100") << time(123, 0, 0, 0) << 2 << "23:00.00,00";
    }

    void format()
    {
        QFETCH(qint32, ms);
        QFETCH(int, precision);
        QFETCH(QString, text);
        QCOMPARE(formatRaceTime(ms, precision), text);
    }
};

QTEST_APPLESS_MAIN(TestRaceTime)
#include "tst_racetime.moc"
