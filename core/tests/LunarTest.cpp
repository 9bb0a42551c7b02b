#include "core/LunarDate.h"
#include "core/tests/DateTestSupport.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/base/CString.h"

namespace {

const CDate kFirstDay(1901, 1, 1);
const CDate kLastDay(2050, 12, 31);

struct Lunar {
    int year, month, day;
    bool leap;
};

} // namespace

TEST(LunarConversion, KnownDatesConvertToLunar) {
    struct Case {
        CDate solar;
        Lunar lunar;
    } cases[] = {
        // The ends of the range; the first 49 days of 1901 belong to lunar 1900.
        {CDate(1901, 1, 1), {1900, 11, 11, false}},
        {CDate(1901, 1, 19), {1900, 11, 29, false}},
        {CDate(1901, 1, 20), {1900, 12, 1, false}},
        {CDate(1901, 2, 18), {1900, 12, 30, false}},
        {CDate(1901, 2, 19), {1901, 1, 1, false}},
        {CDate(2050, 12, 31), {2050, 11, 18, false}},
        // A leap eleventh month that runs over the Gregorian new year.
        {CDate(2033, 12, 21), {2033, 11, 30, false}},
        {CDate(2033, 12, 22), {2033, 11, 1, true}},
        {CDate(2034, 1, 1), {2033, 11, 11, true}},
        {CDate(2034, 2, 19), {2034, 1, 1, false}},
        // Leap months that began on well-known days.
        {CDate(2023, 3, 22), {2023, 2, 1, true}},
        {CDate(2023, 4, 20), {2023, 3, 1, false}},
        {CDate(2020, 5, 23), {2020, 4, 1, true}},
        {CDate(2017, 7, 23), {2017, 6, 1, true}},
        {CDate(2014, 10, 24), {2014, 9, 1, true}},
        {CDate(2012, 5, 21), {2012, 4, 1, true}},
        {CDate(2004, 2, 21), {2004, 2, 2, false}},
        // Festivals: Dragon Boat (5-5) and Mid-Autumn (8-15).
        {CDate(2013, 6, 12), {2013, 5, 5, false}},
        {CDate(2008, 9, 14), {2008, 8, 15, false}},
        {CDate(2019, 9, 13), {2019, 8, 15, false}},
        {CDate(2020, 10, 1), {2020, 8, 15, false}},
        {CDate(2021, 9, 21), {2021, 8, 15, false}},
        {CDate(2023, 9, 29), {2023, 8, 15, false}},
        {CDate(2024, 9, 17), {2024, 8, 15, false}},
        // 1906 follows the calendar published for that year: the new moon fell
        // minutes before midnight, yet the fourth month began on the 24th.
        {CDate(1906, 4, 23), {1906, 3, 30, false}},
        {CDate(1906, 4, 24), {1906, 4, 1, false}},
        // Months whose first day the printed month words had wrong.
        {CDate(1914, 11, 17), {1914, 10, 1, false}},
        {CDate(1916, 2, 3), {1916, 1, 1, false}},
        {CDate(1920, 11, 10), {1920, 10, 1, false}},
        {CDate(1989, 8, 2), {1989, 7, 1, false}},
        {CDate(2013, 6, 8), {2013, 5, 1, false}},
        {CDate(2025, 4, 28), {2025, 4, 1, false}},
    };
    for (const Case& c : cases) {
        int year = 0, month = 0, day = 0;
        int kind = c.solar.ToLunar(&year, &month, &day);
        std::string where = testing::PrintToString(c.solar);
        EXPECT_EQ(c.lunar.leap ? 2 : 1, kind) << where;
        EXPECT_EQ(c.lunar.year, year) << where;
        EXPECT_EQ(c.lunar.month, month) << where;
        EXPECT_EQ(c.lunar.day, day) << where;
    }
}

