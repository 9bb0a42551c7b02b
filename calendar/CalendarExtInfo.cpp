#include "calendar/CalendarExtInfo.h"

#include <algorithm>

void CCalendarExtInfoManager::AddExtInfo(CCalendarExtInfo* pInfo) {
    if (pInfo == nullptr || pInfo == this ||
        std::find(m_infos.begin(), m_infos.end(), pInfo) != m_infos.end())
        return;
    m_infos.push_back(pInfo);
}

void CCalendarExtInfoManager::RemoveExtInfo(CCalendarExtInfo* pInfo) {
    m_infos.erase(std::remove(m_infos.begin(), m_infos.end(), pInfo), m_infos.end());
}

int CCalendarExtInfoManager::GetDayInfo(const CDate& date, CKovCalendarCellItemList* pItems,
                                        BOOL bCountOnly) {
    int total = 0;
    // A copy: a source may register or leave while it is asked.
    const std::vector<CCalendarExtInfo*> infos = m_infos;
    for (CCalendarExtInfo* pInfo : infos) {
        const int n = pInfo->GetDayInfo(date, pItems, bCountOnly);
        if (n > 0)
            total += n;
        if (bCountOnly && total != 0)
            break;
    }
    return total;
}
