#include "mail/ui/EmailViews.h"

#include "core/QuillmarBaseDoc.h"
#include "mail/EmailBox.h"
#include "mail/EmailMessage.h"
#include "platform/base/Collate.h"
#include "platform/gui/MessageBox.h"
#include "ui/KovMenu.h"
#include "ui/RightPaneView.h"

#include <algorithm>
#include <string>
#include <unordered_map>

IMPLEMENT_DYNCREATE(CEmailListView, CMsgListView)
IMPLEMENT_DYNCREATE(CViewEmailTxtContent, CTxtEditView)
IMPLEMENT_DYNCREATE(CEmailContentFrame, CKovEditFrame)
IMPLEMENT_DYNCREATE(CEmailSplitView, CMsgSplitView)

namespace {

struct ColumnInfo {
    int nField;
    int nWidth;
};
const ColumnInfo kColumns[CEmailListView::ColumnCount] = {
    {0, 30}, {1, 30}, {11, 200}, {4, 20}, {5, 300}, {6, 20}, {7, 118}, {8, 40},
};

const char* const kTitles[] = {"状态", "标签", "发件人", "收件人", "已读",   "主题",
                               "垃圾", "日期", "大小",   "标记",   "优先级", "对方名字"};

// The fonts of every e-mail list: bold, bold italic and plain, made once from the first list's
// font.
CFont g_fontBold;
CFont g_fontBoldItalic;
CFont g_fontPlain;

// The sort a header click asked for, handed to the comparison. Text fields are compared through
// collation keys made once per row, not by collating the texts at every comparison; sizes, which
// look at the attached files, are taken once per row too.
struct SortKey {
    int nField;
    BOOL bAscending;
    std::unordered_map<const CEmailMessage*, std::string> texts;
    std::unordered_map<const CEmailMessage*, ULONGLONG> sizes;
};

bool IsTextField(int nField) {
    return nField == 2 || nField == 3 || nField == 5 || nField == 11;
}

int CompareField(const CEmailMessage* a, const CEmailMessage* b, int nField) {
    switch (nField) {
    case 0:
        return CompareSign(a->GetState(), b->GetState());
    case 1:
        return CompareSign(a->GetImportance(), b->GetImportance());
    case 4:
        return CompareSign(a->GetFlags() & CMessageBase::FLAG_UNREAD,
                           b->GetFlags() & CMessageBase::FLAG_UNREAD);
    case 6:
        return CompareSign(a->GetFlags() & CEmailListView::FLAG_JUNK,
                           b->GetFlags() & CEmailListView::FLAG_JUNK);
    case 7:
        return CompareSign(a->GetTime().GetTime(), b->GetTime().GetTime());
    case 8:
        return CompareSign(a->GetMailSize(), b->GetMailSize());
    case 2:
    case 3:
    case 5:
    case 11:
        return GbkCollate(a->GetText(nField), b->GetText(nField));
    default:
        return 0;
    }
}

int CompareMails(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort) {
    auto* a = dynamic_cast<CEmailMessage*>(reinterpret_cast<CMessageBase*>(lParam1));
    auto* b = dynamic_cast<CEmailMessage*>(reinterpret_cast<CMessageBase*>(lParam2));
    const auto* key = reinterpret_cast<const SortKey*>(lParamSort);
    if (a == nullptr || b == nullptr)
        return CompareSign(a != nullptr, b != nullptr);
    int r = 0;
    if (IsTextField(key->nField) && !key->texts.empty())
        r = CompareSign(key->texts.at(a), key->texts.at(b));
    else if (key->nField == 8 && !key->sizes.empty())
        r = CompareSign(key->sizes.at(a), key->sizes.at(b));
    else if (key->nField >= 0)
        r = CompareField(a, b, key->nField);
    if (r == 0) // equal rows keep the order they were listed in
        return CompareSign(a->GetKey(), b->GetKey());
    return key->bAscending ? r : -r;
}

} // namespace

// ---- CMsgHeaderCtrl ----