TEST(LunarConversion, NewYearsMatchPublishedDates) {
    const CDate published[] = {
        CDate(1901, 2, 19), CDate(1902, 2, 8),  CDate(1949, 1, 29), CDate(1950, 2, 17),
        CDate(1976, 1, 31), CDate(1985, 2, 20), CDate(1996, 2, 19), CDate(2000, 2, 5),
        CDate(2001, 1, 24), CDate(2002, 2, 12), CDate(2003, 2, 1),  CDate(2004, 1, 22),
        CDate(2005, 2, 9),  CDate(2006, 1, 29), CDate(2007, 2, 18), CDate(2008, 2, 7),
        CDate(2009, 1, 26), CDate(2010, 2, 14), CDate(2011, 2, 3),  CDate(2012, 1, 23),
        CDate(2013, 2, 10), CDate(2014, 1, 31), CDate(2015, 2, 19), CDate(2016, 2, 8),
        CDate(2017, 1, 28), CDate(2018, 2, 16), CDate(2019, 2, 5),  CDate(2020, 1, 25),
        CDate(2021, 2, 12), CDate(2022, 2, 1),  CDate(2023, 1, 22), CDate(2024, 2, 10),
        CDate(2025, 1, 29), CDate(2026, 2, 17), CDate(2034, 2, 19), CDate(2050, 1, 23),
    };
    for (const CDate& newYear : published) {
        EXPECT_EQ(newYear, CDate::GetLunarNewYearDate(newYear.GetYear()));
        int year = 0, month = 0, day = 0;
        EXPECT_EQ(1, newYear.ToLunar(&year, &month, &day));
        EXPECT_EQ(newYear.GetYear(), year);
        EXPECT_EQ(1, month);
        EXPECT_EQ(1, day);
        EXPECT_EQ(1, newYear.PlusDays(-1).ToLunar(&year, &month, &day));
        EXPECT_EQ(12, month) << testing::PrintToString(newYear);
    }
}

// Every day of the range, in order: the lunar date advances by exactly one day (or starts the
// next month, leap month or year on day 1), and converts back to the same Gregorian day.
TEST(LunarConversion, EveryDayRoundTrips) {
    Lunar previous = {0, 0, 0, false};
    int days = 0;
    for (CDate solar = kFirstDay; solar <= kLastDay; solar.NextDay(), ++days) {
        Lunar lunar = {0, 0, 0, false};
        int kind = solar.ToLunar(&lunar.year, &lunar.month, &lunar.day);
        ASSERT_NE(0, kind) << testing::PrintToString(solar);
        lunar.leap = kind == 2;

        if (days > 0) {
            bool nextDay = lunar.year == previous.year && lunar.month == previous.month &&
                           lunar.leap == previous.leap && lunar.day == previous.day + 1;
            bool nextMonth = lunar.day == 1 && previous.day >= 29 &&
                             ((lunar.year == previous.year &&
                               ((lunar.month == previous.month && lunar.leap && !previous.leap) ||
                                (lunar.month == previous.month + 1 && !lunar.leap))) ||
                              (lunar.year == previous.year + 1 && lunar.month == 1 && !lunar.leap &&
                               previous.month == 12));
            ASSERT_TRUE(nextDay || nextMonth) << testing::PrintToString(solar);
        }
        previous = lunar;

        if (lunar.year < CDate::kLunarFirstYear) {
            ASSERT_LT(days, 49);
            continue;
        }
        CDate back;
        ASSERT_EQ(0, CDate::LunarToSolar(back, lunar.year, lunar.month, lunar.day, lunar.leap))
            << testing::PrintToString(solar);
        ASSERT_EQ(solar, back);

        CLunarDate value;
        ASSERT_TRUE(value.SetFromSolar(solar));
        ASSERT_TRUE(value.IsValid());
        ASSERT_EQ(lunar.leap, value.IsLeapMonth() != FALSE);
    }
    EXPECT_EQ(54787, days);
}

TEST(LunarConversion, OutsideTheRangeNothingIsComputed) {
    const CDate outside[] = {CDate(1900, 12, 31), CDate(2051, 1, 1), CDate(2001, 2, 29),
                             CDate(2001, 13, 1),  CDate(),           CDate(-1, 5, 6)};
    for (const CDate& solar : outside) {
        int year = 7, month = 8, day = 9;
        EXPECT_FALSE(solar.IsInLunarRange()) << testing::PrintToString(solar);
        EXPECT_EQ(0, solar.ToLunar(&year, &month, &day)) << testing::PrintToString(solar);
        EXPECT_EQ(7, year);
        EXPECT_EQ(8, month);
        EXPECT_EQ(9, day);
        EXPECT_EQ(-1, solar.GetLunarZodiacIndex());
        CLunarDate lunar(2000, 1, 1, TRUE);
        EXPECT_FALSE(lunar.SetFromSolar(solar));
        EXPECT_EQ(CDate(2000, 1, 1), (CDate)lunar);
        EXPECT_TRUE(lunar.IsLeapMonth());
    }
    EXPECT_TRUE(kFirstDay.IsInLunarRange());
    EXPECT_TRUE(kLastDay.IsInLunarRange());

    for (int year : {1900, 2051, 0, -5}) {
        EXPECT_TRUE(CDate::GetLunarNewYearDate(year).IsNull()) << year;
        EXPECT_EQ(0, CDate::GetLunarLeapMonth(year)) << year;
        EXPECT_EQ(30u, CDate::GetLunarMonthSizes(year, 1)) << year;
        EXPECT_EQ(30, CDate::GetLunarMonthLength(year, 1, FALSE)) << year;
        EXPECT_EQ(0, CDate::GetLunarMonthLength(year, 1, TRUE)) << year;
    }
}

