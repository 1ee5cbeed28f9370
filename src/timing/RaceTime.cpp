#include "timing/RaceTime.h"

namespace {

QString twoDigits(qint32 value)
{
    return QString::number(value).rightJustified(2, QLatin1Char('0'));
}

} // namespace

QString formatRaceTime(qint32 milliseconds, int precision)
{
    const qint32 hundredths = milliseconds / 10;

    QString text = twoDigits((hundredths / 100) % 60);
    if (precision == 1)
        text += QLatin1Char(',') + QString::number((hundredths / 10) % 10);
    else if (precision == 2)
        text += QLatin1Char(',') + twoDigits(hundredths % 100);

    const qint32 seconds = hundredths / 100;
    const qint32 minutes = seconds / 60;
    text = twoDigits(minutes % 60) + QLatin1Char('.') + text;
    text = twoDigits((minutes / 60) % 100) + QLatin1Char(':') + text;

    constexpr qsizetype maxCut = 7;
    qsizetype cut = maxCut;
    for (qsizetype i = 0; i < text.size() && i < maxCut; ++i) {
        if (text[i] >= QLatin1Char('1') && text[i] <= QLatin1Char('9')) {
            cut = i;
            break;
        }
    }
    return text.mid(cut);
}
