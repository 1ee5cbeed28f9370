#pragma once

#include "FormatOptions.h"
#include "MyGrids.h"
#include "PrintOptions.h"
#include "SortOptions.h"
#include "SortedList.h"

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
class TSortGrid : public TMyStringGrid
{
    Q_OBJECT

public:
    explicit TSortGrid(QWidget *parent = nullptr);
    ~TSortGrid() override;

    // ---- sort settings, modified flag, update bracket
    TSortOptions *SortOptions() const { return m_sortOptions.get(); }
    void setSortOptions(const TSortOptions &value) { *m_sortOptions = value; }
    const TPrintOptions &PrintOptions() const { return m_printOptions; }
    void setPrintOptions(const TPrintOptions &value) { m_printOptions = value; }
    QStringList UserSettings() const { return m_userSettings; }
    void setUserSettings(const QStringList &value);
    QMenu *PopupMenu() const { return m_popupMenu; }
    void setPopupMenu(QMenu *value) { m_popupMenu = value; }

    bool Modified() const { return m_modified; }
    void setModified(bool value);

    void SortByColumn(int ACol);
    void BeginUpdate() override;
    void EndUpdate() override;
    void Clear();

    // ---- filtering, hidden rows, row selection and row editing
    bool Filtered() const { return m_filtered; }
    void setFiltered(bool value);
    bool HideRows() const { return m_hideRows; }
    void setHideRows(bool value);
    bool MultiSelect() const { return m_multiSelect; }
    void setMultiSelect(bool value);
    bool ExtendedKeys() const { return m_extendedKeys; }
    void setExtendedKeys(bool value) { m_extendedKeys = value; }
    int HiddenCount() const { return m_hiddenCount; }
    // Selected data rows as decimal texts, in the order they were added.
    QStringList SelectedRows() const { return m_selectedRows; }
    // Rows in the order the user picked them; the first is the anchor.
    QStringList AnchorRows() const { return m_anchorRows; }
    bool SelectFollowsCursor() const { return m_selectFollowsCursor; }
    void setSelectFollowsCursor(bool value) { m_selectFollowsCursor = value; }

    void ClearSelection();
    bool IsRowSelected(int ARow) const;
    bool IsRowEmpty(int ARow) const;
    void GotoCell(int ACol, int ARow, bool Scroll);
    void ScrollToCell(int ACol, int ARow);
    void InsertRow(int ARow);
    void DeleteRow(int ARow) override;
    void InsertColumn(int ACol);
    void DeleteColumn(int ACol) override;
    void MoveRow(int FromIndex, int ToIndex);
    void SwapRows(int A, int B);

    // ---- cell format and painting
    TAlignment AlignmentHorz() const { return m_alignmentHorz; }
    void setAlignmentHorz(TAlignment value);
    TVertAlignment AlignmentVert() const { return m_alignmentVert; }
    void setAlignmentVert(TVertAlignment value);
    TCellBevelStyle BevelStyle() const { return m_bevelStyle; }
    void setBevelStyle(TCellBevelStyle value);
    bool ProportionalScrollBars() const { return m_proportionalScrollBars; }
    void setProportionalScrollBars(bool value);

    void GetCellFormat(int Col, int Row, TFormatOptions &FormatOptions, bool &CheckBox, bool &Combobox,
                       bool &Ellipsis);
    void AutoSizeColumn(int ACol, bool Force);
    void AutoSizeAllColumns(bool Force);
    TFontList &ColFormats() { return m_colFormats; }
    TFontList &RowFormats() { return m_rowFormats; }

    // ---- in-cell editing
    void SetChecked(int ACol, int ARow, bool State);
    bool IsChecked(int ACol, int ARow);
    bool ShowComboList(int ACol, int ARow);
    QListWidget *ComboList() const { return m_comboList; }
    // Commits an open drop-down list into its own cell as well as an open edit.
    void CommitEditing() override;
    // Whether a typed character first searches the sort column (on by default).
    bool TypeAheadSearch() const { return m_typeAheadSearch; }
    void setTypeAheadSearch(bool value) { m_typeAheadSearch = value; }

    // ---- events
    std::function<void(TSortGrid *Sender)> OnModified;
    std::function<void(TSortGrid *Sender)> OnEndUpdate;
    std::function<void(TSortGrid *Sender, int Col, TSortStyle &SortStyle)> OnGetSortStyle;
    std::function<void(TSortGrid *Sender, int OldColCount, int OldRowCount)> OnSizeChanged;
    std::function<void(TSortGrid *Sender)> OnColumnWidthsChanged;
    std::function<void(TSortGrid *Sender)> OnRowHeightsChanged;
    // Fired at the start of a sort (the handler may change the column) and at its end.
    std::function<void(TSortGrid *Sender, int &Col)> OnBeginSort;
    std::function<void(TSortGrid *Sender, int Col)> OnEndSort;

