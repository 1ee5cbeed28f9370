#pragma once

#include "grid/CellFormat.h"
#include "grid/SortOptions.h"
#include "grid/SortedList.h"
#include "grid/StringGrid.h"

#include <QListWidget>
#include <QPixmap>
#include <QPointer>
#include <QStringList>

#include <memory>

class QMenu;

// The entries a drop-down cell offers.
struct ComboChoices
{
    QStringList items;
    int width = 0; // 0: as wide as the cell
    int height = 0; // 0: as tall as up to ten entries need; else ten entries tall
    bool sorted = true;
};

// The verdict on an edited text.
struct CellValidation
{
    bool valid = true;
    // The text the cell keeps; a refused edit whose text is unchanged gets back the
    // text it started with.
    QString text;
};

// The string grid that holds the results protocol: sorting by one column and
// secondary columns, a sort marker in the title, an update bracket that stops
// sorting and painting, a modified flag, filtering and hidden rows, a row
// selection list, per-cell formats with check-box, drop-down and ellipsis cells,
// and validation of edited text. Row 0 is the title; data rows start at 1.
class SortGrid : public StringGrid
{
    Q_OBJECT

public:
    explicit SortGrid(QWidget *parent = nullptr);
    ~SortGrid() override;

    // ---- sort settings, modified flag, update bracket
    SortOptions *sortOptions() const { return m_sortOptions.get(); }
    void setSortOptions(const SortOptions &value) { *m_sortOptions = value; }
    QStringList userSettings() const { return m_userSettings; }
    void setUserSettings(const QStringList &value);
    QMenu *popupMenu() const { return m_popupMenu; }
    void setPopupMenu(QMenu *value) { m_popupMenu = value; }
    // The data row the popup menu was last opened on.
    int popupRow() const { return m_popupRow; }

    bool modified() const { return m_modified; }
    void setModified(bool value);

    void sortByColumn(int col);
    void beginUpdate() override;
    void endUpdate() override;
    void clear();

    // ---- filtering, hidden rows, row selection and row editing
    bool filtered() const { return m_filtered; }
    void setFiltered(bool value);
    bool hideRows() const { return m_hideRows; }
    void setHideRows(bool value);
    bool multiSelect() const { return m_multiSelect; }
    void setMultiSelect(bool value);
    bool extendedKeys() const { return m_extendedKeys; }
    void setExtendedKeys(bool value) { m_extendedKeys = value; }
    int hiddenCount() const { return m_hiddenCount; }
    // Selected data rows as decimal texts, in the order they were added.
    QStringList selectedRows() const { return m_selectedRows; }
    // Rows in the order the user picked them; the first is the anchor.
    QStringList anchorRows() const { return m_anchorRows; }
    bool selectFollowsCursor() const { return m_selectFollowsCursor; }
    void setSelectFollowsCursor(bool value) { m_selectFollowsCursor = value; }

    void clearSelection();
    bool isRowSelected(int row) const;
    bool isRowEmpty(int row) const;
    void gotoCell(int col, int row, bool scroll);
    void scrollToCell(int col, int row);
    void insertRow(int row);
    void deleteRow(int row) override;
    void insertColumn(int col);
    void deleteColumn(int col) override;
    void moveRow(int fromIndex, int toIndex);
    void swapRows(int a, int b);

    // ---- cell format and painting
    HorizontalAlignment alignmentHorz() const { return m_alignmentHorz; }
    void setAlignmentHorz(HorizontalAlignment value);
    VerticalAlignment alignmentVert() const { return m_alignmentVert; }
    void setAlignmentVert(VerticalAlignment value);
    CellBevelStyle bevelStyle() const { return m_bevelStyle; }
    void setBevelStyle(CellBevelStyle value);
    bool proportionalScrollBars() const { return m_proportionalScrollBars; }
    void setProportionalScrollBars(bool value);

    void autoSizeColumn(int col, bool force);
    void autoSizeAllColumns(bool force);
    FontList &colFormats() { return m_colFormats; }
    FontList &rowFormats() { return m_rowFormats; }

    // ---- in-cell editing
    void setChecked(int col, int row, bool state);
    bool isChecked(int col, int row);
    bool showComboList(int col, int row);
    QListWidget *comboList() const { return m_comboList; }
    // Commits an open drop-down list into its own cell as well as an open edit.
    void commitEditing() override;
    // Whether a typed character first searches the sort column (on by default).
    bool typeAheadSearch() const { return m_typeAheadSearch; }
    void setTypeAheadSearch(bool value) { m_typeAheadSearch = value; }

    // The offset from a cell's grid coordinates to the drop-down list's position
    // on the grid's window: the grid's client origin there.
    QPoint comboListOffset() const;

