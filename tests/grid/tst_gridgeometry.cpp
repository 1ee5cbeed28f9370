// Hit testing and cell rectangles at the exact edges of cells, grid lines,
// hidden columns and scrolled views; scroll limits and the scrolling that brings
// a cell into view. The geometry is tested on its own, and through the widget
// where the widget's size takes part.
#include "grid/GridGeometry.h"
#include "grid/StringGrid.h"

#include <QTest>

namespace {

// Columns 30, 40, hidden, 50, 60 wide; rows 20 high; 1-pixel grid lines;
// one fixed column and one fixed row.
void configure(StringGrid &grid)
{
    grid.resize(400, 300);
    grid.setScrollBars(GridBase::ScrollStyle::None);
    grid.setColCount(5);
    grid.setRowCount(20);
    grid.setDefaultRowHeight(20);
    grid.setGridLineWidth(1);
    grid.setColumnWidth(0, 30);
    grid.setColumnWidth(1, 40);
    grid.setColumnWidth(2, -1);
    grid.setColumnWidth(3, 50);
    grid.setColumnWidth(4, 60);
}

// The same layout without a widget, in a 400 x 300 viewport.
GridGeometry layout()
{
    GridGeometry geometry;
    geometry.setViewportSize(QSize(400, 300));
    geometry.setCounts(5, 20);
    geometry.setDefaultRowHeight(20);
    geometry.setGridLineWidth(1);
    const int widths[] = {30, 40, -1, 50, 60};
    for (int c = 0; c < 5; ++c)
        geometry.setColWidth(c, widths[c]);
    return geometry;
}

} // namespace

