#include "platform/gui/Accel.h"

#include "platform/gui/Wnd.h"

#include <map>
#include <algorithm>
#include <memory>
#include <vector>

struct HACCEL__ {
    std::vector<ACCEL> entries;
    bool shared = false;
};

namespace {

// Every live table, owned here.
std::map<const HACCEL__*, std::unique_ptr<HACCEL__>>& LiveTables() {
    static std::map<const HACCEL__*, std::unique_ptr<HACCEL__>> live;
    return live;
}

bool IsLive(HACCEL h) {
    return h && LiveTables().count(h) != 0;
}

HACCEL NewTable(std::vector<ACCEL> entries, bool shared) {
    auto h = std::make_unique<HACCEL__>(HACCEL__{std::move(entries), shared});
    HACCEL raw = h.get();
    LiveTables()[raw] = std::move(h);
    return raw;
}

bool Down(int vk) {
    return GetKeyState(vk) < 0;
}

// Whether entry a is the key of the message. Character entries match typed characters; a
// control character ("^C") also matches its letter pressed with Ctrl, because no character
// message follows a key pressed with Ctrl.
bool Matches(const ACCEL& a, const MSG& m) {
    bool keyMsg = m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN;
    bool charMsg = m.message == WM_CHAR || m.message == WM_SYSCHAR;
    // The context bit of a key message says that Alt was down.
    bool alt =
        m.message == WM_SYSKEYDOWN || m.message == WM_SYSCHAR || (HIWORD(m.lParam) & 0x2000) != 0;
    if (a.fVirt & FVIRTKEY) {
        if (!keyMsg || a.key != (WORD)m.wParam)
            return false;
        return ((a.fVirt & FCONTROL) != 0) == Down(VK_CONTROL) &&
               ((a.fVirt & FSHIFT) != 0) == Down(VK_SHIFT) && ((a.fVirt & FALT) != 0) == alt;
    }
    if (((a.fVirt & FALT) != 0) != alt)
        return false;
    if (charMsg)
        return a.key == (WORD)m.wParam;
    if (keyMsg && a.key >= 1 && a.key <= 26 && Down(VK_CONTROL))
        return m.wParam == (WPARAM)('A' + a.key - 1);
    return false;
}

} // namespace

HACCEL LoadAccelerators(HINSTANCE, LPCTSTR lpTableName) {
    static std::map<UINT, HACCEL> loaded;
    if (!lpTableName || !IS_INTRESOURCE(lpTableName))
        return nullptr;
    UINT id = (UINT)(ULONG_PTR)lpTableName;
    auto it = loaded.find(id);
    if (it != loaded.end())
        return it->second;
    const ResAccelTable* t = AfxFindAccelerators(id);
    if (!t)
        return nullptr;
    std::vector<ACCEL> entries;
    for (int i = 0; i < t->count; ++i)
        entries.push_back(ACCEL{t->entries[i].fVirt, t->entries[i].key, t->entries[i].cmd});
    return loaded[id] = NewTable(std::move(entries), true);
}

HACCEL CreateAcceleratorTable(LPACCEL paccel, int cAccel) {
    if (!paccel || cAccel <= 0)
        return nullptr;
    return NewTable(std::vector<ACCEL>(paccel, paccel + cAccel), false);
}

BOOL DestroyAcceleratorTable(HACCEL hAccel) {
    if (!IsLive(hAccel))
        return FALSE;
    // A loaded table belongs to everyone who loaded it.
    if (hAccel->shared)
        return TRUE;
    LiveTables().erase(hAccel);
    return TRUE;
}

int CopyAcceleratorTable(HACCEL hAccelSrc, LPACCEL lpAccelDst, int cAccelEntries) {
    if (!IsLive(hAccelSrc))
        return 0;
    int n = (int)hAccelSrc->entries.size();
    if (!lpAccelDst)
        return n;
    int copied = std::min(n, std::max(0, cAccelEntries));
    for (int i = 0; i < copied; ++i)
        lpAccelDst[i] = hAccelSrc->entries[(size_t)i];
    return copied;
}

int TranslateAccelerator(HWND hWnd, HACCEL hAccTable, LPMSG lpMsg) {
    if (!lpMsg || !IsLive(hAccTable) || !IsWindow(hWnd))
        return 0;
    for (const ACCEL& a : hAccTable->entries) {
        if (!Matches(a, *lpMsg))
            continue;
        // The table may go away while the command runs.
        WORD cmd = a.cmd;
        SendMessage(hWnd, WM_COMMAND, MAKEWPARAM(cmd, 1), 0);
        return 1;
    }
    return 0;
}
