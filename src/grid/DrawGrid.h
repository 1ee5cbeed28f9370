#pragma once

#include "grid/GridBase.h"

// The owner-drawn grid: the base with its cell, selection, editing and moving
// notifications published as events.
class DrawGrid : public GridBase
{
    Q_OBJECT

public:
    explicit DrawGrid(QWidget *parent = nullptr);

    std::function<void(GridBase *sender, int col, int row, const QRect &rect, GridDrawState state)> OnDrawCell;
    std::function<void(GridBase *sender, int col, int row, bool &canSelect)> OnSelectCell;
    std::function<void(GridBase *sender, int col, int row, QString &value)> OnGetEditMask;
    std::function<void(GridBase *sender, int col, int row, QString &value)> OnGetEditText;
    std::function<void(GridBase *sender, int col, int row, const QString &value)> OnSetEditText;
    std::function<void(GridBase *sender, int fromIndex, int toIndex)> OnColumnMoved;
    std::function<void(GridBase *sender, int fromIndex, int toIndex)> OnRowMoved;

protected:
    void drawCell(QPainter &painter, int col, int row, const QRect &rect, GridDrawState state) override;
    bool selectCell(int col, int row) override;
    void columnMoved(int fromIndex, int toIndex) override;
    void rowMoved(int fromIndex, int toIndex) override;
    QString getEditText(int col, int row) override;
    void setEditText(int col, int row, const QString &value) override;
};
