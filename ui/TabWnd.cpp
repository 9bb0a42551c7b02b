#include "ui/TabWnd.h"

#include "platform/gui/Frame.h"

IMPLEMENT_DYNCREATE(CTabWnd, CWnd)

namespace {
constexpr UINT kTabCtrlId = 1000;
}

BEGIN_MESSAGE_MAP(CTabWnd, CWnd)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_SETFOCUS()
ON_NOTIFY(TCN_SELCHANGE, kTabCtrlId, &CTabWnd::OnSelChange)
END_MESSAGE_MAP()

CTabWnd::CTabWnd() : m_pTabCtrl(std::make_unique<CTabCtrl>()) {}

CTabWnd::~CTabWnd() = default;

int CTabWnd::OnCreate(LPCREATESTRUCT lpcs) {
    if (CWnd::OnCreate(lpcs) == -1)
        return -1;
    CRect rc;
    GetClientRect(&rc);
    if (!m_pTabCtrl->Create(WS_CHILD | WS_VISIBLE | TCS_BOTTOM | TCS_HOTTRACK, rc, this,
                            kTabCtrlId))
        return -1;
    m_bCreated = true;
    return 0;
}

void CTabWnd::OnSize(UINT nType, int cx, int cy) {
    CWnd::OnSize(nType, cx, cy);
    if (!m_pTabCtrl->m_hWnd)
        return;
    m_pTabCtrl->MoveWindow(0, 0, cx, cy);
    CRect page;
    GetPageRect(page);
    for (CTabInfo& t : m_tabs)
        if (t.m_pWnd && t.m_pWnd->m_hWnd)
            t.m_pWnd->MoveWindow(&page);
}

void CTabWnd::GetPageRect(CRect& rect) {
    m_pTabCtrl->GetClientRect(&rect);
    m_pTabCtrl->AdjustRect(FALSE, &rect);
    rect.left -= m_nMarginLeft;
    rect.top -= m_nMarginTop;
    rect.right += m_nMarginRight;
    rect.bottom += m_nMarginBottom;
}

CWnd* CTabWnd::CreatePage(int nIndex, CRuntimeClass* pClass, CCreateContext* pContext) {
    CCreateContext context;
    if (pContext)
        context = *pContext;
    context.m_pNewViewClass = pClass;
    CRect rc;
    GetPageRect(rc);
    // Makes the object (an exception or a class that is not a window gives null), then its
    // window; an object whose window fails is gone afterwards.
    CWnd* page = CView::CreateFromContext(&context, this, AFX_IDW_PANE_FIRST + (UINT)nIndex,
                                          WS_CHILD | WS_BORDER, rc);
    // A class may add WS_VISIBLE itself (views do); only the selected page shows. The style is
    // asked, not the visibility: while the tab window itself is hidden no page is visible yet,
    // and a page left with the style would show over the selected one with the tab window.
    if (page && (page->GetStyle() & WS_VISIBLE))
        page->ShowWindow(SW_HIDE);
    return page;
}

BOOL CTabWnd::AddPage(CRuntimeClass* pClass, CCreateContext* pContext, LPCTSTR lpszTitle,
                      BOOL bTitleFromWindow, BOOL bDeleteWithTab) {
    if (!m_hWnd || !m_pTabCtrl->m_hWnd)
        return FALSE;
    CWnd* page = CreatePage(m_nPages, pClass, pContext);
    if (!page)
        return FALSE;
    CTabInfo info;
    if (bTitleFromWindow)
        page->GetWindowText(info.m_strTitle);
    else
        info.m_strTitle = lpszTitle ? lpszTitle : "";
    info.m_pWnd = page;
    info.m_bDelete = bDeleteWithTab;
    info.m_bDeletesItself = page->IsKindOf(RUNTIME_CLASS(CView));
    m_tabs.push_back(info);
    TCITEM item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<LPSTR>((LPCTSTR)m_tabs.back().m_strTitle);
    m_pTabCtrl->InsertItem(m_nPages, &item);
    ++m_nPages;
    return TRUE;
}

CWnd* CTabWnd::GetPage(int nIndex) const {
    if (nIndex < 0 || nIndex >= (int)m_tabs.size())
        return nullptr;
    return m_tabs[(size_t)nIndex].m_pWnd;
}

void CTabWnd::SelectPage(int nIndex, BOOL bUpdateTab) {
    if (nIndex == m_nCurPage || !GetPage(nIndex))
        return;
    if (bUpdateTab)
        m_pTabCtrl->SetCurSel(nIndex);
    ShowPage(nIndex);
}

void CTabWnd::ShowPage(int nIndex) {
    CWnd* page = GetPage(nIndex);
    if (!page || !page->m_hWnd)
        return;
    if (CWnd* current = GetCurrentPage(); current && current->m_hWnd)
        current->ShowWindow(SW_HIDE);
    page->ShowWindow(SW_SHOW);
    CFrameWnd* frame = GetParentFrame();
    if (auto* view = dynamic_cast<CView*>(page); view && frame)
        frame->SetActiveView(view, TRUE);
    else
        page->SetFocus();
    m_nCurPage = nIndex;
}

void CTabWnd::OnSelChange(NMHDR*, LRESULT* pResult) {
    SelectPage(m_pTabCtrl->GetCurSel(), FALSE);
    *pResult = 0;
}

void CTabWnd::OnSetFocus(CWnd* pOldWnd) {
    CWnd::OnSetFocus(pOldWnd);
    if (CWnd* page = GetCurrentPage(); page && page->m_hWnd)
        page->SetFocus();
}

void CTabWnd::PostNcDestroy() {
    // The pages' windows went with this one; the pages that belong to the tab window go now.
    std::vector<CTabInfo> tabs;
    tabs.swap(m_tabs);
    m_nPages = 0;
    m_nCurPage = -1;
    for (CTabInfo& t : tabs)
        if (t.m_bDelete && !t.m_bDeletesItself)
            delete t.m_pWnd;
    if (m_bCreated)
        delete this;
}
