#pragma once

#include <QStringView>
#include <QVarLengthArray>

#include <cstddef>
#include <cstring>
#include <memory>
#include <span>

// Views of a row's cells, for editing them before they are stored again.
using CellViews = QVarLengthArray<QStringView, 8>;

// The texts of one row of the cell store in a single allocation: the number of cells, the
// end of each cell's text (in code units, counted from the first cell's start), then the
// texts one after the other. A row of a few short texts takes a few dozen bytes, where a
// QString per cell would take a heap block each. A row holds up to 2^32 code units.
class RowCells
{
public:
    RowCells() = default;
    RowCells(const RowCells &other) { assign(other.views()); }
    RowCells &operator=(const RowCells &other)
    {
        if (this != &other)
            assign(other.views());
        return *this;
    }
    RowCells(RowCells &&) noexcept = default;
    RowCells &operator=(RowCells &&) noexcept = default;

    int size() const { return m_block ? int(word(0)) : 0; }
    // The text of cell `col`, empty beyond the row's cells; valid until the row changes.
    // Inline: reading whole tables goes through it for every cell.
    QStringView at(int col) const
    {
        if (col < 0 || col >= size())
            return {};
        const quint32 start = col == 0 ? 0 : word(col);
        return QStringView(text() + start, qsizetype(word(col + 1) - start));
    }
    CellViews views() const;
    // Stores copies of these texts as the row's cells; they may be views of the row itself.
    void assign(std::span<const QStringView> cells);

private:
    static constexpr size_t WordBytes = sizeof(quint32);

    quint32 word(int index) const
    {
        quint32 value;
        std::memcpy(&value, m_block.get() + size_t(index) * WordBytes, WordBytes);
        return value;
    }
    const char16_t *text() const
    {
        return reinterpret_cast<const char16_t *>(m_block.get() + (1 + size_t(size())) * WordBytes);
    }

    std::unique_ptr<std::byte[]> m_block;
};

// Appends empty cells until `cells` has `count` of them.
void widen(CellViews &cells, qsizetype count);
