#include "sms/ui/MsgListView.h"

#include "core/MsgAccountBase.h"
#include "core/MsgBoxBase.h"
#include "core/QuillmarBaseDoc.h"
#include "platform/gui/ListCtrlItems.h"
#include "platform/gui/MessageBox.h"
#include "sms/MessageBase.h"
#include "sms/SenderDoc.h"
#include "ui/GroupTreeView.h"

#include <algorithm>
#include <map>

IMPLEMENT_DYNAMIC(CMsgListView, CListView)
IMPLEMENT_DYNAMIC(CMsgSplitView, CView)

BEGIN_MESSAGE_MAP(CMsgListView, CListView)
ON_NOTIFY_REFLECT(NM_CLICK, &CMsgListView::OnClick)
ON_NOTIFY_REFLECT(NM_DBLCLK, &CMsgListView::OnDblClick)
ON_NOTIFY_REFLECT(LVN_ITEMCHANGED, &CMsgListView::OnItemChanged)
ON_NOTIFY_REFLECT(LVN_DELETEITEM, &CMsgListView::OnDeleteItem)
ON_WM_LBUTTONDOWN()
ON_WM_TIMER()
ON_WM_DESTROY()
ON_COMMAND(CMsgListView::ID_DELETE_PERMANENT, &CMsgListView::OnDeletePermanent)
ON_COMMAND(CMsgListView::ID_DELETE_PERMANENT2, &CMsgListView::OnDeletePermanent)
ON_COMMAND(CMsgListView::ID_DELETE, &CMsgListView::OnDelete)
ON_COMMAND(CMsgListView::ID_DELETE2, &CMsgListView::OnDelete)
ON_UPDATE_COMMAND_UI(CMsgListView::ID_DELETE_PERMANENT, &CMsgListView::OnUpdateDeletePermanent)
ON_UPDATE_COMMAND_UI(CMsgListView::ID_DELETE_PERMANENT2, &CMsgListView::OnUpdateDeletePermanent)
ON_UPDATE_COMMAND_UI(CMsgListView::ID_DELETE, &CMsgListView::OnUpdateDelete)
ON_UPDATE_COMMAND_UI(CMsgListView::ID_DELETE2, &CMsgListView::OnUpdateDelete)
END_MESSAGE_MAP()

namespace {

CIMessage* MessageSide(CMessageBase* pMessage) {
    return pMessage;
}

// The topmost message box above the box (the account's or the contact's root box).
CMsgBoxBase* RootBoxOf(CMsgBoxBase* pBox) {
    CMsgBoxBase* pRoot = pBox;
    while (pRoot != nullptr) {
        auto* pParent = dynamic_cast<CMsgBoxBase*>(pRoot->GetParent());
        if (pParent == nullptr)
            break;
        pRoot = pParent;
    }
    return pRoot;
}

// The rows the lists had focused, by box. A box that goes away may leave its entry: a list
// only takes a remembered row that is inside its rows.
std::map<const CMsgBoxBase*, int>& RememberedRows() {
    static std::map<const CMsgBoxBase*, int> s_rows;
    return s_rows;
}

// Pointers to the document's fields for its message views, taken where they may be named.
struct CMessageDocFields : CQuillmarBaseDoc {
    static constexpr CObject* CQuillmarBaseDoc::*kBox = &CMessageDocFields::m_pCurrentBox;
    static constexpr CObject* CQuillmarBaseDoc::*kMessage = &CMessageDocFields::m_pCurrentMessage;
    static constexpr DWORD_PTR CQuillmarBaseDoc::*kSelection =
        &CMessageDocFields::m_dwHasSelection;
};

} // namespace

void SetDocCurrentBox(CQuillmarBaseDoc* pDoc, CObject* pBox) {
    if (pDoc != nullptr)
        pDoc->*CMessageDocFields::kBox = pBox;
}

void SetDocCurrentMessage(CQuillmarBaseDoc* pDoc, CObject* pMessage) {
    if (pDoc != nullptr)
        pDoc->*CMessageDocFields::kMessage = pMessage;
}

void SetDocHasSelection(CQuillmarBaseDoc* pDoc, BOOL bSelected) {
    if (pDoc != nullptr)
        pDoc->*CMessageDocFields::kSelection = bSelected ? 1 : 0;
}

