// Icons in the desktop's notification area. Every icon is kept here as the shell would keep it
// (owner, id, icon, tip, balloon); where the desktop has a notification area a Qt tray icon shows
// it and reports clicks, elsewhere (offscreen) the record alone stands for it.
#pragma once

#include "platform/gui/Wnd.h"

#define NIM_ADD 0x00000000
#define NIM_MODIFY 0x00000001
#define NIM_DELETE 0x00000002

#define NIF_MESSAGE 0x00000001
#define NIF_ICON 0x00000002
#define NIF_TIP 0x00000004
#define NIF_STATE 0x00000008
#define NIF_INFO 0x00000010

#define NIIF_NONE 0x00000000
#define NIIF_INFO 0x00000001
#define NIIF_WARNING 0x00000002
#define NIIF_ERROR 0x00000003

struct NOTIFYICONDATA {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    CHAR szTip[128];
    DWORD dwState;
    DWORD dwStateMask;
    CHAR szInfo[256];
    UINT uTimeout;
    CHAR szInfoTitle[64];
    DWORD dwInfoFlags;
};
typedef NOTIFYICONDATA* PNOTIFYICONDATA;

// Adds, changes or removes an icon. Adding an icon that is there, or changing or removing one
// that is not, fails, as it does when the shell has restarted and lost its icons.
BOOL Shell_NotifyIcon(DWORD dwMessage, PNOTIFYICONDATA lpData);

// Whether the desktop shows a notification area at all: without one an icon added there is never
// seen, so a window hidden to it would have no way back. Tests set the answer (1 or 0; -1 asks
// the desktop again).
BOOL AfxIsTrayAvailable();
void AfxSetTrayAvailableForTesting(int nAvailable);

// What the notification area holds for one icon, for tests and pictures.
struct TrayIconState {
    HICON hIcon = nullptr;
    UINT uCallbackMessage = 0;
    CString tip;
    CString balloonTitle;
    CString balloonText;
    UINT balloonTimeout = 0;
    DWORD balloonKind = NIIF_NONE;
    int balloonCount = 0;
};
BOOL AfxGetTrayIcon(HWND hWnd, UINT uID, TrayIconState* pState);
// A person clicking the icon: the owner gets the callback message with the icon id in wParam
// and the mouse message in lParam (WM_LBUTTONDOWN, WM_RBUTTONUP, ...).
void AfxClickTrayIcon(HWND hWnd, UINT uID, UINT mouseMessage);
// The shell restarting: every icon is gone, and the program must add its icons again.
void AfxResetTrayIcons();
