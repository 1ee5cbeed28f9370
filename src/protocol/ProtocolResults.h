#pragma once

#include "protocol/ProtocolTable.h"

#include <QString>
#include <QStringList>

// What a finish, a clear and a reset do to the protocol's cells. The panel does this to
// its grid and the journal's replay to a table of its own, so both arrive at the same
// protocol.
namespace ProtocolResults {

// The "Nr." text of result `row`: at least five digits, zero-padded.
QString resultNumber(int row);

// The cells of result `row`: number, time, country code, start number and an empty
// status; a new result owns its whole row.
QStringList resultCells(int row, const QString &timeText, const QString &countryCode,
                        const QString &startNumber);

// Result `row` written into the table, which grows to hold it.
void writeResult(ProtocolTable &table, int row, const QString &timeText, const QString &countryCode,
                 const QString &startNumber);

// Result `row` (1 to `lastResult`) taken out: the rows below move up and are numbered
// anew; an only row is emptied. Nothing is kept beyond the new row count. Returns the
// new last result row.
int deleteResult(ProtocolTable &table, int row, int lastResult);

// An empty result at `row` (1 to `lastResult`), the rows from there one further down and
// numbered anew; at the last result the new one follows it. Returns the row it took.
int insertResult(ProtocolTable &table, int row, int lastResult);

// The title row kept, one empty result row, nothing kept beyond it.
void emptyResults(ProtocolTable &table);

// `to` made a copy of `from`: the same row count and cells, nothing kept beyond.
void copyTable(const ProtocolTable &from, ProtocolTable &to);

} // namespace ProtocolResults
