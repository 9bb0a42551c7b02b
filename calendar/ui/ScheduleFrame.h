// The task list as the right pane shows it: a flat tool bar (all sub-levels, day, week and month
// modes, the filter, new task and new sub-task) over the list.
#pragma once

#include "platform/gui/Frame.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/ToolBar.h"

class CTaskListView;

class CScheduleFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CScheduleFrame)
public:
    CScheduleFrame();
    ~CScheduleFrame() override;

    // The list while its window lives.
    CTaskListView* GetTaskList() const;
    CToolBar& GetToolBar() { return m_toolbar; }

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

protected:
    int OnCreate(LPCREATESTRUCT lpcs);
    DECLARE_MESSAGE_MAP()

    CToolBar m_toolbar;
    CImageList m_images;
    CTaskListView* m_pList = nullptr;
    HWND m_hList = nullptr;
};
