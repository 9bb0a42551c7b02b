#include "core/Date.h"

#include "core/tests/DateTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <random>

using namespace std::chrono;

namespace {

CDate FromChrono(const year_month_day& ymd) {
    return CDate((int)ymd.year(), (int)(unsigned)ymd.month(), (int)(unsigned)ymd.day());
}

// Index of the Sunday-started week that holds the day, counted from an arbitrary origin.
long long SundayWeekIndex(sys_days d) {
    const sys_days origin = sys_days(year(1799) / December / 29); // a Sunday
    long long diff = (d - origin).count();
    return diff >= 0 ? diff / 7 : -((6 - diff) / 7);
}

std::string Text(const CDate& d) {
    return ::testing::PrintToString(d);
}

} // namespace

TEST(Date, NullDateIsDefaultAndNotValid) {
    CDate d;
    EXPECT_TRUE(d.IsNull());
    EXPECT_FALSE(d.IsValid());
    d.Set(2001, 2, 3);
    EXPECT_FALSE(d.IsNull());
    d.SetNull();
    EXPECT_EQ(CDate(), d);
    EXPECT_LT(CDate(), CDate(1, 1, 1));
}

TEST(Date, CalendarFacts) {
    EXPECT_FALSE(CDate::IsLeapYear(1900));
    EXPECT_TRUE(CDate::IsLeapYear(2000));
    EXPECT_TRUE(CDate::IsLeapYear(2004));
    EXPECT_FALSE(CDate::IsLeapYear(2001));
    EXPECT_EQ(28, CDate::GetDaysInMonth(1900, 2));
    EXPECT_EQ(29, CDate::GetDaysInMonth(2000, 2));
    EXPECT_EQ(30, CDate::GetDaysInMonth(2001, 4));
    EXPECT_EQ(31, CDate::GetDaysInMonth(2001, 12));
    EXPECT_EQ(0, CDate::GetDaysInMonth(2001, 13));
    EXPECT_EQ(0, CDate::GetDaysInMonth(2001, 0));
    EXPECT_EQ(365, CDate::GetDaysInYear(1900));
    EXPECT_EQ(366, CDate::GetDaysInYear(2000));
}

TEST(Date, Validity) {
    struct Case {
        int y, m, d;
        bool valid;
    } cases[] = {
        {2000, 2, 29, true}, {1900, 2, 29, false}, {2001, 4, 31, false}, {2001, 12, 31, true},
        {0, 1, 1, false},    {-1, 1, 1, false},    {2001, 0, 1, false},  {2001, 13, 1, false},
        {2001, 1, 0, false}, {1, 1, 1, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.valid, (bool)CDate::IsValidDate(c.y, c.m, c.d))
            << c.y << "-" << c.m << "-" << c.d;

    struct MonthDay {
        int m, d;
        bool valid;
    } monthDays[] = {{2, 29, true},  {2, 30, false}, {4, 30, true}, {4, 31, false}, {11, 31, false},
                     {12, 31, true}, {1, 0, false},  {0, 1, false}, {13, 1, false}};
    for (const MonthDay& c : monthDays)
        EXPECT_EQ(c.valid, (bool)CDate::IsValidMonthDay(c.m, c.d)) << c.m << "-" << c.d;

    int year = 2001;
    CDate::SetYearUnknown(year);
    EXPECT_TRUE(CDate::IsYearUnknown(year));
    EXPECT_FALSE(CDate::IsYearUnknown(0));
}

TEST(Date, SettersKeepNegativePartsOnlyInSetDate) {
    CDate d(2001, 5, 6);
    d.SetDate(-1, 7, -1);
    EXPECT_EQ(CDate(2001, 7, 6), d);
    d.SetDate(2003, -5, 0);
    EXPECT_EQ(CDate(2003, 7, 0), d);
    EXPECT_EQ(-3, d.Set(-1, 2, -3));
    EXPECT_EQ(CDate(-1, 2, -3), d);
}

TEST(Date, PackAndUnpack) {
    EXPECT_EQ(0x07D1020Cu, CDate::PackYMD(2001, 2, 12));
    // Only the low byte of the day is kept, so a day cannot spill into the month.
    EXPECT_EQ(0x07D10201u, CDate::PackYMD(2001, 2, 0x101));
    int y = 0, m = 0, d = 0;
    CDate::UnpackYMD(0x07D10C1F, &y, &m, &d);
    EXPECT_EQ(2001, y);
    EXPECT_EQ(12, m);
    EXPECT_EQ(31, d);
    // Packed dates order as the dates do.
    EXPECT_LT(CDate::PackYMD(2001, 12, 31), CDate::PackYMD(2002, 1, 1));
}

TEST(Date, ComparisonOrdersYearThenMonthThenDay) {
    const CDate dates[] = {CDate(), CDate(1999, 12, 31), CDate(2000, 1, 1), CDate(2000, 1, 2),
                           CDate(2000, 2, 1)};
    const int n = sizeof(dates) / sizeof(dates[0]);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            int expected = i < j ? -1 : (i > j ? 1 : 0);
            EXPECT_EQ(expected, dates[i].Compare(dates[j])) << i << " " << j;
            EXPECT_EQ(i < j, dates[i] < dates[j]);
            EXPECT_EQ(i <= j, dates[i] <= dates[j]);
            EXPECT_EQ(i > j, dates[i] > dates[j]);
            EXPECT_EQ(i >= j, dates[i] >= dates[j]);
            EXPECT_EQ(i == j, dates[i] == dates[j]);
            EXPECT_EQ(i != j, dates[i] != dates[j]);
        }
    }
}

