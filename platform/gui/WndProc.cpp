#include "platform/gui/WndProc.h"

#include "platform/gui/WndPrivate.h"

#include <map>
#include <utility>

LRESULT AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* w = CWnd::FromHandlePermanent(hWnd);
    return w ? w->WindowProc(message, wParam, lParam) : 0;
}

LRESULT AfxCallWndProc(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!pWnd || !pWnd->m_hWnd)
        return 0;
    if (WNDPROC proc = pWnd->m_p->proc)
        return proc(pWnd->m_hWnd, message, wParam, lParam);
    return pWnd->WindowProc(message, wParam, lParam);
}

LONG_PTR GetWindowLongPtr(HWND hWnd, int nIndex) {
    CWnd* w = CWnd::FromHandlePermanent(hWnd);
    if (!w || nIndex != GWLP_WNDPROC)
        return 0;
    return (LONG_PTR)(w->m_p->proc ? w->m_p->proc : &AfxWndProc);
}

LONG_PTR SetWindowLongPtr(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    CWnd* w = CWnd::FromHandlePermanent(hWnd);
    if (!w || nIndex != GWLP_WNDPROC || !dwNewLong)
        return 0;
    LONG_PTR old = GetWindowLongPtr(hWnd, nIndex);
    auto proc = (WNDPROC)dwNewLong;
    w->m_p->proc = proc == &AfxWndProc ? nullptr : proc;
    return old;
}

LRESULT CallWindowProc(WNDPROC lpPrevWndFunc, HWND hWnd, UINT message, WPARAM wParam,
                       LPARAM lParam) {
    return lpPrevWndFunc ? lpPrevWndFunc(hWnd, message, wParam, lParam) : 0;
}

namespace {

// (window, hook) -> the procedure the hook replaced on that window.
std::map<std::pair<HWND, WNDPROC>, WNDPROC>& Previous() {
    static std::map<std::pair<HWND, WNDPROC>, WNDPROC> table;
    return table;
}

} // namespace

BOOL AfxHookWndProc(HWND hWnd, WNDPROC hook) {
    if (!IsWindow(hWnd) || !hook)
        return FALSE;
    auto key = std::make_pair(hWnd, hook);
    // Already in the window's chain: hooking again would make the hook its own predecessor.
    if (Previous().count(key))
        return TRUE;
    auto prev = (WNDPROC)SetWindowLongPtr(hWnd, GWLP_WNDPROC, (LONG_PTR)hook);
    Previous()[key] = prev;
    return TRUE;
}

LRESULT AfxCallPreviousWndProc(WNDPROC hook, HWND hWnd, UINT message, WPARAM wParam,
                               LPARAM lParam) {
    auto key = std::make_pair(hWnd, hook);
    auto it = Previous().find(key);
    WNDPROC prev = it == Previous().end() ? &AfxWndProc : it->second;
    if (message == WM_NCDESTROY)
        Previous().erase(key);
    return CallWindowProc(prev, hWnd, message, wParam, lParam);
}
