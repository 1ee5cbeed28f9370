#include "GridTestHelpers.h"

#include <QSignalSpy>
#include <QTest>

// The cell store, the row and column views, the update bracket and the size
// change rules of the grid.
class TestGridModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaults();
    void shrinkAndGrowKeepsTexts();
    void cellBeyondCountsReadable();
    void rowViewAssign_data();
    void rowViewAssign();
    void colViewAssignAndRead();
    void viewAdd_data();
    void viewAdd();
    void viewClearEmptiesCells();
    void viewInsertDeleteRefused();
    void bracketSkipsSizeHandling();
    void bracketIsAFlag();
    void sizeChangeOutsideBracket();
    void rowCountOneShowsMessage();
    void updateOnSizeChangeResorts();
    void clearResetsProtocol();
    void columnMoveSortColFollows_data();
    void columnMoveSortColFollows();
    void columnMoveMovesCellsAndFormats();
    void userSettingsSetModified();
    void modifiedFiresOnEverySetToTrue();
    void fixedCountsFollowShrink();
};

void TestGridModel::defaults()
{
    SortGrid grid;
    QCOMPARE(grid.colCount(), 5);
    QCOMPARE(grid.rowCount(), 5);
    QCOMPARE(grid.fixedCols(), 0);
    QCOMPARE(grid.fixedRows(), 1);
    QCOMPARE(grid.defaultColWidth(), 64);
    QCOMPARE(grid.defaultRowHeight(), 24);
    QVERIFY(grid.sortOptions()->canSort());
    QCOMPARE(grid.sortOptions()->sortStyle(), SortStyle::Normal);
    QCOMPARE(grid.sortOptions()->sortDirection(), SortDirection::Ascending);
    QVERIFY(!grid.sortOptions()->updateOnSizeChange());
    QVERIFY(!grid.modified());
    QCOMPARE(grid.selectedRows(), QStringList{"1"});
    QCOMPARE(grid.anchorRows(), QStringList{"1"});
    QCOMPARE(grid.options(),
             GridOption::FixedVertLine | GridOption::FixedHorzLine | GridOption::VertLine
                 | GridOption::HorzLine | GridOption::RangeSelect);
    QCOMPARE(grid.colFormats().size(), size_t(5));
    QCOMPARE(grid.rowFormats().size(), size_t(5));
}

void TestGridModel::shrinkAndGrowKeepsTexts()
{
    SortGrid grid;
    grid.setRowCount(10);
    for (int r = 0; r < 10; ++r)
        grid.setCells(1, r, QStringLiteral("row %1").arg(r));
    grid.setRowCount(3);
    QCOMPARE(grid.rowCount(), 3);
    grid.setRowCount(10);
    for (int r = 0; r < 10; ++r)
        QCOMPARE(grid.cells(1, r), QStringLiteral("row %1").arg(r));
}

void TestGridModel::cellBeyondCountsReadable()
{
    SortGrid grid;
    grid.setCells(grid.colCount(), 2, QStringLiteral("hidden format"));
    grid.setCells(0, 500, QStringLiteral("far below"));
    QCOMPARE(grid.cells(grid.colCount(), 2), QStringLiteral("hidden format"));
    QCOMPARE(grid.cells(0, 500), QStringLiteral("far below"));
    QCOMPARE(grid.cells(7, 7), QString());
    QCOMPARE(grid.cells(-1, 0), QString());
    // The row view reaches only colCount cells.
    QCOMPARE(grid.rowStrings(2).count(), grid.colCount());
    QVERIFY(!grid.rowStrings(2).toStringList().contains(QStringLiteral("hidden format")));
}

void TestGridModel::rowViewAssign_data()
{
    QTest::addColumn<QStringList>("source");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("seven texts") << QStringList{"a", "b", "c", "d", "e", "f", "g"}
                                 << QStringList{"a", "b", "c", "d", "e"};
    QTest::newRow("three texts") << QStringList{"a", "b", "c"} << QStringList{"a", "b", "c", "old3", "old4"};
    QTest::newRow("empty list") << QStringList{} << QStringList{"old0", "old1", "old2", "old3", "old4"};
}

void TestGridModel::rowViewAssign()
{
    QFETCH(QStringList, source);
    QFETCH(QStringList, expected);
    SortGrid grid;
    for (int c = 0; c < 6; ++c)
        grid.setCells(c, 2, QStringLiteral("old%1").arg(c));
    grid.rowStrings(2) = source;
    QCOMPARE(grid.rowStrings(2).toStringList(), expected);
    // The cell right of the last column is never touched by a row view.
    QCOMPARE(grid.cells(5, 2), QStringLiteral("old5"));
}