// Every day from 1800 to 2200 against the standard library's calendar: day counts, week days,
// stepping by one day and the Sunday-started week numbers.
TEST(Date, AgreesWithStandardCalendarEveryDay1800To2200) {
    const sys_days first = sys_days(year(1800) / January / 1);
    const sys_days last = sys_days(year(2200) / December / 31);
    const CDate origin(1800, 1, 1);
    CDate walker(1800, 1, 1);
    for (sys_days day = first; day <= last; day += days(1)) {
        const year_month_day ymd(day);
        const CDate d = FromChrono(ymd);
        ASSERT_EQ(d, walker) << "NextDay drifted at " << Text(d);
        ASSERT_TRUE(d.IsValid()) << Text(d);
        ASSERT_EQ((int)(day - first).count(), d.DaysSince(origin)) << Text(d);
        ASSERT_EQ((int)weekday(day).c_encoding(), d.GetDayOfWeek()) << Text(d);

        const sys_days jan1 = sys_days(ymd.year() / January / 1);
        const long long week = SundayWeekIndex(day) - SundayWeekIndex(jan1) + 1;
        ASSERT_EQ(week, d.GetWeekOfYear()) << Text(d);

        const sys_days monthStart = sys_days(ymd.year() / ymd.month() / 1);
        const sys_days monthEnd = sys_days(ymd.year() / ymd.month() / std::chrono::last);
        ASSERT_EQ(SundayWeekIndex(day) - SundayWeekIndex(monthStart) + 1, d.GetWeekOfMonth());
        ASSERT_EQ(SundayWeekIndex(monthEnd) - SundayWeekIndex(day) + 1, d.GetWeekOfMonthFromEnd());

        CDate back = d;
        back.PrevDay();
        ASSERT_EQ(FromChrono(year_month_day(day - days(1))), back) << Text(d);
        ASSERT_EQ(back, d.PlusDays(-1));
        walker.NextDay();
        ASSERT_EQ(walker, d.PlusDays(1));
    }
}

TEST(Date, AddDaysMatchesStandardCalendarForRandomMoves) {
    std::mt19937 rng(20240229);
    std::uniform_int_distribution<int> startDay(0, 146096 * 2);
    std::uniform_int_distribution<int> smallMove(-800, 800);
    std::uniform_int_distribution<int> largeMove(-100000, 100000);
    const sys_days base = sys_days(year(1800) / January / 1);
    for (int i = 0; i < 20000; ++i) {
        const sys_days start = base + days(startDay(rng));
        const int n = i % 2 ? smallMove(rng) : largeMove(rng);
        const CDate d = FromChrono(year_month_day(start));
        const CDate moved = d.PlusDays(n);
        ASSERT_EQ(FromChrono(year_month_day(start + days(n))), moved) << Text(d) << " + " << n;
        ASSERT_EQ(n, moved.DaysSince(d));
    }
}

