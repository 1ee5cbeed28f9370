#include "platform/WindowsError.h"
#include "protocol/DesktopShell.h"

#include <QCoreApplication>
#include <QDir>
#include <QMimeDatabase>
#include <QPointer>
#include <QThreadPool>

#include <optional>

// windows.h first: the other system headers build on it.
// clang-format off
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlwapi.h>
// clang-format on

namespace {

// The shell's calls may wait for a handler (a slow viewer, a network drive); they run on a
// pool thread, in the single-threaded apartment the shell asks for.
template<typename Work>
void runInShellThread(Work work)
{
    QThreadPool::globalInstance()->start([work = std::move(work)]() mutable {
        const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        work();
        if (SUCCEEDED(com))
            ::CoUninitialize();
    });
}

// Hands `deliver` back to the interface thread, where it runs unless `guard` is gone by then.
template<typename Deliver>
void answerOnInterfaceThread(const QPointer<QObject> &guard, Deliver deliver)
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [guard, deliver = std::move(deliver)]() mutable {
            if (guard)
                deliver();
        },
        Qt::QueuedConnection);
}

// ShellExecuteEx "open" on the file; the system's reason when it fails.
std::optional<QString> shellOpen(const QString &fileName)
{
    const std::wstring file = QDir::toNativeSeparators(fileName).toStdWString();
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.nShow = SW_RESTORE;
    if (::ShellExecuteExW(&info))
        return std::nullopt;
    return windowsErrorText(::GetLastError());
}

} // namespace

DesktopShell::~DesktopShell() = default;

void DesktopShell::openDocument(const QString &fileName)
{
    runInShellThread([fileName] { shellOpen(fileName); });
}

void DesktopShell::findApplication(const QString &mimeType, std::function<void(bool found)> answer)
{
    const QString suffix = QMimeDatabase().mimeTypeForName(mimeType).preferredSuffix();
    if (suffix.isEmpty()) {
        answer(false);
        return;
    }
    const std::wstring extension = (QLatin1Char('.') + suffix).toStdWString();
    runInShellThread([extension, guard = QPointer<QObject>(&m_pending), answer = std::move(answer)] {
        wchar_t command[2048];
        DWORD length = DWORD(std::size(command));
        const bool found = SUCCEEDED(::AssocQueryStringW(ASSOCF_INIT_IGNOREUNKNOWN, ASSOCSTR_COMMAND,
                                                         extension.c_str(), L"open", command, &length))
            && command[0] != L'\0';
        answerOnInterfaceThread(guard, [answer, found] { answer(found); });
    });
}

void DesktopShell::openDocumentOrReport(const QString &fileName,
                                        std::function<void(const QString &reason)> failed)
{
    runInShellThread([fileName, guard = QPointer<QObject>(&m_pending), failed = std::move(failed)] {
        if (const std::optional<QString> reason = shellOpen(fileName))
            answerOnInterfaceThread(guard, [failed, reason = *reason] { failed(reason); });
    });
}
