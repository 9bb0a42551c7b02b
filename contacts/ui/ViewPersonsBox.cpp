#include "contacts/ui/ViewPersonsBox.h"

#include "contacts/ContactGroup.h"
#include "contacts/Person.h"
#include "contacts/SmsDoc.h"
#include "contacts/ui/ViewPsnInfo.h"
#include "sms/Sms.h"
#include "sms/SmsBox.h"

IMPLEMENT_DYNCREATE(CViewPersonsBox, CListView)

BEGIN_MESSAGE_MAP(CViewPersonsBox, CListView)
ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, &CViewPersonsBox::OnCustomDraw)
ON_COMMAND_RANGE(CBkManager::IdChooseBkColor, CBkManager::IdDefaultTextColor,
                 &CViewPersonsBox::OnBkCommand)
ON_UPDATE_COMMAND_UI_RANGE(CBkManager::IdChooseBkColor, CBkManager::IdDefaultTextColor,
                           &CViewPersonsBox::OnUpdateBkCommand)
ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {

// The bold font of the total rows, shared by every box list while one exists.
CFont* g_pBoldFont = nullptr;
int g_nBoldFontUsers = 0;

enum { SumInbox, SumRead, SumOutbox, SumPending, SumSent, SumRecycle, SumCount };

CString Format(UINT nId, int a, int b = 0, int c = 0) {
    CString format, text;
    format.LoadString(nId);
    text.Format(format, a, b, c);
    return text;
}

// The contact whose boxes a row shows: a link shows its source's.
_CPerson* BoxOwner(_CPerson* pPerson) {
    if (pPerson == nullptr || !pPerson->IsVirtual())
        return pPerson;
    return dynamic_cast<_CPerson*>(pPerson->GetVirtualSource());
}

} // namespace

CViewPersonsBox::CViewPersonsBox() = default;

void CViewPersonsBox::GetBoxTexts(_CPerson* pPerson, CString texts[4], int* pSums) {
    int counts[SumCount] = {};
    if (pPerson != nullptr) {
        auto count = [pPerson](int box, int state) {
            _CSmsBox* pBox = pPerson->GetSmsBox(box);
            return pBox != nullptr ? pBox->CountSmsByState(state) : 0;
        };
        counts[SumInbox] = count(0, -1);
        counts[SumRead] = count(0, _CSms::STATE_READ);
        counts[SumOutbox] = count(1, -1);
        counts[SumPending] = count(1, _CSms::STATE_PENDING);
        counts[SumSent] = count(2, -1);
        counts[SumRecycle] = count(3, -1);
    }
    texts[0] = counts[SumInbox] > 0 ? Format(280, counts[SumInbox], counts[SumRead],
                                             counts[SumInbox] - counts[SumRead])
                                    : CString();
    texts[1] = counts[SumOutbox] > 0 ? Format(281, counts[SumOutbox], counts[SumPending],
                                              counts[SumOutbox] - counts[SumPending])
                                     : CString();
    texts[2] = counts[SumSent] > 0 ? Format(282, counts[SumSent]) : CString();
    texts[3] = counts[SumRecycle] > 0 ? Format(282, counts[SumRecycle]) : CString();
    if (pSums != nullptr)
        for (int i = 0; i < SumCount; ++i)
            pSums[i] += counts[i];
}

void CViewPersonsBox::SetNotifyWnd(CWnd* pWnd) {
    if (pWnd != nullptr)
        SetOwner(pWnd);
}

void CViewPersonsBox::OnInitialUpdate() {
    if (m_bInitialized)
        return;
    m_bInitialized = TRUE;
    CListView::OnInitialUpdate();
    CListCtrl& list = List();
    list.ModifyStyle(LVS_TYPEMASK, LVS_REPORT | LVS_SHOWSELALWAYS);
    DWORD ex = LVS_EX_GRIDLINES | LVS_EX_SUBITEMIMAGES | LVS_EX_FULLROWSELECT |
               LVS_EX_HEADERDRAGDROP;
    list.SetExtendedStyleMasked(ex, ex);
    static const struct {
        UINT nId;
        int cx;
    } kColumns[] = {{147, 150}, {276, 180}, {277, 180}, {278, 80}, {279, 80}};
    for (int i = 0; i < 5; ++i) {
        CString name;
        name.LoadString(kColumns[i].nId);
        list.InsertColumn(i, name, LVCFMT_LEFT, kColumns[i].cx);
    }
    if (g_nBoldFontUsers++ == 0) {
        LOGFONT lf{};
        if (CFont* pFont = list.GetFont())
            pFont->GetLogFont(&lf);
        else if (auto* pGui = CFont::FromHandle((HFONT)::GetStockObject(DEFAULT_GUI_FONT)))
            pGui->GetLogFont(&lf);
        lf.lfWeight = 700;
        g_pBoldFont = new CFont;
        g_pBoldFont->CreateFontIndirect(&lf);
    }
    InitListBackground(m_bkManager, list, "Bkground\\ViewPersonBox", "Images\\background4.bmp");
}

