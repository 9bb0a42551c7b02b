#include "ecard/ui/ECMessageViews.h"

#include "core/FileUtil.h"
#include "ecard/ECRequest.h"
#include "ecard/ECUserDoc.h"
#include "ecard/ui/ECAccountDialogs.h"
#include "ecard/ui/ECContactsTreeView.h"
#include "platform/gui/Menu.h"
#include "platform/gui/Icon.h"
#include "platform/gui/MessageBox.h"
#include "sms/SmsBox.h"
#include "sms/ui/DlgMessageBank.h"
#include "sms/ui/DlgSmsBoxInfo.h"
#include "sms/ui/PersonalBoxActions.h"
#include "sms/ui/SendersView.h"

#include <algorithm>

namespace {

CString ItemText(CWnd* pDlg, int nID) {
    CString text;
    pDlg->GetDlgItemText(nID, text);
    return text;
}

// The box a message in the state is filed in: sent ones in the sent box, the rest in the outbox.
int BoxTypeForState(int nState) {
    return nState == _CSms::STATE_SENT ? CMsgBoxBase::BOX_SENT : CMsgBoxBase::BOX_OUTBOX;
}

// Boxes of a contact's tree in depth-first order (the root first), so that a box is found again
// by its place after the tree was built anew.
void ListBoxes(_CSmsBox& box, std::vector<_CSmsBox*>& out) {
    out.push_back(&box);
    for (POSITION pos = box.GetFirstSubBoxPosition(); pos != nullptr;)
        ListBoxes(*box.GetNextSubBox(pos), out);
}

} // namespace

// ---- what the views need of their window ----

CECUserDoc* CECManagerViewBase::GetUserDoc() const {
    return m_pView != nullptr ? dynamic_cast<CECUserDoc*>(m_pView->GetDocument()) : nullptr;
}

CECUser* CECManagerViewBase::GetUser() const {
    CECUserDoc* pDoc = GetUserDoc();
    return pDoc != nullptr ? &pDoc->GetUser() : nullptr;
}

CECContact* CECManagerViewBase::GetCurrentContact() const {
    CECUserDoc* pDoc = GetUserDoc();
    return pDoc != nullptr ? pDoc->GetCurrentContact() : nullptr;
}

// ---- the compose dialog ----

BEGIN_MESSAGE_MAP(CDlgEditECMessage, CDlgEditSms)
ON_BN_CLICKED(CDlgEditSms::IDC_SEND_NOW, &CDlgEditECMessage::OnECSendNow)
ON_BN_CLICKED(CDlgEditSms::IDC_PHRASES, &CDlgEditECMessage::OnECPhrases)
ON_EN_CHANGE(CDlgEditSms::IDC_TEXT, &CDlgEditECMessage::OnECTextChange)
ON_MESSAGE(CDlgEditSms::WM_INSERT_TEXT, &CDlgEditECMessage::OnECInsertText)
END_MESSAGE_MAP()

CDlgEditECMessage::CDlgEditECMessage(CECUser* pUser, CWnd* pParent)
    : CDlgEditSms(IDD, pParent), m_pUser(pUser) {
    m_strCaption = "发送留言";
    if (pUser != nullptr)
        m_strSender = pUser->GetSenderName();
}

BOOL CDlgEditECMessage::OnInitDialog() {
    CDlgEditSms::OnInitDialog();
    // The user writes at once: every field above the text is filled in or fixed.
    GotoDlgCtrl(&m_text);
    return FALSE;
}

void CDlgEditECMessage::DoDataExchange(CDataExchange* pDX) {
    CDlgEditSms::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_TEMPLATES, m_bTemplates);
    DDX_Check(pDX, IDC_TO_MAILBOX, m_bToMailbox);
    DDX_Check(pDX, IDC_COPY_TO_ME, m_bCopyToMe);
}

void CDlgEditECMessage::InitDialogControls() {
    // A message left through the service: the third type, fixed. The SMS dialogs start from
    // their own type again (their constructor takes back any other).
    auto* pType = static_cast<CComboBox*>(GetDlgItem(IDC_TYPE));
    if (pType->GetCount() < 3)
        pType->AddString("留言");
    pType->SetCurSel(_CSms::KIND_NOTE);
    m_pPerson = m_pContact;
    CDlgEditSms::InitDialogControls();
    pType->EnableWindow(FALSE);
    if (auto* pNumber = static_cast<CComboBox*>(GetDlgItem(IDC_NUMBER)))
        pNumber->EnableWindow(FALSE);
    if (auto* pName = static_cast<CEdit*>(GetDlgItem(IDC_NAME))) {
        pName->SetReadOnly(TRUE);
        // A contact the service just brought may have no name of its own yet.
        if (m_pContact != nullptr)
            pName->SetWindowText(GetContactLabel(*m_pContact));
    }
    // Messages are filed with the recipient contact, never with a gateway account.
    GetDlgItem(IDC_PLACE_CONTACT)->ShowWindow(SW_HIDE);
    GetDlgItem(IDC_PLACE_SENDER)->ShowWindow(SW_HIDE);
    if (m_pSms != nullptr) {
        m_bToMailbox = (m_pSms->GetFlags() & FLAG_TO_MAILBOX) != 0;
        m_bCopyToMe = (m_pSms->GetFlags() & FLAG_COPY_TO_ME) != 0;
        m_text.SetWindowText(m_pSms->m_strContent);
        SetDlgItemText(IDC_SUBJECT, m_pSms->m_strSubject);
    }
    CheckDlgButton(IDC_TEMPLATES, m_bTemplates ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_TO_MAILBOX, m_bToMailbox ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_COPY_TO_ME, m_bCopyToMe ? BST_CHECKED : BST_UNCHECKED);
    OnECTextChange();
}

