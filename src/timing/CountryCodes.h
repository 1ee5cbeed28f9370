#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The entries of a country-code file: one per line, lines ending in CR LF, CR or
// LF, every line (an empty one too) an entry, untrimmed; a last line without a
// line end counts. Bytes are Windows-1252.
QStringList parseCountryCodes(const QByteArray &content);

// The largest country-code file read; a real one holds a few hundred codes.
constexpr qint64 CountryCodesMaxFileSize = qint64(1) << 20;

// Reads the country-code file; a missing or unreadable file gives no entries. *error
// tells why a file that is there could not be read (no regular file, too large, no
// access); a missing file is no error.
QStringList loadCountryCodes(const QString &path, QString *error = nullptr);