TEST(Date, AddDaysEdgeCases) {
    struct Case {
        CDate from;
        int n;
        CDate to;
    } cases[] = {
        {CDate(2001, 1, 31), 1, CDate(2001, 2, 1)},
        {CDate(2001, 3, 5), -5, CDate(2001, 2, 28)},
        {CDate(2000, 2, 29), 366, CDate(2001, 3, 1)},
        {CDate(2000, 2, 29), -366, CDate(1999, 2, 28)},
        {CDate(2000, 2, 29), 365, CDate(2001, 2, 28)},
        {CDate(2000, 12, 31), 365, CDate(2001, 12, 31)},
        {CDate(2001, 1, 1), -365, CDate(2000, 1, 2)},
        {CDate(1, 1, 2), -1, CDate(1, 1, 1)},
        {CDate(2001, 6, 15), 0, CDate(2001, 6, 15)},
    };
    for (const Case& c : cases) {
        CDate d = c.from;
        d.AddDays(c.n);
        EXPECT_EQ(c.to, d) << Text(c.from) << " + " << c.n;
    }
}

TEST(Date, AddDaysLeavesDatesThatAreNotDatesAlone) {
    const CDate cases[] = {CDate(), CDate(2001, 2, 30), CDate(-1, 5, 1), CDate(1, 1, 1),
                           CDate(INT_MAX, 12, 31)};
    const int moves[] = {1, 400, -1};
    for (const CDate& c : cases) {
        for (int n : moves) {
            if ((c == CDate(1, 1, 1) && n > 0) || (c == CDate(INT_MAX, 12, 31) && n < 0))
                continue; // these moves stay in range
            EXPECT_EQ(c, c.PlusDays(n)) << Text(c) << " + " << n;
        }
    }
}

TEST(Date, DaysBetweenByDayNumber) {
    EXPECT_EQ(1, CDate::DaysBetween(2001, 3, 1, 2001, 2, 28));
    EXPECT_EQ(-366, CDate::DaysBetween(2000, 1, 1, 2001, 1, 1));
    EXPECT_EQ(0, CDate::DaysBetween(2000, 5, 5, 2000, 5, 5));
    // Unusable parts from a damaged file still give a defined answer.
    EXPECT_NO_FATAL_FAILURE(CDate::DaysBetween(INT_MAX, 99, INT_MAX, INT_MIN, -4, INT_MIN));
}

TEST(Date, KnownWeekDays) {
    EXPECT_EQ(6, CDate(2000, 1, 1).GetDayOfWeek());
    EXPECT_EQ(2, CDate(1901, 1, 1).GetDayOfWeek());
    EXPECT_EQ(1, CDate(1, 1, 1).GetDayOfWeek());
}

TEST(Date, XunAndSeasonNumbers) {
    struct Case {
        int m, d;
        int dayOfXun, xunOfYear, season, monthOfSeason;
    } cases[] = {
        {1, 1, 1, 1, 1, 1},   {1, 10, 10, 1, 1, 1}, {1, 11, 1, 2, 1, 1},   {1, 20, 10, 2, 1, 1},
        {1, 21, 1, 3, 1, 1},  {1, 30, 10, 3, 1, 1}, {1, 31, 11, 3, 1, 1},  {2, 28, 8, 6, 1, 2},
        {3, 31, 11, 9, 1, 3}, {4, 1, 1, 10, 2, 1},  {9, 30, 10, 27, 3, 3}, {12, 31, 11, 36, 4, 3},
    };
    for (const Case& c : cases) {
        const CDate d(2001, c.m, c.d);
        EXPECT_EQ(c.dayOfXun, d.GetDayOfXun()) << c.m << "-" << c.d;
        EXPECT_EQ(c.xunOfYear, d.GetXunOfYear()) << c.m << "-" << c.d;
        EXPECT_EQ(c.season, d.GetSeason()) << c.m << "-" << c.d;
        EXPECT_EQ(c.monthOfSeason, d.GetMonthOfSeason()) << c.m << "-" << c.d;
    }
}

