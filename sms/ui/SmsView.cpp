#include "sms/ui/SmsView.h"

#include "core/MsgAccountBase.h"
#include "core/QuillmarBaseDoc.h"
#include "platform/gui/Frame.h"
#include "platform/gui/HeaderCtrl.h"
#include "platform/gui/Menu.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/WinApp.h"
#include "sms/Sms.h"
#include "sms/SmsBox.h"
#include "contacts/SmsDoc.h"
#include "links/CommDevice.h"
#include "sms/Sender.h"
#include "sms/ui/ComposeHost.h"
#include "sms/ui/EditSmsForm.h"
#include "sms/ui/SmsBoxFiles.h"

#include <algorithm>
#include <memory>
#include <vector>

IMPLEMENT_DYNCREATE(CSmsView, CMsgListView)
IMPLEMENT_DYNCREATE(CViewSmsContent, CRichEditView)
IMPLEMENT_DYNCREATE(CSplitterView, CMsgSplitView)

namespace {

CISmsListHost* g_pListHost = nullptr;

// Title string, width and format of each column.
struct SColumn {
    UINT nTitle;
    int cx;
    int nFormat;
};
const SColumn kColumns[CSmsView::ColumnCount] = {
    {225, 30, LVCFMT_LEFT},  {226, 90, LVCFMT_LEFT},  {227, 100, LVCFMT_LEFT},
    {228, 70, LVCFMT_LEFT},  {229, 45, LVCFMT_LEFT},  {230, 320, LVCFMT_LEFT},
    {231, 126, LVCFMT_LEFT}, {232, 55, LVCFMT_RIGHT},
};

// The bold font of unread rows, made once and kept while the program runs.
CFont* BoldFont(CListCtrl& list) {
    static CFont* s_pFont = nullptr;
    if (s_pFont == nullptr) {
        LOGFONT lf{};
        if (CFont* pFont = list.GetFont())
            pFont->GetLogFont(&lf);
        else if (auto* pGui = CFont::FromHandle((HFONT)::GetStockObject(DEFAULT_GUI_FONT)))
            pGui->GetLogFont(&lf);
        lf.lfWeight = 700;
        s_pFont = new CFont;
        s_pFont->CreateFontIndirect(&lf);
    }
    return s_pFont;
}

CString LoadText(UINT nId) {
    CString text;
    text.LoadString(nId);
    return text;
}

_CSms* AsSms(CMessageBase* pMessage) {
    return dynamic_cast<_CSms*>(pMessage);
}

} // namespace

void SetSmsListHost(CISmsListHost* pHost) {
    g_pListHost = pHost;
}

CISmsListHost* GetSmsListHost() {
    return g_pListHost;
}

BEGIN_MESSAGE_MAP(CSmsView, CMsgListView)
ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, &CSmsView::OnCustomDraw)
ON_NOTIFY_REFLECT(NM_CLICK, &CSmsView::OnClick)
ON_WM_LBUTTONDOWN()
ON_WM_CONTEXTMENU()
ON_WM_DESTROY()
ON_MESSAGE(CEditSmsForm::WM_WRITING_ENDED, &CSmsView::OnWritingEnded)
ON_COMMAND(CSmsView::ID_EDIT_SMS, &CSmsView::OnCommandEdit)
ON_UPDATE_COMMAND_UI(CSmsView::ID_EDIT_SMS, &CSmsView::OnUpdateEdit)
ON_COMMAND(CSmsView::ID_SEND_SMS, &CSmsView::OnCommandSend)
ON_UPDATE_COMMAND_UI(CSmsView::ID_SEND_SMS, &CSmsView::OnUpdateSend)
ON_COMMAND(CSmsView::ID_RESTORE, &CSmsView::OnCommandRestore)
ON_UPDATE_COMMAND_UI(CSmsView::ID_RESTORE, &CSmsView::OnUpdateRestore)
ON_COMMAND(CSmsView::ID_REPLY, &CSmsView::OnCommandReply)
ON_UPDATE_COMMAND_UI(CSmsView::ID_REPLY, &CSmsView::OnUpdateReply)
ON_COMMAND(CSmsView::ID_RESEND, &CSmsView::OnCommandResend)
ON_UPDATE_COMMAND_UI(CSmsView::ID_RESEND, &CSmsView::OnUpdateResend)
ON_COMMAND(CSmsView::ID_FORWARD, &CSmsView::OnCommandForward)
ON_UPDATE_COMMAND_UI(CSmsView::ID_FORWARD, &CSmsView::OnUpdateForward)
ON_COMMAND(CSmsView::ID_NUMBER_INFO, &CSmsView::OnCommandNumberInfo)
ON_UPDATE_COMMAND_UI(CSmsView::ID_NUMBER_INFO, &CSmsView::OnUpdateNumberInfo)
ON_COMMAND(CSmsView::ID_EXPORT_CARDS, &CSmsView::OnCommandExport)
ON_UPDATE_COMMAND_UI(CSmsView::ID_EXPORT_CARDS, &CSmsView::OnUpdateExport)
ON_COMMAND(CSmsView::ID_COPY, &CSmsView::OnCommandCopy)
ON_COMMAND(CSmsView::ID_CUT, &CSmsView::OnCommandCut)
ON_UPDATE_COMMAND_UI(CSmsView::ID_COPY, &CSmsView::OnUpdateCopyCut)
ON_UPDATE_COMMAND_UI(CSmsView::ID_CUT, &CSmsView::OnUpdateCopyCut)
ON_COMMAND(CSmsView::ID_PASTE, &CSmsView::OnCommandPaste)
ON_UPDATE_COMMAND_UI(CSmsView::ID_PASTE, &CSmsView::OnUpdatePaste)
ON_COMMAND_RANGE(CSmsView::ID_SORT_NONE, CSmsView::ID_SORT_DESCENDING, &CSmsView::OnSortCommand)
ON_UPDATE_COMMAND_UI_RANGE(CSmsView::ID_SORT_NONE, CSmsView::ID_SORT_DESCENDING,
                           &CSmsView::OnUpdateSortCommand)
