// The memory-only per-date indexes of a schedule: a set files schedule elements under date keys
// of one granularity (a day, the first day of a month, the first day of a year), so that asking
// a day touches only a few short lists. Nothing here is stored.
#pragma once

#include "calendar/ScheduleElement.h"
#include "core/BiLinkList.h"
#include "core/Date.h"
#include "platform/base/Collections.h"
#include "platform/base/Types.h"

class _CEventSet;
class _CEvent;

// A list of schedule elements; each node's data is the element.
class CEventLinkList : public CBiLinkList {
public:
    explicit CEventLinkList(_CEventSet* pOwner = nullptr) : m_pOwner(pOwner) {}
    // Elements still linked forget their nodes.
    ~CEventLinkList() override;

    _CEventSet* GetOwnerSet() const { return m_pOwner; }
    static CScheduleElement* ElementOf(CBiLinkListNode* pNode) {
        return static_cast<CScheduleElement*>(pNode->GetData());
    }
    // Unlinks every element (each forgets its node) and deletes the nodes.
    void RemoveAllElements();

    int m_nFlag = 1;

private:
    _CEventSet* m_pOwner;
};

class _CEventSet {
public:
    enum Mode { BY_DAY = 0, BY_MONTH = 1, BY_YEAR = 2 };
    // The latest year a key may have: dates from a file beyond it are not indexed, so that no
    // key walk can run away.
    static constexpr int kMaxYear = 9999;

    explicit _CEventSet(int nMode);
    ~_CEventSet();
    _CEventSet(const _CEventSet&) = delete;
    _CEventSet& operator=(const _CEventSet&) = delete;

    int GetMode() const { return m_nMode; }
    void NormalizeKey(CDate& date) const;
    void StepKey(CDate& date) const;
    // The list under the key; a new one when there is none and bCreate is set, else null.
    CEventLinkList* GetList(const CDate& key, BOOL bCreate);
    BOOL AddElement(CScheduleElement* pElement, const CDate& key);
    // Files the event under every key from its start date to its end date. Answers FALSE, adding
    // nothing, when either date is not a valid date of the years 1..9999.
    BOOL AddEvent(_CEvent* pEvent);
    void Clear();
    int GetKeyCount() const { return m_map.GetCount(); }

    // A date within the years keys can have.
    static BOOL IsIndexable(const CDate& date) {
        return date.IsValid() && date.GetYear() <= kMaxYear;
    }

private:
    int m_nMode;
    CMap<CDate, CDate, CEventLinkList*, CEventLinkList*> m_map;
};
