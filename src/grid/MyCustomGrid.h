#pragma once

#include "ColorValue.h"
#include "GridTypes.h"

#include <QAbstractScrollArea>

#include <functional>
#include <optional>
#include <vector>

class TInplaceEdit;
class QPainter;

// The grid base: fixed and scrollable cells with grid lines, a current cell and a
// rectangle selection, keyboard and mouse navigation, column sizing and moving,
// the in-place editor and an update bracket. Cells are painted on the viewport
// through paintCell, which only ever touches the cells in view.
class TMyCustomGrid : public QAbstractScrollArea
{
    Q_OBJECT

public:
    enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
    enum TBorderStyle { bsNone, bsSingle };

    explicit TMyCustomGrid(QWidget *parent = nullptr);
    ~TMyCustomGrid() override;

    int ColCount() const { return m_colCount; }
    void setColCount(int value);
    int RowCount() const { return m_rowCount; }
    void setRowCount(int value);
    int FixedCols() const { return m_fixedCols; }
    void setFixedCols(int value);
    int FixedRows() const { return m_fixedRows; }
    void setFixedRows(int value);

    int DefaultColWidth() const { return m_defaultColWidth; }
    void setDefaultColWidth(int value);
    int DefaultRowHeight() const { return m_defaultRowHeight; }
    void setDefaultRowHeight(int value);
    // A width of -1 hides the column.
    int ColWidths(int col) const;
    void setColWidths(int col, int width);
    int RowHeights(int row) const;
    void setRowHeights(int row, int height);
    int GridLineWidth() const { return m_gridLineWidth; }
    void setGridLineWidth(int value);

    TColor Color() const { return m_color; }
    void setColor(TColor value);
    TColor FixedColor() const { return m_fixedColor; }
    void setFixedColor(TColor value);
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(TBorderStyle value);
    TScrollStyle ScrollBars() const { return m_scrollBars; }
    void setScrollBars(TScrollStyle value);
    bool DefaultDrawing() const { return m_defaultDrawing; }
    void setDefaultDrawing(bool value) { m_defaultDrawing = value; }
    bool TabStop() const { return focusPolicy() != Qt::NoFocus; }
    void setTabStop(bool value);
    TGridOptions Options() const { return m_options; }
    void setOptions(TGridOptions value);

    int Col() const { return m_current.X; }
    void setCol(int value);
    int Row() const { return m_current.Y; }
    void setRow(int value);
    // The rectangle between the anchor and the current cell, or the highlighted cells.
    TGridRect Selection() const;
    // Makes the top-left corner the anchor and the bottom-right corner the current cell,
    // which is scrolled into view. An open edit is committed first.
    void setSelection(const TGridRect &value);
    // Shows a rectangle as the selection while the current cell stays where it is; the
    // next move of the current cell or of the selection ends it.
    void HighlightCells(const TGridRect &value);

    int LeftCol() const { return m_leftCol; }
    void setLeftCol(int value);
    int TopRow() const { return m_topRow; }
    void setTopRow(int value);
    // Scrollable columns and rows fully in view from LeftCol and TopRow on.
    int VisibleColCount() const;
    int VisibleRowCount() const;

    // The cell under a viewport point, -1 in a field that lies outside the cells.
    TGridCoord MouseCoord(int x, int y) const;
    // The viewport rectangle of a cell; empty when the cell is not in view.
    QRect CellRect(int col, int row) const;

    bool EditorMode() const { return m_editorMode; }
    void setEditorMode(bool value);
    TInplaceEdit *InplaceEditor() const { return m_editor; }
    bool EditorShowing() const;
    // Ends an open edit in its own cell, validated as leaving the grid does, and closes
    // the editor. Every command that moves the current cell or changes the counts runs
    // it first; only the user's own moves from cell to cell take the editor along.
    virtual void CommitEditing();

    bool NowUpdating() const { return m_nowUpdating; }
    virtual void BeginUpdate();
    virtual void EndUpdate();

    void MoveColumn(int fromIndex, int toIndex);
    void MoveRow(int fromIndex, int toIndex);
    virtual void DeleteColumn(int col);
    virtual void DeleteRow(int row);

    void InvalidateCell(int col, int row);
    void InvalidateRow(int row);
    void InvalidateCol(int col);
    void InvalidateGrid();

    // Moves the current cell, asking SelectCell first; MoveAnchor collapses the
    // selection to the new cell, Show scrolls it into view.
    void FocusCell(int col, int row, bool moveAnchor);
    // False when the cell refused the cursor. An open editor moves on with the cell.
    bool MoveCurrent(int col, int row, bool moveAnchor, bool show);

