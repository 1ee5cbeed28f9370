#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

class QFile;

// Outside data (the autosave, country codes, journals, lock files) is read only from
// regular files. A pipe or a device in a data file's place, also behind a link, would
// hang the reader or feed it without end: such a file is refused before anything is read,
// and opening it never waits. Links are followed only as for a write: another user's
// link could present any file as the program's data. Every reason is German.

// Opens `fileName` read-only when it is a regular file; otherwise false and *error says
// why.
bool openRegularFile(QFile &file, const QString &fileName, QString *error);

// The whole of a regular file of at most `limit` bytes; nothing and *error otherwise.
std::optional<QByteArray> readRegularFile(const QString &fileName, qint64 limit, QString *error);

enum class FileKind { Regular, Folder, Pipe, Device, Socket, Other };

// Why a file of `kind` is refused where a data file belongs.
QString notRegularFileText(FileKind kind);

// Why a file is refused that is larger than `limit` bytes.
QString fileTooLargeText(qint64 limit);

// The reading loop of readRegularFile for a file said to hold `size` bytes: `readChunk`
// reads at most `max` bytes into `buffer` and returns how many (0 at the end), or -1 with
// *error set. A file that grows past `limit` while it is read is refused as well.
using ReadChunk = std::function<qint64(char *buffer, qint64 max, QString *error)>;
std::optional<QByteArray> readWithinLimit(qint64 size, qint64 limit, const ReadChunk &readChunk, QString *error);
