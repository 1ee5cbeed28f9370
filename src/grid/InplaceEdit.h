#pragma once

#include <QLineEdit>

class TMyCustomGrid;

// The editor shown over the current cell while a cell is being edited. Every
// change is written through to the cell at once; Esc puts the old text back,
// Enter ends editing, and the vertical movement keys go to the grid.
class TInplaceEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit TInplaceEdit(TMyCustomGrid *grid);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    TMyCustomGrid *m_grid;
};