TEST(Date, PeriodDifferencesAcrossYearEnds) {
    EXPECT_EQ(1, CDate(2002, 1, 1).SeasonsSince(CDate(2001, 12, 31)));
    EXPECT_EQ(1, CDate(2002, 1, 5).XunsSince(CDate(2001, 12, 31)));
    EXPECT_EQ(1, CDate(2002, 1, 1).MonthsSince(CDate(2001, 12, 31)));
    // 2005-12-31 is a Saturday, the next day a Sunday.
    EXPECT_EQ(1, CDate(2006, 1, 1).WeeksSince(CDate(2005, 12, 31)));
    EXPECT_EQ(-1, CDate(2005, 12, 31).WeeksSince(CDate(2006, 1, 1)));
    EXPECT_EQ(0, CDate(2005, 12, 31).WeeksSince(CDate(2005, 12, 25)));
    EXPECT_EQ(-13, CDate(2001, 1, 1).MonthsSince(CDate(2002, 2, 28)));
    EXPECT_EQ(-14, CDate::MonthsBetween(2000, 12, 2002, 2));
}

// The period counts are the distance between period indexes computed independently from the
// standard library's calendar, over long ranges and in both directions.
TEST(Date, PeriodCountsAgreeWithIndependentIndexes) {
    auto xunIndex = [](const year_month_day& ymd) {
        unsigned d = (unsigned)ymd.day();
        long long xunInMonth = d <= 10 ? 0 : (d <= 20 ? 1 : 2);
        return (long long)(int)ymd.year() * 36 + ((unsigned)ymd.month() - 1) * 3 + xunInMonth;
    };
    auto seasonIndex = [](const year_month_day& ymd) {
        return (long long)(int)ymd.year() * 4 + ((unsigned)ymd.month() - 1) / 3;
    };
    auto monthIndex = [](const year_month_day& ymd) {
        return (long long)(int)ymd.year() * 12 + (unsigned)ymd.month() - 1;
    };
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> pick(0, 146097);
    const sys_days base = sys_days(year(1850) / January / 1);
    for (int i = 0; i < 20000; ++i) {
        const sys_days a = base + days(pick(rng));
        const sys_days b = base + days(pick(rng));
        const year_month_day ya(a), yb(b);
        const CDate da = FromChrono(ya), db = FromChrono(yb);
        ASSERT_EQ(SundayWeekIndex(a) - SundayWeekIndex(b), da.WeeksSince(db))
            << Text(da) << " " << Text(db);
        ASSERT_EQ(xunIndex(ya) - xunIndex(yb), da.XunsSince(db)) << Text(da) << " " << Text(db);
        ASSERT_EQ(seasonIndex(ya) - seasonIndex(yb), da.SeasonsSince(db));
        ASSERT_EQ(monthIndex(ya) - monthIndex(yb), da.MonthsSince(db));
        ASSERT_EQ((a - b).count(), da.DaysSince(db));
        if (ya.year() == yb.year()) {
            ASSERT_EQ(da.GetWeekOfYear() - db.GetWeekOfYear(), da.WeeksSince(db));
        }
    }
}

TEST(Date, StepMonthAndYearMonthPairs) {
    CDate d(2001, 12, 31);
    d.StepMonth(TRUE);
    EXPECT_EQ(CDate(2002, 1, 31), d);
    d.StepMonth(FALSE);
    d.StepMonth(FALSE);
    EXPECT_EQ(CDate(2001, 11, 31), d); // the day is not adjusted
    int y = 2001, m = 1;
    CDate::PrevYearMonth(&y, &m);
    EXPECT_EQ(2000, y);
    EXPECT_EQ(12, m);
    CDate::NextYearMonth(&y, &m);
    EXPECT_EQ(2001, y);
    EXPECT_EQ(1, m);
}

TEST(Date, NextAndPrevDayNeedAYearAndAMonth) {
    CDate nullDate;
    nullDate.NextDay();
    EXPECT_TRUE(nullDate.IsNull());
    CDate noMonth(2001, 0, 5);
    noMonth.PrevDay();
    EXPECT_EQ(CDate(2001, 0, 5), noMonth);
    CDate yearEnd(2001, 12, 31);
    yearEnd.NextDay();
    EXPECT_EQ(CDate(2002, 1, 1), yearEnd);
    yearEnd.PrevDay();
    EXPECT_EQ(CDate(2001, 12, 31), yearEnd);
}

