#pragma once

#include "MyDrawGrid.h"
#include "MyStringGridStrings.h"
#include "StringSparseList.h"

// The string grid: texts and object references per cell in a sparse store that
// does not depend on ColCount and RowCount, so cells outside the counts can be
// written and read and keep their text while the counts shrink and grow.
class TMyStringGrid : public TMyDrawGrid
{
    Q_OBJECT

public:
    explicit TMyStringGrid(QWidget *parent = nullptr);

    QString Cells(int col, int row) const { return m_store.Get(col, row); }
    // A cell's text without a copy; valid until the grid's cells change.
    QStringView CellView(int col, int row) const { return m_store.View(col, row); }
    void setCells(int col, int row, const QString &text);
    QObject *Objects(int col, int row) const { return m_store.Object(col, row); }
    void setObjects(int col, int row, QObject *object);

    TMyStringGridStrings Rows(int row) { return TMyStringGridStrings(this, TMyStringGridStrings::vkRow, row); }
    TMyStringGridStrings Cols(int col) { return TMyStringGridStrings(this, TMyStringGridStrings::vkCol, col); }
    void setRows(int row, const QStringList &texts) { Rows(row).Assign(texts); }
    void setCols(int col, const QStringList &texts) { Cols(col).Assign(texts); }

    // Empties every row from `row` on, the rows kept beyond RowCount too: a table that
    // does not use them must not get old text back when its row count grows again.
    void DiscardRowsFrom(int row);

    // Batches repaints of many cell writes into one.
    void BeginCellUpdate();
    void EndCellUpdate();

protected:
    void DrawCell(QPainter &painter, int col, int row, const QRect &rect, TGridDrawState state) override;
    void ColumnMoved(int fromIndex, int toIndex) override;
    void RowMoved(int fromIndex, int toIndex) override;
    void ColumnDeleted(int col) override;
    void RowDeleted(int row) override;
    QString GetEditText(int col, int row) override;
    void SetEditText(int col, int row, const QString &value) override;

    TStringSparseList &Store() { return m_store; }
    const TStringSparseList &Store() const { return m_store; }

private:
    TStringSparseList m_store;
    int m_cellUpdate = 0;
};
