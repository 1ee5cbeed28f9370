#pragma once

#include "journal/JournalEntry.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// A journal file as read: its events in order. A line torn while it was written (the
// last one, without its LF or with a failing checksum, or one the writer ended with an
// empty line) never counted as recorded: it is left out. Any other damaged line (the
// disk, a hand edit) is left out and counted.
struct JournalContents
{
    int version = 0;
    QDateTime created;
    QList<JournalEntry> entries;
    int damagedLines = 0;
    int tornLines = 0;
};

namespace JournalReader {

// Nothing, with *error set, when the bytes are not a journal of a known version.
std::optional<JournalContents> read(QByteArrayView bytes, QString *error = nullptr);
std::optional<JournalContents> readFile(const QString &fileName, QString *error = nullptr);

} // namespace JournalReader
