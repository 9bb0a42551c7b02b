// The calendar window of the right pane: the tool bar over the month grid. The grid it makes is
// the program's current calendar pane while the window lives.
#pragma once

#include "calendar/ui/CalendarPane.h"
#include "calendar/ui/CalendarToolbar.h"

#include "platform/gui/Frame.h"

class CCalendarFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CCalendarFrame)
public:
    CCalendarFrame();
    ~CCalendarFrame() override;

    // The grid while its window lives (null once it has gone, as during the frame's closing).
    CCalendarPane* GetPane() const {
        return m_hPane != nullptr && ::IsWindow(m_hPane) ? m_pPane : nullptr;
    }
    CCalendarToolbar& GetToolbar() { return m_toolbar; }

    BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

protected:
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnDestroy();
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    DECLARE_MESSAGE_MAP()

    CCalendarToolbar m_toolbar;
    CCalendarPane* m_pPane = nullptr;
    HWND m_hPane = nullptr;
};