void TestGridModel::colViewAssignAndRead()
{
    SortGrid grid;
    grid.setRowCount(3);
    grid.colStrings(1).assign(QStringList{"t", "x", "y", "z"});
    QCOMPARE(grid.colStrings(1).toStringList(), (QStringList{"t", "x", "y"}));
    QCOMPARE(grid.cells(1, 3), QString());
    grid.rowStrings(1).assign(grid.colStrings(1));
    QCOMPARE(grid.rowStrings(1).toStringList().mid(0, 3), (QStringList{"t", "x", "y"}));
    QCOMPARE(grid.colStrings(1)[2], QStringLiteral("y"));
}

void TestGridModel::viewAdd_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("first empty") << QStringList{"a", "", "c", "", ""} << "x" << 1
                                 << QStringList{"a", "x", "c", "", ""};
    QTest::newRow("empty text writes blank")
        << QStringList{"a", "b", "", "", ""} << "" << 2 << QStringList{"a", "b", " ", "", ""};
    QTest::newRow("full row") << QStringList{"a", "b", "c", "d", "e"} << "x" << -1
                              << QStringList{"a", "b", "c", "d", "e"};
}

void TestGridModel::viewAdd()
{
    QFETCH(QStringList, before);
    QFETCH(QString, text);
    QFETCH(int, index);
    QFETCH(QStringList, after);
    SortGrid grid;
    grid.rowStrings(1) = before;
    QCOMPARE(grid.rowStrings(1).add(text), index);
    QCOMPARE(grid.rowStrings(1).toStringList(), after);
}

void TestGridModel::viewClearEmptiesCells()
{
    SortGrid grid;
    QObject marker;
    grid.rowStrings(3) = QStringList{"a", "b", "c", "d", "e"};
    grid.setObjects(2, 3, &marker);
    grid.rowStrings(3).clear();
    QCOMPARE(grid.rowStrings(3).toStringList(), (QStringList{"", "", "", "", ""}));
    QCOMPARE(grid.objects(2, 3), nullptr);
}

void TestGridModel::viewInsertDeleteRefused()
{
    SortGrid grid;
    try {
        grid.rowStrings(1).insert(0, QStringLiteral("x"));
        QFAIL("insert into a row view was accepted");
    } catch (const InvalidGridOperation &e) {
        QCOMPARE(QString::fromLatin1(e.what()), QStringLiteral("Cannot insert or delete rows from grid"));
    }
    QVERIFY_THROWS_EXCEPTION(InvalidGridOperation, grid.colStrings(0).removeAt(0));
}

void TestGridModel::bracketSkipsSizeHandling()
{
    SortGrid grid;
    QSignalSpy sizeChanges(&grid, &GridBase::sizeChanged);
    QSignalSpy modifiedEvents(&grid, &SortGrid::markedModified);
    QSignalSpy beginEvents(&grid, &GridBase::updateBegun);
    QSignalSpy endEvents(&grid, &GridBase::updateEnded);
    grid.beginUpdate();
    QVERIFY(grid.nowUpdating());
    QVERIFY(!grid.isEnabled());
    grid.setRowCount(12);
    QCOMPARE(endEvents.count(), 0);
    grid.endUpdate();
    QVERIFY(!grid.nowUpdating());
    QVERIFY(grid.isEnabled());
    QCOMPARE(grid.rowCount(), 12);
    QCOMPARE(sizeChanges.count(), 0);
    QCOMPARE(modifiedEvents.count(), 0);
    QCOMPARE(beginEvents.count(), 1);
    QCOMPARE(endEvents.count(), 1);
    QVERIFY(!grid.modified());
}

void TestGridModel::bracketIsAFlag()
{
    SortGrid grid;
    grid.sortOptions()->setUpdateOnSizeChange(true);
    grid.beginUpdate();
    grid.beginUpdate();
    QVERIFY(!grid.sortOptions()->updateOnSizeChange());
    grid.endUpdate();
    // The inner end closes the outer bracket too and restores the saved value.
    QVERIFY(!grid.nowUpdating());
    QVERIFY(grid.sortOptions()->updateOnSizeChange());
}

void TestGridModel::sizeChangeOutsideBracket()
{
    SortGrid grid;
    QSignalSpy changes(&grid, &GridBase::sizeChanged);
    QSignalSpy modifiedEvents(&grid, &SortGrid::markedModified);
    grid.setRowCount(8);
    grid.setColCount(6);
    QCOMPARE(changes, (QList<QList<QVariant>>{{5, 5}, {5, 8}}));
    QVERIFY(grid.modified());
    QCOMPARE(modifiedEvents.count(), 2);
    QCOMPARE(grid.rowFormats().size(), size_t(8));
    QCOMPARE(grid.colFormats().size(), size_t(6));
    QCOMPARE(grid.currentRow(), 1);
    QCOMPARE(grid.currentCol(), 0);
    // Setting the same count again changes nothing.
    grid.setRowCount(8);
    QCOMPARE(changes.size(), 2);
}

