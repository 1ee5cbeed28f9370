#include "grid/RowCells.h"

CellViews RowCells::views() const
{
    CellViews cells;
    for (int c = 0; c < size(); ++c)
        cells.append(at(c));
    return cells;
}

void RowCells::assign(std::span<const QStringView> cells)
{
    if (cells.empty()) {
        m_block.reset();
        return;
    }
    size_t units = 0;
    for (QStringView cell : cells)
        units += size_t(cell.size());
    const size_t textStart = (1 + cells.size()) * WordBytes;
    auto block = std::make_unique_for_overwrite<std::byte[]>(textStart + units * sizeof(char16_t));
    const auto count = quint32(cells.size());
    std::memcpy(block.get(), &count, WordBytes);
    quint32 end = 0;
    for (size_t c = 0; c < cells.size(); ++c) {
        if (!cells[c].isEmpty()) // an empty view may have no data at all
            std::memcpy(block.get() + textStart + end * sizeof(char16_t), cells[c].utf16(),
                        size_t(cells[c].size()) * sizeof(char16_t));
        end += quint32(cells[c].size());
        std::memcpy(block.get() + (1 + c) * WordBytes, &end, WordBytes);
    }
    m_block = std::move(block); // only now: the cells may have been views of the old block
}

void widen(CellViews &cells, qsizetype count)
{
    while (cells.size() < count)
        cells.append(QStringView());
}
