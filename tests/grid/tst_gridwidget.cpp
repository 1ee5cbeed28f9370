#include "GridTestHelpers.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

// The grid as a widget, driven through real mouse and key events: title clicks,
// column sizing, cell editing, navigation, scrolling and what gets painted.
class TestGridWidget : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void titleClickSorts();
    void titleClickNearEdgeDoesNotSort();
    void titleClickWithoutCanSortOnlyTurnsDirection();
    void dragColumnBorderResizes();
    void editCellCommitsWithEnter();
    void editCellEscapeRestores();
    void typingStartsEditorInUpperCase();
    void keyboardNavigation_data();
    void keyboardNavigation();
    void hiddenColumnSkipped();
    void paintingIndependentOfRowCount();
    void cellRightOfLastColumnNeverPainted();
    void topRowAndHitTesting();
    void doubleClickTitleBorderAutoSizes();
    void scrollBarsFollowSetting();
    void wheelMovesOneDownThreeUp();
    void lastColumnFillsWidth();
    void dragTitleMovesColumn();
    void shiftArrowsSelectRowRange();
    void editorFollowsDownKeyAndValidates();

private:
    std::unique_ptr<TestGrid> makeGrid(int rows);
    QPoint titleCenter(SortGrid &grid, int col) { return grid.cellRect(col, 0).center(); }
};

void TestGridWidget::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

std::unique_ptr<TestGrid> TestGridWidget::makeGrid(int rows)
{
    auto grid = std::make_unique<TestGrid>();
    grid->resize(400, 300);
    grid->beginUpdate();
    grid->setRowCount(rows);
    grid->rowStrings(0) = QStringList{"Nr.", "Name", "Zeit", "Land", "Stat"};
    for (int r = 1; r < rows; ++r)
        grid->rowStrings(r) = QStringList{QString::number(r), QStringLiteral("n%1").arg((r * 7) % rows),
                                          QString(), QString(), QString()};
    grid->endUpdate();
    grid->setModified(false);
    grid->show();
    return grid;
}

void TestGridWidget::titleClickSorts()
{
    auto grid = makeGrid(6);
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    QWidget *vp = grid->viewport();
    QTest::mouseClick(vp, Qt::LeftButton, {}, titleCenter(*grid, 1));
    QCOMPARE(grid->sortOptions()->sortCol(), 1);
    QCOMPARE(grid->sortOptions()->sortDirection(), SortDirection::Ascending);
    QCOMPARE(dataColumn(*grid, 1), (QStringList{"n1", "n2", "n3", "n4", "n5"}));

    QTest::mouseClick(vp, Qt::LeftButton, {}, titleCenter(*grid, 1));
    QCOMPARE(grid->sortOptions()->sortDirection(), SortDirection::Descending);
    QCOMPARE(dataColumn(*grid, 1), (QStringList{"n5", "n4", "n3", "n2", "n1"}));

    // Another column after descending: ascending again.
    QTest::mouseClick(vp, Qt::LeftButton, {}, titleCenter(*grid, 0));
    QCOMPARE(grid->sortOptions()->sortCol(), 0);
    QCOMPARE(grid->sortOptions()->sortDirection(), SortDirection::Ascending);
    // The right button always sorts descending.
    QTest::mouseClick(vp, Qt::RightButton, {}, titleCenter(*grid, 1));
    QCOMPARE(grid->sortOptions()->sortDirection(), SortDirection::Descending);
    QCOMPARE(dataColumn(*grid, 1).first(), QStringLiteral("n5"));
    QVERIFY(!grid->modified());
}

void TestGridWidget::titleClickNearEdgeDoesNotSort()
{
    auto grid = makeGrid(6);
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    const QRect title = grid->cellRect(1, 0);
    const QStringList before = dataColumn(*grid, 1);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(title.left() + 4, title.center().y()));
    QCOMPARE(grid->sortOptions()->sortCol(), 0);
    QCOMPARE(dataColumn(*grid, 1), before);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(title.left() + 6, title.center().y()));
    QCOMPARE(grid->sortOptions()->sortCol(), 1);
}