void CDlgEditECMessage::OnECTextChange() {
    OnTextChange();
    // Without a recipient contact a message would go nowhere and be filed in no box.
    if (m_pContact == nullptr)
        for (UINT id : {IDC_SEND_NOW, IDC_PENDING, IDC_DRAFT})
            GetDlgItem(id)->EnableWindow(FALSE);
}

BOOL CDlgEditECMessage::BuildMessage() {
    UpdateData(TRUE);
    CString text;
    m_text.GetWindowText(text);
    if (text.IsEmpty()) {
        AfxMessageBox("留言内容不能为空，请重新输入！", MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    if (m_pSms == nullptr)
        m_pSms = new _CSms("");
    m_pSms->m_bBatch = FALSE;
    m_pSms->m_nSize = text.GetLength();
    m_pSms->SetFlags((m_bToMailbox ? FLAG_TO_MAILBOX : 0) | (m_bCopyToMe ? FLAG_COPY_TO_ME : 0));
    m_pSms->m_batchList.RemoveAll();
    m_pSms->m_strContent = text;
    m_pSms->m_nKind = _CSms::KIND_NOTE;
    if (m_pContact != nullptr)
        m_pSms->m_recipient = CNameCodeString(ItemText(this, IDC_NAME), ItemText(this, IDC_NUMBER));
    else
        m_pSms->m_recipient = CNameCodeString();
    m_pSms->m_sender = CNameCodeString();
    m_pSms->m_sender.ParseDisplayText(ItemText(this, IDC_SENDER));
    m_pSms->m_strSubject = ItemText(this, IDC_SUBJECT);
    m_pSms->SetTime(CTime::GetCurrentTime());
    return TRUE;
}

void CDlgEditECMessage::FileMessage(int nState) {
    m_pSms->SetState(nState);
    if (m_pContact == nullptr)
        return;
    auto* pBox = dynamic_cast<_CSmsBox*>(
        m_pContact->GetSmsBox().FindSubBoxByType(BoxTypeForState(nState)));
    if (pBox == nullptr)
        return;
    auto* pOld = dynamic_cast<CMsgBoxBase*>(m_pSms->GetParent());
    if (pOld == pBox)
        return;
    if (pOld != nullptr)
        pOld->RemoveMessage(m_pSms, FALSE);
    pBox->AddSms(m_pSms);
}

BOOL CDlgEditECMessage::Save(int nState) {
    if (m_pContact == nullptr || !BuildMessage())
        return FALSE;
    FileMessage(nState);
    return TRUE;
}

void CDlgEditECMessage::OnECSendNow() {
    if (m_pContact == nullptr || m_pUser == nullptr || !BuildMessage())
        return;
    CDWordArray ids;
    ids.Add(m_pContact->m_nUid);
    CString reply;
    const SECAccount& a = m_pUser->GetAccount();
    const int nCode = LeaveECMessage(a.m_nUid, a.m_strPassword, ids, m_pSms->m_strSubject,
                                     m_pSms->m_strContent, m_pSms->GetFlags() & 3, reply);
    if (nCode != 0) {
        AfxMessageBox(GetECErrorText(nCode, LimitServerText(reply)), MB_OK | MB_ICONSTOP);
        return;
    }
    AfxMessageBox(LimitServerText(reply), MB_OK | MB_ICONINFORMATION);
    FileMessage(_CSms::STATE_SENT);
    EndDialog(IDSENT);
}

void CDlgEditECMessage::OnCancel() {
    if (m_pSms != nullptr && m_pSms->GetParent() == nullptr) {
        delete m_pSms;
        m_pSms = nullptr;
    }
    CDlgEditSms::OnCancel();
}

void CDlgEditECMessage::InsertText(const CString& text) {
    UpdateData(TRUE);
    CString result = text;
    if (m_bTemplates && m_pUser != nullptr) {
        const UINT nUid = ParseECUserFolderName(ItemText(this, IDC_NUMBER));
        if (CECContact* pContact = nUid != 0 ? m_pUser->GetRootGroup().FindByNumber(nUid) : nullptr)
            result = ReplaceECMessageMarkers(text, *m_pUser, *pContact);
    }
    m_text.ReplaceSel(result, TRUE);
}

LRESULT CDlgEditECMessage::OnECInsertText(WPARAM, LPARAM lParam) {
    if (lParam != 0)
        InsertText(reinterpret_cast<LPCTSTR>(lParam));
    return 0;
}

void CDlgEditECMessage::OnECPhrases() {
    CDlgMessageBank bank(this, GetAppFilePath("ECard\\MessageBank"));
    if (bank.DoModal() == IDOK && !bank.m_strSelected.IsEmpty())
        InsertText(bank.m_strSelected);
}

int EditECMessage(CECUser* pUser, CECContact* pContact, _CSms* pMessage, LPCTSTR lpszCaption,
                  CWnd* pParent) {
    const int nType = CDlgEditSms::SmsType();
    CDlgEditECMessage dlg(pUser, pParent);
    dlg.m_pContact = pContact;
    dlg.m_pSms = pMessage;
    if (lpszCaption != nullptr)
        dlg.m_strCaption = lpszCaption;
    const int nResult = (int)dlg.DoModal();
    // The SMS dialogs keep their own type between runs.
    CDlgEditSms::SmsType() = nType;
    // A message the dialog made and did not file is ours to free.
    _CSms* pLeft = dlg.GetMessage();
    if (pLeft != nullptr && pLeft != pMessage && pLeft->GetParent() == nullptr)
        delete pLeft;
    return nResult;
}

int CollectECMessages(CECContact& contact, int nState, CObList& out) {
    return contact.GetSmsBox().CollectSmsByState(out, nState);
}

// ---- the message list ----

IMPLEMENT_DYNCREATE(CECMessageListView, CSmsView)

BEGIN_MESSAGE_MAP(CECMessageListView, CSmsView)
ON_COMMAND(CSmsView::ID_SEND_SMS, &CECMessageListView::OnCmdSend)
ON_UPDATE_COMMAND_UI(CSmsView::ID_SEND_SMS, &CECMessageListView::OnUpdateCmdSend)
ON_COMMAND_RANGE(CSmsView::ID_RESEND, CSmsView::ID_FORWARD, &CECMessageListView::OnCmdEdit)
ON_COMMAND_RANGE(CECMessageListView::ID_EDIT_MESSAGE, CECMessageListView::ID_EDIT_MESSAGE,
                 &CECMessageListView::OnCmdEdit)
ON_UPDATE_COMMAND_UI_RANGE(CSmsView::ID_RESEND, CSmsView::ID_FORWARD,
                           &CECMessageListView::OnUpdateCmdEdit)
ON_UPDATE_COMMAND_UI(CECMessageListView::ID_EDIT_MESSAGE, &CECMessageListView::OnUpdateCmdEdit)
ON_UPDATE_COMMAND_UI(CSmsView::ID_COPY, &CECMessageListView::OnUpdateDisabled)
ON_UPDATE_COMMAND_UI(CSmsView::ID_CUT, &CECMessageListView::OnUpdateDisabled)
ON_UPDATE_COMMAND_UI(CSmsView::ID_PASTE, &CECMessageListView::OnUpdateDisabled)
END_MESSAGE_MAP()

CECMessageListView::CECMessageListView() : CECManagerViewBase(this) {}

CMsgBoxBase* CECMessageListView::GetBox() const {
    CMsgBoxBase* pBox = CSmsView::GetBox();
    CECContact* pContact = GetCurrentContact();
    if (pBox == nullptr || pContact == nullptr)
        return nullptr;
    // Found from the contact down, so that a box of a contact that is gone is never touched.
    std::vector<_CSmsBox*> boxes;
    ListBoxes(pContact->GetSmsBox(), boxes);
    return std::find(boxes.begin(), boxes.end(), pBox) != boxes.end() ? pBox : nullptr;
}

void CECMessageListView::OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) {
    if (lHint != 0 && (lHint & 2) == 0)
        return;
    CSmsView::OnUpdate(pSender, lHint, pHint);
}

BOOL CECMessageListView::SendSelectedMessages() {
    CECUser* pUser = GetUser();
    if (pUser == nullptr || pUser->IsBusy())
        return FALSE;
    // Messages whose home is the outbox: those waiting, drafts and any not yet sent.
    CObList messages;
    for (POSITION pos = List().GetFirstSelectedItemPosition(); pos != nullptr;) {
        auto* pSms = dynamic_cast<_CSms*>(GetMessageAt(List().GetNextSelectedItem(pos)));
        if (pSms != nullptr && pSms->GetStateImage() == CMsgBoxBase::BOX_OUTBOX)
            messages.AddTail(pSms);
    }
    if (messages.IsEmpty())
        return FALSE;
    return pUser->LeaveMessages(this, messages) == 0;
}

void CECMessageListView::OnCmdSend() {
    SendSelectedMessages();
}

void CECMessageListView::OnUpdateCmdSend(CCmdUI* pCmdUI) {
    CMsgBoxBase* pBox = GetBox();
    pCmdUI->Enable(m_bCommandsEnabled && List().GetSelectedCount() > 0 && pBox != nullptr &&
                   pBox->GetTopLevelType() != CMsgBoxBase::BOX_RECYCLE &&
                   IsAnySelectedOfHomeType(CMsgBoxBase::BOX_OUTBOX));
}

void CECMessageListView::EditCurrent(UINT nID) {
    auto* pSms = dynamic_cast<_CSms*>(GetCurrentMessage());
    CECUser* pUser = GetUser();
    if (pSms == nullptr || pUser == nullptr)
        return;
    CECContact* pContact = GetCurrentContact();
    int nResult = IDCANCEL;
    if (nID == ID_EDIT_MESSAGE) {
        nResult = EditECMessage(pUser, pContact, pSms, "编辑消息", this);
    } else {
        const char* caption = nID == ID_RESEND ? "重新发送" : nID == ID_REPLY ? "回复消息" : "转发消息";
        auto* pCopy = new _CSms(*pSms);
        nResult = EditECMessage(pUser, pContact, pCopy, caption, this);
    }
    if (nResult != IDCANCEL)
        if (CDocument* pDoc = GetDocument()) {
            pDoc->SetModifiedFlag(TRUE);
            pDoc->UpdateAllViews(nullptr, 14);
        }
}

void CECMessageListView::OnCmdEdit(UINT nID) {
    EditCurrent(nID);
}

void CECMessageListView::OnUpdateCmdEdit(CCmdUI* pCmdUI) {
    BOOL bEnable = m_bCommandsEnabled && GetCurrentMessage() != nullptr &&
                   List().GetSelectedCount() == 1;
    if (pCmdUI->m_nID == ID_EDIT_MESSAGE)
        bEnable = bEnable && CanEditCurrent();
    pCmdUI->Enable(bEnable);
}

void CECMessageListView::OnUpdateDisabled(CCmdUI* pCmdUI) {
    pCmdUI->Enable(FALSE);
}

void CECMessageListView::OnECSessionBegin(CECUser*) {}

void CECMessageListView::OnECSessionResult(CECUser* pUser, int nResult) {
    if (pUser->GetOperation() != EC_OP_LEAVE_MESSAGES)
        return;
    if (CDocument* pDoc = GetDocument()) {
        pDoc->SetModifiedFlag(TRUE);
        pDoc->UpdateAllViews(nullptr, 2 | 1);
    }
    if (CWnd* pParent = GetParent())
        pParent->Invalidate();
    (void)nResult;
}

void CECMessageListView::OnECSessionEnd(CECUser*) {}

// ---- the message text ----

IMPLEMENT_DYNCREATE(CECMessageContentView, CViewSmsContent)

void CECMessageContentView::OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) {
    if (lHint != 0 && (lHint & 4) == 0)
        return;
    CViewSmsContent::OnUpdate(pSender, lHint, pHint);
}

