#include "platform/FileTypeNames.h"

#include <QMimeDatabase>
#include <QMimeType>

std::optional<QString> desktopFileTypeDescription(const QString &fileClass)
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
