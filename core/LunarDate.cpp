#include "core/LunarDate.h"

CLunarDate::CLunarDate(int year, int month, int day, BOOL leap)
    : CDate(year, month, day), m_bLeap(leap) {}

CLunarDate::~CLunarDate() = default;

BOOL CLunarDate::SetFromSolar(const CDate& solar) {
    int year, month, day;
    int kind = solar.ToLunar(&year, &month, &day);
    if (kind == 0)
        return FALSE;
    Set(year, month, day);
    m_bLeap = kind == 2;
    return TRUE;
}

BOOL CLunarDate::IsValid() const {
    if (m_nYear < kLunarFirstYear || m_nYear > kLunarLastYear || !IsValidMonth(m_nMonth))
        return FALSE;
    return m_nDay >= 1 && m_nDay <= GetLunarMonthLength(m_nYear, m_nMonth, m_bLeap);
}

BOOL CLunarDate::ToSolar(CDate& solar) const {
    return LunarToSolar(solar, m_nYear, m_nMonth, m_nDay, m_bLeap) == 0;
}

int CLunarDate::DaysSince(const CLunarDate& other) const {
    CDate mine, theirs;
    if (!ToSolar(mine) || !other.ToSolar(theirs))
        return 0;
    return mine.DaysSince(theirs);
}

int CLunarDate::DaysToNextAnniversary(const CLunarDate& from, int month, int day, BOOL leap) {
    if (!from.IsValid())
        return -1;
    for (int year = from.m_nYear; year < from.m_nYear + 7 && year <= kLunarLastYear; ++year) {
        BOOL flags[2] = {FALSE, FALSE};
        int tries = 1;
        if (GetLunarLeapMonth(year) == month) {
            flags[0] = leap;
            flags[1] = !leap;
            tries = 2;
        }
        for (int i = 0; i < tries; ++i) {
            CLunarDate candidate(year, month, day, flags[i]);
            if (!candidate.IsValid())
                continue;
            int days = candidate.DaysSince(from);
            if (days >= 0)
                return days;
        }
    }
    return -1;
}
