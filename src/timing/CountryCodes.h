#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The entries of a country-code file: one per line, lines ending in CR LF, CR or
// LF, every line (an empty one too) an entry, untrimmed; a last line without a
// line end counts. Bytes are Windows-1252.
QStringList parseCountryCodes(const QByteArray &content);

// Reads the country-code file; a missing or unreadable file gives no entries.
QStringList loadCountryCodes(const QString &path);
