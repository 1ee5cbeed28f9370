#pragma once

#include <QString>
#include <QStringList>

// What a race driven by the reliability tests writes into row `row` of the protocol,
// as a function of the row alone: a restarted race continues with the same sequence,
// so any row found in an autosave file can be checked cell by cell.
namespace RaceRows {

inline qint32 timeOfDay(int row)
{
    // Starts at 09:00 and steps by an odd number of milliseconds, passing midnight
    // after a few thousand rows.
    return qint32((32400000LL + qint64(row) * 13337) % 86400000LL);
}

inline QString number(int row)
{
    return QStringLiteral("%1").arg(row, 5, 10, QLatin1Char('0'));
}

inline QString countryCode(int row)
{
    static const QStringList codes{QStringLiteral("AUT"), QStringLiteral("GER"), QStringLiteral("SUI"),
                                   QStringLiteral("ITA"), QStringLiteral("Ö\u00e4ß")};
    return codes.at(row % codes.size());
}

inline QString startNumber(int row)
{
    return QString::number(100 + (row * 7) % 900);
}

} // namespace RaceRows
