#include "ProtocolFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString TProtocolFileType::Description() const
{
    return Name + QLatin1String(" (") + Pattern + QLatin1Char(')');
}

QString TProtocolFileType::Extension() const
{
    return Pattern.mid(1);
}

QString TProtocolFileType::QtFilter() const
{
    // Qt takes the patterns from the parentheses; parentheses inside the name would confuse it.
    QString name = Name;
    name.replace(QLatin1Char('('), QLatin1Char('['));
    name.replace(QLatin1Char(')'), QLatin1Char(']'));
    return name + QLatin1String(" (") + Pattern + QLatin1Char(')');
}


namespace {

QString JoinTypes(const QList<TProtocolFileType> &types)
{
    QStringList pieces;
    for (const TProtocolFileType &type : types) {
        pieces.append(type.Description());
        pieces.append(type.Pattern);
    }
    return pieces.join(QLatin1Char('|'));
}

} // namespace

QString TProtocolFileFilters::OpenFilter() const
{
    return JoinTypes(OpenTypes);
}

QString TProtocolFileFilters::SaveFilter() const
{
    return JoinTypes(SaveTypes);
}

QString TProtocolFiles::AutosaveFileName(const QString &folder, const QString &title)
{
    QString path = folder;
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path + title + QLatin1String(".txt");
}

QString TProtocolFiles::WritableProgramFolder(const QString &programFolder)
{
    const QFileInfo info(programFolder);
    if (!programFolder.isEmpty() && info.isDir() && info.isWritable())
        return programFolder;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return data;
}

QString TProtocolFiles::DefaultAutosaveFolder()
{
    return WritableProgramFolder(QCoreApplication::applicationDirPath());
}

QString TProtocolFiles::TimestampFileName(const QDateTime &when)
{
    QString name = when.toString(QStringLiteral("yyyy-MM-dd-HH-mm"));
    name.replace(QLatin1Char(' '), QLatin1Char('0'));
    return name;
}

QString TProtocolFiles::ProtocolPageFileName()
{
    QString base = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (base.isEmpty())
        base = QStringLiteral("Tivano");
    return base + QLatin1String(".html");
}

TProtocolFileFilters TProtocolFiles::BuildProtocolFileFilters(const FileTypeNames &names)
{
    const TProtocolFileType text{names.Text, QStringLiteral("*.txt"), TProtocolFileKind::pkText};
    const TProtocolFileType xlsx{names.Excel, QStringLiteral("*.xlsx"), TProtocolFileKind::pkSpreadsheet};
    TProtocolFileFilters filters;
    filters.OpenTypes = {text, xlsx,
                         {names.Ods, QStringLiteral("*.ods"), TProtocolFileKind::pkSpreadsheet}};
    filters.SaveTypes = {text, xlsx,
                         {names.Html, QStringLiteral("*.html"), TProtocolFileKind::pkWebPage}};
    return filters;
}