ON_COMMAND_RANGE(CBkManager::IdChooseBkColor, CBkManager::IdDefaultTextColor,
                 &CSmsView::OnBkCommand)
ON_UPDATE_COMMAND_UI_RANGE(CBkManager::IdChooseBkColor, CBkManager::IdDefaultTextColor,
                           &CSmsView::OnUpdateBkCommand)
ON_COMMAND(CSmsView::ID_GRID_LINES, &CSmsView::OnGridLines)
ON_UPDATE_COMMAND_UI(CSmsView::ID_GRID_LINES, &CSmsView::OnUpdateGridLines)
END_MESSAGE_MAP()

CSmsView::CSmsView() = default;
CSmsView::~CSmsView() = default;

BOOL CSmsView::PreCreateWindow(CREATESTRUCT& cs) {
    cs.style |= LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS | LVS_REPORT;
    return CMsgListView::PreCreateWindow(cs);
}

int CSmsView::GetFlagMask(int) const {
    return 0;
}

int CSmsView::GetStateImageIndex(int nState) {
    switch (nState) {
    case _CSms::STATE_DRAFT:
        return 3;
    case _CSms::STATE_PENDING:
        return 2;
    case _CSms::STATE_SENT:
        return 4;
    case _CSms::STATE_READ:
        return 0;
    case _CSms::STATE_UNREAD:
        return 1;
    default:
        return -1;
    }
}

// ---- Set-up ------------------------------------------------------------------------------------

void CSmsView::OnInitialUpdate() {
    if (m_bInitialized)
        return;
    m_bInitialized = TRUE;
    CMsgListView::OnInitialUpdate();
    CListCtrl& list = List();
    if (m_imgState.Create(16, 14, ILC_COLOR32 | ILC_MASK, 6, 3)) {
        CBitmap bmp;
        if (bmp.LoadBitmap(IDB_STATE_IMAGES))
            m_imgState.Add(&bmp, RGB(255, 0, 255));
        HICON hIcon = AfxGetApp() != nullptr ? AfxGetApp()->LoadIcon(IDI_RECYCLE_OVERLAY)
                                             : ::LoadIcon(nullptr, MAKEINTRESOURCE(IDI_RECYCLE_OVERLAY));
        if (hIcon != nullptr) {
            const int nIcon = m_imgState.Add(hIcon);
            if (nIcon >= 0)
                m_imgState.SetOverlayImage(nIcon, 1);
        }
    }
    if (m_imgSortArrow.Create(14, 14, ILC_COLOR8 | ILC_MASK, 10, 10)) {
        CBitmap bmp;
        if (bmp.LoadBitmap(IDB_SORT_ARROWS))
            m_imgSortArrow.Add(&bmp, RGB(255, 0, 255));
    }
    list.SetImageList(&m_imgState, LVSIL_SMALL);

    CString strSection = "Bkground\\ViewSms";
    CString strImage = "Images\\background13.gif";
    if (CDocument* pDoc = GetDocument()) {
        if (dynamic_cast<CSmsDoc*>(pDoc) != nullptr) {
            strSection = "Bkground\\ViewContactSms";
            strImage = "Images\\background9.gif";
        } else {
            strSection = "Bkground\\ViewSenderSms";
        }
    }
    for (int i = 0; i < ColumnCount; ++i)
        list.InsertColumn(i, LoadText(kColumns[i].nTitle), kColumns[i].nFormat, kColumns[i].cx,
                          i);
    list.ModifyStyle(LVS_TYPEMASK, LVS_REPORT);
    const DWORD ex = LVS_EX_GRIDLINES | LVS_EX_SUBITEMIMAGES | LVS_EX_FULLROWSELECT |
                     LVS_EX_LABELTIP;
    list.SetExtendedStyleMasked(ex, ex);
    if (CHeaderCtrl* pHeader = list.GetHeaderCtrl())
        pHeader->SetImageList(&m_imgSortArrow);
    m_bkManager.SetWindow(&list, 2);
    m_bkManager.AttachList(&list, strSection, strImage);
}

