#include "protocol/ProtocolFileCommands.h"

#include "platform/AtomicFileWriter.h"
#include "platform/RegularFile.h"
#include "platform/TextCodec.h"
#include "protocol/DesktopShell.h"
#include "protocol/ProtocolAutosaver.h"
#include "protocol/ProtocolColumns.h"
#include "protocol/ProtocolPage.h"
#include "protocol/ProtocolPanel.h"
#include "protocol/ProtocolText.h"
#include "protocol/QtFileDialogs.h"
#include "protocol/SpreadsheetBridge.h"
#include "widgets/ProgressDialogRun.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QPrinter>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextDocument>

#include <algorithm>

namespace {

const QLatin1String WriteErrorText("Der Schreibfehler der Datei: ");
const QLatin1String ReadErrorText("Die Datei kann nicht gelesen werden: ");
const QLatin1String XlsxMimeType("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");

} // namespace

ProtocolFileCommands::ProtocolFileCommands(ProtocolPanel &panel)
    : QObject(&panel)
    , m_panel(panel)
    , m_defaultShell(std::make_unique<DesktopShell>())
    , m_defaultDialogs(std::make_unique<QtFileDialogs>())
    , m_shell(m_defaultShell.get())
    , m_dialogs(m_defaultDialogs.get())
    , m_dialogFolder(panel.autosaver().folder())
    , m_workbookFolder(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
{ }

ProtocolFileCommands::~ProtocolFileCommands() = default;

void ProtocolFileCommands::report(const QString &message)
{
    Q_EMIT errorOccurred(message);
}

void ProtocolFileCommands::setShell(ProtocolShell *value)
{
    m_shell = value ? value : m_defaultShell.get();
    findSpreadsheetApplication();
}

void ProtocolFileCommands::findSpreadsheetApplication()
{
    const int query = ++m_applicationQuery;
    m_shell->findApplication(XlsxMimeType,
                             [this, guard = QPointer<ProtocolFileCommands>(this), query](bool found) {
                                 if (!guard || query != m_applicationQuery)
                                     return;
                                 m_spreadsheetApplication = found;
                                 // The spreadsheet command is enabled exactly when the web-page command is
                                 // and an application is there.
                                 Q_EMIT spreadsheetApplicationFound(found);
                             });
}

void ProtocolFileCommands::setFileDialogs(ProtocolFileDialogs *value)
{
    m_dialogs = value ? value : m_defaultDialogs.get();
}

bool ProtocolFileCommands::isAutomationServerInstalled(const QString &progId) const
{
    return m_spreadsheetApplication && progId == QLatin1String("Excel.Application");
}

void ProtocolFileCommands::reportReadError(const QString &fileName, const QString &error)
{
    report(ReadErrorText + QDir::toNativeSeparators(fileName) + QLatin1Char('\n') + error);
}

void ProtocolFileCommands::reportWriteError(const QString &fileName, const QString &error)
{
    report(WriteErrorText + QDir::toNativeSeparators(fileName) + QLatin1Char('\n') + error);
}

bool ProtocolFileCommands::saveProtocolText(const QString &fileName)
{
    // The text kept for the autosave is the file's text: a save writes it without
    // encoding the protocol again.
    AtomicFileWriter writer;
    if (writer.write(fileName, m_panel.autosaver().protocolText()))
        return true;
    reportWriteError(fileName, writer.errorString());
    return false;
}

bool ProtocolFileCommands::writeProtocolPage(const QString &fileName)
{
    QString error;
    if (ProtocolPage::writeProtocolPage(m_panel.table(), ProtocolColumns::applicationTitle(), fileName,
                                        &error))
        return true;
    reportWriteError(fileName, error);
    return false;
}

QString ProtocolFileCommands::newWorkbookName() const
{
    QDir().mkpath(m_workbookFolder);
    const QString base
        = QDir(m_workbookFolder).filePath(ProtocolFiles::timestampFileName(QDateTime::currentDateTime()));
    QString name = base + QLatin1String(".xlsx");
    for (int i = 2; QFileInfo::exists(name); ++i)
        name = base + QLatin1Char('-') + QString::number(i) + QLatin1String(".xlsx");
    return name;
}

bool ProtocolFileCommands::exportToSpreadsheet(const QString &fileName, bool show)
{
    const QString name = show ? newWorkbookName() : fileName;
    QString error;
    if (!SpreadsheetBridge::exportToSpreadsheet(m_panel.table(), name, ProtocolColumns::applicationTitle(),
                                                &error)) {
        reportWriteError(name, error);
        return false;
    }
    if (show) {
        m_shell->openDocumentOrReport(
            name, [this, guard = QPointer<ProtocolFileCommands>(this), name](const QString &reason) {
                if (guard)
                    report(QStringLiteral("Die Arbeitsmappe wurde gespeichert, l\u00e4sst sich aber "
                                          "nicht \u00f6ffnen (%1):\n%2")
                               .arg(reason, name));
            });
    }
    return true;
}

bool ProtocolFileCommands::printProtocolPage(const QString &fileName, QPrinter &printer)
{
    QString ignored;
    const std::optional<QByteArray> page = readRegularFile(fileName, ProtocolPage::MaxFileSize, &ignored);
    if (!page)
        return false;
    // The page's header widths are percentages that a browser widens to fit a cell's
    // longest word; the text document would break the words instead, so it sizes the
    // columns from their content.
    QString html = TextCodec::decode(*page);
    html.replace(QRegularExpression(QStringLiteral("<th width=\\d+%>")), QStringLiteral("<th>"));
    QTextDocument document;
    document.setHtml(html);
    document.print(&printer);
    return true;
}

void ProtocolFileCommands::buildProtocolFileFilters(const FileTypeNames &names)
{
    m_filters = ProtocolFiles::buildProtocolFileFilters(names);
}

void ProtocolFileCommands::saveAs()
{
    QString name = ProtocolFiles::timestampFileName(QDateTime::currentDateTime());
    int index = std::clamp(m_saveTypeIndex, 1, std::max<int>(m_filters.saveTypes.size(), 1));
    if (!m_dialogs->getSaveFileName(&m_panel, m_dialogFolder, m_filters.saveTypes, index, name))
        return;
    if (index < 1 || index > m_filters.saveTypes.size())
        return;
    m_saveTypeIndex = index;
    const ProtocolFileType &type = m_filters.saveTypes.at(index - 1);
    if (QFileInfo(name).suffix().isEmpty())
        name += type.extension();
    switch (type.kind) {
    case ProtocolFileKind::Text:
        saveProtocolText(name);
        break;
    case ProtocolFileKind::Spreadsheet:
        exportToSpreadsheet(name, false);
        break;
    case ProtocolFileKind::WebPage:
        writeProtocolPage(name);
        break;
    }
}

void ProtocolFileCommands::openFile()
{
    QString name;
    int index = 1;
    if (!m_dialogs->getOpenFileName(&m_panel, m_dialogFolder, m_filters.openTypes, index, name))
        return;
    if (index < 1 || index > m_filters.openTypes.size())
        return;
    switch (m_filters.openTypes.at(index - 1).kind) {
    case ProtocolFileKind::Text:
        loadProtocolText(name);
        break;
    case ProtocolFileKind::Spreadsheet:
        importFromSpreadsheet(name);
        break;
    case ProtocolFileKind::WebPage:
        break;
    }
}

// After a failed write, a page of that name is an older protocol's: it is neither
// opened nor printed.
void ProtocolFileCommands::publishPage()
{
    const QString name = ProtocolFiles::protocolPageFileName();
    if (writeProtocolPage(name))
        m_shell->openDocument(QFileInfo(name).absoluteFilePath());
}

void ProtocolFileCommands::printPage()
{
    const QString name = ProtocolFiles::protocolPageFileName();
    if (!writeProtocolPage(name))
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Zeitenprotokoll ") + ProtocolColumns::applicationTitle());
    if (m_shell->choosePrinter(printer, &m_panel))
        printProtocolPage(name, printer);
}

void ProtocolFileCommands::openInSpreadsheet()
{
    exportToSpreadsheet(QString(), true);
}

bool ProtocolFileCommands::loadBesideRace(const QString &fileName, bool workbook, const TableRead &read)
{
    // One table at a time: a second would come from a key that reached the window meanwhile.
    if (m_loading)
        return false;
    m_loading = true;
    struct Outcome
    {
        std::optional<MemoryProtocolTable> table;
        ProtocolPanel::Prepared prepared;
        QString error;
    };
    auto outcome = std::make_shared<Outcome>();
    const int resultsBefore = m_panel.lastResultRow();
    const bool ended = runWithProgressDialog(
        &m_panel,
        (workbook ? QStringLiteral("Die Arbeitsmappe wird gelesen \u2026")
                  : QStringLiteral("Das Protokoll wird geladen \u2026")),
        [read, outcome, columnFit = m_panel.columnFitForWorker()](TaskProgress &progress) mutable {
            outcome->table = read(progress, &outcome->error);
            if (outcome->table)
                outcome->prepared = ProtocolPanel::Prepared::of(*outcome->table, std::move(columnFit));
        },
        workbook ? ProgressShown::Busy : ProgressShown::Permille);
    m_loading = false;
    if (!ended)
        return false;
    if (!outcome->table) {
        if (workbook)
            report(QStringLiteral("Die Arbeitsmappe kann nicht gelesen werden: ") + fileName
                   + QStringLiteral("\n") + outcome->error);
        else
            reportReadError(fileName, outcome->error);
        return false;
    }
    const ProtocolSnapshot::EncodedRows journalRows = std::move(outcome->prepared.journalRows);
    m_panel.replaceTable(std::move(*outcome->table), resultsBefore, std::move(outcome->prepared));
    Q_EMIT protocolLoaded(workbook, fileName, journalRows);
    return true;
}

bool ProtocolFileCommands::loadProtocolText(const QString &fileName)
{
    return loadBesideRace(fileName, false,
                          [fileName, cols = m_panel.table().colCount()](
                              TaskProgress &progress, QString *error) -> std::optional<MemoryProtocolTable> {
                              MemoryProtocolTable table(cols);
                              if (!ProtocolText::loadProtocolText(table, fileName, error, &progress))
                                  return std::nullopt;
                              return table;
                          });
}

bool ProtocolFileCommands::importFromSpreadsheet(const QString &fileName)
{
    return loadBesideRace(
        fileName, true,
        [fileName, cols = m_panel.table().colCount()](TaskProgress &progress,
                                                      QString *error) -> std::optional<MemoryProtocolTable> {
            QList<QStringList> rows;
            if (!SpreadsheetBridge::readWorkbook(fileName, cols, rows, error, {}, &progress.cancelled))
                return std::nullopt;
            MemoryProtocolTable table(cols);
            SpreadsheetBridge::applyWorkbookRows(table, rows);
            return table;
        });
}
