#include "platform/FileTypeNames.h"

#include <iterator>

std::optional<QString> fallbackFileTypeName(const QString &fileClass)
{
    const FileTypeNames fallback;
    if (fileClass == QLatin1String("htmlfile"))
        return fallback.html;
    if (fileClass == QLatin1String("txtfile"))
        return fallback.text;
    if (fileClass == QLatin1String("MS Excel"))
        return fallback.excel;
    if (fileClass == QLatin1String("odsfile"))
        return fallback.ods;
    return std::nullopt;
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
