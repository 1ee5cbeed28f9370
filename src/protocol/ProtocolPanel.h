#pragma once

#include "FormatOptions.h"
#include "GridTypes.h"
#include "ProtocolFiles.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QPrinter;
class QToolButton;
class TMyCustomGrid;
class TProtocolFileDialogs;
class TProtocolShell;
class TSortGrid;
class TSortGridTable;

// The right-hand part of the main window: the heading bar "Protokoll" with the six
// protocol commands and the grid `SortGrid1` holding the results protocol. Row 0 is the
// title row; data rows start at 1. The panel owns `ResultCount`, the row index of the
// latest result.
class TProtocolPanel : public QWidget
{
    Q_OBJECT

public:
    explicit TProtocolPanel(QWidget *parent = nullptr);
    ~TProtocolPanel() override;

    // ---- what the panel needs from outside
    // The yes/no question; returns 6 for yes, 2 for no.
    std::function<int(const QString &question)> AskYesNo;
    // Takes the next start number off the start-number list.
    std::function<QString()> TakeNextStartNumber;
    // Shows an error message; a modal box unless replaced.
    std::function<void(const QString &message)> ShowError;
    // Fired when an autosave fails and when one succeeds again after a failure.
    std::function<void(TProtocolPanel *Sender)> OnAutosaveStateChanged;

    QStringList CountryCodes() const { return FCountryCodes; }
    void setCountryCodes(const QStringList &value) { FCountryCodes = value; }
    // Replaces the desktop shell and the file dialogs; the panel does not take ownership.
    void setShell(TProtocolShell *value);
    void setFileDialogs(TProtocolFileDialogs *value);
    QString AutosaveFolder() const { return FAutosaveFolder; }
    void setAutosaveFolder(const QString &value) { FAutosaveFolder = value; }
    // Folder the file dialogs start in (the program's folder unless set).
    QString DialogFolder() const { return FDialogFolder; }
    void setDialogFolder(const QString &value) { FDialogFolder = value; }
    // Folder for the workbooks the spreadsheet command opens (per-user data unless set).
    QString WorkbookFolder() const { return FWorkbookFolder; }
    void setWorkbookFolder(const QString &value) { FWorkbookFolder = value; }

    // The save dialog's chosen type, 1-based (stored as setting "FilterInd").
    int FilterInd() const { return FFilterInd; }
    void setFilterInd(int value) { FFilterInd = value; }

    // ---- the table
    TSortGrid *SortGrid1 = nullptr;
    int ResultCount() const { return FResultCount; }
    void setResultCount(int value) { FResultCount = value; }

    void InitProtocolTable();
    void AddResultRow(const QString &TimeText, const QString &CountryCode);
    void LayoutProtocolColumns();
    void UpdateProtocolCommands();
    void EnableExportCommands(bool Disable);
    // True for "Excel.Application" once the desktop has named an application that opens
    // workbooks (FindSpreadsheetApplication).
    bool IsAutomationServerInstalled(const QString &ProgId) const;
    // Asks the shell whether an application opens .xlsx workbooks; the spreadsheet command
    // is offered only after it said yes. Also asked whenever the shell is replaced.
    void FindSpreadsheetApplication();
    // Fills the given rectangle of cells as selected (columns 1 to 4 of a row).
    void SelectResultRow(int row);
    // Empties the grid through its Clear, the rows kept beyond its row count too; the
    // title row stays. The race reset's way to empty the protocol.
    void ClearTable();

    // ---- files
    QString AutosaveFileName() const;
    // Writes the autosave file; a failure shows the warning until an autosave succeeds.
    bool Autosave();
    bool AutosaveFailed() const { return !FAutosaveError.isEmpty(); }
    QString AutosaveError() const { return FAutosaveError; }
    // Reads the autosave file, if any, with the load's final steps; the protocol counts as
    // modified when it holds results. An autosave that cannot be read is reported and moved
    // aside, so that the next autosave does not replace it.
    void LoadAutosave();

