// The program's icon in the notification area for an owner window: the icon and its tip, balloon
// messages, and the menu that a click on the icon brings up.
#pragma once

#include "platform/gui/TrayIcon.h"

class CSysTrayIcon : public CCmdTarget {
public:
    CSysTrayIcon(CWnd* pOwner, UINT uID, UINT uCallbackMessage);
    ~CSysTrayIcon() override;
    CSysTrayIcon(const CSysTrayIcon&) = delete;
    CSysTrayIcon& operator=(const CSysTrayIcon&) = delete;

    // A null icon or tip keeps the current one. A shared icon stays the caller's; otherwise a
    // copy is kept and destroyed here. A shown icon is updated at once.
    void SetIcon(HICON hIcon, LPCTSTR lpszTip = nullptr, BOOL bShared = TRUE);
    // Showing needs an icon; the shown state changes only when the shell accepted the request.
    BOOL Show(BOOL bShow = TRUE);
    BOOL IsShown() const { return m_bShown; }
    // The shell lost its icons (it restarted): the next Show adds the icon again.
    void ForgetShown() { m_bShown = FALSE; }
    void SetMenu(UINT nIDMenu) { m_nIDMenu = nIDMenu; }
    // Title, text, time in milliseconds and kind (NIIF_INFO, NIIF_WARNING, NIIF_ERROR); only
    // while the icon is shown.
    BOOL ShowBalloon(LPCTSTR lpszTitle, LPCTSTR lpszText, UINT uTimeout, DWORD dwKind);
    // The callback message of the icon: the right button brings up the menu, the left button
    // carries out its first command. Answers 1 when handled.
    LRESULT OnTrayNotification(WPARAM wParam, LPARAM lParam);

    const NOTIFYICONDATA& GetData() const { return m_nid; }

private:
    void DestroyOwnedIcon();

    NOTIFYICONDATA m_nid{};
    BOOL m_bSharedIcon = TRUE;
    BOOL m_bShown = FALSE;
    UINT m_nIDMenu = 0;
};
