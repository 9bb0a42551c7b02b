#include "ecard/ui/ECFrame.h"
#include "ecard/ui/ECAboutDlg.h"
#include "ecard/ui/ECAccessViews.h"
#include "ecard/ui/ECAccountDialogs.h"

#include "ecard/ECRequest.h"
#include "ecard/ECUserDoc.h"
#include "ecard/ui/ECContactsTreeView.h"
#include "ecard/ui/ECMessageViews.h"
#include "links/ui/DlgSendSmsProgress.h"
#include "ecard/ui/ECRightPaneFrame.h"
#include "ecard/ui/ECUserManagerView.h"
#include "ecard/ui/ECUsersManager.h"
#include "links/ServiceAddress.h"
#include "platform/base/Sync.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/ShellServices.h"
#include "platform/gui/Icon.h"
#include "platform/gui/WinApp.h"
#include "ui/KovMenu.h"

#include <algorithm>

namespace {

const UINT kButtons[] = {1526,  ID_SEPARATOR, 57636, 1528,  32846, ID_SEPARATOR, 32777,
                         1513,  1514,         1521,  ID_SEPARATOR, 1525, 1518,  ID_SEPARATOR,
                         32807, 32812,        32813, ID_SEPARATOR, 311,  ID_SEPARATOR, 32821,
                         32822, ID_SEPARATOR, 59409, 59408, 59410, 59411};
// The window's tool-bar pictures: the window's own list first, then the pictures of the buttons
// that have none of their own there (compose, delete, add a stranger, the contacts button).
const UINT kIcons[] = {131, 511, 134, 548, 135, 131, 546, 132, 543, 544, 545,
                       549, 259, 256, 502, 136, 133, 143, 144, 145, 146,
                       137, 155, 551, 552};
// Each button's picture (an index into kIcons), in button order: every button its own.
const int kButtonImages[] = {24, 2, 6, 4, 5, 7, 23, 8, 3, 11, 21, 12, 13, 22, 15, 16, 17, 18, 19, 20};
constexpr int kButtonCount = (int)(sizeof kButtonImages / sizeof *kButtonImages);

const char* ButtonText(UINT nID) {
    switch (nID) {
    case 1513: return "好友";
    case 1514: return "陌生人";
    case 1521: return "访问权限";
    case 1525: return "同步";
    case 1518: return "更新";
    case 32821: return "确认";
    case 32822: return "取消";
    default: return nullptr;
    }
}

} // namespace

BEGIN_MESSAGE_MAP(CECFrame, CFrameWnd)
ON_WM_CREATE()
ON_WM_CLOSE()
ON_WM_DESTROY()
ON_MESSAGE(WM_EC_RELAYOUT, &CECFrame::OnRelayout)
ON_WM_MEASUREITEM()
ON_WM_DRAWITEM()
ON_MESSAGE(WM_INITMENUPOPUP, &CECFrame::OnInitMenuPopupOwnerDraw)
ON_COMMAND(1507, &CECFrame::OnNewUser)
ON_COMMAND(32812, &CECFrame::OnReceiveMessages)
ON_COMMAND(1531, &CECFrame::OnOnlineHelp)
ON_COMMAND(57664, &CECFrame::OnAbout)
ON_COMMAND(57667, &CECFrame::OnHelpTopics)
ON_COMMAND(57665, &CECFrame::OnExitWindow)
ON_COMMAND(1511, &CECFrame::OnDefaultAccess)
ON_COMMAND(1524, &CECFrame::ChangePassword)
ON_COMMAND(1509, &CECFrame::ModifyAccount)
ON_COMMAND(1508, &CECFrame::Deregister)
ON_COMMAND(32807, &CECFrame::WriteMessage)
ON_UPDATE_COMMAND_UI(32807, &CECFrame::OnUpdateWriteMessage)
ON_UPDATE_COMMAND_UI(1524, &CECFrame::OnUpdateNotBusy)
ON_UPDATE_COMMAND_UI(1509, &CECFrame::OnUpdateNotBusy)
ON_UPDATE_COMMAND_UI(1508, &CECFrame::OnUpdateNotBusy)
ON_UPDATE_COMMAND_UI(1511, &CECFrame::OnUpdateNotBusy)
END_MESSAGE_MAP()

CECFrame::CECFrame(CECUsersManager* pManager, CECUserDoc* pDoc)
    : m_pManager(pManager), m_pDoc(pDoc) {}