void CSmsView::OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) {
    if (bActivate && !m_bHeaderStyled && GetSafeHwnd() != nullptr) {
        m_bHeaderStyled = TRUE;
        if (CHeaderCtrl* pHeader = List().GetHeaderCtrl())
            pHeader->ModifyStyle(0x80, HDS_HOTTRACK | HDS_DRAGDROP);
    }
    CMsgListView::OnActivateView(bActivate, pActivateView, pDeactiveView);
}

void CSmsView::OnDestroy() {
    if (m_bInitialized)
        m_bkManager.SaveToProfile();
    CMsgListView::OnDestroy();
}

// ---- Rows --------------------------------------------------------------------------------------

int CSmsView::InsertSmsRow(_CSms* pSms, int nRow) {
    CListCtrl& list = List();
    if (nRow < 0 || nRow > list.GetItemCount())
        nRow = list.GetItemCount();
    CMsgBoxBase* pBox = GetBox();
    const BOOL bRecycle = pBox != nullptr && pBox->IsInBoxOfType(CMsgBoxBase::BOX_RECYCLE);
    const int nImage = pSms != nullptr ? GetStateImageIndex(pSms->GetState()) : -1;
    const int nInserted =
        list.InsertItem(LVIF_PARAM | LVIF_IMAGE | LVIF_STATE, nRow, nullptr,
                        bRecycle ? INDEXTOOVERLAYMASK(1) : 0, LVIS_OVERLAYMASK, nImage,
                        (LPARAM) static_cast<CMessageBase*>(pSms));
    if (nInserted < 0)
        return -1;
    if (pSms != nullptr)
        pSms->SetKey(nInserted);
    UpdateRow(nInserted, pSms);
    return nInserted;
}

void CSmsView::UpdateRow(int nRow, CMessageBase* pMessage) {
    if (pMessage == nullptr)
        pMessage = GetMessageAt(nRow);
    _CSms* pSms = AsSms(pMessage);
    if (pSms == nullptr)
        return;
    CListCtrl& list = List();
    LVITEM item{};
    item.mask = LVIF_IMAGE;
    item.iItem = nRow;
    item.iImage = GetStateImageIndex(pSms->GetState());
    list.SetItem(&item);
    CString texts[ColumnCount];
    texts[1] = pSms->GetSenderText();
    texts[2] = pSms->GetRecipientsText();
    texts[3] = _CSms::GetKindText(pSms->m_nKind);
    texts[4] = LoadText(pSms->m_bBatch ? 223 : 224);
    texts[5] = pSms->m_strSubject.IsEmpty() ? pSms->m_strContent : pSms->m_strSubject;
    texts[6] = pSms->GetTimeText();
    texts[7].Format("%d", pSms->m_strContent.GetLength());
    // One line per cell: a name and its number stored on two lines show side by side.
    for (int i = 1; i < ColumnCount; ++i) {
        texts[i].Replace("\r\n", " ");
        texts[i].Replace("\n", " ");
        list.SetItemText(nRow, i, texts[i]);
    }
}

