#include "platform/ForeignWindowKeys.h"

#include <QGuiApplication>
#include <QWindow>

#include <algorithm>
#include <windows.h>

namespace {

HHOOK keyboardHook = nullptr;
ForeignWindowKeys::Handler keyHandler;

bool isQtWindow(HWND window)
{
    const HWND root = ::GetAncestor(window, GA_ROOT);
    const QWindowList windows = QGuiApplication::allWindows();
    return std::any_of(windows.cbegin(), windows.cend(), [root](const QWindow *qtWindow) {
        return qtWindow->handle() && reinterpret_cast<HWND>(qtWindow->winId()) == root;
    });
}

bool modifierDown()
{
    return ::GetKeyState(VK_SHIFT) < 0 || ::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0;
}

// Runs on this thread whenever a message loop (Qt's or a system dialog's) is about to
// hand on a key message. Bit 31 of `flags` is set for a release, bit 30 when the key was
// already down (a repeat).
LRESULT CALLBACK takeKey(int code, WPARAM virtualKey, LPARAM flags)
{
    const bool pressed = (flags & (LPARAM(1) << 31)) == 0;
    if (code == HC_ACTION && pressed && virtualKey >= VK_F1 && virtualKey <= VK_F12 && keyHandler
        && !modifierDown()) {
        const HWND focus = ::GetFocus();
        const bool repeat = (flags & (LPARAM(1) << 30)) != 0;
        if (focus && !isQtWindow(focus) && keyHandler(Qt::Key(Qt::Key_F1 + int(virtualKey - VK_F1)), repeat))
            return 1;
    }
    return ::CallNextHookEx(keyboardHook, code, virtualKey, flags);
}

} // namespace

void ForeignWindowKeys::watch(Handler handler)
{
    keyHandler = std::move(handler);
    if (keyHandler && !keyboardHook)
        keyboardHook = ::SetWindowsHookExW(WH_KEYBOARD, takeKey, nullptr, ::GetCurrentThreadId());
    else if (!keyHandler && keyboardHook) {
        ::UnhookWindowsHookEx(keyboardHook);
        keyboardHook = nullptr;
    }
}
