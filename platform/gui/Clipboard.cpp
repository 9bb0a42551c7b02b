#include "platform/gui/Clipboard.h"

#include "platform/gui/WndPrivate.h"

#include <QClipboard>
#include <QGuiApplication>
#include <cctype>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <vector>

struct GlobalBlock {
    std::vector<char> bytes;
    int locks = 0;
};

namespace {

std::set<HGLOBAL>& Blocks() {
    static std::set<HGLOBAL> blocks;
    return blocks;
}
bool IsBlock(HGLOBAL h) {
    return h && Blocks().count(h);
}

struct ClipboardState {
    bool open = false;
    HWND owner = nullptr;
    std::vector<HGLOBAL> owned; // blocks handed to or made by the clipboard
    void FreeOwned() {
        for (HGLOBAL h : owned)
            GlobalFree(h);
        owned.clear();
    }
};
ClipboardState& Clip() {
    static ClipboardState c;
    return c;
}
bool IsText(UINT format) {
    return format == CF_TEXT || format == CF_UNICODETEXT;
}

} // namespace

HGLOBAL GlobalAlloc(UINT, SIZE_T dwBytes) {
    // A block the size of the address space is a caller's arithmetic gone wrong, not a request.
    if (dwBytes > ((SIZE_T)1 << 31))
        return nullptr;
    auto* b = new GlobalBlock;
    b->bytes.assign(dwBytes, 0);
    Blocks().insert(b);
    return b;
}

void* GlobalLock(HGLOBAL h) {
    if (!IsBlock(h))
        return nullptr;
    ++h->locks;
    // A zero-sized block still has an address to lock.
    if (h->bytes.empty())
        h->bytes.reserve(1);
    return h->bytes.data();
}

BOOL GlobalUnlock(HGLOBAL h) {
    if (!IsBlock(h) || h->locks == 0)
        return FALSE;
    return --h->locks > 0;
}

SIZE_T GlobalSize(HGLOBAL h) {
    return IsBlock(h) ? h->bytes.size() : 0;
}

HGLOBAL GlobalFree(HGLOBAL h) {
    if (!IsBlock(h))
        return h;
    Blocks().erase(h);
    delete h;
    return nullptr;
}

BOOL OpenClipboard(HWND hWndNewOwner) {
    ClipboardState& c = Clip();
    if (c.open)
        return FALSE;
    AfxEnsureGuiApp();
    c.open = true;
    c.owner = hWndNewOwner;
    return TRUE;
}

BOOL CloseClipboard() {
    ClipboardState& c = Clip();
    if (!c.open)
        return FALSE;
    c.open = false;
    c.owner = nullptr;
    c.FreeOwned();
    return TRUE;
}

BOOL EmptyClipboard() {
    ClipboardState& c = Clip();
    if (!c.open)
        return FALSE;
    c.FreeOwned();
    QGuiApplication::clipboard()->clear();
    return TRUE;
}

HGLOBAL SetClipboardData(UINT uFormat, HGLOBAL hMem) {
    ClipboardState& c = Clip();
    if (!c.open || !IsText(uFormat) || !IsBlock(hMem))
        return nullptr;
    const std::vector<char>& b = hMem->bytes;
    QString text;
    if (uFormat == CF_UNICODETEXT) {
        size_t n = 0;
        while (n + 1 < b.size() && (b[n] || b[n + 1]))
            n += 2;
        text = QString::fromUtf16(reinterpret_cast<const char16_t*>(b.data()), (qsizetype)(n / 2));
    } else {
        size_t n = (size_t)(std::find(b.begin(), b.end(), '\0') - b.begin());
        text = AfxToQt(CString(b.data(), (int)n));
    }
    QGuiApplication::clipboard()->setText(text);
    c.owned.push_back(hMem);
    return hMem;
}

HGLOBAL GetClipboardData(UINT uFormat) {
    ClipboardState& c = Clip();
    if (!c.open || !IsText(uFormat) || !IsClipboardFormatAvailable(uFormat))
        return nullptr;
    QString text = QGuiApplication::clipboard()->text();
    HGLOBAL h = nullptr;
    if (uFormat == CF_UNICODETEXT) {
        h = GlobalAlloc(GHND, (SIZE_T)(text.size() + 1) * 2);
        std::memcpy(h->bytes.data(), text.utf16(), (size_t)text.size() * 2);
    } else {
        CString gbk = AfxFromQt(text);
        h = GlobalAlloc(GHND, (SIZE_T)gbk.GetLength() + 1);
        std::memcpy(h->bytes.data(), gbk.GetString(), (size_t)gbk.GetLength());
    }
    c.owned.push_back(h);
    return h;
}

BOOL IsClipboardFormatAvailable(UINT format) {
    AfxEnsureGuiApp();
    return IsText(format) && !QGuiApplication::clipboard()->text().isEmpty();
}

UINT RegisterClipboardFormat(LPCTSTR lpszFormat) {
    if (!lpszFormat || !*lpszFormat)
        return 0;
    static std::mutex lock;
    static std::vector<std::string> names;
    std::lock_guard<std::mutex> guard(lock);
    std::string key(lpszFormat);
    for (char& c : key)
        c = (char)std::tolower((unsigned char)c);
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == key)
            return 0xC000u + (UINT)i;
    if (names.size() >= 0x3FFF)
        return 0;
    names.push_back(key);
    return 0xC000u + (UINT)(names.size() - 1);
}