void CSmsView::OnUpdate(CView* pSender, LPARAM, CObject*) {
    if (pSender == this || GetSafeHwnd() == nullptr)
        return;
    if (!m_bInitialized)
        OnInitialUpdate();
    CListCtrl& list = List();
    auto* pBox = dynamic_cast<_CSmsBox*>(GetBox());
    if (pBox == nullptr) {
        // No box: no rows that could outlive their messages.
        m_bAutoUpdate = FALSE;
        list.DeleteAllItems();
        m_bAutoUpdate = TRUE;
        m_nCurRow = -1;
        return;
    }
    list.SetRedraw(FALSE);
    m_bAutoUpdate = FALSE;
    list.DeleteAllItems();
    m_nCurRow = -1;
    for (POSITION pos = pBox->GetFirstSmsPosition(); pos != nullptr;)
        InsertSmsRow(pBox->GetNextSms(pos), -1);
    SetSelectionFlag(list.GetSelectedCount() > 0);
    if (m_nSortColumn >= 0)
        SortItems(m_nSortColumn, m_bSortAscending);
    const int nRemembered = GetRememberedRow(pBox);
    if (nRemembered >= 0 && nRemembered < list.GetItemCount()) {
        list.SetItemState(nRemembered, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
        list.EnsureVisible(nRemembered, FALSE);
    } else {
        SetRememberedRow(pBox, -1);
    }
    m_bAutoUpdate = TRUE;
    list.SetRedraw(TRUE);
}

// ---- Sorting -----------------------------------------------------------------------------------

void CSmsView::SetColumnTitle(int nColumn, BOOL bSorted) {
    if (nColumn < 0 || nColumn >= ColumnCount)
        return;
    CString title = LoadText(kColumns[nColumn].nTitle);
    if (bSorted)
        title += "  ";
    LVCOLUMN column{};
    column.mask = LVCF_TEXT;
    column.pszText = const_cast<LPTSTR>(title.GetString());
    List().SetColumn(nColumn, &column);
}

void CSmsView::SortByColumn(int nColumn) {
    if (nColumn < 0 || nColumn >= ColumnCount)
        return;
    const BOOL bAscending = nColumn == m_nSortColumn && !m_bSortAscending;
    SetSort(nColumn, bAscending);
}

void CSmsView::SetSort(int nColumn, BOOL bAscending) {
    if (m_nSortColumn >= 0)
        SetColumnTitle(m_nSortColumn, FALSE);
    m_nSortColumn = nColumn >= 0 && nColumn < ColumnCount ? nColumn : -1;
    m_bSortAscending = m_nSortColumn >= 0 && bAscending;
    if (m_nSortColumn >= 0)
        SetColumnTitle(m_nSortColumn, TRUE);
    // Without a column the rows go back to the order they were inserted in.
    SortItems(m_nSortColumn, m_nSortColumn >= 0 ? m_bSortAscending : TRUE);
    if (CHeaderCtrl* pHeader = List().GetHeaderCtrl())
        pHeader->Invalidate();
    // The focused row moved with its message.
    m_nCurRow = List().GetNextItem(-1, LVNI_FOCUSED);
}

void CSmsView::OnSortCommand(UINT nID) {
    if (nID == ID_SORT_NONE)
        SetSort(-1, FALSE);
    else if (m_nSortColumn >= 0)
        SetSort(m_nSortColumn, nID == ID_SORT_ASCENDING);
}

void CSmsView::OnUpdateSortCommand(CCmdUI* pCmdUI) {
    if (pCmdUI->m_nID == ID_SORT_NONE) {
        pCmdUI->Enable(TRUE);
        pCmdUI->SetCheck(m_nSortColumn < 0);
        return;
    }
    pCmdUI->Enable(m_nSortColumn >= 0);
    pCmdUI->SetCheck(m_nSortColumn >= 0 &&
                     (pCmdUI->m_nID == ID_SORT_ASCENDING) == (m_bSortAscending != FALSE));
}

BOOL CSmsView::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    auto* pHdr = reinterpret_cast<NMHDR*>(lParam);
    CHeaderCtrl* pHeader = GetSafeHwnd() != nullptr ? List().GetHeaderCtrl() : nullptr;
    if (pHdr != nullptr && pHeader != nullptr && pHdr->hwndFrom == pHeader->GetSafeHwnd()) {
        switch (pHdr->code) {
        case HDN_ITEMCLICK:
            SortByColumn(reinterpret_cast<NMHEADER*>(lParam)->iItem);
            *pResult = 0;
            return TRUE;
        case HDN_BEGINDRAG:
            // The header moves the columns itself.
            *pResult = 0;
            return TRUE;
        case NM_CUSTOMDRAW:
            OnHeaderCustomDraw(pHdr, pResult);
            return TRUE;
        default:
            break;
        }
    }
    return CMsgListView::OnNotify(wParam, lParam, pResult);
}

void CSmsView::OnHeaderCustomDraw(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* cd = reinterpret_cast<NMCUSTOMDRAW*>(pNMHDR);
    *pResult = CDRF_DODEFAULT;
    if (cd->dwDrawStage == CDDS_PREPAINT) {
        *pResult = CDRF_NOTIFYITEMDRAW;
        return;
    }
    if (cd->dwDrawStage == CDDS_ITEMPREPAINT) {
        *pResult = CDRF_NOTIFYPOSTPAINT;
        return;
    }
    if (cd->dwDrawStage != CDDS_ITEMPOSTPAINT || (int)cd->dwItemSpec != m_nSortColumn ||
        m_imgSortArrow.GetSafeHandle() == nullptr)
        return;
    CDC* pDC = CDC::FromHandle(cd->hdc);
    if (pDC == nullptr)
        return;
    CRect rc = cd->rc;
    const int nShift = (cd->uItemState & CDIS_SELECTED) ? 1 : 0;
    CPoint pt(rc.right - 4 - m_sizeArrow.cx + nShift,
              rc.top + (rc.Height() - m_sizeArrow.cy) / 2 + nShift);
    m_imgSortArrow.Draw(pDC, m_bSortAscending ? 1 : 0, pt, ILD_TRANSPARENT);
}

// ---- Drawing and clicks ------------------------------------------------------------------------

void CSmsView::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(pNMHDR);
    *pResult = CDRF_DODEFAULT;
    if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) {
        *pResult = CDRF_NOTIFYITEMDRAW;
        return;
    }
    if (cd->nmcd.dwDrawStage != CDDS_ITEMPREPAINT)
        return;
    _CSms* pSms = AsSms(reinterpret_cast<CMessageBase*>(cd->nmcd.lItemlParam));
    if (pSms == nullptr || pSms->GetState() != _CSms::STATE_UNREAD)
        return;
    cd->clrText = RGB(0, 0, 255);
    if (CDC* pDC = CDC::FromHandle(cd->nmcd.hdc))
        pDC->SelectObject(BoldFont(List()));
    *pResult = CDRF_NEWFONT;
}

