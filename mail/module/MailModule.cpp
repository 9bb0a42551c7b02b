#include "mail/module/MailModule.h"

#include <algorithm>

#include "mail/ui/EditEmailFrame.h"
#include "platform/gui/MessageBox.h"
#include "mail/ui/EmailAccountsView.h"
#include "mail/ui/EmailViews.h"
#include "shell/MainFrm.h"
#include "shell/OutbarWnd.h"
#include "shell/RightPaneFrame.h"

static_assert(CEmailAccountsView::kModuleKind == CRightPaneFrame::KindEmail,
              "the accounts tree shows the right pane's e-mail views");

CRuntimeClass* CMailModule::GetFolderClass() const {
    return RUNTIME_CLASS(CEmailAccountsView);
}

void CMailModule::RegisterViews() {
    CRightPaneFrame::RegisterViewClass(CRightPaneFrame::KindEmail, CEmailAccountsView::ViewMessages,
                                       RUNTIME_CLASS(CEmailSplitView));
    CEmailAccount::SetComposeFactory(
        [](CEmailAccount* pAccount, CEmailMessage* pMessage) -> CIEmailComposeFrame* {
            return CEditEmailFrame::Open(pAccount, pMessage);
        });
    CEmailAccount::SetSendFailureHandler([](CEmailAccount*, const CString& text) {
        AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
    });
    // Each sending account's line; the status bar shows the latest while any account sends.
    CEmailAccount::SetSendProgressHandler([this](CEmailAccount* pAccount, const CString& text) {
        auto same = [pAccount](const auto& entry) { return entry.first == pAccount; };
        m_sending.erase(std::remove_if(m_sending.begin(), m_sending.end(), same), m_sending.end());
        if (!text.IsEmpty())
            m_sending.emplace_back(pAccount, text);
        CWnd* pWnd =
            m_hFrame != nullptr && ::IsWindow(m_hFrame) ? CWnd::FromHandle(m_hFrame) : nullptr;
        if (auto* pFrame = dynamic_cast<CMainFrame*>(pWnd))
            pFrame->SetBackgroundStatus(m_sending.empty() ? CString() : m_sending.back().second);
    });
}

void CMailModule::OnExit(CSmsApp*) {
    CEmailAccount::SetComposeFactory(nullptr);
    CEmailAccount::SetSendFailureHandler(nullptr);
    CEmailAccount::SetSendProgressHandler(nullptr);
    m_sending.clear();
}

CEmailAccountsView* CMailModule::GetTree() const {
    return m_hTree != nullptr && ::IsWindow(m_hTree)
               ? dynamic_cast<CEmailAccountsView*>(CWnd::FromHandle(m_hTree))
               : nullptr;
}

void CMailModule::ConnectFrame(CMainFrame* pFrame) {
    m_hTree = nullptr;
    m_hFrame = pFrame != nullptr ? pFrame->GetSafeHwnd() : nullptr;
    if (pFrame == nullptr || pFrame->GetOutbar() == nullptr)
        return;
    auto* pTree = dynamic_cast<CEmailAccountsView*>(pFrame->GetOutbar()->GetFolderWnd(FolderMail));
    if (pTree == nullptr)
        return;
    pTree->m_pRightPane = pFrame->GetRightPane();
    m_hTree = pTree->GetSafeHwnd();
}

void CMailModule::OnStartup(CSmsApp*) {
    if (CEmailAccountsView* pTree = GetTree())
        if (pTree->GetFileCount() == 0)
            pTree->OpenAllAccounts();
}

BOOL CMailModule::CloseFiles(CMainFrame*) {
    CEmailAccountsView* pTree = GetTree();
    return pTree == nullptr || (pTree->CloseAllComposeFrames() && pTree->CloseAllFiles());
}

void RegisterMailModule() {
    static CMailModule s_module;
    AfxRegisterShellModule(&s_module);
}
