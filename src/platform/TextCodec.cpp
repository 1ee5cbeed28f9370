#include "TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

constexpr const char *CodePageName = "windows-1252";

// Encodes one character at a time; only used when the whole text did not encode cleanly.
QByteArray EncodeWithReplacement(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    QStringEncoder encoder(CodePageName);
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype len = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            len = 2;
        encoder.resetState();
        QByteArray piece = encoder.encode(text.mid(i, len));
        if (encoder.hasError() || piece.size() != 1)
            out.append('?');
        else
            out.append(piece);
        i += len;
    }
    return out;
}

} // namespace

QByteArray TextCodec::Encode(QStringView text)
{
    QStringEncoder encoder(CodePageName);
    QByteArray out = encoder.encode(text);
    if (!encoder.hasError())
        return out;
    return EncodeWithReplacement(text);
}

QString TextCodec::Decode(QByteArrayView bytes)
{
    QStringDecoder decoder(CodePageName);
    return decoder.decode(bytes);
}
