#include "GridTestHelpers.h"

#include <QSignalSpy>
#include <QTest>

// Filtering, hidden rows, the row selection and the row and column operations.
class TestSortGridRows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void selectionFollowsCursor();
    void filterAcceptingNoRowHidesAll();
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
    std::unique_ptr<TestGrid> makeGrid(const QStringList &keys);
};

void TestSortGridRows::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

std::unique_ptr<TestGrid> TestSortGridRows::makeGrid(const QStringList &keys)
{
    auto grid = std::make_unique<TestGrid>();
    grid->setColCount(2);
    QList<QStringList> rows{{"Key", "Tag"}};
    for (int i = 0; i < keys.size(); ++i)
        rows << QStringList{keys.at(i), QString::number(i + 1)};
    fillGrid(*grid, rows);
    grid->setModified(false);
    grid->resize(300, 200);
    return grid;
}

void TestSortGridRows::selectionFollowsCursor()
{
    auto grid = makeGrid({"a", "b", "c", "d"});
    grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    grid->setFocus();
    QSignalSpy selectedEvents(grid.get(), &SortGrid::rowSelected);
    grid->gotoCell(0, 1, true);
    for (int expected : {2, 3, 4, 4}) {
        QTest::keyClick(grid.get(), Qt::Key_Down);
        QCOMPARE(grid->selectedRows(), QStringList{QString::number(expected)});
        QCOMPARE(grid->anchorRows().first(), QString::number(expected));
    }
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(1, 2).center());
    QCOMPARE(grid->selectedRows(), QStringList{"2"});
    QVERIFY(selectedEvents.count() >= 4);
    grid->clear();
    QVERIFY(grid->selectedRows().isEmpty());
}

void TestSortGridRows::filterAcceptingNoRowHidesAll()
{
    auto grid = makeGrid({"a", "b", "c"});
    QVERIFY(!grid->SortGrid::filterAcceptsRow({"a", "1"})); // the plain grid's filter
    grid->sortOptions()->setCanSort(false);
    grid->setFiltered(true);
    QVERIFY(grid->filtered());
    QCOMPARE(grid->rowCount(), 2);
    QCOMPARE(grid->hiddenCount(), 3);
    QVERIFY(grid->isRowEmpty(1));
    QCOMPARE(grid->cells(0, 0), QStringLiteral("Key"));
    grid->setFiltered(false);
    QCOMPARE(grid->rowCount(), 4);
    QCOMPARE(grid->hiddenCount(), 0);
    // The former row 1 comes back last.
    QCOMPARE(dataColumn(*grid, 0), (QStringList{"b", "c", "a"}));
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
    auto grid = makeGrid({"e", "d", "c", "b", "a"});
    grid->sortOptions()->setCanSort(canSort);
    grid->filterColumn = 1;
    grid->filterTexts = QStringList{"2", "4"};
    grid->setFiltered(true);
    QCOMPARE(grid->filterAsked.size(), 5);
    QCOMPARE(grid->filterAsked.first(), (QStringList{"e", "1"}));
    QCOMPARE(grid->rowCount(), 3);
    QCOMPARE(grid->hiddenCount(), 3);
    QCOMPARE(dataColumn(*grid, 0), shown);
    QCOMPARE(grid->currentRow(), 1);
    grid->setFiltered(false);
    QCOMPARE(grid->rowCount(), 6);
    QCOMPARE(grid->hiddenCount(), 0);
    QCOMPARE(dataColumn(*grid, 0), afterwards);
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
    auto grid = makeGrid({"a", "b", "c"});
    grid->setModified(modified);
    grid->filterTexts = QStringList{"b"};
    grid->setFiltered(true);
    QCOMPARE(grid->modified(), modified);
    grid->setFiltered(false);
    QCOMPARE(grid->modified(), modified);
    QVERIFY(!grid->nowUpdating());
    QVERIFY(grid->isEnabled());
}

void TestSortGridRows::filterEmptyProtocolDoesNothing()
{
    TestGrid grid;
    grid.setColCount(2);
    grid.beginUpdate();
    grid.setRowCount(2);
    grid.endUpdate();
    grid.setCells(0, 0, QStringLiteral("Key"));
    grid.setFiltered(true);
    QVERIFY(grid.filtered());
    QVERIFY(grid.filterAsked.isEmpty());
    QCOMPARE(grid.hiddenCount(), 0);
    QCOMPARE(grid.rowCount(), 2);
}

