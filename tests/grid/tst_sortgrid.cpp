#include "GridTestHelpers.h"
#include "SortReference.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(SortStyle)
Q_DECLARE_METATYPE(SortDirection)
Q_DECLARE_METATYPE(SortCompareFunction)

// Sorting of the sortable grid: styles, keys, direction, the tie-break by row
// position, style detection and the selection that follows its rows.
class TestSortGrid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void stableOrder_data();
    void stableOrder();
    void styles_data();
    void styles();
    void orderMatchesReference_data();
    void orderMatchesReference();
    void automaticDetection_data();
    void automaticDetection();
    void caseInsensitiveKeepsUmlautBytes();
    void caseSensitiveOrdersUpperFirst();
    void secondaryKeys_data();
    void secondaryKeys();
    void singleDataRowUnchanged();
    void canSortFalseChangesNothing();
    void selectionFollowsRows();
    void sortStyleAskedForEveryKey();
    void customComparisonResetAfterSort();
    void sortKeyColumnOverridesColumn();
    void sortKeepsCellsBeyondLastColumn();
    void sortLeavesBracketAndModified();
};

void TestSortGrid::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

void TestSortGrid::stableOrder_data()
{
    QTest::addColumn<SortDirection>("direction");
    QTest::addColumn<QStringList>("expectedTags");
    QTest::newRow("ascending") << SortDirection::Ascending << QStringList{"2", "4", "1", "3", "5"};
    QTest::newRow("descending") << SortDirection::Descending << QStringList{"5", "1", "3", "2", "4"};
}

void TestSortGrid::stableOrder()
{
    QFETCH(SortDirection, direction);
    QFETCH(QStringList, expectedTags);
    SortGrid grid;
    fillGrid(grid, {{"Key", "Tag"}, {"b", "1"}, {"a", "2"}, {"b", "3"}, {"a", "4"}, {"c", "5"}});
    grid.sortOptions()->setSortDirection(direction);
    grid.sortByColumn(0);
    QCOMPARE(dataColumn(grid, 1), expectedTags);
    // Sorting again by the same key must not shuffle the equal rows.
    grid.sortByColumn(0);
    QCOMPARE(dataColumn(grid, 1), expectedTags);
}

void TestSortGrid::styles_data()
{
    QTest::addColumn<SortStyle>("style");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("normal by bytes") << SortStyle::Normal << QStringList{"b", "10", "a", "9"}
                                     << QStringList{"10", "9", "a", "b"};
    QTest::newRow("numeric decimal comma")
        << SortStyle::Numeric << QStringList{"10", "9", "8,5", "-1"} << QStringList{"-1", "8,5", "9", "10"};
    QTest::newRow("numeric falls back to ordinal")
        << SortStyle::Numeric << QStringList{"x", "10", "9"} << QStringList{"9", "10", "x"};
    QTest::newRow("numeric extended")
        << SortStyle::NumericExtended << QStringList{"Lauf 10", "Lauf 9", "Lauf 1"}
        << QStringList{"Lauf 1", "Lauf 9", "Lauf 10"};
    QTest::newRow("numeric extended empties first")
        << SortStyle::NumericExtended << QStringList{"R2", "", "R1", ""} << QStringList{"", "", "R1", "R2"};
    QTest::newRow("time") << SortStyle::Time << QStringList{"12:00", "9:30", "10:15"}
                          << QStringList{"9:30", "10:15", "12:00"};
    QTest::newRow("date") << SortStyle::DateTime << QStringList{"01.03.2024", "15.12.2023", "02.03.2024"}
                          << QStringList{"15.12.2023", "01.03.2024", "02.03.2024"};
}

void TestSortGrid::styles()
{
    QFETCH(SortStyle, style);
    QFETCH(QStringList, keys);
    QFETCH(QStringList, expected);
    SortGrid grid;
    fillKeyColumn(grid, keys);
    grid.sortOptions()->setSortStyle(style);
    grid.sortByColumn(0);
    QCOMPARE(dataColumn(grid, 0), expected);
    QCOMPARE(grid.sortOptions()->sortStyle(), style);

    std::reverse(expected.begin(), expected.end());
    grid.sortOptions()->setSortDirection(SortDirection::Descending);
    grid.sortByColumn(0);
    if (style == SortStyle::NumericExtended && keys.contains(QString()))
        return; // equal empty keys keep their row order, so the reverse differs
    QCOMPARE(dataColumn(grid, 0), expected);
}

