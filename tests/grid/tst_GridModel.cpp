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
    TSortGrid grid;
    QCOMPARE(grid.ColCount(), 5);
    QCOMPARE(grid.RowCount(), 5);
    QCOMPARE(grid.FixedCols(), 0);
    QCOMPARE(grid.FixedRows(), 1);
    QCOMPARE(grid.DefaultColWidth(), 64);
    QCOMPARE(grid.DefaultRowHeight(), 24);
    QVERIFY(grid.SortOptions()->CanSort());
    QCOMPARE(grid.SortOptions()->SortStyle(), ssNormal);
    QCOMPARE(grid.SortOptions()->SortDirection(), sdAscending);
    QVERIFY(!grid.SortOptions()->UpdateOnSizeChange());
    QVERIFY(!grid.Modified());
    QCOMPARE(grid.SelectedRows(), QStringList{"1"});
    QCOMPARE(grid.AnchorRows(), QStringList{"1"});
    QCOMPARE(grid.Options(), goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect);
    QCOMPARE(grid.ColFormats().size(), size_t(5));
    QCOMPARE(grid.RowFormats().size(), size_t(5));
}

void TestGridModel::shrinkAndGrowKeepsTexts()
{
    TSortGrid grid;
    grid.ShowMessage = [](const QString &) {};
    grid.setRowCount(10);
    for (int r = 0; r < 10; ++r)
        grid.setCells(1, r, QStringLiteral("row %1").arg(r));
    grid.setRowCount(3);
    QCOMPARE(grid.RowCount(), 3);
    grid.setRowCount(10);
    for (int r = 0; r < 10; ++r)
        QCOMPARE(grid.Cells(1, r), QStringLiteral("row %1").arg(r));
}

void TestGridModel::cellBeyondCountsReadable()
{
    TSortGrid grid;
    grid.setCells(grid.ColCount(), 2, QStringLiteral("hidden format"));
    grid.setCells(0, 500, QStringLiteral("far below"));
    QCOMPARE(grid.Cells(grid.ColCount(), 2), QStringLiteral("hidden format"));
    QCOMPARE(grid.Cells(0, 500), QStringLiteral("far below"));
    QCOMPARE(grid.Cells(7, 7), QString());
    QCOMPARE(grid.Cells(-1, 0), QString());
    // The row view reaches only ColCount cells.
    QCOMPARE(grid.Rows(2).Count(), grid.ColCount());
    QVERIFY(!grid.Rows(2).ToStringList().contains(QStringLiteral("hidden format")));
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
    TSortGrid grid;
    for (int c = 0; c < 6; ++c)
        grid.setCells(c, 2, QStringLiteral("old%1").arg(c));
    grid.Rows(2) = source;
    QCOMPARE(grid.Rows(2).ToStringList(), expected);
    // The cell right of the last column is never touched by a row view.
    QCOMPARE(grid.Cells(5, 2), QStringLiteral("old5"));
}

void TestGridModel::colViewAssignAndRead()
{
    TSortGrid grid;
    grid.setRowCount(3);
    grid.Cols(1).Assign(QStringList{"t", "x", "y", "z"});
    QCOMPARE(grid.Cols(1).ToStringList(), (QStringList{"t", "x", "y"}));
    QCOMPARE(grid.Cells(1, 3), QString());
    grid.Rows(1).Assign(grid.Cols(1));
    QCOMPARE(grid.Rows(1).ToStringList().mid(0, 3), (QStringList{"t", "x", "y"}));
    QCOMPARE(grid.Cols(1)[2], QStringLiteral("y"));
}

void TestGridModel::viewAdd_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("first empty") << QStringList{"a", "", "c", "", ""} << "x" << 1
                                 << QStringList{"a", "x", "c", "", ""};
    QTest::newRow("empty text writes blank") << QStringList{"a", "b", "", "", ""} << "" << 2
                                             << QStringList{"a", "b", " ", "", ""};
    QTest::newRow("full row") << QStringList{"a", "b", "c", "d", "e"} << "x" << -1
                              << QStringList{"a", "b", "c", "d", "e"};
}