void CSmsView::OnClick(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
}

BOOL CSmsView::ToggleReadState(int nRow) {
    _CSms* pSms = AsSms(GetMessageAt(nRow));
    if (pSms == nullptr || (pSms->GetState() != _CSms::STATE_READ &&
                            pSms->GetState() != _CSms::STATE_UNREAD))
        return FALSE;
    pSms->SetRead(!pSms->IsRead());
    UpdateRow(nRow, pSms);
    RedrawRow(nRow);
    UpdateDocViews();
    if (CWnd* pParent = GetParent())
        pParent->Invalidate();
    MarkModified();
    OnAfterUpdate();
    return TRUE;
}

void CSmsView::OnLButtonDown(UINT nFlags, CPoint point) {
    LVHITTESTINFO hit{};
    hit.pt = point;
    List().SubItemHitTest(&hit);
    if (hit.iItem < 0)
        StopReadTimer();
    else if (hit.iSubItem == 0 && hit.iItem == List().GetNextItem(-1, LVNI_FOCUSED))
        ToggleReadState(hit.iItem);
    CMsgListView::OnLButtonDown(nFlags, point);
}

void CSmsView::OnContextMenu(CWnd*, CPoint point) {
    CMenu menu;
    if (!menu.LoadMenu(IDR_CONTEXT_MENU))
        return;
    CMenu* pPopup = menu.GetSubMenu(0);
    if (pPopup == nullptr)
        return;
    if (point.x == -1 && point.y == -1) {
        CRect rc;
        GetClientRect(&rc);
        point = rc.CenterPoint();
        ClientToScreen(&point);
    }
    CWnd* pFrame = GetTopLevelFrame();
    pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y,
                           pFrame != nullptr ? pFrame : this);
}

// ---- Background and grid -----------------------------------------------------------------------

void CSmsView::OnBkCommand(UINT nID) {
    m_bkManager.OnCommand(nID);
}

void CSmsView::OnUpdateBkCommand(CCmdUI* pCmdUI) {
    m_bkManager.OnUpdateCommand(pCmdUI);
}

void CSmsView::OnGridLines() {
    const DWORD ex = List().GetExtendedStyle();
    List().SetExtendedStyleMasked(LVS_EX_GRIDLINES, ex & LVS_EX_GRIDLINES ? 0 : LVS_EX_GRIDLINES);
}

void CSmsView::OnUpdateGridLines(CCmdUI* pCmdUI) {
    pCmdUI->Enable(TRUE);
    pCmdUI->SetCheck((List().GetExtendedStyle() & LVS_EX_GRIDLINES) != 0);
}

// ---- Commands ----------------------------------------------------------------------------------

namespace {
BOOL NotRecycle(CMsgBoxBase* pBox) {
    return pBox != nullptr && !pBox->IsInBoxOfType(CMsgBoxBase::BOX_RECYCLE);
}
} // namespace

void CSmsView::OpenOutgoing(CMessageBase*) {
    SendMessage(WM_COMMAND, ID_EDIT_SMS, 0);
}

void CSmsView::OpenSent(CMessageBase*) {
    SendMessage(WM_COMMAND, ID_RESEND, 0);
}

void CSmsView::OnCommandEdit() {
    if (!CanEditCurrent())
        return;
    if (CISmsListHost* pHost = GetSmsListHost())
        pHost->EditCurrentSms(GetDocument(), this);
}

void CSmsView::OnUpdateEdit(CCmdUI* pCmdUI) {
    pCmdUI->Enable(CanEditCurrent());
}

void CSmsView::OnCommandSend() {
    SendSelected();
}

void CSmsView::OnUpdateSend(CCmdUI* pCmdUI) {
    CMsgBoxBase* pBox = GetBox();
    CMsgAccountBase* pAccount = GetDocumentAccount();
    if (pAccount == nullptr && GetSmsListHost() != nullptr)
        pAccount = GetSmsListHost()->GetCurrentSender();
    pCmdUI->Enable(List().GetSelectedCount() > 0 && pBox != nullptr &&
                   pBox->GetTopLevelType() != CMsgBoxBase::BOX_RECYCLE && pAccount != nullptr &&
                   IsAnySelectedOfHomeType(CMsgBoxBase::BOX_OUTBOX));
}

void CSmsView::OnCommandRestore() {
    RestoreSelected();
}

void CSmsView::OnUpdateRestore(CCmdUI* pCmdUI) {
    CMsgBoxBase* pBox = GetBox();
    pCmdUI->Enable(pBox != nullptr && pBox->IsInBoxOfType(CMsgBoxBase::BOX_RECYCLE) &&
                   List().GetSelectedCount() > 0);
}

void CSmsView::OnCommandReply() {
    ReplySelected();
}

