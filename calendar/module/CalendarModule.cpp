#include "calendar/module/CalendarModule.h"

#include "calendar/module/CalendarManagerWnd.h"
#include "calendar/ui/CalendarFrame.h"
#include "calendar/ui/CalendarPane.h"
#include "shell/MainFrm.h"
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

CRuntimeClass* CCalendarModule::GetFolderClass() const {
    return RUNTIME_CLASS(CCalendarManagerWnd);
}

void CCalendarModule::RegisterViews() {
    CRightPaneFrame::RegisterViewClass(CRightPaneFrame::KindCalendar, 1,
                                       RUNTIME_CLASS(CCalendarFrame));
}

CCalendarManagerWnd* CCalendarModule::GetPage() const {
    return m_hPage != nullptr && ::IsWindow(m_hPage)
               ? dynamic_cast<CCalendarManagerWnd*>(CWnd::FromHandle(m_hPage))
               : nullptr;
}

void CCalendarModule::ConnectFrame(CMainFrame* pFrame) {
    m_hPage = nullptr;
    if (pFrame == nullptr || pFrame->GetOutbar() == nullptr)
        return;
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
}

void CCalendarModule::OnExit(CSmsApp*) {
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