namespace {

// Texts of every kind the columns hold, drawn with a fixed seed: numbers with and
// without sign, decimal comma and leading zeros, times, dates, text with numbers
// inside, case variants, umlauts, characters outside the code page, blanks, empties.
QStringList mixedKeys(int count)
{
    const QStringList patterns{
        "",        "%1",       "-%1,%2",   "00%1",  "%1:%2:%3,%4", "%1.%2.%3", "%1.%2.%3 %4:%5",
        "Lauf %1", "lauf %1a", "R%1x%2km", "ABC%1", "abc%1",       "Ärger %1", "ärger %1",
        "Łódź",    "Œuvre€",   " %1",      " %1 ",  "+%1E%2",      "DNF"};
    QRandomGenerator random(20240301);
    QStringList keys;
    for (int i = 0; i < count; ++i) {
        QString key = patterns.at(random.bounded(int(patterns.size())));
        while (key.contains(QLatin1Char('%')))
            key = key.arg(random.bounded(3) == 0 ? random.bounded(2100) : random.bounded(60));
        keys << key;
    }
    return keys;
}

QStringList tags(const QList<int> &order)
{
    QStringList result;
    for (int i : order)
        result << QString::number(i);
    return result;
}

} // namespace

void TestSortGrid::orderMatchesReference_data()
{
    QTest::addColumn<SortStyle>("style");
    QTest::addColumn<SortCompareFunction>("custom");
    QTest::addColumn<bool>("caseSensitive");
    QTest::addColumn<QStringList>("keys");
    const SortCompareFunction byLength
        = [](const QString &a, const QString &b) { return int(a.size()) - int(b.size()); };
    const struct
    {
        const char *name;
        SortStyle style;
        SortCompareFunction custom;
    } styles[] = {{"normal", SortStyle::Normal, {}},
                  {"numeric", SortStyle::Numeric, {}},
                  {"numeric extended", SortStyle::NumericExtended, {}},
                  {"date and time", SortStyle::DateTime, {}},
                  {"time", SortStyle::Time, {}},
                  {"custom by length", SortStyle::Custom, byLength},
                  {"custom without comparison", SortStyle::Custom, {}}};
    const QStringList handPicked{"Lauf 10",
                                 "lauf 9",
                                 "",
                                 "Lauf 9",
                                 "LAUF 10",
                                 "Lauf",
                                 "-1,5",
                                 "-1,50",
                                 "10",
                                 "9",
                                 "",
                                 "8,5",
                                 "1:02:03,5",
                                 "1:2:3",
                                 "01.03.2024",
                                 "1.3.24 12:00",
                                 "1.3.2024",
                                 "6:00",
                                 "01",
                                 "1",
                                 "+1",
                                 " 1",
                                 "1 ",
                                 "7km",
                                 "12km",
                                 "A2x",
                                 "A11x",
                                 "Xa",
                                 "xa",
                                 QString::fromUtf8("ä"),
                                 QString::fromUtf8("Ä"),
                                 QString::fromUtf8("€"),
                                 QString::fromUtf8("ł"),
                                 QString::fromUtf8("ő"),
                                 "abd",
                                 "abc",
                                 "ABC",
                                 "ab",
                                 "abc1",
                                 "99999999999",
                                 "2147483648",
                                 "-2147483648",
                                 "1e3",
                                 "1,5E3",
                                 ",",
                                 "DNF",
                                 "dnf"};
    const QStringList generated = mixedKeys(400);
    for (const auto &[name, style, custom] : styles) {
        for (const bool caseSensitive : {false, true}) {
            const char *suffix = caseSensitive ? ", case sensitive" : "";
            QTest::addRow("%s, hand-picked%s", name, suffix)
                << style << custom << caseSensitive << handPicked;
            QTest::addRow("%s, generated%s", name, suffix) << style << custom << caseSensitive << generated;
        }
    }
}

void TestSortGrid::orderMatchesReference()
{
    QFETCH(SortStyle, style);
    QFETCH(SortCompareFunction, custom);
    QFETCH(bool, caseSensitive);
    QFETCH(QStringList, keys);
    for (const SortDirection direction : {SortDirection::Ascending, SortDirection::Descending}) {
        SortGrid grid;
        grid.setColCount(2);
        QList<QStringList> rows{{"Key", "Tag"}};
        for (int i = 0; i < keys.size(); ++i)
            rows << QStringList{keys.at(i), QString::number(i)};
        fillGrid(grid, rows);
        grid.sortOptions()->setSortStyle(style);
        grid.sortOptions()->setSortCaseSensitive(caseSensitive);
        grid.sortOptions()->setSortDirection(direction);
        grid.sortOptions()->setSortCompare(custom);
        grid.sortByColumn(0);
        QCOMPARE(dataColumn(grid, 1), tags(referenceOrder(keys, style, direction, caseSensitive, custom)));

        // Sorted once more the other way round, starting from the sorted rows.
        const QStringList sortedKeys = dataColumn(grid, 0);
        const QStringList sortedTags = dataColumn(grid, 1);
        const SortDirection reverse
            = direction == SortDirection::Ascending ? SortDirection::Descending : SortDirection::Ascending;
        grid.sortOptions()->setSortDirection(reverse);
        grid.sortOptions()->setSortCompare(custom); // the grid dropped it after the first sort
        grid.sortByColumn(0);
        QStringList expected;
        for (int i : referenceOrder(sortedKeys, style, reverse, caseSensitive, custom))
            expected << sortedTags.at(i);
        QCOMPARE(dataColumn(grid, 1), expected);
    }
}

