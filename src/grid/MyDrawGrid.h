#pragma once

#include "MyCustomGrid.h"

// The owner-drawn grid: the base with its cell, selection, editing and moving
// notifications published as events.
class TMyDrawGrid : public TMyCustomGrid
{
    Q_OBJECT

public:
    explicit TMyDrawGrid(QWidget *parent = nullptr);

    std::function<void(TMyCustomGrid *Sender, int ACol, int ARow, const QRect &Rect, TGridDrawState State)> OnDrawCell;
    std::function<void(TMyCustomGrid *Sender, int ACol, int ARow, bool &CanSelect)> OnSelectCell;
    std::function<void(TMyCustomGrid *Sender, int ACol, int ARow, QString &Value)> OnGetEditMask;
    std::function<void(TMyCustomGrid *Sender, int ACol, int ARow, QString &Value)> OnGetEditText;
    std::function<void(TMyCustomGrid *Sender, int ACol, int ARow, const QString &Value)> OnSetEditText;
    std::function<void(TMyCustomGrid *Sender, int FromIndex, int ToIndex)> OnColumnMoved;
    std::function<void(TMyCustomGrid *Sender, int FromIndex, int ToIndex)> OnRowMoved;

protected:
    void DrawCell(QPainter &painter, int col, int row, const QRect &rect, TGridDrawState state) override;
    bool SelectCell(int col, int row) override;
    void ColumnMoved(int fromIndex, int toIndex) override;
    void RowMoved(int fromIndex, int toIndex) override;
    QString GetEditText(int col, int row) override;
    void SetEditText(int col, int row, const QString &value) override;
};
