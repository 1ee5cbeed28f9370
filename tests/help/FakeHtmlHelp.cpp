// Stands in for the system's hhctrl.ocx in the tests. Each call of HtmlHelpW becomes one
// UTF-8 line in calls.log beside the library:
//   <owner|none>|<file or (null)>|<command>|<data>
// with the keyword of HH_DISPLAY_INDEX (2) as text and any other data as a number.
// Built with TIVANO_FAKE_WITHOUT_ENTRY it is a library without the entry point.
#include <string>
#include <windows.h>

namespace {

std::wstring logPath()
{
    HMODULE self = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS
                             | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&logPath), &self);
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(self, path, MAX_PATH);
    std::wstring folder(path, length);
    folder.resize(folder.find_last_of(L'\\') + 1);
    return folder + L"calls.log";
}

[[maybe_unused]] void appendLine(const std::wstring &line)
{
    const int size
        = ::WideCharToMultiByte(CP_UTF8, 0, line.data(), int(line.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size_t(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line.data(), int(line.size()), bytes.data(), size, nullptr, nullptr);
    const HANDLE file = ::CreateFileW(logPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

} // namespace

#ifndef TIVANO_FAKE_WITHOUT_ENTRY
extern "C" __declspec(dllexport) HWND WINAPI
    HtmlHelpW(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data)
{
    std::wstring line = caller ? L"owner|" : L"none|";
    line += file ? file : L"(null)";
    line += L'|' + std::to_wstring(command) + L'|';
    if (command == 2 && data)
        line += reinterpret_cast<LPCWSTR>(data);
    else
        line += std::to_wstring(data);
    appendLine(line + L'\n');
    return nullptr;
}
#endif
