#include "journal/JournalReader.h"

#include "journal/JournalLine.h"
#include "platform/RegularFile.h"

namespace JournalReader {

std::optional<JournalContents> read(QByteArrayView bytes, QString *error)
{
    auto fail = [error](const QString &why) -> std::optional<JournalContents> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const qsizetype headerEnd = bytes.indexOf('\n');
    const std::optional<JournalLine::Header> header
        = JournalLine::parseHeader(headerEnd < 0 ? bytes : bytes.first(headerEnd));
    if (!header)
        return fail(QStringLiteral("Die Datei ist kein Tivano-Journal."));
    if (header->version > JournalLine::FormatVersion)
        return fail(QStringLiteral("Das Journal hat die Version %1; gelesen wird bis Version %2.")
                        .arg(header->version)
                        .arg(JournalLine::FormatVersion));

    JournalContents contents;
    contents.version = header->version;
    contents.created = header->created;
    qsizetype start = headerEnd < 0 ? bytes.size() : headerEnd + 1;
    while (start < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', start);
        const bool torn = end < 0 || end + 1 >= bytes.size();
        const QByteArrayView line = bytes.sliced(start, (end < 0 ? bytes.size() : end) - start);
        start = end < 0 ? bytes.size() : end + 1;
        if (line.isEmpty())
            continue;
        std::optional<JournalEntry> entry = end < 0 ? std::nullopt : JournalLine::decode(line);
        if (entry)
            contents.entries.append(std::move(*entry));
        else if (torn)
            ++contents.tornLines;
        else
            ++contents.damagedLines;
    }
    return contents;
}

std::optional<JournalContents> readFile(const QString &fileName, QString *error)
{
    QString why;
    const std::optional<QByteArray> bytes = readRegularFile(fileName, MaxFileSize, &why);
    if (!bytes) {
        if (error)
            *error = why;
        return std::nullopt;
    }
    return read(*bytes, error);
}

} // namespace JournalReader