void TestSortGrid::automaticDetection_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<SortStyle>("detected");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("numbers") << QStringList{"9", "10", "8,5"} << SortStyle::Numeric
                             << QStringList{"8,5", "9", "10"};
    QTest::newRow("one empty cell") << QStringList{"9", "", "10"} << SortStyle::Normal
                                    << QStringList{"", "10", "9"};
    QTest::newRow("dates") << QStringList{"02.01.2020", "01.02.2020"} << SortStyle::DateTime
                           << QStringList{"02.01.2020", "01.02.2020"};
    QTest::newRow("times count as dates")
        << QStringList{"10:00", "9:00"} << SortStyle::DateTime << QStringList{"9:00", "10:00"};
    QTest::newRow("text") << QStringList{"b", "a"} << SortStyle::Normal << QStringList{"a", "b"};
}

void TestSortGrid::automaticDetection()
{
    QFETCH(QStringList, keys);
    QFETCH(SortStyle, detected);
    QFETCH(QStringList, expected);
    SortGrid grid;
    fillKeyColumn(grid, keys);
    grid.sortOptions()->setSortStyle(SortStyle::Automatic);
    grid.sortByColumn(0);
    QCOMPARE(grid.sortOptions()->sortStyle(), detected);
    QCOMPARE(dataColumn(grid, 0), expected);

    // The detected style sticks: a later sort of text in the column keeps it.
    grid.setCells(0, 1, QStringLiteral("zzz"));
    grid.sortByColumn(0);
    QCOMPARE(grid.sortOptions()->sortStyle(), detected);
}

void TestSortGrid::caseInsensitiveKeepsUmlautBytes()
{
    SortGrid grid;
    fillGrid(grid,
             {{"Key", "Tag"},
              {QString::fromUtf8("ä"), "1"},
              {"ABC", "2"},
              {QString::fromUtf8("Ä"), "3"},
              {"abc", "4"}});
    grid.sortByColumn(0);
    // abc and ABC are equal and keep their order; Ä (0xC4) comes before ä (0xE4).
    QCOMPARE(dataColumn(grid, 1), (QStringList{"2", "4", "3", "1"}));
}

void TestSortGrid::caseSensitiveOrdersUpperFirst()
{
    SortGrid grid;
    fillGrid(grid, {{"Key"}, {"abc"}, {"ABC"}, {"Abc"}});
    grid.sortOptions()->setSortCaseSensitive(true);
    grid.sortByColumn(0);
    QCOMPARE(dataColumn(grid, 0), (QStringList{"ABC", "Abc", "abc"}));
}

void TestSortGrid::secondaryKeys_data()
{
    QTest::addColumn<QString>("secondary");
    QTest::addColumn<QStringList>("expectedTags");
    QTest::newRow("none") << QString() << QStringList{"1", "3", "4", "2"};
    QTest::newRow("second column") << "1" << QStringList{"3", "1", "4", "2"};
    QTest::newRow("primary repeated is ignored") << "0,1" << QStringList{"3", "1", "4", "2"};
    QTest::newRow("two keys") << "1,2" << QStringList{"3", "1", "4", "2"};
    QTest::newRow("third column") << "2" << QStringList{"1", "3", "4", "2"};
}

void TestSortGrid::secondaryKeys()
{
    QFETCH(QString, secondary);
    QFETCH(QStringList, expectedTags);
    SortGrid grid;
    grid.setColCount(4);
    fillGrid(grid,
             {{"A", "B", "C", "Tag"},
              {"x", "2", "a", "1"},
              {"y", "1", "a", "2"},
              {"x", "1", "b", "3"},
              {"x", "3", "c", "4"}});
    grid.sortOptions()->setSecondaryIndex(secondary);
    grid.sortByColumn(0);
    QCOMPARE(dataColumn(grid, 3), expectedTags);
}

void TestSortGrid::singleDataRowUnchanged()
{
    SortGrid grid;
    fillGrid(grid, {{"Nr.", "Zeit"}, {"00001", "1:02,3"}});
    grid.sortOptions()->setSortDirection(SortDirection::Descending);
    grid.sortByColumn(1);
    QCOMPARE(grid.rowCount(), 2);
    QCOMPARE(grid.rowStrings(1).toStringList().mid(0, 2), (QStringList{"00001", "1:02,3"}));
    QCOMPARE(grid.cells(0, 0), QStringLiteral("Nr."));
}

