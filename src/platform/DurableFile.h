#pragma once

#include <QString>

class QFile;

// The two steps of a durable replacement that differ between systems.

// Forces the data written to the open `file` onto the disk.
bool syncToDisk(QFile &file, QString *error);

// Puts `from` in the place of `to` in one step; `to` may exist and is replaced.
bool replaceFile(const QString &from, const QString &to, QString *error);
