// Hit testing and cell rectangles at the exact edges of cells, grid lines,
// hidden columns and scrolled views.
#include "grid/StringGrid.h"

#include <QTest>

namespace {

// Columns 30, 40, hidden, 50, 60 wide; rows 20 high; 1-pixel grid lines;
// one fixed column and one fixed row.
void configure(StringGrid &grid)
{
    grid.resize(400, 300);
    grid.setScrollBars(GridBase::ssNone);
    grid.setColCount(5);
    grid.setRowCount(20);
    grid.setDefaultRowHeight(20);
    grid.setGridLineWidth(1);
    grid.setColWidths(0, 30);
    grid.setColWidths(1, 40);
    grid.setColWidths(2, -1);
    grid.setColWidths(3, 50);
    grid.setColWidths(4, 60);
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

    void cellRect()
    {
        QFETCH(int, col);
        QFETCH(int, row);
        QFETCH(QRect, rect);
        StringGrid grid;
        configure(grid);
        QCOMPARE(grid.cellRect(col, row), rect);
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
