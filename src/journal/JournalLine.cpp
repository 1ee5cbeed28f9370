#include "journal/JournalLine.h"

#include <array>

namespace JournalLine {

namespace {

constexpr std::array<quint32, 256> makeCrcTable()
{
    std::array<quint32, 256> table{};
    for (quint32 n = 0; n < 256; ++n) {
        quint32 c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr std::array<quint32, 256> CrcTable = makeCrcTable();
constexpr QByteArrayView ChecksumMark = "\t#";

void appendEscaped(QByteArray &out, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    for (const char ch : utf8) {
        switch (ch) {
        case '\\':
            out.append("\\\\");
            break;
        case '\t':
            out.append("\\t");
            break;
        case '\n':
            out.append("\\n");
            break;
        case '\r':
            out.append("\\r");
            break;
        default:
            out.append(ch);
        }
    }
}

// False for an escape the writer never makes.
bool unescape(QByteArrayView text, QString &out)
{
    if (!text.contains('\\')) {
        out = QString::fromUtf8(text);
        return true;
    }
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch != '\\') {
            bytes.append(ch);
            continue;
        }
        if (++i >= text.size())
            return false;
        switch (text[i]) {
        case '\\':
            bytes.append('\\');
            break;
        case 't':
            bytes.append('\t');
            break;
        case 'n':
            bytes.append('\n');
            break;
        case 'r':
            bytes.append('\r');
            break;
        default:
            return false;
        }
    }
    out = QString::fromUtf8(bytes);
    return true;
}

QByteArray checksumText(quint32 crc)
{
    return QByteArray::number(crc, 16).rightJustified(8, '0');
}

} // namespace

quint32 crc32(QByteArrayView bytes)
{
    quint32 c = 0xFFFFFFFFu;
    for (const char ch : bytes)
        c = CrcTable[(c ^ quint8(ch)) & 0xFFu] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

QByteArray header(const QDateTime &created)
{
    return QByteArray(FormatName) + '\t' + QByteArray::number(FormatVersion) + '\t'
        + created.toString(QLatin1String(TimeFormat)).toUtf8() + '\n';
}

std::optional<Header> parseHeader(QByteArrayView line)
{
    if (line.endsWith('\r'))
        line.chop(1);
    const QList<QByteArray> parts = line.toByteArray().split('\t');
    if (parts.size() < 2 || parts.at(0) != FormatName)
        return std::nullopt;
    Header header;
    bool ok = false;
    header.version = parts.at(1).toInt(&ok);
    if (!ok || header.version < 1)
        return std::nullopt;
    if (parts.size() > 2)
        header.created = QDateTime::fromString(QString::fromUtf8(parts.at(2)), QLatin1String(TimeFormat));
    return header;
}

QByteArray encode(const JournalEntry &entry)
{
    QByteArray line;
    line.reserve(64);
    line.append(QByteArray::number(entry.sequence)).append('\t');
    appendEscaped(line, entry.time);
    line.append('\t');
    appendEscaped(line, entry.kind);
    for (const auto &[key, value] : entry.fields) {
        line.append('\t');
        appendEscaped(line, key);
        line.append('=');
        appendEscaped(line, value);
    }
    const quint32 crc = crc32(line);
    line.append(ChecksumMark).append(checksumText(crc)).append('\n');
    return line;
}

std::optional<JournalEntry> decode(QByteArrayView line)
{
    const qsizetype mark = line.lastIndexOf(ChecksumMark);
    if (mark < 0 || line.size() - mark != ChecksumMark.size() + 8)
        return std::nullopt;
    const QByteArrayView body = line.first(mark);
    if (checksumText(crc32(body)) != line.sliced(mark + ChecksumMark.size()))
        return std::nullopt;

    JournalEntry entry;
    qsizetype start = 0;
    int index = 0;
    while (start <= body.size()) {
        qsizetype end = body.indexOf('\t', start);
        if (end < 0)
            end = body.size();
        const QByteArrayView part = body.sliced(start, end - start);
        switch (index) {
        case 0: {
            bool ok = false;
            entry.sequence = part.toLongLong(&ok);
            if (!ok || entry.sequence < 0)
                return std::nullopt;
            break;
        }
        case 1:
            if (!unescape(part, entry.time))
                return std::nullopt;
            break;
        case 2:
            if (!unescape(part, entry.kind) || entry.kind.isEmpty())
                return std::nullopt;
            break;
        default: {
            const qsizetype equals = part.indexOf('=');
            QString key;
            QString value;
            if (equals < 0 || !unescape(part.first(equals), key) || !unescape(part.sliced(equals + 1), value))
                return std::nullopt;
            entry.fields.append({key, value});
        }
        }
        ++index;
        start = end + 1;
    }
    if (index < 3)
        return std::nullopt;
    return entry;
}

} // namespace JournalLine
