#include "journal/JournalReplay.h"

#include "journal/JournalKinds.h"
#include "journal/ProtocolSnapshot.h"
#include "protocol/ProtocolColumns.h"
#include "protocol/ProtocolResults.h"

namespace JournalReplay {

namespace K = JournalKinds;
namespace F = JournalKinds::Field;

namespace {

bool carriesSnapshot(const JournalEntry &entry)
{
    return entry.hasField(F::Table)
        && (entry.kind == K::ProgramStart || entry.kind == K::Continued || entry.kind == K::RaceContinued
            || entry.kind == K::Load || entry.kind == K::Import || entry.kind == K::Restore);
}

} // namespace

MemoryProtocolTable emptyProtocol()
{
    MemoryProtocolTable table(ProtocolColumns::Count, 2);
    const QStringList &titles = ProtocolColumns::columnTitles();
    for (int c = 0; c < table.colCount() && c < titles.size(); ++c)
        table.setCells(c, 0, titles.at(c));
    return table;
}

void apply(const JournalEntry &entry, ProtocolTable &table)
{
    if (carriesSnapshot(entry)) {
        ProtocolSnapshot::apply(entry.field(F::Table), table);
    } else if (entry.kind == K::Finish) {
        bool ok = false;
        const int row = entry.field(F::Number).toInt(&ok);
        // A finish takes the row after the last result, which is inside the table or
        // the first beyond it; any other number is no finish the program recorded.
        if (ok && row > 0 && row <= table.rowCount())
            ProtocolResults::writeResult(table, row, entry.field(F::TimeText), entry.field(F::CountryCode),
                                         entry.field(F::StartNumber));
    } else if (entry.kind == K::CellEdit) {
        bool rowOk = false;
        bool colOk = false;
        const int row = entry.field(F::Row).toInt(&rowOk);
        const int col = entry.field(F::Column).toInt(&colOk);
        // An edit is made in a cell the operator sees, inside the table.
        if (rowOk && colOk && row >= 0 && row < table.rowCount() && col >= 0 && col < table.colCount())
            table.setCells(col, row, entry.field(F::NewText));
    } else if (entry.kind == K::RowDeleted || entry.kind == K::RowInserted) {
        bool ok = false;
        const int row = entry.field(F::Row).toInt(&ok);
        const int lastResult = table.lastResultRowFromTable();
        // A result row was deleted; an inserted row took a result's place or followed the last.
        if (ok && row >= 1 && entry.kind == K::RowDeleted && row <= lastResult)
            ProtocolResults::deleteResult(table, row, lastResult);
        else if (ok && row >= 1 && entry.kind == K::RowInserted && lastResult >= 1 && row <= lastResult + 1)
            ProtocolResults::insertResult(table, row, lastResult);
    } else if (entry.kind == K::Clear || entry.kind == K::Reset) {
        ProtocolResults::emptyResults(table);
    }
}

MemoryProtocolTable replay(const QList<JournalEntry> &entries, qint64 before)
{
    MemoryProtocolTable table = emptyProtocol();
    for (const JournalEntry &entry : entries) {
        if (before > 0 && entry.sequence >= before)
            break;
        apply(entry, table);
    }
    return table;
}

bool isKeyEvent(const JournalEntry &entry)
{
    static const QLatin1StringView keys[]
        = {K::ProgramStart, K::ProgramExit, K::Continued, K::Start,   K::RaceContinued, K::Stop,
           K::Reset,        K::Clear,       K::Load,      K::Import,  K::Restore,       K::RowDeleted,
           K::RowInserted};
    for (const QLatin1StringView key : keys) {
        if (entry.kind == key)
            return true;
    }
    return false;
}

QList<RestorePoint> restorePoints(const QList<JournalEntry> &entries)
{
    QList<RestorePoint> points;
    MemoryProtocolTable table = emptyProtocol();
    for (const JournalEntry &entry : entries) {
        if (isKeyEvent(entry))
            points.append({entry, table.lastResultRowFromTable()});
        apply(entry, table);
    }
    if (!entries.isEmpty()) {
        JournalEntry end;
        end.sequence = entries.last().sequence + 1;
        end.time = entries.last().time;
        points.append({end, table.lastResultRowFromTable(), true});
    }
    return points;
}

} // namespace JournalReplay
