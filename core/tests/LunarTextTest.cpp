#include "core/Date.h"
#include "core/tests/DateTestSupport.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/base/CString.h"

TEST(LunarText, StemBranchAndAnimalOfYears) {
    struct Case {
        int year;
        const char* stemBranch;
        const char* animal;
        int index;
    } cases[] = {
        {1984, "甲子", "鼠", 0},
        {1900, "庚子", "鼠", 0},
        {1901, "辛丑", "牛", 1},
        {2004, "甲申", "猴", 8},
        {2023, "癸卯", "兔", 3},
        {2050, "庚午", "马", 6},
        {2043, "癸亥", "猪", 11},
        // Years before 4 only come from damaged records; they still name a year of the cycle.
        {3, "癸亥", "猪", 11},
        {-56, "甲子", "鼠", 0},
    };
    for (const Case& c : cases) {
        CString stemBranch, animal, joined;
        EXPECT_EQ(c.index, CDate::GetGanzhiYearName(c.year, &stemBranch, &animal, &joined))
            << c.year;
        EXPECT_EQ(Str(c.stemBranch), Str(stemBranch)) << c.year;
        EXPECT_EQ(Str(c.animal), Str(animal)) << c.year;
        EXPECT_EQ(Str(c.stemBranch) + Str(c.animal) + Str("年"), Str(joined)) << c.year;
    }
    // Every output is optional.
    EXPECT_EQ(0, CDate::GetGanzhiYearName(1984, nullptr, nullptr, nullptr));
}

TEST(LunarText, MonthNames) {
    struct Case {
        int month;
        BOOL suffix, leap;
        int sizeMark;
        const char* text;
    } cases[] = {
        {1, FALSE, FALSE, 0, "正"},    {1, TRUE, FALSE, 0, "正月"},
        {10, TRUE, FALSE, 0, "十月"},  {11, TRUE, FALSE, 0, "十一月"},
        {12, TRUE, FALSE, 0, "腊月"},  {11, TRUE, TRUE, 2, "闰十一月大"},
        {4, TRUE, FALSE, 1, "四月小"}, {2, FALSE, TRUE, 0, "闰二"},
        {6, FALSE, FALSE, 2, "六大"},  {7, TRUE, FALSE, 3, "七月"},
        {0, TRUE, TRUE, 2, ""},        {13, TRUE, FALSE, 0, ""},
    };
    for (const Case& c : cases) {
        CString out("old");
        CDate::GetLunarMonthName(c.month, out, c.suffix, c.leap, c.sizeMark);
        EXPECT_EQ(Str(c.text), Str(out)) << c.month;
    }
}

TEST(LunarText, DayNames) {
    const char* const names[31] = {"",     "初一", "初二", "初三", "初四", "初五", "初六", "初七",
                                   "初八", "初九", "初十", "十一", "十二", "十三", "十四", "十五",
                                   "十六", "十七", "十八", "十九", "二十", "廿一", "廿二", "廿三",
                                   "廿四", "廿五", "廿六", "廿七", "廿八", "廿九", "三十"};
    for (int day = 0; day <= 30; ++day) {
        CString out("old");
        CDate::GetLunarDayName(day, out);
        EXPECT_EQ(Str(names[day]), Str(out)) << day;
    }
    CString out("old");
    CDate::GetLunarDayName(31, out);
    EXPECT_TRUE(out.IsEmpty());
}

TEST(LunarText, MonthAndDayTogether) {
    CString out;
    CDate::FormatLunarMonthDay(11, 1, FALSE, TRUE, out);
    EXPECT_EQ(Str("闰十一月初一"), Str(out));
    CDate::FormatLunarMonthDay(1, 15, FALSE, FALSE, out);
    EXPECT_EQ(Str("正月十五"), Str(out));
    CDate::FormatLunarMonthDay(12, 30, TRUE, TRUE, out);
    EXPECT_EQ(Str("12月30日"), Str(out));
}

TEST(LunarText, SolarTermNames) {
    EXPECT_EQ(Str("小寒"), Str(CDate::GetSolarTermName(1)));
    EXPECT_EQ(Str("立春"), Str(CDate::GetSolarTermName(3)));
    EXPECT_EQ(Str("清明"), Str(CDate::GetSolarTermName(7)));
    EXPECT_EQ(Str("冬至"), Str(CDate::GetSolarTermName(24)));
    for (int n : {0, 25, -1})
        EXPECT_TRUE(CDate::GetSolarTermName(n).IsEmpty()) << n;
}

TEST(LunarText, DateTextInBothForms) {
    struct Case {
        CDate date;
        const char* lunar;
        const char* full;
    } cases[] = {
        {CDate(2004, 2, 21), "2004甲申猴年 二月初二",
         "2004年2月21日 (2004甲申猴年 二月初二) 双鱼座"},
        {CDate(2033, 12, 22), "2033癸丑牛年 闰十一月初一",
         "2033年12月22日 (2033癸丑牛年 闰十一月初一) 魔羯座"},
        {CDate(1901, 1, 1), "1900庚子鼠年 十一月十一",
         "1901年1月1日 (1900庚子鼠年 十一月十一) 魔羯座"},
        {CDate(2050, 12, 31), "2050庚午马年 十一月十八",
         "2050年12月31日 (2050庚午马年 十一月十八) 魔羯座"},
        {CDate(2051, 1, 1), "无法计算阴历信息", "2051年1月1日 (无法计算阴历信息) 魔羯座"},
        {CDate(1900, 12, 31), "无法计算阴历信息", "1900年12月31日 (无法计算阴历信息) 魔羯座"},
        {CDate(), "不详", ""},
        {CDate(2001, 2, 29), "非法日期", ""},
    };
    for (const Case& c : cases) {
        CString lunar("old"), full("old");
        c.date.GetDateText(lunar, TRUE);
        c.date.GetFullText(full);
        EXPECT_EQ(Str(c.lunar), Str(lunar));
        EXPECT_EQ(Str(c.full), Str(full));
    }
}