BOOL DocHasSelection(const CQuillmarBaseDoc* pDoc) {
    return pDoc != nullptr && pDoc->*CMessageDocFields::kSelection != 0;
}

int CMsgListView::GetRememberedRow(const CMsgBoxBase* pBox) {
    auto it = RememberedRows().find(pBox);
    return it != RememberedRows().end() ? it->second : -1;
}

void CMsgListView::SetRememberedRow(const CMsgBoxBase* pBox, int nRow) {
    if (pBox == nullptr)
        return;
    if (nRow < 0)
        RememberedRows().erase(pBox);
    else
        RememberedRows()[pBox] = nRow;
}

CMsgListView::CMsgListView() {
    m_removedRows.SetSize(0, 10);
}

CMsgListView::~CMsgListView() = default;

BOOL CMsgListView::PreCreateWindow(CREATESTRUCT& cs) {
    cs.style |= WS_CHILD | WS_VISIBLE | WS_BORDER;
    return CListView::PreCreateWindow(cs);
}

CQuillmarBaseDoc* CMsgListView::GetBaseDoc() const {
    return dynamic_cast<CQuillmarBaseDoc*>(GetDocument());
}

CMessageBase* CMsgListView::GetCurrentMessage() const {
    CQuillmarBaseDoc* pDoc = GetBaseDoc();
    return pDoc != nullptr ? dynamic_cast<CMessageBase*>(pDoc->GetCurrentMessageObject())
                           : nullptr;
}

CMsgBoxBase* CMsgListView::GetBox() const {
    CQuillmarBaseDoc* pDoc = GetBaseDoc();
    return pDoc != nullptr ? dynamic_cast<CMsgBoxBase*>(pDoc->GetCurrentBoxObject()) : nullptr;
}

CMsgAccountBase* CMsgListView::GetDocumentAccount() const {
    auto* pDoc = dynamic_cast<CSenderDoc*>(GetDocument());
    return pDoc != nullptr ? &pDoc->GetSender() : nullptr;
}

CMessageBase* CMsgListView::GetMessageAt(int nRow) const {
    if (GetSafeHwnd() == nullptr || nRow < 0 || nRow >= List().GetItemCount())
        return nullptr;
    return reinterpret_cast<CMessageBase*>(List().GetItemData(nRow));
}

void CMsgListView::UpdateDocViews() {
    if (CDocument* pDoc = GetDocument())
        pDoc->UpdateAllViews(this);
}

void CMsgListView::SetSelectionFlag(BOOL bSelected) {
    if (CQuillmarBaseDoc* pDoc = GetBaseDoc())
        SetDocHasSelection(pDoc, bSelected);
}

void CMsgListView::StopReadTimer() {
    if (m_bReadTimer && GetSafeHwnd() != nullptr)
        KillTimer(TIMER_READ);
    m_bReadTimer = FALSE;
}

void CMsgListView::RedrawRow(int nRow) {
    if (nRow >= 0 && nRow < List().GetItemCount())
        List().RedrawItems(nRow, nRow);
}

UINT CMsgListView::GetReadDelay(const CMessageBase* pMessage) {
    const int nLength = pMessage != nullptr ? std::max(pMessage->GetTextLength(), 0) : 0;
    // Two seconds for every 160 bytes, read at the speed of one screen of a phone.
    const long long nDelay = (long long)nLength * 2000 / 160;
    return (UINT)std::max<long long>(2000, std::min<long long>(nDelay, 0x7FFFFFFF));
}

BOOL CMsgListView::IsAnySelectedOfHomeType(int nType) const {
    POSITION pos = List().GetFirstSelectedItemPosition();
    while (pos != nullptr) {
        CMessageBase* pMessage = GetMessageAt(List().GetNextSelectedItem(pos));
        if (pMessage != nullptr && pMessage->GetStateImage() == nType)
            return TRUE;
    }
    return FALSE;
}

int CMsgListView::InsertMessage(CMessageBase* pMessage) {
    const int nRow = List().InsertItem(LVIF_PARAM, List().GetItemCount(), nullptr, 0, 0, 0,
                                       (LPARAM)pMessage);
    if (nRow >= 0 && pMessage != nullptr)
        pMessage->SetKey(nRow);
    return nRow;
}

