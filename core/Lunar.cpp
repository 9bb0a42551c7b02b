// The lunar calendar of CDate: month lengths, leap months, conversion both ways and the solar
// terms, all read from the tables of the years 1901..2050.
#include "core/Date.h"

#include <algorithm>
#include <array>

#include "platform/base/CString.h"

namespace {

#include "core/LunarTables.inc"

constexpr int kFirstYear = CDate::kLunarFirstYear;
constexpr int kLastYear = CDate::kLunarLastYear;
constexpr int kYears = kLastYear - kFirstYear + 1;

constexpr WORD kMonthSizes[kYears] = {LUNAR_MONTH_SIZES_INIT};
constexpr BYTE kLeapMonths[(kYears + 1) / 2] = {LUNAR_LEAP_MONTHS_INIT};
constexpr BYTE kSolarTerms[kYears * 12] = {
#include "core/SolarTermTable.inc"
};

// 1901-01-01 is day 11 of month 11 of lunar 1900; month 12 of 1900 begins 19 days later and
// lunar 1901 begins 49 days later. Lunar 1900 has no table row, so these two months are fixed.
constexpr int kLunar1900Month12Offset = 19;
constexpr int kLunar1900Month11FirstDay = 11;
constexpr int kLunar1901NewYearOffset = 49;

constexpr bool InTables(int year) {
    return year >= kFirstYear && year <= kLastYear;
}

constexpr int LeapMonthOf(int year) {
    int index = year - kFirstYear;
    BYTE pair = kLeapMonths[index / 2];
    return index % 2 == 0 ? pair >> 4 : pair & 0x0F;
}

// Length of a month of a year in the tables, month 1..12. Months are read from bit 15 down in
// calendar order, so every month after the leap month sits one bit lower.
constexpr int MonthLength(int year, int month, bool leap) {
    int leapMonth = LeapMonthOf(year);
    int bit;
    if (leap) {
        if (leapMonth != month)
            return 0;
        bit = 15 - month;
    } else {
        bit = leapMonth != 0 && month > leapMonth ? 15 - month : 16 - month;
    }
    return (kMonthSizes[year - kFirstYear] >> bit) & 1 ? 30 : 29;
}

constexpr int YearLength(int year) {
    int days = 0;
    for (int month = 1; month <= 12; ++month)
        days += MonthLength(year, month, false) + MonthLength(year, month, true);
    return days;
}

// Days from the start of the lunar year to the start of a month (of its leap month with leap).
constexpr int DaysBeforeMonth(int year, int month, bool leap) {
    int days = 0;
    for (int m = 1; m < month; ++m)
        days += MonthLength(year, m, false) + MonthLength(year, m, true);
    if (leap)
        days += MonthLength(year, month, false);
    return days;
}

// Days from 1901-01-01 to each lunar new year 1901..2051, worked out once at compile time: a
// conversion is then a search in this list and a walk through at most 13 months.
constexpr std::array<int, kYears + 1> kNewYearOffsets = [] {
    std::array<int, kYears + 1> offsets{};
    offsets[0] = kLunar1901NewYearOffset;
    for (int i = 0; i < kYears; ++i)
        offsets[i + 1] = offsets[i] + YearLength(kFirstYear + i);
    return offsets;
}();

// The last day of the range still lies in lunar 2050.
static_assert(kNewYearOffsets[kYears] > 54786, "lunar 2050 must reach 2050-12-31");

int DaysFromFirstDay(const CDate& date) {
    return CDate::DaysBetween(date.GetYear(), date.GetMonth(), date.GetDay(), kFirstYear, 1, 1);
}

CDate FromFirstDay(int days) {
    return CDate(kFirstYear, 1, 1).PlusDays(days);
}

} // namespace

int CDate::GetLunarLeapMonth(int year) {
    return InTables(year) ? LeapMonthOf(year) : 0;
}

DWORD CDate::GetLunarMonthSizes(int year, int month) {
    if (!InTables(year))
        return 30;
    if (month < 1 || month > 12)
        return 0;
    return (DWORD)MonthLength(year, month, false) | ((DWORD)MonthLength(year, month, true) << 16);
}

int CDate::GetLunarMonthLength(int year, int month, BOOL leap) {
    DWORD sizes = GetLunarMonthSizes(year, month);
    return (int)(leap ? sizes >> 16 : sizes & 0xFFFF);
}

