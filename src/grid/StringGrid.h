#pragma once

#include "grid/CellStore.h"
#include "grid/GridBase.h"
#include "grid/GridRowStrings.h"

// The string grid: texts and object references per cell in a sparse store that
// does not depend on colCount and rowCount, so cells outside the counts can be
// written and read and keep their text while the counts shrink and grow.
class StringGrid : public GridBase
{
    Q_OBJECT

public:
    explicit StringGrid(QWidget *parent = nullptr);

    QString cells(int col, int row) const { return m_store.get(col, row); }
    // A cell's text without a copy; valid until the grid's cells change.
    QStringView cellView(int col, int row) const { return m_store.view(col, row); }
    void rowViews(int row, std::span<QStringView> out) const { m_store.rowViews(row, out); }
    void setCells(int col, int row, const QString &text);
    QObject *objects(int col, int row) const { return m_store.object(col, row); }
    void setObjects(int col, int row, QObject *object);

    GridRowStrings rowStrings(int row) { return GridRowStrings(this, GridRowStrings::Kind::Row, row); }
    GridRowStrings colStrings(int col) { return GridRowStrings(this, GridRowStrings::Kind::Column, col); }
    void setRowStrings(int row, const QStringList &texts) { rowStrings(row).assign(texts); }
    void setColStrings(int col, const QStringList &texts) { colStrings(col).assign(texts); }

    // Empties every row from `row` on, the rows kept beyond rowCount too: a table that
    // does not use them must not get old text back when its row count grows again.
    void discardRowsFrom(int row);

    // Moves on with every change of the cells (CellStore::version).
    quint64 cellVersion() const { return m_store.version(); }

    // Puts `cells` in the place of the grid's cells in one step, for a table filled beside
    // the window, and returns the cells the grid held. The row count stays as it is.
    CellStore replaceCells(CellStore cells);

    // Batches repaints of many cell writes into one.
    void beginCellUpdate();
    void endCellUpdate();

protected:
    void drawCell(QPainter &painter, int col, int row, const QRect &rect, GridDrawState state) override;
    void moveColumnData(int fromIndex, int toIndex) override;
    void moveRowData(int fromIndex, int toIndex) override;
    void removeColumnData(int col) override;
    void removeRowData(int row) override;
    QString getEditText(int col, int row) override;
    void setEditText(int col, int row, const QString &value) override;

    CellStore &store() { return m_store; }
    const CellStore &store() const { return m_store; }

private:
    CellStore m_store;
    int m_cellUpdate = 0;
};