void CViewPersonsBox::OnUpdate(CView*, LPARAM, CObject*) {
    auto* pDoc = dynamic_cast<CSmsDoc*>(GetShownDocument(this));
    if (_CGroup* pGroup = pDoc != nullptr ? pDoc->GetSelectedGroup() : nullptr)
        Fill(pGroup);
}

void CViewPersonsBox::Fill(_CGroup* pGroup) {
    if (pGroup == nullptr)
        return;
    if (!m_bInitialized)
        OnInitialUpdate();
    CListCtrl& list = List();
    list.SetRedraw(FALSE);
    list.DeleteAllItems();
    m_nSelected = -1;
    int sums[SumCount] = {};
    int nContacts = 0;
    for (POSITION pos = pGroup->GetFirstContentPosition(); pos != nullptr;) {
        auto* pPerson = dynamic_cast<_CPerson*>(pGroup->GetNextContent(pos));
        if (pPerson == nullptr)
            continue;
        _CPerson* pOwner = BoxOwner(pPerson);
        CString texts[4];
        GetBoxTexts(pOwner, texts, sums);
        int row = list.InsertItem(LVIF_TEXT | LVIF_PARAM, list.GetItemCount(),
                                  (pOwner != nullptr ? pOwner : pPerson)->GetName(), 0, 0, 0,
                                  (LPARAM) static_cast<CObject*>(pPerson));
        for (int i = 0; row >= 0 && i < 4; ++i)
            list.SetItemText(row, i + 1, texts[i]);
        ++nContacts;
    }
    if (nContacts > 1) {
        int row = list.InsertItem(LVIF_TEXT | LVIF_PARAM, list.GetItemCount(),
                                  Format(283, nContacts), 0, 0, 0, kTotalRowData);
        if (row >= 0) {
            list.SetItemText(row, 1, Format(280, sums[SumInbox], sums[SumRead],
                                            sums[SumInbox] - sums[SumRead]));
            list.SetItemText(row, 2, Format(281, sums[SumOutbox], sums[SumPending],
                                            sums[SumOutbox] - sums[SumPending]));
            list.SetItemText(row, 3, Format(282, sums[SumSent]));
            list.SetItemText(row, 4, Format(282, sums[SumRecycle]));
        }
    }
    list.SetRedraw(TRUE);
    list.Invalidate();
}

void CViewPersonsBox::SelectRow(int nRow) {
    CListCtrl& list = List();
    if (m_nSelected >= 0 && m_nSelected < list.GetItemCount()) {
        list.SetItemState(m_nSelected, 0, LVIS_SELECTED | LVIS_FOCUSED);
        list.RedrawItems(m_nSelected, m_nSelected);
    }
    m_nSelected = nRow >= 0 && nRow < list.GetItemCount() ? nRow : -1;
    if (m_nSelected < 0)
        return;
    list.SetItemState(m_nSelected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list.EnsureVisible(m_nSelected, FALSE);
    list.RedrawItems(m_nSelected, m_nSelected);
}

void CViewPersonsBox::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(pNMHDR);
    *pResult = CDRF_DODEFAULT;
    switch (cd->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        *pResult = CDRF_NOTIFYITEMDRAW;
        break;
    case CDDS_ITEMPREPAINT:
        if (cd->nmcd.lItemlParam == kTotalRowData)
            *pResult = CDRF_NOTIFYSUBITEMDRAW;
        break;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
        if (cd->nmcd.lItemlParam == kTotalRowData) {
            cd->clrText = RGB(0, 0, 255);
            if (g_pBoldFont != nullptr)
                if (CDC* pDC = CDC::FromHandle(cd->nmcd.hdc))
                    pDC->SelectObject(g_pBoldFont);
            *pResult = CDRF_NEWFONT;
        }
        break;
    default:
        break;
    }
}

void CViewPersonsBox::OnBkCommand(UINT nID) {
    m_bkManager.OnCommand(nID);
}

void CViewPersonsBox::OnUpdateBkCommand(CCmdUI* pCmdUI) {
    m_bkManager.OnUpdateCommand(pCmdUI);
}

void CViewPersonsBox::OnDestroy() {
    if (m_bInitialized) {
        m_bkManager.SaveToProfile();
        if (--g_nBoldFontUsers == 0) {
            delete g_pBoldFont;
            g_pBoldFont = nullptr;
        }
    }
    CListView::OnDestroy();
}
