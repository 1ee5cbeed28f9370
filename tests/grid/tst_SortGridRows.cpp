#include "GridTestHelpers.h"

#include <QTest>

// Filtering, hidden rows, the row selection and the row and column operations.
class TestSortGridRows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void selectionFollowsCursor();
    void filterWithoutHandlerHidesAll();
    void filterAcceptsSomeRows_data();
    void filterAcceptsSomeRows();
    void filterKeepsModified_data();
    void filterKeepsModified();
    void filterEmptyProtocolDoesNothing();
    void filterTwiceKeepsEveryRow();
    void deleteWhileFilteredKeepsHiddenRows();
    void insertRow_data();
    void insertRow();
    void deleteRow_data();
    void deleteRow();
    void insertAndDeleteColumnKeepFormatCell();
    void extendedKeys();
    void ctrlClickKeepsOnlySelectedRow();
    void ctrlAndShiftClickSelectRows();
    void dragStartsAfterTenPixels_data();
    void dragStartsAfterTenPixels();
    void scrollToCell_data();
    void scrollToCell();
    void selectCellRefusalStopsGotoCell();
    void swapRows();
    void hideRowsMovesToFirstRow();

private:
    std::unique_ptr<TSortGrid> MakeGrid(const QStringList &keys);
};

void TestSortGridRows::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

std::unique_ptr<TSortGrid> TestSortGridRows::MakeGrid(const QStringList &keys)
{
    auto grid = std::make_unique<TSortGrid>();
    grid->ShowMessage = [](const QString &) {};
    grid->setColCount(2);
    QList<QStringList> rows{{"Key", "Tag"}};
    for (int i = 0; i < keys.size(); ++i)
        rows << QStringList{keys.at(i), QString::number(i + 1)};
    FillGrid(*grid, rows);
    grid->setModified(false);
    grid->resize(300, 200);
    return grid;
}

void TestSortGridRows::selectionFollowsCursor()
{
    auto grid = MakeGrid({"a", "b", "c", "d"});
    grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    grid->setFocus();
    int selectedEvents = 0;
    grid->OnRowSelected = [&](TSortGrid *) { ++selectedEvents; };
    grid->GotoCell(0, 1, true);
    for (int expected : {2, 3, 4, 4}) {
        QTest::keyClick(grid.get(), Qt::Key_Down);
        QCOMPARE(grid->SelectedRows(), QStringList{QString::number(expected)});
        QCOMPARE(grid->AnchorRows().first(), QString::number(expected));
    }
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(1, 2).center());
    QCOMPARE(grid->SelectedRows(), QStringList{"2"});
    QVERIFY(selectedEvents >= 4);
    grid->Clear();
    QVERIFY(grid->SelectedRows().isEmpty());
}

void TestSortGridRows::filterWithoutHandlerHidesAll()
{
    auto grid = MakeGrid({"a", "b", "c"});
    grid->SortOptions()->setCanSort(false);
    grid->setFiltered(true);
    QVERIFY(grid->Filtered());
    QCOMPARE(grid->RowCount(), 2);
    QCOMPARE(grid->HiddenCount(), 3);
    QVERIFY(grid->IsRowEmpty(1));
    QCOMPARE(grid->Cells(0, 0), QStringLiteral("Key"));
    grid->setFiltered(false);
    QCOMPARE(grid->RowCount(), 4);
    QCOMPARE(grid->HiddenCount(), 0);
    // The former row 1 comes back last.
    QCOMPARE(DataColumn(*grid, 0), (QStringList{"b", "c", "a"}));
}

void TestSortGridRows::filterAcceptsSomeRows_data()
{
    QTest::addColumn<bool>("canSort");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("afterwards");
    QTest::newRow("unsorted") << false << QStringList{"d", "b"} << QStringList{"d", "b", "e", "c", "a"};
    QTest::newRow("sorted") << true << QStringList{"b", "d"} << QStringList{"a", "b", "c", "d", "e"};
}

void TestSortGridRows::filterAcceptsSomeRows()
{
    QFETCH(bool, canSort);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, afterwards);
    auto grid = MakeGrid({"e", "d", "c", "b", "a"});
    grid->SortOptions()->setCanSort(canSort);
    QList<QStringList> asked;
    grid->OnSetFilter = [&](const QStringList &cells, bool &accept) {
        asked << cells;
        accept = cells.at(1) == QLatin1String("2") || cells.at(1) == QLatin1String("4");
    };
    grid->setFiltered(true);
    QCOMPARE(asked.size(), 5);
    QCOMPARE(asked.first(), (QStringList{"e", "1"}));
    QCOMPARE(grid->RowCount(), 3);
    QCOMPARE(grid->HiddenCount(), 3);
    QCOMPARE(DataColumn(*grid, 0), shown);
    QCOMPARE(grid->Row(), 1);
    grid->setFiltered(false);
    QCOMPARE(grid->RowCount(), 6);
    QCOMPARE(grid->HiddenCount(), 0);
    QCOMPARE(DataColumn(*grid, 0), afterwards);
}

