#pragma once

#include "journal/ProtocolSnapshot.h"
#include "protocol/MemoryProtocolTable.h"
#include "protocol/NumberColumnFit.h"
#include "protocol/ProtocolGrid.h"

#include <QStringList>
#include <QWidget>

#include <memory>
#include <optional>

class GridProtocolTable;
class ProtocolAutosaver;
class ProtocolFileCommands;
class ProtocolTable;
class QAction;
class QLabel;
class QMenu;
class QToolButton;

// The right-hand part of the main window: the heading bar "Protokoll" with the seven
// protocol commands and the grid holding the results protocol. Row 0 is the
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

    QStringList countryCodes() const { return m_grid->countryCodes(); }
    void setCountryCodes(const QStringList &value) { m_grid->setCountryCodes(value); }

    // ---- the table
    ProtocolGrid *grid() const { return m_grid; }
    // The protocol's cells as the file formats see them.
    const ProtocolTable &table() const;
    // What the worker that read a table prepares beside it, so that putting the table in
    // place does not hold the window's thread: its autosave text, its number columns'
    // widths measured with columnFitForWorker(), and its rows as the journal copies them.
    struct Prepared
    {
        QByteArray text;
        std::optional<NumberColumnFit> columnFit;
        ProtocolSnapshot::EncodedRows journalRows;

        // Run on the worker: `table` encoded, and measured with `columnFit`.
        static Prepared of(const ProtocolTable &table, NumberColumnFit columnFit);
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
    // Fills the given rectangle of cells as selected (columns 1 to 4 of a row).
    void selectResultRow(int row);
    // Empties the grid through its Clear, the rows kept beyond its row count too; the
    // title row stays. The race reset's way to empty the protocol.
    void clearTable();

    // ---- files
    // The protocol's autosave; a failing one shows the warning line until one succeeds.
    ProtocolAutosaver &autosaver() { return *m_autosaver; }
    // Open, save, page, print and workbooks; what they cannot do comes as errorOccurred.
    ProtocolFileCommands &files() { return *m_files; }
    // A journal that cannot be written is shown as a failing autosave is; empty: written.
    void setJournalError(const QString &fileName, const QString &error);
    QString journalError() const { return m_journalError; }
    // Reads the autosave file, if any, with the load's final steps; the protocol counts as
    // modified when it holds results. An autosave that cannot be read is reported and moved
    // aside, so that the next autosave does not replace it.
    void loadAutosave();
    // The same for an autosave a worker read into `table`, or failed to read (`error`).
    void showReadAutosave(std::optional<MemoryProtocolTable> table, Prepared prepared, const QString &error);

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

    // Selects every data row, columns 1 to the last.
    void selectAllResults();
    // The selected cells as text, TAB between cells and CR LF after each row.
    QString selectionText() const;
    void copySelection();

    // The heading's commands, its caption and the warning line below it.
    QToolButton *openButton() const { return m_openButton; }
    QToolButton *saveButton() const { return m_saveButton; }
    QToolButton *printButton() const { return m_printButton; }
    QToolButton *webPageButton() const { return m_webPageButton; }
    QToolButton *spreadsheetButton() const { return m_spreadsheetButton; }
    QToolButton *clearButton() const { return m_clearButton; }
    QToolButton *restoreButton() const { return m_restoreButton; }
    QLabel *headingLabel() const { return m_headingLabel; }
    QLabel *autosaveWarningLabel() const { return m_autosaveWarningLabel; }
    // The grid's context menu: "Alles markieren", "Kopieren", "Zeile einfügen" and
    // "Zeile löschen" (offered on result rows) and the restore command.
    QMenu *contextMenu() const { return m_contextMenu; }
    QAction *selectAllAction() const { return m_selectAllAction; }
    QAction *copyAction() const { return m_copyAction; }
    QAction *restoreAction() const { return m_restoreAction; }

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
    // A file could not be read or written; the message names it and says why.
    void errorOccurred(const QString &message);
    // The number of results changed: a finish, a row put in or taken out, a load, a clear.
    void resultCountChanged(int count);

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QToolButton *makeButton(const QString &name, const QString &hint, const QString &accessible, int glyph);
    // With `columnFit` measured elsewhere, the columns are not measured again.
    void finishLoad(std::optional<NumberColumnFit> columnFit = std::nullopt);
    // Reports an autosave that could not be read and moves it aside.
    void keepAutosaveAside(const QString &error);
    // Measures the widest texts of the number columns below the title for the layout.
    void measureColumns();
    void report(const QString &message);
    void showWarnings();

    void createHeading();
    void createWarningLine();
    void createGrid();
    void createContextMenu();

    ProtocolGrid *m_grid = nullptr;
    std::unique_ptr<GridProtocolTable> m_table;
    QWidget *m_heading = nullptr;
    QToolButton *m_openButton = nullptr;
    QToolButton *m_saveButton = nullptr;
    QToolButton *m_printButton = nullptr;
    QToolButton *m_webPageButton = nullptr;
    QToolButton *m_spreadsheetButton = nullptr;
    QToolButton *m_clearButton = nullptr;
    QToolButton *m_restoreButton = nullptr;
    QLabel *m_headingLabel = nullptr;
    QLabel *m_autosaveWarningLabel = nullptr;
    QMenu *m_contextMenu = nullptr;
    QAction *m_selectAllAction = nullptr;
    QAction *m_copyAction = nullptr;
    QAction *m_restoreAction = nullptr;
    QAction *m_insertRowAction = nullptr;
    QAction *m_deleteRowAction = nullptr;
    QString m_journalError;
    QString m_journalFileName;
    int m_lastResultRow = 0;
    NumberColumnFit m_columnFit;
    ProtocolAutosaver *m_autosaver = nullptr;
    ProtocolFileCommands *m_files = nullptr;
    // The heading bar's width with the caption beside all commands.
    int m_headingWidth = 0;
};
