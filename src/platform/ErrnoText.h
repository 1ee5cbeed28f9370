#pragma once

#include <QString>

// The operator reads every system error in German, whatever the system's language: the
// text for an errno value (POSIX). Windows codes have windowsErrorText().
QString errnoText(int error);