    // ---- what a subclass answers
    // How a cell is painted and which control it has. The default gives the grid's
    // colours, font, alignment and bevel and no control; `state` tells whether the
    // cell is focused and selected.
    virtual CellFormat cellFormat(int col, int row, GridDrawState state) const;
    // The style a sort by col uses; the default is the style of the sort options, or
    // the one the column's texts suggest when that is SortStyle::Automatic.
    virtual SortStyle sortStyle(int col) const;
    // The column a sort by col really sorts by; col unless a subclass knows better.
    virtual int sortKeyColumn(int col) const;
    // Whether a data row stays in view while the grid is filtered; the default hides all.
    virtual bool filterAcceptsRow(const QStringList &cells) const;
    // The entries of a drop-down cell's list; none by default, and then no list opens.
    virtual ComboChoices comboChoices(int col, int row) const;
    // The verdict on an edit of a cell from oldText to newText; the default accepts it.
    virtual CellValidation validateCell(int col, int row, const QString &oldText,
                                        const QString &newText) const;

Q_SIGNALS:
    // The grid was marked modified (also when it already was).
    void markedModified();
    void sortFinished(int col);
    // The selected rows changed.
    void rowSelected();
    void rowInserted(int row);
    void rowDeleted(int row);
    void columnInserted(int col);
    void columnDeleted(int col);
    // An entry of a drop-down list was written into its cell.
    void comboEntryChosen(int col, int row, const QString &text);
    // A check-box cell was set, by the user or by setChecked.
    void checkedSet(int col, int row, bool checked);
    void ellipsisClicked(int col, int row);
    // A message for the user, such as "Rowsize too small".
    void messageRaised(const QString &text);

protected:
    void drawCell(QPainter &painter, int col, int row, const QRect &rect, GridDrawState state) override;
    bool selectCell(int col, int row) override;
    void adjustToSize(int oldColCount, int oldRowCount) override;
    void moveColumnData(int fromIndex, int toIndex) override;
    void cellSizesChanged() override;
    void setEditText(int col, int row, const QString &value) override;
    bool canEditShow() const override;
    void editStarted() override;
    void editEnding() override;
    void editCancelled() override;
    void click() override;
    void topLeftChanged() override;

    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    // Starts the drag of the selected rows: by default a drag of their numbers as text.
    virtual void startDrag();

private:
    SortStyle detectSortStyle(int col) const;
    void fitLastColumn();
    void updateProportionalScrollBars();
    void chooseComboEntry();
    void hideComboList();
    void rememberEdit();
    void validateEdit();
    bool isCheckedText(const QString &text) const;
    // The cell's format as cellFormat answers it for the cell's present state.
    CellFormat currentFormat(int col, int row) const;
    void titleClick(int col, int x, Qt::MouseButton button);
    void typeAhead(QChar key);
    void selectRangeRows();
    void addSelected(int row);
    FontSetting rowFormatFromCell(int row) const;
    GridCoord cellAtPoint(const QPoint &p) const;

    std::unique_ptr<SortOptions> m_sortOptions;
    QStringList m_userSettings;
    QMenu *m_popupMenu = nullptr;
    int m_popupRow = 0;
    bool m_modified = false;
    bool m_savedUpdateOnSizeChange = false;
    SortedList m_sortedList;

    bool m_filtered = false;
    bool m_hideRows = false;
    bool m_multiSelect = false;
    bool m_extendedKeys = false;
    int m_hiddenCount = 0;
    QStringList m_selectedRows;
    QStringList m_anchorRows;
    bool m_selectFollowsCursor = true;
    bool m_rangeSelect = false;

    HorizontalAlignment m_alignmentHorz = HorizontalAlignment::Left;
    VerticalAlignment m_alignmentVert = VerticalAlignment::Top;
    CellBevelStyle m_bevelStyle = CellBevelStyle::None;
    bool m_proportionalScrollBars = false;
    FontList m_colFormats;
    FontList m_rowFormats;
    QPixmap m_upImage;
    QPixmap m_downImage;

    QPointer<QListWidget> m_comboList;
    QMetaObject::Connection m_focusConnection;
    GridCoord m_pressCell;
    QPoint m_dragPoint{-1, -1};
    bool m_dragging = false;
    bool m_tabDown = false;
    bool m_pressSizing = false;
    bool m_closingList = false; // the list is going away; its losing the focus chooses nothing
    GridCoord m_comboCell;
    bool m_typeAheadSearch = true;

    int m_editCol = -1;
    int m_editRow = -1;
    QString m_editText;
    bool m_editModified = false;
    bool m_editStartModified = false; // Modified when the edit began, for Esc
    bool m_hasFocus = false;
};
