#pragma once

#include "grid/GridTypes.h"

#include <QRect>
#include <QSize>

#include <vector>

// Where a grid's cells lie, without a widget: the column and row counts, the
// fixed columns and rows, column widths and row heights (-1 hides one), the grid
// lines, the first scrolled column and row and the viewport extent the cells are
// laid out in. Columns and rows run from the fixed ones to the scrolled ones from
// leftCol and topRow on; a hidden one takes no room.
class GridGeometry
{
public:
    int colCount() const { return m_colCount; }
    int rowCount() const { return m_rowCount; }
    // Both counts at least 1; the fixed counts shrink so that one scrolled column and
    // row remain. Stored sizes and the scroll position are left as they are.
    void setCounts(int colCount, int rowCount);
    // Forgets the stored sizes of columns and rows beyond the counts.
    void dropSizesBeyondCounts();

    int fixedCols() const { return m_fixedCols; }
    int fixedRows() const { return m_fixedRows; }
    // Clamped below the count; leftCol or topRow follow. False when nothing changed.
    bool setFixedCols(int value);
    bool setFixedRows(int value);

    int defaultColWidth() const { return m_defaultColWidth; }
    int defaultRowHeight() const { return m_defaultRowHeight; }
    // A new default replaces every stored size. False when nothing changed.
    bool setDefaultColWidth(int value);
    bool setDefaultRowHeight(int value);

    // Sizes are stored only as far as one was set; the rest read as the default.
    int colWidth(int col) const { return storedSize(m_colWidths, col, m_defaultColWidth); }
    int rowHeight(int row) const { return storedSize(m_rowHeights, row, m_defaultRowHeight); }
    // -1 hides; sizes below -1 and indexes outside the count are refused. False when
    // nothing changed.
    bool setColWidth(int col, int width);
    bool setRowHeight(int row, int height);

    int gridLineWidth() const { return m_gridLineWidth; }
    bool setGridLineWidth(int value);
    // Which grid lines are drawn: the line options of the grid.
    void setGridLines(GridOptions options) { m_lines = options; }
    // The width of the line right of a column and below a row; 0 where none is drawn.
    int colLine(int col) const
    {
        return lineWidth(col < m_fixedCols ? GridOption::FixedVertLine : GridOption::VertLine);
    }
    int rowLine(int row) const
    {
        return lineWidth(row < m_fixedRows ? GridOption::FixedHorzLine : GridOption::HorzLine);
    }

    int leftCol() const { return m_leftCol; }
    int topRow() const { return m_topRow; }
    // Clamped between the fixed ones and the last column and row. False when nothing changed.
    bool setTopLeft(int leftCol, int topRow);
    // Keeps leftCol and topRow between the fixed cells and the last full view.
    void clampTopLeft();
    // The leftCol and topRow that bring a cell into view with the least scrolling.
    int leftColShowing(int col) const;
    int topRowShowing(int row) const;

    QSize viewportSize() const { return m_viewport; }
    void setViewportSize(QSize value) { m_viewport = value; }

    // The highest leftCol and topRow that still fill the view to its end.
    int maxLeftCol() const;
    int maxTopRow() const;
    // Scrollable columns and rows fully in view from leftCol and topRow on.
    int visibleColCount() const;
    int visibleRowCount() const;

    // The offset of a column or row from the view's edge; -1 when it is not laid out.
    int colLeft(int col) const;
    int rowTop(int row) const;
    // The column or row under a position; -1 outside every laid-out one.
    int columnAt(int x) const;
    int rowAt(int y) const;
    // The cell under a viewport point; -1 in both fields when either misses.
    GridCoord cellAt(int x, int y) const;
    // The viewport rectangle of a cell; empty when the cell is not in view.
    QRect cellRect(int col, int row) const;
    // The column whose right border lies within `zone` pixels of x, or -1.
    int colBorderAt(int x, int zone) const;
    // The height the fixed rows take with their lines.
    int fixedRowsHeight() const;

    // The size tables follow the columns and rows of the grid.
    void moveColumn(int fromIndex, int toIndex);
    void moveRow(int fromIndex, int toIndex);
    void removeColumn(int col);
    void removeRow(int row);
    void insertColumn(int col);
    void insertRow(int row);

private:
    struct Axis;
    Axis columns() const;
    Axis rows() const;

    static int storedSize(const std::vector<int> &sizes, int index, int fallback)
    {
        if (index < 0 || index >= int(sizes.size()))
            return fallback;
        return sizes[size_t(index)];
    }
    int lineWidth(GridOption option) const { return (m_lines & option) ? m_gridLineWidth : 0; }

    int m_colCount = 5;
    int m_rowCount = 5;
    int m_fixedCols = 1;
    int m_fixedRows = 1;
    int m_defaultColWidth = 64;
    int m_defaultRowHeight = 24;
    int m_gridLineWidth = 1;
    GridOptions m_lines
        = GridOption::FixedVertLine | GridOption::FixedHorzLine | GridOption::VertLine | GridOption::HorzLine;
    std::vector<int> m_colWidths; // entries beyond the end read as defaultColWidth
    std::vector<int> m_rowHeights; // entries beyond the end read as defaultRowHeight
    int m_leftCol = 1;
    int m_topRow = 1;
    QSize m_viewport;
};