void TestGridModel::rowCountOneShowsMessage()
{
    SortGrid grid;
    QSignalSpy messages(&grid, &SortGrid::messageRaised);
    grid.setRowCount(1);
    QCOMPARE(messages, (QList<QList<QVariant>>{{QStringLiteral("Rowsize too small")}}));
    QCOMPARE(grid.rowCount(), 1);
    grid.setRowCount(2);
    QCOMPARE(messages.count(), 1);
}

void TestGridModel::updateOnSizeChangeResorts()
{
    SortGrid grid;
    fillGrid(grid, {{"K"}, {"c"}, {"a"}, {"b"}});
    grid.sortOptions()->setUpdateOnSizeChange(true);
    grid.setRowCount(5); // outside a bracket: re-sorts, the new empty row first
    QCOMPARE(dataColumn(grid, 0), (QStringList{"", "a", "b", "c"}));

    SortGrid quiet;
    fillGrid(quiet, {{"K"}, {"c"}, {"a"}});
    quiet.sortOptions()->setUpdateOnSizeChange(true);
    quiet.beginUpdate();
    quiet.setRowCount(4);
    quiet.endUpdate();
    QCOMPARE(dataColumn(quiet, 0), (QStringList{"c", "a", ""}));
}

void TestGridModel::clearResetsProtocol()
{
    SortGrid grid;
    fillGrid(grid, {{"Nr.", "Zeit"}, {"00001", "1,0"}, {"00002", "2,0"}, {"00003", "3,0"}});
    grid.setModified(true);
    grid.colFormats()[1].active = true;
    QSignalSpy modifiedEvents(&grid, &SortGrid::markedModified);
    QSignalSpy rowSelected(&grid, &SortGrid::rowSelected);
    grid.clear();
    QCOMPARE(grid.rowCount(), 2);
    QVERIFY(!grid.modified());
    QCOMPARE(modifiedEvents.count(), 0);
    QCOMPARE(rowSelected.count(), 1);
    QCOMPARE(grid.cells(0, 0), QStringLiteral("Nr."));
    QCOMPARE(grid.cells(0, 1), QString());
    QCOMPARE(grid.cells(1, 3), QString());
    QVERIFY(grid.selectedRows().isEmpty());
    QCOMPARE(grid.anchorRows(), QStringList{"1"});
    QCOMPARE(grid.currentRow(), 1);
    QVERIFY(!grid.colFormats()[1].active);
    QVERIFY(!grid.nowUpdating());
    // Every column was auto-sized: nothing is left at the default width.
    for (int c = 0; c < grid.colCount(); ++c)
        QVERIFY(grid.columnWidth(c) != grid.defaultColWidth());
}

void TestGridModel::columnMoveSortColFollows_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("sortCol");
    QTest::addColumn<int>("expected");
    QTest::newRow("sort column moved") << 1 << 3 << 1 << 3;
    QTest::newRow("moved before it") << 4 << 1 << 2 << 3;
    QTest::newRow("moved past it") << 0 << 3 << 2 << 1;
    QTest::newRow("elsewhere") << 3 << 4 << 1 << 1;
}

void TestGridModel::columnMoveSortColFollows()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, sortCol);
    QFETCH(int, expected);
    SortGrid grid;
    grid.sortOptions()->setSortCol(sortCol);
    grid.setModified(false);
    grid.moveColumn(from, to);
    QCOMPARE(grid.sortOptions()->sortCol(), expected);
    QVERIFY(grid.modified());
}

void TestGridModel::columnMoveMovesCellsAndFormats()
{
    SortGrid grid;
    grid.rowStrings(0) = QStringList{"A", "B", "C", "D", "E"};
    grid.setColumnWidth(0, 33);
    grid.colFormats()[0].active = true;
    grid.moveColumn(0, 2);
    QCOMPARE(grid.rowStrings(0).toStringList(), (QStringList{"B", "C", "A", "D", "E"}));
    QCOMPARE(grid.columnWidth(2), 33);
    QVERIFY(grid.colFormats()[2].active);
    QVERIFY(!grid.colFormats()[0].active);
}

void TestGridModel::userSettingsSetModified()
{
    SortGrid grid;
    grid.setUserSettings(QStringList{"a=1"});
    QCOMPARE(grid.userSettings(), QStringList{"a=1"});
    QVERIFY(grid.modified());
}

void TestGridModel::modifiedFiresOnEverySetToTrue()
{
    SortGrid grid;
    QSignalSpy events(&grid, &SortGrid::markedModified);
    grid.setModified(true);
    grid.setModified(true);
    grid.setModified(false);
    QCOMPARE(events.count(), 2);
    QVERIFY(!grid.modified());
}

void TestGridModel::fixedCountsFollowShrink()
{
    SortGrid grid;
    grid.setFixedCols(2);
    grid.setColCount(2);
    QCOMPARE(grid.fixedCols(), 1);
    grid.setRowCount(1);
    QCOMPARE(grid.fixedRows(), 0);
}

QTEST_MAIN(TestGridModel)
#include "tst_gridmodel.moc"
