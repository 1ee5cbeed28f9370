#include "platform/RegularFile.h"

#include "platform/FileTargetWin.h"
#include "platform/WindowsError.h"

#include <QFile>

#include <algorithm>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {

// The handle of the regular file, or INVALID_HANDLE_VALUE with the reason. Links are
// followed as for a write (see FileTarget); what they lead to must be a file on a disk:
// a device name ("NUL", "COM1"), a pipe or a folder is refused before anything is read.
// Opening never waits: a pipe's client end opens or fails at once.
HANDLE openHandle(const QString &fileName, LARGE_INTEGER *size, QString *error)
{
    FileTarget target;
    if (!target.resolve(fileName, error))
        return INVALID_HANDLE_VALUE;
    if (!target.exists()) {
        *error = windowsErrorText(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const HANDLE file = ::CreateFileW(reinterpret_cast<const wchar_t *>(target.filePath().utf16()), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *error = windowsErrorText(::GetLastError());
        return INVALID_HANDLE_VALUE;
    }
    // Something else may have taken the file's place since the look at it.
    if (!target.isSameFile(file)) {
        ::CloseHandle(file);
        *error = notRegularFileText(FileKind::Other);
        return INVALID_HANDLE_VALUE;
    }
    if (!::GetFileSizeEx(file, size)) {
        *error = windowsErrorText(::GetLastError());
        ::CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

} // namespace

bool openRegularFile(QFile &file, const QString &fileName, QString *error)
{
    LARGE_INTEGER size{};
    const HANDLE handle = openHandle(fileName, &size, error);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    // QFile takes a C runtime descriptor; closing it closes the handle.
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(handle);
        *error = windowsErrorText(ERROR_TOO_MANY_OPEN_FILES);
        return false;
    }
    file.setFileName(fileName);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::_close(fd);
        *error = windowsErrorText(ERROR_INVALID_HANDLE);
        return false;
    }
    return true;
}

std::optional<QByteArray> readRegularFile(const QString &fileName, qint64 limit, QString *error)
{
    LARGE_INTEGER size{};
    const HANDLE file = openHandle(fileName, &size, error);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::optional<QByteArray> bytes
        = readWithinLimit(size.QuadPart, limit, [file](char *buffer, qint64 max, QString *why) -> qint64 {
              DWORD n = 0;
              if (!::ReadFile(file, buffer, DWORD(std::min<qint64>(max, 1 << 24)), &n, nullptr)) {
                  *why = windowsErrorText(::GetLastError());
                  return -1;
              }
              return n;
          }, error);
    ::CloseHandle(file);
    return bytes;
}
