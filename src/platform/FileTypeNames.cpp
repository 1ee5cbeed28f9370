#include "platform/FileTypeNames.h"

#include <QMimeDatabase>
#include <QMimeType>

#include <iterator>

std::optional<QString> mimeFileTypeDescription(const QString &fileClass)
{
    QString mimeName;
    if (fileClass == QLatin1String("htmlfile"))
        mimeName = QStringLiteral("text/html");
    else if (fileClass == QLatin1String("txtfile"))
        mimeName = QStringLiteral("text/plain");
    else if (fileClass == QLatin1String("MS Excel"))
        mimeName = QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");
    else if (fileClass == QLatin1String("odsfile"))
        mimeName = QStringLiteral("application/vnd.oasis.opendocument.spreadsheet");
    else
        return std::nullopt;

    const QMimeType type = QMimeDatabase().mimeTypeForName(mimeName);
    if (!type.isValid())
        return std::nullopt;
    return type.comment();
}

FileTypeNames loadFileTypeNames(const FileTypeLookup &lookup)
{
    FileTypeNames names;
    QString *const targets[] = {&names.html, &names.text, &names.excel, &names.ods};
    const QString classes[]
        = {QStringLiteral("htmlfile"), QStringLiteral("txtfile"), names.excel, QStringLiteral("odsfile")};
    for (size_t i = 0; i < std::size(classes); ++i) {
        const std::optional<QString> description = lookup(classes[i]);
        if (!description)
            break;
        *targets[i] = *description;
    }
    return names;
}
