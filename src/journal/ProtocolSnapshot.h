#pragma once

#include "protocol/ProtocolTable.h"

#include <QString>

// A whole protocol table as one text value of a journal event: rows separated by LF,
// cells by TAB, and in a cell a backslash, TAB, LF and CR written \\, \t, \n and \r.
namespace ProtocolSnapshot {

QString encode(const ProtocolTable &table);
// The table made what the text describes: its rows, its cells, nothing beyond.
void apply(QStringView text, ProtocolTable &table);

} // namespace ProtocolSnapshot