// ---- the list over the text ----

IMPLEMENT_DYNCREATE(CECMsgListContainerView, CSplitterView)

CECMsgListContainerView::CECMsgListContainerView() {
    m_pListClass = RUNTIME_CLASS(CECMessageListView);
    m_pContentClass = RUNTIME_CLASS(CECMessageContentView);
}

CECMessageListView* CECMsgListContainerView::GetMessageList() const {
    return dynamic_cast<CECMessageListView*>(m_pListPane);
}

void CECMsgListContainerView::OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) {
    // The caption follows the focused message, which any list update may change.
    if (lHint != 0 && (lHint & (8 | 2 | 4)) == 0)
        return;
    CSplitterView::OnUpdate(pSender, lHint, pHint);
}

// ---- the box tree ----

IMPLEMENT_DYNCREATE(CECMessageTreeView, CTreeView)

BEGIN_MESSAGE_MAP(CECMessageTreeView, CTreeView)
ON_NOTIFY_REFLECT(TVN_SELCHANGED, &CECMessageTreeView::OnSelChanged)
ON_NOTIFY_REFLECT(NM_RCLICK, &CECMessageTreeView::OnRClick)
ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, &CECMessageTreeView::OnCustomDraw)
ON_COMMAND(CECMessageTreeView::ID_SEND_WAITING, &CECMessageTreeView::OnCmdSendWaiting)
ON_UPDATE_COMMAND_UI(CECMessageTreeView::ID_SEND_WAITING, &CECMessageTreeView::OnUpdateSendWaiting)
ON_COMMAND(CECMessageTreeView::ID_BOX_NEW, &CECMessageTreeView::OnCmdNewBox)
ON_COMMAND(CECMessageTreeView::ID_BOX_RENAME, &CECMessageTreeView::OnCmdRenameBox)
ON_COMMAND(CECMessageTreeView::ID_BOX_DELETE, &CECMessageTreeView::OnCmdDeleteBox)
ON_COMMAND(CECMessageTreeView::ID_BOX_STATISTICS, &CECMessageTreeView::OnCmdStatistics)
ON_UPDATE_COMMAND_UI(CECMessageTreeView::ID_BOX_NEW, &CECMessageTreeView::OnUpdateNewBox)
ON_UPDATE_COMMAND_UI(CECMessageTreeView::ID_BOX_RENAME, &CECMessageTreeView::OnUpdateUserBox)
ON_UPDATE_COMMAND_UI(CECMessageTreeView::ID_BOX_DELETE, &CECMessageTreeView::OnUpdateUserBox)
ON_UPDATE_COMMAND_UI(CECMessageTreeView::ID_BOX_STATISTICS, &CECMessageTreeView::OnUpdateAnyBox)
ON_COMMAND(CECMessageTreeView::ID_PASTE, &CECMessageTreeView::OnCmdPaste)
ON_UPDATE_COMMAND_UI(CECMessageTreeView::ID_PASTE, &CECMessageTreeView::OnUpdatePaste)
ON_COMMAND(CECMessageTreeView::ID_EXPORT_CARDS, &CECMessageTreeView::OnCmdExport)
ON_UPDATE_COMMAND_UI(CECMessageTreeView::ID_EXPORT_CARDS, &CECMessageTreeView::OnUpdateExport)
ON_NOTIFY_REFLECT(TVN_BEGINLABELEDIT, &CECMessageTreeView::OnBeginLabelEdit)
ON_NOTIFY_REFLECT(TVN_ENDLABELEDIT, &CECMessageTreeView::OnEndLabelEdit)
END_MESSAGE_MAP()