void TestSortGridRows::filterKeepsModified_data()
{
    QTest::addColumn<bool>("modified");
    QTest::newRow("unmodified") << false;
    QTest::newRow("modified") << true;
}

void TestSortGridRows::filterKeepsModified()
{
    QFETCH(bool, modified);
    auto grid = MakeGrid({"a", "b", "c"});
    grid->setModified(modified);
    grid->OnSetFilter = [](const QStringList &cells, bool &accept) { accept = cells.at(0) == QLatin1String("b"); };
    grid->setFiltered(true);
    QCOMPARE(grid->Modified(), modified);
    grid->setFiltered(false);
    QCOMPARE(grid->Modified(), modified);
    QVERIFY(!grid->NowUpdating());
    QVERIFY(grid->isEnabled());
}

void TestSortGridRows::filterEmptyProtocolDoesNothing()
{
    TSortGrid grid;
    grid.setColCount(2);
    grid.BeginUpdate();
    grid.setRowCount(2);
    grid.EndUpdate();
    grid.setCells(0, 0, QStringLiteral("Key"));
    int asked = 0;
    grid.OnSetFilter = [&](const QStringList &, bool &) { ++asked; };
    grid.setFiltered(true);
    QVERIFY(grid.Filtered());
    QCOMPARE(asked, 0);
    QCOMPARE(grid.HiddenCount(), 0);
    QCOMPARE(grid.RowCount(), 2);
}

void TestSortGridRows::filterTwiceKeepsEveryRow()
{
    auto grid = MakeGrid({"a", "b", "c", "d"});
    grid->SortOptions()->setCanSort(false);
    grid->OnSetFilter = [](const QStringList &cells, bool &accept) { accept = cells.at(0) != QLatin1String("a"); };
    grid->setFiltered(true);
    grid->OnSetFilter = [](const QStringList &cells, bool &accept) { accept = cells.at(0) == QLatin1String("a"); };
    grid->setFiltered(true);
    QCOMPARE(DataColumn(*grid, 0), QStringList{"a"});
    grid->setFiltered(false);
    QStringList all = DataColumn(*grid, 0);
    std::sort(all.begin(), all.end());
    QCOMPARE(all, (QStringList{"a", "b", "c", "d"}));
}

void TestSortGridRows::deleteWhileFilteredKeepsHiddenRows()
{
    auto grid = MakeGrid({"a", "b", "c", "d"});
    grid->SortOptions()->setCanSort(false);
    grid->OnSetFilter = [](const QStringList &cells, bool &accept) {
        accept = cells.at(0) == QLatin1String("a") || cells.at(0) == QLatin1String("c");
    };
    grid->setFiltered(true);
    QCOMPARE(DataColumn(*grid, 0), (QStringList{"a", "c"}));
    grid->DeleteRow(1);
    QCOMPARE(DataColumn(*grid, 0), QStringList{"c"});
    grid->setFiltered(false);
    QCOMPARE(DataColumn(*grid, 0), (QStringList{"c", "b", "d"}));
}

void TestSortGridRows::insertRow_data()
{
    QTest::addColumn<int>("at");
    QTest::addColumn<int>("insertedRow");
    QTest::addColumn<QStringList>("keys");
    QTest::newRow("first row") << 1 << 1 << QStringList{"", "a", "b", "c"};
    QTest::newRow("middle row") << 2 << 2 << QStringList{"a", "", "b", "c"};
    QTest::newRow("last row appends") << 3 << 4 << QStringList{"a", "b", "c", ""};
}

void TestSortGridRows::insertRow()
{
    QFETCH(int, at);
    QFETCH(int, insertedRow);
    QFETCH(QStringList, keys);
    auto grid = MakeGrid({"a", "b", "c"});
    grid->setCells(grid->ColCount(), 4, QStringLiteral("left over")); // a cell store leftover below the rows
    int reported = -1;
    grid->OnRowInsert = [&](TSortGrid *, int row) { reported = row; };
    grid->InsertRow(at);
    QCOMPARE(reported, insertedRow);
    QCOMPARE(grid->RowCount(), 5);
    QCOMPARE(DataColumn(*grid, 0), keys);
    QCOMPARE(grid->Row(), insertedRow);
    QCOMPARE(grid->SelectedRows(), QStringList{QString::number(insertedRow)});
    QVERIFY(grid->Modified());
    QCOMPARE(grid->RowFormats().size(), size_t(5));
}