TEST(Date, FirstAndLastDayOfMonth) {
    CDate first, last;
    CDate(2000, 2, 10).GetFirstDayOfMonth(first);
    CDate(2000, 2, 10).GetLastDayOfMonth(last);
    EXPECT_EQ(CDate(2000, 2, 1), first);
    EXPECT_EQ(CDate(2000, 2, 29), last);
    CDate(1900, 2, 10).GetLastDayOfMonth(last);
    EXPECT_EQ(CDate(1900, 2, 28), last);
}

TEST(Date, RangeCountsIncludeBothEnds) {
    const CDate a(2001, 12, 31), b(2002, 1, 1);
    EXPECT_EQ(1, CDate::CountDaysInRange(a, a));
    EXPECT_EQ(2, CDate::CountDaysInRange(a, b));
    EXPECT_EQ(0, CDate::CountDaysInRange(b, a)); // reversed: not refused
    EXPECT_EQ(2, CDate::CountMonthsInRange(a, b));
    EXPECT_EQ(0, CDate::CountMonthsInRange(b, a));
    EXPECT_EQ(2, CDate::CountYearsInRange(a, b));
    EXPECT_EQ(-1, CDate::CountYearsInRange(CDate(2003, 1, 1), a));
    EXPECT_EQ(366, CDate::CountDaysInRange(CDate(2000, 1, 1), CDate(2000, 12, 31)));

    const CDate invalid[] = {CDate(), CDate(2001, 2, 29), CDate(-1, 3, 1)};
    for (const CDate& bad : invalid) {
        EXPECT_TRUE(CDate::IsInvalidSpan(bad, a));
        EXPECT_EQ(-1, CDate::CountDaysInRange(a, bad)) << Text(bad);
        EXPECT_EQ(-1, CDate::CountDaysInRange(bad, a)) << Text(bad);
        EXPECT_EQ(-1, CDate::CountMonthsInRange(bad, a)) << Text(bad);
        EXPECT_EQ(-1, CDate::CountYearsInRange(a, bad)) << Text(bad);
    }
    EXPECT_FALSE(CDate::IsInvalidSpan(a, b));
}

TEST(Date, DaysToNextAnniversary) {
    struct Case {
        CDate from;
        int m, d;
        CDate expected; // null: none found
    } cases[] = {
        {CDate(2001, 3, 1), 2, 29, CDate(2004, 2, 29)},
        {CDate(2004, 3, 2), 2, 29, CDate(2008, 2, 29)},
        {CDate(2004, 2, 29), 2, 29, CDate(2004, 2, 29)},
        {CDate(2001, 6, 1), 6, 1, CDate(2001, 6, 1)},
        {CDate(2001, 6, 2), 6, 1, CDate(2002, 6, 1)},
        {CDate(2001, 12, 31), 1, 1, CDate(2002, 1, 1)},
        // The eight candidate years 2097..2104 hold no 29 February (2100 is not a leap year).
        {CDate(2096, 3, 1), 2, 29, CDate()},
        {CDate(2001, 1, 1), 4, 31, CDate()},
        {CDate(2001, 1, 1), 13, 1, CDate()},
    };
    for (const Case& c : cases) {
        const int expected = c.expected.IsNull() ? -1 : c.expected.DaysSince(c.from);
        EXPECT_EQ(expected, CDate::DaysToNextAnniversary(c.from, c.m, c.d))
            << Text(c.from) << " -> " << c.m << "-" << c.d;
    }
    EXPECT_EQ(-1, CDate::DaysToNextAnniversary(CDate(), 1, 1));
    EXPECT_EQ(-1, CDate::DaysToNextAnniversary(CDate(2001, 2, 30), 3, 1));
    // The last years of the representable range do not overflow the candidate year.
    EXPECT_EQ(-1, CDate::DaysToNextAnniversary(CDate(INT_MAX, 12, 31), 12, 30));
    EXPECT_EQ(0, CDate::DaysToNextAnniversary(CDate(INT_MAX, 12, 31), 12, 31));
    EXPECT_EQ(364, CDate::DaysToNextAnniversary(CDate(INT_MAX, 1, 1), 12, 31));
}

