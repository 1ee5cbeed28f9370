#pragma once

#include <QString>

// The system's own text for a Windows error code (GetLastError), in the system's language.
QString windowsErrorText(unsigned long code);
