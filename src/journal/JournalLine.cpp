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

QByteArray checksumText(quint32 crc)
{
    return QByteArray::number(crc, 16).rightJustified(8, '0');
}

} // namespace

void appendEscaped(QString &out, QStringView text)
{
    qsizetype plain = 0; // start of the run of characters copied as they are
    for (qsizetype i = 0; i < text.size(); ++i) {
        QLatin1StringView escaped;
        switch (text[i].unicode()) {
        case '\\':
            escaped = QLatin1StringView("\\\\");
            break;
        case '\t':
            escaped = QLatin1StringView("\\t");
            break;
        case '\n':
            escaped = QLatin1StringView("\\n");
            break;
        case '\r':
            escaped = QLatin1StringView("\\r");
            break;
        default:
            continue;
        }
        out += text.sliced(plain, i - plain);
        out += escaped;
        plain = i + 1;
    }
    out += text.sliced(plain);
}

QString escape(QStringView text)
{
    QString out;
    out.reserve(text.size());
    appendEscaped(out, text);
    return out;
}

std::optional<QString> unescape(QString text)
{
    if (!text.contains(QLatin1Char('\\')))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('\\')) {
            out += text[i];
            continue;
        }
        if (++i >= text.size())
            return std::nullopt;
        switch (text[i].unicode()) {
        case '\\':
            out += QLatin1Char('\\');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        default:
            return std::nullopt;
        }
    }
    return out;
}

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
    line.append(escape(entry.time).toUtf8()).append('\t').append(escape(entry.kind).toUtf8());
    for (const auto &[key, value] : entry.fields)
        line.append('\t').append(escape(key).toUtf8()).append('=').append(escape(value).toUtf8());
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
            if (!ok || entry.sequence < 1 || entry.sequence > MaxSequence)
                return std::nullopt;
            break;
        }
        case 1:
        case 2: {
            std::optional<QString> text = unescape(QString::fromUtf8(part));
            if (!text || (index == 2 && text->isEmpty()))
                return std::nullopt;
            (index == 1 ? entry.time : entry.kind) = std::move(*text);
            break;
        }
        default: {
            const qsizetype equals = part.indexOf('=');
            if (equals < 0)
                return std::nullopt;
            std::optional<QString> key = unescape(QString::fromUtf8(part.first(equals)));
            std::optional<QString> value = unescape(QString::fromUtf8(part.sliced(equals + 1)));
            if (!key || !value)
                return std::nullopt;
            entry.fields.append({std::move(*key), std::move(*value)});
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