CECMessageTreeView::CECMessageTreeView() : CECManagerViewBase(this) {}

void CECMessageTreeView::OnInitialUpdate() {
    if (m_bSetUp)
        return;
    m_bSetUp = TRUE;
    CTreeView::OnInitialUpdate();
    CTreeCtrl& tree = GetTreeCtrl();
    tree.ModifyStyle(0, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS);
    // The senders tree's pictures, and the contact's own after them.
    if (CMessageAccountTreeView::CreateItemImages(m_images)) {
        if (HICON hRoot = ::LoadIcon(nullptr, MAKEINTRESOURCE(IDI_ROOT)))
            m_images.Add(hRoot);
        tree.SetImageList(&m_images, TVSIL_NORMAL);
    }
    m_drawHelper.m_pTree = &tree;
    Fill();
}

int CECMessageTreeView::GetItemKind(HTREEITEM hItem) const {
    if (hItem == nullptr)
        return KindNone;
    if (GetTreeCtrl().GetParentItem(hItem) == nullptr)
        return KindRoot;
    const _CSmsBox* pBox = GetItemBox(hItem);
    if (pBox == nullptr)
        return KindNone;
    const int nType = pBox->GetBoxType();
    return nType >= 0 && nType <= 3 ? KindInbox + nType : KindUserBox;
}

