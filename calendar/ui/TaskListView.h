// The task list of the right pane: the tasks of the group chosen in the schedule tree as a tree
// with columns (sub-tasks under their tasks), filtered by a task filter whose dates can follow
// the day, week or month chosen in the navigator's month calendar. It edits tasks through the
// events manager, tells the schedule document of each change and follows changes made elsewhere.
#pragma once

#include "calendar/Task.h"
#include "calendar/ui/KovCalendar.h"
#include "calendar/ui/ScheduleUI.h"
#include "platform/gui/ImageList.h"
#include "ui/GroupHelper.h"
#include "ui/HookedWnd.h"
#include "ui/KovColumnTreeView.h"

#include <vector>

class CTaskListView;
class CScheduleTreeView;

class CTaskColumnTreeCtrl : public CColumnTreeCtrl {
    DECLARE_DYNCREATE(CTaskColumnTreeCtrl)
public:
    enum { LevelWidth = 9, MarkWidth = 16 };
    // Where each flag of a task goes in its cell: importance, urgency, recurrence, reminder
    // (-1: not drawn), x offsets from the cell's left.
    static void FlagPlaces(const _CEvent& event, int xs[4]);

    CTaskListView* m_pView = nullptr;
    CImageList& GetLevelImages() { return m_levels; }
    CImageList& GetMarkImages() { return m_marks; }

protected:
    void CreateChildren() override;
    void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult) override;
    CImageList m_levels;
    CImageList m_marks;
    BOOL m_bLevels = FALSE, m_bMarks = FALSE;
};

class CTaskListView : public CKovColumnTreeView, public CTasksUI, public CIGroupManager,
                      public CHookedWnd::IHooker, public CICalendarController {
    DECLARE_DYNCREATE(CTaskListView)
public:
    enum : UINT {
        ID_NEW_TASK = 1573, ID_NEW_SUBTASK = 1574, ID_EDIT = 1577, ID_STATE_FIRST = 1578,
        ID_STATE_LAST = 1582, ID_IMPORTANCE_FIRST = 1590, ID_IMPORTANCE_LAST = 1592,
        ID_URGENCY_FIRST = 1610, ID_URGENCY_LAST = 1612, ID_SELECT_ALL = 57642,
        ID_INVERT_SELECTION = 1620, ID_SELECT_SUBTASKS = 1621, ID_DELETE = 311,
        ID_ALL_LEVELS = 484, ID_DAY_MODE = 1575, ID_WEEK_MODE = 1623, ID_MONTH_MODE = 1624,
        ID_FILTER = 1622, ID_CUT = 57635, ID_COPY = 57634, ID_PASTE = 57637,
    };
    enum { ModeNone = -1, ModeDay = 0, ModeWeek = 1, ModeMonth = 2 };
    enum { ColTitle = 0, ColFlags, ColState, ColPercent, ColStart, ColEnd };

    CTaskListView();
    ~CTaskListView() override;

    void OnInitialUpdate() override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    // CScheduleUI
    void OnScheduleChanged(CScheduleUI* pSource, int nKind, CScheduleElement* pElement,
                           CGroup* pParent, int nFlag, CGroup* pOld) override;
    CGroup* GetSelection(CScheduleDoc** ppDoc) override;
    BOOL SelectElement(CScheduleElement* pElement) override;
    // CICalendarController
    void OnCalendarDateChanged(int nCode) override;
    // CHookedWnd::IHooker
    BOOL OnHookedMessage(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    void SetViewMode(int nMode);
    int GetViewMode() const { return m_nViewMode; }
    BOOL UpdateDateRange();
    CTaskFilter& GetFilter() { return m_filter; }
    BOOL IsAllLevels() const { return m_bAllLevels; }
    void SetAllLevels(BOOL b);
    // Lists the current group's tasks again.
    void Refill();
    CScheduleGroup* GetCurrentGroup() const { return m_pGroup; }
    void SetCurrentGroup(CScheduleGroup* pGroup);

    // A dragged row over another window: the schedule tree takes its task into the group under
    // the point (x, y in the list's tree coordinates). The answer says whether it did (or, with
    // bTest, would).
    BOOL DropOnTree(DRAGITEM item, int x, int y, int keyFlags, BOOL bTest, BOOL bHasNext,
                    BOOL bFirst, HWND& hTargetWnd, DRAGITEM& target);

    // Operations of the commands.
    CTask* NewTask(CGroup* pParent);
    void CutOrCopy(BOOL bCut);
    void Paste();
    void DeleteSelected(BOOL bAsk);
    void SetStateOfSelected(int nState);
    void SetLevelOfSelected(BOOL bImportance, int nLevel);
    void EditFocused();

    // The tasks of the selected items in selection (tree) order.
    std::vector<CTask*> GetSelectedTasks();
    CTask* GetFocusedTask();
    HTREEITEM FindItem(CTask* pTask) const;
    CTask* GetItemTask(HTREEITEM hItem) const;
    CString GetItemText(HTREEITEM hItem, int nColumn) const;
    CCustomTreeChildCtrl& Tree() const { return GetTreeCtrl(); }

    // The navigator's month calendar, the source of the reference date (may be null).
    CKovCalendar* m_pCalendar = nullptr;
    // The tree whose task clipboard the view uses (may be null: the view keeps its own).
    CScheduleTreeView* m_pScheduleTree = nullptr;

protected:
    CGroup& Clipboard();
    CScheduleDoc* DocumentOf(CTask* pTask);
    // The document of a group or a task the view adds to.
    CScheduleDoc* DocumentOfTarget(CGroup* pTarget);
    void Tell(CTask* pTask, int nKind, CGroup* pParent, int nFlag = 0);
    HTREEITEM InsertTask(CTask* pTask, HTREEITEM hParent, BOOL bWithSubs);
    void FillTexts(HTREEITEM hItem, CTask* pTask);
    void RemoveItem(HTREEITEM hItem);
    BOOL ShowsTask(CTask* pTask) const;
    void UpdateCommand(CCmdUI* pCmdUI, UINT nID);
    BOOL DoCommand(UINT nID);
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void OnContextMenu(CWnd* pWnd, CPoint point);
    void OnDestroy();
    // The menu's items enabled and checked as the commands stand.
    LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    CTaskFilter m_filter;
    BOOL m_bAllLevels = FALSE;
    int m_nViewMode = ModeNone;
    CScheduleGroup* m_pGroup = nullptr;
    CGroup m_ownClipboard;
    // The tasks of the rows a real drop carries, read before the first of them moves (a move
    // takes rows, sub-task rows too, out of the list).
    std::vector<std::pair<DRAGITEM, CTask*>> m_dropped;
};
