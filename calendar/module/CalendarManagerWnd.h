// The calendar's page of the navigation bar ("任务日历"): its folder shows the day information
// ("万年历") beside the calendar window of the right pane, which the page brings up whenever it
// is chosen.
#pragma once

#include "calendar/ui/ScheduleUI.h"
#include "shell/OutbarWnd.h"

class CCalendarFrame;
class CCalendarInfoWnd;
class CRightPaneFrame;
class CScheduleNavigatorWnd;
class CScheduleTreeView;
class CTaskListView;

class CCalendarManagerWnd : public COutbarWnd {
    DECLARE_DYNCREATE(CCalendarManagerWnd)
public:
    enum { FolderInfo = 0, FolderSchedules = 1, IDC_INFO_WND = 100, IDC_NAVIGATOR = 101 };
    enum { IDC_PAGE_CURSOR = 7000 };

    CCalendarManagerWnd();
    ~CCalendarManagerWnd() override;

    // Joins the page to the right pane: the calendar window is made there and the day
    // information follows its grid.
    void ConnectRightPane(CRightPaneFrame* pRightPane, CWnd* pMainFrame);
    // Shows the calendar window in the right pane.
    BOOL ShowCalendar();

    // Shows the task list in the right pane.
    BOOL ShowTaskList();

    CCalendarInfoWnd* GetInfoWnd() const;
    CCalendarFrame* GetCalendarFrame() const;
    CScheduleNavigatorWnd* GetNavigator() const;
    CScheduleTreeView* GetScheduleTree() const;
    CTaskListView* GetTaskList() const;
    CRightPaneFrame* GetRightPane() const { return m_pRightPane; }

protected:
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnDestroy();
    LRESULT OnFolderMessage(WPARAM wParam, LPARAM lParam);
    void OnFolderChanged(int i) override;
    void PostNcDestroy() override;
    void LinkViews();
    DECLARE_MESSAGE_MAP()

    // The calendar window and the day information hear of schedule changes through this: their
    // entries are dropped before the records behind them change or go.
    class CCalendarViews : public CScheduleUI {
    public:
        CCalendarManagerWnd* m_pPage = nullptr;
        void OnScheduleChanged(CScheduleUI* pSource, int nKind, CScheduleElement* pElement,
                               CGroup* pParent, int nFlag, CGroup* pOld) override;
    };
    CCalendarViews m_calendarViews;

    CRightPaneFrame* m_pRightPane = nullptr;
    CWnd* m_pMainFrame = nullptr;
    HCURSOR m_hCursor = nullptr;
};
