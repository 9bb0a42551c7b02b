#include "calendar/module/CalendarModule.h"

#include "calendar/module/CalendarManagerWnd.h"
#include "calendar/ui/CalendarFrame.h"
#include "calendar/ui/CalendarPane.h"
#include "calendar/ui/ScheduleFrame.h"
#include "calendar/ui/ScheduleTreeView.h"
#include "calendar/ui/TaskListView.h"
#include "shell/MainFrm.h"
#include "shell/PromptInfoWnd.h"
#include "shell/OutbarWnd.h"
#include "shell/QuillmarOptions.h"
#include "shell/RightPaneFrame.h"
#include "shell/SmsApp.h"

namespace {
int StartWeekDay() {
    CSmsApp* pApp = AfxGetSmsApp();
    return pApp != nullptr ? pApp->m_options.m_calendar.m_nStartWeekDay
                           : CCalendarPane::GetDefaultFirstDayOfWeek();
}
} // namespace

void CCalendarPromptWindows::OnPromptShown(CPromptInfoWnd* pWnd) {
    if (pWnd != nullptr)
        m_shown.push_back(pWnd->GetSafeHwnd());
}

void CCalendarPromptWindows::CloseAll() {
    for (HWND h : m_shown)
        if (h != nullptr && ::IsWindow(h))
            CWnd::FromHandle(h)->DestroyWindow();
    m_shown.clear();
}

CCalendarModule::CCalendarModule() {
    m_reminder.SetTimerOwner(this);
    m_reminder.SetPromptWindows(&m_promptWindows);
}

CCalendarModule::~CCalendarModule() {
    CScheduleNavigatorWnd::SetDefaultReminder(nullptr);
}

CRuntimeClass* CCalendarModule::GetFolderClass() const {
    return RUNTIME_CLASS(CCalendarManagerWnd);
}

void CCalendarModule::RegisterViews() {
    CRightPaneFrame::RegisterViewClass(CRightPaneFrame::KindCalendar, 1,
                                       RUNTIME_CLASS(CCalendarFrame));
    CRightPaneFrame::RegisterViewClass(CRightPaneFrame::KindSchedules,
                                       CScheduleTreeView::ViewTaskList,
                                       RUNTIME_CLASS(CScheduleFrame));
    // The navigator made with the page hands its tree to the reminder and the frame's registry.
    CScheduleNavigatorWnd::SetDefaultReminder(&m_reminder);
}

CScheduleTreeView* CCalendarModule::GetScheduleTree() const {
    CCalendarManagerWnd* pPage = GetPage();
    return pPage != nullptr ? pPage->GetScheduleTree() : nullptr;
}

CDocument* CCalendarModule::OpenFile(CMainFrame*, LPCTSTR lpszPath, const CString&) {
    CCalendarManagerWnd* pPage = GetPage();
    CScheduleTreeView* pTree = GetScheduleTree();
    if (pPage == nullptr || pTree == nullptr)
        return nullptr;
    pPage->SelectFolder(CCalendarManagerWnd::FolderSchedules, TRUE);
    return pTree->OpenFile(lpszPath, FALSE);
}

BOOL CCalendarModule::CloseFiles(CMainFrame*) {
    CScheduleTreeView* pTree = GetScheduleTree();
    return pTree == nullptr || pTree->CloseAllFiles();
}

std::vector<CString> CCalendarModule::GetOpenFiles(const CString&) const {
    std::vector<CString> files;
    if (CScheduleTreeView* pTree = GetScheduleTree()) {
        CStringList list;
        pTree->GetOpenFiles(list, TRUE);
        for (POSITION pos = list.GetHeadPosition(); pos != nullptr;)
            files.push_back(list.GetNext(pos));
    }
    return files;
}

void CCalendarModule::OnStartup(CSmsApp*) {
    m_reminder.Start();
}

void CCalendarModule::OnFrameTimer(CMainFrame*, UINT_PTR nIDEvent) {
    if (nIDEvent == ReminderTimer)
        m_reminder.Check();
}

void CCalendarModule::StartTimer(UINT nPeriod) {
    if (m_hFrame != nullptr && ::IsWindow(m_hFrame))
        CWnd::FromHandle(m_hFrame)->SetTimer(ReminderTimer, nPeriod, nullptr);
}

void CCalendarModule::StopTimer() {
    if (m_hFrame != nullptr && ::IsWindow(m_hFrame))
        CWnd::FromHandle(m_hFrame)->KillTimer(ReminderTimer);
}

CCalendarManagerWnd* CCalendarModule::GetPage() const {
    return m_hPage != nullptr && ::IsWindow(m_hPage)
               ? dynamic_cast<CCalendarManagerWnd*>(CWnd::FromHandle(m_hPage))
               : nullptr;
}

void CCalendarModule::ConnectFrame(CMainFrame* pFrame) {
    m_hPage = nullptr;
    m_hFrame = pFrame != nullptr ? pFrame->GetSafeHwnd() : nullptr;
    if (pFrame == nullptr || pFrame->GetOutbar() == nullptr)
        return;
    // The schedule tree made from now on gives the calendar its tasks.
    CScheduleTreeView::SetDefaultExtInfoManager(pFrame->GetCalendarExtInfoManager());
    // Panes made from now on start with the option's first weekday and ask the main window's
    // sources for their entries.
    CCalendarPane::SetDefaults(StartWeekDay(),
                               pFrame->GetCalendarExtInfoManager());
    auto* pPage =
        dynamic_cast<CCalendarManagerWnd*>(pFrame->GetOutbar()->GetFolderWnd(FolderCalendar));
    if (pPage == nullptr)
        return;
    m_hPage = pPage->GetSafeHwnd();
    pPage->ConnectRightPane(pFrame->GetRightPane(), pFrame);
    // The tree's tasks show in the calendar and give the reminders, whether or not the folder
    // is ever opened.
    if (CScheduleTreeView* pTree = pPage->GetScheduleTree()) {
        pTree->JoinExtInfoManager(pFrame->GetCalendarExtInfoManager());
        m_reminder.SetSink(pTree);
    }
}

void CCalendarModule::OnExit(CSmsApp*) {
    m_reminder.Stop();
    m_promptWindows.CloseAll();
    m_reminder.SetSink(nullptr);
    CScheduleTreeView::SetDefaultExtInfoManager(nullptr);
    CCalendarPane::SetDefaults(CCalendarPane::GetDefaultFirstDayOfWeek(), nullptr);
}

void CCalendarModule::OnStartWeekDayChanged(int nDay) {
    CCalendarPane::SetDefaults(nDay, CCalendarPane::GetDefaultExtInfo());
    if (CCalendarPane* pPane = CCalendarPane::GetCurrent())
        pPane->SetFirstDayOfWeek(nDay, TRUE);
}

void RegisterCalendarModule() {
    static CCalendarModule s_module;
    AfxRegisterShellModule(&s_module);
}