void CMsgHeaderCtrl::Bind(CMsgListView* pView, CHeaderCtrl* pHeader, const int* pFields,
                          int nCount) {
    m_pView = pView;
    m_pHeader = pHeader;
    if (pHeader == nullptr)
        return;
    CRect rc;
    pHeader->GetClientRect(&rc);
    m_nImageHeight = std::max(rc.Height(), pHeader->GetPreferredHeight()) - 2;
    if (m_images.GetSafeHandle() == nullptr)
        m_images.Create(IDB_HEADER_IMAGES, 16, 0, RGB(255, 0, 255));
    for (int i = 0; i < nCount && i < pHeader->GetItemCount(); ++i) {
        HDITEM item{};
        item.mask = HDI_LPARAM;
        item.lParam = pFields[i];
        pHeader->SetItem(i, &item);
    }
}

void CMsgHeaderCtrl::OnItemClick(int nColumn) {
    if (m_pHeader == nullptr || nColumn < 0)
        return;
    const int nOld = m_nSortColumn;
    if (nColumn == m_nSortColumn)
        m_bAscending = !m_bAscending;
    else
        m_bAscending = TRUE;
    m_nSortColumn = nColumn;
    if (nOld >= 0 && nOld != nColumn) {
        CRect r;
        if (m_pHeader->GetItemRect(nOld, &r))
            m_pHeader->InvalidateRect(&r);
    }
    m_pHeader->Invalidate();
    if (m_pView != nullptr)
        m_pView->SortItems(m_nSortColumn, m_bAscending);
}

void CMsgHeaderCtrl::OnItemDoubleClick(int nColumn) {
    if (nColumn < 0 || nColumn != m_nSortColumn)
        return;
    m_nSortColumn = -1;
    m_bAscending = TRUE;
    if (m_pHeader != nullptr)
        m_pHeader->Invalidate();
    if (m_pView != nullptr)
        m_pView->SortItems(-1, TRUE);
}

void CMsgHeaderCtrl::OnCustomDraw(NMCUSTOMDRAW* pCD, LRESULT* pResult) {
    *pResult = CDRF_DODEFAULT;
    switch (pCD->dwDrawStage) {
    case CDDS_PREPAINT:
        *pResult = CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
        break;
    case CDDS_ITEMPREPAINT: {
        // Every item is drawn here, in place of the header's own drawing.
        HDITEM item{};
        item.mask = HDI_LPARAM;
        m_pHeader->GetItem((int)pCD->dwItemSpec, &item);
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_HEADER;
        dis.itemID = (UINT)pCD->dwItemSpec;
        dis.itemState = (pCD->uItemState & CDIS_SELECTED) ? ODS_SELECTED : 0;
        dis.hwndItem = m_pHeader->GetSafeHwnd();
        dis.hDC = pCD->hdc;
        dis.rcItem = pCD->rc;
        dis.itemData = (ULONG_PTR)item.lParam;
        DrawItem(&dis);
        *pResult = CDRF_SKIPDEFAULT;
        break;
    }
    case CDDS_POSTPAINT:
        DrawFrame(CDC::FromHandle(pCD->hdc));
        break;
    default:
        break;
    }
}

