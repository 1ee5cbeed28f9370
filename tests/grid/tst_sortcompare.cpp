#include "SortReference.h"
#include "grid/SortCompare.h"

#include <QRandomGenerator>
#include <QTest>

using namespace SortCompare;

class TestSortCompare : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ordinal_data();
    void ordinal();
    void numericExtended_data();
    void numericExtended();
    void numericExtendedMatchesReference_data();
    void numericExtendedMatchesReference();
    void lowerCase_data();
    void lowerCase();
    void strToInt_data();
    void strToInt();
    void strToFloat_data();
    void strToFloat();
    void strToTime_data();
    void strToTime();
    void strToDateTime_data();
    void strToDateTime();
};

void TestSortCompare::ordinal_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("expected");
    QTest::newRow("equal") << "abc"
                           << "abc" << 0;
    QTest::newRow("prefix first") << "ab"
                                  << "abc" << -1;
    QTest::newRow("longer after") << "abc"
                                  << "ab" << 1;
    QTest::newRow("upper before lower") << "B"
                                        << "a" << -1;
    QTest::newRow("umlaut after z") << QString::fromUtf8("Ä") << "z" << 1;
    QTest::newRow("upper umlaut before lower umlaut")
        << QString::fromUtf8("Ä") << QString::fromUtf8("ä") << -1;
    // The euro sign is 0x80 in Windows-1252 and so comes before every Latin-1 letter.
    QTest::newRow("euro before A umlaut") << QString::fromUtf8("€") << QString::fromUtf8("Ä") << -1;
    QTest::newRow("empty first") << ""
                                 << "a" << -1;
    QTest::newRow("both empty") << ""
                                << "" << 0;
    QTest::newRow("digits by byte") << "10"
                                    << "9" << -1;
}

void TestSortCompare::ordinal()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, expected);
    QCOMPARE(compareOrdinal(a, b), expected);
    QCOMPARE(compareOrdinal(b, a), -expected);
}

void TestSortCompare::numericExtended_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("expected");
    QTest::newRow("9 before 10") << "Lauf 9"
                                 << "Lauf 10" << -1;
    QTest::newRow("10 after 9") << "Lauf 10"
                                << "Lauf 9" << 1;
    QTest::newRow("plain numbers") << "9"
                                   << "10" << -1;
    QTest::newRow("01 against 1") << "01"
                                  << "1" << 1;
    QTest::newRow("1 against 01") << "1"
                                  << "01" << 1;
    QTest::newRow("empty left") << ""
                                << "abc" << -1;
    QTest::newRow("empty right") << "abc"
                                 << "" << -1;
    QTest::newRow("both empty") << ""
                                << "" << -1;
    QTest::newRow("equal text") << "abc"
                                << "abc" << 0;
    QTest::newRow("number inside") << "A2x"
                                   << "A11x" << -1;
    QTest::newRow("letters ordinal") << "Xa"
                                     << "Xb" << -1;
    QTest::newRow("same number text") << "R12"
                                      << "R12" << 0;
    QTest::newRow("trailing equal suffix") << "7km"
                                           << "12km" << -1;
}

void TestSortCompare::numericExtended()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, expected);
    QCOMPARE(compareNumericExtended(a, b), expected);
}

void TestSortCompare::numericExtendedMatchesReference_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("hand-picked") << QStringList{"Lauf 9",
                                                "Lauf 10",
                                                "Lauf 100",
                                                "lauf 9a",
                                                "9",
                                                "10",
                                                "01",
                                                "1",
                                                "+1",
                                                "-1",
                                                " 1",
                                                "1 ",
                                                "",
                                                "abc",
                                                "ab",
                                                "abcd",
                                                "A2x",
                                                "A11x",
                                                "7km",
                                                "12km",
                                                "12 km",
                                                "R12x3km",
                                                "R1x30km",
                                                "1:02,3",
                                                "1:2,30",
                                                "12.03.2024",
                                                "1.3.24",
                                                "x1y2z3",
                                                "x12y2z3",
                                                "2147483647",
                                                "2147483648",
                                                "-2147483648",
                                                "99999999999",
                                                QString::fromUtf8("Ä1"),
                                                QString::fromUtf8("ä1"),
                                                QString::fromUtf8("€2"),
                                                QString::fromUtf8("ł3"),
                                                QString::fromUtf8("ő3"),
                                                QString(70, QLatin1Char('a')) + "5",
                                                QString(70, QLatin1Char('a')) + "12",
                                                QString(80, QLatin1Char('7')),
                                                QString(80, QLatin1Char('7')) + "x"};
    // Short texts over a few letters, digits, signs and blanks: every kind of
    // alignment of equal and differing characters and digit runs.
    const QString alphabet = QStringLiteral("ab019 -+x");
    QRandomGenerator random(4711);
    QStringList generated;
    for (int i = 0; i < 300; ++i) {
        QString text;
        for (int length = random.bounded(9); length > 0; --length)
            text += alphabet.at(random.bounded(int(alphabet.size())));
        generated << text;
    }
    QTest::newRow("generated") << generated;
}