CECFrame::~CECFrame() {
    if (m_pDoc != nullptr) {
        m_pDoc->GetUser().SetListener(nullptr);
        m_pDoc->GetUser().SetSendProgress(nullptr);
        if (m_bSaveOnClose)
            m_pDoc->SaveUser();
        delete m_pDoc;
        m_pDoc = nullptr;
    }
    if (m_hUserLock != nullptr)
        CloseHandle(m_hUserLock);
}

UINT CECFrame::GetUserNumber() const {
    return m_pDoc != nullptr ? m_pDoc->GetUser().GetAccount().m_nUid : 0;
}

BOOL CECFrame::CreateToolBar() {
    if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT | TBSTYLE_LIST,
                               WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP | CBRS_TOOLTIPS | CBRS_FLYBY))
        return FALSE;
    m_toolImages.Create(24, 24, ILC_COLOR32 | ILC_MASK, 21, 5);
    for (UINT id : kIcons)
        m_toolImages.Add(ECLoadPicture(id));
    m_wndToolBar.GetToolBarCtrl().SetImageList(&m_toolImages);
    if (!m_wndToolBar.SetButtons(kButtons, (int)(sizeof kButtons / sizeof *kButtons)))
        return FALSE;
    int nButton = 0;
    for (int i = 0; i < m_wndToolBar.GetCount(); ++i) {
        const UINT id = m_wndToolBar.GetItemID(i);
        if (id == ID_SEPARATOR) {
            m_wndToolBar.SetButtonInfo(i, ID_SEPARATOR, TBBS_SEPARATOR, 6);
            continue;
        }
        m_wndToolBar.SetButtonInfo(i, id, m_wndToolBar.GetButtonStyle(i),
                                   kButtonImages[nButton++ % kButtonCount]);
        if (const char* text = ButtonText(id))
            m_wndToolBar.SetButtonText(i, text);
    }
    return TRUE;
}

int CECFrame::OnCreate(LPCREATESTRUCT lpcs) {
    if (CFrameWnd::OnCreate(lpcs) == -1)
        return -1;
    if (m_pDoc != nullptr)
        m_pDoc->GetUser().SetSendProgress(&m_sendProgress);
    static const UINT indicators[] = {ID_SEPARATOR, ID_SEPARATOR, ID_SEPARATOR, ID_SEPARATOR};
    if (!m_wndStatusBar.Create(this) || !m_wndStatusBar.SetIndicators(indicators, 4))
        return -1;
    if (!CreateToolBar() || !m_wndReBar.Create(this) ||
        !m_wndReBar.AddBar(&m_wndToolBar, nullptr, nullptr, RBBS_GRIPPERALWAYS | RBBS_FIXEDBMP))
        return -1;
    // The busy animation stands at the right end of the bar row.
    if (m_wndAnimate.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 28, 28), this,
                            0x7001)) {
        CImageList& images = m_wndAnimate.GetImageList();
        images.Create(24, 24, ILC_COLOR32 | ILC_MASK, 4, 1);
        for (UINT id = 560; id <= 563; ++id)
            images.Add(ECLoadPicture(id));
        m_wndAnimate.SetFrameRange(0, 3);
        m_wndAnimate.SetInterval(AnimationTimerMs);
        m_wndAnimate.SetFrame(0, FALSE);
    }
    RecalcLayout();
    return 0;
}

void CECBusyWnd::FillBackground(CDC* pDC, const RECT* pRect) {
    pDC->FillSolidRect(pRect, ::GetSysColor(COLOR_BTNFACE));
}

void CECFrame::RecalcLayout(BOOL bNotify) {
    CFrameWnd::RecalcLayout(bNotify);
    if (m_wndAnimate.GetSafeHwnd() == nullptr || m_wndReBar.GetSafeHwnd() == nullptr)
        return;
    CRect bar;
    m_wndReBar.GetWindowRect(&bar);
    ScreenToClient(&bar);
    const int size = 28;
    m_wndAnimate.MoveWindow(bar.right - size - 4, bar.top + std::max(0, (bar.Height() - size) / 2),
                            size, size);
}

