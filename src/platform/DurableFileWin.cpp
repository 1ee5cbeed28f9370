#include "platform/DurableFile.h"
#include "platform/WindowsError.h"

#include <QDir>
#include <QFile>

#include <io.h>
#include <windows.h>

bool syncToDisk(QFile &file, QString *error)
{
    const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(file.handle()));
    if (handle == INVALID_HANDLE_VALUE || !::FlushFileBuffers(handle)) {
        *error = windowsErrorText(::GetLastError());
        return false;
    }
    return true;
}

bool replaceFile(const QString &from, const QString &to, QString *error)
{
    // Write-through: the call returns when the new name is on the disk.
    if (::MoveFileExW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(from).utf16()),
                      reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(to).utf16()),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    *error = windowsErrorText(::GetLastError());
    return false;
}
