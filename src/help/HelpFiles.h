#pragma once

#include <QString>
#include <QStringList>

// Where the help file and the viewer module are looked for.

// The help file of a program: its full path with the extension replaced by
// ".hlp" (appended when the program file has none).
QString helpFileName(const QString &executablePath);

// The help file the program uses: the file named by helpFileName beside the
// executable when it exists, else the file of that name in the installed data
// folder when that exists, else the name beside the executable (which then
// makes every help request do nothing).
QString locateHelpFile(const QString &executablePath);

// The installed data folder seen from the executable's folder
// (<prefix>/share/tivano for <prefix>/bin).
QString installedDataFolder(const QString &executableFolder);

// The folders searched for the viewer module, in order. Linux: the executable's
// folder, then the installed module folder (<prefix>/<libdir>/tivano). Windows:
// the system folder only. Defined with the platform's module loading
// (HelpModuleQt.cpp, HelpModuleWin.cpp).
QStringList helpModuleFolders(const QString &executableFolder);

// The file name of the viewer module ("libtivanohelpviewer.so" on Linux,
// "HHCTRL.OCX", the system's HTML help control, on Windows).
QString helpModuleFileName();
