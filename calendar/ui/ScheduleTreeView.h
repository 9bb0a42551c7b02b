// The task side of the calendar page: the navigator ("任务日程") stacks a small month calendar
// over the tree of the open schedule files (".sch") and their groups. The tree is the calendar's
// source of task entries, the reminder's source of due prompts and the events manager's sink;
// every change it makes goes out through the schedule UI manager to all the schedule views.
#pragma once

#include "calendar/CalendarExtInfo.h"
#include "calendar/Reminder.h"
#include "calendar/ui/KovMonthCalendarCtrl.h"
#include "calendar/ui/ScheduleUI.h"
#include "platform/gui/Splitter.h"
#include "ui/GroupTreeView.h"

class CScheduleTreeView : public CGroupTreeView,
                          public CScheduleUI,
                          public CCalendarExtInfo,
                          public CEventsManager::CSink,
                          public CReminder::ISink {
    DECLARE_DYNCREATE(CScheduleTreeView)
public:
    // The schedule menu's commands and the base commands they stand for.
    enum : UINT { ID_NEW_TASK_PAGE = 450, ID_NEW_GROUP_MENU = 451, ID_DELETE_MENU = 800 };
    // The right pane's task list.
    enum { ViewTaskList = 1 };
    // The context menu: a group's, a file's and the top item's pop-ups.
    enum : UINT { IDR_TREE_MENU = 2009 };

    CScheduleTreeView();
    ~CScheduleTreeView() override;

    static UINT MapCommand(UINT nID);

    void InitView() override;
    CQuillmarBaseDoc* CreateDocument() override;
    CGroup* GetRootGroup(CQuillmarBaseDoc* pDoc) override;
    CGroup* CreateGroupFor(CObject* pObject) override;
    BOOL CloseFile(CFileInfo* pInfo, BOOL bQuiet, BOOL bAskSave) override;
    // A file read from disk has its indexes built: its tasks show and remind at once.
    CQuillmarBaseDoc* OpenFile(LPCTSTR lpszPath, BOOL bCreateNew) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    void OnInitialUpdate() override;
    BOOL PasteInto(CGroup* pGroup) override;
    BOOL IsClipboardEmpty() override;

    // CScheduleUI
    void OnScheduleChanged(CScheduleUI* pSource, int nKind, CScheduleElement* pElement,
                           CGroup* pParent, int nFlag, CGroup* pOld) override;
    CGroup* GetSelection(CScheduleDoc** ppDoc) override;
    // CCalendarExtInfo
    int GetDayInfo(const CDate& date, CKovCalendarCellItemList* pItems, BOOL bStopAtFirst) override;
    // CEventsManager::CSink
    CScheduleDoc* GetDocumentOf(CScheduleElement* pElement) override;
    CScheduleDoc* GetDocumentOfGroup(CGroup* pGroup) override;
    // CReminder::ISink
    void GetDuePrompts(CReminder::CPromptList& list, const CDateTime& now) override;
    void OnPromptResult(int nResult, CScheduleElement* pElement) override;

    // The manager every document made from now on reports to.
    void SetUIManager(CScheduleUIManager* pManager) { m_pUIManager = pManager; }
    CScheduleUIManager* GetUIManager() const { return m_pUIManager; }
    // The group of the current item (a file root's root group), null on the top item.
    CScheduleGroup* GetCurrentGroup();
    CScheduleDoc* GetScheduleDoc(int nFile);
    // Selects the tree item of the group.
    BOOL SelectGroup(CGroup* pGroup);
    // Selects the element's group and has every schedule view show the element.
    void ShowElement(CScheduleElement* pElement);
    // Selects the current item again so that kind 5 goes out again.
    void Refresh();
    // The frame's calendar registry (null: none) the tree joins at its first update.
    static void SetDefaultExtInfoManager(CCalendarExtInfoManager* pManager);
    // Joins the registry now (leaving the one it was in).
    void JoinExtInfoManager(CCalendarExtInfoManager* pManager);

    // Tasks cut or copied in the task list wait here for a paste into a group.
    CGroup& GetTaskClipboard() { return m_taskClipboard; }
    // Deletes the cut tasks never pasted and empties the list.
    void EmptyTaskClipboard(BOOL bDeleteCut);

    // A task dropped on the group under a point of the tree: moved there, or (bCopy) copied.
    // With bTest nothing changes; the answer says whether the drop would be taken. A move onto
    // the task's own group is refused.
    BOOL DropTask(CTask* pTask, CPoint point, BOOL bCopy, BOOL bTest, HTREEITEM* phHit = nullptr);

protected:
    void OnFileClosing(CFileInfo* pInfo) override;
    void OnCurrentItemChanged(HTREEITEM hItem, BOOL bUpdateViews) override;
    void OnNewTaskPage();
    void OnSelChangedBroadcast(NMHDR* pNMHDR, LRESULT* pResult);
    // WM_USER+30: a task of the task list over the tree; other drops are the base's.
    LRESULT OnTaskDropQuery(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    CScheduleUIManager* m_pUIManager = nullptr;
    CGroup m_taskClipboard;
    HTREEITEM m_hLastSelected = nullptr;
    // Set while a selection change is told to the listeners by the tree's own notification.
    BOOL m_bInSelChange = FALSE;
    CCalendarExtInfoManager* m_pExtInfoManager = nullptr;
};

// The navigator's month calendar: it redraws on every schedule change.
class CScheduleMonthCalendarWnd : public CKovMonthCalendarCtrl, public CScheduleUI {
    DECLARE_DYNCREATE(CScheduleMonthCalendarWnd)
public:
    void OnScheduleChanged(CScheduleUI* pSource, int nKind, CScheduleElement* pElement,
                           CGroup* pParent, int nFlag, CGroup* pOld) override;

protected:
    // Made by the navigator's splitter, it goes with its window.
    void PostNcDestroy() override {
        CKovMonthCalendarCtrl::PostNcDestroy();
        delete this;
    }
};

class CScheduleNavigatorWnd : public CWnd {
    DECLARE_DYNCREATE(CScheduleNavigatorWnd)
public:
    enum { CalendarHeight = 150 };
    CScheduleNavigatorWnd();
    ~CScheduleNavigatorWnd() override;

    CScheduleMonthCalendarWnd* GetMonthCalendar() const;
    CScheduleTreeView* GetTree() const;
    CScheduleUIManager& GetUIManager() { return m_manager; }
    // The reminder that takes the tree as its sink (null: none).
    static void SetDefaultReminder(CReminder* pReminder);

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

protected:
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnSize(UINT nType, int cx, int cy);
    void OnDestroy();
    LRESULT OnFolderMessage(WPARAM wParam, LPARAM lParam);
    void PostNcDestroy() override;
    DECLARE_MESSAGE_MAP()

    CSplitterWnd m_splitter;
    CScheduleUIManager m_manager;
};