class TestGridGeometry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mouseCoord_data()
    {
        QTest::addColumn<int>("leftCol");
        QTest::addColumn<int>("topRow");
        QTest::addColumn<QPoint>("position");
        QTest::addColumn<QPoint>("cell");
        QTest::newRow("origin") << 1 << 1 << QPoint(0, 0) << QPoint(0, 0);
        QTest::newRow("last pixel of column 0") << 1 << 1 << QPoint(29, 5) << QPoint(0, 0);
        QTest::newRow("grid line belongs to the left cell") << 1 << 1 << QPoint(30, 5) << QPoint(0, 0);
        QTest::newRow("first pixel of column 1") << 1 << 1 << QPoint(31, 5) << QPoint(1, 0);
        QTest::newRow("hidden column is skipped") << 1 << 1 << QPoint(72, 25) << QPoint(3, 1);
        QTest::newRow("last column") << 1 << 1 << QPoint(123, 45) << QPoint(4, 2);
        QTest::newRow("right of every column") << 1 << 1 << QPoint(300, 45) << QPoint(-1, -1);
        QTest::newRow("scrolled: fixed column stays") << 3 << 5 << QPoint(10, 25) << QPoint(0, 5);
        QTest::newRow("scrolled: first scrolled column") << 3 << 5 << QPoint(31, 46) << QPoint(3, 6);
    }

    void cellAt_data() { mouseCoord_data(); }

    void cellAt()
    {
        QFETCH(int, leftCol);
        QFETCH(int, topRow);
        QFETCH(QPoint, position);
        QFETCH(QPoint, cell);
        GridGeometry geometry = layout();
        QVERIFY(geometry.setTopLeft(leftCol, topRow) || (leftCol == 1 && topRow == 1));
        const GridCoord coord = geometry.cellAt(position.x(), position.y());
        QCOMPARE(QPoint(coord.x, coord.y), cell);
    }

    void mouseCoord()
    {
        QFETCH(int, leftCol);
        QFETCH(int, topRow);
        QFETCH(QPoint, position);
        QFETCH(QPoint, cell);
        StringGrid grid;
        configure(grid);
        grid.setLeftCol(leftCol);
        grid.setTopRow(topRow);
        const GridCoord coord = grid.mouseCoord(position.x(), position.y());
        QCOMPARE(QPoint(coord.x, coord.y), cell);
    }

    void cellRect_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("row");
        QTest::addColumn<QRect>("rect");
        QTest::newRow("fixed corner") << 0 << 0 << QRect(0, 0, 30, 20);
        QTest::newRow("after a grid line") << 1 << 1 << QRect(31, 21, 40, 20);
        QTest::newRow("behind the hidden column") << 3 << 2 << QRect(72, 42, 50, 20);
        QTest::newRow("hidden column has none") << 2 << 1 << QRect();
    }

    void geometryCellRect_data() { cellRect_data(); }

    void geometryCellRect()
    {
        QFETCH(int, col);
        QFETCH(int, row);
        QFETCH(QRect, rect);
        QCOMPARE(layout().cellRect(col, row), rect);
    }

    void cellRect()
    {
        QFETCH(int, col);
        QFETCH(int, row);
        QFETCH(QRect, rect);
        StringGrid grid;
        configure(grid);
        QCOMPARE(grid.cellRect(col, row), rect);
    }

    void scrolledOutCellHasNoRect()
    {
        GridGeometry geometry = layout();
        geometry.setTopLeft(3, 5);
        QCOMPARE(geometry.cellRect(1, 1), QRect());
        QCOMPARE(geometry.cellRect(0, 1), QRect());
        QCOMPARE(geometry.cellRect(0, 5), QRect(0, 21, 30, 20));
        QCOMPARE(geometry.colLeft(1), -1);
        QCOMPARE(geometry.rowTop(4), -1);
    }

    void visibleCountsAndScrollLimits_data()
    {
        QTest::addColumn<QSize>("viewport");
        QTest::addColumn<int>("visibleCols");
        QTest::addColumn<int>("visibleRows");
        QTest::addColumn<int>("maxLeftCol");
        QTest::addColumn<int>("maxTopRow");
        // 31 fixed pixels, then columns of 41, 0, 51 and 61; 21 fixed pixels, rows of 21.
        QTest::newRow("everything across") << QSize(400, 300) << 4 << 13 << 1 << 7;
        QTest::newRow("exactly three columns") << QSize(31 + 41 + 51, 21 + 3 * 21) << 3 << 3 << 4 << 17;
        QTest::newRow("one pixel short of a row") << QSize(184, 21 + 3 * 21 - 2) << 4 << 2 << 1 << 18;
        QTest::newRow("fixed cells only") << QSize(31, 21) << 0 << 0 << 4 << 19;
    }

    void visibleCountsAndScrollLimits()
    {
        QFETCH(QSize, viewport);
        QFETCH(int, visibleCols);
        QFETCH(int, visibleRows);
        QFETCH(int, maxLeftCol);
        QFETCH(int, maxTopRow);
        GridGeometry geometry = layout();
        geometry.setViewportSize(viewport);
        QCOMPARE(geometry.visibleColCount(), visibleCols);
        QCOMPARE(geometry.visibleRowCount(), visibleRows);
        QCOMPARE(geometry.maxLeftCol(), maxLeftCol);
        QCOMPARE(geometry.maxTopRow(), maxTopRow);
        geometry.setTopLeft(4, 19);
        geometry.clampTopLeft();
        QCOMPARE(geometry.leftCol(), maxLeftCol);
        QCOMPARE(geometry.topRow(), maxTopRow);
    }

    void scrollingShowsCell_data()
    {
        QTest::addColumn<int>("topRow");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("showingTop");
        // 300 pixels: the fixed row and 13 rows of 21 pixels.
        QTest::newRow("in view") << 1 << 13 << 1;
        QTest::newRow("one below the view") << 1 << 14 << 2;
        QTest::newRow("far below") << 1 << 19 << 7;
        QTest::newRow("above the view") << 10 << 4 << 4;
        QTest::newRow("fixed row keeps the view") << 10 << 0 << 10;
    }

    void scrollingShowsCell()
    {
        QFETCH(int, topRow);
        QFETCH(int, row);
        QFETCH(int, showingTop);
        GridGeometry geometry = layout();
        geometry.setTopLeft(1, topRow);
        QCOMPARE(geometry.topRowShowing(row), showingTop);
        // Columns: 400 pixels hold every column, so no column scrolls; in 150 the
        // hidden column may come first, in 130 the last column stands alone.
        QCOMPARE(geometry.leftColShowing(4), 1);
        geometry.setViewportSize(QSize(150, 300));
        QCOMPARE(geometry.leftColShowing(4), 2);
        geometry.setViewportSize(QSize(130, 300));
        QCOMPARE(geometry.leftColShowing(4), 4);
    }

    void colBorderAt_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("col");
        QTest::newRow("on the fixed border") << 30 << 0;
        QTest::newRow("within the zone") << 33 << 0;
        QTest::newRow("outside the zone") << 34 << -1;
        QTest::newRow("hidden column takes no border") << 71 << 1;
        QTest::newRow("right of the last column") << 183 << 4;
    }

    void colBorderAt()
    {
        QFETCH(int, x);
        QFETCH(int, col);
        QCOMPARE(layout().colBorderAt(x, 3), col);
    }

    void countsShrinkFixedCells()
    {
        GridGeometry geometry = layout();
        QVERIFY(geometry.setFixedCols(3));
        QVERIFY(!geometry.setFixedCols(3));
        QCOMPARE(geometry.leftCol(), 3);
        geometry.setCounts(2, 1);
        QCOMPARE(geometry.fixedCols(), 1);
        QCOMPARE(geometry.fixedRows(), 0);
        // Sizes beyond the counts stay until they are dropped.
        QCOMPARE(geometry.colWidth(4), 60);
        geometry.dropSizesBeyondCounts();
        QCOMPARE(geometry.colWidth(4), geometry.defaultColWidth());
        QVERIFY(!geometry.setColWidth(4, 10)); // outside the count
        QVERIFY(!geometry.setColWidth(0, -2));
    }

    void sizesFollowColumnAndRowOperations()
    {
        GridGeometry geometry = layout();
        geometry.moveColumn(0, 3);
        QCOMPARE((QList<int>{geometry.colWidth(0), geometry.colWidth(1), geometry.colWidth(2),
                             geometry.colWidth(3)}),
                 (QList<int>{40, -1, 50, 30}));
        geometry.insertColumn(1);
        QCOMPARE(geometry.colWidth(1), geometry.defaultColWidth());
        geometry.removeColumn(1);
        QCOMPARE(geometry.colWidth(1), -1);
        // Rows without a stored height stay without one.
        geometry.moveRow(1, 5);
        geometry.insertRow(2);
        QCOMPARE(geometry.rowHeight(5), 20);
        geometry.setRowHeight(2, 7);
        geometry.moveRow(2, 4);
        QCOMPARE(geometry.rowHeight(4), 7);
        geometry.removeRow(4);
        QCOMPARE(geometry.rowHeight(4), 20);
        QCOMPARE(geometry.fixedRowsHeight(), 21);
    }

    void gridLinesOnlyWhereDrawn()
    {
        GridGeometry geometry = layout();
        geometry.setGridLines(GridOption::FixedVertLine | GridOption::HorzLine);
        QCOMPARE(geometry.colLine(0), 1);
        QCOMPARE(geometry.colLine(1), 0);
        QCOMPARE(geometry.rowLine(0), 0);
        QCOMPARE(geometry.rowLine(1), 1);
        QCOMPARE(geometry.cellRect(1, 1), QRect(31, 20, 40, 20));
    }

    void visibleCounts()
    {
        StringGrid grid;
        configure(grid);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QCOMPARE(grid.viewport()->size(), QSize(400, 300) - QSize(2, 2) * grid.frameWidth());
        // 31 fixed pixels, then 41 + 0 + 51 + 61 fit into 400.
        QCOMPARE(grid.visibleColCount(), 4);
        // 21 fixed pixels, then rows of 20 plus a line: the whole rows that fit.
        const int height = grid.viewport()->height();
        QCOMPARE(grid.visibleRowCount(), (height - 21 + 1) / 21);
    }
};

QTEST_MAIN(TestGridGeometry)
#include "tst_gridgeometry.moc"
