#pragma once

#include "platform/TaskProgress.h"
#include "protocol/MemoryProtocolTable.h"
#include "protocol/NumberColumnFit.h"
#include "protocol/ProtocolFiles.h"
#include "protocol/ProtocolGrid.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class AutosaveWriter;
class QLabel;
class QMenu;
class QPrinter;
class QToolButton;
class ProtocolFileDialogs;
class ProtocolShell;
class GridProtocolTable;
class ProtocolTable;

// The right-hand part of the main window: the heading bar "Protokoll" with the seven
// protocol commands and the grid `grid` holding the results protocol. Row 0 is the
// title row; data rows start at 1. The panel owns `lastResultRow`, the row index of the
// latest result.
class ProtocolPanel : public QWidget
{
    Q_OBJECT

public:
    explicit ProtocolPanel(QWidget *parent = nullptr);
    ~ProtocolPanel() override;

    // The question the clear command puts before the protocol is emptied.
    static const QString ClearQuestion;

    QStringList countryCodes() const { return grid->countryCodes(); }
    void setCountryCodes(const QStringList &value) { grid->setCountryCodes(value); }
    // Replaces the desktop shell and the file dialogs; the panel does not take ownership.
    void setShell(ProtocolShell *value);
    void setFileDialogs(ProtocolFileDialogs *value);
    QString autosaveFolder() const { return m_autosaveFolder; }
    void setAutosaveFolder(const QString &value) { m_autosaveFolder = value; }
    // Folder the file dialogs start in (the program's folder unless set).
    QString dialogFolder() const { return m_dialogFolder; }
    void setDialogFolder(const QString &value) { m_dialogFolder = value; }
    // Folder for the workbooks the spreadsheet command opens (per-user data unless set).
    QString workbookFolder() const { return m_workbookFolder; }
    void setWorkbookFolder(const QString &value) { m_workbookFolder = value; }

    // The save dialog's chosen type, 1-based (stored as setting "FilterInd").
    int saveTypeIndex() const { return m_saveTypeIndex; }
    void setSaveTypeIndex(int value) { m_saveTypeIndex = value; }

    // ---- the table
    ProtocolGrid *grid = nullptr;
    // The protocol's cells as the file formats see them.
    const ProtocolTable &table() const;
    // What the worker that read a table prepares beside it, so that putting the table in
    // place does not hold the window's thread: its autosave text, and its number columns'
    // widths measured with columnFitForWorker().
    struct Prepared
    {
        QByteArray text;
        std::optional<NumberColumnFit> columnFit;
    };
    NumberColumnFit columnFitForWorker() const { return m_columnFit.forAnotherThread(); }
    // Puts `table` in the protocol's place and runs the load's final steps, then the
    // autosave. With `carryResultsAfter`, the results the protocol holds after that row
    // (finishes taken while `table` was read) follow the table's own results. What is not
    // `prepared` is worked out here.
    void replaceTable(MemoryProtocolTable table, std::optional<int> carryResultsAfter = std::nullopt,
                      Prepared prepared = {});
    int lastResultRow() const { return m_lastResultRow; }
    void setLastResultRow(int value) { m_lastResultRow = value; }

    void initProtocolTable();
    // A finish: the next result row with its time, country code and start number,
    // selected and scrolled into view; returns that row. The caller has it autosaved once
    // it is journaled.
    int addFinish(const QString &timeText, const QString &countryCode, const QString &startNumber);
    // The result row `lastResultRow` filled; the row count grows when needed.
    void addResultRow(const QString &timeText, const QString &countryCode,
                      const QString &startNumber = QString());
    void layoutProtocolColumns();
    void updateProtocolCommands();
    // The page and spreadsheet commands, offered when the race has stopped.
    void setExportEnabled(bool enabled);
    // True for "Excel.Application" once the desktop has named an application that opens
    // workbooks (findSpreadsheetApplication).
    bool isAutomationServerInstalled(const QString &progId) const;
    // Asks the shell whether an application opens .xlsx workbooks; the spreadsheet command
    // is offered only after it said yes. Also asked whenever the shell is replaced.
    void findSpreadsheetApplication();
    // Fills the given rectangle of cells as selected (columns 1 to 4 of a row).
    void selectResultRow(int row);
    // Empties the grid through its Clear, the rows kept beyond its row count too; the
    // title row stays. The race reset's way to empty the protocol.
    void clearTable();

