#include "shell/ReminderPromptWindows.h"

#include "shell/PromptInfoWnd.h"

BOOL CReminderPromptWindows::ShowPromptWindow(LPCTSTR lpszText) {
    auto* pWnd = new CPromptInfoWnd;
    if (!pWnd->Create()) {
        delete pWnd;
        return FALSE;
    }
    pWnd->SetText(lpszText);
    pWnd->ShowPrompt();
    OnPromptShown(pWnd);
    return TRUE;
}
