#include "grid/CellStore.h"

#include <algorithm>
#include <atomic>

namespace {

// Moves the element at `from` to `to` in items that hold both indices.
template<typename Items>
void rotateElement(Items &items, int from, int to)
{
    if (from < to)
        std::rotate(items.begin() + from, items.begin() + from + 1, items.begin() + to + 1);
    else
        std::rotate(items.begin() + to, items.begin() + from, items.begin() + from + 1);
}

template<typename T>
void moveElement(std::vector<T> &items, int from, int to)
{
    const int needed = std::max(from, to) + 1;
    if (int(items.size()) < needed)
        items.resize(size_t(needed));
    rotateElement(items, from, to);
}

// Stores a row's cells again after `change` edited their views.
template<typename Change>
void editCells(RowCells &cells, Change change)
{
    CellViews views = cells.views();
    change(views);
    cells.assign(views);
}

} // namespace

QString CellStore::get(int col, int row) const
{
    return view(col, row).toString();
}

QStringView CellStore::view(int col, int row) const
{
    if (row < 0 || row >= int(m_rows.size()))
        return {};
    return m_rows[size_t(row)].cells.at(col);
}

void CellStore::rowViews(int row, std::span<QStringView> out) const
{
    if (row < 0 || row >= int(m_rows.size())) {
        std::fill(out.begin(), out.end(), QStringView());
        return;
    }
    const RowCells &cells = m_rows[size_t(row)].cells;
    for (size_t c = 0; c < out.size(); ++c)
        out[c] = cells.at(int(c));
}

void CellStore::put(int col, int row, const QString &text)
{
    noteChange();
    if (row < 0 || col < 0)
        return;
    if (text.isEmpty() && (row >= int(m_rows.size()) || col >= m_rows[size_t(row)].cells.size()))
        return; // writing an empty text into a cell that was never written changes nothing
    editCells(ensureRow(row).cells, [&](CellViews &cells) {
        widen(cells, col + 1);
        cells[col] = text;
    });
}

QObject *CellStore::object(int col, int row) const
{
    if (row < 0 || col < 0 || row >= int(m_rows.size()))
        return nullptr;
    const Row &r = m_rows[size_t(row)];
    return col < int(r.objects.size()) ? r.objects[size_t(col)] : nullptr;
}

void CellStore::putObject(int col, int row, QObject *object)
{
    noteChange();
    if (row < 0 || col < 0)
        return;
    if (!object && (row >= int(m_rows.size()) || col >= int(m_rows[size_t(row)].objects.size())))
        return;
    Row &r = ensureRow(row);
    if (col >= int(r.objects.size()))
        r.objects.resize(size_t(col) + 1, nullptr);
    r.objects[size_t(col)] = object;
}

void CellStore::moveRow(int from, int to)
{
    noteChange();
    if (from < 0 || to < 0 || from == to)
        return;
    moveElement(m_rows, from, to);
}

void CellStore::moveCol(int from, int to)
{
    noteChange();
    if (from < 0 || to < 0 || from == to)
        return;
    for (Row &r : m_rows) {
        if (r.cells.size() > 0) {
            editCells(r.cells, [&](CellViews &cells) {
                widen(cells, std::max(from, to) + 1);
                rotateElement(cells, from, to);
            });
        }
        if (!r.objects.empty())
            moveElement(r.objects, from, to);
    }
}

void CellStore::insertRow(int row)
{
    noteChange();
    if (row < 0 || row >= int(m_rows.size()))
        return; // nothing stored at or below: the new row is empty already
    m_rows.insert(m_rows.begin() + row, Row());
}

void CellStore::removeRow(int row)
{
    noteChange();
    if (row < 0 || row >= int(m_rows.size()))
        return;
    m_rows.erase(m_rows.begin() + row);
}

