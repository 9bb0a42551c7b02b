#include "ui/ClipboardText.h"

#include "platform/gui/Clipboard.h"

#include <cstring>

BOOL CopyTextToClipboard(const char* lpszText) {
    if (!lpszText || !OpenClipboard(nullptr))
        return FALSE;
    EmptyClipboard();
    const size_t size = std::strlen(lpszText) + 1;
    HGLOBAL hMem = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
    BOOL bOk = FALSE;
    if (void* p = hMem ? GlobalLock(hMem) : nullptr) {
        std::memcpy(p, lpszText, size);
        GlobalUnlock(hMem);
        // The clipboard owns the block once it took it.
        bOk = SetClipboardData(CF_TEXT, hMem) != nullptr;
        if (!bOk)
            GlobalFree(hMem);
    } else if (hMem) {
        GlobalFree(hMem);
    }
    CloseClipboard();
    return bOk;
}
