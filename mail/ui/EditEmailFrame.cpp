#include "mail/ui/EditEmailFrame.h"

#include "mail/EmailMessage.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/RichEditCtrl.h"
#include "platform/gui/ShellServices.h"
#include "platform/gui/WinApp.h"

#include <algorithm>
#include <vector>

IMPLEMENT_DYNCREATE(CKovEditFrame, CFrameWnd)
IMPLEMENT_DYNAMIC(CEditEmailHeaderBar, CDialogBar)
IMPLEMENT_DYNAMIC(CEditEmailFrame, CKovEditFrame)

namespace {

const UINT kFields[] = {CEditEmailHeaderBar::IDC_TO, CEditEmailHeaderBar::IDC_CC,
                        CEditEmailHeaderBar::IDC_BCC, CEditEmailHeaderBar::IDC_SUBJECT};
const int kKinds[] = {CEmailMessage::KIND_TO, CEmailMessage::KIND_CC, CEmailMessage::KIND_BCC};

} // namespace

// ---- CKovEditFrame ----

CKovEditFrame::CKovEditFrame() = default;

CView* CKovEditFrame::GetEditView(int nView) const {
    return nView == 1 ? m_pView1 : nView == 2 ? m_pView2 : nullptr;
}

BOOL CKovEditFrame::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) {
    CCreateContext context = pContext != nullptr ? *pContext : m_context;
    if (m_pViewClass != nullptr)
        context.m_pNewViewClass = m_pViewClass;
    if (context.m_pNewViewClass == nullptr)
        return TRUE;
    context.m_pCurrentFrame = this;
    m_pView1 = dynamic_cast<CView*>(CreateView(&context, AFX_IDW_PANE_FIRST));
    if (m_pView1 == nullptr)
        return FALSE;
    SetActiveView(m_pView1, FALSE);
    return TRUE;
}

// ---- CEditEmailHeaderBar ----

BEGIN_MESSAGE_MAP(CEditEmailHeaderBar, CDialogBar)
ON_WM_SIZE()
END_MESSAGE_MAP()

BOOL CEditEmailHeaderBar::Create(CWnd* pParentWnd, UINT nIDTemplate, UINT nStyle, UINT nID) {
    if (!CDialogBar::Create(pParentWnd, nIDTemplate, nStyle, nID))
        return FALSE;
    // The recipient fields are rich edits; checking them also links the rich-edit control's code,
    // which makes its window class known to the templates.
    for (UINT nField : {IDC_TO, IDC_CC, IDC_BCC}) {
        CWnd* pField = GetDlgItem(nField);
        if (pField == nullptr || !pField->IsKindOf(RUNTIME_CLASS(CRichEditCtrl)))
            return FALSE;
    }
    return TRUE;
}

CString CEditEmailHeaderBar::GetField(UINT nID) const {
    CString text;
    if (CWnd* pField = GetDlgItem(nID))
        pField->GetWindowText(text);
    return text;
}

void CEditEmailHeaderBar::SetField(UINT nID, LPCTSTR lpszText) {
    if (CWnd* pField = GetDlgItem(nID))
        pField->SetWindowText(lpszText != nullptr ? lpszText : "");
}

void CEditEmailHeaderBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL) {
    // The recipient buttons have no command of their own; they stay enabled.
    CDialogBar::OnUpdateCmdUI(pTarget, FALSE);
}

void CEditEmailHeaderBar::OnSize(UINT nType, int cx, int cy) {
    CDialogBar::OnSize(nType, cx, cy);
    // The fields keep their left edge and reach to the bar's right edge, less a margin.
    for (UINT nID : kFields) {
        CWnd* pField = GetDlgItem(nID);
        if (pField == nullptr)
            continue;
        CRect rc;
        pField->GetWindowRect(&rc);
        ScreenToClient(&rc);
        rc.right = std::max<int>(rc.left + 20, cx - 6);
        pField->MoveWindow(&rc);
    }
}

// ---- CEditEmailFrame ----

