#include "core/Date.h"

#include <climits>

namespace {

const int kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
const int kDaysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

long long FloorDiv(long long a, long long b) {
    long long q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

long long FloorMod(long long a, long long b) {
    return a - FloorDiv(a, b) * b;
}

int ClampToInt(long long v) {
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return (int)v;
}

bool IsLeap(long long year) {
    return FloorMod(year, 4) == 0 && (FloorMod(year, 100) != 0 || FloorMod(year, 400) == 0);
}

// Day number with 1 January of year 1 as day 1. Computed in 64 bits with floored division so
// that dates far outside the useful range (read from a damaged file) still give a defined value;
// a month outside 1..12 contributes no days of its own.
long long DayNumber(long long y, int m, long long d) {
    long long p = y - 1;
    long long n = 365 * p + FloorDiv(p, 4) - FloorDiv(p, 100) + FloorDiv(p, 400) + d;
    if (m >= 1 && m <= 12) {
        n += kDaysBeforeMonth[m - 1];
        if (m > 2 && IsLeap(y))
            n += 1;
    }
    return n;
}

long long DayNumber(const CDate& date) {
    return DayNumber(date.GetYear(), date.GetMonth(), date.GetDay());
}

int MonthLength(long long year, int month) {
    return month == 2 && IsLeap(year) ? 29 : kDaysInMonth[month - 1];
}

// The inverse of DayNumber. The year is estimated from the 400-year cycle and then corrected.
void CivilFromDayNumber(long long n, long long* year, int* month, int* day) {
    long long y = 1 + FloorDiv((n - 1) * 400, 146097);
    while (DayNumber(y + 1, 1, 1) <= n)
        ++y;
    while (DayNumber(y, 1, 1) > n)
        --y;
    long long rest = n - DayNumber(y, 1, 1); // 0-based day of the year
    int m = 1;
    while (m < 12 && rest >= MonthLength(y, m)) {
        rest -= MonthLength(y, m);
        ++m;
    }
    *year = y;
    *month = m;
    *day = (int)rest + 1;
}

// Star signs: the month and day each sign starts on; index 0 is the one that starts in December.
const int kSignStart[12][2] = {{12, 22}, {1, 20}, {2, 19}, {3, 21}, {4, 20},  {5, 21},
                               {6, 22},  {7, 23}, {8, 23}, {9, 23}, {10, 24}, {11, 22}};

} // namespace

CDate::CDate(int year, int month, int day) : m_nYear(year), m_nMonth(month), m_nDay(day) {}

CDate::~CDate() = default;

void CDate::SetDate(int year, int month, int day) {
    if (year >= 0)
        m_nYear = year;
    if (month >= 0)
        m_nMonth = month;
    if (day >= 0)
        m_nDay = day;
}

int CDate::Set(int year, int month, int day) {
    m_nYear = year;
    m_nMonth = month;
    m_nDay = day;
    return day;
}

BOOL CDate::IsLeapYear(int year) {
    return IsLeap(year);
}

int CDate::GetDaysInMonth(int year, int month) {
    if (month < 1 || month > 12)
        return 0;
    return MonthLength(year, month);
}

int CDate::GetDaysInYear(int year) {
    return IsLeap(year) ? 366 : 365;
}

BOOL CDate::IsValidDate(int year, int month, int day) {
    return year > 0 && month >= 1 && month <= 12 && day >= 1 && day <= MonthLength(year, month);
}

BOOL CDate::IsValidMonthDay(int month, int day) {
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return FALSE;
    return day <= (month == 2 ? 29 : kDaysInMonth[month - 1]);
}

DWORD CDate::PackYMD(int year, int month, int day) {
    return ((DWORD)year << 16) | (((DWORD)month & 0xFF) << 8) | ((DWORD)day & 0xFF);
}

void CDate::UnpackYMD(DWORD packed, int* year, int* month, int* day) {
    *year = (int)(packed >> 16);
    *month = (int)((packed >> 8) & 0xFF);
    *day = (int)(packed & 0xFF);
}

int CDate::Compare(const CDate& other) const {
    if (m_nYear != other.m_nYear)
        return m_nYear > other.m_nYear ? 1 : -1;
    if (m_nMonth != other.m_nMonth)
        return m_nMonth > other.m_nMonth ? 1 : -1;
    if (m_nDay != other.m_nDay)
        return m_nDay > other.m_nDay ? 1 : -1;
    return 0;
}

bool CDate::operator==(const CDate& other) const {
    return m_nYear == other.m_nYear && m_nMonth == other.m_nMonth && m_nDay == other.m_nDay;
}

int CDate::GetDayOfWeek() const {
    // Day 1 (1 January of year 1) is a Monday.
    return (int)FloorMod(DayNumber(*this), 7);
}

int CDate::GetWeekOfYear() const {
    long long jan1 = DayNumber(m_nYear, 1, 1);
    return (int)((DayNumber(*this) - jan1 + FloorMod(jan1, 7)) / 7 + 1);
}

int CDate::GetWeekOfMonth() const {
    return GetWeekOfYear() - CDate(m_nYear, m_nMonth, 1).GetWeekOfYear() + 1;
}

int CDate::GetWeekOfMonthFromEnd() const {
    CDate last;
    GetLastDayOfMonth(last);
    return last.GetWeekOfYear() - GetWeekOfYear() + 1;
}

// The period numbers are computed in 64 bits: they are asked of dates read from files, and a
// damaged part must not overflow.
int CDate::GetDayOfXun() const {
    return m_nDay == 31 ? 11 : (int)(((long long)m_nDay - 1) % 10 + 1);
}

int CDate::GetXunOfYear() const {
    long long d = m_nDay > 30 ? 30 : m_nDay;
    return ClampToInt((long long)m_nMonth * 3 - 2 + (d - 1) / 10);
}

int CDate::GetSeason() const {
    return (int)(((long long)m_nMonth - 1) / 3 + 1);
}

int CDate::GetMonthOfSeason() const {
    return (int)(((long long)m_nMonth - 1) % 3 + 1);
}

int CDate::GetConstellationIndex() const {
    if (!IsValid())
        return -1;
    for (int i = 0; i < 12; ++i) {
        if (kSignStart[i][0] == m_nMonth)
            return m_nDay < kSignStart[i][1] ? (i + 11) % 12 : i;
    }
    return -1;
}

int CDate::DaysBetween(int y1, int m1, int d1, int y2, int m2, int d2) {
    return ClampToInt(DayNumber(y1, m1, d1) - DayNumber(y2, m2, d2));
}

int CDate::DaysSince(const CDate& other) const {
    return ClampToInt(DayNumber(*this) - DayNumber(other));
}

void CDate::AddDays(int n) {
    if (n == 0 || !IsValid())
        return;
    long long year;
    int month, day;
    CivilFromDayNumber(DayNumber(*this) + n, &year, &month, &day);
    // A move past the first or the last representable year would leave a date that is not a
    // date at all; such a move is not made.
    if (year < 1 || year > INT_MAX)
        return;
    Set((int)year, month, day);
}

CDate CDate::PlusDays(int n) const {
    CDate moved(*this);
    moved.AddDays(n);
    return moved;
}

void CDate::NextDay() {
    if (m_nYear <= 0 || m_nMonth < 1 || m_nMonth > 12)
        return;
    if (m_nDay >= GetDaysInMonth(m_nYear, m_nMonth)) {
        m_nDay = 1;
        StepMonth(TRUE);
    } else {
        ++m_nDay;
    }
}

void CDate::PrevDay() {
    if (m_nYear <= 0 || m_nMonth < 1 || m_nMonth > 12)
        return;
    if (m_nDay <= 1) {
        StepMonth(FALSE);
        m_nDay = GetDaysInMonth(m_nYear, m_nMonth);
    } else {
        --m_nDay;
    }
}

void CDate::StepMonth(BOOL forward) {
    if (forward)
        NextYearMonth(&m_nYear, &m_nMonth);
    else
        PrevYearMonth(&m_nYear, &m_nMonth);
}

// A pair at the very end of the int range stays where it is rather than overflow.
void CDate::NextYearMonth(int* year, int* month) {
    if (*month < 12) {
        ++*month;
    } else if (*year < INT_MAX) {
        *month = 1;
        ++*year;
    }
}

void CDate::PrevYearMonth(int* year, int* month) {
    if (*month > 1) {
        --*month;
    } else if (*year > INT_MIN) {
        *month = 12;
        --*year;
    }
}

void CDate::GetFirstDayOfMonth(CDate& first) const {
    first.Set(m_nYear, m_nMonth, 1);
}

void CDate::GetLastDayOfMonth(CDate& last) const {
    last.Set(m_nYear, m_nMonth, GetDaysInMonth(m_nYear, m_nMonth));
}

int CDate::MonthsBetween(int y1, int m1, int y2, int m2) {
    return ClampToInt(((long long)y1 - y2) * 12 + m1 - m2);
}

int CDate::MonthsSince(const CDate& other) const {
    return MonthsBetween(m_nYear, m_nMonth, other.m_nYear, other.m_nMonth);
}

int CDate::WeeksSince(const CDate& other) const {
    // Both sides step back to the Sunday that starts their week; the distance between the two
    // Sundays is a whole number of weeks.
    long long days = DayNumber(*this) - DayNumber(other);
    return ClampToInt((days + other.GetDayOfWeek() - GetDayOfWeek()) / 7);
}

int CDate::XunsSince(const CDate& other) const {
    return ClampToInt(((long long)m_nYear - other.m_nYear) * 36 + GetXunOfYear() -
                      other.GetXunOfYear());
}

int CDate::SeasonsSince(const CDate& other) const {
    return ClampToInt(((long long)m_nYear - other.m_nYear) * 4 + GetSeason() - other.GetSeason());
}

BOOL CDate::IsInvalidSpan(const CDate& first, const CDate& last) {
    return !first.IsValid() || !last.IsValid();
}

int CDate::CountDaysInRange(const CDate& first, const CDate& last) {
    if (IsInvalidSpan(first, last))
        return -1;
    return ClampToInt(DayNumber(last) - DayNumber(first) + 1);
}

int CDate::CountMonthsInRange(const CDate& first, const CDate& last) {
    if (IsInvalidSpan(first, last))
        return -1;
    return ClampToInt(((long long)last.m_nYear - first.m_nYear) * 12 + last.m_nMonth -
                      first.m_nMonth + 1);
}

int CDate::CountYearsInRange(const CDate& first, const CDate& last) {
    if (IsInvalidSpan(first, last))
        return -1;
    return ClampToInt((long long)last.m_nYear - first.m_nYear + 1);
}

int CDate::DaysToNextAnniversary(const CDate& from, int month, int day) {
    // Without a real starting date there is nothing to count from.
    if (!from.IsValid())
        return -1;
    // A day that no year holds never comes.
    if (!IsValidMonthDay(month, day))
        return -1;
    // Any day but 29 February comes every year: this year's or else next year's, counted by day
    // of the year (a reminder list asks this for every contact of a large book).
    if (month != 2 || day != 29) {
        const int year = from.m_nYear;
        auto dayOfYear = [](int y, int m, int d) {
            return kDaysBeforeMonth[m - 1] + d + (m > 2 && IsLeap(y) ? 1 : 0);
        };
        const int fromDay = dayOfYear(year, from.m_nMonth, from.m_nDay);
        if (month > from.m_nMonth || (month == from.m_nMonth && day >= from.m_nDay))
            return dayOfYear(year, month, day) - fromDay;
        if (year == INT_MAX)
            return -1;
        return (IsLeap(year) ? 366 : 365) - fromDay + dayOfYear(year + 1, month, day);
    }
    for (long long year = from.m_nYear; year < (long long)from.m_nYear + 8 && year <= INT_MAX;
         ++year) {
        CDate candidate((int)year, month, day);
        if (candidate.IsValid() && candidate >= from)
            return candidate.DaysSince(from);
    }
    return -1;
}