void CSmsView::OnUpdateReply(CCmdUI* pCmdUI) {
    pCmdUI->Enable(NotRecycle(GetBox()) && List().GetSelectedCount() > 0 &&
                   IsAnySelectedOfHomeType(CMsgBoxBase::BOX_INBOX));
}

void CSmsView::OnCommandResend() {
    ResendSelected();
}

void CSmsView::OnUpdateResend(CCmdUI* pCmdUI) {
    pCmdUI->Enable(NotRecycle(GetBox()) && List().GetSelectedCount() == 1 &&
                   IsAnySelectedOfHomeType(CMsgBoxBase::BOX_SENT));
}

void CSmsView::OnCommandForward() {
    ForwardSelected();
}

void CSmsView::OnUpdateForward(CCmdUI* pCmdUI) {
    pCmdUI->Enable(NotRecycle(GetBox()) && List().GetSelectedCount() == 1 &&
                   IsAnySelectedOfHomeType(CMsgBoxBase::BOX_INBOX));
}

void CSmsView::OnCommandNumberInfo() {
    ShowNumberInformation(AsSms(GetCurrentMessage()), this);
}

void CSmsView::OnUpdateNumberInfo(CCmdUI* pCmdUI) {
    pCmdUI->Enable(AsSms(GetCurrentMessage()) != nullptr);
}

void CSmsView::OnCommandExport() {
    if (auto* pBox = dynamic_cast<_CSmsBox*>(GetBox()))
        ExportBoxAsCards(pBox);
}

void CSmsView::OnUpdateExport(CCmdUI* pCmdUI) {
    auto* pBox = dynamic_cast<_CSmsBox*>(GetBox());
    pCmdUI->Enable(pBox != nullptr && pBox->GetSmsCount() > 0);
}

void CSmsView::OnCommandCopy() {
    CopyToClipboard(FALSE);
}

void CSmsView::OnCommandCut() {
    CopyToClipboard(TRUE);
}

void CSmsView::OnUpdateCopyCut(CCmdUI* pCmdUI) {
    CWnd* pFocus = CWnd::GetFocus();
    const BOOL bFocus = pFocus != nullptr && (pFocus == this || pFocus == &List());
    pCmdUI->Enable(bFocus && List().GetSelectedCount() > 0);
}

void CSmsView::OnCommandPaste() {
    // Messages are pasted through the tree; the list takes the command so it goes no further.
}

void CSmsView::OnUpdatePaste(CCmdUI* pCmdUI) {
    CISmsListHost* pHost = GetSmsListHost();
    _CSmsBox* pClip = pHost != nullptr ? pHost->GetClipboardBox() : nullptr;
    pCmdUI->Enable(pClip != nullptr && pClip->GetSmsCount() > 0);
}

