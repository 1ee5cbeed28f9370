#pragma once

#include <QString>

// Who makes the program: shown in the info box, the web page's footer and the
// workbook properties, and opened from the logo.
namespace MakerInfo {
inline QString Name() { return QStringLiteral("Korvano Software"); }
inline QString WebAddress() { return QStringLiteral("http://www.korvano-software.de"); }
} // namespace MakerInfo