void TestSortGridRows::filterTwiceKeepsEveryRow()
{
    auto grid = makeGrid({"a", "b", "c", "d"});
    grid->sortOptions()->setCanSort(false);
    grid->filterTexts = QStringList{"b", "c", "d"};
    grid->setFiltered(true);
    grid->filterTexts = QStringList{"a"};
    grid->setFiltered(true);
    QCOMPARE(dataColumn(*grid, 0), QStringList{"a"});
    grid->setFiltered(false);
    QStringList all = dataColumn(*grid, 0);
    std::sort(all.begin(), all.end());
    QCOMPARE(all, (QStringList{"a", "b", "c", "d"}));
}

void TestSortGridRows::deleteWhileFilteredKeepsHiddenRows()
{
    auto grid = makeGrid({"a", "b", "c", "d"});
    grid->sortOptions()->setCanSort(false);
    grid->filterTexts = QStringList{"a", "c"};
    grid->setFiltered(true);
    QCOMPARE(dataColumn(*grid, 0), (QStringList{"a", "c"}));
    grid->deleteRow(1);
    QCOMPARE(dataColumn(*grid, 0), QStringList{"c"});
    grid->setFiltered(false);
    QCOMPARE(dataColumn(*grid, 0), (QStringList{"c", "b", "d"}));
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
    auto grid = makeGrid({"a", "b", "c"});
    grid->setCells(grid->colCount(), 4, QStringLiteral("left over")); // a cell store leftover below the rows
    QSignalSpy reported(grid.get(), &SortGrid::rowInserted);
    grid->insertRow(at);
    QCOMPARE(reported, (QList<QList<QVariant>>{{insertedRow}}));
    QCOMPARE(grid->rowCount(), 5);
    QCOMPARE(dataColumn(*grid, 0), keys);
    QCOMPARE(grid->currentRow(), insertedRow);
    QCOMPARE(grid->selectedRows(), QStringList{QString::number(insertedRow)});
    QVERIFY(grid->modified());
    QCOMPARE(grid->rowFormats().size(), size_t(5));
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
    auto grid = makeGrid(keys);
    grid->rowFormats()[size_t(row)].active = true;
    QSignalSpy reported(grid.get(), &SortGrid::rowDeleted);
    grid->deleteRow(row);
    QCOMPARE(reported, (QList<QList<QVariant>>{{row}}));
    QVERIFY(grid->modified());
    QCOMPARE(dataColumn(*grid, 0), expected);
    QCOMPARE(grid->rowCount(), int(expected.size()) + 1);
    if (keys.size() > 1) {
        QCOMPARE(grid->rowFormats().size(), size_t(grid->rowCount()));
        for (const FontSetting &s : grid->rowFormats())
            QVERIFY(!s.active);
    }
}

void TestSortGridRows::insertAndDeleteColumnKeepFormatCell()
{
    auto grid = makeGrid({"a", "b"});
    grid->setCells(2, 1, QStringLiteral("format"));
    QSignalSpy inserted(grid.get(), &SortGrid::columnInserted);
    QSignalSpy deleted(grid.get(), &SortGrid::columnDeleted);
    grid->insertColumn(0);
    QCOMPARE(inserted, (QList<QList<QVariant>>{{0}}));
    QCOMPARE(grid->colCount(), 3);
    QCOMPARE(grid->rowStrings(1).toStringList(), (QStringList{"", "a", "1"}));
    QCOMPARE(grid->cells(3, 1), QStringLiteral("format"));
    QCOMPARE(grid->currentCol(), 0);
    grid->deleteColumn(1);
    QCOMPARE(deleted, (QList<QList<QVariant>>{{1}}));
    QCOMPARE(grid->rowStrings(1).toStringList(), (QStringList{"", "1"}));
    QCOMPARE(grid->cells(2, 1), QStringLiteral("format"));
}