void CSmsView::CopyToClipboard(BOOL bCut) {
    CISmsListHost* pHost = GetSmsListHost();
    _CSmsBox* pClip = pHost != nullptr ? pHost->GetClipboardBox() : nullptr;
    if (pClip == nullptr || List().GetSelectedCount() == 0)
        return;
    if (pClip->GetSmsCount() > 0 &&
        AfxMessageBox(LoadText(350), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    pClip->DeleteAllSms();
    if (bCut) {
        RemoveSelected(FALSE, pClip);
        return;
    }
    POSITION pos = List().GetFirstSelectedItemPosition();
    while (pos != nullptr)
        if (_CSms* pSms = AsSms(GetMessageAt(List().GetNextSelectedItem(pos))))
            pClip->AddSms(new _CSms(*pSms));
}

void CSmsView::RestoreSelected() {
    CMsgBoxBase* pBox = GetBox();
    if (pBox == nullptr || !pBox->IsInBoxOfType(CMsgBoxBase::BOX_RECYCLE))
        return;
    // The root box of the account or contact: the standard boxes lie just below it.
    CMsgBoxBase* pRoot = pBox;
    while (auto* pParent = dynamic_cast<CMsgBoxBase*>(pRoot->GetParent()))
        pRoot = pParent;
    BOOL bAny = FALSE;
    POSITION pos = List().GetFirstSelectedItemPosition();
    while (pos != nullptr) {
        const int nRow = List().GetNextSelectedItem(pos);
        CMessageBase* pMessage = GetMessageAt(nRow);
        if (pMessage == nullptr)
            continue;
        CMsgBoxBase* pHome = pRoot->FindSubBoxByType(pMessage->GetStateImage());
        if (pHome == nullptr || pHome == pBox)
            continue;
        RemoveRow(nRow, pHome, TRUE);
        bAny = TRUE;
    }
    if (bAny) {
        List().SetRedraw(FALSE);
        m_bAutoUpdate = FALSE;
        DeleteCollectedRows();
        m_bAutoUpdate = TRUE;
        List().SetRedraw(TRUE);
        MarkModified();
    }
    SyncFocusedRow();
}

// ---- Content pane ------------------------------------------------------------------------------

CViewSmsContent::CViewSmsContent() {
    m_nWordWrap = WrapToWindow;
}

void CViewSmsContent::OnInitialUpdate() {
    if (m_bInitialized)
        return;
    m_bInitialized = TRUE;
    CRichEditView::OnInitialUpdate();
    CRichEditCtrl& edit = GetRichEditCtrl();
    edit.SetReadOnly(TRUE);
    ModifyStyle(WS_HSCROLL | ES_AUTOHSCROLL, WS_VSCROLL | ES_AUTOVSCROLL | ES_MULTILINE);
    ModifyStyleEx(WS_EX_CLIENTEDGE, 0);
    LOGFONT lf{};
    CFont* pFont = GetFont();
    if (pFont == nullptr && AfxGetMainWnd() != nullptr)
        pFont = AfxGetMainWnd()->GetFont();
    if (pFont != nullptr)
        pFont->GetLogFont(&lf);
    else
        lf.lfHeight = 12;
    lf.lfHeight = lf.lfHeight * 3 / 2;
    strncpy(lf.lfFaceName, "Fixedsys", LF_FACESIZE - 1);
    lf.lfFaceName[LF_FACESIZE - 1] = 0;
    if (m_font.CreateFontIndirect(&lf))
        SetFont(&m_font);
}

void CViewSmsContent::OnUpdate(CView*, LPARAM, CObject*) {
    if (GetSafeHwnd() == nullptr)
        return;
    if (!m_bInitialized)
        OnInitialUpdate();
    CRichEditCtrl& edit = GetRichEditCtrl();
    edit.SetWindowText("");
    // The view's own document, not the rich-edit document its base class would name.
    auto* pDoc = dynamic_cast<CQuillmarBaseDoc*>(CView::GetDocument());
    if (pDoc == nullptr)
        return;
    if (auto* pSms = dynamic_cast<_CSms*>(pDoc->GetCurrentMessageObject()))
        edit.SetWindowText(pSms->m_strContent);
}

// ---- Split view --------------------------------------------------------------------------------

CSplitterView::CSplitterView() {
    m_pListClass = RUNTIME_CLASS(CSmsView);
    m_pContentClass = RUNTIME_CLASS(CViewSmsContent);
}

CMsgSplitterWnd* CSplitterView::CreateSplitterObject() {
    auto* pSplitter = new CSmsSplitterWnd;
    // Room on the bar for one line of the caption.
    pSplitter->SetBarWidth(14);
    return pSplitter;
}

CSmsView* CSplitterView::GetSmsList() const {
    return dynamic_cast<CSmsView*>(m_pListPane);
}

CString CSplitterView::MakeCaption(const _CSms* pSms) {
    CString caption;
    if (pSms != nullptr)
        caption.Format("%s -> %s [%s %s]", pSms->GetSenderText().GetString(),
                       pSms->GetRecipientsText().GetString(), pSms->GetStateText().GetString(),
                       pSms->GetTimeText().GetString());
    caption.Replace("\r\n", " ");
    caption.Replace("\n", " ");
    return caption;
}

void CSplitterView::OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) {
    if (pSender == this || m_pSplitter == nullptr)
        return;
    auto* pDoc = dynamic_cast<CQuillmarBaseDoc*>(GetDocument());
    _CSms* pSms = pDoc != nullptr ? dynamic_cast<_CSms*>(pDoc->GetCurrentMessageObject())
                                  : nullptr;
    m_pSplitter->SetCaption(MakeCaption(pSms));
    CMsgSplitView::OnUpdate(pSender, lHint, pHint);
}

// ---- Sending and answering ---------------------------------------------------------------------

void CSmsView::SendSelected() {
    CListCtrl& list = List();
    int nRecipients = 0;
    CArray<int, int> rows;
    POSITION pos = list.GetFirstSelectedItemPosition();
    while (pos != nullptr) {
        const int nRow = list.GetNextSelectedItem(pos);
        _CSms* pSms = AsSms(GetMessageAt(nRow));
        if (pSms != nullptr && pSms->GetStateImage() == CMsgBoxBase::BOX_OUTBOX) {
            rows.Add(nRow);
            nRecipients += pSms->GetRecipientCount();
        }
    }
    if (rows.GetSize() == 0)
        return;
    CMsgAccountBase* pAccount = GetDocumentAccount();
    if (pAccount == nullptr && GetSmsListHost() != nullptr)
        pAccount = GetSmsListHost()->GetCurrentSender();
    auto* pSender = dynamic_cast<_CSender*>(pAccount);
    CISmsComposeHost* pComposeHost = GetSmsComposeHost();
    CCommDevice* pDevice = pComposeHost != nullptr ? pComposeHost->GetCommDevice() : nullptr;
    if (pSender == nullptr || pDevice == nullptr || pDevice->IsSending())
        return;
    pDevice->SetSender(pSender);
    if (!pDevice->BeginSend())
        return;
    pDevice->SetProgressTotal(nRecipients);
    // What becomes of each row: removed (everything went), or rewritten with the first message
    // the device kept and followed by the others it kept.
    struct SOutcome {
        int nRow;
        BOOL bRemove;
        CObList extra;
    };
    std::vector<std::unique_ptr<SOutcome>> outcomes;
    BOOL bSent = FALSE;
    for (INT_PTR i = 0; i < rows.GetSize() && !pDevice->IsStopRequested(); ++i) {
        const int nRow = rows[i];
        _CSms* pSms = AsSms(GetMessageAt(nRow));
        if (pSms == nullptr)
            continue;
        const int nResult = pDevice->SendSms(&pSms);
        pDevice->FileSendResults(nullptr);
        if (nResult != 0 && nResult != 900)
            continue;
        bSent = TRUE;
        auto outcome = std::make_unique<SOutcome>();
        outcome->nRow = nRow;
        outcome->bRemove = pDevice->GetQueuedSmsCount() < 1;
        if (!outcome->bRemove) {
            _CSms* pHead = pDevice->GetQueueHead();
            list.SetItemData(nRow, (DWORD_PTR) static_cast<CMessageBase*>(pHead));
            UpdateRow(nRow, pHead);
            const CObList& queue = pDevice->GetSendQueue();
            for (POSITION q = queue.GetHeadPosition(); q != nullptr;) {
                CObject* pQueued = queue.GetNext(q);
                if (pQueued != pHead)
                    outcome->extra.AddTail(pQueued);
            }
        }
        outcomes.push_back(std::move(outcome));
    }
    list.SetRedraw(FALSE);
    BOOL bRemoved = FALSE;
    for (auto it = outcomes.rbegin(); it != outcomes.rend(); ++it) {
        SOutcome& o = **it;
        if (o.bRemove) {
            m_bAutoUpdate = FALSE;
            list.DeleteItem(o.nRow);
            m_bAutoUpdate = TRUE;
            bRemoved = TRUE;
            continue;
        }
        int nAt = o.nRow + 1;
        for (POSITION q = o.extra.GetHeadPosition(); q != nullptr;) {
            auto* pExtra = dynamic_cast<_CSms*>(o.extra.GetNext(q));
            const int nNew = InsertSmsRow(pExtra, nAt);
            if (nNew >= 0) {
                list.SetItemState(nNew, LVIS_SELECTED, LVIS_SELECTED);
                ++nAt;
            }
        }
    }
    if (bRemoved)
        SyncFocusedRow();
    OnFocusChanged(-1);
    if (bSent)
        MarkModified();
    pDevice->EndSend();
    list.SetRedraw(TRUE);
    list.SetFocus();
}

namespace {
// The compose form the host opened for the list, or null.
CEditSmsForm* OpenForm(CView* pView) {
    CISmsListHost* pHost = GetSmsListHost();
    return pHost != nullptr ? pHost->OpenComposeForm(pView->GetDocument(), pView) : nullptr;
}
} // namespace

LRESULT CSmsView::OnWritingEnded(WPARAM, LPARAM) {
    // The address book lent its tree for picking and put its own item back into the pane when
    // the form ended; the pane belongs to the box this list shows, so its tree shows it again.
    if (CWnd* pTarget = GetNotifyTarget())
        if (pTarget != this && pTarget->GetSafeHwnd() != nullptr)
            pTarget->SendMessage(WM_VIEW_BUSY, 300, 0);
    return 0;
}

void CSmsView::ReplySelected() {
    CStringArray names, codes;
    int nKind = _CSms::KIND_MOBILE;
    POSITION pos = List().GetFirstSelectedItemPosition();
    while (pos != nullptr) {
        _CSms* pSms = AsSms(GetMessageAt(List().GetNextSelectedItem(pos)));
        if (pSms == nullptr || pSms->GetStateImage() != CMsgBoxBase::BOX_INBOX)
            continue;
        names.Add(pSms->m_sender.GetName());
        codes.Add(pSms->m_sender.GetCode());
        nKind = pSms->m_nKind;
    }
    if (names.GetSize() == 0)
        return;
    if (CEditSmsForm* pForm = OpenForm(this))
        pForm->StartAnswer(nullptr, names, codes, nKind, nullptr);
}

void CSmsView::ResendSelected() {
    if (List().GetSelectedCount() != 1)
        return;
    POSITION pos = List().GetFirstSelectedItemPosition();
    _CSms* pSms = AsSms(GetMessageAt(List().GetNextSelectedItem(pos)));
    if (pSms == nullptr)
        return;
    if (CEditSmsForm* pForm = OpenForm(this))
        pForm->StartAnswer(pSms, CStringArray(), CStringArray(), pSms->m_nKind, nullptr);
}

void CSmsView::ForwardSelected() {
    if (List().GetSelectedCount() != 1)
        return;
    POSITION pos = List().GetFirstSelectedItemPosition();
    _CSms* pSms = AsSms(GetMessageAt(List().GetNextSelectedItem(pos)));
    if (pSms == nullptr)
        return;
    if (CEditSmsForm* pForm = OpenForm(this))
        pForm->StartAnswer(nullptr, CStringArray(), CStringArray(), pSms->m_nKind,
                           pSms->m_strContent);
}
