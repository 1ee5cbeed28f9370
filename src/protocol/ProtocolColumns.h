#pragma once

#include <QString>
#include <QStringList>

// The protocol's five columns.
namespace ProtocolColumns {

inline constexpr int ColNr = 0;
inline constexpr int ColTime = 1;
inline constexpr int ColCountry = 2;
inline constexpr int ColStartNumber = 3;
inline constexpr int ColStatus = 4;
inline constexpr int Count = 5;

// Titles of the columns, in column order.
const QStringList &columnTitles();

// The product name used for the autosave file, the web page and the workbook.
QString applicationTitle();

} // namespace ProtocolColumns