    std::function<void(const QStringList &ARows, bool &Accept)> OnSetFilter;
    std::function<void(const QStringList &ARows, bool &Accept)> OnSearch;
    std::function<void(TSortGrid *Sender)> OnRowSelected;
    std::function<void(TSortGrid *Sender, int ARow)> OnRowInsert;
    std::function<void(TSortGrid *Sender, int ARow)> OnRowDelete;
    std::function<void(TSortGrid *Sender, int ARow)> OnColumnInsert;
    std::function<void(TSortGrid *Sender, int ARow)> OnColumnDelete;

    std::function<void(TSortGrid *Sender, int Col, int Row, TGridDrawState State, TFormatOptions &FormatOptions,
                       bool &CheckBox, bool &Combobox, bool &Ellipsis)>
        OnGetCellFormat;

    std::function<void(TSortGrid *Sender, int ACol, int ARow, QStringList &Strs, int &Width, int &Height,
                       bool &Sorted)>
        OnGetComboBox;
    std::function<void(TSortGrid *Sender, int ACol, int ARow, const QString &Str)> OnSetComboBox;
    std::function<void(TSortGrid *Sender, int ACol, int ARow, bool State)> OnSetChecked;
    std::function<void(TSortGrid *Sender, int ACol, int ARow)> OnSetEllipsis;
    std::function<void(TSortGrid *Sender, int ACol, int ARow, const QString &OldValue, QString &NewValue,
                       bool &Valid)>
        OnCellValidate;

    // Shows the grid's messages ("Rowsize too small"); a message box unless replaced.
    std::function<void(const QString &)> ShowMessage;
    // Starts the drag of selected rows; a drag of their numbers as text unless replaced.
    std::function<void(TSortGrid *Sender)> OnStartDrag;

    // The offset from a cell's grid coordinates to the drop-down list's position
    // on the grid's window: the grid's client origin there.
    QPoint ComboListOffset() const;

protected:
    void DrawCell(QPainter &painter, int col, int row, const QRect &rect, TGridDrawState state) override;
    bool SelectCell(int col, int row) override;
    void SizeChanged(int oldColCount, int oldRowCount) override;
    void ColumnMoved(int fromIndex, int toIndex) override;
    void RowMoved(int fromIndex, int toIndex) override;
    void ColWidthsChanged() override;
    void RowHeightsChanged() override;
    void SetEditText(int col, int row, const QString &value) override;
    bool CanEditShow() const override;
    void EditStarted() override;
    void EditEnding() override;
    void EditCancelled() override;
    void Click() override;
    void TopLeftChanged() override;

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
    int CompareEntries(const TSortedListEntry &a, const TSortedListEntry &b) const;
    TSortStyle DetectSortStyle(int col) const;
    void FitLastColumn();
    void UpdateProportionalScrollBars();
    void ChooseComboEntry();
    void HideComboList();
    void RememberEdit();
    void ValidateEdit();
    bool IsCheckedText(const QString &text) const;
    void CellKinds(int col, int row, bool &checkBox, bool &combobox, bool &ellipsis);
    void TitleClick(int col, int x, Qt::MouseButton button);
    void TypeAhead(QChar key);
    void SelectRangeRows();
    void AddSelected(int row);
    TFontSetting RowFormatFromCell(int row) const;
    TGridCoord CellAtPoint(const QPoint &p) const;

    std::unique_ptr<TSortOptions> m_sortOptions;
    TPrintOptions m_printOptions;
    QStringList m_userSettings;
    QMenu *m_popupMenu = nullptr;
    bool m_modified = false;
    bool m_savedUpdateOnSizeChange = false;
    TSortedList m_sortedList;

    bool m_filtered = false;
    bool m_hideRows = false;
    bool m_multiSelect = false;
    bool m_extendedKeys = false;
    int m_hiddenCount = 0;
    QStringList m_selectedRows;
    QStringList m_anchorRows;
    bool m_selectFollowsCursor = true;
    bool m_rangeSelect = false;

    TAlignment m_alignmentHorz = taLeftJustify;
    TVertAlignment m_alignmentVert = taTopJustify;
    TCellBevelStyle m_bevelStyle = cbNone;
    bool m_proportionalScrollBars = false;
    TFontList m_colFormats;
    TFontList m_rowFormats;
    QPixmap m_upImage;
    QPixmap m_downImage;

    QPointer<QListWidget> m_comboList;
    QMetaObject::Connection m_focusConnection;
    TGridCoord m_pressCell;
    QPoint m_dragPoint{-1, -1};
    bool m_dragging = false;
    bool m_tabDown = false;
    bool m_pressSizing = false;
    bool m_closingList = false; // the list is going away; its losing the focus chooses nothing
    TGridCoord m_comboCell;
    bool m_typeAheadSearch = true;

    int m_editCol = -1;
    int m_editRow = -1;
    QString m_editText;
    bool m_editModified = false;
    bool m_editStartModified = false; // Modified when the edit began, for Esc
    bool m_hasFocus = false;
};
