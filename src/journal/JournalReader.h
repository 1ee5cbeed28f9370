#pragma once

#include "journal/JournalEntry.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// A journal file as read: its events in order. The last line, when it lacks its LF or
// its checksum fails, was torn while it was written and never counted as recorded: it
// is left out (the writer cuts it away before its next event). Any other damaged line
// (the disk, a hand edit) is left out and counted.
struct JournalContents
{
    int version = 0;
    QDateTime created;
    QList<JournalEntry> entries;
    int damagedLines = 0;
    int tornLines = 0;
};

namespace JournalReader {

// The largest journal read: millions of events.
constexpr qint64 MaxFileSize = qint64(512) << 20;

// Nothing, with *error set, when the bytes are not a journal of a known version.
std::optional<JournalContents> read(QByteArrayView bytes, QString *error = nullptr);
// The same for a file, which must be a regular file of at most MaxFileSize bytes.
std::optional<JournalContents> readFile(const QString &fileName, QString *error = nullptr);

} // namespace JournalReader