BEGIN_MESSAGE_MAP(CEditEmailFrame, CKovEditFrame)
ON_WM_CREATE()
ON_WM_CLOSE()
ON_WM_DESTROY()
ON_MESSAGE(WM_DROPFILES, &CEditEmailFrame::OnDropFiles)
ON_COMMAND(CEditEmailFrame::ID_SEND, &CEditEmailFrame::OnSend)
ON_COMMAND(CEditEmailFrame::ID_SAVE_TO_SEND, &CEditEmailFrame::OnSaveToSend)
ON_COMMAND(CEditEmailFrame::ID_SAVE_DRAFT, &CEditEmailFrame::OnSaveDraft)
ON_COMMAND(CEditEmailFrame::ID_SAVE, &CEditEmailFrame::OnSave)
ON_COMMAND(CEditEmailFrame::ID_CLOSE, &CEditEmailFrame::OnCloseCommand)
ON_UPDATE_COMMAND_UI(CEditEmailHeaderBar::IDC_TO_BUTTON, &CEditEmailFrame::OnUpdateAlwaysOn)
ON_UPDATE_COMMAND_UI(CEditEmailHeaderBar::IDC_CC_BUTTON, &CEditEmailFrame::OnUpdateAlwaysOn)
ON_UPDATE_COMMAND_UI(CEditEmailHeaderBar::IDC_BCC_BUTTON, &CEditEmailFrame::OnUpdateAlwaysOn)
END_MESSAGE_MAP()

CEditEmailFrame* CEditEmailFrame::Open(CEmailAccount* pAccount, CEmailMessage* pMessage) {
    auto* pFrame = new CEditEmailFrame(pAccount, pMessage);
    if (!AfxCreateFrameSafely(pFrame, IDR_FRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr,
                              nullptr))
        return nullptr;
    // Over the program's window (the middle of the screen without one), not in the corner where
    // a new window would land.
    pFrame->CenterWindow(AfxGetMainWnd());
    pFrame->LoadMessage();
    pFrame->InitialUpdateFrame(nullptr, TRUE);
    pFrame->ActivateFrame(-1);
    if (CView* pBody = pFrame->GetEditView(1))
        pBody->SetFocus();
    return pFrame;
}

CEditEmailFrame::CEditEmailFrame(CEmailAccount* pAccount, CEmailMessage* pMessage)
    : m_pAccount(pAccount), m_pMessage(pMessage) {
    m_pViewClass = RUNTIME_CLASS(CTxtEditView);
}

CEditEmailFrame::~CEditEmailFrame() {
    // Only a frame without an account keeps a message of its own to the end; with one, the
    // account took the message over when the frame closed.
    if (m_pAccount == nullptr && m_bLoaded && m_pMessage != nullptr && m_pMessage->GetBox() == nullptr)
        delete m_pMessage;
}

int CEditEmailFrame::OnCreate(LPCREATESTRUCT lpcs) {
    if (CKovEditFrame::OnCreate(lpcs) == -1)
        return -1;
    if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS,
                               CRect(0, 0, 0, 0), AFX_IDW_TOOLBAR) ||
        !m_wndToolBar.LoadToolBar(IDR_FRAME))
        return -1;
    if (!m_wndHeader.Create(this, CEditEmailHeaderBar::IDD, CBRS_TOP | WS_VISIBLE, ID_HEADER_BAR))
        return -1;
    if (!m_wndAttach.Create(this, CFileListBar::IDD, CBRS_BOTTOM, ID_ATTACH_BAR))
        return -1;
    m_wndAttach.GetList().SetListener(this);
    ShowControlBar(&m_wndAttach, FALSE, FALSE);
    DragAcceptFiles(this, TRUE);
    return 0;
}

void CEditEmailFrame::ShowAttachBar(BOOL bShow) {
    if (m_wndAttach.GetSafeHwnd() != nullptr &&
        ((m_wndAttach.GetStyle() & WS_VISIBLE) != 0) != (bShow != FALSE))
        ShowControlBar(&m_wndAttach, bShow, FALSE);
}

