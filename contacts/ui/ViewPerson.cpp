#include "contacts/ui/ViewPerson.h"

#include "contacts/Person.h"
#include "contacts/ui/ViewPsnInfo.h"
#include "platform/gui/ImageList.h"
#include "ui/TabWnd.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CPersonInfoList, CViewPsnInfo)

BOOL CPersonInfoList::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    const BOOL bDone = CViewPsnInfo::OnChildNotify(message, wParam, lParam, pResult);
    auto* pNotify = reinterpret_cast<NMLISTVIEW*>(lParam);
    if (message == WM_NOTIFY && pNotify != nullptr &&
        pNotify->hdr.code == (UINT)LVN_ITEMCHANGED && (pNotify->uChanged & LVIF_STATE) &&
        ((pNotify->uOldState ^ pNotify->uNewState) & (LVIS_SELECTED | LVIS_FOCUSED)) &&
        m_pContentPane != nullptr)
        m_pContentPane->ShowRecordContent(CurrentPerson(), GetSelectedField(),
                                          GetSelectedValue(), GetSelectedLabel());
    return bDone;
}

IMPLEMENT_DYNCREATE(CPersonBlankPane, CView)
IMPLEMENT_DYNCREATE(CViewPerson, CView)

BEGIN_MESSAGE_MAP(CViewPerson, CView)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_SETFOCUS()
END_MESSAGE_MAP()

void CPersonBlankPane::OnDraw(CDC* pDC) {
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, ::GetSysColor(COLOR_WINDOW));
}

void ReturnFocus(CWnd* pView, CWnd* pOldWnd) {
    // Two such views handing the focus to each other would do so for ever.
    static bool s_bReturning = false;
    // Unnamed, the window that had it is taken to be the tree the view belongs to: it is the
    // tree that shows the view, and it keeps the keyboard while the user walks through it.
    if (pOldWnd == nullptr)
        pOldWnd = pView->GetOwner();
    if (s_bReturning || pOldWnd == nullptr || pOldWnd == pView ||
        !::IsWindow(pOldWnd->GetSafeHwnd()) || !pOldWnd->IsWindowVisible())
        return;
    s_bReturning = true;
    pOldWnd->SetFocus();
    s_bReturning = false;
}

CWnd* FocusedAmong(std::initializer_list<CWnd*> candidates) {
    CWnd* pFocus = CWnd::GetFocus();
    if (pFocus == nullptr)
        return nullptr;
    for (CWnd* pWnd : candidates)
        if (pWnd != nullptr && pWnd->GetSafeHwnd() != nullptr &&
            (pWnd == pFocus || pWnd->IsChild(pFocus)))
            return pWnd;
    return nullptr;
}

CRuntimeClass* CViewPerson::s_pRecordsClass = nullptr;
CRuntimeClass* CViewPerson::s_pContentClass = nullptr;

CViewPerson::CViewPerson() = default;

void CViewPerson::SetPaneClasses(CRuntimeClass* pRecords, CRuntimeClass* pContent) {
    s_pRecordsClass = pRecords;
    s_pContentClass = pContent;
}

CWnd* CViewPerson::GetRecordsPane() const {
    return m_pTabs != nullptr ? m_pTabs->GetPage(1) : nullptr;
}

CWnd* CViewPerson::GetContentPane() const {
    return m_splitter.GetSafeHwnd() != nullptr ? m_splitter.GetPane(1, 0) : nullptr;
}

int CViewPerson::OnCreate(LPCREATESTRUCT lpcs) {
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    CreatePanes();
    return 0;
}