void TestGridModel::viewAdd()
{
    QFETCH(QStringList, before);
    QFETCH(QString, text);
    QFETCH(int, index);
    QFETCH(QStringList, after);
    TSortGrid grid;
    grid.Rows(1) = before;
    QCOMPARE(grid.Rows(1).Add(text), index);
    QCOMPARE(grid.Rows(1).ToStringList(), after);
}

void TestGridModel::viewClearEmptiesCells()
{
    TSortGrid grid;
    QObject marker;
    grid.Rows(3) = QStringList{"a", "b", "c", "d", "e"};
    grid.setObjects(2, 3, &marker);
    grid.Rows(3).Clear();
    QCOMPARE(grid.Rows(3).ToStringList(), (QStringList{"", "", "", "", ""}));
    QCOMPARE(grid.Objects(2, 3), nullptr);
}

void TestGridModel::viewInsertDeleteRefused()
{
    TSortGrid grid;
    try {
        grid.Rows(1).Insert(0, QStringLiteral("x"));
        QFAIL("insert into a row view was accepted");
    } catch (const EInvalidGridOperation &e) {
        QCOMPARE(QString::fromLatin1(e.what()), QStringLiteral("Cannot insert or delete rows from grid"));
    }
    QVERIFY_THROWS_EXCEPTION(EInvalidGridOperation, grid.Cols(0).Delete(0));
}

void TestGridModel::bracketSkipsSizeHandling()
{
    TSortGrid grid;
    int sizeChanges = 0;
    int modifiedEvents = 0;
    int beginEvents = 0;
    grid.OnSizeChanged = [&](TSortGrid *, int, int) { ++sizeChanges; };
    grid.OnModified = [&](TSortGrid *) { ++modifiedEvents; };
    grid.OnBeginUpdate = [&](TMyCustomGrid *) { ++beginEvents; };
    grid.BeginUpdate();
    QVERIFY(grid.NowUpdating());
    QVERIFY(!grid.isEnabled());
    grid.setRowCount(12);
    grid.EndUpdate();
    QVERIFY(!grid.NowUpdating());
    QVERIFY(grid.isEnabled());
    QCOMPARE(grid.RowCount(), 12);
    QCOMPARE(sizeChanges, 0);
    QCOMPARE(modifiedEvents, 0);
    QCOMPARE(beginEvents, 1);
    QVERIFY(!grid.Modified());
}

void TestGridModel::bracketIsAFlag()
{
    TSortGrid grid;
    grid.SortOptions()->setUpdateOnSizeChange(true);
    grid.BeginUpdate();
    grid.BeginUpdate();
    QVERIFY(!grid.SortOptions()->UpdateOnSizeChange());
    grid.EndUpdate();
    // The inner end closes the outer bracket too and restores the saved value.
    QVERIFY(!grid.NowUpdating());
    QVERIFY(grid.SortOptions()->UpdateOnSizeChange());
}

void TestGridModel::sizeChangeOutsideBracket()
{
    TSortGrid grid;
    QList<QPair<int, int>> changes;
    int modifiedEvents = 0;
    grid.OnSizeChanged = [&](TSortGrid *, int oldCols, int oldRows) { changes << qMakePair(oldCols, oldRows); };
    grid.OnModified = [&](TSortGrid *) { ++modifiedEvents; };
    grid.setRowCount(8);
    grid.setColCount(6);
    QCOMPARE(changes, (QList<QPair<int, int>>{{5, 5}, {5, 8}}));
    QVERIFY(grid.Modified());
    QCOMPARE(modifiedEvents, 2);
    QCOMPARE(grid.RowFormats().size(), size_t(8));
    QCOMPARE(grid.ColFormats().size(), size_t(6));
    QCOMPARE(grid.Row(), 1);
    QCOMPARE(grid.Col(), 0);
    // Setting the same count again changes nothing.
    grid.setRowCount(8);
    QCOMPARE(changes.size(), 2);
}

void TestGridModel::rowCountOneShowsMessage()
{
    TSortGrid grid;
    QStringList messages;
    grid.ShowMessage = [&](const QString &text) { messages << text; };
    grid.setRowCount(1);
    QCOMPARE(messages, QStringList{"Rowsize too small"});
    QCOMPARE(grid.RowCount(), 1);
    grid.setRowCount(2);
    QCOMPARE(messages.size(), 1);
}