BOOL CMsgListView::CanEditCurrent() {
    CMsgBoxBase* pBox = GetBox();
    CMessageBase* pMessage = GetCurrentMessage();
    return pBox != nullptr && !pBox->IsInBoxOfType(CMsgBoxBase::BOX_RECYCLE) &&
           List().GetSelectedCount() == 1 && m_nCurRow >= 0 && pMessage != nullptr &&
           pMessage->GetStateImage() == CMsgBoxBase::BOX_OUTBOX;
}

CWnd* CMsgListView::GetNotifyTarget() const {
    CWnd* pOwner = GetOwner();
    return pOwner != nullptr ? pOwner : GetParent();
}

void CMsgListView::MarkModified() {
    CDocument* pDoc = GetDocument();
    if (pDoc == nullptr)
        return;
    CWnd* pTarget = GetNotifyTarget();
    if (!pDoc->IsModified()) {
        pDoc->SetModifiedFlag(TRUE);
        if (pTarget != nullptr)
            pTarget->SendMessage(WM_GROUPVIEW_MODIFIED, 0, 0);
    }
    // Messages came or went: the tree draws its counts beside the boxes again, also when the
    // file was already marked.
    if (pTarget != nullptr && pTarget->GetSafeHwnd() != nullptr)
        pTarget->Invalidate();
}

// ---- Filling and sorting ---------------------------------------------------------------------

void CMsgListView::OnInitialUpdate() {
    CListView::OnInitialUpdate();
    if (!m_bDragBound) {
        m_bDragBound = TRUE;
        m_dragDrop.SetCallbacks(
            this,
            [this](CWnd*, DRAGITEM item, DWORD, DRAGITEM, int, int keyFlags, BOOL bTest,
                   BOOL bHasNext, int&) {
                return DropInList((int)item, keyFlags, bTest, bHasNext);
            },
            [this](CWnd*, DRAGITEM item, DWORD, int x, int y, int keyFlags, BOOL bTest, int,
                   HWND&, DRAGITEM&, BOOL bHasNext, BOOL, int&) {
                CPoint pt(x, y);
                List().ClientToScreen(&pt);
                return DropOnOwner((int)item, pt, keyFlags, bTest, bHasNext) != 0;
            });
        m_dragDrop.Attach(this, &List());
        m_dragDrop.SetDragCursors(LoadCursor(nullptr, MAKEINTRESOURCE(242)),
                                  LoadCursor(nullptr, MAKEINTRESOURCE(243)),
                                  LoadCursor(nullptr, MAKEINTRESOURCE(241)));
    }
}

void CMsgListView::OnUpdate(CView*, LPARAM, CObject*) {
    if (GetSafeHwnd() == nullptr)
        return;
    CListCtrl& list = List();
    list.DeleteAllItems();
    CMsgBoxBase* pBox = GetBox();
    if (pBox == nullptr)
        return;
    list.SetRedraw(FALSE);
    // The address column shows the sender of received messages and the recipients of the rest.
    int nField = 11;
    switch (pBox->GetTopLevelType()) {
    case CMsgBoxBase::BOX_INBOX:
        nField = 2;
        break;
    case CMsgBoxBase::BOX_OUTBOX:
    case CMsgBoxBase::BOX_SENT:
        nField = 3;
        break;
    default:
        break;
    }
    if (CHeaderCtrl* pHeader = list.GetHeaderCtrl()) {
        HDITEM item{};
        item.mask = HDI_LPARAM;
        item.lParam = nField;
        pHeader->SetItem(m_nAddressColumn, &item);
    }
    for (POSITION pos = pBox->GetFirstMessagePosition(); pos != nullptr;)
        if (auto* pMessage = dynamic_cast<CMessageBase*>(pBox->GetNextMessage(pos)))
            InsertMessage(pMessage);
    list.SetRedraw(TRUE);
}

void CMsgListView::SortItems(int nColumn, int nOrder) {
    const int nKey = nColumn >= 0 ? MapColumn(nColumn) : 0xFFFF;
    List().SortItems(&CMsgListView::CompareRows,
                     (DWORD_PTR)(((DWORD)nKey << 16) | ((DWORD)nOrder & 0xFFFF)));
}

