// Texts, parsing, storage, the clock and system-time exchange of CDate.
#include "core/Date.h"

#include <climits>

#include "platform/base/Archive.h"
#include "platform/base/CString.h"
#include "platform/base/Time.h"

namespace {

const char* const kSignNames[12] = {"魔羯座", "水瓶座", "双鱼座", "牡羊座", "金牛座", "双子座",
                                    "巨蟹座", "狮子座", "处女座", "天秤座", "天蝎座", "射手座"};

const char* const kWeekdayDigits[7] = {"日", "一", "二", "三", "四", "五", "六"};

} // namespace

void CDate::SetFromSystemTime(const SYSTEMTIME* st) {
    if (st == nullptr)
        return;
    Set(st->wYear, st->wMonth, st->wDay);
}

SYSTEMTIME* CDate::GetSystemTime(SYSTEMTIME* st) const {
    if (st != nullptr) {
        st->wYear = (WORD)m_nYear;
        st->wMonth = (WORD)m_nMonth;
        st->wDay = (WORD)m_nDay;
    }
    return st;
}

int CDate::GetConstellationName(CString& name) const {
    int index = GetConstellationIndex();
    if (index >= 0)
        name = kSignNames[index];
    return index;
}

int CDate::ScanNumbers(const char* text, int* values, int* digitCounts, int maxCount) {
    int count = 0;
    const char* p = text;
    while (count < maxCount && *p != '\0') {
        if (*p < '0' || *p > '9') {
            ++p;
            continue;
        }
        long long value = 0;
        int digits = 0;
        for (; *p >= '0' && *p <= '9'; ++p, ++digits) {
            if (value <= INT_MAX)
                value = value * 10 + (*p - '0');
        }
        values[count] = value > INT_MAX ? -1 : (int)value;
        if (digitCounts != nullptr)
            digitCounts[count] = digits;
        ++count;
    }
    return count;
}

BOOL CDate::Parse(const CString& text) {
    if (text.IsEmpty()) {
        SetNull();
        return TRUE;
    }
    int values[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int count = ScanNumbers(text, values, digits, 3);

    // What has been read so far stays in the date even when the whole text is not a date: the
    // year box of the calendar shows a year, or a year and month, typed on their own.
    SetNull();
    if (count < 1)
        return FALSE;
    int year = values[0];
    if (digits[0] <= 2 && year >= 1 && year <= 99)
        year += 1900;
    m_nYear = year > 0 ? year : 0;
    if (count < 2 || values[1] < 1 || values[1] > 12)
        return FALSE;
    m_nMonth = values[1];
    if (count < 3 || values[2] < 1 || values[2] > 31 || !IsValidDate(year, values[1], values[2]))
        return FALSE;
    m_nDay = values[2];
    return TRUE;
}

CString CDate::GetMonthName(int month) {
    CString name;
    if (month >= 1 && month <= 12)
        name.Format("%2d月", month);
    return name;
}

CString CDate::GetWeekdayName(int dayOfWeek) {
    CString name;
    if (dayOfWeek >= 0 && dayOfWeek <= 6)
        name.Format("星期%s", kWeekdayDigits[dayOfWeek]);
    return name;
}

void CDate::GetDateText(CString& text, BOOL lunar) const {
    if (IsNull()) {
        text = "不详";
        return;
    }
    if (!IsValid()) {
        text = "非法日期";
        return;
    }
    if (!lunar) {
        text.Format("%d年%d月%d日", m_nYear, m_nMonth, m_nDay);
        return;
    }
    int year, month, day;
    int kind = ToLunar(&year, &month, &day);
    if (kind == 0) {
        text = "无法计算阴历信息";
        return;
    }
    CString yearName, monthName, dayName;
    GetGanzhiYearName(year, nullptr, nullptr, &yearName);
    GetLunarMonthName(month, monthName, FALSE, kind == 2, 0);
    GetLunarDayName(day, dayName);
    text.Format("%d%s %s月%s", year, (const char*)yearName, (const char*)monthName,
                (const char*)dayName);
}

void CDate::GetFullText(CString& text) const {
    text.Empty();
    if (!IsValid())
        return;
    CString solar, lunar, sign;
    GetDateText(solar, FALSE);
    GetDateText(lunar, TRUE);
    GetConstellationName(sign);
    text.Format("%s (%s) %s", (const char*)solar, (const char*)lunar, (const char*)sign);
}

void CDate::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << (int)m_nYear << (int)m_nMonth << (int)m_nDay;
    } else {
        ar >> m_nYear >> m_nMonth >> m_nDay;
    }
}

CDate CDate::GetToday(BOOL refresh) {
    // Shared by the whole process and refreshed only on request, so that every view drawn in one
    // pass agrees on which day is today.
    static CDate today;
    if (refresh) {
        __time64_t now = _time64(nullptr);
        struct tm local;
        if (_localtime64_s(&local, &now) == 0)
            today.Set(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    }
    return today;
}
