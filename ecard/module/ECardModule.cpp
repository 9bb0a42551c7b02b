#include "ecard/module/ECardModule.h"
#include "ecard/ui/ECRightPaneFrame.h"

#include "ecard/ECRequest.h"
#include "ecard/ui/ECFrame.h"
#include "ecard/ui/ECUsersManager.h"
#include "platform/gui/Icon.h"
#include "platform/gui/WinApp.h"
#include "shell/SmsApp.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace {

// The wait cursor over a synchronous request, and painting (no input) while it waits.
void ShowWaitCursor(BOOL bWaiting) {
    static CWaitCursor* s_pCursor = nullptr;
    if (bWaiting && s_pCursor == nullptr) {
        s_pCursor = new CWaitCursor;
    } else if (!bWaiting && s_pCursor != nullptr) {
        delete s_pCursor;
        s_pCursor = nullptr;
    }
}

void PaintWhileWaiting() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
}

} // namespace

CECardModule::CECardModule() {
    CECRightPaneFrame::RegisterStandardViews();
}

CECardModule::~CECardModule() = default;

CECUsersManager& CECardModule::EnsureUsersManager() {
    if (!m_pManager) {
        m_pManager = std::make_unique<CECUsersManager>();
        m_pManager->LoadAutoShowLogin();
    }
    SetECWaitHook(&ShowWaitCursor);
    SetECWaitPump(&PaintWhileWaiting);
    return *m_pManager;
}

void CECardModule::ShowLogin() {
    EnsureUsersManager().ShowLoginDialog(AfxGetMainWnd());
}

BOOL CECardModule::OnAppCommand(CSmsApp*, UINT nID, int nCode, void* pExtra,
                                AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (nID != (UINT)ID_ECARD_LOGIN)
        return FALSE;
    if (nCode == (int)CN_UPDATE_COMMAND_UI) {
        static_cast<CCmdUI*>(pExtra)->Enable(TRUE);
        return TRUE;
    }
    if (nCode != (int)CN_COMMAND)
        return FALSE;
    if (pHandlerInfo == nullptr)
        ShowLogin();
    return TRUE;
}

void CECardModule::OnStartup(CSmsApp*) {
    if (EnsureUsersManager().LoadAutoShowLogin())
        ShowLogin();
}

BOOL CECardModule::OnIdle(CSmsApp*, LONG lCount) {
    if (lCount > 0 || !m_pManager)
        return FALSE;
    for (int i = 0; i < m_pManager->GetWindowCount(); ++i)
        if (CECFrame* pFrame = m_pManager->GetWindow(i))
            if (pFrame->GetSafeHwnd() != nullptr)
                pFrame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
    return FALSE;
}

BOOL CECardModule::CanClose(CString& reason) {
    return !m_pManager || m_pManager->CanCloseAll(&reason);
}

void CECardModule::OnExit(CSmsApp*) {
    if (m_pManager) {
        m_pManager->CloseAll();
        m_pManager.reset();
    }
    SetECWaitHook(nullptr);
    SetECWaitPump(nullptr);
}

void RegisterECardModule() {
    static CECardModule s_module;
    AfxRegisterShellModule(&s_module);
}