void TestGridWidget::titleClickWithoutCanSortOnlyTurnsDirection()
{
    auto grid = makeGrid(6);
    grid->sortOptions()->setCanSort(false);
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    const QStringList before = dataColumn(*grid, 1);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, titleCenter(*grid, 0));
    QCOMPARE(grid->sortOptions()->sortDirection(), SortDirection::Descending);
    QCOMPARE(dataColumn(*grid, 1), before);
}

void TestGridWidget::dragColumnBorderResizes()
{
    auto grid = makeGrid(6);
    grid->setOptions(grid->options() | GridOption::ColSizing);
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    QWidget *vp = grid->viewport();
    const QRect title = grid->cellRect(1, 0);
    const int oldWidth = grid->columnWidth(1);
    const QPoint border(title.left() + title.width(), title.center().y());
    QSignalSpy widthEvents(grid.get(), &GridBase::columnWidthsChanged);
    QTest::mousePress(vp, Qt::LeftButton, {}, border);
    QTest::mouseMove(vp, border + QPoint(25, 0));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, border + QPoint(25, 0));
    QCOMPARE(grid->columnWidth(1), oldWidth + 25);
    QVERIFY(widthEvents.count() > 0);
    // Sizing is no title click.
    QCOMPARE(grid->sortOptions()->sortCol(), 0);
    QCOMPARE(grid->cellRect(2, 0).left(),
             grid->cellRect(1, 0).left() + oldWidth + 25 + grid->gridLineWidth());
}

void TestGridWidget::editCellCommitsWithEnter()
{
    auto grid = makeGrid(6);
    grid->setOptions(grid->options() | GridOption::Editing);
    QSignalSpy modifiedEvents(grid.get(), &SortGrid::markedModified);
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    QWidget *vp = grid->viewport();
    const QPoint cell = grid->cellRect(2, 3).center();
    QTest::mouseClick(vp, Qt::LeftButton, {}, cell);
    QCOMPARE(grid->currentCol(), 2);
    QCOMPARE(grid->currentRow(), 3);
    QTest::keyClick(grid.get(), Qt::Key_F2);
    QTRY_VERIFY(grid->inplaceEditor()->isVisible());
    QCOMPARE(grid->inplaceEditor()->geometry(), grid->cellRect(2, 3));
    QTest::keyClicks(grid->inplaceEditor(), QStringLiteral("1:02,5"));
    QTest::keyClick(grid->inplaceEditor(), Qt::Key_Return);
    QVERIFY(!grid->inplaceEditor()->isVisible());
    QCOMPARE(grid->cells(2, 3), QStringLiteral("1:02,5"));
    QVERIFY(grid->modified());
    QVERIFY(modifiedEvents.count() > 0);
}

void TestGridWidget::editCellEscapeRestores()
{
    auto grid = makeGrid(6);
    grid->setOptions(grid->options() | GridOption::Editing);
    grid->setCells(3, 2, QStringLiteral("GER"));
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(3, 2).center());
    QTest::keyClick(grid.get(), Qt::Key_Return); // Enter opens the editor as well
    QTRY_VERIFY(grid->inplaceEditor()->isVisible());
    QTest::keyClick(grid->inplaceEditor(), Qt::Key_A, Qt::NoModifier);
    QCOMPARE(grid->cells(3, 2), QStringLiteral("a")); // the text is written through at once
    QTest::keyClick(grid->inplaceEditor(), Qt::Key_Escape);
    QVERIFY(!grid->inplaceEditor()->isVisible());
    QCOMPARE(grid->cells(3, 2), QStringLiteral("GER"));
    QVERIFY(grid->hasFocus());
}

