#pragma once

#include "journal/JournalEntry.h"
#include "platform/TaskProgress.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
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

// Why a read ended early at the caller's request.
QString cancelledText();

using Visit = std::function<void(JournalEntry &&entry)>;

// Reads the file in one pass, line by line, handing each event to `visit` in order: the
// memory used does not grow with the file. The result holds the header and the counts of
// left-out lines, no entries; nothing, with *error set, when the file cannot be read, is
// no journal of a known version or the read was cancelled.
std::optional<JournalContents> readEach(const QString &fileName, const Visit &visit, QString *error = nullptr,
                                        TaskProgress *control = nullptr);

// Nothing, with *error set, when the bytes are not a journal of a known version.
std::optional<JournalContents> read(QByteArrayView bytes, QString *error = nullptr);
// The same for a file, which must be a regular file of at most MaxFileSize bytes.
std::optional<JournalContents> readFile(const QString &fileName, QString *error = nullptr);

} // namespace JournalReader
