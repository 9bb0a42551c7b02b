#include "calendar/ui/CalendarFrame.h"

IMPLEMENT_DYNCREATE(CCalendarFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CCalendarFrame, CFrameWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CCalendarFrame::CCalendarFrame() = default;
CCalendarFrame::~CCalendarFrame() = default;

BOOL CCalendarFrame::OnCreateClient(LPCREATESTRUCT, CCreateContext*) {
    m_pPane = new CCalendarPane;
    m_pPane->m_bAutoDelete = TRUE;
    if (!m_pPane->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP, CRect(0, 0, 0, 0),
                         this, AFX_IDW_PANE_FIRST)) {
        if (!m_pPane->GetSafeHwnd())
            delete m_pPane;
        m_pPane = nullptr;
        return FALSE;
    }
    m_hPane = m_pPane->GetSafeHwnd();
    CCalendarPane::SetCurrent(m_pPane);
    return TRUE;
}

int CCalendarFrame::OnCreate(LPCREATESTRUCT lpcs) {
    if (CFrameWnd::OnCreate(lpcs) == -1)
        return -1;
    if (!m_toolbar.CreateBar(this))
        return -1;
    m_toolbar.SetCalendar(GetPane());
    if (GetPane() != nullptr)
        GetPane()->m_pOwner = &m_toolbar;
    m_toolbar.OnCalendarDateChanged(CKovCalendar::NotifyDay);
    RecalcLayout();
    return 0;
}

void CCalendarFrame::OnDestroy() {
    if (CCalendarPane::GetCurrent() == m_pPane)
        CCalendarPane::SetCurrent(nullptr);
    if (CCalendarPane* pPane = GetPane())
        pPane->m_pOwner = nullptr;
    m_toolbar.SetCalendar(nullptr);
    CFrameWnd::OnDestroy();
}

BOOL CCalendarFrame::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    const auto* pNm = reinterpret_cast<const NMHDR*>(lParam);
    if (wParam == CCalendarToolbar::ID_TOOLBAR && pNm != nullptr &&
        (int)pNm->code == CCalendarToolbar::NM_RETURN_TO_GRID) {
        if (CCalendarPane* pPane = GetPane())
            pPane->SetFocus();
        return TRUE;
    }
    return CFrameWnd::OnNotify(wParam, lParam, pResult);
}

BOOL CCalendarFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra,
                              AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (CCalendarPane* pPane = GetPane(); pPane != nullptr &&
                                          pPane->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    return CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}
