// A Gregorian calendar date (proleptic: no Julian switch-over) with the arithmetic, period
// numbering and texts the records, the calendar and the message lists need.
#pragma once

#include "platform/base/Collections.h"
#include "platform/base/Types.h"

class CString;
class CArchive;
struct SYSTEMTIME;

class CDate {
public:
    // All parts 0 is the null date: "no date given".
    CDate(int year = 0, int month = 0, int day = 0);
    CDate(const CDate& other) = default;
    CDate& operator=(const CDate& other) = default;
    virtual ~CDate();

    // Parts that are negative keep their old value.
    void SetDate(int year, int month, int day);
    // Stores all three as given and returns the day.
    int Set(int year, int month, int day);

    // Year, month and day only; a null pointer is ignored. The getter returns its argument.
    void SetFromSystemTime(const SYSTEMTIME* st);
    SYSTEMTIME* GetSystemTime(SYSTEMTIME* st) const;

    int GetYear() const { return m_nYear; }
    int GetMonth() const { return m_nMonth; }
    int GetDay() const { return m_nDay; }

    BOOL IsNull() const { return m_nYear == 0 && m_nMonth == 0 && m_nDay == 0; }
    void SetNull() { m_nYear = m_nMonth = m_nDay = 0; }

    // Calendar facts.
    static BOOL IsLeapYear(int year);
    static int GetDaysInMonth(int year, int month);
    static int GetDaysInYear(int year);
    static BOOL IsValidDate(int year, int month, int day);
    BOOL IsValid() const { return IsValidDate(m_nYear, m_nMonth, m_nDay); }
    // For dates kept without a year: February allows the 29th.
    static BOOL IsValidMonthDay(int month, int day);
    static BOOL IsYearUnknown(int year) { return year == -1; }
    static void SetYearUnknown(int& year) { year = -1; }
    static DWORD PackYMD(int year, int month, int day);
    static void UnpackYMD(DWORD packed, int* year, int* month, int* day);

    // Year, then month, then day: 1, 0 or -1. The null date sorts before every real date.
    int Compare(const CDate& other) const;
    bool operator==(const CDate& other) const;
    bool operator!=(const CDate& other) const { return !(*this == other); }
    bool operator<(const CDate& other) const { return Compare(other) < 0; }
    bool operator>(const CDate& other) const { return Compare(other) > 0; }
    bool operator<=(const CDate& other) const { return Compare(other) <= 0; }
    bool operator>=(const CDate& other) const { return Compare(other) >= 0; }

    // Week day and period numbers; they assume a valid date.
    int GetDayOfWeek() const;  // 0 Sunday .. 6 Saturday
    int GetWeekOfYear() const; // weeks start on Sunday, week 1 holds 1 January
    int GetWeekOfMonth() const;
    int GetWeekOfMonthFromEnd() const; // 1 = the month's last week
    int GetDayOfXun() const;           // 1..10, the 31st gives 11
    int GetXunOfYear() const;          // 1..36, the 31st belongs to the month's third xun
    int GetSeason() const;             // 1..4
    int GetMonthOfSeason() const;      // 1..3
    int GetConstellationIndex() const; // star sign 0..11, -1 for an invalid date
    int GetConstellationName(CString& name) const;

    // Days from the second date to the first.
    static int DaysBetween(int y1, int m1, int d1, int y2, int m2, int d2);
    int DaysSince(const CDate& other) const;
    // Exactly n days on (back for negative n). A date that is not valid, or a move that would
    // leave the years 1..INT_MAX, leaves the date as it is.
    void AddDays(int n);
    CDate PlusDays(int n) const;
    void NextDay();
    void PrevDay();
    void StepMonth(BOOL forward);
    static void NextYearMonth(int* year, int* month);
    static void PrevYearMonth(int* year, int* month);
    void GetFirstDayOfMonth(CDate& first) const;
    void GetLastDayOfMonth(CDate& last) const;

    // Periods from other's period to this date's period, counted across years.
    static int MonthsBetween(int y1, int m1, int y2, int m2);
    int MonthsSince(const CDate& other) const;
    int WeeksSince(const CDate& other) const;
    int XunsSince(const CDate& other) const;
    int SeasonsSince(const CDate& other) const;

    // Both ends count; -1 when either date is invalid. A reversed span gives 0 or less.
    static BOOL IsInvalidSpan(const CDate& first, const CDate& last);
    static int CountDaysInRange(const CDate& first, const CDate& last);
    static int CountMonthsInRange(const CDate& first, const CDate& last);
    static int CountYearsInRange(const CDate& first, const CDate& last);
    // Days from `from` to the next date on or after it with this month and day; -1 when none
    // lies within from's year and the seven after it.
    static int DaysToNextAnniversary(const CDate& from, int month, int day);

    // The process-wide "today": null until the first refresh, which reads the local clock.
    static CDate GetToday(BOOL refresh);

