// A task: a schedule item that holds sub-tasks (its sub-groups) and keeps all of its own data in
// an embedded event, so that every date question of an event also serves a task; and the filter
// that decides which tasks a task list shows.
#pragma once

#include "calendar/Event.h"
#include "calendar/ScheduleElement.h"
#include "core/Date.h"
#include "core/Group.h"
#include "platform/base/Types.h"

class CTask : public CGroup, public CScheduleElement {
    DECLARE_SERIAL(CTask)
public:
    CTask();
    ~CTask() override;

    CString& GetName() override { return m_event.GetName(); }
    void SetName(LPCTSTR lpszName) override { m_event.SetName(lpszName); }
    // The embedded events' order: start moment, then name.
    int CompareName(const CGroupItem* pOther) const override;
    // Its own parent task, or else the group that holds its event.
    CGroup* GetParent() const override;
    // The event's settings, then the sub-tasks.
    void CopyFrom(const CGroup* pSource) override;
    // The embedded event is the task's own stored part.
    void SerializeExtra(CArchive& ar) override;
    CGroup* CreateSubGroup(LPCTSTR lpszName) override;
    // A sub-task taken out without being deleted leaves its event's group too.
    BOOL RemoveSubgroup(CGroup* pGroup, BOOL bDelete) override;

    _CEvent* GetEvent() { return &m_event; }
    const _CEvent* GetEvent() const { return &m_event; }
    CScheduleElement* GetScheduleElement() { return this; }
    CObject* GetElementObject() override { return this; }
    _CEvent* GetElementEvent() override { return &m_event; }

    // Sets the group of this task's event and of every sub-task's event.
    void SetEventParent(CGroup* pGroup);
    CTask* GetNextSubTask(POSITION& pos) const { return static_cast<CTask*>(GetNext(pos)); }

private:
    _CEvent m_event;
};

// What new tasks are made as.
class CAdvTask : public CTask {
    DECLARE_SERIAL(CAdvTask)
public:
    CAdvTask() = default;
};

class CTaskFilter {
public:
    enum : int {
        BY_DATE = 0x01,
        BY_STATUS = 0x04,
        BY_IMPORTANCE = 0x08,
        BY_URGENCY = 0x10,
        BY_HAS_DATE = 0x20,
        BY_RECURRING = 0x40,
    };

    void SetCriteria(int mask, int bits) { m_nCriteria = bits | (m_nCriteria & ~mask); }
    int GetCriteria() const { return m_nCriteria; }
    void SetRange(const CDate& from, const CDate& to) {
        m_from = from;
        m_to = to;
    }
    void GetRange(CDate& from, CDate& to) const {
        from = m_from;
        to = m_to;
    }
    // The set of one criterion (status, importance, urgency, has-date, recurring); 0 for others.
    int GetChoice(int criterion) const;
    void SetChoice(int criterion, int value);

    // A task that fails is still accepted when one of its descendants passes.
    BOOL Accepts(const CTask* pTask) const;

private:
    BOOL AcceptsItself(const CTask* pTask) const;
    int* ChoiceOf(int criterion);

    int m_nCriteria = 0;
    CDate m_from;
    CDate m_to;
    int m_nStatusSet = 0;
    int m_nImportanceSet = 0;
    int m_nUrgencySet = 0;
    int m_nHasDateChoice = 0;
    int m_nRecurringChoice = 0;
};
