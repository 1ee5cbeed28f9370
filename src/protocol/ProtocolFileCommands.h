#pragma once

#include "journal/ProtocolSnapshot.h"
#include "platform/TaskProgress.h"
#include "protocol/MemoryProtocolTable.h"
#include "protocol/ProtocolFiles.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class FileTypeNames;
class ProtocolFileDialogs;
class ProtocolPanel;
class ProtocolShell;
class QPrinter;

// The protocol's file commands: open and save through the file dialogs, the web page and
// its printing, workbooks out and in, the spreadsheet application. Tables are read beside
// the race and put in the panel's place with the finishes taken meanwhile; whatever cannot
// be read or written is reported through errorOccurred with the file's name and the reason.
class ProtocolFileCommands : public QObject
{
    Q_OBJECT

public:
    explicit ProtocolFileCommands(ProtocolPanel &panel);
    ~ProtocolFileCommands() override;

    // Replaces the desktop shell and the file dialogs; null: the desktop's own. Not owned.
    void setShell(ProtocolShell *shell);
    void setFileDialogs(ProtocolFileDialogs *dialogs);
    // Folder the file dialogs start in (the autosave's unless set).
    QString dialogFolder() const { return m_dialogFolder; }
    void setDialogFolder(const QString &folder) { m_dialogFolder = folder; }
    // Folder for the workbooks the spreadsheet command opens (per-user data unless set).
    QString workbookFolder() const { return m_workbookFolder; }
    void setWorkbookFolder(const QString &folder) { m_workbookFolder = folder; }
    // The save dialog's chosen type, 1-based (stored as setting "FilterInd").
    int saveTypeIndex() const { return m_saveTypeIndex; }
    void setSaveTypeIndex(int index) { m_saveTypeIndex = index; }
    const ProtocolFileFilters &fileFilters() const { return m_filters; }
    void buildProtocolFileFilters(const FileTypeNames &names);

    // True for "Excel.Application" once the desktop has named an application that opens
    // workbooks (findSpreadsheetApplication).
    bool isAutomationServerInstalled(const QString &progId) const;
    // Asks the shell whether an application opens .xlsx workbooks; the spreadsheet command
    // is offered only after it said yes. Also asked whenever the shell is replaced.
    void findSpreadsheetApplication();

    // Writes the protocol as text; a failure is reported with the file name.
    bool saveProtocolText(const QString &fileName);
    // Replaces the protocol with a protocol text file, read beside the race. A file that
    // cannot be read is reported with its name and leaves the protocol as it was.
    bool loadProtocolText(const QString &fileName);
    bool writeProtocolPage(const QString &fileName);
    // With `show`, into a new workbook in the workbook folder, then opened.
    bool exportToSpreadsheet(const QString &fileName, bool show);
    bool importFromSpreadsheet(const QString &fileName);
    // Renders the page file onto the printer.
    bool printProtocolPage(const QString &fileName, QPrinter &printer);
    // Reports outside data that cannot be read: "Die Datei kann nicht gelesen werden: ",
    // the file's name and the reason.
    void reportReadError(const QString &fileName, const QString &error);

    // The panel's commands.
    void saveAs();
    void openFile();
    void publishPage();
    void printPage();
    void openInSpreadsheet();

Q_SIGNALS:
    // A protocol text file was loaded or a workbook imported into the protocol;
    // `journalRows` are the rows read, encoded on the worker that read them.
    void protocolLoaded(bool workbook, const QString &fileName,
                        const ProtocolSnapshot::EncodedRows &journalRows);
    // A file could not be read or written; the message names it and says why.
    void errorOccurred(const QString &message);
    // The desktop answered whether an application opens workbooks.
    void spreadsheetApplicationFound(bool found);

private:
    // Reads a table on a worker while the race goes on, behind a progress dialog the
    // operator can cancel, then puts it in the protocol's place with the finishes taken
    // meanwhile. `read` returns the table, or nothing with the reason (none: cancelled).
    using TableRead = std::function<std::optional<MemoryProtocolTable>(TaskProgress &, QString *error)>;
    bool loadBesideRace(const QString &fileName, bool workbook, const TableRead &read);
    void report(const QString &message);
    void reportWriteError(const QString &fileName, const QString &error);
    QString newWorkbookName() const;

    ProtocolPanel &m_panel;
    std::unique_ptr<ProtocolShell> m_defaultShell;
    std::unique_ptr<ProtocolFileDialogs> m_defaultDialogs;
    ProtocolShell *m_shell = nullptr;
    ProtocolFileDialogs *m_dialogs = nullptr;
    ProtocolFileFilters m_filters;
    bool m_spreadsheetApplication = false;
    int m_applicationQuery = 0; // answers to earlier questions are stale
    QString m_dialogFolder;
    QString m_workbookFolder;
    int m_saveTypeIndex = 2;
    bool m_loading = false; // a table is being read beside the race
};
