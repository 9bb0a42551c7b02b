// A date of the lunar calendar: lunar year, month (1..12) and day (1..30) in the fields of CDate,
// and whether the month is the leap month that repeats `month`.
#pragma once

#include "core/Date.h"

class CLunarDate : public CDate {
public:
    CLunarDate(int year = 0, int month = 0, int day = 0, BOOL leap = FALSE);
    CLunarDate(const CLunarDate& other) = default;
    CLunarDate& operator=(const CLunarDate& other) = default;
    ~CLunarDate() override;

    BOOL IsLeapMonth() const { return m_bLeap; }
    void SetLeapMonth(BOOL leap) { m_bLeap = leap; }

    // The lunar date of a Gregorian date; FALSE (fields untouched) outside the lunar range.
    BOOL SetFromSolar(const CDate& solar);
    // A lunar year 1901..2050 and a month and day that exist in it (a leap flag on a month that
    // is not repeated that year is invalid).
    BOOL IsValid() const;
    // Days from `other` to this date, through their Gregorian dates; 0 when either is invalid.
    int DaysSince(const CLunarDate& other) const;

    static BOOL IsValidMonth(int month) { return month >= 1 && month <= 12; }
    static BOOL IsValidDay(int day) { return day >= 1 && day <= 30; }

    // Days from `from` to the next lunar date on or after it with this month and day, looking at
    // from's lunar year and the six after it (never past 2050). In a year that repeats `month` the
    // month with the asked leap flag is tried first, then the other one; in other years the plain
    // month. -1 when none qualifies or `from` is not a valid lunar date.
    static int DaysToNextAnniversary(const CLunarDate& from, int month, int day, BOOL leap);

private:
    BOOL ToSolar(CDate& solar) const;

    BOOL m_bLeap;
};
