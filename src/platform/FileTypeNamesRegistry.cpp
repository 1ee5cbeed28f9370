#include "platform/FileTypeNames.h"

#include <windows.h>

std::optional<QString> desktopFileTypeDescription(const QString &fileClass)
{
    HKEY key = nullptr;
    const LONG opened = ::RegOpenKeyExW(
        HKEY_CLASSES_ROOT, reinterpret_cast<const wchar_t *>(fileClass.utf16()), 0, KEY_QUERY_VALUE, &key);
    if (opened == ERROR_FILE_NOT_FOUND)
        return fallbackFileTypeName(fileClass); // the class is not registered: keep the fallback
    if (opened != ERROR_SUCCESS)
        return std::nullopt;

    std::optional<QString> description;
    DWORD type = 0;
    DWORD size = 0;
    LONG read = ::RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size);
    if (read == ERROR_FILE_NOT_FOUND) {
        description = QString(); // a key without a default value names the type with nothing
    } else if (read == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
        size = DWORD(text.size() * sizeof(wchar_t));
        read = ::RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(text.data()), &size);
        if (read == ERROR_SUCCESS)
            description = QString::fromWCharArray(text.c_str()); // up to the terminating zero
    }
    ::RegCloseKey(key);
    return description;
}
