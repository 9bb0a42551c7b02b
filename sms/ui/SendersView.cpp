#include "sms/ui/SendersView.h"

#include "links/CommDevice.h"
#include "core/Checksum.h"
#include "platform/base/File.h"
#include "platform/base/OsPath.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/Frame.h"
#include "platform/gui/Icon.h"
#include "platform/gui/WinApp.h"
#include "sms/Sms.h"
#include "sms/ui/ComposeHost.h"
#include "sms/ui/DlgSmsAccount.h"
#include "sms/ui/DlgSmsBoxInfo.h"
#include "sms/ui/SmsBoxFiles.h"
#include "sms/ui/SmsView.h"
#include "ui/PaneHosts.h"
#include "sms/ui/WizardRegsmsuser.h"
#include "ui/DlgInputPassword.h"
#include "ui/DlgModifyPassword.h"

namespace {
// Images of the tree's strip.
enum { ImgTop = 0, ImgAccount = 4, ImgInbox = 5, ImgBoxOther = 9, ImgActive = 10 };
constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kRed = 0x0000FF;
constexpr UINT kUnreadIcon = 550;
constexpr int kAccountItemKind = CGroupTreeView::KindFileRoot;

UINT& ListenPort() {
    static UINT s_port = CSendersView::kListenPort;
    return s_port;
}

CCommDevice* CommDevice() {
    CISmsComposeHost* pHost = GetSmsComposeHost();
    return pHost != nullptr ? pHost->GetCommDevice() : nullptr;
}

// The pair of counts after a box: "(a)", "(a/b)", "(0/b)" or nothing.
BOOL FormatPair(int a, int b, CString& text) {
    return FormatItemCount(a, b, text);
}
} // namespace

// ---- The sender document of the tree --------------------------------------------------------

IMPLEMENT_DYNCREATE(CSenderTreeDoc, CSenderDoc)

CSenderTreeDoc::CSenderTreeDoc() : CSenderDoc(TRUE) {
    m_pCurrentBox = nullptr;
    m_pCurrentMessage = nullptr;
    m_dwHasSelection = 0;
}

CSenderTreeDoc::~CSenderTreeDoc() {
    StopListening();
}

BOOL CSenderTreeDoc::StartListening(UINT nPort, int nBacklog) {
    StopListening();
    CCommDevice* pDevice = CommDevice();
    if (pDevice == nullptr)
        return FALSE;
    auto pSocket = std::make_unique<CListeningSocket>(this, pDevice);
    if (!pSocket->Create(nPort, 1, FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE) ||
        !pSocket->Listen(nBacklog)) {
        pSocket->Close();
        return FALSE;
    }
    m_pListenSocket = std::move(pSocket);
    return TRUE;
}

void CSenderTreeDoc::StopListening() {
    if (m_pListenSocket != nullptr) {
        m_pListenSocket->Close();
        m_pListenSocket.reset();
    }
}

UINT CSenderTreeDoc::GetListeningPort() const {
    CString address;
    UINT nPort = 0;
    if (m_pListenSocket == nullptr || !m_pListenSocket->GetSockName(address, nPort))
        return 0;
    return nPort;
}

BOOL CSenderTreeDoc::OnSaveDocument(LPCTSTR lpszPathName) {
    if (!CSenderDoc::OnSaveDocument(lpszPathName))
        return FALSE;
    // The received messages filed into this account are safe in its file now.
    if (CCommDevice* pDevice = CommDevice())
        pDevice->OnSenderFileSaved(&m_sender);
    return TRUE;
}

// ---- The message accounts tree --------------------------------------------------------------

IMPLEMENT_DYNAMIC(CMessageAccountTreeView, CGroupTreeView)

BEGIN_MESSAGE_MAP(CMessageAccountTreeView, CGroupTreeView)
ON_COMMAND(ID_BOX_NEW, &CMessageAccountTreeView::OnNewBox)
ON_COMMAND(ID_BOX_DELETE, &CMessageAccountTreeView::OnDeleteBox)
ON_COMMAND(ID_BOX_RENAME, &CMessageAccountTreeView::OnRenameBox)
ON_COMMAND(ID_ACCOUNT_RENAME, &CMessageAccountTreeView::OnRenameBox)
ON_UPDATE_COMMAND_UI(ID_BOX_NEW, &CMessageAccountTreeView::OnUpdateAccountCommand)
ON_UPDATE_COMMAND_UI(ID_BOX_DELETE, &CMessageAccountTreeView::OnUpdateAccountCommand)
ON_UPDATE_COMMAND_UI(ID_BOX_RENAME, &CMessageAccountTreeView::OnUpdateAccountCommand)
ON_UPDATE_COMMAND_UI(ID_ACCOUNT_RENAME, &CMessageAccountTreeView::OnUpdateAccountCommand)
ON_COMMAND(ID_PASSWORD, &CMessageAccountTreeView::OnAccountPassword)
ON_UPDATE_COMMAND_UI(ID_PASSWORD, &CMessageAccountTreeView::OnUpdateAccountCommand)
ON_NOTIFY_REFLECT(TVN_ITEMEXPANDED, &CMessageAccountTreeView::OnItemExpandedAccount)
ON_NOTIFY_REFLECT(TVN_ENDLABELEDIT, &CMessageAccountTreeView::OnEndLabelEditAccount)
ON_MESSAGE(WM_MSGLIST_DROP, &CMessageAccountTreeView::OnDropRecord)
END_MESSAGE_MAP()

CMessageAccountTreeView::CMessageAccountTreeView() = default;

BOOL CMessageAccountTreeView::CreateItemImages(CImageList& images) {
    return images.Create(237, 16, 10, RGB(255, 255, 255));
}

int CMessageAccountTreeView::GetBoxImage(int nBoxType) {
    return nBoxType >= 0 && nBoxType <= 3 ? ImgInbox + nBoxType : ImgBoxOther;
}

int CMessageAccountTreeView::GetItemKind(HTREEITEM hItem) {
    if (hItem == nullptr)
        return KindNone;
    if (hItem == m_hTopItem)
        return KindTop;
    int type = GetItemType(hItem);
    if (type == KindFileRoot)
        return KindAccount;
    auto* pBox = dynamic_cast<CMsgBoxBase*>(m_groupHelper.GetGroup(hItem));
    if (pBox == nullptr)
        return KindNone;
    int nBoxType = pBox->GetBoxType();
    return nBoxType >= CMsgBoxBase::BOX_INBOX && nBoxType <= CMsgBoxBase::BOX_RECYCLE
               ? KindInbox + nBoxType
               : KindUserBox;
}

CMsgAccountBase* CMessageAccountTreeView::GetDocAccount(CQuillmarBaseDoc*) {
    return nullptr;
}

CMsgAccountBase* CMessageAccountTreeView::GetAccountOfItem(HTREEITEM hItem) {
    if (GetItemKind(hItem) != KindAccount)
        return nullptr;
    CFileInfo* pInfo = GetFileInfo(hItem);
    return pInfo != nullptr ? GetDocAccount(pInfo->pDoc) : nullptr;
}

CMsgAccountBase* CMessageAccountTreeView::GetActiveAccount() {
    CMsgAccountBase* pAccount = m_pActiveFile != nullptr ? GetDocAccount(m_pActiveFile->pDoc)
                                                         : nullptr;
    return pAccount != nullptr && !pAccount->IsLocked() ? pAccount : nullptr;
}

CMsgAccountBase* CMessageAccountTreeView::GetSelectedAccount() {
    CFileInfo* pInfo = GetSelectedFileInfo();
    CMsgAccountBase* pAccount = pInfo != nullptr ? GetDocAccount(pInfo->pDoc) : nullptr;
    return pAccount != nullptr && !pAccount->IsLocked() ? pAccount : nullptr;
}

