#include "calendar/ui/ScheduleFrame.h"

#include "calendar/ui/CalendarPane.h"
#include "calendar/ui/TaskListView.h"
#include "platform/gui/Icon.h"

IMPLEMENT_DYNCREATE(CScheduleFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CScheduleFrame, CFrameWnd)
ON_WM_CREATE()
END_MESSAGE_MAP()

CScheduleFrame::CScheduleFrame() = default;
CScheduleFrame::~CScheduleFrame() = default;

CTaskListView* CScheduleFrame::GetTaskList() const {
    return m_hList != nullptr && ::IsWindow(m_hList) ? m_pList : nullptr;
}

BOOL CScheduleFrame::PreCreateWindow(CREATESTRUCT& cs) {
    if (!CFrameWnd::PreCreateWindow(cs))
        return FALSE;
    cs.dwExStyle &= ~WS_EX_CLIENTEDGE;
    return TRUE;
}

BOOL CScheduleFrame::OnCreateClient(LPCREATESTRUCT, CCreateContext*) {
    m_pList = new CTaskListView;
    if (!m_pList->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this,
                         AFX_IDW_PANE_FIRST, nullptr)) {
        if (m_pList->GetSafeHwnd() == nullptr)
            delete m_pList;
        m_pList = nullptr;
        return FALSE;
    }
    m_hList = m_pList->GetSafeHwnd();
    m_pList->OnInitialUpdate();
    SetActiveView(m_pList);
    return TRUE;
}

int CScheduleFrame::OnCreate(LPCREATESTRUCT lpcs) {
    if (CFrameWnd::OnCreate(lpcs) == -1)
        return -1;
    static const UINT kButtons[] = {CTaskListView::ID_ALL_LEVELS, CTaskListView::ID_DAY_MODE,
                                    CTaskListView::ID_WEEK_MODE,  CTaskListView::ID_MONTH_MODE,
                                    CTaskListView::ID_FILTER,     ID_SEPARATOR,
                                    CTaskListView::ID_NEW_TASK,   CTaskListView::ID_NEW_SUBTASK};
    static const UINT kIcons[] = {530, 584, 588, 589, 585, 586, 587};
    if (!m_toolbar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS))
        return -1;
    m_images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 7, 1);
    for (UINT id : kIcons) {
        HICON hIcon = ::LoadIcon(nullptr, MAKEINTRESOURCE(id));
        if (hIcon == nullptr || m_images.Add(hIcon) < 0)
            CCalendarPane::AddIconFile(m_images, ""); // a blank keeps the numbering
    }
    m_toolbar.GetToolBarCtrl().SetImageList(&m_images);
    if (!m_toolbar.SetButtons(kButtons, (int)(sizeof kButtons / sizeof kButtons[0])))
        return -1;
    m_toolbar.SetSizes(CSize(23, 22), CSize(16, 16));
    RecalcLayout();
    return 0;
}

BOOL CScheduleFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (CTaskListView* pList = GetTaskList(); pList != nullptr &&
                                              pList->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    return CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}
