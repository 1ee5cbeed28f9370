#include "platform/RegularFile.h"

#include <QLocale>

#include <algorithm>

QString notRegularFileText(FileKind kind)
{
    switch (kind) {
    case FileKind::Regular:
        break;
    case FileKind::Folder:
        return QStringLiteral("Keine gew\u00f6hnliche Datei, sondern ein Ordner");
    case FileKind::Pipe:
        return QStringLiteral("Keine gew\u00f6hnliche Datei, sondern eine Pipe (FIFO)");
    case FileKind::Device:
        return QStringLiteral("Keine gew\u00f6hnliche Datei, sondern ein Ger\u00e4t");
    case FileKind::Socket:
        return QStringLiteral("Keine gew\u00f6hnliche Datei, sondern ein Socket");
    case FileKind::Other:
        return QStringLiteral("Keine gew\u00f6hnliche Datei");
    }
    return QString();
}

QString fileTooLargeText(qint64 limit)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    constexpr qint64 MiB = qint64(1) << 20;
    const QString size = limit % MiB == 0 ? german.toString(limit / MiB) + QStringLiteral(" MB")
                                          : german.toString(limit) + QStringLiteral(" Bytes");
    return QStringLiteral("Die Datei ist gr\u00f6\u00dfer als die erlaubten %1").arg(size);
}

std::optional<QByteArray> readWithinLimit(qint64 size, qint64 limit, const ReadChunk &readChunk, QString *error)
{
    if (size > limit) {
        *error = fileTooLargeText(limit);
        return std::nullopt;
    }
    // One byte more than the file holds shows its end, or that it grew past the limit.
    QByteArray bytes(qsizetype(size) + 1, Qt::Uninitialized);
    qsizetype used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (used > limit) {
                *error = fileTooLargeText(limit);
                return std::nullopt;
            }
            bytes.resize(qsizetype(std::min<qint64>(qint64(used) * 2, limit + 1)));
        }
        const qint64 n = readChunk(bytes.data() + used, bytes.size() - used, error);
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        used += qsizetype(n);
    }
    if (used > limit) {
        *error = fileTooLargeText(limit);
        return std::nullopt;
    }
    bytes.truncate(used);
    return bytes;
}
