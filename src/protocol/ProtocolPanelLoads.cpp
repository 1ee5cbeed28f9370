// Tables read beside the race: protocol files, workbooks and tables replayed elsewhere,
// put in the protocol's place in one step.
#include "protocol/ProtocolPanel.h"

#include "protocol/GridProtocolTable.h"
#include "protocol/ProtocolAutosaver.h"
#include "protocol/ProtocolColumns.h"
#include "protocol/ProtocolText.h"
#include "protocol/SpreadsheetBridge.h"
#include "widgets/ProgressDialogRun.h"

#include <QThreadPool>

#include <memory>

namespace {

struct Finish
{
    QString timeText;
    QString countryCode;
    QString startNumber;
};

// Freeing a table of a million rows takes a while: the pool's thread does it.
void disposeBeside(CellStore cells)
{
    auto held = std::make_shared<CellStore>(std::move(cells));
    QThreadPool::globalInstance()->start([held]() mutable { held.reset(); });
}

} // namespace

void ProtocolPanel::replaceTable(MemoryProtocolTable table, std::optional<int> carryResultsAfter,
                                 Prepared prepared)
{
    // An open edit ends in its own cell before the table it belongs to goes.
    grid->commitEditing();
    std::vector<Finish> carried;
    for (int row = carryResultsAfter.value_or(m_lastResultRow) + 1; row <= m_lastResultRow; ++row)
        carried.push_back({grid->cells(ProtocolColumns::ColTime, row), grid->cells(ProtocolColumns::ColCountry, row),
                           grid->cells(ProtocolColumns::ColStartNumber, row)});
    const int rowCount = table.rowCount();
    disposeBeside(grid->replaceCells(table.takeCells()));
    // Outside an update bracket, so that the grid runs its size handling.
    grid->setRowCount(rowCount);
    finishLoad(std::move(prepared.columnFit));
    if (!prepared.text.isEmpty())
        m_autosaver->adoptText(std::move(prepared.text));
    for (const Finish &finish : carried) {
        const bool textCurrent = m_autosaver->textCurrent();
        ++m_lastResultRow;
        addResultRow(finish.timeText, finish.countryCode, finish.startNumber);
        m_autosaver->appendResultLine(m_lastResultRow, textCurrent);
    }
    if (!carried.empty())
        selectResultRow(m_lastResultRow);
    Q_EMIT resultCountChanged(m_lastResultRow);
    m_autosaver->saveInBackground();
}

ProtocolPanel::Prepared ProtocolPanel::Prepared::of(const ProtocolTable &table, NumberColumnFit columnFit)
{
    columnFit.measure(table);
    return {ProtocolText::encode(table), std::move(columnFit)};
}

bool ProtocolPanel::loadBesideRace(const QString &fileName, bool workbook, const TableRead &read)
{
    // One table at a time: a second would come from a key that reached the window meanwhile.
    if (m_loading)
        return false;
    m_loading = true;
    struct Outcome
    {
        std::optional<MemoryProtocolTable> table;
        Prepared prepared;
        QString error;
    };
    auto outcome = std::make_shared<Outcome>();
    const int resultsBefore = m_lastResultRow;
    const bool ended = runWithProgressDialog(
        this, (workbook ? QStringLiteral("Die Arbeitsmappe wird gelesen \u2026") : QStringLiteral("Das Protokoll wird geladen \u2026")),
        [read, outcome, columnFit = columnFitForWorker()](TaskProgress &progress) mutable {
            outcome->table = read(progress, &outcome->error);
            if (outcome->table)
                outcome->prepared = Prepared::of(*outcome->table, std::move(columnFit));
        },
        workbook ? ProgressShown::Busy : ProgressShown::Permille);
    m_loading = false;
    if (!ended)
        return false;
    if (!outcome->table) {
        if (workbook)
            report(QStringLiteral("Die Arbeitsmappe kann nicht gelesen werden: ") + fileName + QStringLiteral("\n")
                   + outcome->error);
        else
            reportReadError(fileName, outcome->error);
        return false;
    }
    replaceTable(std::move(*outcome->table), resultsBefore, std::move(outcome->prepared));
    Q_EMIT protocolLoaded(workbook, fileName);
    return true;
}

bool ProtocolPanel::loadProtocolText(const QString &fileName)
{
    return loadBesideRace(fileName, false,
                          [fileName, cols = grid->colCount()](TaskProgress &progress,
                                                              QString *error) -> std::optional<MemoryProtocolTable> {
                              MemoryProtocolTable table(cols);
                              if (!ProtocolText::loadProtocolText(table, fileName, error, &progress))
                                  return std::nullopt;
                              return table;
                          });
}

bool ProtocolPanel::importFromSpreadsheet(const QString &fileName)
{
    return loadBesideRace(fileName, true,
                          [fileName, cols = grid->colCount()](TaskProgress &progress,
                                                              QString *error) -> std::optional<MemoryProtocolTable> {
                              QList<QStringList> rows;
                              if (!SpreadsheetBridge::readWorkbook(fileName, cols, rows, error, {},
                                                                   &progress.cancelled))
                                  return std::nullopt;
                              MemoryProtocolTable table(cols);
                              SpreadsheetBridge::applyWorkbookRows(table, rows);
                              return table;
                          });
}