CQuillmarBaseDoc* CMessageAccountTreeView::GetActiveDocument() {
    return m_pActiveFile != nullptr ? m_pActiveFile->pDoc : nullptr;
}

CMsgBoxBase* CMessageAccountTreeView::GetBoxOfItem(HTREEITEM hItem) {
    int kind = GetItemKind(hItem);
    if (kind == KindAccount || (kind >= KindInbox && kind <= KindUserBox))
        return dynamic_cast<CMsgBoxBase*>(m_groupHelper.GetGroup(hItem));
    return nullptr;
}

void CMessageAccountTreeView::SetActiveFile(HTREEITEM) {}

CGroup* CMessageAccountTreeView::GetRootGroup(CQuillmarBaseDoc* pDoc) {
    CMsgAccountBase* pAccount = GetDocAccount(pDoc);
    return pAccount != nullptr ? pAccount->GetRootBox() : nullptr;
}

void CMessageAccountTreeView::GetDocumentName(CString& strName, CQuillmarBaseDoc* pDoc) {
    CMsgAccountBase* pAccount = GetDocAccount(pDoc);
    strName = pAccount != nullptr ? pAccount->GetName() : CString();
}

BOOL CMessageAccountTreeView::IsFileLocked(CQuillmarBaseDoc* pDoc) {
    CMsgAccountBase* pAccount = GetDocAccount(pDoc);
    return pAccount != nullptr && pAccount->IsLocked();
}

void CMessageAccountTreeView::OnCurrentItemChanged(HTREEITEM hItem, BOOL bUpdateViews) {
    // While a message is written or an account edited the pane stays as it is.
    if (m_nBusy == 3)
        return;
    // An account shows the account pane, a box the box pane.
    int kind = GetItemKind(hItem);
    m_nPaneMode = kind == KindAccount ? 2 : kind == KindTop ? 3 : 1;
    m_nGroupViewNumber = kind == KindAccount ? ViewAccount : ViewBox;
    CGroupTreeView::OnCurrentItemChanged(hItem, bUpdateViews);
    m_groupHelper.EnableLabelEdit(kind == KindUserBox || kind == KindAccount);
}

void CMessageAccountTreeView::SetDocumentCurrentRecord(CQuillmarBaseDoc* pDoc, HTREEITEM hItem) {
    CGroupTreeView::SetDocumentCurrentRecord(pDoc, hItem);
    if (auto* pSender = dynamic_cast<CSenderDoc*>(pDoc)) {
        pSender->SetCurrentBox(GetBoxOfItem(hItem));
        pSender->SetCurrentMessage(nullptr);
    }
}

BOOL CMessageAccountTreeView::CloseFile(CFileInfo* pInfo, BOOL bQuiet, BOOL bAskSave) {
    if (pInfo == nullptr)
        return FALSE;
    if (bAskSave && pInfo->pDoc != nullptr && pInfo->pDoc->IsModified()) {
        CString prompt;
        prompt.Format("是否保存对 %s 的更改?", pInfo->pDoc->GetTitle().GetString());
        int answer = AfxMessageBox(prompt, MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL)
            return FALSE;
        if (answer == IDYES && !SaveFile(pInfo, FALSE))
            return FALSE;
    }
    // The right pane lets go of the file's box and message before they go.
    if (pInfo == m_pCurrentFile || (m_hCurrent != nullptr && IsBelow(m_hCurrent, pInfo->hItem)))
        if (!LeaveItem(pInfo->hItem))
            return FALSE;
    if (auto* pSender = dynamic_cast<CSenderDoc*>(pInfo->pDoc)) {
        pSender->SetCurrentBox(nullptr);
        pSender->SetCurrentMessage(nullptr);
    }
    if (pInfo == m_pActiveFile)
        SetActiveFile(nullptr);
    if (pInfo->pDoc != nullptr)
        pInfo->pDoc->SetModifiedFlag(FALSE);
    return CGroupTreeView::CloseFile(pInfo, bQuiet, FALSE);
}

BOOL CMessageAccountTreeView::UnlockItem(HTREEITEM hItem) {
    if (GetItemKind(hItem) != KindAccount)
        return CGroupTreeView::UnlockItem(hItem);
    CMsgAccountBase* pAccount = GetAccountOfItem(hItem);
    if (pAccount == nullptr || !pAccount->IsLocked())
        return TRUE;
    CDlgInputPassword dlg(this);
    dlg.m_strName = pAccount->GetName();
    if (dlg.DoModal() != IDOK)
        return FALSE;
    if (CalcStringChecksum(dlg.m_strPassword) != pAccount->GetPasswordChecksum()) {
        AfxMessageBox(LoadText(234), MB_ICONEXCLAMATION);
        return FALSE;
    }
    pAccount->ModifyFlags(CMsgAccountBase::FLAG_LOCKED, 0);
    Tree().SetItemState(hItem, 0, TVIS_OVERLAYMASK);
    if (m_pActiveFile == nullptr)
        SetActiveFile(hItem);
    return TRUE;
}

void CMessageAccountTreeView::OnAccountPassword() {
    HTREEITEM hItem = m_hCurrent;
    CMsgAccountBase* pAccount = GetAccountOfItem(hItem);
    if (pAccount == nullptr || !UnlockItem(hItem))
        return;
    CDlgModifyPassword dlg(this);
    dlg.m_strName = pAccount->GetName();
    if (dlg.DoModal() != IDOK)
        return;
    BOOL bHad = (pAccount->GetFlags() & CMsgAccountBase::FLAG_PASSWORD) != 0;
    pAccount->SetPasswordChecksum(CalcStringChecksum(dlg.m_strPassword));
    if (!dlg.m_strPassword.IsEmpty())
        pAccount->ModifyFlags(0, CMsgAccountBase::FLAG_PASSWORD);
    else
        pAccount->ModifyFlags(CMsgAccountBase::FLAG_PASSWORD | CMsgAccountBase::FLAG_LOCKED, 0);
    // Clearing a password that was never set changes nothing.
    if (!dlg.m_strPassword.IsEmpty() || bHad) {
        MarkDocumentModified(GetItemDocument(hItem));
        UpdateTitle();
    }
}

void CMessageAccountTreeView::OnItemExpandedAccount(NMHDR* pNMHDR, LRESULT* pResult) {
    OnItemExpanded(pNMHDR, pResult);
    auto* nm = reinterpret_cast<NMTREEVIEW*>(pNMHDR);
    HTREEITEM hItem = nm->itemNew.hItem;
    // A box keeps the picture of its type, an account that of being active, open or closed.
    if (CGroup* pGroup = m_groupHelper.GetGroup(hItem);
        pGroup != nullptr && m_groupHelper.m_imageCallback) {
        int image = -1, selected = -1;
        m_groupHelper.m_imageCallback(pGroup, 0, &image, &selected);
        if (image >= 0)
            Tree().SetItemImage(hItem, image, selected);
    }
    if (m_bClosing || !(nm->action & TVE_COLLAPSE) || GetItemKind(hItem) != KindAccount)
        return;
    CMsgAccountBase* pAccount = GetAccountOfItem(hItem);
    if (pAccount == nullptr || !(pAccount->GetFlags() & CMsgAccountBase::FLAG_PASSWORD))
        return;
    if (m_hCurrent != nullptr && IsBelow(m_hCurrent, hItem) && m_hTopItem != nullptr)
        Tree().SelectItem(m_hTopItem);
    pAccount->ModifyFlags(0, CMsgAccountBase::FLAG_LOCKED);
    Tree().SetItemState(hItem, INDEXTOOVERLAYMASK(1), TVIS_OVERLAYMASK);
}

