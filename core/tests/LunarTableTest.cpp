// The month, leap-month and solar-term tables checked against each other and against the sky:
// a wrong bit in any of them shows up here as a day that cannot be.
#include "core/Date.h"
#include "core/tests/DateTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const int kFirst = CDate::kLunarFirstYear;
const int kLast = CDate::kLunarLastYear;

// The lunar new year of `year` reached from 1 January: the days left in the lunar year that
// holds 1 January, added to it. This walks month lengths only, apart from the conversion.
CDate NewYearFromJanuaryFirst(int year) {
    CDate jan1(year, 1, 1);
    int lunarYear, month, day;
    int kind = jan1.ToLunar(&lunarYear, &month, &day);
    if (kind == 0 || lunarYear < kFirst)
        return CDate();
    int left = CDate::GetLunarMonthLength(lunarYear, month, kind == 2) - day + 1;
    if (kind == 1)
        left += CDate::GetLunarMonthLength(lunarYear, month, TRUE);
    for (int m = month + 1; m <= 12; ++m)
        left += CDate::GetLunarMonthLength(lunarYear, m, FALSE) +
                CDate::GetLunarMonthLength(lunarYear, m, TRUE);
    return jan1.PlusDays(left);
}

} // namespace

TEST(LunarTables, YearLengthsMatchTheDistanceBetweenNewYears) {
    for (int year = kFirst; year <= kLast; ++year) {
        CDate newYear = CDate::GetLunarNewYearDate(year);
        int days = CDate::GetLunarYearDays(year);
        int months = CDate::GetLunarLeapMonth(year) != 0 ? 13 : 12;
        // 12 or 13 months of 29 or 30 days; astronomically 353..355 or 383..385 days.
        EXPECT_TRUE(months == 12 ? days >= 353 && days <= 355 : days >= 383 && days <= 385)
            << year << ": " << days << " days";
        if (year > kFirst) {
            EXPECT_EQ(NewYearFromJanuaryFirst(year), newYear) << year;
        }
        // Lunar 2051 begins on 11 February 2051.
        CDate next = year < kLast ? CDate::GetLunarNewYearDate(year + 1) : CDate(2051, 2, 11);
        EXPECT_EQ(days, next.DaysSince(newYear)) << year;
    }
}

TEST(LunarTables, NewYearFallsBetween21JanuaryAnd20February) {
    for (int year = kFirst; year <= kLast; ++year) {
        CDate newYear = CDate::GetLunarNewYearDate(year);
        EXPECT_EQ(year, newYear.GetYear());
        EXPECT_GE(newYear, CDate(year, 1, 21)) << year;
        EXPECT_LE(newYear, CDate(year, 2, 20)) << year;
    }
}

// The eleventh month is the one that holds the winter solstice, and a leap month is a month
// without a principal (even-numbered) term.
TEST(LunarTables, SolarTermsSitInTheirLunarMonths) {
    for (int year = kFirst; year <= kLast; ++year) {
        CDate solstice = CDate::GetSolarTermDate(year, 24);
        int lunarYear, month, day;
        EXPECT_EQ(1, solstice.ToLunar(&lunarYear, &month, &day))
            << testing::PrintToString(solstice);
        EXPECT_EQ(11, month) << testing::PrintToString(solstice);
    }
    for (CDate d(kFirst, 1, 1); d <= CDate(kLast, 12, 31); d.NextDay()) {
        int term = CDate::GetSolarTermOfDay(d.GetYear(), d.GetMonth(), d.GetDay());
        if (term == 0 || term % 2 != 0)
            continue;
        int lunarYear, month, day;
        EXPECT_EQ(1, d.ToLunar(&lunarYear, &month, &day))
            << "principal term " << term << " in a leap month on " << testing::PrintToString(d);
    }
}

TEST(SolarTerms, EveryMonthHoldsItsTwoTerms) {
    CDate previousTerm;
    for (int year = kFirst; year <= kLast; ++year) {
        for (int month = 1; month <= 12; ++month) {
            std::string where = std::to_string(year) + "-" + std::to_string(month);
            int firstNumber = 0, secondNumber = 0;
            int first = CDate::GetSolarTermDay(year, month, TRUE, &firstNumber);
            int second = CDate::GetSolarTermDay(year, month, FALSE, &secondNumber);
            EXPECT_GE(first, 3) << where;
            EXPECT_LE(first, 9) << where;
            EXPECT_GE(second, 18) << where;
            EXPECT_LE(second, 24) << where;
            EXPECT_EQ(2 * month - 1, firstNumber);
            EXPECT_EQ(2 * month, secondNumber);

            // Exactly those two days of the month are term days.
            int found = 0;
            for (int day = 1; day <= CDate::GetDaysInMonth(year, month); ++day) {
                int term = CDate::GetSolarTermOfDay(year, month, day);
                if (term == 0)
                    continue;
                ++found;
                EXPECT_EQ(day == first ? firstNumber : secondNumber, term) << where;
                EXPECT_TRUE(day == first || day == second) << where << "-" << day;
            }
            EXPECT_EQ(2, found) << where;

            // The sun moves 15 degrees in 14.7 to 15.7 days, so terms lie 14 to 16 days apart.
            for (int n : {firstNumber, secondNumber}) {
                CDate term = CDate::GetSolarTermDate(year, n);
                if (!previousTerm.IsNull()) {
                    int gap = term.DaysSince(previousTerm);
                    EXPECT_TRUE(gap >= 14 && gap <= 16) << testing::PrintToString(term);
                }
                previousTerm = term;
            }
        }
    }
}

