#pragma once

#include <QString>

#include <functional>
#include <optional>

// The names that label the HTML, text and workbook filters of the file dialogs.
struct FileTypeNames
{
    QString html = QStringLiteral("Webseite");
    QString text = QStringLiteral("Textdatei");
    QString excel = QStringLiteral("MS Excel");
    QString ods = QStringLiteral("OpenDocument-Tabelle");
};

// Answers the description of a file class ("htmlfile", "txtfile", "MS Excel",
// "odsfile"), or std::nullopt when that class is unknown.
using FileTypeLookup = std::function<std::optional<QString>(const QString &fileClass)>;

// The desktop's descriptions. On Windows the default value of the file class's key
// under HKEY_CLASSES_ROOT (a key that exists without one gives the empty text, a missing
// key the fallback name); elsewhere the comments of the MIME database for text/html,
// text/plain and the xlsx and ods workbook types.
std::optional<QString> desktopFileTypeDescription(const QString &fileClass);

// The fallback name of a file class, or std::nullopt for a class the program does not use.
std::optional<QString> fallbackFileTypeName(const QString &fileClass);

// Starts from the fallback names and asks `lookup` for "htmlfile", "txtfile",
// "MS Excel" and "odsfile" in that order; the first class it cannot answer ends
// the asking, names already replaced stay replaced.
FileTypeNames loadFileTypeNames(const FileTypeLookup &lookup = desktopFileTypeDescription);