// Every month and day (and some that no year holds) from starting days around month ends, in
// common, leap and century years, against the plain rule: the first year from the starting one
// whose date exists and is not before the start.
TEST(Date, DaysToNextAnniversaryAgreesWithTheCalendarEverywhere) {
    auto reference = [](const CDate& from, int m, int d) {
        for (int year = from.GetYear(); year < from.GetYear() + 8; ++year) {
            CDate candidate(year, m, d);
            if (candidate.IsValid() && candidate >= from)
                return candidate.DaysSince(from);
        }
        return -1;
    };
    for (int year : {2003, 2004, 2000, 2100}) {
        for (int month = 1; month <= 12; ++month) {
            for (int day : {1, 15, 28, 29, 30, 31}) {
                const CDate from(year, month, day);
                if (!from.IsValid())
                    continue;
                for (int m = 0; m <= 13; ++m)
                    for (int d = 0; d <= 32; ++d)
                        ASSERT_EQ(reference(from, m, d), CDate::DaysToNextAnniversary(from, m, d))
                            << Text(from) << " -> " << m << "-" << d;
            }
        }
    }
}

TEST(Date, KeysHashMapsByXorOfParts) {
    EXPECT_EQ((UINT)(2004 ^ 2 ^ 21), HashKey<CDate>(CDate(2004, 2, 21)));
    EXPECT_EQ((UINT)(2004 ^ 2 ^ 21), HashKey<const CDate&>(CDate(2004, 2, 21)));
    CMap<CDate, const CDate&, int, int> byDate;
    for (CDate d(2004, 1, 1); d.GetYear() == 2004; d.NextDay())
        byDate[d] = d.GetDayOfWeek();
    EXPECT_EQ(366, byDate.GetCount());
    int dayOfWeek = -1;
    EXPECT_TRUE(byDate.Lookup(CDate(2004, 2, 29), dayOfWeek));
    EXPECT_EQ(0, dayOfWeek);
    EXPECT_FALSE(byDate.Lookup(CDate(2005, 2, 28), dayOfWeek));
}

// Dates read from a damaged file can hold any int; every operation must still be defined (the
// sanitizer build aborts on an overflow).
TEST(Date, DamagedPartsDoNotOverflow) {
    const CDate damaged[] = {CDate(INT_MAX, INT_MAX, INT_MAX), CDate(INT_MIN, INT_MIN, INT_MIN),
                             CDate(INT_MAX, 12, 31), CDate(INT_MIN, 1, 1), CDate(1, 12, INT_MIN)};
    long long sink = 0;
    auto use = [&sink](std::initializer_list<long long> values) {
        for (long long v : values)
            sink += v % 1000;
    };
    for (const CDate& d : damaged) {
        for (const CDate& other : damaged) {
            use({d.DaysSince(other), d.WeeksSince(other), d.XunsSince(other), d.SeasonsSince(other),
                 d.MonthsSince(other), d.Compare(other), CDate::CountDaysInRange(d, other),
                 CDate::DaysToNextAnniversary(d, 2, 29)});
        }
        use({d.GetDayOfWeek(), d.GetWeekOfYear(), d.GetWeekOfMonth(), d.GetWeekOfMonthFromEnd(),
             d.GetDayOfXun(), d.GetXunOfYear(), d.GetSeason(), d.GetMonthOfSeason(),
             d.GetConstellationIndex(), CDate::PackYMD(d.GetYear(), d.GetMonth(), d.GetDay())});
        CDate moved = d;
        moved.NextDay();
        moved.PrevDay();
        moved.StepMonth(TRUE);
        moved.StepMonth(FALSE);
        moved.AddDays(INT_MAX);
        moved.AddDays(INT_MIN);
        use({moved.GetDay()});
    }
    EXPECT_NE(0, sink);

    int y = INT_MAX, m = 12;
    CDate::NextYearMonth(&y, &m);
    EXPECT_EQ(INT_MAX, y);
    EXPECT_EQ(12, m);
    y = INT_MIN, m = 1;
    CDate::PrevYearMonth(&y, &m);
    EXPECT_EQ(INT_MIN, y);
    EXPECT_EQ(1, m);
}
