#pragma once

#include "grid/GridGeometry.h"
#include "grid/GridTypes.h"
#include "grid/InplaceEditor.h"
#include "platform/ColorValue.h"

#include <QAbstractScrollArea>

#include <optional>

class QPainter;

// The grid base: fixed and scrollable cells with grid lines, a current cell and a
// rectangle selection, keyboard and mouse navigation, column sizing and moving,
// the in-place editor and an update bracket. Cells are painted on the viewport
// through paintCell, which only ever touches the cells in view.
class GridBase : public QAbstractScrollArea
{
    Q_OBJECT

public:
    enum class ScrollStyle { None, Horizontal, Vertical, Both };
    enum class BorderStyle { None, Single };

    explicit GridBase(QWidget *parent = nullptr);
    ~GridBase() override;

    int colCount() const { return m_geometry.colCount(); }
    void setColCount(int value);
    int rowCount() const { return m_geometry.rowCount(); }
    void setRowCount(int value);
    int fixedCols() const { return m_geometry.fixedCols(); }
    void setFixedCols(int value);
    int fixedRows() const { return m_geometry.fixedRows(); }
    void setFixedRows(int value);

    int defaultColWidth() const { return m_geometry.defaultColWidth(); }
    void setDefaultColWidth(int value);
    int defaultRowHeight() const { return m_geometry.defaultRowHeight(); }
    void setDefaultRowHeight(int value);
    // A width of -1 hides the column.
    int columnWidth(int col) const { return m_geometry.colWidth(col); }
    void setColumnWidth(int col, int width);
    int rowHeight(int row) const { return m_geometry.rowHeight(row); }
    void setRowHeight(int row, int height);
    int gridLineWidth() const { return m_geometry.gridLineWidth(); }
    void setGridLineWidth(int value);

    ColorValue color() const { return m_color; }
    void setColor(ColorValue value);
    ColorValue fixedColor() const { return m_fixedColor; }
    void setFixedColor(ColorValue value);
    BorderStyle borderStyle() const { return m_borderStyle; }
    void setBorderStyle(BorderStyle value);
    ScrollStyle scrollBars() const { return m_scrollBars; }
    void setScrollBars(ScrollStyle value);
    bool defaultDrawing() const { return m_defaultDrawing; }
    void setDefaultDrawing(bool value) { m_defaultDrawing = value; }
    bool tabStop() const { return focusPolicy() != Qt::NoFocus; }
    void setTabStop(bool value);
    GridOptions options() const { return m_options; }
    void setOptions(GridOptions value);

    int currentCol() const { return m_current.x; }
    void setCurrentCol(int value);
    int currentRow() const { return m_current.y; }
    void setCurrentRow(int value);
    // The rectangle between the anchor and the current cell, or the highlighted cells.
    GridRect selection() const;
    // Makes the top-left corner the anchor and the bottom-right corner the current cell,
    // which is scrolled into view. An open edit is committed first.
    void setSelection(const GridRect &value);
    // Shows a rectangle as the selection while the current cell stays where it is; the
    // next move of the current cell or of the selection ends it.
    void highlightCells(const GridRect &value);

    int leftCol() const { return m_geometry.leftCol(); }
    void setLeftCol(int value);
    int topRow() const { return m_geometry.topRow(); }
    void setTopRow(int value);
    // Scrollable columns and rows fully in view from leftCol and topRow on.
    int visibleColCount() const;
    int visibleRowCount() const;

    // The cell under a viewport point, -1 in a field that lies outside the cells.
    GridCoord mouseCoord(int x, int y) const;
    // The viewport rectangle of a cell; empty when the cell is not in view.
    QRect cellRect(int col, int row) const;

    bool editorMode() const { return m_editorMode; }
    void setEditorMode(bool value);
    InplaceEditor *inplaceEditor() const { return m_editor; }
    bool editorShowing() const;
    // Ends an open edit in its own cell, validated as leaving the grid does, and closes
    // the editor. Every command that moves the current cell or changes the counts runs
    // it first; only the user's own moves from cell to cell take the editor along.
    virtual void commitEditing();

    bool nowUpdating() const { return m_nowUpdating; }
    virtual void beginUpdate();
    virtual void endUpdate();

    void moveColumn(int fromIndex, int toIndex);
    void moveRow(int fromIndex, int toIndex);
    virtual void deleteColumn(int col);
    virtual void deleteRow(int row);

    void invalidateCell(int col, int row);
    void invalidateRow(int row);
    void invalidateCol(int col);
    void invalidateGrid();

    // Moves the current cell, asking selectCell first; MoveAnchor collapses the
    // selection to the new cell, Show scrolls it into view.
    void focusCell(int col, int row, bool moveAnchor);
    // False when the cell refused the cursor. An open editor moves on with the cell.
    bool moveCurrent(int col, int row, bool moveAnchor, bool show);

