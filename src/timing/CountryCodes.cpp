#include "timing/CountryCodes.h"

#include "platform/RegularFile.h"
#include "platform/TextCodec.h"

#include <QFileInfo>

QStringList parseCountryCodes(const QByteArray &content)
{
    const QString text = TextCodec::decode(content);

    QStringList entries;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            entries.append(text.mid(start, i - start));
            const bool crlf
                = c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n');
            i += crlf ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size())
        entries.append(text.mid(start));
    return entries;
}

QStringList loadCountryCodes(const QString &path, QString *error)
{
    QString why;
    const std::optional<QByteArray> content = readRegularFile(path, CountryCodesMaxFileSize, &why);
    if (!content) {
        if (error && QFileInfo::exists(path))
            *error = why;
        return {};
    }
    return parseCountryCodes(*content);
}