void TestGridWidget::typingStartsEditorInUpperCase()
{
    auto grid = makeGrid(6);
    grid->setOptions(grid->options() | GridOption::Editing);
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(4, 2).center());
    QTest::keyClicks(grid.get(), QStringLiteral("d"));
    QTRY_VERIFY(grid->inplaceEditor()->isVisible());
    QTest::keyClicks(grid->inplaceEditor(), QStringLiteral("nf"));
    QTest::keyClick(grid->inplaceEditor(), Qt::Key_Return);
    QCOMPARE(grid->cells(4, 2), QStringLiteral("Dnf"));
}

void TestGridWidget::keyboardNavigation_data()
{
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<bool>("tabs");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("row");
    QTest::newRow("down down right") << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Right} << false << 2
                                     << 3;
    QTest::newRow("up stops at first data row") << QList<int>{Qt::Key_Up, Qt::Key_Up} << false << 1 << 1;
    QTest::newRow("left stops at column 0") << QList<int>{Qt::Key_Left, Qt::Key_Left} << false << 0 << 1;
    QTest::newRow("end") << QList<int>{Qt::Key_End} << false << 4 << 1;
    QTest::newRow("home") << QList<int>{Qt::Key_Right, Qt::Key_Home} << false << 0 << 1;
    QTest::newRow("page down") << QList<int>{Qt::Key_PageDown} << false << 1 << 11;
    QTest::newRow("down past the end") << QList<int>(60, Qt::Key_Down) << false << 1 << 49;
    QTest::newRow("tab moves right") << QList<int>{Qt::Key_Tab, Qt::Key_Tab} << true << 3 << 1;
    QTest::newRow("tab wraps to next row")
        << QList<int>{Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab} << true << 0 << 2;
}

void TestGridWidget::keyboardNavigation()
{
    QFETCH(QList<int>, keys);
    QFETCH(bool, tabs);
    QFETCH(int, col);
    QFETCH(int, row);
    auto grid = makeGrid(50);
    grid->resize(400, 10 * 25 + 25 + 4); // title plus exactly ten data rows
    if (tabs)
        grid->setOptions(grid->options() | GridOption::Tabs);
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    grid->setFocus();
    grid->gotoCell(1, 1, true);
    for (int key : keys)
        QTest::keyClick(grid.get(), Qt::Key(key));
    QCOMPARE(grid->currentCol(), col);
    QCOMPARE(grid->currentRow(), row);
    QCOMPARE(grid->selectedRows(), QStringList{QString::number(row)});
    // The current cell is always in view.
    QVERIFY(!grid->cellRect(col, row).isEmpty());
}

void TestGridWidget::hiddenColumnSkipped()
{
    auto grid = makeGrid(6);
    grid->setColumnWidth(2, -1);
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    grid->painted.clear();
    grid->viewport()->repaint();
    QSet<int> painted;
    for (const auto &[col, row] : std::as_const(grid->painted))
        painted.insert(col);
    QVERIFY(!painted.contains(2));
    QVERIFY(painted.contains(3));
    QVERIFY(grid->cellRect(2, 1).isEmpty());
    QCOMPARE(grid->cellRect(3, 1).left(), grid->cellRect(1, 1).left() + grid->columnWidth(1) + 1);
    grid->setFocus();
    grid->gotoCell(1, 1, false);
    QTest::keyClick(grid.get(), Qt::Key_Right);
    QCOMPARE(grid->currentCol(), 3);
}

void TestGridWidget::paintingIndependentOfRowCount()
{
    qsizetype paintedSmall = 0;
    qsizetype paintedLarge = 0;
    int widestRow = 0;
    {
        auto grid = makeGrid(100);
        QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
        grid->painted.clear();
        grid->viewport()->repaint();
        paintedSmall = grid->painted.size();
    }
    {
        auto grid = makeGrid(100000);
        QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
        grid->painted.clear();
        grid->viewport()->repaint();
        paintedLarge = grid->painted.size();
        for (const auto &[col, row] : std::as_const(grid->painted))
            widestRow = std::max(widestRow, row);
    }
    QVERIFY(paintedSmall > 0);
    QCOMPARE(paintedLarge, paintedSmall);
    QVERIFY(widestRow < 20);
}