int CMsgListView::CompareRows(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort) {
    auto* p1 = reinterpret_cast<CMessageBase*>(lParam1);
    auto* p2 = reinterpret_cast<CMessageBase*>(lParam2);
    const short nKey = (short)(((DWORD)lParamSort >> 16) & 0xFFFF);
    const BOOL bAscending = (lParamSort & 0xFFFF) != 0;
    int nResult = 0;
    if (p1 == nullptr || p2 == nullptr) {
        nResult = CompareSign(p1 != nullptr, p2 != nullptr);
    } else if (nKey < 0) {
        nResult = CompareSign((unsigned)p1->GetKey(), (unsigned)p2->GetKey());
    } else {
        nResult = p1->CompareTo(p2, nKey);
    }
    return bAscending ? nResult : -nResult;
}

// ---- Focus and reading -------------------------------------------------------------------------

void CMsgListView::OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult) {
    *pResult = 0;
    auto* pInfo = reinterpret_cast<NMLISTVIEW*>(pNMHDR);
    if (pInfo == nullptr) {
        OnFocusChanged(-1);
        return;
    }
    if ((pInfo->uChanged & LVIF_STATE) == 0)
        return;
    RedrawRow(pInfo->iItem);
    if ((pInfo->uNewState & LVIS_FOCUSED) == 0) {
        // A row that lost only its selection changes whether any row is selected.
        if ((pInfo->uOldState ^ pInfo->uNewState) & LVIS_SELECTED)
            SetSelectionFlag(List().GetSelectedCount() > 0);
        return;
    }
    OnFocusChanged(pInfo->iItem);
}

void CMsgListView::OnFocusChanged(int nRow) {
    CQuillmarBaseDoc* pDoc = GetBaseDoc();
    if (nRow < 0) {
        // Published again: the focused row's message becomes current once more.
        if (pDoc != nullptr)
            SetDocCurrentMessage(pDoc, GetMessageAt(m_nCurRow));
        UpdateDocViews();
        return;
    }
    m_nCurRow = nRow;
    CMessageBase* pMessage = GetMessageAt(nRow);
    if (pDoc != nullptr)
        SetDocCurrentMessage(pDoc, pMessage);
    if (m_bAutoUpdate)
        UpdateDocViews();
    SetSelectionFlag(List().GetSelectedCount() > 0);
    StopReadTimer();
    if (pMessage != nullptr && !pMessage->IsRead()) {
        m_nReadDelay = GetReadDelay(pMessage);
        SetTimer(TIMER_READ, m_nReadDelay, nullptr);
        m_bReadTimer = TRUE;
    }
    SetRememberedRow(GetBox(), nRow);
}

void CMsgListView::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == TIMER_READ)
        OnReadTimer();
    else
        CListView::OnTimer(nIDEvent);
}

void CMsgListView::OnReadTimer() {
    CMessageBase* pMessage = GetCurrentMessage();
    if (pMessage != nullptr && !pMessage->IsRead()) {
        pMessage->SetRead(TRUE);
        UpdateRow(m_nCurRow, nullptr);
        UpdateDocViews();
        if (CWnd* pParent = GetParent())
            pParent->Invalidate();
        MarkModified();
        OnAfterUpdate();
    }
    StopReadTimer();
}

void CMsgListView::OnDeleteItem(NMHDR* pNMHDR, LRESULT* pResult) {
    *pResult = 0;
    auto* pInfo = reinterpret_cast<NMLISTVIEW*>(pNMHDR);
    if (pInfo == nullptr)
        return;
    if (pInfo->iItem == m_nCurRow)
        m_nCurRow = -1;
    else if (pInfo->iItem < m_nCurRow)
        --m_nCurRow;
    if (m_nCurRow < 0)
        if (CQuillmarBaseDoc* pDoc = GetBaseDoc())
            SetDocCurrentMessage(pDoc, nullptr);
}

void CMsgListView::SyncFocusedRow() {
    CListCtrl& list = List();
    int nFocused = list.GetItemCount() > 0 ? list.GetNextItem(-1, LVNI_FOCUSED) : -1;
    if (nFocused >= 0)
        list.SetItemState(nFocused, LVIS_SELECTED, LVIS_SELECTED);
    m_nCurRow = nFocused;
    SetRememberedRow(GetBox(), nFocused);
    CQuillmarBaseDoc* pDoc = GetBaseDoc();
    if (pDoc != nullptr)
        SetDocCurrentMessage(pDoc, nFocused >= 0 ? GetMessageAt(nFocused) : nullptr);
    UpdateDocViews();
    if (CWnd* pParent = GetParent())
        pParent->Invalidate();
    OnAfterUpdate();
}

