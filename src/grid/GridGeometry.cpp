#include "grid/GridGeometry.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Stores `size` (-1 hides) for `index` below `count`; false when nothing changed.
bool storeSize(std::vector<int> &sizes, int index, int count, int size, int fallback)
{
    if (index < 0 || index >= count || size < -1)
        return false;
    const int stored = index < int(sizes.size()) ? sizes[size_t(index)] : fallback;
    if (stored == size)
        return false;
    if (int(sizes.size()) <= index)
        sizes.resize(size_t(index) + 1, fallback);
    sizes[size_t(index)] = size;
    return true;
}

} // namespace

// Columns or rows laid out along one axis: the fixed ones, then the scrolled
// ones from the first on.
struct GridGeometry::Axis
{
    const GridGeometry &geometry;
    bool columns;
    int count, fixed, first, extent;

    int size(int i) const { return columns ? geometry.colWidth(i) : geometry.rowHeight(i); }
    int line(int i) const { return columns ? geometry.colLine(i) : geometry.rowLine(i); }
    // A hidden column or row (size -1) takes no room.
    int advance(int i) const { return size(i) >= 0 ? size(i) + line(i) : 0; }

    int fixedExtent() const
    {
        int offset = 0;
        for (int i = 0; i < fixed; ++i)
            offset += advance(i);
        return offset;
    }

    // Calls `visit(index, offset)` for every laid-out index in screen order,
    // stopping when it returns true or the view's extent is used up.
    // Positions beyond the view are walked too unless `clip` is set.
    template<typename Visit>
    void walk(Visit visit, bool clip = true) const
    {
        int offset = 0;
        for (int i = 0; i < fixed; ++i) {
            if (visit(i, offset))
                return;
            offset += advance(i);
        }
        for (int i = first; i < count && (!clip || offset < extent); ++i) {
            if (visit(i, offset))
                return;
            offset += advance(i);
        }
    }

    int start(int index) const
    {
        if (index < 0 || index >= count || size(index) < 0 || (index >= fixed && index < first))
            return -1;
        int start = -1;
        walk([&](int i, int offset) {
            if (i != index)
                return false;
            start = offset;
            return true;
        });
        return start;
    }

    int indexAt(int position) const
    {
        if (position < 0)
            return -1;
        int found = -1;
        walk(
            [&](int i, int offset) {
                if (size(i) < 0 || position >= offset + advance(i))
                    return false;
                found = i;
                return true;
            },
            false);
        return found;
    }

    int maxFirst() const
    {
        const int avail = extent - fixedExtent();
        int firstIndex = count;
        int used = 0;
        while (firstIndex > fixed && used + advance(firstIndex - 1) <= avail) {
            used += advance(firstIndex - 1);
            --firstIndex;
        }
        return std::clamp(firstIndex, fixed, std::max(count - 1, fixed));
    }

    int visibleCount() const
    {
        int offset = fixedExtent();
        int visible = 0;
        for (int i = first; i < count; ++i) {
            if (size(i) >= 0 && offset + size(i) > extent)
                break;
            offset += advance(i);
            ++visible;
        }
        return visible;
    }

    // The first scrolled index that shows `index` whole, moving as little as possible
    // from the current first one.
    int firstShowing(int index) const
    {
        if (index < fixed)
            return first;
        if (index < first)
            return index;
        int used = fixedExtent();
        for (int i = first; i <= index; ++i)
            used += advance(i);
        int firstIndex = first;
        while (firstIndex < index && used > extent) {
            used -= advance(firstIndex);
            ++firstIndex;
        }
        return firstIndex;
    }
};

GridGeometry::Axis GridGeometry::columns() const
{
    return {*this, true, m_colCount, m_fixedCols, m_leftCol, m_viewport.width()};
}

GridGeometry::Axis GridGeometry::rows() const
{
    return {*this, false, m_rowCount, m_fixedRows, m_topRow, m_viewport.height()};
}

void GridGeometry::setCounts(int colCount, int rowCount)
{
    m_colCount = std::max(colCount, 1);
    m_rowCount = std::max(rowCount, 1);
    if (m_colCount <= m_fixedCols)
        m_fixedCols = m_colCount - 1;
    if (m_rowCount <= m_fixedRows)
        m_fixedRows = m_rowCount - 1;
}

void GridGeometry::dropSizesBeyondCounts()
{
    if (int(m_colWidths.size()) > m_colCount)
        m_colWidths.resize(size_t(m_colCount));
    if (int(m_rowHeights.size()) > m_rowCount)
        m_rowHeights.resize(size_t(m_rowCount));
}

bool GridGeometry::setFixedCols(int value)
{
    value = std::clamp(value, 0, m_colCount - 1);
    if (value == m_fixedCols)
        return false;
    m_fixedCols = value;
    m_leftCol = std::clamp(m_leftCol, value, std::max(maxLeftCol(), value));
    return true;
}

bool GridGeometry::setFixedRows(int value)
{
    value = std::clamp(value, 0, m_rowCount - 1);
    if (value == m_fixedRows)
        return false;
    m_fixedRows = value;
    m_topRow = std::clamp(m_topRow, value, std::max(maxTopRow(), value));
    return true;
}

bool GridGeometry::setDefaultColWidth(int value)
{
    if (value == m_defaultColWidth)
        return false;
    m_defaultColWidth = value;
    m_colWidths.clear();
    return true;
}