void TestSortGridRows::deleteRow_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("only data row is emptied") << QStringList{"a"} << 1 << QStringList{""};
    QTest::newRow("middle row removed") << QStringList{"a", "b", "c"} << 2 << QStringList{"a", "c"};
    QTest::newRow("last row removed") << QStringList{"a", "b", "c"} << 3 << QStringList{"a", "b"};
}

void TestSortGridRows::deleteRow()
{
    QFETCH(QStringList, keys);
    QFETCH(int, row);
    QFETCH(QStringList, expected);
    auto grid = MakeGrid(keys);
    grid->RowFormats()[size_t(row)].Active = true;
    int reported = -1;
    grid->OnRowDelete = [&](TSortGrid *, int r) { reported = r; };
    grid->DeleteRow(row);
    QCOMPARE(reported, row);
    QVERIFY(grid->Modified());
    QCOMPARE(DataColumn(*grid, 0), expected);
    QCOMPARE(grid->RowCount(), int(expected.size()) + 1);
    if (keys.size() > 1) {
        QCOMPARE(grid->RowFormats().size(), size_t(grid->RowCount()));
        for (const TFontSetting &s : grid->RowFormats())
            QVERIFY(!s.Active);
    }
}

void TestSortGridRows::insertAndDeleteColumnKeepFormatCell()
{
    auto grid = MakeGrid({"a", "b"});
    grid->setCells(2, 1, QStringLiteral("format"));
    int inserted = -1;
    int deleted = -1;
    grid->OnColumnInsert = [&](TSortGrid *, int c) { inserted = c; };
    grid->OnColumnDelete = [&](TSortGrid *, int c) { deleted = c; };
    grid->InsertColumn(0);
    QCOMPARE(inserted, 0);
    QCOMPARE(grid->ColCount(), 3);
    QCOMPARE(grid->Rows(1).ToStringList(), (QStringList{"", "a", "1"}));
    QCOMPARE(grid->Cells(3, 1), QStringLiteral("format"));
    QCOMPARE(grid->Col(), 0);
    grid->DeleteColumn(1);
    QCOMPARE(deleted, 1);
    QCOMPARE(grid->Rows(1).ToStringList(), (QStringList{"", "1"}));
    QCOMPARE(grid->Cells(2, 1), QStringLiteral("format"));
}

