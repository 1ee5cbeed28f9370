#include "StartNumbers.h"

namespace {

bool IsDigit(QChar character)
{
    return character >= QLatin1Char('0') && character <= QLatin1Char('9');
}

bool IsListCharacter(QChar character)
{
    return IsDigit(character) || character == QLatin1Char(',');
}

} // namespace

QString TakeNextStartNumber(QString &list)
{
    qsizetype i = 0;
    while (i < list.size() && IsDigit(list[i]))
        ++i;
    const QString number = list.left(i);
    while (i < list.size() && !IsDigit(list[i]))
        ++i;
    list.remove(0, i);
    return number;
}

bool IsStartNumberCharacter(QChar character)
{
    return IsDigit(character) || character == QLatin1Char(',') || character == QChar(8);
}

QString KeepStartNumberCharacters(const QString &text, qsizetype *cursor)
{
    QString kept;
    kept.reserve(text.size());
    qsizetype keptCursor = -1;
    qsizetype i = 0;
    while (i < text.size()) {
        if (cursor && *cursor == i)
            keptCursor = kept.size();
        if (IsListCharacter(text[i])) {
            kept += text[i++];
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && !IsListCharacter(text[end]))
            ++end;
        if (!kept.isEmpty() && IsDigit(kept.back()) && end < text.size() && IsDigit(text[end]))
            kept += QLatin1Char(',');
        if (cursor && *cursor > i && *cursor <= end)
            keptCursor = kept.size();
        i = end;
    }
    if (cursor)
        *cursor = keptCursor < 0 ? kept.size() : keptCursor;
    return kept;
}