    // Writes the table as protocol text; a failure is reported with the file name.
    bool SaveProtocolText(const QString &FileName);
    // Replaces the table with a protocol text file and runs the final steps, which mark
    // the protocol modified. A file that cannot be read is reported with its name and
    // leaves the table as it was.
    bool LoadProtocolText(const QString &FileName);
    bool WriteProtocolPage(const QString &FileName);
    bool ExportToSpreadsheet(const QString &FileName, bool Show);
    bool ImportFromSpreadsheet(const QString &FileName);
    // Renders the page file onto the printer.
    bool PrintProtocolPage(const QString &FileName, QPrinter &printer);

    const TProtocolFileFilters &FileFilters() const { return FFilters; }
    void BuildProtocolFileFilters(const FileTypeNames &names);

    // ---- commands
    void sbCLSClick();
    // The race reset's part: the grid emptied through its Clear, ResultCount 0, the
    // columns laid out and the commands updated. Asks nothing.
    void ResetProtocol();
    void sbSaveClick();
    void sbLoadClick();
    void sbHTMLClick();
    void sbPrintClick();
    void sbExcelClick();

    QToolButton *sbLoad = nullptr;
    QToolButton *sbSave = nullptr;
    QToolButton *sbPrint = nullptr;
    QToolButton *sbHTML = nullptr;
    QToolButton *sbExcel = nullptr;
    QToolButton *sbCLS = nullptr;
    QLabel *LabelProtokoll = nullptr;
    // The grid's context menu: "Alles markieren" and "Kopieren".
    QMenu *PopupMenu1 = nullptr;
    QAction *mSelectAll = nullptr;
    QAction *mCopy = nullptr;
    // Selects every data row, columns 1 to the last.
    void mSelectAllClick();
    // The selected cells as text, TAB between cells and CR LF after each row.
    QString SelectionText() const;
    void mCopyClick();
    QLabel *LabelAutosave = nullptr;

    // ---- the grid's questions
    void SortGrid1GetCellFormat(TSortGrid *Sender, int Col, int Row, TGridDrawState State,
                                TFormatOptions &FormatOptions, bool &CheckBox, bool &Combobox,
                                bool &Ellipsis);
    void SortGrid1GetComboBox(TSortGrid *Sender, int ACol, int ARow, QStringList &Strs,
                              int &Width, int &Height, bool &Sorted);
    void SortGrid1SetComboBox(TSortGrid *Sender, int ACol, int ARow, const QString &Str);
    void SortGrid1SelectCell(TMyCustomGrid *Sender, int ACol, int ARow, bool &CanSelect);

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QToolButton *MakeButton(const QString &name, const QString &hint, const QString &accessible,
                            int glyph);
    void FinishLoad();
    // Measures the widest text of column 0 below the title for the layout.
    void MeasureNumberColumn();
    void WidenNumberColumn(const QString &number);
    void Report(const QString &message);
    void ReportWriteError(const QString &FileName, const QString &error);
    void SetAutosaveError(const QString &error);
    QString NewWorkbookName() const;

    std::unique_ptr<TSortGridTable> FTable;
    std::unique_ptr<TProtocolShell> FDefaultShell;
    std::unique_ptr<TProtocolFileDialogs> FDefaultDialogs;
    TProtocolShell *FShell = nullptr;
    TProtocolFileDialogs *FDialogs = nullptr;
    TProtocolFileFilters FFilters;
    bool FSpreadsheetApplication = false;
    int FApplicationQuery = 0; // answers to earlier questions are stale
    QStringList FCountryCodes;
    QString FAutosaveFolder;
    QString FDialogFolder;
    QString FWorkbookFolder;
    QString FAutosaveError;
    int FResultCount = 0;
    int FFilterInd = 2;
    // Pixel width and length of the widest and the longest text in column 0 below the title.
    int FNumberWidth = 0;
    qsizetype FNumberLength = 0;
    bool FFixedPitch = false;
};