void TestGridModel::updateOnSizeChangeResorts()
{
    TSortGrid grid;
    FillGrid(grid, {{"K"}, {"c"}, {"a"}, {"b"}});
    grid.SortOptions()->setUpdateOnSizeChange(true);
    grid.setRowCount(5); // outside a bracket: re-sorts, the new empty row first
    QCOMPARE(DataColumn(grid, 0), (QStringList{"", "a", "b", "c"}));

    TSortGrid quiet;
    FillGrid(quiet, {{"K"}, {"c"}, {"a"}});
    quiet.SortOptions()->setUpdateOnSizeChange(true);
    quiet.BeginUpdate();
    quiet.setRowCount(4);
    quiet.EndUpdate();
    QCOMPARE(DataColumn(quiet, 0), (QStringList{"c", "a", ""}));
}

void TestGridModel::clearResetsProtocol()
{
    TSortGrid grid;
    FillGrid(grid, {{"Nr.", "Zeit"}, {"00001", "1,0"}, {"00002", "2,0"}, {"00003", "3,0"}});
    grid.setModified(true);
    grid.ColFormats()[1].Active = true;
    int modifiedEvents = 0;
    int rowSelected = 0;
    grid.OnModified = [&](TSortGrid *) { ++modifiedEvents; };
    grid.OnRowSelected = [&](TSortGrid *) { ++rowSelected; };
    grid.Clear();
    QCOMPARE(grid.RowCount(), 2);
    QVERIFY(!grid.Modified());
    QCOMPARE(modifiedEvents, 0);
    QCOMPARE(rowSelected, 1);
    QCOMPARE(grid.Cells(0, 0), QStringLiteral("Nr."));
    QCOMPARE(grid.Cells(0, 1), QString());
    QCOMPARE(grid.Cells(1, 3), QString());
    QVERIFY(grid.SelectedRows().isEmpty());
    QCOMPARE(grid.AnchorRows(), QStringList{"1"});
    QCOMPARE(grid.Row(), 1);
    QVERIFY(!grid.ColFormats()[1].Active);
    QVERIFY(!grid.NowUpdating());
    // Every column was auto-sized: nothing is left at the default width.
    for (int c = 0; c < grid.ColCount(); ++c)
        QVERIFY(grid.ColWidths(c) != grid.DefaultColWidth());
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
    TSortGrid grid;
    grid.SortOptions()->setSortCol(sortCol);
    grid.setModified(false);
    grid.MoveColumn(from, to);
    QCOMPARE(grid.SortOptions()->SortCol(), expected);
    QVERIFY(grid.Modified());
}

void TestGridModel::columnMoveMovesCellsAndFormats()
{
    TSortGrid grid;
    grid.Rows(0) = QStringList{"A", "B", "C", "D", "E"};
    grid.setColWidths(0, 33);
    grid.ColFormats()[0].Active = true;
    grid.MoveColumn(0, 2);
    QCOMPARE(grid.Rows(0).ToStringList(), (QStringList{"B", "C", "A", "D", "E"}));
    QCOMPARE(grid.ColWidths(2), 33);
    QVERIFY(grid.ColFormats()[2].Active);
    QVERIFY(!grid.ColFormats()[0].Active);
}

void TestGridModel::userSettingsSetModified()
{
    TSortGrid grid;
    grid.setUserSettings(QStringList{"a=1"});
    QCOMPARE(grid.UserSettings(), QStringList{"a=1"});
    QVERIFY(grid.Modified());
}

void TestGridModel::modifiedFiresOnEverySetToTrue()
{
    TSortGrid grid;
    int events = 0;
    grid.OnModified = [&](TSortGrid *) { ++events; };
    grid.setModified(true);
    grid.setModified(true);
    grid.setModified(false);
    QCOMPARE(events, 2);
    QVERIFY(!grid.Modified());
}

void TestGridModel::fixedCountsFollowShrink()
{
    TSortGrid grid;
    grid.ShowMessage = [](const QString &) {};
    grid.setFixedCols(2);
    grid.setColCount(2);
    QCOMPARE(grid.FixedCols(), 1);
    grid.setRowCount(1);
    QCOMPARE(grid.FixedRows(), 0);
}

QTEST_MAIN(TestGridModel)
#include "tst_GridModel.moc"
