#include "platform/TextCodec.h"

#include <array>

namespace {

// Windows-1252 bytes 0x80 to 0x9F as Unicode; the five bytes the code page leaves
// undefined stand for the control characters of the same number. Every other byte is
// the Latin-1 character of its number.
constexpr std::array<char16_t, 32> HighControls
    = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
       0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
       0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

std::optional<unsigned char> TextCodec::byteOf(QChar ch)
{
    const char16_t u = ch.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<unsigned char>(u);
    for (size_t i = 0; i < HighControls.size(); ++i)
        if (HighControls[i] == u)
            return static_cast<unsigned char>(0x80 + i);
    return std::nullopt;
}

QByteArray TextCodec::encode(QStringView text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    out.truncate(encodeTo(text, out.data()) - out.constData());
    return out;
}

char *TextCodec::encodeTo(QStringView text, char *out)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        // A character outside the basic plane is one character: one "?".
        if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            *out++ = '?';
            ++i;
            continue;
        }
        const std::optional<unsigned char> byte = byteOf(ch);
        *out++ = byte ? char(*byte) : '?';
    }
    return out;
}

QString TextCodec::decode(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *dst = out.data();
    for (char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        *dst++ = u >= 0x80 && u <= 0x9F ? QChar(HighControls[u - 0x80]) : QChar(u);
    }
    return out;
}