_CSmsBox* CECMessageTreeView::GetItemBox(HTREEITEM hItem) const {
    if (hItem == nullptr || GetTreeCtrl().GetParentItem(hItem) == nullptr)
        return nullptr;
    return reinterpret_cast<_CSmsBox*>(GetTreeCtrl().GetItemData(hItem));
}

HTREEITEM CECMessageTreeView::FindBoxItem(const _CSmsBox* pBox) const {
    const CTreeCtrl& tree = GetTreeCtrl();
    // Depth first through every item.
    std::vector<HTREEITEM> stack;
    for (HTREEITEM h = tree.GetRootItem(); h != nullptr; h = tree.GetNextSiblingItem(h))
        stack.push_back(h);
    while (!stack.empty()) {
        HTREEITEM h = stack.back();
        stack.pop_back();
        if (GetItemBox(h) == pBox && pBox != nullptr)
            return h;
        for (HTREEITEM c = tree.GetChildItem(h); c != nullptr; c = tree.GetNextSiblingItem(c))
            stack.push_back(c);
    }
    return nullptr;
}

void CECMessageTreeView::InsertBoxes(HTREEITEM hParent, _CSmsBox& box) {
    for (POSITION pos = box.GetFirstSubBoxPosition(); pos != nullptr;) {
        _CSmsBox* pSub = box.GetNextSubBox(pos);
        const int image = CMessageAccountTreeView::GetBoxImage(pSub->GetBoxType());
        HTREEITEM h = GetTreeCtrl().InsertItem(pSub->GetName(), image, image, hParent);
        GetTreeCtrl().SetItemData(h, reinterpret_cast<DWORD_PTR>(pSub));
        InsertBoxes(h, *pSub);
        GetTreeCtrl().Expand(h, TVE_EXPAND);
    }
}

void CECMessageTreeView::Fill() {
    CTreeCtrl& tree = GetTreeCtrl();
    CECUserDoc* pDoc = GetUserDoc();
    CECContact* pContact = GetCurrentContact();
    if (pDoc == nullptr || pContact == nullptr)
        return;
    m_bFilling = TRUE;
    tree.DeleteAllItems();
    HTREEITEM hRoot = tree.InsertItem(GetContactLabel(*pContact), ImgRoot, ImgRoot, TVI_ROOT);
    InsertBoxes(hRoot, pContact->GetSmsBox());
    tree.Expand(hRoot, TVE_EXPAND);
    std::vector<_CSmsBox*> boxes;
    ListBoxes(pContact->GetSmsBox(), boxes);
    HTREEITEM hSelect = hRoot;
    if (m_nSelectedBox > 0 && m_nSelectedBox < (int)boxes.size())
        if (HTREEITEM h = FindBoxItem(boxes[m_nSelectedBox]))
            hSelect = h;
    tree.SelectItem(hSelect);
    _CSmsBox* pBox = GetItemBox(hSelect);
    m_nSelectedBox = pBox != nullptr ? (int)(std::find(boxes.begin(), boxes.end(), pBox) - boxes.begin()) : -1;
    SetDocCurrentBox(pDoc, pBox);
    if (pBox == nullptr)
        SetDocCurrentMessage(pDoc, nullptr);
    m_bFilling = FALSE;
}