    // Whether the cursor may move to a cell; a subclass may refuse some. The default
    // takes every cell.
    virtual bool canSelectCell(int col, int row);

Q_SIGNALS:
    void updateBegun();
    void updateEnded();
    // colCount or rowCount changed outside an update bracket.
    void sizeChanged(int oldColCount, int oldRowCount);
    void columnMoved(int fromIndex, int toIndex);
    void columnWidthsChanged();
    // An edit of a cell by the user ended with other text than the cell had before.
    void cellEdited(int col, int row, const QString &oldText, const QString &newText);

protected:
    // Painting of one cell with the painter's pen and brush prepared by paintCell.
    virtual void drawCell(QPainter &painter, int col, int row, const QRect &rect, GridDrawState state);
    // The cursor is about to move to a cell; false keeps it where it is.
    virtual bool selectCell(int col, int row);
    // Runs after a change of colCount or rowCount outside an update bracket, before
    // sizeChanged is emitted.
    virtual void adjustToSize(int oldColCount, int oldRowCount);
    // Data kept per column or row follows a move or leaves with a deleted one.
    virtual void moveColumnData(int fromIndex, int toIndex);
    virtual void moveRowData(int fromIndex, int toIndex);
    virtual void removeColumnData(int col);
    virtual void removeRowData(int row);
    // A column width or a row height changed.
    virtual void cellSizesChanged();
    virtual void topLeftChanged();
    virtual QString getEditText(int col, int row);
    virtual void setEditText(int col, int row, const QString &value);
    virtual bool canEditShow() const;
    // The editor has just taken up the text of the current cell.
    virtual void editStarted();
    // The edit of the editor's cell is complete (it is about to close or move on).
    virtual void editEnding();
    // Esc has put back the text the edit started with.
    virtual void editCancelled();
    // The user moved the cursor, by key or by mouse.
    virtual void click();

    void showEditor();
    void hideEditor();
    // Commits the edit in its own cell and hides the editor; the pick lists of derived
    // grids are not touched.
    void closeEditor();
    // Leaves editing: Cancel puts back the text the editor started with.
    void endEditing(bool cancel);
    // The selection change itself: anchor, current cell, scrolling and the editor.
    void applySelection(const GridRect &value);
    void showEditorChar(QChar ch);

    // True while the left button drags a selection rectangle or a column border.
    bool sizing() const { return m_gridState == GridState::ColSizing; }
    // The column whose right border lies within a few pixels of x, or -1.
    int colBorderAt(int x) const;

    // Colours the base chooses for a cell, given its state.
    ColorValue cellBrushColor(int col, int row, GridDrawState state) const;
    ColorValue cellFontColor(GridDrawState state) const;
    GridDrawState cellState(int col, int row) const;

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool focusNextPrevChild(bool next) override;

    void updateScrollRange();
    void clampInView(int col, int row);
    // Make room in the size tables for a column or row inserted at an index.
    void insertColSlot(int col);
    void insertRowSlot(int row);

private:
    friend class InplaceEditor;
    enum class GridState { Normal, Selecting, ColSizing, ColMoving };

    // The cell geometry at the viewport's present size: a hidden grid gets its resize
    // events only once shown, so the size is taken at every use.
    const GridGeometry &geometryInView() const;
    GridGeometry &geometryInView();
    void paintCell(QPainter &painter, int col, int row, const QRect &rect);
    void changeSize(int newColCount, int newRowCount);
    // Keeps the current cell and the anchor inside the scrolled cells.
    void clampCursor();
    void setTopLeft(int leftCol, int topRow);
    void selectionMoved(const GridRect &oldSelection);
    void invalidateRect(const GridRect &rect);
    void updateEditor();
    // Puts the text of the current cell into the editor and makes it the editor's cell.
    void loadEditor();
    // Sizes, counts or scroll position changed: scroll range, editor place, repaint.
    void geometryChanged();
    int nextVisibleCol(int col, int step) const;
    bool keyMove(int col, int row, Qt::KeyboardModifiers modifiers);
    // Home and End: the first (or, with step -1, the last) column of the row that takes
    // the cursor.
    void keyMoveToEdge(int row, int step, Qt::KeyboardModifiers modifiers);

    mutable GridGeometry m_geometry;
    ColorValue m_color = Colors::clWindow;
    ColorValue m_fixedColor = Colors::clBtnFace;
    BorderStyle m_borderStyle = BorderStyle::Single;
    ScrollStyle m_scrollBars = ScrollStyle::Both;
    bool m_defaultDrawing = true;
    GridOptions m_options = GridOption::FixedVertLine | GridOption::FixedHorzLine | GridOption::VertLine
        | GridOption::HorzLine | GridOption::RangeSelect;

    GridCoord m_current{1, 1};
    GridCoord m_anchor{1, 1};
    bool m_updatingScroll = false;

    std::optional<GridRect> m_highlight;

    InplaceEditor *m_editor = nullptr;
    bool m_editorMode = false;
    GridCoord m_editCell{-1, -1}; // the cell the editor's text belongs to
    QString m_editStartText;
    // Tells what the edit of m_editCell changed, when it changed anything.
    void reportEdit();

    bool m_nowUpdating = false;
    bool m_hadFocusBeforeUpdate = false;

    GridState m_gridState = GridState::Normal;
    int m_sizingCol = -1;
    int m_sizingStartX = 0;
    int m_sizingStartWidth = 0;
    int m_moveFrom = -1;
};