    // Reads year, month and day (the numbers of the text in turn). On failure the date keeps the
    // year, and the month when it was read and in range, with the day 0.
    BOOL Parse(const CString& text);
    static CString GetMonthName(int month);
    static CString GetWeekdayName(int dayOfWeek);
    // "不详" for the null date, "非法日期" for an invalid one; otherwise the Gregorian text or,
    // with lunar TRUE, the lunar text.
    void GetDateText(CString& text, BOOL lunar = FALSE) const;
    // "solar (lunar) star sign" for a valid date; an empty text otherwise.
    void GetFullText(CString& text) const;

    // Year, month and day as three 32-bit integers: the form every stored record keeps a date in.
    void Serialize(CArchive& ar);

    // Reads the runs of decimal digits in the text, in order, into at most maxCount values
    // (with the number of digits each was written with). A run too long for an int reads as -1.
    // Returns how many were read.
    static int ScanNumbers(const char* text, int* values, int* digitCounts, int maxCount);

    // The lunar calendar of the Gregorian dates 1901-01-01 .. 2050-12-31. Lunar years 1901..2050
    // come from tables; the first 49 days of 1901 still belong to lunar 1900 (months 11 and 12),
    // which converts one way only. Nothing outside the range is computed: years outside it get
    // 0, an error code or the null date, never a guessed date.
    static constexpr int kLunarFirstYear = 1901;
    static constexpr int kLunarLastYear = 2050;

    // The month (1..12) that lunar `year` repeats as a leap month, 0 for none.
    static int GetLunarLeapMonth(int year);
    // Days of lunar month `month` in the low 16 bits and, when the year repeats that month, the
    // days of the leap month in the high 16 bits. 30 for a year outside the tables, 0 for a month
    // outside 1..12.
    static DWORD GetLunarMonthSizes(int year, int month);
    // The low or (leap TRUE) the high half of the above: 0 for a leap month that does not exist.
    static int GetLunarMonthLength(int year, int month, BOOL leap);
    static int GetLunarYearDays(int year);
    // A valid date within 1901-01-01 .. 2050-12-31.
    BOOL IsInLunarRange() const;

    // 1, or 2 when the lunar month is a leap month; 0 (outputs untouched) outside the range.
    int ToLunar(int* lunarYear, int* lunarMonth, int* lunarDay) const;
    // Day 1 of month 1 of lunar `year`; the null date for a year outside the tables.
    static CDate GetLunarNewYearDate(int year);
    // 0 with `result` set, or 1 (year), 2 (month), 3 (day) or 4 (no such leap month) with
    // `result` unchanged; `error` (may be null) receives the message of the code.
    static int LunarToSolar(CDate& result, int year, int month, int day, BOOL leap,
                            CString* error = nullptr);
    // Zodiac animal 0..11 (0 = rat) of this date's lunar year, -1 outside the range.
    int GetLunarZodiacIndex() const;

    // Solar terms 1..24 (小寒 .. 冬至), two to each Gregorian month; the first of month m is
    // term 2m - 1. Years outside the tables and months outside 1..12 have no terms (0).
    static int GetSolarTermNumber(int month, BOOL first);
    static int GetSolarTermOfDay(int year, int month, int day);
    // The day of the month's first or second term; `number` (may be null) receives its number.
    static int GetSolarTermDay(int year, int month, BOOL first, int* number = nullptr);
    // The date of term n of `year`; the null date when there is none.
    static CDate GetSolarTermDate(int year, int n);
    // The name of term 1..24; an empty text for any other number.
    static CString GetSolarTermName(int n);

    // Stem-branch and animal of a lunar year (1984 is 甲子, 鼠, "甲子鼠年"); each output may be
    // null. Returns the animal index 0..11.
    static int GetGanzhiYearName(int lunarYear, CString* stemBranch, CString* animal,
                                 CString* joined);
    // 正 .. 腊 for months 1..12, then "月" when asked, then "小" (sizeMark 1) or "大" (2), with
    // "闰" in front for a leap month. Empty for a month outside 1..12.
    static void GetLunarMonthName(int month, CString& out, BOOL withMonthSuffix = TRUE,
                                  BOOL leapPrefix = FALSE, int sizeMark = 0);
    // 初一 .. 三十; empty for a day outside 1..30.
    static void GetLunarDayName(int day, CString& out);
    // "%d月%d日" when numeric, else the Chinese month and day names ("闰十一月初一").
    static void FormatLunarMonthDay(int month, int day, BOOL numeric, BOOL leap, CString& out);

protected:
    int m_nYear;
    int m_nMonth;
    int m_nDay;
};

// The hash under which dates key the per-date maps of the calendar.
template <> inline UINT HashKey<CDate>(CDate key) {
    return (UINT)(key.GetYear() ^ key.GetMonth() ^ key.GetDay());
}
