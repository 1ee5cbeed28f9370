#pragma once

#include "platform/FileTypeNames.h"

#include <QDateTime>
#include <QList>
#include <QString>

// The kinds of file the protocol commands read and write; the commands dispatch on the
// kind of the type chosen in a file dialog, not on the file's extension.
enum class ProtocolFileKind { Text, Spreadsheet, WebPage };

// One entry of a file dialog's type list.
struct ProtocolFileType
{
    QString name; // e.g. "Textdatei"
    QString pattern; // e.g. "*.txt"
    ProtocolFileKind kind = ProtocolFileKind::Text;

    // "Name (*.ext)" as the dialog shows it.
    QString description() const;
    // The pattern's extension with its dot, e.g. ".txt".
    QString extension() const;
    // The filter text a Qt file dialog takes: "Name (*.ext)".
    QString qtFilter() const;
};

// The type lists of the open and save dialogs.
struct ProtocolFileFilters
{
    QList<ProtocolFileType> openTypes;
    QList<ProtocolFileType> saveTypes;

    // The lists as "description|pattern" pairs separated by "|".
    QString openFilter() const;
    QString saveFilter() const;
};

class ProtocolFiles
{
public:
    // Folder + application title + ".txt".
    static QString autosaveFileName(const QString &folder, const QString &title);

    // `programFolder` when new files can be made there, else the per-user local data folder
    // (created). An installed program's folder belongs to the system; the operator's files
    // go to the per-user folder instead.
    static QString writableProgramFolder(const QString &programFolder);

    // The autosave's and the file dialogs' folder: the executable's folder by the rule above.
    static QString defaultAutosaveFolder();

    // "yyyy-MM-dd-hh-mm" of the given local time, blanks replaced by "0"; no extension.
    static QString timestampFileName(const QDateTime &when);

    // The executable's name with ".html" in place of its extension, without a folder.
    static QString protocolPageFileName();

    // Open list: the text type and the two workbook types the program reads (.xlsx and
    // .ods); save list: the text type, the .xlsx workbook it writes and the web page.
    static ProtocolFileFilters buildProtocolFileFilters(const FileTypeNames &names);
};