    std::function<void(TMyCustomGrid *)> OnBeginUpdate;
    std::function<void(TMyCustomGrid *)> OnTopLeftChanged;
    std::function<void(TMyCustomGrid *)> OnClick;
    std::function<void(TMyCustomGrid *)> OnDblClick;

protected:
    // Painting of one cell with the painter's pen and brush prepared by paintCell.
    virtual void DrawCell(QPainter &painter, int col, int row, const QRect &rect, TGridDrawState state);
    virtual bool SelectCell(int col, int row);
    // Runs after a change of ColCount or RowCount outside an update bracket.
    virtual void SizeChanged(int oldColCount, int oldRowCount);
    virtual void ColumnMoved(int fromIndex, int toIndex);
    virtual void RowMoved(int fromIndex, int toIndex);
    // The column or row has left the grid's count; data stores drop it.
    virtual void ColumnDeleted(int col);
    virtual void RowDeleted(int row);
    virtual void ColWidthsChanged();
    virtual void RowHeightsChanged();
    virtual void TopLeftChanged();
    virtual QString GetEditText(int col, int row);
    virtual void SetEditText(int col, int row, const QString &value);
    virtual bool CanEditShow() const;
    // The editor has just taken up the text of the current cell.
    virtual void EditStarted();
    // The edit of the editor's cell is complete (it is about to close or move on).
    virtual void EditEnding();
    // Esc has put back the text the edit started with.
    virtual void EditCancelled();
    virtual void Click();
    virtual void DblClick();

    void ShowEditor();
    void HideEditor();
    // Commits the edit in its own cell and hides the editor; the pick lists of derived
    // grids are not touched.
    void CloseEditor();
    // Leaves editing: Cancel puts back the text the editor started with.
    void EndEditing(bool cancel);
    // The selection change itself: anchor, current cell, scrolling and the editor.
    void ApplySelection(const TGridRect &value);
    void ShowEditorChar(QChar ch);

    // True while the left button drags a selection rectangle or a column border.
    bool Sizing() const { return m_gridState == gsColSizing; }
    // The column whose right border lies within a few pixels of x, or -1.
    int ColBorderAt(int x) const;

    // Colours the base chooses for a cell, given its state.
    TColor CellBrushColor(int col, int row, TGridDrawState state) const;
    TColor CellFontColor(TGridDrawState state) const;
    TGridDrawState CellState(int col, int row) const;

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
    bool viewportEvent(QEvent *event) override;
    bool focusNextPrevChild(bool next) override;

    void UpdateScrollRange();
    void ClampInView(int col, int row);
    // Make room in the size tables for a column or row inserted at an index.
    void InsertColSlot(int col);
    void InsertRowSlot(int row);

private:
    friend class TInplaceEdit;
    enum TGridState { gsNormal, gsSelecting, gsColSizing, gsColMoving };

    void paintCell(QPainter &painter, int col, int row, const QRect &rect);
    void ChangeSize(int newColCount, int newRowCount);
    int EffectiveColLine(int col) const;
    int EffectiveRowLine(int row) const;
    // Columns and rows laid out along one axis: the fixed ones, then the
    // scrolled ones from LeftCol or TopRow on.
    struct Axis;
    Axis Columns() const;
    Axis Rows() const;
    int ColumnAtX(int x) const;
    int RowAtY(int y) const;
    int ColLeft(int col) const;
    int RowTop(int row) const;
    int MaxTopRow() const;
    int MaxLeftCol() const;
    // Keeps LeftCol and TopRow between the fixed cells and the last full view.
    void ClampTopLeft();
    void SetTopLeft(int leftCol, int topRow);
    void SelectionMoved(const TGridRect &oldSelection);
    void InvalidateRect(const TGridRect &rect);
    void UpdateEditor();
    // Puts the text of the current cell into the editor and makes it the editor's cell.
    void LoadEditor();
    // Sizes, counts or scroll position changed: scroll range, editor place, repaint.
    void GeometryChanged();
    int NextVisibleCol(int col, int step) const;
    bool KeyMove(int col, int row, Qt::KeyboardModifiers modifiers);
    // Home and End: the first (or, with step -1, the last) column of the row that takes
    // the cursor.
    void KeyMoveToEdge(int row, int step, Qt::KeyboardModifiers modifiers);

    int m_colCount = 5;
    int m_rowCount = 5;
    int m_fixedCols = 1;
    int m_fixedRows = 1;
    int m_defaultColWidth = 64;
    int m_defaultRowHeight = 24;
    int m_gridLineWidth = 1;
    std::vector<int> m_colWidths;  // empty entries read as DefaultColWidth
    std::vector<int> m_rowHeights; // empty entries read as DefaultRowHeight
    TColor m_color = Colors::clWindow;
    TColor m_fixedColor = Colors::clBtnFace;
    TBorderStyle m_borderStyle = bsSingle;
    TScrollStyle m_scrollBars = ssBoth;
    bool m_defaultDrawing = true;
    TGridOptions m_options = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;

    TGridCoord m_current{1, 1};
    TGridCoord m_anchor{1, 1};
    int m_leftCol = 1;
    int m_topRow = 1;
    bool m_updatingScroll = false;

    std::optional<TGridRect> m_highlight;

    TInplaceEdit *m_editor = nullptr;
    bool m_editorMode = false;
    TGridCoord m_editCell{-1, -1}; // the cell the editor's text belongs to
    QString m_editStartText;

    bool m_nowUpdating = false;
    bool m_hadFocusBeforeUpdate = false;

    TGridState m_gridState = gsNormal;
    int m_sizingCol = -1;
    int m_sizingStartX = 0;
    int m_sizingStartWidth = 0;
    int m_moveFrom = -1;
};
