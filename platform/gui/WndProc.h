// A window's procedure: what every message sent or posted to the window goes through. It starts
// as the window object's own processing (AfxWndProc); code may put another procedure in front
// of it, which passes what it does not keep to the one it replaced with CallWindowProc. The
// procedure belongs to the window, not to the object, and stays when another object subclasses
// the window.
#pragma once

#include "platform/gui/Wnd.h"

#define GWLP_WNDPROC (-4)

// The window object's own processing of a message (its WindowProc).
LRESULT AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// Delivers a message to a window through its procedure.
LRESULT AfxCallWndProc(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam);

// GWLP_WNDPROC only: the window's procedure; 0 for a handle that is not a window.
LONG_PTR GetWindowLongPtr(HWND hWnd, int nIndex);
// Replaces the window's procedure; answers the previous one (0 on failure).
LONG_PTR SetWindowLongPtr(HWND hWnd, int nIndex, LONG_PTR dwNewLong);
LRESULT CallWindowProc(WNDPROC lpPrevWndFunc, HWND hWnd, UINT message, WPARAM wParam,
                       LPARAM lParam);

// A procedure put in front of a window's own: each window it hooks keeps the procedure it had
// before, so windows of different classes (or already hooked by something else) share one
// hook procedure safely. Hooking a window twice with the same procedure does nothing.
BOOL AfxHookWndProc(HWND hWnd, WNDPROC hook);
// The procedure the hook replaced on this window; the hook calls it for what it does not keep.
// Once the window is gone the entry goes too.
LRESULT AfxCallPreviousWndProc(WNDPROC hook, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