void CEditEmailFrame::LoadMessage() {
    m_bLoaded = TRUE;
    if (m_pMessage != nullptr) {
        for (int i = 0; i < 3; ++i) {
            CString text;
            const CKovPtrArray<CRegEmailAddress>* pList = m_pMessage->GetRecipients(kKinds[i]);
            for (int n = 0; pList != nullptr && n < pList->GetCount(); ++n) {
                if (!text.IsEmpty())
                    text += "; ";
                text += pList->GetAt(n)->Format(0, m_pMessage->GetContentCharset());
            }
            m_wndHeader.SetField(kFields[i], text);
        }
        m_wndHeader.SetField(CEditEmailHeaderBar::IDC_SUBJECT, m_pMessage->m_strSubject);
        if (CTxtEditView* pBody = GetBodyView())
            pBody->SetText(m_pMessage->GetPlainText());
        if (m_pMessage->GetImportance() != 0)
            m_nImportance = m_pMessage->GetImportance();
        m_bReadReceipt = m_pMessage->m_bReadReceipt;
        // The files of a stored mail are listed again, found or not: they are its attachments.
        CFileListCtrl& files = GetFileList();
        const CEmailBodyPart& root = m_pMessage->GetRoot();
        for (int i = 0; i < root.GetChildCount(); ++i)
            if (!root.GetChild(i)->m_strFilePath.IsEmpty())
                files.AddPath(root.GetChild(i)->m_strFilePath, FALSE);
        ShowAttachBar(files.GetItemCount() > 0);
    }
    MarkSaved();
    UpdateTitle();
}

CString CEditEmailFrame::Snapshot() const {
    CString s;
    for (UINT nID : kFields)
        s += m_wndHeader.GetField(nID) + "\x01";
    if (CTxtEditView* pBody = GetBodyView())
        s += pBody->GetText();
    s += "\x01";
    const CStringList& paths = const_cast<CEditEmailFrame*>(this)->GetFileList().GetPaths();
    for (POSITION pos = paths.GetHeadPosition(); pos != nullptr;)
        s += paths.GetNext(pos) + "\x02";
    return s;
}

BOOL CEditEmailFrame::IsChanged() const {
    return Snapshot() != m_strSaved;
}

void CEditEmailFrame::UpdateTitle() {
    CString title = GetTitle();
    if (title.IsEmpty())
        title = "写邮件";
    const CString subject = m_wndHeader.GetField(CEditEmailHeaderBar::IDC_SUBJECT);
    SetWindowText(subject.IsEmpty() ? title : subject + " - " + title);
}

void CEditEmailFrame::FillMessage(int nState) {
    if (m_pMessage == nullptr)
        m_pMessage = new CEmailMessage;
    CEmailMessage& msg = *m_pMessage;
    const CStringList& paths = GetFileList().GetPaths();
    // Filled again, the mail takes the list's files in place of those it had.
    msg.GetRoot().RemoveAttachments();
    msg.SetMime(m_bHtml || !paths.IsEmpty());
    msg.SetImportance(m_nImportance);
    msg.SetMessageTime(CTime::GetCurrentTime());
    for (int i = 0; i < 3; ++i) {
        msg.GetRecipients(kKinds[i])->RemoveAll();
        const CString text = m_wndHeader.GetField(kFields[i]);
        if (!text.IsEmpty())
            msg.AddRecipients(text, kKinds[i]);
    }
    msg.m_strSubject = m_wndHeader.GetField(CEditEmailHeaderBar::IDC_SUBJECT);
    if (!m_bHtml) {
        CTxtEditView* pBody = GetBodyView();
        msg.SetText(pBody != nullptr ? pBody->GetText() : CString());
    }
    if (!paths.IsEmpty())
        msg.AddAttachments(paths);
    if (m_pAccount != nullptr) {
        m_pAccount->FillSender(msg.m_sender);
        m_pAccount->FillReplyTo(msg.m_replyTo);
        msg.m_strMailer = m_pAccount->GetMailerName();
    }
    msg.m_bReadReceipt = m_bReadReceipt;
    msg.SetState(nState);
}

BOOL CEditEmailFrame::SaveNow() {
    FillMessage(1);
    if (m_pAccount == nullptr || !m_pAccount->SaveMessage(m_pMessage)) {
        AfxMessageBox("邮件没有保存：无法写入这个帐户的邮件数据。", MB_OK | MB_ICONSTOP);
        return FALSE;
    }
    MarkSaved();
    UpdateTitle();
    return TRUE;
}