void CMessageAccountTreeView::OnEndLabelEditAccount(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* di = reinterpret_cast<NMTVDISPINFO*>(pNMHDR);
    HTREEITEM hItem = di->item.hItem;
    CMsgAccountBase* pAccount = m_bNewFilePending ? nullptr : GetAccountOfItem(hItem);
    if (pAccount == nullptr) {
        OnEndLabelEdit(pNMHDR, pResult);
        return;
    }
    *pResult = 0;
    m_groupHelper.SetEditMode(CGroupHelper::EditNone);
    CString text = di->item.pszText != nullptr ? CString(di->item.pszText) : CString();
    if (text.IsEmpty() || text == pAccount->GetName())
        return;
    pAccount->GetName() = text;
    Tree().SetItemText(hItem, text);
    CQuillmarBaseDoc* pDoc = GetItemDocument(hItem);
    if (pDoc != nullptr) {
        pDoc->SetTitle(text);
        MarkDocumentModified(pDoc);
        if (pDoc->GetFirstViewPosition() != nullptr)
            pDoc->UpdateAllViews(nullptr);
    }
    UpdateTitle();
}

CString CMessageAccountTreeView::NewBoxName(HTREEITEM hItem) {
    CString name = LoadText(235);
    CMsgBoxBase* pBox = GetBoxOfItem(hItem);
    int nType = CMsgBoxBase::BOX_UNTYPED;
    for (CMsgBoxBase* p = pBox; p != nullptr; p = dynamic_cast<CMsgBoxBase*>(p->GetParent()))
        if (CMsgBoxBase::IsStandardBoxType(p->GetBoxType()))
            nType = p->GetBoxType();
    return name + (nType != CMsgBoxBase::BOX_UNTYPED ? CMsgBoxBase::GetTypeName(nType)
                                                     : LoadText(236));
}

void CMessageAccountTreeView::OnNewBox() {
    HTREEITEM hItem = m_hCurrent;
    int kind = GetItemKind(hItem);
    CMsgBoxBase* pParentBox = GetBoxOfItem(hItem);
    if (pParentBox == nullptr || kind == KindTop)
        return;
    auto* pSms = dynamic_cast<_CSmsBox*>(pParentBox);
    if (pSms == nullptr)
        return;
    // The box is made at once with its proposed name; the label edit that follows renames it.
    _CSmsBox* pNew = pSms->AddSubBox(NewBoxName(hItem), CMsgBoxBase::BOX_USER);
    if (pNew == nullptr)
        return;
    HTREEITEM hNew = m_groupHelper.InsertGroupItem(hItem, pNew, TVI_LAST, m_groupHelper.m_nInsertFlags);
    MarkDocumentModified(GetItemDocument(hItem));
    UpdateTitle();
    if (hNew != nullptr) {
        Tree().SelectItem(hNew);
        Tree().ModifyStyle(0, TVS_EDITLABELS);
        Tree().EditLabel(hNew);
    }
}

BOOL CMessageAccountTreeView::DeleteBox(HTREEITEM hItem) {
    int kind = GetItemKind(hItem);
    if (kind >= KindInbox && kind <= KindRecycle) {
        AfxMessageBox(LoadText(4965), MB_ICONEXCLAMATION);
        return FALSE;
    }
    auto* pBox = dynamic_cast<_CSmsBox*>(GetBoxOfItem(hItem));
    if (kind != KindUserBox || pBox == nullptr)
        return FALSE;
    if (pBox->CountSmsByState(-1, TRUE) > 0 &&
        AfxShowMessageBox(m_hWnd, LoadText(4966), LoadText(4967), MB_YESNO | MB_ICONQUESTION) !=
            IDYES)
        return FALSE;
    CQuillmarBaseDoc* pDoc = GetItemDocument(hItem);
    // The list that shows the box, or a box below it, lets go of it first.
    if (!LeaveItem(hItem))
        return FALSE;
    if (auto* pSender = dynamic_cast<CSenderDoc*>(pDoc)) {
        pSender->SetCurrentBox(GetBoxOfItem(m_hCurrent));
        pSender->SetCurrentMessage(nullptr);
    }
    Tree().DeleteItem(hItem);
    if (auto* pParent = dynamic_cast<CGroup*>(pBox->GetParent()))
        pParent->RemoveSubgroup(pBox, TRUE);
    MarkDocumentModified(pDoc);
    UpdateTitle();
    if (pDoc != nullptr && pDoc->GetFirstViewPosition() != nullptr)
        pDoc->UpdateAllViews(nullptr);
    return TRUE;
}

void CMessageAccountTreeView::OnDeleteBox() {
    DeleteBox(m_hCurrent);
}

void CMessageAccountTreeView::OnRenameBox() {
    int kind = GetItemKind(m_hCurrent);
    if (kind != KindUserBox && kind != KindAccount)
        return;
    Tree().ModifyStyle(0, TVS_EDITLABELS);
    Tree().EditLabel(m_hCurrent);
}

// ---- Drag and drop --------------------------------------------------------------------------

LRESULT CMessageAccountTreeView::OnDropRecord(WPARAM wParam, LPARAM lParam) {
    auto* q = reinterpret_cast<GROUPDROPQUERY*>(lParam);
    // A message list's record names a row and no tree item; the group views' queries name the
    // dragged item, or ask a hit test only (wParam non-zero).
    if (q == nullptr || wParam != 0 || q->hSource != nullptr || q->nRow < 0)
        return OnDropQuery(wParam, lParam);
    auto& msg = *static_cast<MSGDROPQUERY*>(q);
    // The list gives the point in this window; the item under it is the target.
    if (!msg.bNoDrop && (msg.bHitTest || msg.hHit == nullptr))
        msg.hHit = Tree().HitTest(CPoint(msg.pt));
    if (msg.bNoDrop)
        return 0;
    return DropMessage(msg) ? 1 : 0;
}

BOOL CMessageAccountTreeView::DropMessage(MSGDROPQUERY& q) {
    CMsgListView* pList = q.nKind == MSGDROP_KIND_MESSAGES ? q.pSourceList : nullptr;
    CMessageBase* pMessage = pList != nullptr ? pList->GetMessageAt(q.nRow) : nullptr;
    CMsgBoxBase* pBox = IsBoxKind(GetItemKind(q.hHit)) ? GetBoxOfItem(q.hHit) : nullptr;
    const BOOL bOk = (q.keyFlags & DRAG_KEY_CTRL) == 0 && pBox != nullptr && pMessage != nullptr &&
                     pBox->CanAcceptMessage(pMessage);
    if (q.bTest)
        return bOk;
    if (!bOk) {
        // Rows moved earlier in the batch leave the list now.
        if (!q.bHasNext && m_nDroppedInBatch > 0 && pList != nullptr) {
            m_nDroppedInBatch = 0;
            if (CDocument* pDoc = pList->GetDocument())
                pDoc->UpdateAllViews(nullptr);
        }
        return FALSE;
    }
    CQuillmarBaseDoc* pDoc = GetItemDocument(q.hHit);
    pList->RemoveRow(q.nRow, pBox, q.bHasNext);
    m_nDroppedInBatch = q.bHasNext ? m_nDroppedInBatch + 1 : 0;
    MarkDocumentModified(pDoc);
    UpdateTitle();
    Invalidate();
    return TRUE;
}