TEST(SolarTerms, RowsOfTheHandedDownTable) {
    // Packed rows: the first term of a month on day 15 - high nibble, the second on 15 + low
    // nibble. 白露 2050 is on 7 September (0x88): the sun reaches 165 degrees at 18:00 that day.
    struct PackedRow {
        int year;
        BYTE bytes[12];
    } packed[] = {
        {1901, {0x96, 0xB4, 0x96, 0xA6, 0x97, 0x97, 0x78, 0x79, 0x79, 0x69, 0x78, 0x77}},
        {2050, {0xA5, 0xC3, 0xA5, 0xB5, 0xA6, 0xA6, 0x87, 0x88, 0x88, 0x78, 0x87, 0x87}},
    };
    for (const PackedRow& row : packed) {
        for (int month = 1; month <= 12; ++month) {
            BYTE b = row.bytes[month - 1];
            EXPECT_EQ(15 - (b >> 4), CDate::GetSolarTermDay(row.year, month, TRUE))
                << row.year << "-" << month;
            EXPECT_EQ(15 + (b & 0x0F), CDate::GetSolarTermDay(row.year, month, FALSE))
                << row.year << "-" << month;
        }
    }
    const int days2000[24] = {6, 21, 4, 19, 5, 20, 4, 20, 5, 21, 5, 21,
                              7, 22, 7, 23, 7, 23, 8, 23, 7, 22, 7, 21};
    for (int n = 1; n <= 24; ++n)
        EXPECT_EQ(CDate(2000, (n + 1) / 2, days2000[n - 1]), CDate::GetSolarTermDate(2000, n)) << n;
}

TEST(SolarTerms, PublishedEquinoxesAndSolstices) {
    // China Standard Time dates of the March equinox, June solstice, September equinox and
    // December solstice.
    struct Year {
        int year;
        int march, june, september, december;
    } years[] = {
        {2020, 20, 21, 22, 21}, {2021, 20, 21, 23, 21}, {2022, 20, 21, 23, 22},
        {2023, 21, 21, 23, 22}, {2024, 20, 21, 22, 21}, {2025, 20, 21, 23, 21},
        {2026, 20, 21, 23, 22}, {2027, 21, 21, 23, 22}, {2028, 20, 21, 22, 21},
        {2029, 20, 21, 23, 21}, {2030, 20, 21, 23, 22},
    };
    for (const Year& y : years) {
        EXPECT_EQ(CDate(y.year, 3, y.march), CDate::GetSolarTermDate(y.year, 6));
        EXPECT_EQ(CDate(y.year, 6, y.june), CDate::GetSolarTermDate(y.year, 12));
        EXPECT_EQ(CDate(y.year, 9, y.september), CDate::GetSolarTermDate(y.year, 18));
        EXPECT_EQ(CDate(y.year, 12, y.december), CDate::GetSolarTermDate(y.year, 24));
    }
    // Beginning of spring and Qingming of a few years.
    EXPECT_EQ(CDate(2021, 2, 3), CDate::GetSolarTermDate(2021, 3));
    EXPECT_EQ(CDate(2024, 2, 4), CDate::GetSolarTermDate(2024, 3));
    EXPECT_EQ(CDate(2025, 2, 3), CDate::GetSolarTermDate(2025, 3));
    EXPECT_EQ(CDate(2024, 4, 4), CDate::GetSolarTermDate(2024, 7));
}

TEST(SolarTerms, LookupsAndTheirLimits) {
    EXPECT_EQ(3, CDate::GetSolarTermOfDay(2000, 2, 4));
    EXPECT_EQ(0, CDate::GetSolarTermOfDay(2000, 2, 5));
    EXPECT_EQ(4, CDate::GetSolarTermOfDay(2000, 2, 19));
    EXPECT_EQ(23, CDate::GetSolarTermNumber(12, TRUE));
    EXPECT_EQ(24, CDate::GetSolarTermNumber(12, FALSE));
    EXPECT_EQ(4, CDate::GetSolarTermDay(2000, 2, TRUE)); // the number is optional

    // Years without a table row and months that do not exist have no terms.
    for (int year : {1900, 2051, 0, -1}) {
        int number = 7;
        EXPECT_EQ(0, CDate::GetSolarTermDay(year, 3, TRUE, &number)) << year;
        EXPECT_EQ(0, number);
        EXPECT_EQ(0, CDate::GetSolarTermOfDay(year, 3, 20)) << year;
        EXPECT_TRUE(CDate::GetSolarTermDate(year, 6).IsNull()) << year;
    }
    for (int month : {0, 13, -1}) {
        int number = 7;
        EXPECT_EQ(0, CDate::GetSolarTermDay(2000, month, FALSE, &number)) << month;
        EXPECT_EQ(0, number);
        EXPECT_EQ(0, CDate::GetSolarTermOfDay(2000, month, 20)) << month;
    }
    EXPECT_TRUE(CDate::GetSolarTermDate(2000, 0).IsNull());
    EXPECT_TRUE(CDate::GetSolarTermDate(2000, 25).IsNull());
}
