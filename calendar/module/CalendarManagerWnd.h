// The calendar's page of the navigation bar ("任务日历"): its folder shows the day information
// ("万年历") beside the calendar window of the right pane, which the page brings up whenever it
// is chosen.
#pragma once

#include "shell/OutbarWnd.h"

class CCalendarFrame;
class CCalendarInfoWnd;
class CRightPaneFrame;

class CCalendarManagerWnd : public COutbarWnd {
    DECLARE_DYNCREATE(CCalendarManagerWnd)
public:
    enum { FolderInfo = 0, IDC_INFO_WND = 100 };
    enum { IDC_PAGE_CURSOR = 7000 };

    CCalendarManagerWnd();
    ~CCalendarManagerWnd() override;

    // Joins the page to the right pane: the calendar window is made there and the day
    // information follows its grid.
    void ConnectRightPane(CRightPaneFrame* pRightPane, CWnd* pMainFrame);
    // Shows the calendar window in the right pane.
    BOOL ShowCalendar();

    CCalendarInfoWnd* GetInfoWnd() const;
    CCalendarFrame* GetCalendarFrame() const;
    CRightPaneFrame* GetRightPane() const { return m_pRightPane; }

protected:
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnDestroy();
    LRESULT OnFolderMessage(WPARAM wParam, LPARAM lParam);
    void OnFolderChanged(int i) override;
    void PostNcDestroy() override;
    void LinkViews();
    DECLARE_MESSAGE_MAP()

    CRightPaneFrame* m_pRightPane = nullptr;
    CWnd* m_pMainFrame = nullptr;
    HCURSOR m_hCursor = nullptr;
};