int CMsgListView::GetFlagMask(int nColumn) const {
    return nColumn == 4 ? 0x100 : nColumn == 6 ? 0x200 : 0;
}

// ---- Mouse -------------------------------------------------------------------------------------

void CMsgListView::OnClick(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
}

void CMsgListView::OnDblClick(NMHDR* pNMHDR, LRESULT* pResult) {
    *pResult = 0;
    auto* pInfo = reinterpret_cast<NMITEMACTIVATE*>(pNMHDR);
    if (pInfo != nullptr)
        OpenRow(pInfo->iItem);
}

BOOL CMsgListView::CanOpenRow(int nRow) const {
    CMsgBoxBase* pBox = GetBox();
    CMessageBase* pMessage = GetMessageAt(nRow);
    if (pMessage == nullptr || pBox == nullptr || pBox->IsInBoxOfType(CMsgBoxBase::BOX_RECYCLE))
        return FALSE;
    const int nKind = MessageSide(pMessage)->GetStateImage();
    return nKind == CMsgBoxBase::BOX_OUTBOX || nKind == CMsgBoxBase::BOX_SENT;
}

BOOL CMsgListView::OpenRow(int nRow) {
    if (!CanOpenRow(nRow))
        return FALSE;
    CMessageBase* pMessage = GetMessageAt(nRow);
    if (MessageSide(pMessage)->GetStateImage() == CMsgBoxBase::BOX_OUTBOX)
        OpenOutgoing(pMessage);
    else
        OpenSent(pMessage);
    return TRUE;
}

void CMsgListView::OnLButtonDown(UINT nFlags, CPoint point) {
    LVHITTESTINFO hit{};
    hit.pt = point;
    List().SubItemHitTest(&hit);
    CMessageBase* pMessage = hit.iItem >= 0 ? GetMessageAt(hit.iItem) : nullptr;
    if (pMessage != nullptr) {
        const DWORD dwMask = (DWORD)GetFlagMask(MapColumn(hit.iSubItem));
        if (dwMask != 0) {
            pMessage->ToggleFlags(dwMask);
            RedrawRow(hit.iItem);
            OnMessageFlagToggled(pMessage);
            return;
        }
    }
    CListView::OnLButtonDown(nFlags, point);
}

BOOL CMsgListView::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->hwnd == List().m_hWnd && m_dragDrop.FilterMessage(pMsg))
        return TRUE;
    return CListView::PreTranslateMessage(pMsg);
}

BOOL CMsgListView::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    // A drag stops the read timer: the row dragged is not being read.
    if (message == WM_NOTIFY && lParam != 0 &&
        reinterpret_cast<NMHDR*>(lParam)->code == (UINT)LVN_BEGINDRAG)
        StopReadTimer();
    if (m_dragDrop.OnMessage(message, wParam, lParam)) {
        if (pResult != nullptr)
            *pResult = 0;
        return TRUE;
    }
    return CListView::OnChildNotify(message, wParam, lParam, pResult);
}

void CMsgListView::OnDestroy() {
    StopReadTimer();
    CListView::OnDestroy();
}

// ---- Removing ----------------------------------------------------------------------------------

void CMsgListView::DeleteCollectedRows() {
    CArray<int, int> rows;
    rows.Copy(m_removedRows);
    std::sort(rows.GetData(), rows.GetData() + rows.GetSize());
    CListCtrl& list = List();
    const int nFocused = list.GetNextItem(-1, LVNI_FOCUSED);
    int nBelow = 0;
    BOOL bFocusedGoes = FALSE;
    for (INT_PTR i = 0; i < rows.GetSize(); ++i) {
        if (rows[i] < nFocused)
            ++nBelow;
        else if (rows[i] == nFocused)
            bFocusedGoes = TRUE;
    }
    DeleteListItems(list, rows.GetData(), (int)rows.GetSize());
    m_removedRows.RemoveAll();
    // The focus goes to the row that took the place of the focused one (or the last row).
    if (nFocused >= 0 && bFocusedGoes && list.GetItemCount() > 0 &&
        list.GetNextItem(-1, LVNI_FOCUSED) < 0)
        list.SetItemState(std::min(nFocused - nBelow, list.GetItemCount() - 1), LVIS_FOCUSED,
                          LVIS_FOCUSED);
}