BOOL CMessageAccountTreeView::DoDrop(HTREEITEM hSource, HTREEITEM hTarget, int keyFlags,
                                     BOOL bTest, BOOL, DRAGSTATE* pState) {
    if (pState != nullptr)
        m_dragHelper.SetDragState(*pState);
    CMsgBoxBase* pBox = IsBoxKind(GetItemKind(hSource)) ? GetBoxOfItem(hSource) : nullptr;
    CMsgBoxBase* pTarget = GetBoxOfItem(hTarget);
    const BOOL bOk = (keyFlags & DRAG_KEY_CTRL) == 0 && pBox != nullptr && pTarget != nullptr &&
                     hSource != hTarget && !IsBelow(hTarget, hSource) && pBox->CanMoveTo(pTarget);
    if (bTest || !bOk)
        return bOk;
    const int nOwn = pBox->GetTopLevelType();
    if (nOwn != pTarget->GetTopLevelType() && nOwn != CMsgBoxBase::BOX_USER &&
        nOwn != CMsgBoxBase::BOX_RECYCLE &&
        AfxShowMessageBox(m_hWnd, "您正在进行的信箱移动是无法恢复的，继续吗?", "移动信箱",
                          MB_YESNO | MB_ICONQUESTION) != IDYES)
        return FALSE;
    CQuillmarBaseDoc* pSourceDoc = GetItemDocument(hSource);
    CQuillmarBaseDoc* pTargetDoc = GetItemDocument(hTarget);
    HTREEITEM hMoved = hSource;
    if (!m_groupHelper.MoveItem(hMoved, hTarget, TRUE, nullptr, TRUE))
        return FALSE;
    MarkDocumentModified(pSourceDoc);
    MarkDocumentModified(pTargetDoc);
    UpdateTitle();
    if (pTargetDoc != nullptr && pTargetDoc->GetFirstViewPosition() != nullptr)
        pTargetDoc->UpdateAllViews(nullptr);
    Invalidate();
    return TRUE;
}

void CMessageAccountTreeView::OnUpdateAccountCommand(CCmdUI* pCmdUI) {
    int kind = GetItemKind(m_hCurrent);
    BOOL bBox = kind >= KindInbox && kind <= KindUserBox;
    switch (pCmdUI->m_nID) {
    case ID_BOX_NEW:
        pCmdUI->Enable(kind == KindAccount || bBox);
        break;
    case ID_BOX_DELETE:
    case ID_BOX_RENAME:
        pCmdUI->Enable(kind == KindUserBox);
        break;
    case ID_ACCOUNT_RENAME:
    case ID_PASSWORD:
        pCmdUI->Enable(kind == KindAccount);
        break;
    default:
        pCmdUI->Enable(TRUE);
    }
}

// ---- The senders tree -----------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CSendersView, CMessageAccountTreeView)

BEGIN_MESSAGE_MAP(CSendersView, CMessageAccountTreeView)
ON_COMMAND(ID_FILE_NEW, &CSendersView::OnNewAccount)
ON_COMMAND(ID_ACCOUNT_NEW, &CSendersView::OnNewAccount)
ON_COMMAND(ID_FILE_OPEN, &CSendersView::OnOpenAccounts)
ON_COMMAND(ID_SET_ACTIVE, &CSendersView::OnSetActive)
ON_COMMAND(ID_CANCEL_ACTIVE, &CSendersView::OnCancelActive)
ON_COMMAND(ID_SEND_PENDING, &CSendersView::OnSendPending)
ON_COMMAND(ID_RECEIVE_SMS, &CSendersView::OnReceive)
ON_COMMAND(ID_WRITE_SMS, &CSendersView::OnWriteSms)
ON_COMMAND(ID_SHOW_ALL_COUNTS, &CSendersView::OnShowAllCounts)
ON_COMMAND(ID_SHOW_PENDING_COUNTS, &CSendersView::OnShowPendingCounts)
ON_COMMAND(ID_SHOW_SELECTION, &CSendersView::OnShowSelection)
ON_COMMAND_RANGE(ID_GATEWAY_CHARGE, ID_GATEWAY_CODE, &CSendersView::OnGatewayDialog)
ON_COMMAND(ID_GATEWAY_SIGNATURE, &CSendersView::OnGatewayDialogSignature)
ON_COMMAND(ID_GATEWAY_REGISTER, &CSendersView::OnGatewayRegister)
ON_UPDATE_COMMAND_UI_RANGE(ID_GATEWAY_CHARGE, ID_GATEWAY_CODE, &CSendersView::OnUpdateSendersCommand)
ON_UPDATE_COMMAND_UI(ID_GATEWAY_SIGNATURE, &CSendersView::OnUpdateSendersCommand)
ON_UPDATE_COMMAND_UI(ID_ACCOUNT_NEW, &CSendersView::OnUpdateSendersCommand)
ON_UPDATE_COMMAND_UI(ID_SET_ACTIVE, &CSendersView::OnUpdateSendersCommand)
ON_UPDATE_COMMAND_UI(ID_CANCEL_ACTIVE, &CSendersView::OnUpdateSendersCommand)
ON_UPDATE_COMMAND_UI(ID_SEND_PENDING, &CSendersView::OnUpdateSendersCommand)
ON_UPDATE_COMMAND_UI(ID_RECEIVE_SMS, &CSendersView::OnUpdateSendersCommand)
ON_UPDATE_COMMAND_UI(ID_WRITE_SMS, &CSendersView::OnUpdateSendersCommand)
ON_UPDATE_COMMAND_UI(ID_SHOW_ALL_COUNTS, &CSendersView::OnUpdateSendersCommand)
ON_UPDATE_COMMAND_UI(ID_SHOW_PENDING_COUNTS, &CSendersView::OnUpdateSendersCommand)
ON_COMMAND(ID_PASTE, &CSendersView::OnPasteSms)
ON_UPDATE_COMMAND_UI(ID_PASTE, &CSendersView::OnUpdatePasteSms)
ON_COMMAND_RANGE(ID_BOX_STATISTICS, ID_BOX_STATISTICS, &CSendersView::OnBoxStatistics)
ON_COMMAND_RANGE(ID_BOX_BASIC_STATISTICS, ID_BOX_BASIC_STATISTICS, &CSendersView::OnBoxStatistics)
ON_COMMAND(ID_IMPORT_CSV, &CSendersView::OnImportCsv)
ON_UPDATE_COMMAND_UI(ID_BOX_STATISTICS, &CSendersView::OnUpdateBoxCommand)
ON_UPDATE_COMMAND_UI(ID_BOX_BASIC_STATISTICS, &CSendersView::OnUpdateBoxCommand)
ON_UPDATE_COMMAND_UI(ID_IMPORT_CSV, &CSendersView::OnUpdateBoxCommand)
ON_MESSAGE(WM_BEGIN_WRITING, &CSendersView::OnBeginWriting)
ON_MESSAGE(WM_END_WRITING, &CSendersView::OnEndWriting)
ON_MESSAGE(WM_BEGIN_ACCOUNT_EDIT, &CSendersView::OnBeginAccountEdit)
ON_MESSAGE(WM_END_ACCOUNT_EDIT, &CSendersView::OnEndAccountEdit)
ON_MESSAGE(WM_VIEW_BUSY, &CSendersView::OnViewBusy)
ON_MESSAGE(WM_QUERY_ACCOUNT, &CSendersView::OnQueryAccount)
ON_MESSAGE(WM_QUERY_ROOT_DOCUMENT, &CSendersView::OnQueryRootDocument)
ON_MESSAGE(WM_QUERY_ROOT_BOX, &CSendersView::OnQueryRootBox)
ON_MESSAGE(WM_QUERY_ITEM_DOCUMENT, &CSendersView::OnQueryItemDocument)
END_MESSAGE_MAP()

CSendersView::CSendersView() {
    m_nViewNameId = 4960;
    m_nNewFileNameId = 4961;
    m_nNewGroupNameId = 236;
    m_nFileTypeId = 4961;
    m_nFileCountFormatId = 4962;
    m_nContextMenuId = 398;
    m_nMenuPosFile = 0;
    m_nMenuPosGroup = 1;
    m_nMenuPosTop = 2;
    m_strExtension = "sdr";
    m_pGroupClass = RUNTIME_CLASS(_CSmsBox);
    m_nTopImage = m_nTopSelImage = ImgTop;
    m_nFileImage = m_nFileExpandedImage = ImgAccount;
    m_nGroupImage = m_nGroupExpandedImage = ImgBoxOther;
    m_nGroupViewNumber = ViewBox;
    m_nContentViewNumber = ViewBox;
    m_nModuleKind = kModuleKind;
}

