#include "platform/TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

constexpr const char *CodePageName = "windows-1252";

// Encodes one character at a time; only used when the whole text did not encode cleanly.
QByteArray encodeWithReplacement(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    QStringEncoder encoder(CodePageName);
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype len = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            len = 2;
        // The converter keeps its error flag once set, so a failed character is told by
        // its substitute byte (SUB) standing for anything but SUB itself.
        const QByteArray piece = encoder.encode(text.mid(i, len));
        const bool substituted = piece == QByteArrayView("\x1a") && text[i] != QChar(0x1a);
        if (substituted || piece.size() != 1)
            out.append('?');
        else
            out.append(piece);
        i += len;
    }
    return out;
}

// Latin-1 and Windows-1252 agree on every code point but U+0080 to U+009F.
bool sameAsLatin1(QStringView text)
{
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u > 0xFF || (u >= 0x80 && u <= 0x9F))
            return false;
    }
    return true;
}

bool sameAsLatin1(QByteArrayView bytes)
{
    for (char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        if (u >= 0x80 && u <= 0x9F)
            return false;
    }
    return true;
}

} // namespace

QByteArray TextCodec::encode(QStringView text)
{
    if (sameAsLatin1(text))
        return text.toLatin1();
    QStringEncoder encoder(CodePageName);
    QByteArray out = encoder.encode(text);
    if (!encoder.hasError())
        return out;
    return encodeWithReplacement(text);
}

QString TextCodec::decode(QByteArrayView bytes)
{
    if (sameAsLatin1(bytes))
        return QString::fromLatin1(bytes);
    QStringDecoder decoder(CodePageName);
    return decoder.decode(bytes);
}
