#pragma once

#include "protocol/ProtocolTable.h"

#include <QString>

// A whole protocol table as one text value of a journal event: rows separated by LF,
// cells by TAB, and in a cell a backslash, TAB, LF and CR written \\, \t, \n and \r.
namespace ProtocolSnapshot {

QString encode(const ProtocolTable &table);
// Rows `first` to `end` - 1 as encode() writes them, so that the encodings of two
// adjoining stretches, put together, are the encoding of both.
QString encodeRows(const ProtocolTable &table, int first, int end);

// The first rows of a table, encoded: a worker that read a table encodes its rows up to
// its last result before the table is shown, so that a snapshot of the protocol taken
// just after needs only the rows that followed encoded.
struct EncodedRows
{
    QString text;
    int rows = 0;
};
EncodedRows encodeResults(const ProtocolTable &table);

// The table made what the text describes: its rows, its cells, nothing beyond.
void apply(QStringView text, ProtocolTable &table);

} // namespace ProtocolSnapshot