void CMsgListView::RemoveRow(int nRow, CMsgBoxBase* pDest, BOOL bBatch) {
    CMessageBase* pMessage = GetMessageAt(nRow);
    if (pMessage == nullptr)
        return;
    m_bRemovingRow = TRUE;
    if (pDest != nullptr) {
        pMessage->MoveToBox(pDest);
    } else if (CMsgBoxBase* pBox = pMessage->GetBox()) {
        List().SetItemData(nRow, 0);
        pBox->RemoveMessage(pMessage, TRUE);
    }
    m_bRemovingRow = FALSE;
    m_removedRows.Add(nRow);
    if (bBatch)
        return;
    List().SetRedraw(FALSE);
    m_bAutoUpdate = FALSE;
    DeleteCollectedRows();
    m_bAutoUpdate = TRUE;
    List().SetRedraw(TRUE);
    SyncFocusedRow();
}

CMsgBoxBase* CMsgListView::GetRecycleDestination() const {
    CMsgBoxBase* pBox = GetBox();
    if (pBox == nullptr || pBox->IsInBoxOfType(CMsgBoxBase::BOX_RECYCLE))
        return nullptr;
    CMsgBoxBase* pRoot = RootBoxOf(pBox);
    return pRoot != nullptr ? pRoot->FindSubBoxByType(CMsgBoxBase::BOX_RECYCLE) : nullptr;
}

void CMsgListView::RemoveSelected(BOOL bPermanent, CMsgBoxBase* pDest) {
    if (GetBox() == nullptr && pDest == nullptr && !bPermanent)
        return;
    CListCtrl& list = List();
    list.SetRedraw(FALSE);
    if (pDest == nullptr && !bPermanent)
        pDest = GetRecycleDestination();
    POSITION pos = list.GetFirstSelectedItemPosition();
    while (pos != nullptr) {
        const int nRow = list.GetNextSelectedItem(pos);
        RemoveRow(nRow, pDest, TRUE);
        list.SetItemData(nRow, 0);
    }
    m_bAutoUpdate = FALSE;
    DeleteCollectedRows();
    m_bAutoUpdate = TRUE;
    MarkModified();
    SyncFocusedRow();
    list.SetRedraw(TRUE);
}

void CMsgListView::OnDeletePermanent() {
    if (List().GetSelectedCount() == 0)
        return;
    CString text;
    text.LoadString(IDS_ASK_DELETE);
    if (AfxMessageBox(text, MB_YESNO | MB_ICONQUESTION) == IDYES)
        RemoveSelected(TRUE, nullptr);
}

