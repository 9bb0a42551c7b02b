// The schedule windows' common ground: the listener interface every view of schedule elements
// implements, the manager that broadcasts each change of an element or a group to all of them,
// and the events manager that creates, edits and deletes tasks through the event sheet while
// keeping the schedule document's indexes in step.
#pragma once

#include "calendar/ScheduleDoc.h"
#include "calendar/Task.h"
#include "calendar/ui/KovCalendar.h"
#include "core/Date.h"

#include <functional>
#include <vector>

class CScheduleUIManager;
class CEventsManager;
class CWnd;

// What a change broadcast says happened.
enum ScheduleChangeKind {
    ScheduleCreated = 1,        // parent: the task's parent task or group
    ScheduleChanged = 2,        // state, level or an edit
    ScheduleDeleting = 3,       // about to be deleted
    ScheduleMoving = 4,         // flag 0 before the move, 1 after it
    ScheduleGroupChosen = 5,    // parent: the new current group, old: the group left
    ScheduleGroupCreated = 6,   // parent: the new group
    ScheduleGroupsChanged = 7,  // groups renamed, deleted or moved (or a file closing)
};

class CScheduleUI {
public:
    virtual ~CScheduleUI();
    // A change made by pSource (null: no view). pOld is kind 5's group left.
    virtual void OnScheduleChanged(CScheduleUI* /*pSource*/, int /*nKind*/,
                                   CScheduleElement* /*pElement*/, CGroup* /*pParent*/,
                                   int /*nFlag*/, CGroup* /*pOld*/ = nullptr) {}
    // The group or task selected in this view, and its document.
    virtual CGroup* GetSelection(CScheduleDoc** ppDoc) {
        if (ppDoc != nullptr)
            *ppDoc = nullptr;
        return nullptr;
    }
    // Shows and selects the element's item, when the view lists it.
    virtual BOOL SelectElement(CScheduleElement* /*pElement*/) { return FALSE; }
    CEventsManager* GetEventsManager() const;
    CScheduleUIManager* GetManager() const { return m_pManager; }

private:
    friend class CScheduleUIManager;
    CScheduleUIManager* m_pManager = nullptr;
};

// The listener side of the task list.
class CTasksUI : public CScheduleUI {};

// Creates, edits and deletes tasks; the sheet is run through an opener a test may replace.
class CEventsManager {
public:
    class CSink {
    public:
        virtual ~CSink() = default;
        // The open schedule document that holds the element, null when none does.
        virtual CScheduleDoc* GetDocumentOf(CScheduleElement* pElement) = 0;
        // The open schedule document that holds the group.
        virtual CScheduleDoc* GetDocumentOfGroup(CGroup* pGroup) = 0;
    };
    // Runs the event sheet on the event (new: preset to pDate when given); TRUE on OK with the
    // sheet saved into the event.
    using SheetRunner = std::function<BOOL(_CEvent& event, BOOL bNew, const CDate* pDate, CWnd* pParent)>;

    // A new task under the parent (a group, or a task for a sub-task) of the document. With a
    // template no sheet is shown and the new task is a copy of it (sub-tasks too). Null when the
    // sheet was cancelled or the parent is none.
    CTask* NewTask(CGroup* pParent, CScheduleDoc* pDoc, const CTask* pTemplate,
                   const CDate* pDate, CWnd* pWnd = nullptr);
    // The sheet on the task's event; on OK the event is filed again and its reminder is due
    // again. TRUE on OK.
    BOOL EditTask(CTask* pTask, CWnd* pWnd = nullptr);
    // Takes the task out of every index and deletes it from its parent task or group.
    void DeleteTask(CTask* pTask);
    // Takes a task (with its sub-tasks) out of its parent without deleting it.
    static void DetachTask(CTask* pTask);
    // The group a task's event lies in.
    static CScheduleGroup* GroupOf(CTask* pTask);
    // The list that holds the task: its parent task, or the task holder of its group.
    static CGroup* HolderOf(CTask* pTask);

    CSink* m_pSink = nullptr;
    // Null: the real sheet.
    static void SetSheetRunner(SheetRunner runner);

private:
    BOOL RunSheet(_CEvent& event, BOOL bNew, const CDate* pDate, CWnd* pWnd);
};

class CScheduleUIManager : public CKovCalendarCellItemHandler {
public:
    ~CScheduleUIManager() override;

    void AddListener(CScheduleUI* pUI);
    void RemoveListener(CScheduleUI* pUI);
    void RemoveAllListeners();
    const std::vector<CScheduleUI*>& GetListeners() const { return m_listeners; }

    // Every listener in order, with the same arguments.
    virtual void Broadcast(CScheduleUI* pSource, int nKind, CScheduleElement* pElement,
                           CGroup* pParent, int nFlag, CGroup* pOld = nullptr);
    // Tells the document's views of a change and marks the document modified.
    void Tell(CScheduleDoc* pDoc, CScheduleUI* pSource, int nKind, CScheduleElement* pElement,
              CGroup* pParent, int nFlag = 0);
    // The sheet on the element; on OK the change is broadcast and the element re-filed.
    BOOL Edit(CScheduleUI* pSource, CScheduleElement* pElement, CWnd* pWnd = nullptr);
    // Moves a task into the target group (of the same or another document).
    BOOL MoveToGroup(CScheduleUI* pSource, CTask* pTask, CScheduleGroup* pTarget);
    // A calendar entry of a task opens its sheet.
    int Activate(CKovCalendarCellItem* pItem) override;
    // The first listener's selection (and, when asked, the first document given).
    CGroup* GetCurrentSelection(CScheduleDoc** ppDoc);

    CEventsManager& GetEventsManager() { return m_events; }

private:
    std::vector<CScheduleUI*> m_listeners;
    CEventsManager m_events;
};

// The schedule element as a task, null for a plain event.
CTask* AsTask(CScheduleElement* pElement);
