#include "platform/ScratchFolder.h"

#include <QDir>

#include <windows.h>

QString ScratchFolder::location()
{
    // The runtime location on Windows is the user's home folder itself; the temporary
    // folder (%TEMP%) is the user's own and the place meant for such files.
    return QDir::tempPath();
}

bool ScratchFolder::isRunning(qint64 processId)
{
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(processId));
    if (!process)
        // A process of another user cannot be asked: it runs all the same.
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    DWORD exitCode = 0;
    const bool running = ::GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE;
    ::CloseHandle(process);
    return running;
}
