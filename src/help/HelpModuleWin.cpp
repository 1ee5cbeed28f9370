#include "help/HelpFiles.h"
#include "help/HelpModule.h"

#include <QDir>
#include <QWidget>

#include <windows.h>

namespace {

// HtmlHelpW, the entry point of the system's HTML help control.
using HtmlHelpEntry = HWND(WINAPI *)(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data);

const wchar_t *wide(const QString &text)
{
    return reinterpret_cast<const wchar_t *>(text.utf16());
}

// The help file in Windows' notation; a topic after "::" keeps its forward slashes.
QString nativeTarget(const QString &file)
{
    const qsizetype topic = file.indexOf(QLatin1String("::"));
    if (topic < 0)
        return QDir::toNativeSeparators(file);
    return QDir::toNativeSeparators(file.left(topic)) + file.mid(topic);
}

// hhctrl.ocx: it shows the compiled help in a window of its own, not a QWidget.
class HtmlHelpControl final : public HelpModule
{
public:
    HtmlHelpControl(const QString &path, HMODULE library, HtmlHelpEntry entry)
        : HelpModule(path)
        , m_library(library)
        , m_entry(entry)
    { }

    ~HtmlHelpControl() override { ::FreeLibrary(m_library); }

    QWidget *htmlHelp(QWidget *caller, const QString &file, HelpCommand command,
                      const QVariant &data) override
    {
        // The help window is owned by the caller's native window; none is made for its sake.
        const QWidget *window = caller ? caller->window() : nullptr;
        const auto owner = window ? reinterpret_cast<HWND>(window->internalWinId()) : nullptr;
        const QString target = nativeTarget(file);
        QString keyword;
        DWORD_PTR argument = 0;
        switch (command) {
        case HelpCommand::hcDisplayIndex:
            keyword = data.toString();
            argument = reinterpret_cast<DWORD_PTR>(wide(keyword));
            break;
        case HelpCommand::hcHelpContext:
            argument = static_cast<DWORD_PTR>(data.toUInt());
            break;
        default:
            break;
        }
        m_entry(owner, target.isEmpty() ? nullptr : wide(target), static_cast<UINT>(command), argument);
        return nullptr;
    }

private:
    HMODULE m_library;
    HtmlHelpEntry m_entry;
};

} // namespace

std::unique_ptr<HelpModule> HelpModule::load(const QString &path)
{
    // A damaged file must not stop the start with a system error box.
    DWORD previousMode = 0;
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    const HMODULE library = ::LoadLibraryW(wide(QDir::toNativeSeparators(path)));
    ::SetThreadErrorMode(previousMode, nullptr);
    if (!library)
        return nullptr;
    // Through void (*)(): GetProcAddress's type says nothing about the entry's.
    const auto entry = reinterpret_cast<HtmlHelpEntry>(
        reinterpret_cast<void (*)()>(::GetProcAddress(library, "HtmlHelpW")));
    if (!entry) {
        ::FreeLibrary(library);
        return nullptr;
    }
    return std::make_unique<HtmlHelpControl>(path, library, entry);
}

QStringList helpModuleFolders(const QString &)
{
    // The system's viewer comes from the system folder only, never from beside the program.
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    return {QDir::fromNativeSeparators(QString::fromWCharArray(folder, int(length)))};
}