void CViewPerson::CreatePanes() {
    if (!m_splitter.CreateStatic(this, 2, 1))
        return;
    // The inner views join no document: this view passes its updates on.
    CCreateContext context;
    m_splitter.CreateView(0, 0, RUNTIME_CLASS(CTabWnd), CSize(0, 150), &context);
    m_splitter.CreateView(1, 0,
                          s_pContentClass != nullptr ? s_pContentClass
                                                     : RUNTIME_CLASS(CPersonBlankPane),
                          CSize(0, 20), &context);
    m_splitter.SetRowInfo(1, 20, 20);
    m_pTabs = dynamic_cast<CTabWnd*>(m_splitter.GetPane(0, 0));
    if (m_pTabs == nullptr)
        return;
    CString title;
    title.LoadString(269);
    m_pTabs->AddPage(RUNTIME_CLASS(CPersonInfoList), &context, title, FALSE, FALSE);
    title.LoadString(270);
    m_pTabs->AddPage(s_pRecordsClass != nullptr ? s_pRecordsClass
                                                : RUNTIME_CLASS(CPersonBlankPane),
                     &context, title, FALSE, FALSE);
    m_pInfo = dynamic_cast<CViewPsnInfo*>(m_pTabs->GetPage(0));
    // Both lists show their selection in the pane below.
    CWnd* pContent = GetContentPane();
    if (auto* pInfoList = dynamic_cast<CPersonInfoList*>(m_pInfo))
        pInfoList->m_pContentPane = dynamic_cast<CIRecordContentPane*>(pContent);
    if (auto* pUser = dynamic_cast<CIContentPaneUser*>(GetRecordsPane()))
        pUser->LinkContentPane(pContent);
    if (CTabCtrl* pTab = m_pTabs->GetTabCtrl()) {
        if (m_tabImages.Create(IDB_TAB_IMAGES, 16, 1, RGB(255, 255, 255)))
            pTab->SetImageList(&m_tabImages);
        const int kImages[] = {1, 0};
        for (int i = 0; i < 2; ++i) {
            TCITEM item{};
            item.mask = TCIF_IMAGE;
            item.iImage = kImages[i];
            pTab->SetItem(i, &item);
        }
    }
    m_pTabs->SelectPage(0);
}

void CViewPerson::SetNotifyWnd(CWnd* pWnd) {
    if (pWnd != nullptr)
        SetOwner(pWnd);
    if (m_pInfo != nullptr)
        m_pInfo->SetNotifyWnd(pWnd != nullptr ? pWnd : this);
}

void CViewPerson::OnInitialUpdate() {
    if (m_bInitialized)
        return;
    m_bInitialized = TRUE;
    if (m_pInfo != nullptr)
        m_pInfo->OnInitialUpdate();
    if (auto* pRecords = dynamic_cast<CView*>(GetRecordsPane()))
        pRecords->OnInitialUpdate();
    if (auto* pContent = dynamic_cast<CView*>(GetContentPane()))
        pContent->OnInitialUpdate();
}

void CViewPerson::OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) {
    if (!m_bInitialized)
        OnInitialUpdate();
    if (m_pInfo != nullptr && pSender != m_pInfo)
        m_pInfo->OnUpdate(pSender, lHint, pHint);
    auto* pRecords = dynamic_cast<CView*>(GetRecordsPane());
    if (pRecords != nullptr && pSender != pRecords)
        pRecords->OnUpdate(pSender, lHint, pHint);
}

void CViewPerson::OnDraw(CDC* pDC) {
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, ::GetSysColor(COLOR_3DFACE));
}

void CViewPerson::OnSize(UINT nType, int cx, int cy) {
    CView::OnSize(nType, cx, cy);
    Layout(cx, cy);
}

void CViewPerson::Layout(int cx, int cy) {
    if (m_splitter.GetSafeHwnd() == nullptr || cx <= 0 || cy <= 0)
        return;
    // A new height shares the rows out again; a new width keeps the user's bar.
    if (cy != m_nLastHeight) {
        m_nLastHeight = cy;
        m_splitter.SetRowInfo(0, cy * 3 / 4, 0);
        m_splitter.SetRowInfo(1, std::max(cy / 4, 20), 20);
    }
    m_splitter.MoveWindow(2, 2, std::max(cx - 4, 1), std::max(cy - 4, 1));
    m_splitter.RecalcLayout();
}

void CViewPerson::OnSetFocus(CWnd* pOldWnd) {
    CView::OnSetFocus(pOldWnd);
    ReturnFocus(this, pOldWnd);
}

BOOL CViewPerson::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (m_pInfo != nullptr && m_pInfo->GetSafeHwnd() != nullptr) {
        if (nID == CViewPsnInfo::ID_DEFAULT_VALUES_ONLY)
            return m_pInfo->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
        CWnd* pRecords = m_pTabs != nullptr ? m_pTabs->GetPage(1) : nullptr;
        if (CWnd* pInner = FocusedAmong({m_pInfo, pRecords, m_splitter.GetPane(1, 0)}))
            if (pInner->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
                return TRUE;
    }
    return CView::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}