void TestGridWidget::cellRightOfLastColumnNeverPainted()
{
    auto grid = makeGrid(6);
    grid->setColCount(3);
    grid->setCells(3, 1, QStringLiteral("format cell"));
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    grid->painted.clear();
    grid->viewport()->repaint();
    const qsizetype total = grid->painted.size();
    const auto beyond = std::count_if(grid->painted.cbegin(), grid->painted.cend(),
                                      [](const QPair<int, int> &cell) { return cell.first >= 3; });
    QVERIFY(total >= 3 * 6);
    QCOMPARE(beyond, 0);
    QCOMPARE(grid->cells(3, 1), QStringLiteral("format cell"));
    QVERIFY(grid->cellRect(3, 1).isEmpty());
}

void TestGridWidget::topRowAndHitTesting()
{
    auto grid = makeGrid(200);
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    const int lineHeight = grid->defaultRowHeight() + grid->gridLineWidth();
    grid->setTopRow(50);
    QCOMPARE(grid->topRow(), 50);
    QCOMPARE(grid->verticalScrollBar()->value(), 49);
    const QRect r = grid->cellRect(1, 50);
    QCOMPARE(r.top(), lineHeight);
    QCOMPARE(r.height(), grid->defaultRowHeight());
    QVERIFY(grid->cellRect(1, 10).isEmpty());
    QCOMPARE(grid->mouseCoord(r.center().x(), r.center().y()), (GridCoord{1, 50}));
    QCOMPARE(grid->mouseCoord(r.center().x(), 3), (GridCoord{1, 0}));
    QCOMPARE(grid->mouseCoord(grid->viewport()->width() + 5, r.center().y()), (GridCoord{-1, -1}));
    const int fit = (grid->viewport()->height() - lineHeight) / lineHeight;
    QCOMPARE(grid->visibleRowCount(), fit);
    // The scroll bar moves the rows.
    grid->verticalScrollBar()->setValue(0);
    QCOMPARE(grid->topRow(), 1);
    grid->setLeftCol(2);
    QCOMPARE(grid->leftCol(), 2);
    QCOMPARE(grid->cellRect(2, 1).left(), 0);
}

void TestGridWidget::doubleClickTitleBorderAutoSizes()
{
    auto grid = makeGrid(6);
    grid->setCells(1, 3, QStringLiteral("a much longer name than before"));
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    const QRect title = grid->cellRect(1, 0);
    const QFontMetrics fm(grid->font());
    const int expected = fm.horizontalAdvance(QStringLiteral("a much longer name than before"))
        + fm.horizontalAdvance(QStringLiteral("X"));
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, QPoint(title.left() + title.width() - 1, 5));
    QCOMPARE(grid->columnWidth(1), expected);
    // Near the left edge of the next column's title: the previous column is sized.
    grid->setColumnWidth(1, 20);
    const QRect next = grid->cellRect(2, 0);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, QPoint(next.left() + 2, 5));
    QCOMPARE(grid->columnWidth(1), expected);
}

