#include "ui/EnterEscapeHook.h"

#include "platform/gui/Controls.h"
#include "platform/gui/WndProc.h"

#include <set>
#include <tuple>

LRESULT WantEnterEscape(LRESULT code, LPARAM lParam) {
    auto* msg = reinterpret_cast<const MSG*>(lParam);
    if (msg && msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE))
        code |= DLGC_WANTALLKEYS;
    return code;
}

namespace {

// The Enter and Escape key-downs each hook saw on each window and that are not yet released.
std::set<std::tuple<WNDPROC, HWND, WPARAM>>& KeysDown() {
    static std::set<std::tuple<WNDPROC, HWND, WPARAM>> keys;
    return keys;
}

LRESULT EnterEscapeProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WPARAM command = 0;
    LRESULT r = CallKeepingEnterEscape(&EnterEscapeProc, hWnd, message, wParam, lParam, command);
    CWnd* w = command ? CWnd::FromHandle(hWnd) : nullptr;
    CWnd* parent = w ? w->GetParent() : nullptr;
    if (parent && !(command == IDOK && (w->GetStyle() & ES_WANTRETURN)))
        parent->PostMessage(WM_COMMAND, command, 0);
    return r;
}

} // namespace

LRESULT CallKeepingEnterEscape(WNDPROC hook, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam,
                               WPARAM& command) {
    command = 0;
    if (message == WM_GETDLGCODE)
        return WantEnterEscape(AfxCallPreviousWndProc(hook, hWnd, message, wParam, lParam), lParam);
    bool enterOrEscape = wParam == VK_RETURN || wParam == VK_ESCAPE;
    if (message == WM_KEYDOWN && enterOrEscape)
        KeysDown().insert({hook, hWnd, wParam});
    if (message == WM_NCDESTROY) {
        KeysDown().erase({hook, hWnd, VK_RETURN});
        KeysDown().erase({hook, hWnd, VK_ESCAPE});
    }
    LRESULT r = AfxCallPreviousWndProc(hook, hWnd, message, wParam, lParam);
    if (message == WM_KEYUP && enterOrEscape && KeysDown().erase({hook, hWnd, wParam}))
        command = wParam == VK_RETURN ? IDOK : IDCANCEL;
    return r;
}

BOOL HookEnterEscapeKeys(CWnd* pWnd) {
    return pWnd && AfxHookWndProc(pWnd->m_hWnd, &EnterEscapeProc);
}