void TestSortGridRows::extendedKeys()
{
    auto grid = MakeGrid({"a"});
    grid->setExtendedKeys(true);
    grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    grid->setFocus();
    grid->GotoCell(0, 1, false);
    QTest::keyClick(grid.get(), Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(grid->RowCount(), 2);
    QCOMPARE(grid->Cells(0, 1), QStringLiteral("a"));
    QTest::keyClick(grid.get(), Qt::Key_Insert, Qt::ControlModifier);
    QCOMPARE(grid->RowCount(), 3);
    QCOMPARE(DataColumn(*grid, 0), (QStringList{"a", ""}));
    QTest::keyClick(grid.get(), Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(grid->RowCount(), 2);
    QTest::keyClick(grid.get(), Qt::Key_Insert, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(grid->ColCount(), 3);
    QTest::keyClick(grid.get(), Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(grid->ColCount(), 2);
    // Alt with Ctrl is not one of the combinations.
    QTest::keyClick(grid.get(), Qt::Key_Insert, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(grid->RowCount(), 2);

    grid->setExtendedKeys(false);
    QTest::keyClick(grid.get(), Qt::Key_Insert, Qt::ControlModifier);
    QCOMPARE(grid->RowCount(), 2);
}

void TestSortGridRows::ctrlClickKeepsOnlySelectedRow()
{
    auto grid = MakeGrid({"a", "b", "c"});
    grid->setMultiSelect(true);
    QVERIFY(grid->Options() & goRowSelect);
    grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    QWidget *vp = grid->viewport();
    QTest::mouseClick(vp, Qt::LeftButton, {}, grid->CellRect(0, 2).center());
    QCOMPARE(grid->SelectedRows(), QStringList{"2"});
    QTest::mouseClick(vp, Qt::LeftButton, Qt::ControlModifier, grid->CellRect(0, 2).center());
    QCOMPARE(grid->SelectedRows(), QStringList{"2"});
    QVERIFY(grid->IsRowSelected(2));
}

void TestSortGridRows::ctrlAndShiftClickSelectRows()
{
    auto grid = MakeGrid({"a", "b", "c", "d"});
    grid->setMultiSelect(true);
    grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    QWidget *vp = grid->viewport();
    int selectedEvents = 0;
    grid->OnRowSelected = [&](TSortGrid *) { ++selectedEvents; };
    QTest::mouseClick(vp, Qt::LeftButton, {}, grid->CellRect(0, 1).center());
    QTest::mouseClick(vp, Qt::LeftButton, Qt::ControlModifier, grid->CellRect(0, 3).center());
    QCOMPARE(grid->SelectedRows(), (QStringList{"1", "3"}));
    QCOMPARE(grid->Row(), 3);
    QTest::mouseClick(vp, Qt::LeftButton, Qt::ControlModifier, grid->CellRect(0, 1).center());
    QCOMPARE(grid->SelectedRows(), QStringList{"3"});
    QVERIFY(selectedEvents >= 3);
    // A plain click makes one row the only selected row again.
    QTest::mouseClick(vp, Qt::LeftButton, {}, grid->CellRect(0, 4).center());
    QCOMPARE(grid->SelectedRows(), QStringList{"4"});
    QCOMPARE(grid->AnchorRows().first(), QStringLiteral("4"));
}

void TestSortGridRows::dragStartsAfterTenPixels_data()
{
    QTest::addColumn<int>("distance");
    QTest::addColumn<bool>("drags");
    QTest::newRow("ten pixels") << 10 << false;
    QTest::newRow("eleven pixels") << 11 << true;
}

void TestSortGridRows::dragStartsAfterTenPixels()
{
    QFETCH(int, distance);
    QFETCH(bool, drags);
    auto grid = MakeGrid({"a", "b", "c"});
    grid->setOptions(grid->Options() & ~TGridOptions(goRangeSelect));
    grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    grid->GotoCell(0, 2, false);
    int started = 0;
    grid->OnStartDrag = [&](TSortGrid *) { ++started; };
    QWidget *vp = grid->viewport();
    const QPoint from = grid->CellRect(0, 2).center();
    QTest::mousePress(vp, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(0, distance)), vp->mapToGlobal(QPointF(from + QPoint(0, distance))),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &move);
    QTest::mouseRelease(vp, Qt::LeftButton, {}, from + QPoint(0, distance));
    QCOMPARE(started, drags ? 1 : 0);
}

void TestSortGridRows::scrollToCell_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("top");
    QTest::newRow("first row shows the top") << 1 << 1;
    QTest::newRow("second visible row") << 30 << 29;
    QTest::newRow("last row shows the last page") << 99 << -1;
}

void TestSortGridRows::scrollToCell()
{
    QFETCH(int, row);
    QFETCH(int, top);
    QStringList keys;
    for (int i = 0; i < 99; ++i)
        keys << QString::number(i);
    auto grid = MakeGrid(keys);
    grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    grid->setTopRow(50);
    grid->ScrollToCell(0, row);
    if (top < 0)
        top = grid->RowCount() - grid->VisibleRowCount();
    QCOMPARE(grid->TopRow(), top);
    QVERIFY(!grid->CellRect(0, row).isEmpty());
}

void TestSortGridRows::selectCellRefusalStopsGotoCell()
{
    auto grid = MakeGrid({"a", "b", "c"});
    grid->GotoCell(1, 1, false);
    grid->OnSelectCell = [](TMyCustomGrid *, int col, int, bool &canSelect) { canSelect = col != 0; };
    grid->GotoCell(0, 3, false);
    QCOMPARE(grid->Row(), 1);
    QCOMPARE(grid->SelectedRows(), QStringList{"1"});
    grid->GotoCell(1, 3, false);
    QCOMPARE(grid->Row(), 3);
    QCOMPARE(grid->SelectedRows(), QStringList{"3"});
}

void TestSortGridRows::swapRows()
{
    auto grid = MakeGrid({"a", "b", "c", "d"});
    grid->SwapRows(1, 3);
    QCOMPARE(DataColumn(*grid, 0), (QStringList{"c", "b", "a", "d"}));
    grid->SwapRows(4, 2);
    QCOMPARE(DataColumn(*grid, 0), (QStringList{"c", "d", "a", "b"}));
}

void TestSortGridRows::hideRowsMovesToFirstRow()
{
    auto grid = MakeGrid({"a", "b", "c"});
    grid->GotoCell(0, 3, false);
    grid->setHideRows(true);
    QVERIFY(grid->HideRows());
    QCOMPARE(grid->Row(), 1);
}

QTEST_MAIN(TestSortGridRows)
#include "tst_SortGridRows.moc"
