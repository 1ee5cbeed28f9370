#include "platform/RegularFile.h"

#include <QLocale>

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