void CECMessageTreeView::OnUpdate(CView* pSender, LPARAM lHint, CObject*) {
    if (pSender == this || (lHint != 0 && (lHint & 1) == 0))
        return;
    if (GetCurrentContact() == nullptr) {
        // No contact: no box of anyone may stay current.
        if (CECUserDoc* pDoc = GetUserDoc()) {
            SetDocCurrentBox(pDoc, nullptr);
            SetDocCurrentMessage(pDoc, nullptr);
        }
        m_bFilling = TRUE;
        GetTreeCtrl().DeleteAllItems();
        m_bFilling = FALSE;
        return;
    }
    Fill();
    Invalidate();
}

void CECMessageTreeView::OnSelChanged(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
    if (m_bFilling)
        return;
    CECUserDoc* pDoc = GetUserDoc();
    CECContact* pContact = GetCurrentContact();
    if (pDoc == nullptr || pContact == nullptr)
        return;
    _CSmsBox* pBox = GetItemBox(GetTreeCtrl().GetSelectedItem());
    std::vector<_CSmsBox*> boxes;
    ListBoxes(pContact->GetSmsBox(), boxes);
    m_nSelectedBox = pBox != nullptr ? (int)(std::find(boxes.begin(), boxes.end(), pBox) - boxes.begin()) : -1;
    SetDocCurrentBox(pDoc, pBox);
    SetDocCurrentMessage(pDoc, nullptr);
    // Only boxes of the user's own may be renamed.
    const BOOL bUserBox = GetItemKind(GetTreeCtrl().GetSelectedItem()) == KindUserBox;
    GetTreeCtrl().ModifyStyle(bUserBox ? 0 : TVS_EDITLABELS, bUserBox ? TVS_EDITLABELS : 0);
    pDoc->UpdateAllViews(this, 2 | 4 | 8);
}

CString CECMessageTreeView::UnreadText(const _CSmsBox& box) {
    CString text;
    const int n = box.CountSmsByState(_CSms::STATE_UNREAD, FALSE);
    if (n != 0)
        text.Format("%d未读 ", n);
    return text;
}

CString CECMessageTreeView::WaitingText(const _CSmsBox& box) {
    CString text;
    const int n = box.CountSmsByState(_CSms::STATE_PENDING, FALSE);
    if (n != 0)
        text.Format("%d待发 ", n);
    return text;
}

void CECMessageTreeView::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* cd = reinterpret_cast<NMTVCUSTOMDRAW*>(pNMHDR);
    *pResult = CDRF_DODEFAULT;
    if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) {
        *pResult = CDRF_NOTIFYITEMDRAW;
    } else if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        *pResult = CDRF_NOTIFYPOSTPAINT;
    } else if (cd->nmcd.dwDrawStage == CDDS_ITEMPOSTPAINT) {
        auto hItem = reinterpret_cast<HTREEITEM>(cd->nmcd.dwItemSpec);
        const _CSmsBox* pBox = GetItemBox(hItem);
        CDC* pDC = CDC::FromHandle(cd->nmcd.hdc);
        if (pBox == nullptr || pDC == nullptr)
            return;
        int offset = 2;
        const CString unread = UnreadText(*pBox);
        if (!unread.IsEmpty())
            offset += m_drawHelper.DrawTextAfterItem(pDC, hItem, unread, RGB(0, 0, 255), offset);
        const CString waiting = WaitingText(*pBox);
        if (!waiting.IsEmpty())
            m_drawHelper.DrawTextAfterItem(pDC, hItem, waiting, RGB(255, 0, 0), offset);
    }
}

void CECMessageTreeView::OnRClick(NMHDR*, LRESULT* pResult) {
    *pResult = 1;
    CPoint point;
    ::GetCursorPos(&point);
    CPoint client = point;
    ScreenToClient(&client);
    UINT nFlags = 0;
    if (HTREEITEM hItem = GetTreeCtrl().HitTest(client, &nFlags))
        ShowItemMenu(hItem, point);
}

void CECMessageTreeView::ShowItemMenu(HTREEITEM hItem, CPoint point) {
    GetTreeCtrl().SelectItem(hItem);
    const int nKind = GetItemKind(hItem);
    if (nKind != KindRoot && (nKind < 100 || nKind > 106))
        return;
    CMenu menu;
    if (!menu.LoadMenu(IDR_MENU))
        return;
    CMenu* pPopup = menu.GetSubMenu(nKind == KindRoot ? 0 : 1);
    CWnd* pTop = GetTopLevelParent();
    if (pPopup != nullptr && pTop != nullptr)
        pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, pTop);
}

BOOL CECMessageTreeView::SendWaiting() {
    CECUser* pUser = GetUser();
    CECContact* pContact = GetCurrentContact();
    if (pUser == nullptr || pContact == nullptr || pUser->IsBusy())
        return FALSE;
    CObList messages;
    if (CollectECMessages(*pContact, _CSms::STATE_PENDING, messages) == 0)
        return FALSE;
    return pUser->LeaveMessages(this, messages) == 0;
}

void CECMessageTreeView::OnCmdSendWaiting() {
    SendWaiting();
}

