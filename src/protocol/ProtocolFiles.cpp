#include "protocol/ProtocolFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

QString ProtocolFileType::description() const
{
    return name + QLatin1String(" (") + pattern + QLatin1Char(')');
}

QString ProtocolFileType::extension() const
{
    return pattern.mid(1);
}

QString ProtocolFileType::qtFilter() const
{
    // Qt takes the patterns from the parentheses; parentheses inside the name would confuse it.
    QString shownName = name;
    shownName.replace(QLatin1Char('('), QLatin1Char('['));
    shownName.replace(QLatin1Char(')'), QLatin1Char(']'));
    return shownName + QLatin1String(" (") + pattern + QLatin1Char(')');
}

namespace {

QString joinTypes(const QList<ProtocolFileType> &types)
{
    QStringList pieces;
    for (const ProtocolFileType &type : types) {
        pieces.append(type.description());
        pieces.append(type.pattern);
    }
    return pieces.join(QLatin1Char('|'));
}

} // namespace

QString ProtocolFileFilters::openFilter() const
{
    return joinTypes(openTypes);
}

QString ProtocolFileFilters::saveFilter() const
{
    return joinTypes(saveTypes);
}

QString ProtocolFiles::autosaveFileName(const QString &folder, const QString &title)
{
    QString path = folder;
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path + title + QLatin1String(".txt");
}

QString ProtocolFiles::writableProgramFolder(const QString &programFolder)
{
    // A file made and removed again is the only sure answer: on Windows a folder under
    // "Program Files" carries no read-only mark, yet refuses the operator's files.
    if (!programFolder.isEmpty() && QFileInfo(programFolder).isDir()) {
        QTemporaryFile probe(QDir(programFolder).filePath(QStringLiteral(".tivano-probe-XXXXXX")));
        if (probe.open())
            return programFolder;
    }
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QDir().mkpath(data);
    return data;
}

QString ProtocolFiles::defaultAutosaveFolder()
{
    return writableProgramFolder(QCoreApplication::applicationDirPath());
}

QString ProtocolFiles::timestampFileName(const QDateTime &when)
{
    QString name = when.toString(QStringLiteral("yyyy-MM-dd-HH-mm"));
    name.replace(QLatin1Char(' '), QLatin1Char('0'));
    return name;
}

QString ProtocolFiles::protocolPageFileName()
{
    QString base = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (base.isEmpty())
        base = QStringLiteral("Tivano");
    return base + QLatin1String(".html");
}

ProtocolFileFilters ProtocolFiles::buildProtocolFileFilters(const FileTypeNames &names)
{
    const ProtocolFileType text{names.text, QStringLiteral("*.txt"), ProtocolFileKind::Text};
    const ProtocolFileType xlsx{names.excel, QStringLiteral("*.xlsx"), ProtocolFileKind::Spreadsheet};
    ProtocolFileFilters filters;
    filters.openTypes = {text, xlsx, {names.ods, QStringLiteral("*.ods"), ProtocolFileKind::Spreadsheet}};
    filters.saveTypes = {text, xlsx, {names.html, QStringLiteral("*.html"), ProtocolFileKind::WebPage}};
    return filters;
}
