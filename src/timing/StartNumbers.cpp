#include "StartNumbers.h"

namespace {

bool IsDigit(QChar character)
{
    return character >= QLatin1Char('0') && character <= QLatin1Char('9');
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