void CECMessageTreeView::OnUpdateSendWaiting(CCmdUI* pCmdUI) {
    CECContact* pContact = GetCurrentContact();
    pCmdUI->Enable(m_bCommandsEnabled && pContact != nullptr &&
                   pContact->GetSmsBox().CountSmsByState(_CSms::STATE_PENDING) > 0);
}

// ---- boxes of the user's own ----

void CECMessageTreeView::MarkModified() {
    if (CDocument* pDoc = GetDocument())
        pDoc->SetModifiedFlag(TRUE);
}

_CSmsBox* CECMessageTreeView::NewBox() {
    CECContact* pContact = GetCurrentContact();
    if (pContact == nullptr || !m_bCommandsEnabled)
        return nullptr;
    CTreeCtrl& tree = GetTreeCtrl();
    HTREEITEM hParent = tree.GetSelectedItem();
    _CSmsBox* pParent = GetItemBox(hParent);
    if (pParent == nullptr) {
        pParent = &pContact->GetSmsBox();
        hParent = tree.GetRootItem();
    }
    // Named after the standard box it lies in: "新收信箱", or "新信箱" at the top.
    int nType = CMsgBoxBase::BOX_UNTYPED;
    for (CMsgBoxBase* p = pParent; p != nullptr; p = dynamic_cast<CMsgBoxBase*>(p->GetParent()))
        if (CMsgBoxBase::IsStandardBoxType(p->GetBoxType()))
            nType = p->GetBoxType();
    CString name, rest;
    name.LoadString(235);
    if (nType != CMsgBoxBase::BOX_UNTYPED)
        rest = CMsgBoxBase::GetTypeName(nType);
    else
        rest.LoadString(236);
    _CSmsBox* pNew = pParent->AddSubBox(name + rest, CMsgBoxBase::BOX_USER);
    if (pNew == nullptr)
        return nullptr;
    MarkModified();
    const int image = CMessageAccountTreeView::GetBoxImage(pNew->GetBoxType());
    HTREEITEM hNew = tree.InsertItem(pNew->GetName(), image, image, hParent);
    tree.SetItemData(hNew, reinterpret_cast<DWORD_PTR>(pNew));
    tree.Expand(hParent, TVE_EXPAND);
    tree.SelectItem(hNew);
    tree.EditLabel(hNew);
    return pNew;
}

void CECMessageTreeView::OnCmdRenameBox() {
    HTREEITEM hItem = GetTreeCtrl().GetSelectedItem();
    if (GetItemKind(hItem) == KindUserBox)
        GetTreeCtrl().EditLabel(hItem);
}

BOOL CECMessageTreeView::DeleteSelectedBox() {
    CTreeCtrl& tree = GetTreeCtrl();
    HTREEITEM hItem = tree.GetSelectedItem();
    const int nKind = GetItemKind(hItem);
    if (nKind >= KindInbox && nKind <= KindRecycle) {
        CString text;
        text.LoadString(4965);
        AfxMessageBox(text, MB_ICONEXCLAMATION);
        return FALSE;
    }
    _CSmsBox* pBox = GetItemBox(hItem);
    if (nKind != KindUserBox || pBox == nullptr)
        return FALSE;
    if (pBox->CountSmsByState(-1, TRUE) > 0) {
        CString text, caption;
        text.LoadString(4966);
        caption.LoadString(4967);
        if (AfxShowMessageBox(m_hWnd, text, caption, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return FALSE;
    }
    // Nothing may go on showing the box or a message of it.
    CECUserDoc* pDoc = GetUserDoc();
    if (pDoc != nullptr) {
        SetDocCurrentBox(pDoc, nullptr);
        SetDocCurrentMessage(pDoc, nullptr);
        pDoc->UpdateAllViews(this, 2 | 4 | 8);
    }
    m_nSelectedBox = -1;
    if (auto* pParent = dynamic_cast<CGroup*>(pBox->GetParent()))
        pParent->RemoveSubgroup(pBox, TRUE);
    MarkModified();
    Fill();
    if (pDoc != nullptr)
        pDoc->UpdateAllViews(this, 2 | 4 | 8);
    return TRUE;
}

void CECMessageTreeView::OnCmdStatistics() {
    if (_CSmsBox* pBox = GetItemBox(GetTreeCtrl().GetSelectedItem())) {
        CDlgSmsBoxInfo dlg(pBox, this);
        dlg.DoModal();
    }
}

void CECMessageTreeView::OnCmdPaste() {
    _CSmsBox* pBox = GetItemBox(GetTreeCtrl().GetSelectedItem());
    if (!m_bCommandsEnabled || !CPersonalBoxActions().PasteMessages(pBox))
        return;
    MarkModified();
    if (CDocument* pDoc = GetDocument())
        pDoc->UpdateAllViews(this, 2 | 4 | 8);
    Invalidate();
}

void CECMessageTreeView::OnUpdatePaste(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_bCommandsEnabled && GetItemBox(GetTreeCtrl().GetSelectedItem()) != nullptr &&
                   CPersonalBoxActions().CanPasteMessages());
}

void CECMessageTreeView::OnCmdExport() {
    if (_CSmsBox* pBox = GetItemBox(GetTreeCtrl().GetSelectedItem()))
        if (pBox->GetSmsCount() > 0)
            CPersonalBoxActions().ExportCards(pBox, this);
}

void CECMessageTreeView::OnUpdateExport(CCmdUI* pCmdUI) {
    _CSmsBox* pBox = GetItemBox(GetTreeCtrl().GetSelectedItem());
    pCmdUI->Enable(pBox != nullptr && pBox->GetSmsCount() > 0);
}

void CECMessageTreeView::OnUpdateNewBox(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_bCommandsEnabled && GetCurrentContact() != nullptr &&
                   GetTreeCtrl().GetSelectedItem() != nullptr);
}

