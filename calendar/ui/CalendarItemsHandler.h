// The task commands of the calendar windows (the month grid and the day information): new task,
// new sub-task, edit, delete, state, and the way over to the schedule folder, all acting on the
// task entry highlighted in the window.
#pragma once

#include "calendar/ui/ScheduleUI.h"

class CCmdTarget;
class CCmdUI;
class CKovCalendar;
class CKovCalendarCellItem;
class CWnd;

// The calendar page's way to the schedule folder.
class CCalendarManagerUI {
public:
    virtual ~CCalendarManagerUI() = default;
    // Shows the schedule folder with the tree focused; for an element, its group in the tree and
    // its row in the task list.
    virtual void ShowManagement(CScheduleElement* pElement) = 0;
    // The main window's caption after a command of the page changed a schedule: it gains the
    // modified mark.
    virtual void UpdateCalendarTitle() = 0;
};

class CCalendarItemsHandler : public CTasksUI {
public:
    enum : UINT {
        ID_NEW_TASK = 1573, ID_NEW_SUBTASK = 1574, ID_GOTO_MANAGEMENT = 1576, ID_EDIT = 1577,
        ID_STATE_FIRST = 1578, ID_STATE_LAST = 1582, ID_DELETE = 311,
    };
    // The grid's context menu.
    enum : UINT { IDR_ITEMS_MENU = 2008 };

    static BOOL IsTaskCommand(UINT nID);
    // Enables and checks the items of a context menu (its sub-menus too) through the target's
    // command handling, before the menu shows.
    static void UpdatePopupMenu(HMENU hMenu, CCmdTarget* pTarget);

    // The entry highlighted in the window (the grid's own by default) and the schedule element
    // it stands for.
    virtual CKovCalendarCellItem* GetSelectedItem();
    CScheduleElement* GetSelectedElement();
    // Enables (and checks) a task command; FALSE for any other command.
    BOOL OnUpdateCommand(UINT nID, CCmdUI* pCmdUI);
    // TRUE when the command was a task command and ran.
    BOOL OnCommand(UINT nID);
    // A task made in the sheet under the parent (a group or a task), dated on the grid's
    // selected day; the document is told. Null when none was made.
    CTask* NewTask(CGroup* pParent, CScheduleDoc* pDoc);

    // Entries are dropped before any change can free the records behind them; the window is
    // drawn again with entries asked afresh.
    void OnScheduleChanged(CScheduleUI* pSource, int nKind, CScheduleElement* pElement,
                           CGroup* pParent, int nFlag, CGroup* pOld) override;

    CCalendarManagerUI* m_pManagerUI = nullptr;

protected:
    // The grid whose selected day new tasks take (null while there is none).
    virtual CKovCalendar* GetGrid() = 0;
    // The window that serves the commands (the parent of the sheet and of questions).
    virtual CWnd* GetHandlerWnd() = 0;
    // Forgets the window's entries and draws it again, at once (bNow) or at the next paint.
    virtual void DropAndRedraw(BOOL bNow = TRUE) = 0;
    CScheduleDoc* DocumentOf(CScheduleElement* pElement);

private:
    // Tells the page that a command changed a schedule.
    void ShowModified();
};
