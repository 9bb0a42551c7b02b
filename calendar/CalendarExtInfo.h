// Sources of the one-line entries a calendar shows on a day (birthdays of the open address books,
// events of the open schedules), and the composite that asks every source in turn.
#pragma once

#include "calendar/CalendarCellItem.h"
#include "core/Date.h"

#include <vector>

class CCalendarExtInfo {
public:
    virtual ~CCalendarExtInfo() = default;
    // Appends the entries of the date to pItems and answers how many there are. With bCountOnly
    // the source stops at its first entry and appends nothing (pItems may then be null).
    virtual int GetDayInfo(const CDate& date, CKovCalendarCellItemList* pItems, BOOL bCountOnly) = 0;
};

class CCalendarExtInfoManager : public CCalendarExtInfo {
public:
    // Adds a source; a source already listed or null is not added twice.
    void AddExtInfo(CCalendarExtInfo* pInfo);
    // Forgets a source (a window that goes away before the manager).
    void RemoveExtInfo(CCalendarExtInfo* pInfo);
    int GetExtInfoCount() const { return (int)m_infos.size(); }

    // Every source in the order added, the answers summed; counting stops at the first source
    // that has an entry. A source's negative answer counts as none.
    int GetDayInfo(const CDate& date, CKovCalendarCellItemList* pItems, BOOL bCountOnly) override;

private:
    std::vector<CCalendarExtInfo*> m_infos;
};