void CMsgHeaderCtrl::DrawItem(LPDRAWITEMSTRUCT lpDIS) {
    CDC* pDC = CDC::FromHandle(lpDIS->hDC);
    if (pDC == nullptr || m_pHeader == nullptr)
        return;
    CRect rc = lpDIS->rcItem;
    const BOOL bPressed = (lpDIS->itemState & ODS_SELECTED) != 0;
    pDC->FillSolidRect(&rc, GetSysColor(COLOR_BTNFACE));
    if (bPressed)
        pDC->Draw3dRect(&rc, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNSHADOW));
    else
        pDC->Draw3dRect(&rc, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
    CRect inner = rc;
    inner.DeflateRect(4, 1);
    if (bPressed)
        inner.OffsetRect(2, 2);
    const int nField = (int)lpDIS->itemData;
    int nImage = -1, nIndent = 0;
    switch (nField) {
    case 0: nImage = 3; nIndent = 4; break;
    case 1: nImage = 2; nIndent = 2; break;
    case 4: nImage = 4; nIndent = 1; break;
    case 6: nImage = 6; nIndent = 0; break;
    default: break;
    }
    if (nImage >= 0) {
        const int y = inner.top + (inner.Height() - 14) / 2;
        m_images.Draw(pDC, nImage, CPoint(inner.left + nIndent, y), ILD_TRANSPARENT);
    } else {
        CString title = CEmailListView::GetFieldTitle(nField);
        const int nOldMode = pDC->SetBkMode(TRANSPARENT);
        const COLORREF crOld = pDC->SetTextColor(GetSysColor(COLOR_BTNTEXT));
        CRect text = inner;
        // The sort mark takes the right end of the sorted column.
        if ((int)lpDIS->itemID == m_nSortColumn)
            text.right -= 12;
        pDC->DrawText(title, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        pDC->SetTextColor(crOld);
        pDC->SetBkMode(nOldMode);
    }
    if ((int)lpDIS->itemID == m_nSortColumn && inner.Width() > 10) {
        // A small triangle: up for ascending, down for descending.
        const int cx = inner.right - 5, cy = inner.top + inner.Height() / 2;
        CPen pen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
        CPen* pOld = pDC->SelectObject(&pen);
        for (int i = 0; i < 4; ++i) {
            const int y = m_bAscending ? cy - 2 + i : cy + 1 - i;
            pDC->MoveTo(cx - i, y);
            pDC->LineTo(cx + i + 1, y);
        }
        pDC->SelectObject(pOld);
    }
}

void CMsgHeaderCtrl::DrawFrame(CDC* pDC) {
    if (m_pHeader == nullptr || pDC == nullptr)
        return;
    CRect rc;
    m_pHeader->GetClientRect(&rc);
    const int n = m_pHeader->GetItemCount();
    CRect last;
    if (n > 0 && m_pHeader->GetItemRect(n - 1, &last))
        rc.right = std::max(rc.right, last.right);
    pDC->Draw3dRect(&rc, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
}

// ---- CEmailListView ----

BEGIN_MESSAGE_MAP(CEmailListView, CMsgListView)
ON_WM_SIZE()
ON_COMMAND(CMsgListView::ID_DELETE, &CEmailListView::OnDeleteChecked)
ON_COMMAND(CMsgListView::ID_DELETE2, &CEmailListView::OnDeleteChecked)
ON_COMMAND(CMsgListView::ID_DELETE_PERMANENT, &CEmailListView::OnDeletePermanentChecked)
ON_COMMAND(CMsgListView::ID_DELETE_PERMANENT2, &CEmailListView::OnDeletePermanentChecked)
ON_WM_CONTEXTMENU()
ON_COMMAND(CEmailListView::ID_WRITE_EMAIL, &CEmailListView::OnWriteEmail)
ON_UPDATE_COMMAND_UI(CEmailListView::ID_WRITE_EMAIL, &CEmailListView::OnUpdateWriteEmail)
ON_COMMAND(CEmailListView::ID_OPEN, &CEmailListView::OnOpen)
ON_UPDATE_COMMAND_UI(CEmailListView::ID_OPEN, &CEmailListView::OnUpdateOpen)
END_MESSAGE_MAP()

CEmailListView::CEmailListView() {
    m_nAddressColumn = 2;
}

CEmailListView::~CEmailListView() {
    Observe(nullptr);
}

CString CEmailListView::GetFieldTitle(int nField) {
    return nField >= 0 && nField < (int)(sizeof kTitles / sizeof kTitles[0]) ? kTitles[nField] : "";
}

int CEmailListView::GetColumnField(int nColumn) {
    return nColumn >= 0 && nColumn < ColumnCount ? kColumns[nColumn].nField : -1;
}

int CEmailListView::GetColumnWidth(int nColumn) {
    return nColumn >= 0 && nColumn < ColumnCount ? kColumns[nColumn].nWidth : 0;
}

int CEmailListView::GetStateImage(const CEmailMessage* pMessage) {
    if (pMessage == nullptr)
        return -1;
    switch (pMessage->GetState()) {
    case 0:
        return 3;
    case 1:
        return 2;
    case 2:
        return 4;
    case 3:
        return (pMessage->GetFlags() & CMessageBase::FLAG_UNREAD) ? 1 : 0;
    default:
        return -1;
    }
}

int CEmailListView::GetPriorityImage(const CEmailMessage* pMessage) {
    if (pMessage == nullptr)
        return -1;
    return pMessage->GetImportance() == 3 ? 0 : pMessage->GetImportance() == 1 ? 1 : -1;
}

CEmailAccount* CEmailListView::GetAccount() const {
    auto* pBox = dynamic_cast<CEmailBox*>(GetBox());
    return pBox != nullptr ? pBox->GetAccount() : nullptr;
}

void CEmailListView::Observe(CEmailAccount* pAccount) {
    if (pAccount == m_pObserved)
        return;
    if (m_pObserved != nullptr)
        m_pObserved->RemoveObserver(this);
    m_pObserved = pAccount;
    if (m_pObserved != nullptr)
        m_pObserved->AddObserver(this);
}

void CEmailListView::OnEmailAccountClosing(CEmailAccount* pAccount) {
    if (pAccount == m_pObserved)
        m_pObserved = nullptr;
}

void CEmailListView::CreateFonts() {
    if (g_fontPlain.GetSafeHandle() != nullptr)
        return;
    LOGFONT lf{};
    CFont* pFont = List().GetFont();
    if (pFont == nullptr)
        pFont = CFont::FromHandle((HFONT)::GetStockObject(DEFAULT_GUI_FONT));
    if (pFont != nullptr)
        pFont->GetLogFont(&lf);
    lf.lfItalic = FALSE;
    g_fontPlain.CreateFontIndirect(&lf);
    lf.lfWeight = 700;
    g_fontBold.CreateFontIndirect(&lf);
    lf.lfItalic = TRUE;
    g_fontBoldItalic.CreateFontIndirect(&lf);
}

CFont* CEmailListView::GetRowFont(const CEmailMessage* pMessage) {
    CreateFonts();
    if (pMessage != nullptr && (pMessage->GetFlags() & CMessageBase::FLAG_UNREAD))
        return pMessage->GetState() == 1 ? &g_fontBoldItalic : &g_fontBold;
    return &g_fontPlain;
}

void CEmailListView::OnInitialUpdate() {
    CMsgListView::OnInitialUpdate();
    if (!m_bInitialized) {
        m_bInitialized = TRUE;
        m_imgStates.Create(IDB_STATES, 16, 0, RGB(255, 0, 255));
        m_imgTags.Create(IDB_TAGS, 7, 0, RGB(255, 0, 255));
        m_imgRead.Create(IDB_READ, 14, 0, RGB(255, 0, 255));
        m_imgJunk.Create(IDB_JUNK, 7, 0, RGB(255, 0, 255));
        CListCtrl& list = List();
        list.SetImageList(&m_imgStates, LVSIL_SMALL);
        ModifyStyle(LVS_TYPEMASK, LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_SHOWSELALWAYS);
        list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
        int fields[ColumnCount];
        for (int i = 0; i < ColumnCount; ++i) {
            list.InsertColumn(i, "", LVCFMT_LEFT, kColumns[i].nWidth, i);
            fields[i] = kColumns[i].nField;
        }
        m_header.Bind(this, list.GetHeaderCtrl(), fields, ColumnCount);
        CreateFonts();
    }
    OnUpdate(nullptr, 0, nullptr);
}

void CEmailListView::OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) {
    Observe(GetAccount());
    CMsgListView::OnUpdate(pSender, lHint, pHint);
    // The base writes the address column's field for SMS boxes; this list keeps its own.
    if (CHeaderCtrl* pHeader = GetSafeHwnd() != nullptr ? List().GetHeaderCtrl() : nullptr) {
        HDITEM item{};
        item.mask = HDI_LPARAM;
        item.lParam = kColumns[m_nAddressColumn].nField;
        pHeader->SetItem(m_nAddressColumn, &item);
    }
    if (m_header.GetSortColumn() >= 0)
        SortItems(m_header.GetSortColumn(), m_header.IsSortAscending());
}

void CEmailListView::SortItems(int nColumn, int nOrder) {
    if (GetSafeHwnd() == nullptr)
        return;
    SortKey key{nColumn >= 0 ? MapColumn(nColumn) : -1, nOrder != 0, {}, {}};
    const int nCount = List().GetItemCount();
    for (int i = 0; i < nCount; ++i) {
        auto* pMail = dynamic_cast<CEmailMessage*>(GetMessageAt(i));
        if (pMail != nullptr && IsTextField(key.nField))
            key.texts.emplace(pMail, GbkCollationKey(pMail->GetText(key.nField)));
        else if (pMail != nullptr && key.nField == 8)
            key.sizes.emplace(pMail, pMail->GetMailSize());
    }
    List().SortItems(&CompareMails, (DWORD_PTR)&key);
}

void CEmailListView::OnMessageFlagToggled(CMessageBase* pMessage) {
    auto* pMail = dynamic_cast<CEmailMessage*>(pMessage);
    if (CEmailAccount* pAccount = GetAccount(); pAccount != nullptr && pMail != nullptr)
        pAccount->UpdateMessageField(pMail, CEmailAccount::FIELD_FLAGS);
}

void CEmailListView::OpenOutgoing(CMessageBase* pMessage) {
    auto* pMail = dynamic_cast<CEmailMessage*>(pMessage);
    if (CEmailAccount* pAccount = GetAccount(); pAccount != nullptr && pMail != nullptr)
        pAccount->Compose(pMail);
}

void CEmailListView::OpenSent(CMessageBase* pMessage) {
    auto* pMail = dynamic_cast<CEmailMessage*>(pMessage);
    CEmailAccount* pAccount = GetAccount();
    if (pAccount == nullptr || pMail == nullptr)
        return;
    auto* pCopy = dynamic_cast<CEmailMessage*>(pMail->Clone());
    if (pCopy != nullptr && pAccount->Compose(pCopy) == nullptr)
        delete pCopy;
}

int CEmailListView::FindRow(const CMessageBase* pMessage) const {
    if (GetSafeHwnd() == nullptr || pMessage == nullptr)
        return -1;
    for (int i = 0; i < List().GetItemCount(); ++i)
        if (GetMessageAt(i) == pMessage)
            return i;
    return -1;
}

void CEmailListView::OnEmailMessageChanged(CEmailAccount*, CEmailMessage* pMessage,
                                           CEmailBox* pOldBox) {
    if (GetSafeHwnd() == nullptr || pMessage == nullptr)
        return;
    CMsgBoxBase* pBox = GetBox();
    const int nRow = FindRow(pMessage);
    const BOOL bHere = pBox != nullptr && pMessage->GetBox() == pBox;
    if (nRow >= 0 && !bHere && m_bRemovingRow) {
        // The list moves or deletes the mail itself and removes its row when it is done.
    } else if (nRow >= 0 && !bHere) {
        // The mail left the listed box (a sent mail out of the outbox).
        List().SetItemData(nRow, 0);
        m_removedRows.Add(nRow);
        m_bAutoUpdate = FALSE;
        DeleteCollectedRows();
        m_bAutoUpdate = TRUE;
        SyncFocusedRow();
    } else if (nRow < 0 && bHere) {
        InsertMessage(pMessage);
        if (m_header.GetSortColumn() >= 0)
            SortItems(m_header.GetSortColumn(), m_header.IsSortAscending());
    } else if (nRow >= 0) {
        RedrawRow(nRow);
        if (pMessage == GetCurrentMessage())
            UpdateDocViews();
    }
    (void)pOldBox;
}

BOOL CEmailListView::DropBusyFromSelection() {
    CEmailAccount* pAccount = GetAccount();
    if (pAccount == nullptr)
        return List().GetSelectedCount() > 0;
    BOOL bDropped = FALSE;
    for (int i = 0; i < List().GetItemCount(); ++i) {
        if (!(List().GetItemState(i, LVIS_SELECTED) & LVIS_SELECTED))
            continue;
        auto* pMail = dynamic_cast<CEmailMessage*>(GetMessageAt(i));
        if (pMail != nullptr && pAccount->IsMessageBusy(pMail)) {
            List().SetItemState(i, 0, LVIS_SELECTED);
            bDropped = TRUE;
        }
    }
    if (bDropped)
        AfxMessageBox("正在编写或发送的邮件不能删除或移动，请先关闭它的写邮件窗口或等发送结束。",
                      MB_OK | MB_ICONINFORMATION);
    return List().GetSelectedCount() > 0;
}

void CEmailListView::OnDeleteChecked() {
    if (DropBusyFromSelection())
        OnDelete();
}

void CEmailListView::OnDeletePermanentChecked() {
    if (DropBusyFromSelection())
        OnDeletePermanent();
}

void CEmailListView::OnContextMenu(CWnd*, CPoint point) {
    point = ListContextMenuPoint(List(), point);
    // The frame routes the chosen command to its active view; without a frame the list takes it.
    CWnd* pFrame = GetTopLevelFrame();
    ShowPopupMenu(IDR_CONTEXT_MENU, 0, point, TPM_LEFTALIGN | TPM_RIGHTBUTTON,
                  pFrame != nullptr ? pFrame : this);
}

void CEmailListView::OnWriteEmail() {
    CEmailAccount* pAccount = GetAccount();
    if (pAccount != nullptr && pAccount->Compose(nullptr) == nullptr)
        AfxMessageBox("无法打开撰写邮件的窗口。", MB_ICONEXCLAMATION);
}

void CEmailListView::OnUpdateWriteEmail(CCmdUI* pCmdUI) {
    pCmdUI->Enable(GetAccount() != nullptr);
}

void CEmailListView::OnOpen() {
    OpenRow(List().GetNextItem(-1, LVNI_FOCUSED));
}

void CEmailListView::OnUpdateOpen(CCmdUI* pCmdUI) {
    pCmdUI->Enable(List().GetSelectedCount() == 1 && CanOpenRow(List().GetNextItem(-1, LVNI_FOCUSED)));
}

BOOL CEmailListView::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    auto* pHdr = reinterpret_cast<NMHDR*>(lParam);
    CHeaderCtrl* pHeader = m_header.GetHeader();
    if (pHdr != nullptr && pHeader != nullptr && pHdr->hwndFrom == pHeader->GetSafeHwnd()) {
        switch (pHdr->code) {
        case HDN_ITEMCLICK:
            m_header.OnItemClick(reinterpret_cast<NMHEADER*>(lParam)->iItem);
            *pResult = 0;
            return TRUE;
        case HDN_ITEMDBLCLICK:
            m_header.OnItemDoubleClick(reinterpret_cast<NMHEADER*>(lParam)->iItem);
            *pResult = 0;
            return TRUE;
        case NM_CUSTOMDRAW:
            m_header.OnCustomDraw(reinterpret_cast<NMCUSTOMDRAW*>(lParam), pResult);
            return TRUE;
        default:
            break;
        }
    }
    return CMsgListView::OnNotify(wParam, lParam, pResult);
}

