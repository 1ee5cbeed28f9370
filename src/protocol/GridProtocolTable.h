#pragma once

#include "protocol/ProtocolTable.h"

class SortGrid;

// The protocol grid seen as a protocol table.
class GridProtocolTable : public ProtocolTable
{
public:
    explicit GridProtocolTable(SortGrid *grid);

    int colCount() const override;
    int rowCount() const override;
    void setRowCount(int value) override;
    QString cells(int col, int row) const override;
    QStringView cellView(int col, int row) const override;
    void rowViews(int row, std::span<QStringView> out) const override;
    void setCells(int col, int row, const QString &value) override;
    void discardRowsFrom(int row) override;
    void beginUpdate() override;
    void endUpdate() override;

private:
    SortGrid *m_grid;
    bool m_ownsBracket = false;
};