UINT CSendersView::SetListenPort(UINT nPort) {
    UINT old = ListenPort();
    ListenPort() = nPort;
    return old;
}

void CSendersView::InitView() {
    // The tree shows boxes only; their messages are the right pane's list.
    m_groupHelper.m_nInsertFlags = CGroupHelper::InsertGroups;
    CreateItemImages(m_imageList);
    m_hUnreadIcon = AfxGetApp() != nullptr ? AfxGetApp()->LoadIcon(kUnreadIcon) : nullptr;
    m_groupHelper.m_imageCallback = [this](CObject* pRecord, int, int* pImage, int* pSelImage) {
        auto* pBox = dynamic_cast<CMsgBoxBase*>(pRecord);
        if (pBox != nullptr && pBox->GetParent() == nullptr) {
            BOOL bActive = m_pActiveFile != nullptr &&
                           GetRootGroup(m_pActiveFile->pDoc) == static_cast<CGroup*>(pBox);
            *pImage = *pSelImage = bActive ? ImgActive : ImgAccount;
        } else if (pBox != nullptr) {
            *pImage = *pSelImage = GetBoxImage(pBox->GetBoxType());
        } else {
            *pImage = *pSelImage = ImgBoxOther;
        }
    };
}

CMsgAccountBase* CSendersView::GetDocAccount(CQuillmarBaseDoc* pDoc) {
    auto* pSender = dynamic_cast<CSenderDoc*>(pDoc);
    return pSender != nullptr ? &pSender->GetSender() : nullptr;
}

CQuillmarBaseDoc* CSendersView::CreateDocument() {
    return new CSenderTreeDoc;
}

_CSender* CSendersView::GetActiveSender() {
    return static_cast<_CSender*>(GetActiveAccount());
}

CSenderTreeDoc* CSendersView::FindAccountDocument(_CSender* pAccount) {
    for (int i = 0; i < GetFileCount(); ++i) {
        auto* pDoc = dynamic_cast<CSenderTreeDoc*>(GetFileAt(i)->pDoc);
        if (pDoc != nullptr && (pAccount == nullptr || &pDoc->GetSender() == pAccount))
            return pDoc;
    }
    return nullptr;
}

// ---- Files ----------------------------------------------------------------------------------

void CSendersView::OnNewAccount() {
    OpenSenderFiles(TRUE);
}

void CSendersView::OnOpenAccounts() {
    OpenSenderFiles(FALSE);
}

CQuillmarBaseDoc* CSendersView::OpenFile(LPCTSTR lpszPath, BOOL bCreateNew) {
    if (lpszPath == nullptr) {
        OpenSenderFiles(bCreateNew);
        return GetCurrentDocument();
    }
    return OpenSenderFile(lpszPath, bCreateNew);
}

void CSendersView::OpenSenderFiles(BOOL bNew) {
    CString type = LoadText(m_nFileTypeId);
    CString filter;
    filter.Format("%s (*.sdr)|*.sdr||", type.GetString());
    int nBuffer = m_nOpenBufferSize;
    for (;;) {
        CString proposed = bNew ? LoadText(235) + type : CString();
        CFileDialog dlg(!bNew, "sdr", bNew ? proposed.GetString() : nullptr,
                        OFN_HIDEREADONLY | (bNew ? 0 : OFN_ALLOWMULTISELECT), filter, this);
        CString title = (bNew ? CString("新建") : CString("打开")) + type;
        dlg.m_ofn.lpstrTitle = title.GetString();
        const CString folder = GetFileDialogFolder();
        if (!folder.IsEmpty())
            dlg.m_ofn.lpstrInitialDir = folder.GetString();
        std::vector<char> buffer((size_t)nBuffer, 0);
        if (!bNew) {
            dlg.m_ofn.lpstrFile = buffer.data();
            dlg.m_ofn.nMaxFile = (DWORD)nBuffer;
        }
        if (dlg.DoModal() != IDOK) {
            if (!bNew && CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) {
                AfxMessageBox("由于选择的文件较多，缓存不够，请重新选择!");
                nBuffer *= 2;
                continue;
            }
            return;
        }
        if (bNew) {
            OpenSenderFile(dlg.GetPathName(), TRUE);
            return;
        }
        for (POSITION pos = dlg.GetStartPosition(); pos != nullptr;)
            OpenSenderFile(dlg.GetNextPathName(pos), FALSE);
        return;
    }
}