void CMsgListView::OnDelete() {
    CMsgBoxBase* pBox = GetBox();
    if (List().GetSelectedCount() == 0 || pBox == nullptr ||
        pBox->IsInBoxOfType(CMsgBoxBase::BOX_RECYCLE))
        return;
    // Without a recycle box to move into, the messages would be gone: ask as for good.
    if (GetRecycleDestination() == nullptr) {
        CString text;
        text.LoadString(IDS_ASK_DELETE);
        if (AfxMessageBox(text, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
    }
    RemoveSelected(FALSE, nullptr);
}

void CMsgListView::OnUpdateDeletePermanent(CCmdUI* pCmdUI) {
    pCmdUI->Enable(List().GetSelectedCount() > 0);
}

void CMsgListView::OnUpdateDelete(CCmdUI* pCmdUI) {
    CMsgBoxBase* pBox = GetBox();
    pCmdUI->Enable(List().GetSelectedCount() > 0 && pBox != nullptr &&
                   !pBox->IsInBoxOfType(CMsgBoxBase::BOX_RECYCLE));
}

// ---- Drag and drop -----------------------------------------------------------------------------

BOOL CMsgListView::DropInList(int nDragged, int nKeyFlags, BOOL bTest, BOOL bNoRefresh) {
    CMsgBoxBase* pBox = GetBox();
    const BOOL bOk = (nKeyFlags & DRAG_KEY_CTRL) != 0 && pBox != nullptr &&
                     pBox->IsInBoxOfType(CMsgBoxBase::BOX_OUTBOX);
    if (!bOk || bTest)
        return bOk;
    CMessageBase* pMessage = GetMessageAt(nDragged);
    if (pMessage == nullptr)
        return FALSE;
    CContent* pCopy = nullptr;
    if (CMsgAccountBase* pAccount = pBox->GetOwner())
        pCopy = pAccount->CreateMessageCopy(pMessage);
    else if ((pCopy = pMessage->Clone()) != nullptr)
        if (CIMessage* pSide = CIMessage::FromContent(pCopy))
            pSide->SetMessageTime(CTime::GetCurrentTime());
    if (pCopy == nullptr)
        return FALSE;
    if (!pBox->AddMessage(pCopy)) {
        delete pCopy;
        return FALSE;
    }
    if (!bNoRefresh) {
        if (CDocument* pDoc = GetDocument())
            pDoc->UpdateAllViews(nullptr);
        MarkModified();
        if (CWnd* pTarget = GetNotifyTarget())
            pTarget->Invalidate();
    }
    return TRUE;
}

LRESULT CMsgListView::DropOnOwner(int nDragged, CPoint ptScreen, int nKeyFlags, BOOL bTest,
                                  BOOL bBatch) {
    CWnd* pTarget = GetNotifyTarget();
    if (pTarget == nullptr || GetMessageAt(nDragged) == nullptr)
        return 0;
    CPoint pt = ptScreen;
    pTarget->ScreenToClient(&pt);
    CRect client;
    pTarget->GetClientRect(&client);
    if (!client.PtInRect(pt))
        return 0;
    MSGDROPQUERY q;
    q.pt = pt;
    q.keyFlags = nKeyFlags;
    q.bTest = bTest;
    q.bHasNext = bBatch;
    q.nRow = nDragged;
    q.nKind = MSGDROP_KIND_MESSAGES;
    q.pSourceList = this;
    const LRESULT lResult = pTarget->SendMessage(WM_MSGLIST_DROP, 0, (LPARAM)&q);
    if (lResult != 0 && !bTest && !bBatch)
        MarkModified();
    return lResult;
}

BOOL DropMessageOnBox(MSGDROPQUERY& query, CMsgBoxBase* pBox) {
    CMsgListView* pList = query.pSourceList;
    if (pList == nullptr || pBox == nullptr || (query.keyFlags & DRAG_KEY_CTRL) != 0)
        return FALSE;
    CMessageBase* pMessage = pList->GetMessageAt(query.nRow);
    if (pMessage == nullptr || !pBox->CanAcceptMessage(pMessage))
        return FALSE;
    if (!query.bTest)
        pList->RemoveRow(query.nRow, pBox, query.bHasNext);
    return TRUE;
}

// ---- Splitter ----------------------------------------------------------------------------------

void CMsgSplitterWnd::SetCaption(const CString& strCaption) {
    m_strCaption = strCaption;
    if (GetSafeHwnd() != nullptr) {
        RecalcLayout();
        Invalidate();
    }
}

void CMsgSplitterWnd::OnDrawSplitter(CDC* pDC, ESplitType nType, const CRect& rect) {
    CSplitterWndEx::OnDrawSplitter(pDC, nType, rect);
    // The bar between the rows is wider than high.
    if (pDC == nullptr || nType != splitBar || m_strCaption.IsEmpty() ||
        rect.Width() <= rect.Height())
        return;
    CFont* pOld = pDC->SelectObject(CFont::FromHandle((HFONT)::GetStockObject(DEFAULT_GUI_FONT)));
    const COLORREF crOld = pDC->SetTextColor(RGB(0, 0, 0));
    const int nOldMode = pDC->SetBkMode(TRANSPARENT);
    CRect rcText = rect;
    rcText.DeflateRect(4, 0);
    pDC->DrawText(m_strCaption, &rcText,
                  DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);
    pDC->SetBkMode(nOldMode);
    pDC->SetTextColor(crOld);
    if (pOld != nullptr)
        pDC->SelectObject(pOld);
}

// ---- Split view ----------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CMsgSplitView, CView)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_SETFOCUS()
END_MESSAGE_MAP()

CMsgSplitView::CMsgSplitView() = default;

CMsgSplitView::~CMsgSplitView() {
    delete m_pSplitter;
}

CMsgSplitterWnd* CMsgSplitView::CreateSplitterObject() {
    return new CMsgSplitterWnd;
}

int CMsgSplitView::OnCreate(LPCREATESTRUCT lpcs) {
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    if (m_pListClass == nullptr || m_pContentClass == nullptr)
        return -1;
    m_pSplitter = CreateSplitterObject();
    if (!m_pSplitter->CreateStatic(this, 2, 1, WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST))
        return -1;
    CCreateContext context;
    context.m_pCurrentDoc = GetDocument();
    context.m_pLastView = this;
    context.m_pCurrentFrame = GetParentFrame();
    m_pSplitter->CreateView(0, 0, m_pListClass, CSize(150, 0), &context);
    m_pSplitter->CreateView(1, 0, m_pContentClass, CSize(0, 20), &context);
    m_pListPane = dynamic_cast<CMsgListView*>(m_pSplitter->GetPane(0, 0));
    m_pContentPane = dynamic_cast<CView*>(m_pSplitter->GetPane(1, 0));
    m_pSplitter->RecalcLayout();
    return 0;
}

void CMsgSplitView::OnSize(UINT nType, int cx, int cy) {
    CView::OnSize(nType, cx, cy);
    if (m_pSplitter == nullptr || m_pSplitter->GetSafeHwnd() == nullptr)
        return;
    // The splitter's border lies just outside the view.
    m_pSplitter->MoveWindow(-1, -1, cx + 2, cy + 2);
    if (cy != m_cyLast) {
        // A quarter for the content; the bar takes its height from the upper row, so that the
        // content keeps its quarter.
        const int nLower = std::max(cy / 4, 20);
        m_pSplitter->SetRowInfo(0, std::max(cy + 2 - m_pSplitter->GetRowOverhead() - nLower, 0),
                                0);
        m_pSplitter->SetRowInfo(1, nLower, 0);
        m_pSplitter->RecalcLayout();
    }
    m_cxLast = cx;
    m_cyLast = cy;
}

void CMsgSplitView::OnSetFocus(CWnd* pOldWnd) {
    CView::OnSetFocus(pOldWnd);
    if (pOldWnd != nullptr && pOldWnd != this && ::IsWindow(pOldWnd->GetSafeHwnd()))
        pOldWnd->SetFocus();
}

void CMsgSplitView::OnDraw(CDC*) {}

void CMsgSplitView::OnInitialUpdate() {
    if (m_pListPane != nullptr)
        m_pListPane->OnInitialUpdate();
    if (m_pContentPane != nullptr)
        m_pContentPane->OnInitialUpdate();
}

void CMsgSplitView::OnUpdate(CView*, LPARAM, CObject*) {}

BOOL CMsgSplitView::OnCmdMsg(UINT nID, int nCode, void* pExtra,
                             AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (m_pSplitter == nullptr || m_pSplitter->GetSafeHwnd() == nullptr)
        return FALSE;
    CWnd* pActive = m_pSplitter->GetActivePane();
    if (pActive == nullptr)
        pActive = m_pListPane;
    return pActive != nullptr && pActive->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CMsgSplitView::SetPaneOwner(CWnd* pOwner) {
    if (m_pListPane != nullptr)
        m_pListPane->SetOwner(pOwner);
    if (m_pContentPane != nullptr)
        m_pContentPane->SetOwner(pOwner);
}

void CMsgSplitView::SetNotifyWnd(CWnd* pWnd) {
    if (pWnd == nullptr)
        return;
    SetOwner(pWnd);
    SetPaneOwner(pWnd);
}

CDocument* CMsgSplitView::SetDocument(CDocument* pDoc) {
    // The view and both panes show one document; each leaves the old one's list for the new.
    CDocument* pOld = GetDocument();
    if (pOld == pDoc)
        return pOld;
    MoveViewToDocument(this, pDoc);
    MoveViewToDocument(m_pListPane, pDoc);
    MoveViewToDocument(m_pContentPane, pDoc);
    return pOld;
}

BOOL CMsgSplitView::TakeDocument(CDocument* pDoc) {
    if (pDoc != nullptr)
        SetDocument(pDoc);
    return TRUE;
}
