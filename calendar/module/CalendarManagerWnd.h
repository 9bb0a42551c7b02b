// The calendar's page of the navigation bar ("任务日历"): its folder shows the day information
// ("万年历") beside the calendar window of the right pane, which the page brings up whenever it
// is chosen.
#pragma once

#include "calendar/ui/CalendarItemsHandler.h"
#include "calendar/ui/ScheduleUI.h"
#include "shell/OutbarWnd.h"

class CCalendarFrame;
class CCalendarInfoWnd;
class CRightPaneFrame;
class CScheduleFrame;
class CScheduleNavigatorWnd;
class CScheduleTreeView;
class CTaskListView;

class CCalendarManagerWnd : public COutbarWnd, public CCalendarManagerUI {
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
    // The right pane's task list window (its tool bar over the list) and the list in it.
    CScheduleFrame* GetScheduleFrame() const;
    CTaskListView* GetTaskList() const;
    CRightPaneFrame* GetRightPane() const { return m_pRightPane; }

    // CCalendarManagerUI: the schedule folder, its tree focused, the element's group and row.
    void ShowManagement(CScheduleElement* pElement) override;
    // CCalendarManagerUI: the caption of the calendar folder, "（已修改）" after it while an open
    // schedule has unsaved changes.
    void UpdateCalendarTitle() override;

protected:
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnDestroy();
    LRESULT OnFolderMessage(WPARAM wParam, LPARAM lParam);
    void OnFolderChanged(int i) override;
    void PostNcDestroy() override;
    void LinkViews();
    DECLARE_MESSAGE_MAP()

    // The main window's caption names the schedule folder and the tree's current item.
    void UpdateScheduleTitle();

    CRightPaneFrame* m_pRightPane = nullptr;
    CWnd* m_pMainFrame = nullptr;
    HCURSOR m_hCursor = nullptr;
};