LRESULT CEmailListView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DRAWITEM && lParam != 0) {
        auto* pDIS = reinterpret_cast<LPDRAWITEMSTRUCT>(lParam);
        if (pDIS->CtlType == ODT_LISTVIEW) {
            DrawItem(pDIS);
            return TRUE;
        }
    }
    if (message == WM_MEASUREITEM && lParam != 0) {
        MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam));
        return TRUE;
    }
    return CMsgListView::WindowProc(message, wParam, lParam);
}

void CEmailListView::MeasureItem(LPMEASUREITEMSTRUCT lpMIS) {
    lpMIS->itemHeight = RowHeight;
}

void CEmailListView::DrawItem(LPDRAWITEMSTRUCT lpDIS) {
    CDC* pDC = CDC::FromHandle(lpDIS->hDC);
    const int nRow = (int)lpDIS->itemID;
    auto* pMail = dynamic_cast<CEmailMessage*>(GetMessageAt(nRow));
    if (pDC == nullptr)
        return;
    CRect rcRow = lpDIS->rcItem;
    const BOOL bSelected = (List().GetItemState(nRow, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    pDC->FillSolidRect(&rcRow, bSelected ? GetSysColor(COLOR_HIGHLIGHT) : RGB(255, 255, 255));
    if (pMail == nullptr)
        return;
    const COLORREF crOld =
        pDC->SetTextColor(bSelected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : RGB(0, 0, 0));
    const int nOldMode = pDC->SetBkMode(TRANSPARENT);
    CFont* pOldFont = pDC->SelectObject(GetRowFont(pMail));
    int x = rcRow.left;
    for (int nCol = 0; nCol < ColumnCount; ++nCol) {
        const int cx = List().GetColumnWidth(nCol);
        CRect cell(x, rcRow.top, x + cx, rcRow.bottom);
        x += cx;
        if (cx <= 0)
            continue;
        const int nField = kColumns[nCol].nField;
        auto at = [&](int dx, int h) { return CPoint(cell.left + dx, cell.top + (cell.Height() - h) / 2); };
        pDC->IntersectClipRect(&cell);
        switch (nField) {
        case 0:
            if (int n = GetStateImage(pMail); n >= 0)
                m_imgStates.Draw(pDC, n, at(7, 14), ILD_TRANSPARENT);
            break;
        case 1:
            if (int n = GetPriorityImage(pMail); n >= 0)
                m_imgTags.Draw(pDC, n, at(0, 14), ILD_TRANSPARENT);
            if (pMail->GetAttachmentCount() > 0)
                m_imgTags.Draw(pDC, 2, at(23, 14), ILD_TRANSPARENT);
            break;
        case 4:
            m_imgRead.Draw(pDC, (pMail->GetFlags() & CMessageBase::FLAG_UNREAD) ? 1 : 0,
                           at(3, 14), ILD_TRANSPARENT);
            break;
        case 6:
            m_imgJunk.Draw(pDC, (pMail->GetFlags() & FLAG_JUNK) ? 1 : 0, at(7, 7),
                           ILD_TRANSPARENT);
            break;
        default: {
            CRect text = cell;
            text.DeflateRect(3, 0);
            pDC->DrawText(pMail->GetText(nField), &text,
                          DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
            break;
        }
        }
        pDC->SelectClipRgn(nullptr);
    }
    pDC->SelectObject(pOldFont);
    pDC->SetBkMode(nOldMode);
    pDC->SetTextColor(crOld);
}

void CEmailListView::OnSize(UINT nType, int cx, int cy) {
    CMsgListView::OnSize(nType, cx, cy);
    if (cx != m_cxLast && GetSafeHwnd() != nullptr) {
        // The area right of the last column is repainted in the list's ground.
        int nRight = 0;
        for (int i = 0; i < ColumnCount; ++i)
            nRight += List().GetColumnWidth(i);
        CRect rc(std::min(nRight, std::min(cx, m_cxLast)), 0, std::max(cx, m_cxLast), cy);
        List().InvalidateRect(&rc);
    }
    m_cxLast = cx;
}

// ---- CViewEmailTxtContent, CEmailContentFrame ----

void CViewEmailTxtContent::OnInitialUpdate() {
    CTxtEditView::OnInitialUpdate();
    GetEditCtrl().SetReadOnly(TRUE);
    OnUpdate(nullptr, 0, nullptr);
}

void CViewEmailTxtContent::OnUpdate(CView*, LPARAM, CObject*) {
    if (GetSafeHwnd() == nullptr)
        return;
    auto* pDoc = dynamic_cast<CQuillmarBaseDoc*>(GetDocument());
    auto* pMail =
        pDoc != nullptr ? dynamic_cast<CEmailMessage*>(pDoc->GetCurrentMessageObject()) : nullptr;
    SetText(pMail != nullptr ? pMail->GetPlainText() : CString());
}

CEmailContentFrame::CEmailContentFrame() {
    m_pViewClass = RUNTIME_CLASS(CViewEmailTxtContent);
}

CViewEmailTxtContent* CEmailContentFrame::GetTextView() const {
    return dynamic_cast<CViewEmailTxtContent*>(GetEditView(1));
}

// ---- CEmailSplitView ----

CEmailSplitView::CEmailSplitView() {
    m_pListClass = RUNTIME_CLASS(CEmailListView);
    m_pContentClass = RUNTIME_CLASS(CEmailContentFrame);
}

CMsgSplitterWnd* CEmailSplitView::CreateSplitterObject() {
    return new CEmailSplitterWnd;
}

CEmailListView* CEmailSplitView::GetEmailList() const {
    return dynamic_cast<CEmailListView*>(m_pListPane);
}

CEmailContentFrame* CEmailSplitView::GetContentFrame() const {
    if (m_pSplitter == nullptr || m_pSplitter->GetSafeHwnd() == nullptr)
        return nullptr;
    return dynamic_cast<CEmailContentFrame*>(m_pSplitter->GetPane(1, 0));
}

CDocument* CEmailSplitView::SetDocument(CDocument* pDoc) {
    CDocument* pOld = CMsgSplitView::SetDocument(pDoc);
    if (CEmailContentFrame* pFrame = GetContentFrame())
        MoveViewToDocument(pFrame->GetTextView(), pDoc);
    return pOld;
}

void CEmailSplitView::OnInitialUpdate() {
    CMsgSplitView::OnInitialUpdate();
    if (CEmailContentFrame* pFrame = GetContentFrame())
        if (CViewEmailTxtContent* pText = pFrame->GetTextView())
            pText->OnInitialUpdate();
}
