// Enter and Escape in a field become commands for the window around it: the field's window
// procedure is replaced by one that, after the field's own processing, posts IDOK for an Enter
// key-up (unless the field wants its Enter, ES_WANTRETURN) and IDCANCEL for an Escape key-up to
// the field's parent. A key-up counts only after its key-down reached the field (an Enter that
// picked an item in a dropped list does not also act on the dialog).
#pragma once

#include "platform/gui/Wnd.h"

BOOL HookEnterEscapeKeys(CWnd* pWnd);

// The dialog code a field answers when it keeps Enter and Escape for itself: the dialog around
// it then leaves those keys to the field.
LRESULT WantEnterEscape(LRESULT code, LPARAM lParam);

// For a hook procedure that acts on Enter and Escape: calls the procedure the hook replaced,
// keeps Enter and Escape from the dialog (WM_GETDLGCODE), and sets command to IDOK or IDCANCEL
// for an Enter or Escape key-up whose key-down the window saw through this hook (0 otherwise).
LRESULT CallKeepingEnterEscape(WNDPROC hook, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam,
                               WPARAM& command);