BOOL CECFrame::OnCreateClient(LPCREATESTRUCT, CCreateContext*) {
    CCreateContext context;
    context.m_pCurrentDoc = m_pDoc;
    context.m_pCurrentFrame = this;
    if (!m_wndSplitter.CreateStatic(this, 1, 2, WS_CHILD | WS_VISIBLE))
        return FALSE;
    if (!m_wndSplitter.CreateView(0, 0, RUNTIME_CLASS(CECOutbarWnd), CSize(LeftPaneWidth, 100),
                                  &context) ||
        !m_wndSplitter.CreateView(0, 1, RUNTIME_CLASS(CECRightPaneFrame), CSize(100, 100),
                                  &context))
        return FALSE;
    m_pOutbar = dynamic_cast<CECOutbarWnd*>(m_wndSplitter.GetPane(0, 0));
    m_pRightPane = dynamic_cast<CECRightPaneFrame*>(m_wndSplitter.GetPane(0, 1));
    if (m_pOutbar == nullptr || m_pRightPane == nullptr)
        return FALSE;
    if (CWinApp* pApp = AfxGetApp())
        if (HCURSOR hand = pApp->LoadCursor(218))
            m_pOutbar->SetCursorHandle(hand, TRUE);
    m_pTree = dynamic_cast<CECContactsTreeView*>(
        m_pOutbar->AddFolderView(RUNTIME_CLASS(CECContactsTreeView), &context, "我的好友"));
    m_pAccountView = dynamic_cast<CECUserManagerView*>(m_pOutbar->AddFolderPage(
        RUNTIME_CLASS(CECUserManagerView), &context, "我的帐户", COutbarWnd::FolderViewId(1),
        m_pOutbar));
    if (m_pTree == nullptr || m_pAccountView == nullptr)
        return FALSE;

    CString appTitle;
    appTitle.LoadString(0xE000);
    CString title;
    title.Format("%s电子名片用户 - %u", (LPCTSTR)appTitle, GetUserNumber());
    SetTitle(title);
    SetWindowText(title);

    m_pTree->m_pRightPane = m_pRightPane;
    m_pAccountView->m_pRightPane = m_pRightPane;
    m_pAccountView->m_pDoc = m_pDoc;
    m_pRightPane->Initialize(m_pDoc, m_pTree);
    m_pDoc->GetUser().SetListener(this);
    m_pOutbar->SelectFolder(0, FALSE);
    m_pOutbar->ActivateFolderWnd(0);
    // The user's lock goes with the window: another running copy must not open it too.
    m_hUserLock = CreateMutex(nullptr, FALSE, CECUsersManager::GetUserLockName(GetUserNumber()));
    return TRUE;
}

void CECFrame::OnUpdateFrameTitle(BOOL) {
    SetWindowText(GetTitle());
}

BOOL CECFrame::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd,
                         CCreateContext* pContext) {
    if (!CFrameWnd::LoadFrame(nIDResource, dwDefaultStyle, pParentWnd, pContext))
        return FALSE;
    SetMenuOwnerDraw(GetMenu());
    return TRUE;
}

void CECFrame::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMIS) {
    if (!MeasureOwnerDrawnMenuItem(this, lpMIS))
        CFrameWnd::OnMeasureItem(nIDCtl, lpMIS);
}

void CECFrame::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDIS) {
    if (!DrawOwnerDrawnMenuItem(this, lpDIS))
        CFrameWnd::OnDrawItem(nIDCtl, lpDIS);
}

LRESULT CECFrame::OnInitMenuPopupOwnerDraw(WPARAM wParam, LPARAM lParam) {
    LRESULT result = CFrameWnd::OnInitMenuPopup(wParam, lParam);
    // Pop-ups built or filled just now (the contact menu's values) are drawn alike.
    if (CMenu* popup = CMenu::FromHandle((HMENU)wParam))
        SetMenuOwnerDraw(popup);
    return result;
}

BOOL CECFrame::PollUser() {
    return m_pDoc != nullptr && m_pDoc->GetUser().PollRequest();
}

BOOL CECFrame::PreTranslateMessage(MSG* pMsg) {
    // Any message through the window (the busy animation's timer at the least) hands a
    // finished request back.
    if (m_bBusy)
        PollUser();
    if (m_bBusy && m_pDoc != nullptr && pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE) {
        m_pDoc->GetUser().CancelRequest();
        SetMessageText(AFX_IDS_IDLEMESSAGE);
        return TRUE;
    }
    return CFrameWnd::PreTranslateMessage(pMsg);
}