bool GridGeometry::setDefaultRowHeight(int value)
{
    if (value == m_defaultRowHeight)
        return false;
    m_defaultRowHeight = value;
    m_rowHeights.clear();
    return true;
}

bool GridGeometry::setColWidth(int col, int width)
{
    return storeSize(m_colWidths, col, m_colCount, width, m_defaultColWidth);
}

bool GridGeometry::setRowHeight(int row, int height)
{
    return storeSize(m_rowHeights, row, m_rowCount, height, m_defaultRowHeight);
}

bool GridGeometry::setGridLineWidth(int value)
{
    value = std::max(value, 0);
    if (value == m_gridLineWidth)
        return false;
    m_gridLineWidth = value;
    return true;
}

bool GridGeometry::setTopLeft(int leftCol, int topRow)
{
    leftCol = std::clamp(leftCol, m_fixedCols, std::max(m_colCount - 1, m_fixedCols));
    topRow = std::clamp(topRow, m_fixedRows, std::max(m_rowCount - 1, m_fixedRows));
    if (leftCol == m_leftCol && topRow == m_topRow)
        return false;
    m_leftCol = leftCol;
    m_topRow = topRow;
    return true;
}

void GridGeometry::clampTopLeft()
{
    m_leftCol = std::clamp(m_leftCol, m_fixedCols, std::max(maxLeftCol(), m_fixedCols));
    m_topRow = std::clamp(m_topRow, m_fixedRows, std::max(maxTopRow(), m_fixedRows));
}

int GridGeometry::leftColShowing(int col) const
{
    return columns().firstShowing(col);
}

int GridGeometry::topRowShowing(int row) const
{
    return rows().firstShowing(row);
}

int GridGeometry::maxLeftCol() const
{
    return columns().maxFirst();
}

int GridGeometry::maxTopRow() const
{
    return rows().maxFirst();
}

int GridGeometry::visibleColCount() const
{
    return columns().visibleCount();
}

int GridGeometry::visibleRowCount() const
{
    return rows().visibleCount();
}

int GridGeometry::colLeft(int col) const
{
    return columns().start(col);
}

int GridGeometry::rowTop(int row) const
{
    return rows().start(row);
}

int GridGeometry::columnAt(int x) const
{
    return columns().indexAt(x);
}

int GridGeometry::rowAt(int y) const
{
    return rows().indexAt(y);
}

GridCoord GridGeometry::cellAt(int x, int y) const
{
    const GridCoord cell{columnAt(x), rowAt(y)};
    if (cell.x < 0 || cell.y < 0)
        return GridCoord{-1, -1};
    return cell;
}

QRect GridGeometry::cellRect(int col, int row) const
{
    const int x = colLeft(col);
    const int y = rowTop(row);
    if (x < 0 || y < 0)
        return QRect();
    return QRect(x, y, colWidth(col), rowHeight(row));
}

int GridGeometry::colBorderAt(int x, int zone) const
{
    int left = 0;
    auto near = [&](int c) {
        const int w = colWidth(c);
        if (w < 0)
            return false;
        const int right = left + w;
        left = right + colLine(c);
        return std::abs(x - right) <= zone;
    };
    for (int c = 0; c < m_fixedCols; ++c)
        if (near(c))
            return c;
    for (int c = m_leftCol; c < m_colCount && left <= m_viewport.width() + zone; ++c)
        if (near(c))
            return c;
    return -1;
}

int GridGeometry::fixedRowsHeight() const
{
    return rows().fixedExtent();
}

void GridGeometry::moveColumn(int fromIndex, int toIndex)
{
    if (int(m_colWidths.size()) < m_colCount)
        m_colWidths.resize(size_t(m_colCount), m_defaultColWidth);
    const int width = m_colWidths[size_t(fromIndex)];
    m_colWidths.erase(m_colWidths.begin() + fromIndex);
    m_colWidths.insert(m_colWidths.begin() + toIndex, width);
}

void GridGeometry::moveRow(int fromIndex, int toIndex)
{
    if (m_rowHeights.empty())
        return;
    if (int(m_rowHeights.size()) < m_rowCount)
        m_rowHeights.resize(size_t(m_rowCount), m_defaultRowHeight);
    const int height = m_rowHeights[size_t(fromIndex)];
    m_rowHeights.erase(m_rowHeights.begin() + fromIndex);
    m_rowHeights.insert(m_rowHeights.begin() + toIndex, height);
}

void GridGeometry::removeColumn(int col)
{
    if (col >= 0 && col < int(m_colWidths.size()))
        m_colWidths.erase(m_colWidths.begin() + col);
}

void GridGeometry::removeRow(int row)
{
    if (row >= 0 && row < int(m_rowHeights.size()))
        m_rowHeights.erase(m_rowHeights.begin() + row);
}

void GridGeometry::insertColumn(int col)
{
    if (col >= 0 && col < int(m_colWidths.size()))
        m_colWidths.insert(m_colWidths.begin() + col, m_defaultColWidth);
}

void GridGeometry::insertRow(int row)
{
    if (row >= 0 && row < int(m_rowHeights.size()))
        m_rowHeights.insert(m_rowHeights.begin() + row, m_defaultRowHeight);
}
