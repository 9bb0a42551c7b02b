#include "shell/TrayIcon.h"

#include "platform/base/Gbk.h"
#include "platform/gui/Icon.h"
#include "platform/gui/Menu.h"

#include <cstring>

namespace {

// Copies text into a fixed field, cut at the last whole character that fits.
void CopyField(char* field, size_t size, LPCTSTR text) {
    size_t n = text ? GbkFitLength(text, strlen(text), size - 1) : 0;
    memcpy(field, text ? text : "", n);
    field[n] = 0;
}

} // namespace

CSysTrayIcon::CSysTrayIcon(CWnd* pOwner, UINT uID, UINT uCallbackMessage) {
    m_nid.cbSize = sizeof m_nid;
    m_nid.hWnd = pOwner ? pOwner->m_hWnd : nullptr;
    m_nid.uID = uID;
    m_nid.uCallbackMessage = uCallbackMessage;
}

CSysTrayIcon::~CSysTrayIcon() {
    Show(FALSE);
    DestroyOwnedIcon();
}

void CSysTrayIcon::DestroyOwnedIcon() {
    if (!m_bSharedIcon && m_nid.hIcon)
        DestroyIcon(m_nid.hIcon);
    m_nid.hIcon = nullptr;
}

void CSysTrayIcon::SetIcon(HICON hIcon, LPCTSTR lpszTip, BOOL bShared) {
    if (hIcon) {
        DestroyOwnedIcon();
        m_bSharedIcon = bShared;
        m_nid.hIcon = bShared ? hIcon : CopyIcon(hIcon);
    }
    if (lpszTip)
        CopyField(m_nid.szTip, sizeof m_nid.szTip, lpszTip);
    Show(m_bShown);
}

BOOL CSysTrayIcon::Show(BOOL bShow) {
    if (!bShow) {
        if (!m_bShown)
            return TRUE;
        m_nid.uFlags = 0;
        if (!Shell_NotifyIcon(NIM_DELETE, &m_nid))
            return FALSE;
        m_bShown = FALSE;
        return TRUE;
    }
    if (!m_nid.hIcon)
        return FALSE;
    m_nid.uFlags = NIF_ICON;
    if (m_nid.szTip[0])
        m_nid.uFlags |= NIF_TIP;
    if (m_nid.uCallbackMessage && m_nid.hWnd)
        m_nid.uFlags |= NIF_MESSAGE;
    if (!Shell_NotifyIcon(m_bShown ? NIM_MODIFY : NIM_ADD, &m_nid))
        return FALSE;
    m_bShown = TRUE;
    return TRUE;
}

BOOL CSysTrayIcon::ShowBalloon(LPCTSTR lpszTitle, LPCTSTR lpszText, UINT uTimeout, DWORD dwKind) {
    if (!m_bShown)
        return FALSE;
    NOTIFYICONDATA nid = m_nid;
    nid.uFlags = NIF_INFO;
    CopyField(nid.szInfoTitle, sizeof nid.szInfoTitle, lpszTitle);
    CopyField(nid.szInfo, sizeof nid.szInfo, lpszText);
    nid.uTimeout = uTimeout;
    nid.dwInfoFlags = dwKind;
    return Shell_NotifyIcon(NIM_MODIFY, &nid);
}

LRESULT CSysTrayIcon::OnTrayNotification(WPARAM wParam, LPARAM lParam) {
    if ((UINT)wParam != m_nid.uID || (lParam != WM_RBUTTONUP && lParam != WM_LBUTTONDOWN))
        return 0;
    if (!m_nIDMenu)
        return 1;
    CMenu menu;
    if (!menu.LoadMenu(m_nIDMenu))
        return 0;
    CMenu* sub = menu.GetSubMenu(0);
    if (!sub)
        return 0;
    CWnd* owner = CWnd::FromHandle(m_nid.hWnd);
    if (lParam == WM_RBUTTONUP) {
        sub->SetDefaultItem(0, TRUE);
        POINT pt{};
        GetCursorPos(&pt);
        if (owner) {
            owner->SetForegroundWindow();
            sub->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, owner);
        }
    } else if (owner) {
        owner->SendMessage(WM_COMMAND, MAKEWPARAM(sub->GetMenuItemID(0), 0), 0);
    }
    return 1;
}
