// What the desktop shell does for the program: opening an address or a file with the program the
// desktop chooses, starting a command line, and files dropped on a window.
//
// Only web, mail and phone addresses (http, https, ftp, mailto, tel) and existing local files or
// folders are opened; anything else (other schemes, programs) is refused with the shell's result code, so
// text taken from documents can never start a program.
#pragma once

#include "platform/base/Collections.h"
#include "platform/gui/Wnd.h"

#include <functional>
#include <string>
#include <vector>

// Result codes of ShellExecute; a value above 32 means success.
#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_OOM 8
#define SE_ERR_SHARE 26
#define SE_ERR_ASSOCINCOMPLETE 27
#define SE_ERR_DDETIMEOUT 28
#define SE_ERR_DDEFAIL 29
#define SE_ERR_DDEBUSY 30
#define SE_ERR_NOASSOC 31
#define SE_ERR_DLLNOTFOUND 32
#define SE_OPENED 42
#define ERROR_BAD_FORMAT 11

// Opens a target with the desktop's program. Answers SE_OPENED (above 32) on success, else one of
// the codes above: SE_ERR_NOASSOC for an address of another scheme, SE_ERR_FNF for a missing
// local file, SE_ERR_ACCESSDENIED for a program file.
INT_PTR ShellExecute(HWND hwnd, LPCTSTR lpOperation, LPCTSTR lpFile, LPCTSTR lpParameters,
                     LPCTSTR lpDirectory, int nShowCmd);
// Starts a command line (program and arguments, quotes group words); above 31 on success.
UINT WinExec(LPCTSTR lpCmdLine, UINT uCmdShow);

// Whether ShellExecute would hand the target on (the scheme and file checks above); 0 when it
// would, else the code it answers.
int AfxCheckShellTarget(LPCTSTR lpFile);

// The desktop opener: receives the address as a URL in UTF-8 ("file://..." for local files) and
// answers whether it was opened. The default uses QDesktopServices. Tests install a recorder.
using ShellOpenHook = std::function<bool(const std::string& url)>;
ShellOpenHook AfxSetShellOpenHook(ShellOpenHook hook);
// Starting command lines: the program and its arguments (UTF-8). The default starts it detached.
using ShellExecHook =
    std::function<bool(const std::string& program, const std::vector<std::string>& args)>;
ShellExecHook AfxSetShellExecHook(ShellExecHook hook);

// ---- Dropped files ------------------------------------------------------------------------------

struct HDROP__;
typedef HDROP__* HDROP;

// Lets a window receive WM_DROPFILES (wParam: an HDROP) when files are dropped on it.
void DragAcceptFiles(CWnd* pWnd, BOOL bAccept = TRUE);
// With iFile 0xFFFFFFFF the number of files; otherwise copies the path (GBK, at most cch - 1
// bytes, cut at a whole character) and answers the bytes copied; a null buffer asks the length.
UINT DragQueryFile(HDROP hDrop, UINT iFile, LPSTR lpszFile, UINT cch);
BOOL DragQueryPoint(HDROP hDrop, LPPOINT lppt);
void DragFinish(HDROP hDrop);
// Makes the drop a window gets for these paths at a client point (tests, hand-over of files).
HDROP AfxMakeDrop(const CStringArray& paths, POINT pt);
