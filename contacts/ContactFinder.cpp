#include "contacts/ContactFinder.h"

CString GetFindResultFieldNames(const SFindResult& result, const FindHitNamer& nameOf) {
    CString names;
    for (int k = 0; k < result.hits.GetSize(); ++k) {
        const SSearchItemInfo& hit = result.hits[k];
        CString name;
        if (hit.nGroup == 0)
            GetGroupPropertyName((DWORD)hit.nField, name);
        else if (nameOf)
            name = nameOf(hit.nGroup, hit.nField);
        else
            GetPersonFieldName(GetPersonFieldAt(hit.nGroup, hit.nField), name);
        if (name.IsEmpty())
            continue;
        if (!names.IsEmpty())
            names += ",";
        names += name;
    }
    return names;
}

void CContactFinder::Reset() {
    if (m_pGroup != nullptr)
        m_pGroup->ClearFindState();
}

int CContactFinder::Find(const SFindCriteria& criteria, BOOL bAll, BOOL bRestart,
                         const std::function<void(std::unique_ptr<SFindResult>)>& onFound) {
    if (m_pGroup == nullptr)
        return 0;
    if (bRestart)
        Reset();
    int nWhat = criteria.nScope;
    if (nWhat < 0) {
        nWhat = 0;
        for (DWORD mask : criteria.personMasks)
            if (mask != 0)
                nWhat |= _CGroup::FIND_CONTACTS;
        if (criteria.dwGroupMask != 0)
            nWhat |= _CGroup::FIND_GROUPS;
    }
    const BOOL bInitials = criteria.nMode == SFindCriteria::MODE_INITIALS;
    if (bInitials && nWhat == 0)
        nWhat = _CGroup::FIND_CONTACTS | _CGroup::FIND_GROUPS; // names are always searched
    CString text = criteria.strText;
    if (bInitials)
        text.MakeUpper();

    if (bAll) {
        // One walk from the search position to the end.
        if (!bRestart)
            m_pGroup->StepPastLastHit();
        auto take = [&](CObject* pItem, CSearchItemArray& hits) {
            auto result = std::make_unique<SFindResult>();
            result->pItem = pItem;
            result->bPerson = dynamic_cast<_CPerson*>(pItem) != nullptr;
            result->hits.Copy(hits);
            onFound(std::move(result));
        };
        if (criteria.nMode == SFindCriteria::MODE_BIRTHDAY)
            return m_pGroup->FindAllBirthdays(criteria.from, criteria.to, criteria.bIgnoreYear,
                                              m_pGroup->GetFindStack(), take);
        if (nWhat == 0)
            return 0;
        return m_pGroup->FindAll(text, m_pGroup->GetFindStack(), m_pGroup->FindReported(),
                                 criteria.personMasks, criteria.dwGroupMask, nWhat, bInitials,
                                 criteria.bMatchCase, take);
    }

    // The walk starts again at the item found last; step past it first, so that every call
    // moves on by itself.
    if (!bRestart)
        m_pGroup->StepPastLastHit();
    auto result = std::make_unique<SFindResult>();
    if (criteria.nMode == SFindCriteria::MODE_BIRTHDAY) {
        result->pItem = m_pGroup->FindNextBirthday(criteria.from, criteria.to,
                                                   criteria.bIgnoreYear, m_pGroup->GetFindStack(),
                                                   result->hits, FALSE);
    } else if (nWhat != 0) {
        result->pItem = m_pGroup->FindFirst(text, criteria.personMasks, criteria.dwGroupMask,
                                            result->hits, FALSE, nWhat, bInitials,
                                            criteria.bMatchCase);
    }
    if (result->pItem == nullptr)
        return 0;
    result->bPerson = dynamic_cast<_CPerson*>(result->pItem) != nullptr;
    onFound(std::move(result));
    return 1;
}
