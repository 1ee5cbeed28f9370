#pragma once

#include "protocol/ProtocolTable.h"

#include <QList>

// A protocol table held in memory, with the same sparse-store behaviour as the grid.
class MemoryProtocolTable : public ProtocolTable
{
public:
    explicit MemoryProtocolTable(int colCount = 5, int rowCount = 2);

    int colCount() const override { return m_colCount; }
    int rowCount() const override { return m_rowCount; }
    void setRowCount(int value) override;
    QString cells(int col, int row) const override;
    QStringView cellView(int col, int row) const override;
    void setCells(int col, int row, const QString &value) override;
    void discardRowsFrom(int row) override;

    // Rows as lists of colCount texts, for comparisons in tests.
    QList<QStringList> rows() const;

private:
    int m_colCount;
    int m_rowCount;
    QList<QStringList> m_store;
};