BOOL CECFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (m_bBusy)
        return FALSE;
    if (CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    if (m_pRightPane != nullptr && m_pRightPane->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    // The tree answers whichever folder is shown: its commands stay at hand from the account page.
    if (m_pTree != nullptr && m_pTree != GetActiveView() &&
        m_pTree->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    return FALSE;
}

void CECFrame::GetMessageString(UINT nID, CString& rMessage) const {
    if (nID == AFX_IDS_IDLEMESSAGE && m_bBusy) {
        rMessage = m_pDoc != nullptr && m_pDoc->GetUser().IsCancelling()
                       ? "正在取消……"
                       : "正在与服务器通信，请稍候……（按Esc键取消）";
        return;
    }
    CFrameWnd::GetMessageString(nID, rMessage);
}

void CECFrame::OnECUserSessionBegin(CECUser*) {
    m_bBusy = TRUE;
    SetMessageText(AFX_IDS_IDLEMESSAGE);
    if (m_pRightPane != nullptr)
        m_pRightPane->EnableWindow(FALSE);
    if (m_wndAnimate.GetSafeHwnd() != nullptr)
        m_wndAnimate.StartAnimation();
}

void CECFrame::OnECUserSessionEnd(CECUser*) {
    m_bBusy = FALSE;
    SetMessageText(AFX_IDS_IDLEMESSAGE);
    if (m_pRightPane != nullptr)
        m_pRightPane->EnableWindow(TRUE);
    if (m_wndAnimate.GetSafeHwnd() != nullptr) {
        m_wndAnimate.StopAnimation();
        m_wndAnimate.SetFrame(0, TRUE);
    }
}

void CECFrame::OnECSessionResult(CECUser* pUser, int nResult) {
    if (nResult != 0) {
        AfxMessageBox(pUser->GetErrorText(nResult), MB_OK | MB_ICONSTOP);
        return;
    }
    if (pUser->GetOperation() == EC_OP_SET_DEFAULT_ACCESS) {
        // The new default access: the changed fields take the sent values.
        SECAccess::Merge(pUser->m_pendingAccess, pUser->m_access, &pUser->m_pendingMasks);
        m_pDoc->SetModifiedFlag(TRUE);
        m_pDoc->UpdateAllViews(nullptr, 0);
    }
    if (pUser->GetOperation() == EC_OP_RECEIVE_MESSAGES) {
        // Received messages are handed over once: they are kept at once.
        m_pDoc->SaveUser();
        if (m_pTree != nullptr)
            m_pTree->Rebuild();
        m_pDoc->UpdateAllViews(nullptr, 2);
    }
}

void CECFrame::DefaultAccess() {
    if (m_pDoc == nullptr || m_pDoc->GetUser().IsBusy())
        return;
    CECUser& user = m_pDoc->GetUser();
    CECDlgModifyAccess dlg(&user, {}, this);
    if (dlg.DoModal() != IDOK)
        return;
    user.BeginRequest(this);
    user.m_pendingAccess = dlg.m_values;
    user.m_pendingMasks = dlg.m_changes;
    user.StartUserInfoOperation(EC_OP_SET_DEFAULT_ACCESS);
}

void CECFrame::ChangePassword() {
    if (m_pDoc == nullptr || m_pDoc->GetUser().IsBusy())
        return;
    CECUser& user = m_pDoc->GetUser();
    CECDlgChangePassword dlg(&user, this);
    if (dlg.DoModal() != IDOK)
        return;
    // The next offline log-in compares with the new password.
    user.GetAccount().m_strPassword = dlg.m_strNew;
    m_pDoc->SaveUser();
}

void CECFrame::ModifyAccount() {
    if (m_pDoc == nullptr || m_pDoc->GetUser().IsBusy())
        return;
    CECDlgModifyAccount dlg(&m_pDoc->GetUser(), this);
    if (dlg.DoModal() == IDOK)
        m_pDoc->SetModifiedFlag(TRUE);
}

void CECFrame::Deregister() {
    if (m_pDoc == nullptr || m_pDoc->GetUser().IsBusy())
        return;
    CECDlgDeregister dlg(&m_pDoc->GetUser(), this);
    if (dlg.DoModal() != IDOK)
        return;
    // The account is gone at the service: its folder goes and nothing is written back.
    m_bSaveOnClose = FALSE;
    CECUsersManager::DeleteLocalUser(GetUserNumber());
    PostMessage(WM_CLOSE, 0, 0);
}

void CECFrame::OnUpdateNotBusy(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_pDoc != nullptr && !m_pDoc->GetUser().IsBusy());
}

// The contact a message may go to: the document's current one, never the user's own card.
static CECContact* MessageRecipient(CECUserDoc* pDoc) {
    CECContact* pContact = pDoc != nullptr ? pDoc->GetCurrentContact() : nullptr;
    return pContact != nullptr && pContact != &pDoc->GetUser() ? pContact : nullptr;
}

void CECFrame::WriteMessage() {
    CECContact* pContact = MessageRecipient(m_pDoc);
    if (pContact == nullptr)
        return;
    if (EditECMessage(&m_pDoc->GetUser(), pContact, nullptr, nullptr, this) == IDCANCEL)
        return;
    m_pDoc->SetModifiedFlag(TRUE);
    m_pDoc->UpdateAllViews(nullptr, 14 | 1);
    if (m_pTree != nullptr)
        m_pTree->Invalidate();
}

void CECFrame::OnUpdateWriteMessage(CCmdUI* pCmdUI) {
    pCmdUI->Enable(MessageRecipient(m_pDoc) != nullptr && !m_pDoc->GetUser().IsBusy());
}

// ---- the send-progress window ----

CECSendProgressWindow::~CECSendProgressWindow() {
    if (m_pDialog != nullptr)
        m_pDialog->DestroyProgress();
}

void CECSendProgressWindow::Start(LPCTSTR lpszCaption, int nMessages) {
    if (m_pDialog != nullptr)
        m_pDialog->DestroyProgress();
    m_pDialog = new CDlgSendSmsProgress(this, m_pParent);
    if (!m_pDialog->CreateModeless()) {
        delete m_pDialog;
        m_pDialog = nullptr;
    }
    m_bRunning = TRUE;
    m_bStop = FALSE;
    if (m_pDialog != nullptr) {
        m_pDialog->ShowForRun(lpszCaption);
        m_pDialog->SetTotal(nMessages);
    }
}

void CECSendProgressWindow::BeginMessage(LPCTSTR lpszRecipients) {
    if (m_pDialog != nullptr)
        m_pDialog->BeginRecipient(lpszRecipients, 1);
}

void CECSendProgressWindow::ReportResult(int nCode, LPCTSTR lpszText) {
    if (m_pDialog != nullptr)
        m_pDialog->ReportPartResult(nCode, TRUE, nCode != 0 ? lpszText : nullptr);
}

void CECSendProgressWindow::Step() {
    if (m_pDialog != nullptr) {
        m_pDialog->StepProgress();
        m_pDialog->PumpMessages();
    }
}

void CECSendProgressWindow::ClearBusy() {
    m_bRunning = FALSE;
    if (m_pDialog != nullptr)
        m_pDialog->SetFinished();
}

CString CECSendProgressWindow::GetSendResultText(int nCode) const {
    return GetECErrorText(nCode);
}

void CECSendProgressWindow::OnProgressDestroyed(CISendProgress* pProgress) {
    if (pProgress == m_pDialog)
        m_pDialog = nullptr;
}

void CECFrame::OnReceiveMessages() {
    if (m_pDoc != nullptr && !m_pDoc->GetUser().IsBusy())
        m_pDoc->GetUser().ReceiveMessages(this);
}

void CECFrame::OnNewUser() {
    if (CWnd* pMain = AfxGetMainWnd())
        pMain->PostMessage(WM_COMMAND, 1529, 0);
}

void CECFrame::OnOnlineHelp() {
    ShellExecute(m_hWnd, "open", GetServiceUrl("ecard/help/"), nullptr, nullptr, SW_SHOWNORMAL);
}

void CECFrame::OnAbout() {
    CECAboutDlg dlg(this);
    dlg.DoModal();
}

void CECFrame::OnHelpTopics() {
    // No help files ship with the program: the request fails as the main window's help does
    // (the program's string "无法启动帮助。").
    const UINT kHelpFailed = 0xF107;
    AfxMessageBox(kHelpFailed, MB_OK | MB_ICONEXCLAMATION);
}

void CECFrame::OnExitWindow() {
    PostMessage(WM_CLOSE, 0, 0);
}

LRESULT CECFrame::OnRelayout(WPARAM, LPARAM) {
    m_wndSplitter.RecalcLayout();
    return 0;
}

void CECFrame::OnClose() {
    if (m_pDoc != nullptr && m_pDoc->GetUser().IsBusy())
        return;
    if (m_pManager != nullptr)
        m_pManager->RemoveWindow(this);
    DestroyWindow();
}

void CECFrame::OnDestroy() {
    if (m_pManager != nullptr)
        m_pManager->RemoveWindow(this);
    CFrameWnd::OnDestroy();
}
