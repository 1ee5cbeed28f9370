#pragma once

#include "protocol/MemoryProtocolTable.h"
#include "protocol/ProtocolColumns.h"

// A protocol of `results` finishes as the benchmarks measure it: the title row, then
// numbers, times with a decimal comma, two country codes and start numbers.
inline void fillTable(MemoryProtocolTable &table, int results)
{
    table.setRowCount(results + 1);
    const QStringList &titles = ProtocolColumns::columnTitles();
    for (int c = 0; c < titles.size(); ++c)
        table.setCells(c, 0, titles.at(c));
    for (int r = 1; r <= results; ++r) {
        table.setCells(0, r, QStringLiteral("%1").arg(r, 5, 10, QLatin1Char('0')));
        table.setCells(1, r,
                       QStringLiteral("1:%1.%2,%3")
                           .arg(r % 60)
                           .arg(r % 60, 2, 10, QLatin1Char('0'))
                           .arg(r % 100, 2, 10, QLatin1Char('0')));
        table.setCells(2, r, r % 2 ? QStringLiteral("GER") : QStringLiteral("\u00d6ST"));
        table.setCells(3, r, QString::number(r * 3));
    }
}