void TestGridWidget::scrollBarsFollowSetting()
{
    auto grid = makeGrid(100);
    grid->setScrollBars(GridBase::ScrollStyle::Vertical);
    QCOMPARE(grid->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(grid->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    QTRY_VERIFY(grid->verticalScrollBar()->isVisible());
    QCOMPARE(grid->verticalScrollBar()->maximum(), 100 - grid->visibleRowCount() - 1);
    grid->setScrollBars(GridBase::ScrollStyle::None);
    QCOMPARE(grid->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

void TestGridWidget::wheelMovesOneDownThreeUp()
{
    auto grid = makeGrid(100);
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    grid->setTopRow(20);
    const QPoint p = grid->cellRect(1, 22).center();
    QWheelEvent down(p, grid->viewport()->mapToGlobal(p), QPoint(), QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid->viewport(), &down);
    QCOMPARE(grid->topRow(), 21);
    QWheelEvent up(p, grid->viewport()->mapToGlobal(p), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid->viewport(), &up);
    QCOMPARE(grid->topRow(), 18);
}

void TestGridWidget::lastColumnFillsWidth()
{
    auto grid = makeGrid(3);
    for (int c = 0; c < 4; ++c)
        grid->setColumnWidth(c, 50);
    grid->resize(500, 200);
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    QTRY_COMPARE(grid->columnWidth(4), grid->viewport()->width() - 4 * 50 - 4 - 1 - 3);
    grid->resize(450, 200);
    QTRY_COMPARE(grid->columnWidth(4), grid->viewport()->width() - 4 * 50 - 4 - 1 - 3);
}

void TestGridWidget::dragTitleMovesColumn()
{
    auto grid = makeGrid(4);
    grid->setOptions(grid->options() | GridOption::ColMoving);
    grid->sortOptions()->setSortCol(3);
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    QSignalSpy moves(grid.get(), &GridBase::columnMoved);
    QWidget *vp = grid->viewport();
    QTest::mousePress(vp, Qt::LeftButton, {}, titleCenter(*grid, 1));
    QTest::mouseMove(vp, titleCenter(*grid, 3));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, titleCenter(*grid, 3));
    QCOMPARE(moves, (QList<QList<QVariant>>{{1, 3}}));
    QCOMPARE(grid->rowStrings(0).toStringList(), (QStringList{"Nr.", "Zeit", "Land", "Name", "Stat"}));
    QCOMPARE(grid->sortOptions()->sortCol(), 2);
    QVERIFY(grid->modified());
    // Press and release in different columns is no title click.
    QCOMPARE(grid->sortOptions()->sortDirection(), SortDirection::Ascending);
}

void TestGridWidget::shiftArrowsSelectRowRange()
{
    auto grid = makeGrid(8);
    grid->setMultiSelect(true);
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    grid->setFocus();
    grid->gotoCell(0, 2, false);
    QTest::keyClick(grid.get(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(grid.get(), Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(grid->currentRow(), 4);
    QStringList selected = grid->selectedRows();
    std::sort(selected.begin(), selected.end());
    QCOMPARE(selected, (QStringList{"2", "3", "4"}));
    QTest::keyClick(grid.get(), Qt::Key_Down);
    QCOMPARE(grid->selectedRows(), QStringList{"5"});
    QVERIFY(!(grid->options() & GridOption::RangeSelect));
}

void TestGridWidget::editorFollowsDownKeyAndValidates()
{
    auto grid = makeGrid(6);
    grid->setOptions(grid->options() | GridOption::Editing);
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(3, 1).center());
    QTest::keyClick(grid.get(), Qt::Key_F2);
    QTRY_VERIFY(grid->editorShowing());
    QTest::keyClicks(grid->inplaceEditor(), QStringLiteral("GER"));
    QTest::keyClick(grid->inplaceEditor(), Qt::Key_Down);
    QCOMPARE(grid->currentRow(), 2);
    QTRY_VERIFY(grid->editorShowing());
    QCOMPARE(grid->inplaceEditor()->geometry(), grid->cellRect(3, 2));
    using Validation = std::tuple<int, int, QString, QString>;
    QCOMPARE(grid->validations, (QList<Validation>{Validation(3, 1, QString(), "GER")}));
    QTest::keyClicks(grid->inplaceEditor(), QStringLiteral("AUT"));
    QTest::keyClick(grid->inplaceEditor(), Qt::Key_Return);
    QCOMPARE(grid->validations.size(), 2);
    QCOMPARE(grid->validations.last(), Validation(3, 2, QString(), "AUT"));
    QCOMPARE(grid->cells(3, 1), QStringLiteral("GER"));
    QCOMPARE(grid->cells(3, 2), QStringLiteral("AUT"));
}

QTEST_MAIN(TestGridWidget)
#include "tst_gridwidget.moc"