void CellStore::insertCol(int col)
{
    noteChange();
    if (col < 0)
        return;
    for (Row &r : m_rows) {
        if (col < r.cells.size())
            editCells(r.cells, [&](CellViews &cells) { cells.insert(cells.begin() + col, QStringView()); });
        if (col < int(r.objects.size()))
            r.objects.insert(r.objects.begin() + col, nullptr);
    }
}

void CellStore::removeCol(int col)
{
    noteChange();
    if (col < 0)
        return;
    for (Row &r : m_rows) {
        if (col < r.cells.size())
            editCells(r.cells, [&](CellViews &cells) { cells.erase(cells.begin() + col); });
        if (col < int(r.objects.size()))
            r.objects.erase(r.objects.begin() + col);
    }
}

void CellStore::clearRow(int row)
{
    noteChange();
    if (row < 0 || row >= int(m_rows.size()))
        return;
    m_rows[size_t(row)] = Row();
}

void CellStore::truncateRows(int first)
{
    noteChange();
    if (first >= 0 && first < int(m_rows.size()))
        m_rows.resize(size_t(first));
}

void CellStore::clear()
{
    noteChange();
    m_rows.clear();
}

void CellStore::permuteRows(int first, const std::vector<int> &sources, int colCount)
{
    noteChange();
    const int count = int(sources.size());
    if (count == 0 || first < 0)
        return;
    if (int(m_rows.size()) < first + count)
        m_rows.resize(size_t(first + count));
    // Cells right of the grid's columns belong to the row index, not the row:
    // lift them off before the move and put them back after.
    struct Tail
    {
        int row;
        std::vector<QString> cells;
        std::vector<QObject *> objects;
    };
    std::vector<Tail> tails;
    for (int i = first; i < first + count; ++i) {
        Row &r = m_rows[size_t(i)];
        if (r.cells.size() > colCount || int(r.objects.size()) > colCount) {
            Tail t{i, {}, {}};
            if (r.cells.size() > colCount) {
                for (int c = colCount; c < r.cells.size(); ++c)
                    t.cells.push_back(r.cells.at(c).toString());
                editCells(r.cells, [&](CellViews &cells) { cells.resize(colCount); });
            }
            if (int(r.objects.size()) > colCount) {
                t.objects.assign(r.objects.begin() + colCount, r.objects.end());
                r.objects.resize(size_t(colCount));
            }
            tails.push_back(std::move(t));
        }
    }
    std::vector<Row> moved(static_cast<size_t>(count));
    for (int n = 0; n < count; ++n)
        moved[size_t(n)] = std::move(m_rows[size_t(sources[size_t(n)])]);
    for (int n = 0; n < count; ++n)
        m_rows[size_t(first + n)] = std::move(moved[size_t(n)]);
    for (Tail &t : tails) {
        Row &r = m_rows[size_t(t.row)];
        if (!t.cells.empty()) {
            editCells(r.cells, [&](CellViews &cells) {
                widen(cells, colCount);
                for (const QString &cell : t.cells)
                    cells.append(cell);
            });
        }
        if (!t.objects.empty()) {
            r.objects.resize(size_t(colCount), nullptr);
            r.objects.insert(r.objects.end(), t.objects.begin(), t.objects.end());
        }
    }
}

std::vector<QString> CellStore::takeRowCells(int row, int count) const
{
    std::vector<QString> cells(size_t(std::max(count, 0)));
    for (size_t c = 0; c < cells.size(); ++c)
        cells[c] = get(int(c), row);
    return cells;
}

void CellStore::putRowCells(int row, const std::vector<QString> &cells)
{
    noteChange();
    if (row < 0)
        return;
    editCells(ensureRow(row).cells, [&](CellViews &views) {
        widen(views, qsizetype(cells.size()));
        std::copy(cells.begin(), cells.end(), views.begin());
    });
}

void CellStore::noteChange()
{
    static std::atomic<quint64> versions{0};
    m_version = ++versions;
}

CellStore::Row &CellStore::ensureRow(int row)
{
    if (row >= int(m_rows.size()))
        m_rows.resize(size_t(row) + 1);
    return m_rows[size_t(row)];
}