TEST(LunarConversion, LunarToSolarRefusesWhatDoesNotExist) {
    struct Case {
        int year, month, day;
        BOOL leap;
        int code;
        const char* message;
    } cases[] = {
        {1900, 12, 1, FALSE, 1, "年份超出计算范围(请限制在1901～2050年)"},
        {2051, 1, 1, FALSE, 1, "年份超出计算范围(请限制在1901～2050年)"},
        {2001, 0, 1, FALSE, 2, "月份不正确(请限制在1～12)"},
        {2001, 13, 1, FALSE, 2, "月份不正确(请限制在1～12)"},
        {2023, 3, 1, TRUE, 4, "该月不存在闰月"}, // 2023 repeats its second month only
        {2001, 3, 30, FALSE, 3, "日超出当月天数"},
        {2001, 3, 0, FALSE, 3, "日超出当月天数"},
        {2033, 11, 30, TRUE, 3, "日超出当月天数"}, // the leap eleventh month has 29 days
    };
    for (const Case& c : cases) {
        CDate result(1999, 9, 9);
        CString message("old");
        EXPECT_EQ(c.code, CDate::LunarToSolar(result, c.year, c.month, c.day, c.leap, &message))
            << c.year << "-" << c.month << "-" << c.day;
        EXPECT_EQ(Str(c.message), Str(message));
        EXPECT_EQ(CDate(1999, 9, 9), result);
        EXPECT_EQ(c.code, CDate::LunarToSolar(result, c.year, c.month, c.day, c.leap, nullptr));
    }

    CDate result;
    CString message("old");
    EXPECT_EQ(0, CDate::LunarToSolar(result, 2033, 11, 1, TRUE, &message));
    EXPECT_EQ(CDate(2033, 12, 22), result);
    EXPECT_TRUE(message.IsEmpty());
    // Lunar 2050 runs into 2051: its last months still convert from the table.
    EXPECT_EQ(0, CDate::LunarToSolar(result, 2050, 11, 19, FALSE));
    EXPECT_EQ(CDate(2051, 1, 1), result);
}

TEST(LunarConversion, MonthSizesAndLeapMonths) {
    EXPECT_EQ(11, CDate::GetLunarLeapMonth(2033));
    EXPECT_EQ(2, CDate::GetLunarLeapMonth(2023));
    EXPECT_EQ(0, CDate::GetLunarLeapMonth(2024));
    EXPECT_EQ(0x001D001Eu, CDate::GetLunarMonthSizes(2033, 11));
    EXPECT_EQ(30, CDate::GetLunarMonthLength(2033, 11, FALSE));
    EXPECT_EQ(29, CDate::GetLunarMonthLength(2033, 11, TRUE));
    EXPECT_EQ(0, CDate::GetLunarMonthLength(2033, 10, TRUE));
    EXPECT_EQ(0u, CDate::GetLunarMonthSizes(2033, 0));
    EXPECT_EQ(0u, CDate::GetLunarMonthSizes(2033, 13));
    // 2013's fifth month began on 8 June and its fourth therefore had 29 days.
    EXPECT_EQ(29, CDate::GetLunarMonthLength(2013, 4, FALSE));
    EXPECT_EQ(384, CDate::GetLunarYearDays(2033));
    EXPECT_EQ(354, CDate::GetLunarYearDays(2024));
    EXPECT_EQ(360, CDate::GetLunarYearDays(2051)); // every month counts as 30 outside the tables
}

TEST(LunarConversion, ZodiacIndexFollowsTheLunarYear) {
    EXPECT_EQ(0, CDate(1901, 2, 18).GetLunarZodiacIndex()); // still 1900, a rat year
    EXPECT_EQ(1, CDate(1901, 2, 19).GetLunarZodiacIndex());
    EXPECT_EQ(0, CDate(1984, 6, 1).GetLunarZodiacIndex());
    EXPECT_EQ(3, CDate(2024, 2, 9).GetLunarZodiacIndex()); // the rabbit year's last day
    EXPECT_EQ(4, CDate(2024, 2, 10).GetLunarZodiacIndex());
    EXPECT_EQ(6, CDate(2050, 12, 31).GetLunarZodiacIndex());
}

