#include "platform/ScratchFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>

namespace {

const QLatin1String Prefix("Tivano-");

} // namespace

ScratchFolder::ScratchFolder()
    : m_location(location())
{
    if (!m_location.isEmpty())
        m_folder.emplace(QDir(m_location).filePath(Prefix + QString::number(QCoreApplication::applicationPid())
                                                   + QLatin1String("-XXXXXX")));
}

QString ScratchFolder::errorString() const
{
    if (m_location.isEmpty())
        return QStringLiteral("Es gibt keinen Ordner f\u00fcr tempor\u00e4re Dateien");
    return QStringLiteral("Im Ordner %1 kann kein tempor\u00e4rer Ordner angelegt werden")
        .arg(QDir::toNativeSeparators(m_location));
}

void ScratchFolder::removeStale()
{
    const QString folder = location();
    if (folder.isEmpty())
        return;
    static const QRegularExpression Name(QLatin1Char('^') + Prefix + QLatin1String("(\\d+)-.{6}$"));
    const qint64 own = QCoreApplication::applicationPid();
    const QDir dir(folder);
    const QStringList entries
        = dir.entryList({Prefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString &entry : entries) {
        const QRegularExpressionMatch match = Name.match(entry);
        if (!match.hasMatch())
            continue;
        const qint64 processId = match.captured(1).toLongLong();
        if (processId == own || isRunning(processId))
            continue;
        QDir(dir.filePath(entry)).removeRecursively();
    }
}
