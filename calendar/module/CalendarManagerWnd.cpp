#include "calendar/module/CalendarManagerWnd.h"

#include "calendar/ui/CalendarFrame.h"
#include "calendar/ui/CalendarInfoWnd.h"
#include "calendar/ui/CalendarPane.h"
#include "calendar/ui/ScheduleFrame.h"
#include "calendar/ui/ScheduleTreeView.h"
#include "calendar/ui/TaskListView.h"
#include "platform/gui/Icon.h"
#include "shell/RightPaneFrame.h"

IMPLEMENT_DYNCREATE(CCalendarManagerWnd, COutbarWnd)

BEGIN_MESSAGE_MAP(CCalendarManagerWnd, COutbarWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_MESSAGE(WM_OUTBAR_FOLDER, &CCalendarManagerWnd::OnFolderMessage)
END_MESSAGE_MAP()

namespace {
// The key under which the page registers the calendar window with the right pane.
DWORD_PTR KeyOf(const CCalendarManagerWnd* p) {
    return (DWORD_PTR)p;
}
} // namespace

CCalendarManagerWnd::CCalendarManagerWnd() : COutbarWnd(StyleDrawer) {}

CCalendarManagerWnd::~CCalendarManagerWnd() = default;

int CCalendarManagerWnd::OnCreate(LPCREATESTRUCT lpcs) {
    if (CWnd::OnCreate(lpcs) == -1)
        return -1;
    CString caption;
    caption.LoadString(127);
    if (caption.IsEmpty())
        caption = "万年历";
    CWnd* pInfo = AddFolderPage(RUNTIME_CLASS(CCalendarInfoWnd), nullptr, caption, IDC_INFO_WND,
                                this);
    if (pInfo == nullptr)
        return -1;
    static_cast<CCalendarInfoWnd*>(pInfo)->m_bAutoDelete = TRUE;
    CString schedules;
    schedules.LoadString(931);
    if (schedules.IsEmpty())
        schedules = "任务日程";
    if (AddFolderPage(RUNTIME_CLASS(CScheduleNavigatorWnd), nullptr, schedules, IDC_NAVIGATOR,
                      this) == nullptr)
        return -1;
    SelectFolder(FolderInfo, FALSE);
    ActivateFolderWnd(FolderInfo);
    return 0;
}

void CCalendarManagerWnd::PostNcDestroy() {
    // The navigation bar never deletes its folder windows.
    delete this;
}

void CCalendarManagerWnd::OnDestroy() {
    if (CScheduleNavigatorWnd* pNavigator = GetNavigator())
        pNavigator->GetUIManager().RemoveAllListeners();
    if (CTaskListView* pList = GetTaskList()) {
        pList->m_pCalendar = nullptr;
        pList->m_pScheduleTree = nullptr;
    }
    if (m_pRightPane != nullptr && m_pRightPane->GetSafeHwnd()) {
        m_pRightPane->DestroyViews(KeyOf(this), CRightPaneFrame::KindCalendar, FALSE);
        m_pRightPane->DestroyViews(KeyOf(this), CRightPaneFrame::KindSchedules, FALSE);
    }
    m_pRightPane = nullptr;
    COutbarWnd::OnDestroy();
}

CCalendarInfoWnd* CCalendarManagerWnd::GetInfoWnd() const {
    return dynamic_cast<CCalendarInfoWnd*>(GetFolderWnd(FolderInfo));
}

CScheduleNavigatorWnd* CCalendarManagerWnd::GetNavigator() const {
    return dynamic_cast<CScheduleNavigatorWnd*>(GetFolderWnd(FolderSchedules));
}

CScheduleTreeView* CCalendarManagerWnd::GetScheduleTree() const {
    CScheduleNavigatorWnd* pNavigator = GetNavigator();
    return pNavigator != nullptr ? pNavigator->GetTree() : nullptr;
}

CScheduleFrame* CCalendarManagerWnd::GetScheduleFrame() const {
    return m_pRightPane != nullptr
               ? dynamic_cast<CScheduleFrame*>(
                     m_pRightPane->GetView(CScheduleTreeView::ViewTaskList, CRightPaneFrame::KindSchedules))
               : nullptr;
}

CTaskListView* CCalendarManagerWnd::GetTaskList() const {
    CScheduleFrame* pFrame = GetScheduleFrame();
    return pFrame != nullptr ? pFrame->GetTaskList() : nullptr;
}

CCalendarFrame* CCalendarManagerWnd::GetCalendarFrame() const {
    return m_pRightPane != nullptr
               ? dynamic_cast<CCalendarFrame*>(m_pRightPane->GetView(1, CRightPaneFrame::KindCalendar))
               : nullptr;
}

void CCalendarManagerWnd::ConnectRightPane(CRightPaneFrame* pRightPane, CWnd* pMainFrame) {
    m_pRightPane = pRightPane;
    m_pMainFrame = pMainFrame;
    if (m_hCursor == nullptr)
        m_hCursor = ::LoadCursor(nullptr, MAKEINTRESOURCE(IDC_PAGE_CURSOR));
    if (m_hCursor != nullptr)
        SetCursorHandle(m_hCursor, TRUE);
    if (m_pRightPane == nullptr)
        return;
    m_pRightPane->CreateViews(KeyOf(this), nullptr, CRightPaneFrame::KindCalendar, this);
    m_pRightPane->CreateViews(KeyOf(this), nullptr, CRightPaneFrame::KindSchedules, this);
    if (CScheduleTreeView* pTree = GetScheduleTree())
        pTree->m_pRightPane = m_pRightPane;
    LinkViews();
}

void CCalendarManagerWnd::LinkViews() {
    CCalendarFrame* pFrame = GetCalendarFrame();
    CCalendarInfoWnd* pInfo = GetInfoWnd();
    CScheduleNavigatorWnd* pNavigator = GetNavigator();
    CTaskListView* pList = GetTaskList();
    if (pNavigator != nullptr && pList != nullptr) {
        pList->OnInitialUpdate();
        CScheduleMonthCalendarWnd* pMonth = pNavigator->GetMonthCalendar();
        pList->m_pCalendar = pMonth;
        pList->m_pScheduleTree = pNavigator->GetTree();
        if (pMonth != nullptr)
            pMonth->m_pOwner = pList;
        pNavigator->GetUIManager().AddListener(pList);
    }
    if (pFrame == nullptr || pInfo == nullptr)
        return;
    // The grid and the day information serve the task commands on their entries and drop those
    // entries before the records behind them change or go.
    if (pNavigator != nullptr) {
        pNavigator->GetUIManager().AddListener(pFrame->GetPane());
        pNavigator->GetUIManager().AddListener(pInfo);
    }
    pFrame->GetPane()->m_pManagerUI = this;
    pInfo->m_pManagerUI = this;
    pInfo->SetCalendar(pFrame->GetPane());
    pFrame->GetToolbar().SetInfoWnd(pInfo);
    pInfo->Refresh();
}

BOOL CCalendarManagerWnd::ShowCalendar() {
    if (m_pRightPane == nullptr)
        return FALSE;
    if (!m_pRightPane->IsRegistered(KeyOf(this), CRightPaneFrame::KindCalendar))
        m_pRightPane->CreateViews(KeyOf(this), nullptr, CRightPaneFrame::KindCalendar, this);
    LinkViews();
    return m_pRightPane->ShowView(1, KeyOf(this), nullptr, CRightPaneFrame::KindCalendar, this);
}

BOOL CCalendarManagerWnd::ShowTaskList() {
    if (m_pRightPane == nullptr)
        return FALSE;
    if (!m_pRightPane->IsRegistered(KeyOf(this), CRightPaneFrame::KindSchedules))
        m_pRightPane->CreateViews(KeyOf(this), nullptr, CRightPaneFrame::KindSchedules, this);
    LinkViews();
    return m_pRightPane->ShowView(CScheduleTreeView::ViewTaskList, KeyOf(this), nullptr,
                                  CRightPaneFrame::KindSchedules, this);
}

void CCalendarManagerWnd::ShowManagement(CScheduleElement* pElement) {
    SelectFolder(FolderSchedules, FALSE);
    CScheduleTreeView* pTree = GetScheduleTree();
    if (pTree == nullptr)
        return;
    pTree->SetFocus();
    if (pElement != nullptr)
        pTree->ShowElement(pElement);
}

void CCalendarManagerWnd::UpdateScheduleTitle() {
    if (CScheduleTreeView* pTree = GetScheduleTree())
        pTree->UpdateTitle();
}

LRESULT CCalendarManagerWnd::OnFolderMessage(WPARAM wParam, LPARAM) {
    // Leaving the page while the schedules show: the main window lays its panes out again, as
    // the navigator has it done when the page moves from the schedules to the day information.
    if (wParam == OUTBAR_FOLDER_DEACTIVATED) {
        if (GetSelFolder() == FolderSchedules)
            if (CWnd* pTop = GetTopLevelParent(); pTop != nullptr && pTop != this)
                pTop->SendMessage(WM_RELAYOUT_SPLITTER);
        return 0;
    }
    if (wParam == OUTBAR_FOLDER_ACTIVATED && GetSelFolder() == FolderSchedules) {
        ShowTaskList();
        SelectFolder(FolderSchedules, FALSE);
        UpdateScheduleTitle();
        return 0;
    }
    if (wParam == OUTBAR_FOLDER_ACTIVATED) {
        ShowCalendar();
        SelectFolder(GetSelFolder() < 0 ? FolderInfo : GetSelFolder(), FALSE);
        // The bar gave the focus to the day information; keys belong to the month grid, so
        // that Page Down right after the page opens turns the month.
        if (GetSelFolder() == FolderInfo)
            if (CCalendarFrame* pFrame = GetCalendarFrame(); pFrame != nullptr && pFrame->GetPane())
                pFrame->GetPane()->SetFocus();
        UpdateCalendarTitle();
    }
    return 0;
}

void CCalendarManagerWnd::UpdateCalendarTitle() {
    if (m_pMainFrame == nullptr || !m_pMainFrame->GetSafeHwnd())
        return;
    CString title, caption;
    title.LoadString(0xE000);
    caption.LoadString(127);
    if (title.IsEmpty())
        return;
    CString text;
    text.Format("%s - %s", (LPCTSTR)title, (LPCTSTR)caption);
    // The grid shows the tasks of every open schedule, so any of them counts.
    if (CScheduleTreeView* pTree = GetScheduleTree())
        for (int i = 0; i < pTree->GetFileCount(); ++i)
            if (CScheduleDoc* pDoc = pTree->GetScheduleDoc(i); pDoc != nullptr && pDoc->IsModified()) {
                text += "（已修改）";
                break;
            }
    m_pMainFrame->SetWindowText(text);
}

void CCalendarManagerWnd::OnFolderChanged(int i) {
    if (i == FolderInfo) {
        ShowCalendar();
        // The caption leaves the schedule folder's tree item for the calendar's name.
        UpdateCalendarTitle();
    } else if (i == FolderSchedules) {
        ShowTaskList();
        if (CScheduleTreeView* pTree = GetScheduleTree())
            pTree->Refresh();
        // The caption names the folder at once, before any item of the tree is chosen.
        UpdateScheduleTitle();
    }
}
