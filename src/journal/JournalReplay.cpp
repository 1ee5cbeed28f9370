#include "journal/JournalReplay.h"

#include "journal/JournalKinds.h"
#include "journal/ProtocolSnapshot.h"
#include "protocol/ProtocolColumns.h"
#include "protocol/ProtocolResults.h"
#include "protocol/ProtocolText.h"

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

// Whether the event changes the protocol other than by adding a finish.
bool reshapesProtocol(const JournalEntry &entry)
{
    return carriesSnapshot(entry) || entry.kind == K::CellEdit || entry.kind == K::RowDeleted
        || entry.kind == K::RowInserted || entry.kind == K::Clear || entry.kind == K::Reset;
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

Ending replayFrom(const QList<JournalEntry> &entries, const ProtocolTable &saved)
{
    // Only among the finishes at the journal's end can `saved` stand, and there only where
    // the protocol held as many results: a finish adds one.
    qsizetype tail = entries.size();
    while (tail > 0 && !reshapesProtocol(entries.at(tail - 1)))
        --tail;
    Ending ending{emptyProtocol()};
    MemoryProtocolTable &table = ending.table;
    for (qsizetype i = 0; i < tail; ++i)
        apply(entries.at(i), table);
    const int savedResults = saved.lastResultRowFromTable();
    bool compared = false;
    const auto compare = [&] {
        if (compared || table.lastResultRowFromTable() != savedResults)
            return;
        compared = true;
        ending.addsFinishesToSaved = ProtocolText::encode(table) == ProtocolText::encode(saved);
    };
    compare();
    for (qsizetype i = tail; i < entries.size(); ++i) {
        apply(entries.at(i), table);
        compare();
    }
    return ending;
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
    RestorePointCollector collector;
    for (const JournalEntry &entry : entries)
        collector.take(entry);
    return collector.finish();
}

void RestorePointCollector::take(const JournalEntry &entry)
{
    if (isKeyEvent(entry)) {
        JournalEntry shown = entry;
        shown.fields.removeIf([](const auto &field) { return field.first == F::Table; });
        m_points.append({std::move(shown), m_table.lastResultRowFromTable()});
    }
    apply(entry, m_table);
    JournalEntry last;
    last.sequence = entry.sequence;
    last.time = entry.time;
    m_lastEvent = std::move(last);
}

QList<RestorePoint> RestorePointCollector::finish()
{
    QList<RestorePoint> points = m_points;
    if (m_lastEvent) {
        JournalEntry end;
        end.sequence = m_lastEvent->sequence + 1;
        end.time = m_lastEvent->time;
        points.append({end, m_table.lastResultRowFromTable(), true});
    }
    return points;
}

std::optional<Scan> scanFile(const QString &fileName, QString *error, TaskProgress *control)
{
    RestorePointCollector collector;
    const std::optional<JournalContents> contents = JournalReader::readEach(
        fileName, [&collector](JournalEntry &&entry) { collector.take(entry); }, error, control);
    if (!contents)
        return std::nullopt;
    return Scan{collector.finish(), contents->damagedLines};
}

std::optional<Replayed> replayFile(const QString &fileName, qint64 before, QString *error, TaskProgress *control)
{
    Replayed replayed{emptyProtocol()};
    bool reached = false;
    const auto visit = [&](JournalEntry &&entry) {
        reached = reached || (before > 0 && entry.sequence >= before);
        if (reached)
            return;
        apply(entry, replayed.table);
        ++replayed.events;
    };
    const std::optional<JournalContents> contents = JournalReader::readEach(fileName, visit, error, control);
    if (!contents)
        return std::nullopt;
    replayed.damagedLines = contents->damagedLines;
    return replayed;
}

} // namespace JournalReplay
