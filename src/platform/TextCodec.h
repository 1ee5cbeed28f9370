#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Single-byte Windows-1252 text, the encoding of every file the program writes or reads.
// A character that Windows-1252 cannot hold is written as "?" (one "?" per character,
// also for characters outside the basic plane). The five byte values the code page leaves
// undefined decode to the control characters of the same number, so they round-trip.
// The code page is the program's own table, so every platform writes the same bytes.
class TextCodec
{
public:
    static QByteArray encode(QStringView text);
    // Writes the bytes of `text` at `out`, which has room for text.size() bytes (never more
    // are needed), and returns the end of what was written.
    static char *encodeTo(QStringView text, char *out);
    static QString decode(QByteArrayView bytes);

    // The byte that stands for `ch`, or nothing when the code page cannot hold it.
    static std::optional<unsigned char> byteOf(QChar ch);
};
