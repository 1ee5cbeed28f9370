#include "journal/JournalReader.h"

#include "journal/JournalLine.h"
#include "platform/RegularFile.h"

#include <QFile>

namespace JournalReader {

namespace {

// Lines read between two looks at the progress and at a request to stop.
constexpr int LinesPerLook = 4096;

std::optional<JournalContents> fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return std::nullopt;
}

// The header's version and date, or nothing with *error set.
std::optional<JournalContents> begin(QByteArrayView headerLine, QString *error)
{
    const std::optional<JournalLine::Header> header = JournalLine::parseHeader(headerLine);
    if (!header)
        return fail(error, QStringLiteral("Die Datei ist kein Tivano-Journal."));
    if (header->version > JournalLine::FormatVersion)
        return fail(error, QStringLiteral("Das Journal hat die Version %1; gelesen wird bis Version %2.")
                               .arg(header->version)
                               .arg(JournalLine::FormatVersion));
    JournalContents contents;
    contents.version = header->version;
    contents.created = header->created;
    return contents;
}

// One line after the header, without its LF. The last line of the file, when it lacks
// its LF or fails its checksum, was torn while it was written; any other line that fails
// is damaged.
void take(JournalContents &contents, QByteArrayView line, bool complete, bool last, const Visit &visit)
{
    if (line.isEmpty())
        return;
    std::optional<JournalEntry> entry = complete ? JournalLine::decode(line) : std::nullopt;
    if (entry)
        visit(std::move(*entry));
    else if (!complete || last)
        ++contents.tornLines;
    else
        ++contents.damagedLines;
}

} // namespace

QString cancelledText()
{
    return QStringLiteral("Abgebrochen");
}

std::optional<JournalContents> read(QByteArrayView bytes, QString *error)
{
    const qsizetype headerEnd = bytes.indexOf('\n');
    std::optional<JournalContents> contents = begin(headerEnd < 0 ? bytes : bytes.first(headerEnd), error);
    if (!contents)
        return std::nullopt;
    const Visit keep = [&contents](JournalEntry &&entry) { contents->entries.append(std::move(entry)); };
    qsizetype start = headerEnd < 0 ? bytes.size() : headerEnd + 1;
    while (start < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', start);
        const QByteArrayView line = bytes.sliced(start, (end < 0 ? bytes.size() : end) - start);
        take(*contents, line, end >= 0, end < 0 || end + 1 >= bytes.size(), keep);
        start = end < 0 ? bytes.size() : end + 1;
    }
    return contents;
}

std::optional<JournalContents> readEach(const QString &fileName, const Visit &visit, QString *error,
                                        TaskProgress *control)
{
    QFile file;
    QString why;
    if (!openRegularFile(file, fileName, &why))
        return fail(error, why);
    const qint64 size = file.size();
    if (size > MaxFileSize)
        return fail(error, fileTooLargeText(MaxFileSize));
    QByteArray line = file.readLine();
    if (line.endsWith('\n'))
        line.chop(1);
    std::optional<JournalContents> contents = begin(line, error);
    if (!contents)
        return std::nullopt;
    // The race goes on appending meanwhile: the read ends where the file ended when it
    // began. Reading on to the end would never end on Windows, whose C runtime, once it
    // has met the end, reads nothing more while the size promises more.
    for (int count = 1; file.pos() < size; ++count) {
        line = file.readLine();
        if (line.isEmpty()) {
            if (file.error() != QFileDevice::NoError)
                return fail(error, file.errorString());
            break; // made shorter meanwhile
        }
        const bool complete = line.endsWith('\n');
        if (complete)
            line.chop(1);
        take(*contents, line, complete, file.pos() >= size, visit);
        if (control && count % LinesPerLook == 0) {
            if (control->cancelled)
                return fail(error, cancelledText());
            control->permille = size > 0 ? int(file.pos() * 1000 / size) : 1000;
        }
    }
    if (control)
        control->permille = 1000;
    return contents;
}

std::optional<JournalContents> readFile(const QString &fileName, QString *error)
{
    JournalContents entries;
    std::optional<JournalContents> contents = readEach(
        fileName, [&entries](JournalEntry &&entry) { entries.entries.append(std::move(entry)); }, error);
    if (contents)
        contents->entries = std::move(entries.entries);
    return contents;
}

} // namespace JournalReader
