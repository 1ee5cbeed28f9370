#include "serial/WindowsSerialBackend.h"

#include "platform/WindowsError.h"
#include "serial/WindowsSerialDevice.h"

#include <windows.h>

namespace {

// \\.\COMn reaches every port, COM10 and above included.
std::wstring devicePath(int port)
{
    return L"\\\\.\\COM" + std::to_wstring(port);
}

HANDLE openExclusive(int port)
{
    return CreateFileW(devicePath(port).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OVERLAPPED, nullptr);
}

} // namespace

std::unique_ptr<SerialDevice> WindowsSerialBackend::open(int port, QString *error)
{
    if (port < 1 || port > PortCount) {
        *error = windowsErrorText(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    const HANDLE handle = openExclusive(port);
    if (handle == INVALID_HANDLE_VALUE) {
        *error = windowsErrorText(GetLastError());
        return nullptr;
    }
    if (GetFileType(handle) != FILE_TYPE_CHAR) {
        CloseHandle(handle);
        *error = windowsErrorText(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return std::make_unique<WindowsSerialDevice>(handle);
}

bool WindowsSerialBackend::present(int port)
{
    const HANDLE handle = openExclusive(port);
    if (handle == INVALID_HANDLE_VALUE) {
        // Held by another program: there, but not ours now.
        const DWORD code = GetLastError();
        return code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION;
    }
    const bool character = GetFileType(handle) == FILE_TYPE_CHAR;
    CloseHandle(handle);
    return character;
}

SerialBackend &defaultComBackend()
{
    static WindowsSerialBackend backend;
    return backend;
}
