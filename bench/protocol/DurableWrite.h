#pragma once

#include "platform/DurableFile.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <filesystem>

// What a save that survives a crash has to do at least: the bytes to a new file in the
// target's folder, synced, then renamed to the target's name. The floor a save is held to.
inline void durableWrite(const QString &target, const QByteArray &bytes)
{
    const QString temporary = target + QStringLiteral(".new");
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    file.write(bytes);
    file.flush();
    QString ignored;
    syncToDisk(file, &ignored);
    file.close();
    std::error_code error;
    std::filesystem::rename(temporary.toStdString(), target.toStdString(), error);
}
