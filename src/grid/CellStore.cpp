#include "grid/CellStore.h"

#include <algorithm>
#include <atomic>

namespace {

template<typename T>
void moveElement(std::vector<T> &items, int from, int to)
{
    const int needed = std::max(from, to) + 1;
    if (int(items.size()) < needed)
        items.resize(size_t(needed));
    if (from < to)
        std::rotate(items.begin() + from, items.begin() + from + 1, items.begin() + to + 1);
    else
        std::rotate(items.begin() + to, items.begin() + from, items.begin() + from + 1);
}

} // namespace

QString CellStore::get(int col, int row) const
{
    if (row < 0 || col < 0 || row >= int(m_rows.size()))
        return QString();
    const Row &r = m_rows[size_t(row)];
    if (col >= int(r.cells.size()))
        return QString();
    return r.cells[size_t(col)];
}

QStringView CellStore::view(int col, int row) const
{
    if (row < 0 || col < 0 || row >= int(m_rows.size()))
        return {};
    const Row &r = m_rows[size_t(row)];
    if (col >= int(r.cells.size()))
        return {};
    return r.cells[size_t(col)];
}

void CellStore::rowViews(int row, std::span<QStringView> out) const
{
    std::fill(out.begin(), out.end(), QStringView());
    if (row < 0 || row >= int(m_rows.size()))
        return;
    const std::vector<QString> &cells = m_rows[size_t(row)].cells;
    std::copy_n(cells.begin(), std::min(out.size(), cells.size()), out.begin());
}

void CellStore::put(int col, int row, const QString &text)
{
    noteChange();
    if (row < 0 || col < 0)
        return;
    if (text.isEmpty() && (row >= int(m_rows.size()) || col >= int(m_rows[size_t(row)].cells.size())))
        return; // writing an empty text into a cell that was never written changes nothing
    Row &r = ensureRow(row);
    if (col >= int(r.cells.size())) {
        // Rows are mostly filled from the left: a new row takes the width of the widest
        // so far at once instead of growing cell by cell.
        if (r.cells.empty())
            r.cells.reserve(std::max(size_t(col) + 1, m_widest));
        r.cells.resize(size_t(col) + 1);
        m_widest = std::max(m_widest, r.cells.size());
    }
    r.cells[size_t(col)] = text;
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
        if (!r.cells.empty())
            moveElement(r.cells, from, to);
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
        if (col < int(r.cells.size()))
            r.cells.insert(r.cells.begin() + col, QString());
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
        if (col < int(r.cells.size()))
            r.cells.erase(r.cells.begin() + col);
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
        if (int(r.cells.size()) > colCount || int(r.objects.size()) > colCount) {
            Tail t{i, {}, {}};
            if (int(r.cells.size()) > colCount) {
                t.cells.assign(std::make_move_iterator(r.cells.begin() + colCount),
                               std::make_move_iterator(r.cells.end()));
                r.cells.resize(size_t(colCount));
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
            r.cells.resize(size_t(colCount));
            r.cells.insert(r.cells.end(), std::make_move_iterator(t.cells.begin()),
                           std::make_move_iterator(t.cells.end()));
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
    if (row < 0 || row >= int(m_rows.size()))
        return cells;
    const Row &r = m_rows[size_t(row)];
    const size_t n = std::min(cells.size(), r.cells.size());
    std::copy(r.cells.begin(), r.cells.begin() + ptrdiff_t(n), cells.begin());
    return cells;
}

void CellStore::putRowCells(int row, const std::vector<QString> &cells)
{
    noteChange();
    if (row < 0)
        return;
    Row &r = ensureRow(row);
    if (r.cells.size() < cells.size())
        r.cells.resize(cells.size());
    std::copy(cells.begin(), cells.end(), r.cells.begin());
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
