#pragma once

#include "ProtocolTable.h"

#include <QList>

// A protocol table held in memory, with the same sparse-store behaviour as the grid.
class TMemoryProtocolTable : public TProtocolTable
{
public:
    explicit TMemoryProtocolTable(int colCount = 5, int rowCount = 2);

    int ColCount() const override { return FColCount; }
    int RowCount() const override { return FRowCount; }
    void setRowCount(int value) override;
    QString Cells(int col, int row) const override;
    QStringView CellView(int col, int row) const override;
    void setCells(int col, int row, const QString &value) override;
    void DiscardRowsFrom(int row) override;

    // Rows as lists of ColCount texts, for comparisons in tests.
    QList<QStringList> Rows() const;

private:
    int FColCount;
    int FRowCount;
    QList<QStringList> FStore;
};