    // ---- files
    QString autosaveFileName() const;
    // Writes the autosave file now and waits for it; a failure shows the warning until an
    // autosave succeeds.
    bool autosave();
    // Has the autosave written beside the race (AutosaveWriter), so that the window's
    // thread never waits for the disk; the outcome shows when it is done. The journal
    // holds every change before its autosave is asked for: after a crash, the autosave
    // and the journal's events after it give everything that was shown.
    void saveInBackground();
    // Waits until the writes asked for are done and shows their outcome.
    void waitForAutosave();
    bool autosaveFailed() const { return !m_autosaveError.isEmpty(); }
    QString autosaveError() const { return m_autosaveError; }
    // A journal that cannot be written is shown as a failing autosave is; empty: written.
    void setJournalError(const QString &fileName, const QString &error);
    QString journalError() const { return m_journalError; }
    // Reads the autosave file, if any, with the load's final steps; the protocol counts as
    // modified when it holds results. An autosave that cannot be read is reported and moved
    // aside, so that the next autosave does not replace it.
    void loadAutosave();

    // Writes the table as protocol text; a failure is reported with the file name.
    bool saveProtocolText(const QString &fileName);
    // Replaces the table with a protocol text file and runs the final steps, which mark
    // the protocol modified. A file that cannot be read is reported with its name and
    // leaves the table as it was. The file is read beside the race (readBesideRace).
    bool loadProtocolText(const QString &fileName);
    // Reports outside data that cannot be read: "Die Datei kann nicht gelesen werden: ",
    // the file's name and the reason.
    void reportReadError(const QString &fileName, const QString &error);
    bool writeProtocolPage(const QString &fileName);
    bool exportToSpreadsheet(const QString &fileName, bool show);
    bool importFromSpreadsheet(const QString &fileName);
    // Renders the page file onto the printer.
    bool printProtocolPage(const QString &fileName, QPrinter &printer);

    const ProtocolFileFilters &fileFilters() const { return m_filters; }
    void buildProtocolFileFilters(const FileTypeNames &names);

    // ---- commands
    // Empties the protocol down to one empty result row, asking nothing; the clear
    // command asks through clearRequested first.
    void clearProtocol();
    // The first result other than `exceptRow` with this start number; 0 when there is none.
    int resultWithStartNumber(QStringView startNumber, int exceptRow) const;
    // Result `row` taken out and the rows below numbered anew; returns the row's cells as
    // they were. The caller has it autosaved once it is journaled.
    QStringList deleteResultRow(int row);
    // An empty result put in at `row` (after it when it is the last), the rows from there
    // numbered anew; returns the row it took. Autosaved as a deletion is.
    int insertResultRow(int row);
    // The race reset's part: the grid emptied through its Clear, lastResultRow 0, the
    // columns laid out and the commands updated. Asks nothing.
    void resetProtocol();
    void saveAs();
    void openFile();
    void publishPage();
    void printPage();
    void openInSpreadsheet();