CSenderTreeDoc* CSendersView::OpenSenderFile(const CString& path, BOOL bNew) {
    CFileInfo* pOpen = nullptr;
    if (FindFileByPath(path, pOpen)) {
        MessageBeep(MB_ICONEXCLAMATION);
        AfxMessageBox("文件" + path + "已经被打开！", MB_ICONEXCLAMATION);
        return nullptr;
    }
    CSenderTreeDoc* pDoc = nullptr;
    if (bNew) {
        // A new account never replaces another file unasked.
        CFileStatus status;
        if (CFile::GetStatus(path, status)) {
            CString prompt;
            prompt.Format("文件 %s 已经存在。\n要替换它吗？", path.GetString());
            if (AfxMessageBox(prompt, MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
                return nullptr;
        }
        pDoc = new CSenderTreeDoc;
        pDoc->SetPathName(path, FALSE);
        // The account is named after its file.
        CString title = pDoc->GetTitle();
        int dot = title.ReverseFind('.');
        pDoc->GetSender().GetName() = dot > 0 ? title.Left(dot) : title;
        if (!pDoc->OnNewDocument() || !pDoc->OnSaveDocument(path)) {
            delete pDoc;
            return nullptr;
        }
        pDoc->SetPathName(path, FALSE);
        pDoc->SetTitle(pDoc->GetSender().GetName());
        RememberFileFolder(path);
        AddFileRoot(pDoc, nullptr, nullptr, nullptr);
    } else {
        pDoc = dynamic_cast<CSenderTreeDoc*>(OpenOneFile(path, FALSE));
        if (pDoc == nullptr)
            return nullptr;
    }
    CFileInfo* pInfo = nullptr;
    FindFileByPath(path, pInfo);
    if (pInfo == nullptr)
        return pDoc;
    pDoc->GetSender().SetFileNumber((DWORD)pInfo->nFileId);
    pDoc->SetTitle(pDoc->GetSender().GetName());
    if (m_hTopItem != nullptr)
        Tree().Expand(m_hTopItem, TVE_EXPAND);
    if (!pDoc->GetSender().IsLocked()) {
        Tree().Expand(pInfo->hItem, TVE_EXPAND);
        Tree().SelectItem(pInfo->hItem);
        if (GetFileCount() == 1)
            SetActiveFile(pInfo->hItem);
    }
    return pDoc;
}

BOOL CSendersView::CloseFile(CFileInfo* pInfo, BOOL bQuiet, BOOL bAskSave) {
    BOOL bWasActive = pInfo != nullptr && pInfo == m_pActiveFile;
    if (!CMessageAccountTreeView::CloseFile(pInfo, bQuiet, bAskSave))
        return FALSE;
    // Closing the active account makes the next open one active.
    if (bWasActive && !m_bClosing && GetFileCount() > 0) {
        CFileInfo* pNext = FindNextUnlockedFile(GetFileAt(0));
        if (pNext == nullptr && !IsFileLocked(GetFileAt(0)->pDoc))
            pNext = GetFileAt(0);
        if (pNext != nullptr)
            SetActiveFile(pNext->hItem);
    }
    return TRUE;
}

// ---- The active account ---------------------------------------------------------------------

void CSendersView::SetActiveFile(HTREEITEM hItem) {
    CFileInfo* pInfo = hItem != nullptr ? GetFileInfo(hItem) : nullptr;
    if (hItem != nullptr && pInfo == nullptr)
        return;
    if (pInfo == m_pActiveFile)
        return;
    if (m_pActiveFile != nullptr) {
        Tree().SetItemState(m_pActiveFile->hItem, 0, TVIS_BOLD);
        Tree().SetItemImage(m_pActiveFile->hItem, ImgAccount, ImgAccount);
        if (auto* pOld = dynamic_cast<CSenderTreeDoc*>(m_pActiveFile->pDoc))
            pOld->StopListening();
    }
    m_pActiveFile = pInfo;
    if (pInfo != nullptr) {
        Tree().SetItemState(pInfo->hItem, TVIS_BOLD, TVIS_BOLD);
        Tree().SetItemImage(pInfo->hItem, ImgActive, ImgActive);
        auto* pDoc = dynamic_cast<CSenderTreeDoc*>(pInfo->pDoc);
        if (pDoc != nullptr && !pDoc->StartListening(ListenPort(), 5))
            AfxMessageBox(LoadText(4964), MB_ICONEXCLAMATION);
    }
    TellActiveSender();
    Invalidate();
}

void CSendersView::TellActiveSender() {
    if (CISmsComposeHost* pHost = GetSmsComposeHost())
        pHost->SetActiveSender(GetActiveSender());
}

void CSendersView::OnSetActive() {
    if (CFileInfo* pInfo = GetFileInfo(m_hCurrent))
        SetActiveFile(pInfo->hItem);
}

void CSendersView::OnCancelActive() {
    SetActiveFile(nullptr);
}

// ---- Sending and receiving ------------------------------------------------------------------

void CSendersView::OnSendPending() {
    CFileInfo* pInfo = GetFileInfo(m_hCurrent);
    auto* pDoc = pInfo != nullptr ? dynamic_cast<CSenderDoc*>(pInfo->pDoc) : nullptr;
    CCommDevice* pDevice = CommDevice();
    if (pDoc == nullptr || pDevice == nullptr)
        return;
    auto* pOutbox = dynamic_cast<_CSmsBox*>(
        pDoc->GetRootBox().FindSubBoxByType(CMsgBoxBase::BOX_OUTBOX));
    if (pOutbox == nullptr)
        return;
    _CSender* pOld = pDevice->SetSender(&pDoc->GetSender());
    if (pDevice->BeginSend()) {
        pDevice->SendPendingInBox(pOutbox, TRUE);
        pDevice->EndSend();
        MarkDocumentModified(pDoc);
    }
    pDevice->SetSender(pOld);
    OnCurrentItemChanged(m_hCurrent, TRUE);
    Invalidate();
}

void CSendersView::OnReceive() {
    CCommDevice* pDevice = CommDevice();
    if (pDevice == nullptr)
        return;
    CFileInfo* pInfo = GetFileInfo(m_hCurrent);
    auto* pDoc = pInfo != nullptr ? dynamic_cast<CSenderDoc*>(pInfo->pDoc) : nullptr;
    _CSender* pAccount = pDoc != nullptr && !pDoc->GetSender().IsLocked() ? &pDoc->GetSender()
                                                                          : GetActiveSender();
    if (pAccount != nullptr)
        pDevice->ReceiveSms(pAccount);
}

void CSendersView::OnWriteSms() {
    CFileInfo* pInfo = GetFileInfo(m_hCurrent);
    if (pInfo == nullptr || m_pRightPane == nullptr || m_nPaneMode == 3 ||
        m_nPaneMode == PaneWriting)
        return;
    if (m_pRightPane->OpenSmsEditor(pInfo->pDoc, 0, this, 0, 0))
        SendMessage(WM_BEGIN_WRITING);
}

// ---- Busy while the right pane writes or edits ----------------------------------------------

void CSendersView::EnterBusy(BOOL bDisableParent, int nPaneMode) {
    if (m_nBusy == 3)
        return;
    m_groupHelper.FinishLabelEdit();
    auto* pBar = dynamic_cast<CINavigationBarHost*>(GetParent());
    if (bDisableParent && GetParent() != nullptr)
        GetParent()->EnableWindow(FALSE);
    else
        EnableWindow(FALSE);
    SetBusy(3);
    EnableCommands(FALSE);
    if (CFrameWnd* pFrame = GetParentFrame())
        pFrame->SendMessage(WM_VIEW_BUSY, 100, 0);
    if (pBar != nullptr)
        for (int i = 2; i < pBar->GetFolderCount(); ++i)
            pBar->EnableFolder(i, FALSE);
    m_nSavedPaneMode = m_nPaneMode;
    m_nPaneMode = nPaneMode;
}

void CSendersView::LeaveBusy() {
    if (m_nBusy != 3)
        return;
    if (CWnd* pParent = GetParent())
        pParent->EnableWindow(TRUE);
    EnableWindow(TRUE);
    SetBusy(0);
    EnableCommands(TRUE);
    if (CFrameWnd* pFrame = GetParentFrame())
        pFrame->SendMessage(WM_VIEW_BUSY, 102, 0);
    m_nPaneMode = m_nSavedPaneMode;
    // The user may have gone to the address book to pick recipients: the pane shows this
    // tree's item again, so the bar shows this tree again.
    if (auto* pBar = dynamic_cast<CINavigationBarHost*>(GetParent())) {
        pBar->ShowFolderOf(this);
        pBar->LayoutFolderWnds();
    }
    if (m_hCurrent != nullptr)
        OnCurrentItemChanged(m_hCurrent, TRUE);
}

LRESULT CSendersView::OnBeginWriting(WPARAM, LPARAM) {
    EnterBusy(FALSE, PaneWriting);
    return 0;
}

LRESULT CSendersView::OnEndWriting(WPARAM, LPARAM) {
    if (m_nBusy != 3)
        return 0;
    if (m_pRightPane != nullptr)
        m_pRightPane->RestoreView();
    if (auto* pBar = dynamic_cast<CINavigationBarHost*>(GetParent()))
        for (int i = 2; i < pBar->GetFolderCount(); ++i)
            pBar->EnableFolder(i, TRUE);
    LeaveBusy();
    return 0;
}

LRESULT CSendersView::OnBeginAccountEdit(WPARAM wParam, LPARAM) {
    EnterBusy(TRUE, wParam != 0 ? (int)wParam : PaneEditing);
    return 0;
}

LRESULT CSendersView::OnEndAccountEdit(WPARAM, LPARAM) {
    if (auto* pBar = dynamic_cast<CINavigationBarHost*>(GetParent()))
        for (int i = 2; i < pBar->GetFolderCount(); ++i)
            pBar->EnableFolder(i, TRUE);
    LeaveBusy();
    return 0;
}

LRESULT CSendersView::OnViewBusy(WPARAM wParam, LPARAM lParam) {
    // A refresh asked while busy waits for the mode's end, which shows the item again.
    if (wParam == 300 && m_nBusy == 3)
        return 0;
    // Shown again, the item's views are filled afresh: its messages may have moved meanwhile
    // (a message sent at once leaves the outbox after the pane came back to it).
    if (wParam == 300 && m_hCurrent != nullptr) {
        OnCurrentItemChanged(m_hCurrent, TRUE);
        return 0;
    }
    return OnBusy(wParam, lParam);
}

// ---- The main window's queries --------------------------------------------------------------

LRESULT CSendersView::OnQueryAccount(WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>(GetSelectedAccount());
}

LRESULT CSendersView::OnQueryRootDocument(WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>(m_pCurrentFile != nullptr ? m_pCurrentFile->pDoc : nullptr);
}

LRESULT CSendersView::OnQueryRootBox(WPARAM, LPARAM) {
    CMsgAccountBase* pAccount = GetSelectedAccount();
    return reinterpret_cast<LRESULT>(pAccount != nullptr ? pAccount->GetRootBox() : nullptr);
}

LRESULT CSendersView::OnQueryItemDocument(WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>(GetSelectedDocument());
}

// ---- Boxes: paste, statistics, import -------------------------------------------------------

namespace {
_CSmsBox* ProgramClipboard() {
    CISmsListHost* pHost = GetSmsListHost();
    return pHost != nullptr ? pHost->GetClipboardBox() : nullptr;
}
} // namespace

void CSendersView::OnPasteSms() {
    auto* pBox = IsBoxKind(GetItemKind(m_hCurrent))
                     ? dynamic_cast<_CSmsBox*>(GetBoxOfItem(m_hCurrent))
                     : nullptr;
    _CSmsBox* pClip = ProgramClipboard();
    if (pBox == nullptr || pClip == nullptr || pClip->GetSmsCount() == 0)
        return;
    for (POSITION pos = pClip->GetFirstSmsPosition(); pos != nullptr;) {
        _CSms* pSms = pClip->GetNextSms(pos);
        if (pClip->RemoveMessage(pSms, FALSE))
            pBox->AddSms(pSms);
    }
    MarkDocumentModified(GetItemDocument(m_hCurrent));
    OnCurrentItemChanged(m_hCurrent, TRUE);
    Invalidate();
}

void CSendersView::OnUpdatePasteSms(CCmdUI* pCmdUI) {
    _CSmsBox* pClip = ProgramClipboard();
    pCmdUI->Enable(IsBoxKind(GetItemKind(m_hCurrent)) && pClip != nullptr &&
                   pClip->GetSmsCount() > 0);
}

void CSendersView::OnBoxStatistics(UINT nID) {
    auto* pBox = IsBoxKind(GetItemKind(m_hCurrent))
                     ? dynamic_cast<_CSmsBox*>(GetBoxOfItem(m_hCurrent))
                     : nullptr;
    if (pBox == nullptr)
        return;
    if (nID == ID_BOX_BASIC_STATISTICS) {
        CDlgSmsBoxInfoEx dlg(pBox, this);
        dlg.DoModal();
    } else {
        CDlgSmsBoxInfo dlg(pBox, this);
        dlg.DoModal();
    }
}

void CSendersView::OnImportCsv() {
    int kind = GetItemKind(m_hCurrent);
    CMsgBoxBase* pBox = kind == KindOutbox || kind == KindUserBox ? GetBoxOfItem(m_hCurrent)
                                                                  : nullptr;
    CQuillmarBaseDoc* pDoc = GetItemDocument(m_hCurrent);
    CMsgAccountBase* pAccount = GetDocAccount(pDoc);
    if (pBox == nullptr || pAccount == nullptr)
        return;
    if (ImportSmsFromCsv(pBox, pAccount->GetName(), this) <= 0)
        return;
    MarkDocumentModified(pDoc);
    UpdateTitle();
    if (pDoc->GetFirstViewPosition() != nullptr)
        pDoc->UpdateAllViews(nullptr);
    Invalidate();
}

void CSendersView::OnUpdateBoxCommand(CCmdUI* pCmdUI) {
    int kind = GetItemKind(m_hCurrent);
    if (pCmdUI->m_nID == ID_IMPORT_CSV)
        pCmdUI->Enable(kind == KindOutbox || kind == KindUserBox);
    else
        pCmdUI->Enable(IsBoxKind(kind));
}

int CSendersView::FileNewMessages(_CSender* pAccount, _CSmsBox* pHolding) {
    if (pHolding == nullptr)
        return 0;
    CSenderTreeDoc* pDoc = FindAccountDocument(pAccount != nullptr ? pAccount : GetActiveSender());
    if (pDoc == nullptr || pDoc->GetSender().IsLocked())
        return 0;
    auto* pInbox = dynamic_cast<_CSmsBox*>(
        pDoc->GetRootBox().FindSubBoxByType(CMsgBoxBase::BOX_INBOX));
    if (pInbox == nullptr)
        return 0;
    int nFiled = 0;
    for (POSITION pos = pHolding->GetFirstSmsPosition(); pos != nullptr;) {
        _CSms* pSms = pHolding->GetNextSms(pos);
        if (pHolding->RemoveMessage(pSms, FALSE)) {
            pInbox->AddSms(pSms);
            ++nFiled;
        }
    }
    if (nFiled > 0)
        OnSmsArrived(&pDoc->GetSender());
    return nFiled;
}

void CSendersView::OnSmsArrived(_CSender* pAccount) {
    RefreshAccount(pAccount, KindInbox, KindInbox);
}

void CSendersView::OnSmsWritten(_CSender* pAccount) {
    // Sent at once, the message is in the sent box by now.
    RefreshAccount(pAccount, KindOutbox, KindSentBox);
}

void CSendersView::RefreshAccount(_CSender* pAccount, int nKind, int nOtherKind) {
    CSenderTreeDoc* pDoc = pAccount != nullptr ? FindAccountDocument(pAccount) : nullptr;
    if (pDoc == nullptr)
        return;
    pDoc->SetModifiedFlag(TRUE);
    Invalidate();
    if (m_pCurrentFile != nullptr && m_pCurrentFile->pDoc == pDoc) {
        // The caption is another folder's while that one is in front.
        if (IsWindowVisible())
            UpdateTitle();
        const int kind = GetItemKind(m_hCurrent);
        if ((kind == nKind || kind == nOtherKind) && pDoc->GetFirstViewPosition() != nullptr)
            pDoc->UpdateAllViews(nullptr);
    }
}

void CSendersView::RefreshAccountFlags(BOOL bListOn, const CStringList& list) {
    for (int i = 0; i < GetFileCount(); ++i) {
        auto* pDoc = dynamic_cast<CSenderDoc*>(GetFileAt(i)->pDoc);
        if (pDoc == nullptr)
            continue;
        BOOL bListed = FALSE;
        for (POSITION pos = list.GetHeadPosition(); pos != nullptr && !bListed;)
            bListed = IsSameProgramPath(list.GetNext(pos), GetFileAt(i)->strPath);
        pDoc->GetSender().GetPersonInfo().m_dwValue = bListOn && bListed ? 1 : 0;
    }
    if (m_hCurrent != nullptr)
        OnCurrentItemChanged(m_hCurrent, TRUE);
}

// ---- Title, counts, menu --------------------------------------------------------------------

void CSendersView::UpdateTitle() {
    CString title = AppTitle();
    CFileInfo* pInfo = m_pCurrentFile;
    CMsgAccountBase* pAccount = pInfo != nullptr ? GetDocAccount(pInfo->pDoc) : nullptr;
    if (pAccount != nullptr) {
        title += " - " + LoadText(m_nViewNameId) + " - " + pAccount->GetName();
        auto* pBox = dynamic_cast<CMsgBoxBase*>(GetBoxOfItem(m_hCurrent));
        if (pBox != nullptr && pBox->GetParent() != nullptr)
            title += " {" + pBox->GetName() + "}";
        if (pInfo->pDoc->IsModified())
            title += LoadText(233);
    } else {
        title += " - " + LoadText(m_nViewNameId);
    }
    SetFrameTitle(title);
    if (pInfo != nullptr)
        RedrawItem(pInfo->hItem);
}

void CSendersView::DrawItemExtras(CDC* pDC, HTREEITEM hItem) {
    if (pDC == nullptr || hItem == nullptr || !m_bInitialized)
        return;
    int kind = GetItemKind(hItem);
    if (kind == KindTop) {
        CString text = FileCountText();
        if (!text.IsEmpty())
            m_drawHelper.DrawTextAfterItem(pDC, hItem, text, kBlue, 2);
        return;
    }
    auto* pBox = dynamic_cast<_CSmsBox*>(GetBoxOfItem(hItem));
    if (pBox == nullptr)
        return;
    int offset = 2;
    auto drawUnread = [&] {
        int nUnread = pBox->CountSmsByState(_CSms::STATE_UNREAD, TRUE);
        if (nUnread <= 0)
            return;
        CString text;
        text.Format("%d", nUnread);
        offset += m_drawHelper.DrawTextAfterItem(pDC, hItem, text, kBlue, offset);
        if (m_hUnreadIcon != nullptr) {
            CRect rc;
            if (Tree().GetItemRect(hItem, &rc, TRUE))
                ::DrawIconEx(pDC->GetSafeHdc(), rc.right + offset,
                             rc.top + (rc.Height() - 16) / 2, m_hUnreadIcon, 16, 16, 0, nullptr,
                             DI_NORMAL);
        }
        offset += 16 + 2;
    };
    if (kind == KindAccount) {
        CFileInfo* pInfo = GetFileInfo(hItem);
        if (pInfo != nullptr && pInfo->pDoc->IsModified())
            offset += m_drawHelper.DrawTextAfterItem(
                pDC, hItem, "*", pInfo->pDoc->GetPathName().IsEmpty() ? kRed : kBlue, offset);
        drawUnread();
        if (pInfo != nullptr && pInfo == m_pActiveFile) {
            CString text;
            text.Format("(%s)", LoadText(4963).GetString());
            m_drawHelper.DrawTextAfterItem(pDC, hItem, text, kRed, offset);
        }
        return;
    }
    drawUnread();
    CString pair;
    if (m_bShowAllCounts) {
        COLORREF colour = pBox->IsInBoxOfType(CMsgBoxBase::BOX_OUTBOX) ? kRed : kBlue;
        if (FormatPair(pBox->GetSmsCount(), pBox->CountSmsByState(-1, TRUE), pair))
            m_drawHelper.DrawTextAfterItem(pDC, hItem, pair, colour, offset);
    } else if (m_bShowPendingCounts) {
        int nTop = pBox->GetTopLevelType();
        if (nTop == CMsgBoxBase::BOX_INBOX || nTop == CMsgBoxBase::BOX_RECYCLE) {
            if (FormatPair(pBox->CountSmsByState(_CSms::STATE_UNREAD, FALSE),
                           pBox->CountSmsByState(_CSms::STATE_UNREAD, TRUE), pair))
                m_drawHelper.DrawTextAfterItem(pDC, hItem, pair, kBlue, offset);
        } else if (nTop == CMsgBoxBase::BOX_OUTBOX) {
            if (FormatPair(pBox->CountSmsByState(_CSms::STATE_PENDING, FALSE),
                           pBox->CountSmsByState(_CSms::STATE_PENDING, TRUE), pair))
                m_drawHelper.DrawTextAfterItem(pDC, hItem, pair, kRed, offset);
        }
    }
}

void CSendersView::ShowItemMenu(HTREEITEM hItem, CPoint point) {
    if (CMsgAccountBase* pAccount = GetAccountOfItem(hItem); pAccount != nullptr &&
                                                              pAccount->IsLocked())
        return;
    CGroupTreeView::ShowItemMenu(hItem, point);
}

void CSendersView::OnShowSelection() {
    if (m_nBusy != 3 && m_hCurrent != nullptr)
        OnCurrentItemChanged(m_hCurrent, TRUE);
}

BOOL CSendersView::OnCmdMsg(UINT nID, int nCode, void* pExtra,
                            AFX_CMDHANDLERINFO* pHandlerInfo) {
    if ((nID != ID_RELOAD_PAGES && nID != ID_CONFIRM_PAGES) || m_nPaneMode == PaneWriting)
        return CMessageAccountTreeView::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
    // Whether the command is on is the views' to say (the form: while a page holds a change).
    CQuillmarBaseDoc* pDoc = GetSelectedDocument();
    if (nCode != (int)CN_COMMAND || pHandlerInfo != nullptr || pDoc == nullptr)
        return FALSE;
    pDoc->UpdateAllViews(nullptr, 1);
    return TRUE;
}

void CSendersView::OnShowAllCounts() {
    m_bShowAllCounts = !m_bShowAllCounts;
    if (m_bShowAllCounts)
        m_bShowPendingCounts = FALSE;
    Invalidate();
}

void CSendersView::OnShowPendingCounts() {
    m_bShowPendingCounts = !m_bShowPendingCounts;
    if (m_bShowPendingCounts)
        m_bShowAllCounts = FALSE;
    Invalidate();
}

void CSendersView::OnUpdateSendersCommand(CCmdUI* pCmdUI) {
    CFileInfo* pInfo = GetFileInfo(m_hCurrent);
    switch (pCmdUI->m_nID) {
    case ID_SET_ACTIVE:
        pCmdUI->Enable(pInfo != nullptr && pInfo != m_pActiveFile);
        break;
    case ID_CANCEL_ACTIVE:
        pCmdUI->Enable(pInfo != nullptr && pInfo == m_pActiveFile);
        break;
    case ID_SEND_PENDING:
        pCmdUI->Enable(pInfo != nullptr);
        break;
    case ID_WRITE_SMS:
        pCmdUI->Enable(pInfo != nullptr && m_nPaneMode != 3 && m_nPaneMode != PaneWriting);
        break;
    case ID_RECEIVE_SMS:
        pCmdUI->Enable(GetFileCount() > 0 && m_nPaneMode != PaneWriting);
        break;
    case ID_GATEWAY_CHARGE:
    case ID_GATEWAY_SUFFIX:
    case ID_GATEWAY_BALANCE:
    case ID_GATEWAY_CODE:
    case ID_GATEWAY_SIGNATURE:
        pCmdUI->Enable(pInfo != nullptr && !IsFileLocked(pInfo->pDoc));
        break;
    case ID_SHOW_ALL_COUNTS:
        pCmdUI->SetCheck(m_bShowAllCounts ? 1 : 0);
        break;
    case ID_SHOW_PENDING_COUNTS:
        pCmdUI->SetCheck(m_bShowPendingCounts ? 1 : 0);
        break;
    default:
        pCmdUI->Enable(TRUE);
    }
}

void CSendersView::OnGatewayDialog(UINT nID) {
    CFileInfo* pInfo = GetFileInfo(m_hCurrent);
    auto* pDoc = pInfo != nullptr ? dynamic_cast<CSenderDoc*>(pInfo->pDoc) : nullptr;
    if (pDoc == nullptr || pDoc->GetSender().IsLocked())
        return;
    std::unique_ptr<CDlgSmsAccountBase> pDlg;
    switch (nID) {
    case ID_GATEWAY_CHARGE: pDlg = std::make_unique<CDlgSmsAccountChargeSms>(this); break;
    case ID_GATEWAY_SUFFIX: pDlg = std::make_unique<CDlgSmsAccountEditSuffixCode>(this); break;
    case ID_GATEWAY_BALANCE: pDlg = std::make_unique<CDlgSmsAccountGetSmsBalance>(this); break;
    case ID_GATEWAY_CODE: pDlg = std::make_unique<CDlgSmsAccountGetSmsCode>(this); break;
    case ID_GATEWAY_SIGNATURE: pDlg = std::make_unique<CDlgSmsAccountSignature>(this); break;
    default: return;
    }
    const SSenderAccountRecord& record = pDoc->GetSender().GetRecord();
    pDlg->m_strUser = record.m_remote.m_strUserId;
    pDlg->m_strPassword = record.m_remote.m_strPassword;
    pDlg->DoModal();
}

void CSendersView::OnGatewayDialogSignature() {
    OnGatewayDialog(ID_GATEWAY_SIGNATURE);
}

void CSendersView::OnGatewayRegister() {
    CWizardRegsmsuser wizard(this);
    wizard.DoModal();
}
