#include "timing/StartNumbers.h"

namespace {

bool isDigit(QChar character)
{
    return character >= QLatin1Char('0') && character <= QLatin1Char('9');
}

bool isListCharacter(QChar character)
{
    return isDigit(character) || character == QLatin1Char(',');
}

} // namespace

QString takeNextStartNumber(QString &list)
{
    qsizetype i = 0;
    while (i < list.size() && isDigit(list[i]))
        ++i;
    const QString number = list.left(i);
    while (i < list.size() && !isDigit(list[i]))
        ++i;
    list.remove(0, i);
    return number;
}

bool isStartNumberCharacter(QChar character)
{
    return isDigit(character) || character == QLatin1Char(',') || character == QChar(8);
}

QString keepStartNumberCharacters(const QString &text, qsizetype *cursor)
{
    QString kept;
    kept.reserve(text.size());
    qsizetype keptCursor = -1;
    qsizetype i = 0;
    while (i < text.size()) {
        if (cursor && *cursor == i)
            keptCursor = kept.size();
        if (isListCharacter(text[i])) {
            kept += text[i++];
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && !isListCharacter(text[end]))
            ++end;
        if (!kept.isEmpty() && isDigit(kept.back()) && end < text.size() && isDigit(text[end]))
            kept += QLatin1Char(',');
        if (cursor && *cursor > i && *cursor <= end)
            keptCursor = kept.size();
        i = end;
    }
    if (cursor)
        *cursor = keptCursor < 0 ? kept.size() : keptCursor;
    return kept;
}
