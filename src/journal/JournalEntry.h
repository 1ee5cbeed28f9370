#pragma once

#include <QList>
#include <QString>

#include <utility>

// One event of the race journal: its number in the file, the local time it was
// recorded, its kind (START, ZIEL, ...) and its named values in their order.
struct JournalEntry
{
    qint64 sequence = 0;
    QString time; // "yyyy-MM-ddTHH:mm:ss.zzz", local time
    QString kind;
    QList<std::pair<QString, QString>> fields;

    // The value of the first field named `key`; empty when there is none.
    QString field(QLatin1StringView key) const;
    bool hasField(QLatin1StringView key) const;
    JournalEntry &add(const QString &key, const QString &value);

    bool operator==(const JournalEntry &) const = default;
};
