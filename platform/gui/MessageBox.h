// Message boxes: the icon and button kinds of the system and their results. A test answers them
// through a hook that also sees the text shown.
#pragma once

#include "platform/base/CString.h"
#include "platform/gui/WinDefs.h"

#include <functional>

struct MessageBoxCall {
    HWND owner;
    CString text;
    CString caption;
    UINT type;
};

// Answers message boxes instead of showing them; returns the previous hook. The answer is
// the button's result (IDOK, IDYES, ...).
using MessageBoxHook = std::function<int(const MessageBoxCall&)>;
MessageBoxHook AfxSetMessageBoxHook(MessageBoxHook hook);

int AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = (UINT)-1);
int AfxShowMessageBox(HWND hOwner, LPCTSTR lpszText, LPCTSTR lpszCaption, UINT nType);
BOOL MessageBeep(UINT uType);
