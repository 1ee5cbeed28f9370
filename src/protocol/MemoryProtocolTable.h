#pragma once

#include "grid/CellStore.h"
#include "protocol/ProtocolTable.h"

#include <QList>

// A protocol table held in memory, in the grid's own cell store: a table filled beside
// the window goes into the grid in one step (takeCells).
class MemoryProtocolTable : public ProtocolTable
{
public:
    explicit MemoryProtocolTable(int colCount = 5, int rowCount = 2);

    int colCount() const override { return m_colCount; }
    int rowCount() const override { return m_rowCount; }
    void setRowCount(int value) override;
    QString cells(int col, int row) const override { return m_store.get(col, row); }
    QStringView cellView(int col, int row) const override { return m_store.view(col, row); }
    void rowViews(int row, std::span<QStringView> out) const override { m_store.rowViews(row, out); }
    void setCells(int col, int row, const QString &value) override { m_store.put(col, row, value); }
    void discardRowsFrom(int row) override { m_store.truncateRows(std::max(row, 0)); }

    // Hands the cells over and leaves the table empty.
    CellStore takeCells();

    // Rows as lists of colCount texts, for comparisons in tests.
    QList<QStringList> rows() const;

private:
    int m_colCount;
    int m_rowCount;
    CellStore m_store;
};
