#include "ecard/ui/ECBrowseContact.h"

#include "ecard/ECContact.h"
#include "sms/ui/SmsRecordViews.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CECViewContactInfoList, CPersonInfoList)

BEGIN_MESSAGE_MAP(CECViewContactInfoList, CPersonInfoList)
ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, &CECViewContactInfoList::OnCustomDraw)
END_MESSAGE_MAP()

CECViewContactInfoList::CECViewContactInfoList() {
    m_strDefaultBkImage = "Images\\background19.gif";
    m_strBkSection = "Bkground\\ECViewContactInfoList";
    // Every field has its row: a hidden one says so.
    m_bShowAll = TRUE;
}

CECContact* CECViewContactInfoList::CurrentContact() const {
    return dynamic_cast<CECContact*>(CurrentPerson());
}

void CECViewContactInfoList::OnUpdate(CView* pSender, LPARAM lHint, CObject*) {
    if (pSender == this || (lHint != 0 && (lHint & 0x200) == 0))
        return;
    if (CECContact* pContact = CurrentContact())
        Fill(pContact);
}

BOOL CECViewContactInfoList::GetRowText(_CPerson* pPerson, int nField, CString& text) {
    auto* pContact = dynamic_cast<CECContact*>(pPerson);
    if (pContact != nullptr && !IsECFieldReadable(*pContact, nField, EC_RECORD_RECEIVED)) {
        text = kHidden;
        return TRUE;
    }
    return CPersonInfoList::GetRowText(pPerson, nField, text);
}

BOOL CECViewContactInfoList::IsHiddenRow(int nRow) const {
    CECContact* pContact = CurrentContact();
    if (pContact == nullptr || nRow < 0 || nRow >= List().GetItemCount())
        return FALSE;
    return !IsECFieldReadable(*pContact, (int)List().GetItemData(nRow), EC_RECORD_RECEIVED);
}

void CECViewContactInfoList::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(pNMHDR);
    *pResult = CDRF_DODEFAULT;
    if (cd->nmcd.dwDrawStage == CDDS_PREPAINT)
        *pResult = CDRF_NOTIFYITEMDRAW;
    else if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && IsHiddenRow((int)cd->nmcd.dwItemSpec))
        cd->clrText = kHiddenColour;
}

// ---- the read-only card ----

IMPLEMENT_DYNCREATE(CECViewBrowseContact, CView)

BEGIN_MESSAGE_MAP(CECViewBrowseContact, CView)
ON_WM_CREATE()
ON_WM_SIZE()
END_MESSAGE_MAP()

int CECViewBrowseContact::OnCreate(LPCREATESTRUCT lpcs) {
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    if (!m_splitter.CreateStatic(this, 2, 1))
        return -1;
    // The panes join no document: this view passes its updates on.
    CCreateContext context;
    m_splitter.CreateView(0, 0, RUNTIME_CLASS(CECViewContactInfoList), CSize(0, 150), &context);
    m_splitter.CreateView(1, 0, RUNTIME_CLASS(CFormContent), CSize(0, 20), &context);
    if (CECViewContactInfoList* pList = GetInfoList())
        pList->m_pContentPane = dynamic_cast<CIRecordContentPane*>(GetContentPane());
    return 0;
}

CECViewContactInfoList* CECViewBrowseContact::GetInfoList() const {
    return m_splitter.GetSafeHwnd() != nullptr
               ? dynamic_cast<CECViewContactInfoList*>(m_splitter.GetPane(0, 0))
               : nullptr;
}

CWnd* CECViewBrowseContact::GetContentPane() const {
    return m_splitter.GetSafeHwnd() != nullptr ? m_splitter.GetPane(1, 0) : nullptr;
}

void CECViewBrowseContact::OnSize(UINT nType, int cx, int cy) {
    CView::OnSize(nType, cx, cy);
    if (m_splitter.GetSafeHwnd() == nullptr || cx <= 0 || cy <= 0)
        return;
    m_splitter.SetRowInfo(0, cy - cy / 4, 0);
    m_splitter.SetRowInfo(1, std::max(cy / 4, 20), 20);
    m_splitter.MoveWindow(0, 0, cx, cy);
    m_splitter.RecalcLayout();
}

void CECViewBrowseContact::OnInitialUpdate() {
    if (m_bInitialized)
        return;
    m_bInitialized = TRUE;
    if (CECViewContactInfoList* pList = GetInfoList())
        pList->OnInitialUpdate();
    if (auto* pContent = dynamic_cast<CView*>(GetContentPane()))
        pContent->OnInitialUpdate();
}

void CECViewBrowseContact::OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) {
    if (!m_bInitialized)
        OnInitialUpdate();
    if (CECViewContactInfoList* pList = GetInfoList())
        if (pSender != pList)
            pList->OnUpdate(pSender, lHint, pHint);
}

void CECViewBrowseContact::OnDraw(CDC* pDC) {
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, ::GetSysColor(COLOR_3DFACE));
}

BOOL CECViewBrowseContact::OnCmdMsg(UINT nID, int nCode, void* pExtra,
                                    AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (CECViewContactInfoList* pList = GetInfoList())
        if (pList->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
            return TRUE;
    return CView::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}
