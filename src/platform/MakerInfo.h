#pragma once

#include <QString>

// Who makes the program: shown in the info box, the web page's footer and the
// workbook properties, and opened from the logo.
namespace MakerInfo {
inline QString name()
{
    return QStringLiteral("Korvano Software");
}
inline QString webAddress()
{
    return QStringLiteral("http://www.korvano-software.de");
}
} // namespace MakerInfo
