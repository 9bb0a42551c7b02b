// A group of a schedule: events are its contents, and an embedded holder task keeps its tasks
// (the holder's sub-tasks), stored after the group's name.
#pragma once

#include "calendar/Event.h"
#include "calendar/Task.h"
#include "core/Group.h"

class CScheduleGroup : public CGroup {
    DECLARE_SERIAL(CScheduleGroup)
public:
    explicit CScheduleGroup(LPCTSTR lpszName = nullptr);
    // A copy of another group, whole or by its attributes only.
    CScheduleGroup(const CScheduleGroup& other, BOOL bWhole);
    ~CScheduleGroup() override;

    CRuntimeClass* GetContentClass() const override;
    CGroup* CreateSubGroup(LPCTSTR lpszName) override;
    // The group attributes, the name, and the tasks.
    void CopyAttributes(const CGroup* pSource) override { CopyAttributes(pSource, TRUE); }
    void CopyAttributes(const CGroup* pSource, BOOL bWithTasks);
    // The name, then the holder task with every task and sub-task.
    void SerializeExtra(CArchive& ar) override;
    // Moves every task into the destination's holder.
    void MoveContentsTo(CGroup* pDest) override;
    // Counts tasks (the events are not counted).
    int GetContentCount(BOOL bRecursive, BOOL bIncludeLocked) const override;
    void RemoveAll() override;

    CTask& GetTaskHolder() { return m_holder; }
    const CTask& GetTaskHolder() const { return m_holder; }
    // Adds a task (sorted) with its event in this group.
    void AddTask(CTask* pTask);
    // Takes a task out of the holder (deleting it with bDelete).
    BOOL RemoveTask(CTask* pTask, BOOL bDelete);

    BOOL IsIndexed() const { return m_bIndexed; }
    void SetIndexed(BOOL b) { m_bIndexed = b; }

private:
    void AdoptTasks();

    CTask m_holder;
    BOOL m_bIndexed = FALSE;
};
