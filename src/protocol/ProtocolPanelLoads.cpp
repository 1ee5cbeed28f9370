// Tables read elsewhere (protocol files, workbooks, a replayed journal) put in the
// protocol's place in one step.
#include "protocol/ProtocolPanel.h"

#include "protocol/GridProtocolTable.h"
#include "protocol/ProtocolAutosaver.h"
#include "protocol/ProtocolColumns.h"
#include "protocol/ProtocolText.h"

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
    m_grid->commitEditing();
    std::vector<Finish> carried;
    for (int row = carryResultsAfter.value_or(m_lastResultRow) + 1; row <= m_lastResultRow; ++row)
        carried.push_back({m_grid->cells(ProtocolColumns::ColTime, row), m_grid->cells(ProtocolColumns::ColCountry, row),
                           m_grid->cells(ProtocolColumns::ColStartNumber, row)});
    const int rowCount = table.rowCount();
    disposeBeside(m_grid->replaceCells(table.takeCells()));
    // Outside an update bracket, so that the grid runs its size handling.
    m_grid->setRowCount(rowCount);
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
    return {ProtocolText::encode(table), std::move(columnFit), ProtocolSnapshot::encodeResults(table)};
}



