#include "platform/DurableFile.h"

#include <QRandomGenerator>

QString DurableFile::temporaryName(const QString &target)
{
    static const char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString name = QLatin1Char('.') + target + QLatin1Char('.');
    for (int i = 0; i < 12; ++i)
        name += QLatin1Char(Letters[QRandomGenerator::system()->bounded(int(sizeof Letters - 1))]);
    return name + QLatin1String(".tmp");
}

bool DurableFile::fail(const QString &reason)
{
    m_error = reason;
    discard();
    return false;
}
