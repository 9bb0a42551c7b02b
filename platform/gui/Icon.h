// Icons and cursors: handles over the images of the resource scripts, of files and of the
// standard shapes; the current cursor; the wait cursor.
#pragma once

#include "platform/gui/Resource.h"

class QCursor;
class QImage;

// Standard cursors and icons, passed with a null module handle.
#define IDC_ARROW MAKEINTRESOURCE(32512)
#define IDC_IBEAM MAKEINTRESOURCE(32513)
#define IDC_WAIT MAKEINTRESOURCE(32514)
#define IDC_CROSS MAKEINTRESOURCE(32515)
#define IDC_UPARROW MAKEINTRESOURCE(32516)
#define IDC_SIZENWSE MAKEINTRESOURCE(32642)
#define IDC_SIZENESW MAKEINTRESOURCE(32643)
#define IDC_SIZEWE MAKEINTRESOURCE(32644)
#define IDC_SIZENS MAKEINTRESOURCE(32645)
#define IDC_SIZEALL MAKEINTRESOURCE(32646)
#define IDC_NO MAKEINTRESOURCE(32648)
#define IDC_HAND MAKEINTRESOURCE(32649)
#define IDC_APPSTARTING MAKEINTRESOURCE(32650)
#define IDC_HELP MAKEINTRESOURCE(32651)

#define IDI_APPLICATION MAKEINTRESOURCE(32512)
#define IDI_HAND MAKEINTRESOURCE(32513)
#define IDI_ERROR IDI_HAND
#define IDI_QUESTION MAKEINTRESOURCE(32514)
#define IDI_EXCLAMATION MAKEINTRESOURCE(32515)
#define IDI_WARNING IDI_EXCLAMATION
#define IDI_ASTERISK MAKEINTRESOURCE(32516)
#define IDI_INFORMATION IDI_ASTERISK
#define IDI_WINLOGO MAKEINTRESOURCE(32517)

#define IMAGE_BITMAP 0
#define IMAGE_ICON 1
#define IMAGE_CURSOR 2

#define LR_DEFAULTCOLOR 0x0000
#define LR_LOADFROMFILE 0x0010
#define LR_LOADTRANSPARENT 0x0020
#define LR_DEFAULTSIZE 0x0040
#define LR_CREATEDIBSECTION 0x2000
#define LR_SHARED 0x8000

#define DI_MASK 0x0001
#define DI_IMAGE 0x0002
#define DI_NORMAL 0x0003
#define DI_DEFAULTSIZE 0x0008

// Icons and cursors of the program's resources (hInstance is ignored) or, for a null module
// handle and a standard id, the standard shapes. Loaded handles are shared: destroying one does
// nothing.
HICON LoadIcon(HINSTANCE hInstance, LPCTSTR lpIconName);
HCURSOR LoadCursor(HINSTANCE hInstance, LPCTSTR lpCursorName);
// An icon, cursor or bitmap from the resources or, with LR_LOADFROMFILE, from a file (a program
// path in GBK). cx/cy 0 take the image's own size, or the system size with LR_DEFAULTSIZE.
HANDLE LoadImage(HINSTANCE hInst, LPCTSTR name, UINT type, int cx, int cy, UINT fuLoad);
HICON CopyIcon(HICON hIcon);
BOOL DestroyIcon(HICON hIcon);
BOOL DestroyCursor(HCURSOR hCursor);

// Sets the shape of the pointer over the window under it (during WM_SETCURSOR: the window the
// message is about) and answers the previous one.
HCURSOR SetCursor(HCURSOR hCursor);
HCURSOR GetCursor();

BOOL DrawIcon(HDC hDC, int x, int y, HICON hIcon);
BOOL DrawIconEx(HDC hdc, int xLeft, int yTop, HICON hIcon, int cxWidth, int cyWidth,
                UINT istepIfAniCur, HBRUSH hbrFlickerFreeDraw, UINT diFlags);

// For the rest of the window layer (image lists, static icons, the tray).
HICON AfxCreateIcon(const QImage& image);
// The icon's picture closest to the size asked (0: its largest); null image for a bad handle.
QImage AfxIconImage(HICON hIcon, int cx = 0, int cy = 0);
QCursor AfxQCursor(HCURSOR hCursor);
BOOL AfxIsIcon(HICON hIcon);

// Shows the wait cursor for its lifetime.
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    // Shows the wait cursor again after something (a message box) replaced it.
    void Restore();
};