void CECMessageTreeView::OnUpdateUserBox(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_bCommandsEnabled &&
                   GetItemKind(GetTreeCtrl().GetSelectedItem()) == KindUserBox);
}

void CECMessageTreeView::OnUpdateAnyBox(CCmdUI* pCmdUI) {
    pCmdUI->Enable(GetItemBox(GetTreeCtrl().GetSelectedItem()) != nullptr);
}

void CECMessageTreeView::OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* di = reinterpret_cast<NMTVDISPINFO*>(pNMHDR);
    // Only boxes of the user's own take a new name.
    *pResult = GetItemKind(di->item.hItem) == KindUserBox && m_bCommandsEnabled ? 0 : 1;
}

void CECMessageTreeView::OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* di = reinterpret_cast<NMTVDISPINFO*>(pNMHDR);
    *pResult = 0;
    _CSmsBox* pBox = GetItemBox(di->item.hItem);
    if (pBox == nullptr || di->item.pszText == nullptr)
        return;
    CString text(di->item.pszText);
    text.Trim();
    if (text.IsEmpty() || text == pBox->GetName())
        return;
    pBox->GetName() = text;
    GetTreeCtrl().SetItemText(di->item.hItem, text);
    MarkModified();
    *pResult = 1;
}

void CECMessageTreeView::OnECSessionBegin(CECUser*) {}

void CECMessageTreeView::OnECSessionResult(CECUser* pUser, int) {
    if (pUser->GetOperation() != EC_OP_LEAVE_MESSAGES)
        return;
    if (CDocument* pDoc = GetDocument()) {
        pDoc->SetModifiedFlag(TRUE);
        pDoc->UpdateAllViews(nullptr, 2 | 1);
    }
    Invalidate();
}

void CECMessageTreeView::OnECSessionEnd(CECUser*) {}

// ---- the contact's message view ----

IMPLEMENT_DYNCREATE(CECMessageContainerView, CView)

BEGIN_MESSAGE_MAP(CECMessageContainerView, CView)
ON_WM_CREATE()
ON_WM_SIZE()
END_MESSAGE_MAP()

int CECMessageContainerView::OnCreate(LPCREATESTRUCT lpcs) {
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    if (!m_splitter.CreateStatic(this, 1, 2))
        return -1;
    // Both panes are views of the user's document: the lists read its current box and message.
    CCreateContext context;
    context.m_pCurrentDoc = GetDocument();
    context.m_pCurrentFrame = GetParentFrame();
    m_splitter.CreateView(0, 0, RUNTIME_CLASS(CECMessageTreeView), CSize(TreeWidth, 0), &context);
    m_splitter.CreateView(0, 1, RUNTIME_CLASS(CECMsgListContainerView), CSize(0, 0), &context);
    m_splitter.SetColumnInfo(0, TreeWidth, 0);
    return 0;
}

CECMessageTreeView* CECMessageContainerView::GetTree() const {
    return m_splitter.GetSafeHwnd() != nullptr
               ? dynamic_cast<CECMessageTreeView*>(m_splitter.GetPane(0, 0))
               : nullptr;
}

CECMsgListContainerView* CECMessageContainerView::GetListContainer() const {
    return m_splitter.GetSafeHwnd() != nullptr
               ? dynamic_cast<CECMsgListContainerView*>(m_splitter.GetPane(0, 1))
               : nullptr;
}

void CECMessageContainerView::OnSize(UINT nType, int cx, int cy) {
    CView::OnSize(nType, cx, cy);
    if (m_splitter.GetSafeHwnd() == nullptr || cx <= 0 || cy <= 0)
        return;
    // The splitter's border lies just outside the view.
    m_splitter.MoveWindow(-1, -1, cx + 2, cy + 2);
    m_splitter.RecalcLayout();
}

void CECMessageContainerView::OnInitialUpdate() {
    if (m_bInitialized)
        return;
    m_bInitialized = TRUE;
    if (CECMessageTreeView* pTree = GetTree())
        pTree->OnInitialUpdate();
    if (CECMsgListContainerView* pList = GetListContainer()) {
        pList->OnInitialUpdate();
        if (CECMessageTreeView* pTree = GetTree())
            pList->SetPaneOwner(pTree);
    }
}

BOOL CECMessageContainerView::OnCmdMsg(UINT nID, int nCode, void* pExtra,
                                       AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (CECMessageTreeView* pTree = GetTree())
        if (pTree->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
            return TRUE;
    if (CECMsgListContainerView* pList = GetListContainer())
        if (pList->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
            return TRUE;
    return CView::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}
