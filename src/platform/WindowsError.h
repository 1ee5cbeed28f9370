#pragma once

#include <QString>

// The operator reads every system error in German, whatever the system's language: the
// text for a Windows error code (GetLastError). errno values have errnoText().
QString windowsErrorText(unsigned long code);