    QToolButton *loadButton = nullptr;
    QToolButton *saveButton = nullptr;
    QToolButton *printButton = nullptr;
    QToolButton *pageButton = nullptr;
    QToolButton *spreadsheetButton = nullptr;
    QToolButton *clearButton = nullptr;
    QToolButton *restoreButton = nullptr;
    QLabel *headingLabel = nullptr;
    // The grid's context menu: "Alles markieren", "Kopieren", the row commands and the
    // restore command.
    QMenu *contextMenu = nullptr;
    QAction *selectAllAction = nullptr;
    QAction *copyAction = nullptr;
    QAction *restoreAction = nullptr;
    // Offered on result rows: "Zeile einfügen" and "Zeile löschen".
    QAction *insertRowAction = nullptr;
    QAction *deleteRowAction = nullptr;
    // Selects every data row, columns 1 to the last.
    void selectAllResults();
    // The selected cells as text, TAB between cells and CR LF after each row.
    QString selectionText() const;
    void copySelection();
    QLabel *autosaveWarningLabel = nullptr;

Q_SIGNALS:
    // The clear command was chosen; whoever answers asks the operator, then clears.
    void clearRequested();
    // "Zeile einfügen" or "Zeile löschen" was chosen on result `row`; whoever answers
    // asks the operator where needed, then changes the protocol.
    void rowInsertRequested(int row);
    void rowDeleteRequested(int row);
    // "Protokoll wiederherstellen" was chosen.
    void restoreRequested();
    // The operator changed a cell's text.
    void cellEdited(int col, int row, const QString &oldText, const QString &newText);
    // A protocol text file was loaded or a workbook imported into the table.
    void protocolLoaded(bool workbook, const QString &fileName);
    // A file could not be read or written; the message names it and says why.
    void errorOccurred(const QString &message);
    // An autosave failed, or one succeeded again after a failure.
    void autosaveStateChanged();
    // The number of results changed: a finish, a row put in or taken out, a load, a clear.
    void resultCountChanged(int count);

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QToolButton *makeButton(const QString &name, const QString &hint, const QString &accessible, int glyph);
    // With `columnFit` measured elsewhere, the columns are not measured again.
    void finishLoad(std::optional<NumberColumnFit> columnFit = std::nullopt);
    // The protocol's text, as the autosave and a save write it; encoded again only when
    // the cells changed since.
    const QList<QByteArray> &protocolText();
    bool protocolTextCurrent() const;
    // After a result was added as the table's last row: its line is appended to a text
    // that was current before (`wasCurrent`), so that a finish does not encode the table.
    void extendProtocolText(bool wasCurrent);
    void showAutosaveOutcome(quint64 number, const QString &error);
    // Reads a table on a worker while the race goes on, behind a progress dialog the
    // operator can cancel, then puts it in the protocol's place with the finishes taken
    // meanwhile. `read` returns the table, or nothing with the reason (none: cancelled).
    using TableRead = std::function<std::optional<MemoryProtocolTable>(TaskProgress &, QString *error)>;
    bool loadBesideRace(const QString &fileName, bool workbook, const TableRead &read);
    // Measures the widest texts of the number columns below the title for the layout.
    void measureColumns();
    void report(const QString &message);
    void reportWriteError(const QString &fileName, const QString &error);
    void setAutosaveError(const QString &error);
    void showWarnings();
    QString newWorkbookName() const;

    std::unique_ptr<GridProtocolTable> m_table;
    std::unique_ptr<ProtocolShell> m_defaultShell;
    std::unique_ptr<ProtocolFileDialogs> m_defaultDialogs;
    ProtocolShell *m_shell = nullptr;
    ProtocolFileDialogs *m_dialogs = nullptr;
    ProtocolFileFilters m_filters;
    bool m_spreadsheetApplication = false;
    int m_applicationQuery = 0; // answers to earlier questions are stale
    QString m_autosaveFolder;
    QString m_dialogFolder;
    QString m_workbookFolder;
    QString m_autosaveError;
    QString m_journalError;
    QString m_journalFileName;
    int m_lastResultRow = 0;
    int m_saveTypeIndex = 2;
    NumberColumnFit m_columnFit;
    bool m_loading = false; // a table is being read beside the race
    AutosaveWriter *m_autosaveWriter = nullptr;
    quint64 m_autosaveShown = 0; // the newest write whose outcome is shown
    struct EncodedText
    {
        // In pieces: a write holds the text while finishes are appended, and an append
        // then copies the last piece only, not the whole protocol.
        QList<QByteArray> pieces;
        quint64 cellVersion = 0;
        int rowCount = -1; // no text yet
    } m_protocolText;
    // The heading bar's width with the caption beside all commands.
    int m_headingWidth = 0;
};
