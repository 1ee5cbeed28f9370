#pragma once

#include "ProtocolTable.h"

class TSortGrid;

// The protocol grid seen as a protocol table.
class TSortGridTable : public TProtocolTable
{
public:
    explicit TSortGridTable(TSortGrid *grid);

    int ColCount() const override;
    int RowCount() const override;
    void setRowCount(int value) override;
    QString Cells(int col, int row) const override;
    QStringView CellView(int col, int row) const override;
    void setCells(int col, int row, const QString &value) override;
    void DiscardRowsFrom(int row) override;
    void BeginUpdate() override;
    void EndUpdate() override;

private:
    TSortGrid *FGrid;
    bool FOwnsBracket = false;
};
