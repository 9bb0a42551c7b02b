#include "calendar/ScheduleGroup.h"

#include "platform/base/Archive.h"

IMPLEMENT_SERIAL(CScheduleGroup, CGroup, 1)

CScheduleGroup::CScheduleGroup(LPCTSTR lpszName) : CGroup(lpszName) {}

CScheduleGroup::CScheduleGroup(const CScheduleGroup& other, BOOL bWhole) {
    if (bWhole)
        CopyFrom(&other);
    else
        CopyAttributes(&other, FALSE);
}

CScheduleGroup::~CScheduleGroup() {
    CScheduleGroup::RemoveAll();
}

CRuntimeClass* CScheduleGroup::GetContentClass() const {
    return RUNTIME_CLASS(_CEvent);
}

CGroup* CScheduleGroup::CreateSubGroup(LPCTSTR lpszName) {
    return new CScheduleGroup(lpszName);
}

void CScheduleGroup::CopyAttributes(const CGroup* pSource, BOOL bWithTasks) {
    CGroup::CopyAttributes(pSource);
    if (pSource == nullptr)
        return;
    SetName(pSource->GetName());
    const auto* source = dynamic_cast<const CScheduleGroup*>(pSource);
    if (bWithTasks && source != nullptr && source != this) {
        m_holder.CopyFrom(&source->m_holder);
        AdoptTasks();
    }
}

void CScheduleGroup::SerializeExtra(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << m_strName;
        m_holder.Serialize(ar);
        return;
    }
    ar >> m_strName;
    m_holder.Serialize(ar);
    AdoptTasks();
}

void CScheduleGroup::AdoptTasks() {
    // The holder is no group of the tree: a task at the top answers this group as its parent,
    // through its event.
    for (POSITION pos = m_holder.GetHeadPosition(); pos != nullptr;) {
        CTask* pTask = m_holder.GetNextSubTask(pos);
        pTask->SetParent(nullptr);
        pTask->SetEventParent(this);
    }
}

void CScheduleGroup::MoveContentsTo(CGroup* pDest) {
    auto* dest = dynamic_cast<CScheduleGroup*>(pDest);
    if (dest == nullptr || dest == this)
        return;
    while (!m_holder.IsEmpty()) {
        auto* pTask = static_cast<CTask*>(m_holder.RemoveHead());
        pTask->SetParent(nullptr);
        dest->AddTask(pTask);
    }
}

int CScheduleGroup::GetContentCount(BOOL bRecursive, BOOL bIncludeLocked) const {
    int n = m_holder.GetSubgroupCount();
    if (!bRecursive)
        return n;
    for (POSITION pos = GetHeadPosition(); pos != nullptr;) {
        const CGroup* pGroup = GetNextSubgroup(pos);
        if (bIncludeLocked || !pGroup->IsLocked())
            n += pGroup->GetContentCount(TRUE, bIncludeLocked);
    }
    return n;
}

void CScheduleGroup::RemoveAll() {
    CGroup::RemoveAll();
    m_holder.RemoveAll();
}

void CScheduleGroup::AddTask(CTask* pTask) {
    m_holder.AddSubgroup(pTask, TRUE, nullptr, TRUE, FALSE);
    pTask->SetEventParent(this);
}

BOOL CScheduleGroup::RemoveTask(CTask* pTask, BOOL bDelete) {
    return m_holder.RemoveSubgroup(pTask, bDelete);
}
