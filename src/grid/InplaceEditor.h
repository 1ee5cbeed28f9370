#pragma once

#include <QLineEdit>

class GridBase;

// The editor shown over the current cell while a cell is being edited. Every
// change is written through to the cell at once; Esc puts the old text back,
// Enter ends editing, and the vertical movement keys go to the grid.
class InplaceEditor : public QLineEdit
{
    Q_OBJECT

public:
    explicit InplaceEditor(GridBase *grid);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    GridBase *m_grid;
};
