#pragma once

#include <QRegularExpression>
#include <QString>

// The platform the help of this build is laid out for ("linux" or "windows").
inline QString helpPlatform()
{
    return QStringLiteral(TIVANO_HELP_PLATFORM);
}

// A page source as the build lays it out for `platform`: the other platform's
// <!--nur-...--> blocks cut out with their markers, this platform's markers dropped.
inline QString platformText(const QString &source, const QString &platform)
{
    static const QRegularExpression block(QStringLiteral("<!--nur-(linux|windows)-->(.*?)<!--/nur-\\1-->"),
                                          QRegularExpression::DotMatchesEverythingOption);
    QString result;
    qsizetype done = 0;
    auto matches = block.globalMatch(source);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        result += source.mid(done, match.capturedStart() - done);
        if (match.captured(1) == platform)
            result += match.captured(2);
        done = match.capturedEnd();
    }
    return result + source.mid(done);
}
