#pragma once

#include "journal/JournalEntry.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>

#include <optional>

// The journal's text form. The first line names the format, its version and when the
// file was begun; every further line is one event, self-contained and checksummed:
//
//   <sequence> TAB <time> TAB <kind> { TAB <key>=<value> } TAB #<crc> LF
//
// UTF-8; in keys and values a backslash, TAB, LF and CR are written \\, \t, \n and \r.
// <crc> is the CRC-32 (as zlib computes it) of everything before " TAB #", in eight
// lower-case hex digits. A line whose checksum does not match is damaged, typically
// the last one, torn by a power cut.
namespace JournalLine {

inline constexpr char FormatName[] = "Tivano-Journal";
inline constexpr int FormatVersion = 1;
// Events are numbered from 1; no journal holds more than this, and a line with a higher
// number is damaged (the numbers stay exact in a double, so any tool reads them).
inline constexpr qint64 MaxSequence = qint64(1) << 53;
// The time form of the lines and the header.
inline constexpr char TimeFormat[] = "yyyy-MM-ddTHH:mm:ss.zzz";

quint32 crc32(QByteArrayView bytes);

// The text with a backslash, TAB, LF and CR written \\, \t, \n and \r: the keys and
// values of a line, and the cells of a protocol snapshot.
QString escape(QStringView text);
void appendEscaped(QString &out, QStringView text);
// The escaped text read back; nothing for an escape that escape() never makes.
std::optional<QString> unescape(QString text);

// The first line, with its LF.
QByteArray header(const QDateTime &created);

struct Header
{
    int version = 0;
    QDateTime created;
};
// The first line (without its LF) read; nothing when it is not a journal's.
std::optional<Header> parseHeader(QByteArrayView line);

// The event as one line, with its LF.
QByteArray encode(const JournalEntry &entry);
// One line (without its LF) read; nothing when it is damaged.
std::optional<JournalEntry> decode(QByteArrayView line);

} // namespace JournalLine