int CDate::GetLunarYearDays(int year) {
    int days = 0;
    for (int month = 1; month <= 12; ++month)
        days += GetLunarMonthLength(year, month, FALSE) + GetLunarMonthLength(year, month, TRUE);
    return days;
}

BOOL CDate::IsInLunarRange() const {
    // An invalid date such as 30 February would otherwise convert as if it were 1 March.
    return IsValid() && *this >= CDate(kFirstYear, 1, 1) && *this <= CDate(kLastYear, 12, 31);
}

int CDate::ToLunar(int* lunarYear, int* lunarMonth, int* lunarDay) const {
    if (!IsInLunarRange())
        return 0;
    int n = DaysFromFirstDay(*this);
    int year, month, day;
    bool leap = false;
    if (n < kNewYearOffsets[0]) {
        year = kFirstYear - 1;
        if (n < kLunar1900Month12Offset) {
            month = 11;
            day = n + kLunar1900Month11FirstDay;
        } else {
            month = 12;
            day = n - kLunar1900Month12Offset + 1;
        }
    } else {
        auto next = std::upper_bound(kNewYearOffsets.begin(), kNewYearOffsets.end(), n);
        int index = (int)(next - kNewYearOffsets.begin()) - 1;
        year = kFirstYear + index;
        n -= kNewYearOffsets[index];
        month = 1;
        // n is less than the year's length, so the walk ends within month 12.
        while (true) {
            int length = MonthLength(year, month, false);
            if (n < length)
                break;
            n -= length;
            int leapLength = MonthLength(year, month, true);
            if (n < leapLength) {
                leap = true;
                break;
            }
            n -= leapLength;
            ++month;
        }
        day = n + 1;
    }
    *lunarYear = year;
    *lunarMonth = month;
    *lunarDay = day;
    return leap ? 2 : 1;
}

CDate CDate::GetLunarNewYearDate(int year) {
    if (!InTables(year))
        return CDate();
    return FromFirstDay(kNewYearOffsets[year - kFirstYear]);
}

int CDate::LunarToSolar(CDate& result, int year, int month, int day, BOOL leap, CString* error) {
    int code = 0;
    int length = 0;
    if (!InTables(year))
        code = 1;
    else if (month < 1 || month > 12)
        code = 2;
    else if ((length = GetLunarMonthLength(year, month, leap)) == 0)
        code = 4;
    else if (day < 1 || day > length)
        code = 3;

    if (error != nullptr) {
        switch (code) {
        case 1:
            error->Format("年份超出计算范围(请限制在%d～%d年)", kFirstYear, kLastYear);
            break;
        case 2:
            *error = "月份不正确(请限制在1～12)";
            break;
        case 3:
            *error = "日超出当月天数";
            break;
        case 4:
            *error = "该月不存在闰月";
            break;
        default:
            error->Empty();
            break;
        }
    }
    if (code == 0) {
        result = FromFirstDay(kNewYearOffsets[year - kFirstYear] +
                              DaysBeforeMonth(year, month, leap != FALSE) + day - 1);
    }
    return code;
}

int CDate::GetLunarZodiacIndex() const {
    int year, month, day;
    if (ToLunar(&year, &month, &day) == 0)
        return -1;
    return (year - 4) % 12; // the lunar years here are all past 4
}

int CDate::GetSolarTermNumber(int month, BOOL first) {
    return 2 * month - 1 + (first ? 0 : 1);
}

int CDate::GetSolarTermDay(int year, int month, BOOL first, int* number) {
    if (!InTables(year) || month < 1 || month > 12) {
        if (number != nullptr)
            *number = 0;
        return 0;
    }
    BYTE packed = kSolarTerms[(year - kFirstYear) * 12 + month - 1];
    if (number != nullptr)
        *number = GetSolarTermNumber(month, first);
    return first ? 15 - (packed >> 4) : 15 + (packed & 0x0F);
}

int CDate::GetSolarTermOfDay(int year, int month, int day) {
    int number = 0;
    int termDay = GetSolarTermDay(year, month, day < 15, &number);
    return termDay != 0 && termDay == day ? number : 0;
}

CDate CDate::GetSolarTermDate(int year, int n) {
    if (n < 1 || n > 24)
        return CDate();
    int month = (n + 1) / 2;
    int day = GetSolarTermDay(year, month, n % 2 == 1);
    return day == 0 ? CDate() : CDate(year, month, day);
}