void TestSortCompare::numericExtendedMatchesReference()
{
    QFETCH(QStringList, texts);
    for (const QString &a : std::as_const(texts))
        for (const QString &b : std::as_const(texts))
            if (compareNumericExtended(a, b) != referenceNumericExtended(a, b))
                QFAIL(qPrintable(QStringLiteral("\"%1\" against \"%2\"").arg(a, b)));
}

void TestSortCompare::lowerCase_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ascii") << "AbC"
                           << "abc";
    QTest::newRow("umlaut kept") << QString::fromUtf8("ÄÖÜ ß") << QString::fromUtf8("ÄÖÜ ß");
    QTest::newRow("digits kept") << "X1Y2"
                                 << "x1y2";
}

void TestSortCompare::lowerCase()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(lowerCaseAZ(text), expected);
}

void TestSortCompare::strToInt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "42" << true << 42;
    QTest::newRow("leading zero") << "007" << true << 7;
    QTest::newRow("negative") << "-5" << true << -5;
    QTest::newRow("leading blank") << " 3" << true << 3;
    QTest::newRow("trailing blank") << "3 " << false << 0;
    QTest::newRow("letters") << "3a" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("too large") << "99999999999" << false << 0;
    QTest::newRow("int max") << "2147483647" << true << 2147483647;
}

void TestSortCompare::strToInt()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, value);
    int v = 0;
    QCOMPARE(tryStrToInt(text, v), ok);
    if (ok)
        QCOMPARE(v, value);
}

void TestSortCompare::strToFloat_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");
    QTest::newRow("integer") << "10" << true << 10.0;
    QTest::newRow("decimal comma") << "8,5" << true << 8.5;
    QTest::newRow("decimal point refused") << "8.5" << false << 0.0;
    QTest::newRow("group separator refused") << "1.234,5" << false << 0.0;
    QTest::newRow("blanks around") << " -2,25 " << true << -2.25;
    QTest::newRow("exponent") << "1,5E3" << true << 1500.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("text") << "abc" << false << 0.0;
    QTest::newRow("comma alone") << "," << false << 0.0;
}

void TestSortCompare::strToFloat()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, value);
    double v = 0;
    QCOMPARE(tryStrToFloat(text, QLocale(QLocale::German, QLocale::Germany), v), ok);
    if (ok)
        QCOMPARE(v, value);
}

void TestSortCompare::strToTime_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("msecs");
    QTest::newRow("hours and minutes") << "12:30" << true << (12 * 60 + 30) * 60000;
    QTest::newRow("with seconds") << "1:02:03" << true << ((60 + 2) * 60 + 3) * 1000;
    QTest::newRow("hour alone") << "9" << true << 9 * 3600000;
    QTest::newRow("fraction") << "0:00:01,5" << true << 1005;
    QTest::newRow("hour too large") << "25:00" << false << 0;
    QTest::newRow("minute too large") << "10:60" << false << 0;
    QTest::newRow("decimal number") << "8,5" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
}

void TestSortCompare::strToTime()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, msecs);
    double v = 0;
    QCOMPARE(parseTime(text, QLocale(QLocale::German, QLocale::Germany), v), ok);
    if (ok)
        QCOMPARE(qRound(v * 86400000.0), msecs);
}

void TestSortCompare::strToDateTime_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");
    const qint64 base = QDate(1899, 12, 30).toJulianDay();
    const double day = double(QDate(2024, 3, 1).toJulianDay() - base);
    QTest::newRow("date") << "01.03.2024" << true << day;
    QTest::newRow("date and time") << "1.3.2024 12:00" << true << day + 0.5;
    QTest::newRow("time alone") << "6:00" << true << 0.25;
    QTest::newRow("invalid day") << "31.02.2024" << false << 0.0;
    QTest::newRow("text") << "morgen" << false << 0.0;
    QTest::newRow("number") << "8,5" << false << 0.0;
}

void TestSortCompare::strToDateTime()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, value);
    double v = 0;
    QCOMPARE(tryStrToDateTime(text, QLocale(QLocale::German, QLocale::Germany), v), ok);
    if (ok)
        QVERIFY(qAbs(v - value) < 1e-9);
}

QTEST_GUILESS_MAIN(TestSortCompare)
#include "tst_sortcompare.moc"
