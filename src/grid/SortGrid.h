#pragma once

#include "grid/CellFormat.h"
#include "grid/MyGrids.h"
#include "grid/PrintOptions.h"
#include "grid/SortOptions.h"
#include "grid/SortedList.h"

#include <QListWidget>
#include <QPixmap>
#include <QPointer>
#include <QStringList>

#include <memory>

class QMenu;

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
    const PrintOptions &printOptions() const { return m_printOptions; }
    void setPrintOptions(const PrintOptions &value) { m_printOptions = value; }
    QStringList userSettings() const { return m_userSettings; }
    void setUserSettings(const QStringList &value);
    QMenu *popupMenu() const { return m_popupMenu; }
    void setPopupMenu(QMenu *value) { m_popupMenu = value; }

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

    void getCellFormat(int col, int row, CellFormat &formatOptions, bool &checkBox, bool &combobox,
                       bool &ellipsis);
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

    // ---- events
    std::function<void(SortGrid *sender)> OnModified;
    std::function<void(SortGrid *sender)> OnEndUpdate;
    std::function<void(SortGrid *sender, int col, SortStyle &sortStyle)> OnGetSortStyle;
    std::function<void(SortGrid *sender, int oldColCount, int oldRowCount)> OnSizeChanged;
    std::function<void(SortGrid *sender)> OnColumnWidthsChanged;
    std::function<void(SortGrid *sender)> OnRowHeightsChanged;
    // Fired at the start of a sort (the handler may change the column) and at its end.
    std::function<void(SortGrid *sender, int &col)> OnBeginSort;
    std::function<void(SortGrid *sender, int col)> OnEndSort;

    std::function<void(const QStringList &rows, bool &accept)> OnSetFilter;
    std::function<void(const QStringList &rows, bool &accept)> OnSearch;
    std::function<void(SortGrid *sender)> OnRowSelected;
    std::function<void(SortGrid *sender, int row)> OnRowInsert;
    std::function<void(SortGrid *sender, int row)> OnRowDelete;
    std::function<void(SortGrid *sender, int row)> OnColumnInsert;
    std::function<void(SortGrid *sender, int row)> OnColumnDelete;

    std::function<void(SortGrid *sender, int col, int row, GridDrawState state, CellFormat &formatOptions,
                       bool &checkBox, bool &combobox, bool &ellipsis)>
        OnGetCellFormat;

    std::function<void(SortGrid *sender, int col, int row, QStringList &strs, int &width, int &height,
                       bool &sorted)>
        OnGetComboBox;
    std::function<void(SortGrid *sender, int col, int row, const QString &str)> OnSetComboBox;
    std::function<void(SortGrid *sender, int col, int row, bool state)> OnSetChecked;
    std::function<void(SortGrid *sender, int col, int row)> OnSetEllipsis;
    std::function<void(SortGrid *sender, int col, int row, const QString &oldValue, QString &newValue,
                       bool &valid)>
        OnCellValidate;

    // Shows the grid's messages ("Rowsize too small"); a message box unless replaced.
    std::function<void(const QString &)> showMessage;
    // Starts the drag of selected rows; a drag of their numbers as text unless replaced.
    std::function<void(SortGrid *sender)> OnStartDrag;

    // The offset from a cell's grid coordinates to the drop-down list's position
    // on the grid's window: the grid's client origin there.
    QPoint comboListOffset() const;

protected:
    void drawCell(QPainter &painter, int col, int row, const QRect &rect, GridDrawState state) override;
    bool selectCell(int col, int row) override;
    void sizeChanged(int oldColCount, int oldRowCount) override;
    void columnMoved(int fromIndex, int toIndex) override;
    void rowMoved(int fromIndex, int toIndex) override;
    void colWidthsChanged() override;
    void rowHeightsChanged() override;
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
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    SortStyle detectSortStyle(int col) const;
    void fitLastColumn();
    void updateProportionalScrollBars();
    void chooseComboEntry();
    void hideComboList();
    void rememberEdit();
    void validateEdit();
    bool isCheckedText(const QString &text) const;
    void cellKinds(int col, int row, bool &checkBox, bool &combobox, bool &ellipsis);
    void titleClick(int col, int x, Qt::MouseButton button);
    void typeAhead(QChar key);
    void selectRangeRows();
    void addSelected(int row);
    FontSetting rowFormatFromCell(int row) const;
    GridCoord cellAtPoint(const QPoint &p) const;

    std::unique_ptr<SortOptions> m_sortOptions;
    PrintOptions m_printOptions;
    QStringList m_userSettings;
    QMenu *m_popupMenu = nullptr;
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

    HorizontalAlignment m_alignmentHorz = taLeftJustify;
    VerticalAlignment m_alignmentVert = taTopJustify;
    CellBevelStyle m_bevelStyle = cbNone;
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
