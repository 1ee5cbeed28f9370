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

// The desktop's descriptions: the comments of the MIME database for
// text/html, text/plain and the xlsx and ods workbook types.
std::optional<QString> mimeFileTypeDescription(const QString &fileClass);

// Starts from the fallback names and asks `lookup` for "htmlfile", "txtfile",
// "MS Excel" and "odsfile" in that order; the first class it cannot answer ends
// the asking, names already replaced stay replaced.
FileTypeNames loadFileTypeNames(const FileTypeLookup &lookup = mimeFileTypeDescription);
