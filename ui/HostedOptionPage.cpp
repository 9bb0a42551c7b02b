#include "ui/HostedOptionPage.h"

IMPLEMENT_DYNAMIC(CHostedOptionPage, CKovPropertyPage)

BOOL CHostedOptionPage::PreTranslateMessage(MSG* pMsg) {
    // Left to the host dialog, which sees the message next.
    if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE))
        return FALSE;
    return CKovPropertyPage::PreTranslateMessage(pMsg);
}
