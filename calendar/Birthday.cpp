#include "calendar/Birthday.h"

#include "platform/base/Archive.h"

void CBirthday::Reset() {
    SetNull();
    m_wFlags = 0;
}

BOOL CBirthday::IsValid() const {
    if (!IsYearUnknown(m_nYear))
        return CDate::IsValid();
    if (IsLunarMonthDay())
        return m_nMonth >= 1 && m_nMonth <= 12 && m_nDay >= 1 && m_nDay <= 30;
    return IsValidMonthDay(m_nMonth, m_nDay);
}

BOOL CBirthday::SetBirthday(int year, int month, int day, BOOL bLeap, BOOL bSolar,
                            CString* pErrorText) {
    if (IsYearUnknown(year)) {
        BOOL bValid = bSolar ? IsValidMonthDay(month, day)
                             : (month >= 1 && month <= 12 && day >= 1 && day <= 30);
        if (!bValid)
            return FALSE;
        Set(-1, month, day);
        SetLunarMonthDay(!bSolar);
        // Without a year the leap mark is all that tells "闰四月" from "四月" in the text.
        SetFlag(FLAG_LEAP_MONTH, !bSolar && bLeap);
        return TRUE;
    }
    if (bSolar) {
        if (!IsValidDate(year, month, day))
            return FALSE;
        Set(year, month, day);
        SetLunarMonthDay(FALSE);
        return TRUE;
    }
    CDate solar;
    if (LunarToSolar(solar, year, month, day, bLeap, pErrorText) != 0)
        return FALSE;
    Set(solar.GetYear(), solar.GetMonth(), solar.GetDay());
    SetLunarMonthDay(FALSE);
    return TRUE;
}

void CBirthday::GetText(CString& out, BOOL bLunarForm) const {
    if (IsYearUnknown(m_nYear) && IsValid() && !bLunarForm == !IsLunarMonthDay()) {
        FormatLunarMonthDay(m_nMonth, m_nDay, !bLunarForm, bLunarForm && IsLeapMonth(), out);
        return;
    }
    GetDateText(out, bLunarForm);
}

void CBirthday::GetDisplayText(CString& out) const {
    out.Empty();
    if (!IsValid())
        return;
    GetFullText(out);
    if (out.IsEmpty())
        GetText(out, IsShowLunar());
}

void CBirthday::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << (DWORD)m_nYear << (DWORD)(((DWORD)m_wFlags << 16) | ((DWORD)m_nMonth & 0xFFFF))
           << (DWORD)m_nDay;
        return;
    }
    DWORD year = 0, monthAndFlags = 0, day = 0;
    ar >> year >> monthAndFlags >> day;
    m_nYear = (int)year;
    m_nMonth = (int)(monthAndFlags & 0xFFFF);
    m_wFlags = (WORD)(monthAndFlags >> 16);
    m_nDay = (int)day;
}
