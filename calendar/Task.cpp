#include "calendar/Task.h"

#include "platform/base/Archive.h"

IMPLEMENT_SERIAL(CTask, CGroup, 1)
IMPLEMENT_SERIAL(CAdvTask, CTask, 1)

CTask::CTask() {
    // Filed in a per-date list, the event stands for the task.
    m_event.SetReferredElement(this);
}

CTask::~CTask() = default;

int CTask::CompareName(const CGroupItem* pOther) const {
    if (const auto* other = dynamic_cast<const CTask*>(pOther))
        return m_event.CompareName(&other->m_event);
    return CGroup::CompareName(pOther);
}

CGroup* CTask::GetParent() const {
    return m_pParent != nullptr ? m_pParent : m_event.GetParent();
}

void CTask::CopyFrom(const CGroup* pSource) {
    const auto* source = dynamic_cast<const CTask*>(pSource);
    if (source == nullptr || source == this)
        return;
    m_event.CopySettings(source->m_event);
    CGroup::CopyFrom(pSource);
}

void CTask::SerializeExtra(CArchive& ar) {
    m_event.Serialize(ar);
}

CGroup* CTask::CreateSubGroup(LPCTSTR lpszName) {
    auto* pTask = new CAdvTask;
    pTask->SetName(lpszName);
    return pTask;
}

BOOL CTask::RemoveSubgroup(CGroup* pGroup, BOOL bDelete) {
    auto* pTask = dynamic_cast<CTask*>(pGroup);
    if (!CGroup::RemoveSubgroup(pGroup, bDelete))
        return FALSE;
    if (!bDelete && pTask != nullptr)
        pTask->m_event.SetParent(nullptr);
    return TRUE;
}

void CTask::SetEventParent(CGroup* pGroup) {
    m_event.SetParent(pGroup);
    for (POSITION pos = GetHeadPosition(); pos != nullptr;)
        GetNextSubTask(pos)->SetEventParent(pGroup);
}

// ---- Filter ------------------------------------------------------------------------------------

int* CTaskFilter::ChoiceOf(int criterion) {
    switch (criterion) {
    case BY_STATUS:
        return &m_nStatusSet;
    case BY_IMPORTANCE:
        return &m_nImportanceSet;
    case BY_URGENCY:
        return &m_nUrgencySet;
    case BY_HAS_DATE:
        return &m_nHasDateChoice;
    case BY_RECURRING:
        return &m_nRecurringChoice;
    default:
        return nullptr;
    }
}

int CTaskFilter::GetChoice(int criterion) const {
    const int* p = const_cast<CTaskFilter*>(this)->ChoiceOf(criterion);
    return p != nullptr ? *p : 0;
}

void CTaskFilter::SetChoice(int criterion, int value) {
    if (int* p = ChoiceOf(criterion))
        *p = value;
}

namespace {

// A value outside the set's range (0..limit-1) never passes.
BOOL InSet(int set, int value, int limit) {
    return value >= 0 && value < limit && (set & (1 << value)) != 0;
}

} // namespace

BOOL CTaskFilter::AcceptsItself(const CTask* pTask) const {
    const _CEvent* e = pTask->GetEvent();
    BOOL r = TRUE;
    if (m_nCriteria & BY_DATE)
        r = m_to.IsNull() ? e->OccursOn(m_from) : e->OccursInRange(m_from, m_to);
    if (m_nCriteria & BY_STATUS)
        r = r && InSet(m_nStatusSet, e->m_base.m_nState, _CEvent::kStateCount);
    if (m_nCriteria & BY_IMPORTANCE)
        r = r && InSet(m_nImportanceSet, e->m_base.m_nImportance, 3);
    if (m_nCriteria & BY_URGENCY)
        r = r && InSet(m_nUrgencySet, e->m_base.m_nUrgency, 3);
    if (m_nCriteria & BY_HAS_DATE) {
        BOOL has = e->HasDate();
        if (!((m_nHasDateChoice & 2) && has) && !((m_nHasDateChoice & 1) && !has))
            r = FALSE;
    }
    if (m_nCriteria & BY_RECURRING) {
        BOOL rec = e->IsRecurring();
        if (!((m_nRecurringChoice & 2) && rec) && !((m_nRecurringChoice & 1) && !rec))
            r = FALSE;
    }
    return r;
}

BOOL CTaskFilter::Accepts(const CTask* pTask) const {
    if (m_nCriteria == 0)
        return TRUE;
    if (AcceptsItself(pTask))
        return TRUE;
    for (POSITION pos = pTask->GetHeadPosition(); pos != nullptr;) {
        if (Accepts(pTask->GetNextSubTask(pos)))
            return TRUE;
    }
    return FALSE;
}