void TestSortGridRows::extendedKeys()
{
    auto grid = makeGrid({"a"});
    grid->setExtendedKeys(true);
    grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    grid->setFocus();
    grid->gotoCell(0, 1, false);
    QTest::keyClick(grid.get(), Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(grid->rowCount(), 2);
    QCOMPARE(grid->cells(0, 1), QStringLiteral("a"));
    QTest::keyClick(grid.get(), Qt::Key_Insert, Qt::ControlModifier);
    QCOMPARE(grid->rowCount(), 3);
    QCOMPARE(dataColumn(*grid, 0), (QStringList{"a", ""}));
    QTest::keyClick(grid.get(), Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(grid->rowCount(), 2);
    QTest::keyClick(grid.get(), Qt::Key_Insert, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(grid->colCount(), 3);
    QTest::keyClick(grid.get(), Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(grid->colCount(), 2);
    // Alt with Ctrl is not one of the combinations.
    QTest::keyClick(grid.get(), Qt::Key_Insert, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(grid->rowCount(), 2);

    grid->setExtendedKeys(false);
    QTest::keyClick(grid.get(), Qt::Key_Insert, Qt::ControlModifier);
    QCOMPARE(grid->rowCount(), 2);
}

void TestSortGridRows::ctrlClickKeepsOnlySelectedRow()
{
    auto grid = makeGrid({"a", "b", "c"});
    grid->setMultiSelect(true);
    QVERIFY(grid->options() & GridOption::RowSelect);
    grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    QWidget *vp = grid->viewport();
    QTest::mouseClick(vp, Qt::LeftButton, {}, grid->cellRect(0, 2).center());
    QCOMPARE(grid->selectedRows(), QStringList{"2"});
    QTest::mouseClick(vp, Qt::LeftButton, Qt::ControlModifier, grid->cellRect(0, 2).center());
    QCOMPARE(grid->selectedRows(), QStringList{"2"});
    QVERIFY(grid->isRowSelected(2));
}

void TestSortGridRows::ctrlAndShiftClickSelectRows()
{
    auto grid = makeGrid({"a", "b", "c", "d"});
    grid->setMultiSelect(true);
    grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    QWidget *vp = grid->viewport();
    QSignalSpy selectedEvents(grid.get(), &SortGrid::rowSelected);
    QTest::mouseClick(vp, Qt::LeftButton, {}, grid->cellRect(0, 1).center());
    QTest::mouseClick(vp, Qt::LeftButton, Qt::ControlModifier, grid->cellRect(0, 3).center());
    QCOMPARE(grid->selectedRows(), (QStringList{"1", "3"}));
    QCOMPARE(grid->currentRow(), 3);
    QTest::mouseClick(vp, Qt::LeftButton, Qt::ControlModifier, grid->cellRect(0, 1).center());
    QCOMPARE(grid->selectedRows(), QStringList{"3"});
    QVERIFY(selectedEvents.count() >= 3);
    // A plain click makes one row the only selected row again.
    QTest::mouseClick(vp, Qt::LeftButton, {}, grid->cellRect(0, 4).center());
    QCOMPARE(grid->selectedRows(), QStringList{"4"});
    QCOMPARE(grid->anchorRows().first(), QStringLiteral("4"));
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
    auto grid = makeGrid({"a", "b", "c"});
    grid->setOptions(grid->options() & ~GridOptions(GridOption::RangeSelect));
    grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    grid->gotoCell(0, 2, false);

    QWidget *vp = grid->viewport();
    const QPoint from = grid->cellRect(0, 2).center();
    QTest::mousePress(vp, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(0, distance)),
                     vp->mapToGlobal(QPointF(from + QPoint(0, distance))), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(vp, &move);
    QTest::mouseRelease(vp, Qt::LeftButton, {}, from + QPoint(0, distance));
    QCOMPARE(grid->dragsStarted, drags ? 1 : 0);
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
    auto grid = makeGrid(keys);
    grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    grid->setTopRow(50);
    grid->scrollToCell(0, row);
    if (top < 0)
        top = grid->rowCount() - grid->visibleRowCount();
    QCOMPARE(grid->topRow(), top);
    QVERIFY(!grid->cellRect(0, row).isEmpty());
}

void TestSortGridRows::selectCellRefusalStopsGotoCell()
{
    auto grid = makeGrid({"a", "b", "c"});
    grid->gotoCell(1, 1, false);
    grid->refusedColumns = {0};
    grid->gotoCell(0, 3, false);
    QCOMPARE(grid->currentRow(), 1);
    QCOMPARE(grid->selectedRows(), QStringList{"1"});
    grid->gotoCell(1, 3, false);
    QCOMPARE(grid->currentRow(), 3);
    QCOMPARE(grid->selectedRows(), QStringList{"3"});
}

void TestSortGridRows::swapRows()
{
    auto grid = makeGrid({"a", "b", "c", "d"});
    grid->swapRows(1, 3);
    QCOMPARE(dataColumn(*grid, 0), (QStringList{"c", "b", "a", "d"}));
    grid->swapRows(4, 2);
    QCOMPARE(dataColumn(*grid, 0), (QStringList{"c", "d", "a", "b"}));
}

void TestSortGridRows::hideRowsMovesToFirstRow()
{
    auto grid = makeGrid({"a", "b", "c"});
    grid->gotoCell(0, 3, false);
    grid->setHideRows(true);
    QVERIFY(grid->hideRows());
    QCOMPARE(grid->currentRow(), 1);
}

QTEST_MAIN(TestSortGridRows)
#include "tst_sortgridrows.moc"