TEST(LunarDate, ValidityFollowsTheTables) {
    struct Case {
        CLunarDate date;
        BOOL valid;
    } cases[] = {
        {CLunarDate(2033, 11, 29, TRUE), TRUE},
        {CLunarDate(2033, 11, 30, TRUE), FALSE},
        {CLunarDate(2033, 11, 30, FALSE), TRUE},
        {CLunarDate(2033, 10, 1, TRUE), FALSE},
        {CLunarDate(2001, 3, 30, FALSE), FALSE},
        {CLunarDate(2001, 3, 29, FALSE), TRUE},
        {CLunarDate(1900, 12, 1, FALSE), FALSE},
        {CLunarDate(2051, 1, 1, FALSE), FALSE},
        {CLunarDate(2001, 0, 1, FALSE), FALSE},
        {CLunarDate(2001, 1, 0, FALSE), FALSE},
        {CLunarDate(), FALSE},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.valid, c.date.IsValid())
            << testing::PrintToString((const CDate&)c.date) << " leap " << c.date.IsLeapMonth();
    }
    EXPECT_TRUE(CLunarDate::IsValidMonth(12));
    EXPECT_FALSE(CLunarDate::IsValidMonth(13));
    EXPECT_TRUE(CLunarDate::IsValidDay(30));
    EXPECT_FALSE(CLunarDate::IsValidDay(31));
    EXPECT_FALSE(CLunarDate::IsValidDay(0));

    // Days between lunar dates are days between their Gregorian dates.
    EXPECT_EQ(29, CLunarDate(2033, 11, 1, TRUE).DaysSince(CLunarDate(2033, 11, 2, FALSE)));
    EXPECT_EQ(0, CLunarDate(2033, 10, 1, TRUE).DaysSince(CLunarDate(2033, 11, 2, FALSE)));
}

TEST(LunarDate, NextAnniversary) {
    struct Case {
        CLunarDate from;
        int month, day;
        BOOL leap;
        CDate expected; // null: none found
    } cases[] = {
        // Not yet passed this lunar year, then passed: found in the next year.
        {CLunarDate(2024, 1, 10), 3, 3, FALSE, CDate(2024, 4, 11)},
        {CLunarDate(2024, 5, 1), 3, 3, FALSE, CDate(2025, 3, 31)},
        // The day itself counts.
        {CLunarDate(2024, 3, 3), 3, 3, FALSE, CDate(2024, 4, 11)},
        // A day 30 is skipped in years where the month has 29 days.
        {CLunarDate(2001, 1, 1), 3, 30, FALSE, CDate(2004, 5, 18)},
        {CLunarDate(2001, 1, 1), 1, 31, FALSE, CDate()},
        // A birthday in a leap month falls in the leap month where the year has one, else in
        // the plain month.
        {CLunarDate(2023, 1, 1), 2, 5, TRUE, CDate(2023, 3, 26)},
        {CLunarDate(2024, 1, 1), 2, 5, TRUE, CDate(2024, 3, 14)},
        // The plain month is asked for but has passed: the leap month of the same number follows.
        {CLunarDate(2023, 2, 10), 2, 5, FALSE, CDate(2023, 3, 26)},
        // Never past 2050, and nothing from a date the tables do not hold.
        {CLunarDate(2050, 12, 1), 1, 1, FALSE, CDate()},
        {CLunarDate(2050, 11, 1, TRUE), 1, 1, FALSE, CDate()},
        {CLunarDate(2024, 13, 1), 1, 1, FALSE, CDate()},
    };
    for (const Case& c : cases) {
        int days = CLunarDate::DaysToNextAnniversary(c.from, c.month, c.day, c.leap);
        std::string where = testing::PrintToString((const CDate&)c.from);
        if (c.expected.IsNull()) {
            EXPECT_EQ(-1, days) << where;
            continue;
        }
        CDate from;
        ASSERT_EQ(0, CDate::LunarToSolar(from, c.from.GetYear(), c.from.GetMonth(), c.from.GetDay(),
                                         c.from.IsLeapMonth()));
        EXPECT_EQ(c.expected.DaysSince(from), days) << where;
    }
}