BOOL CEditEmailFrame::CloseThroughAccount(BOOL bAsk) {
    if (bAsk && IsChanged()) {
        const int nAnswer = AfxMessageBox("这封邮件的修改还没有保存。要把它保存为草稿吗？",
                                          MB_YESNOCANCEL | MB_ICONQUESTION);
        if (nAnswer == IDCANCEL)
            return FALSE;
        if (nAnswer == IDYES) {
            FillMessage(0);
            m_bDraft = TRUE;
            m_nAction = ActionKeep;
        } else {
            m_nAction = ActionCancel;
        }
    }
    if (m_pAccount != nullptr) {
        m_bClosing = TRUE;
        if (!m_pAccount->OnComposeClosed(this)) {
            m_bClosing = FALSE;
            AfxMessageBox("邮件没有保存：无法写入这个帐户的邮件数据。窗口保持打开，以免丢失邮件。",
                          MB_OK | MB_ICONSTOP);
            return FALSE;
        }
    }
    m_bClosing = TRUE;
    DestroyWindow();
    return TRUE;
}

void CEditEmailFrame::FillAndClose(int nAction, int nState, BOOL bCheckSendable) {
    FillMessage(nState);
    m_bDraft = nState == 0;
    if (bCheckSendable && m_pAccount != nullptr) {
        const CString problem = m_pAccount->GetSendProblem(m_pMessage);
        if (!problem.IsEmpty()) {
            AfxMessageBox(problem, MB_OK | MB_ICONEXCLAMATION);
            return;
        }
    }
    const int nOldAction = m_nAction;
    m_nAction = nAction;
    if (!CloseThroughAccount(FALSE))
        m_nAction = nOldAction;
}

BOOL CEditEmailFrame::QueryCloseFrame() {
    return CloseThroughAccount(TRUE);
}

void CEditEmailFrame::OnAccountClosing() {
    // The account deletes what it owns and what the frame held; the frame just goes.
    m_pAccount = nullptr;
    m_pMessage = nullptr;
    m_bClosing = TRUE;
    if (GetSafeHwnd() != nullptr)
        DestroyWindow();
}

void CEditEmailFrame::OnClose() {
    CloseThroughAccount(TRUE);
}

void CEditEmailFrame::OnDestroy() {
    // A frame destroyed without closing (the program going down) still lets go of its mail.
    if (!m_bClosing && m_pAccount != nullptr) {
        m_bClosing = TRUE;
        m_nAction = ActionCancel;
        m_pAccount->OnComposeClosed(this);
    }
    CKovEditFrame::OnDestroy();
}

BOOL CEditEmailFrame::AddAttachment(LPCTSTR lpszPath) {
    const BOOL bAdded = GetFileList().AddPath(lpszPath, TRUE);
    if (GetFileList().GetItemCount() > 0)
        ShowAttachBar(TRUE);
    return bAdded;
}

LRESULT CEditEmailFrame::OnDropFiles(WPARAM wParam, LPARAM) {
    auto hDrop = reinterpret_cast<HDROP>(wParam);
    ActivateFrame(-1);
    const UINT nCount = DragQueryFile(hDrop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < nCount; ++i) {
        // Each path whole, however long: a cut one could name another file.
        const UINT nLength = DragQueryFile(hDrop, i, nullptr, 0);
        std::vector<char> buffer(nLength + 1);
        if (DragQueryFile(hDrop, i, buffer.data(), nLength + 1) == nLength)
            AddAttachment(buffer.data());
    }
    DragFinish(hDrop);
    return 0;
}

void CEditEmailFrame::OnFileListChanged(CFileListCtrl*) {}

void CEditEmailFrame::OnSend() {
    FillAndClose(ActionSend, 1, TRUE);
}
void CEditEmailFrame::OnSaveToSend() {
    FillAndClose(ActionKeep, 1, FALSE);
}
void CEditEmailFrame::OnSaveDraft() {
    FillAndClose(ActionKeep, 0, FALSE);
}
void CEditEmailFrame::OnSave() {
    SaveNow();
}
void CEditEmailFrame::OnCloseCommand() {
    CloseThroughAccount(TRUE);
}
void CEditEmailFrame::OnUpdateAlwaysOn(CCmdUI* pCmdUI) {
    pCmdUI->Enable(TRUE);
}
