// The clipboard in the classic form: open, empty, put or get text (CF_TEXT, GBK), close. Text goes
// through the desktop's clipboard, so other programs see it; the movable memory blocks the
// classic calls hand around are kept here too.
#pragma once

#include "platform/gui/WinDefs.h"

struct GlobalBlock;
typedef GlobalBlock* HGLOBAL;

#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GMEM_DDESHARE 0x2000
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)

#define CF_TEXT 1
#define CF_BITMAP 2
#define CF_UNICODETEXT 13

// Memory blocks: always zero-filled; null for a size that cannot be had.
HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes);
void* GlobalLock(HGLOBAL hMem);
BOOL GlobalUnlock(HGLOBAL hMem);
SIZE_T GlobalSize(HGLOBAL hMem);
// Answers null when the block was freed, the handle itself when it was not a block.
HGLOBAL GlobalFree(HGLOBAL hMem);

// One window at a time has the clipboard open; FALSE while another has.
BOOL OpenClipboard(HWND hWndNewOwner);
BOOL CloseClipboard();
BOOL EmptyClipboard();
// Takes the block over (it is freed by the clipboard); text ends at the first NUL or the block's
// end. Answers the block, null when the clipboard is not open or the format is not text.
HGLOBAL SetClipboardData(UINT uFormat, HGLOBAL hMem);
// The clipboard's text as a GBK block the clipboard owns until it is emptied or closed.
HGLOBAL GetClipboardData(UINT uFormat);
BOOL IsClipboardFormatAvailable(UINT format);
// A number for a named clipboard format, the same for the same name (letters compared without
// case) for the life of the program; 0 for an empty name. Numbers start at 0xC000, clear of the
// standard formats.
UINT RegisterClipboardFormat(LPCTSTR lpszFormat);