void TestSortGrid::canSortFalseChangesNothing()
{
    SortGrid grid;
    fillGrid(grid, {{"Key"}, {"b"}, {"a"}});
    grid.sortOptions()->setCanSort(false);
    grid.sortByColumn(0);
    QCOMPARE(dataColumn(grid, 0), (QStringList{"b", "a"}));
    QCOMPARE(grid.sortOptions()->sortCol(), 0);
}

void TestSortGrid::selectionFollowsRows()
{
    SortGrid grid;
    fillGrid(grid, {{"Key"}, {"c"}, {"a"}, {"b"}});
    grid.gotoCell(0, 1, false); // row 1 holds "c"
    QCOMPARE(grid.selectedRows(), QStringList{"1"});
    grid.sortByColumn(0);
    QCOMPARE(grid.cells(0, 3), QStringLiteral("c"));
    QCOMPARE(grid.selectedRows(), QStringList{"3"});
    QCOMPARE(grid.currentRow(), 3);
    QVERIFY(grid.isRowSelected(3));
    QVERIFY(!grid.isRowSelected(1));
}

void TestSortGrid::sortStyleAskedForEveryKey()
{
    TestGrid grid;
    grid.setColCount(3);
    fillGrid(grid, {{"A", "B", "C"}, {"1", "10", "x"}, {"1", "9", "y"}});
    grid.sortOptions()->setSecondaryIndex(QStringLiteral("1"));
    grid.sortStyles = {{0, SortStyle::Normal}, {1, SortStyle::Numeric}};
    grid.sortByColumn(0);
    // The secondary key is asked first, the primary key last.
    QCOMPARE(grid.sortStylesAsked, (QList<int>{1, 0}));
    QCOMPARE(dataColumn(grid, 1), (QStringList{"9", "10"}));
    QCOMPARE(grid.sortOptions()->sortStyle(), SortStyle::Normal);
}

void TestSortGrid::customComparisonResetAfterSort()
{
    SortGrid grid;
    fillGrid(grid, {{"Key"}, {"ccc"}, {"a"}, {"bb"}});
    grid.sortOptions()->setSortStyle(SortStyle::Custom);
    grid.sortOptions()->setSortCompare(
        [](const QString &a, const QString &b) { return int(b.size()) - int(a.size()); });
    grid.sortByColumn(0);
    QCOMPARE(dataColumn(grid, 0), (QStringList{"ccc", "bb", "a"}));
    QVERIFY(!grid.sortOptions()->sortCompare());
}

void TestSortGrid::sortKeyColumnOverridesColumn()
{
    TestGrid grid;
    fillGrid(grid, {{"A", "B"}, {"1", "z"}, {"2", "y"}});
    grid.sortKeyColumnAnswer = 1;
    QSignalSpy finished(&grid, &SortGrid::sortFinished);
    grid.sortByColumn(0);
    QCOMPARE(dataColumn(grid, 1), (QStringList{"y", "z"}));
    QCOMPARE(finished, (QList<QList<QVariant>>{{1}}));
    QCOMPARE(grid.sortOptions()->sortCol(), 0);
}

void TestSortGrid::sortKeepsCellsBeyondLastColumn()
{
    SortGrid grid;
    grid.setColCount(2);
    fillGrid(grid, {{"A", "B"}, {"b", "1"}, {"a", "2"}});
    grid.setCells(2, 1, QStringLiteral("format-1"));
    grid.setCells(2, 2, QStringLiteral("format-2"));
    grid.sortByColumn(0);
    QCOMPARE(dataColumn(grid, 1), (QStringList{"2", "1"}));
    // Only the grid's columns are sorted; the cells right of them stay put.
    QCOMPARE(grid.cells(2, 1), QStringLiteral("format-1"));
    QCOMPARE(grid.cells(2, 2), QStringLiteral("format-2"));
}

void TestSortGrid::sortLeavesBracketAndModified()
{
    SortGrid grid;
    fillGrid(grid, {{"A"}, {"b"}, {"a"}});
    grid.setModified(false);
    grid.sortOptions()->setUpdateOnSizeChange(true);
    QSignalSpy endUpdates(&grid, &GridBase::updateEnded);
    grid.sortByColumn(0);
    QVERIFY(!grid.nowUpdating());
    QVERIFY(grid.isEnabled());
    QVERIFY(grid.sortOptions()->updateOnSizeChange());
    QVERIFY(!grid.modified());
    QCOMPARE(endUpdates.count(), 1);
}

QTEST_MAIN(TestSortGrid)
#include "tst_sortgrid.moc"
