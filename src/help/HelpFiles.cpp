#include "help/HelpFiles.h"

#include <QDir>
#include <QFileInfo>

#ifndef TIVANO_HELP_MODULE_FILE
#error "TIVANO_HELP_MODULE_FILE must name the viewer module's file"
#endif
#ifndef TIVANO_REL_DATADIR
#define TIVANO_REL_DATADIR "../share/tivano"
#endif

QString helpFileName(const QString &executablePath)
{
    if (executablePath.isEmpty())
        return QString();
    const QFileInfo info(executablePath);
    const QString suffix = info.suffix();
    QString path = info.filePath();
    // A dot in a folder name is no extension: only the file's own suffix goes.
    if (!suffix.isEmpty())
        path.chop(suffix.size() + 1);
    return path + QStringLiteral(".hlp");
}

QString locateHelpFile(const QString &executablePath)
{
    const QString beside = helpFileName(executablePath);
    if (beside.isEmpty() || QFileInfo(beside).isFile())
        return beside;
    const QFileInfo info(beside);
    const QString installed
        = QDir(installedDataFolder(QFileInfo(executablePath).absolutePath())).filePath(info.fileName());
    if (QFileInfo(installed).isFile())
        return installed;
    return beside;
}

QString installedDataFolder(const QString &executableFolder)
{
    return QDir::cleanPath(QDir(executableFolder).filePath(QStringLiteral(TIVANO_REL_DATADIR)));
}

QString helpModuleFileName()
{
    return QStringLiteral(TIVANO_HELP_MODULE_FILE);
}
