#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// A file's bytes; none when it cannot be read.
inline QByteArray fileBytes(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
