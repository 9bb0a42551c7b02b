#include "core/Date.h"
#include "core/tests/DateTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/base/Archive.h"
#include "platform/base/CString.h"
#include "platform/base/File.h"
#include "platform/base/Time.h"

TEST(DateText, ParseReadsYearMonthDay) {
    struct Case {
        const char* text;
        BOOL ok;
        CDate date; // on failure: what the date holds afterwards
    } cases[] = {
        {"99-2-3", TRUE, CDate(1999, 2, 3)},
        {"2004年2月21日", TRUE, CDate(2004, 2, 21)},
        {"2001/12/31 23:59", TRUE, CDate(2001, 12, 31)}, // text after the day is ignored
        {"0099-2-3", TRUE, CDate(99, 2, 3)},             // four digits: the year as written
        {"", TRUE, CDate()},
        {"2001.2.29", FALSE, CDate(2001, 2, 0)},
        {"5/6", FALSE, CDate(1905, 6, 0)},
        {"2001-13-1", FALSE, CDate(2001, 0, 0)},
        {"2001-12-32", FALSE, CDate(2001, 12, 0)},
        {"2001", FALSE, CDate(2001, 0, 0)},
        {"0-1-1", FALSE, CDate(0, 1, 0)},
        {"无", FALSE, CDate()},
        {"99999999999-1-1", FALSE, CDate(0, 1, 0)},
        {"2001-99999999999-1", FALSE, CDate(2001, 0, 0)},
    };
    for (const Case& c : cases) {
        CDate d(1, 2, 3);
        EXPECT_EQ(c.ok, d.Parse(CString(c.text))) << c.text;
        EXPECT_EQ(c.date, d) << c.text;
    }
}

TEST(DateText, NamesAndDateText) {
    EXPECT_EQ(Str(" 1月"), Str(CDate::GetMonthName(1)));
    EXPECT_EQ(Str("12月"), Str(CDate::GetMonthName(12)));
    EXPECT_TRUE(CDate::GetMonthName(0).IsEmpty());
    EXPECT_TRUE(CDate::GetMonthName(13).IsEmpty());
    EXPECT_EQ(Str("星期日"), Str(CDate::GetWeekdayName(0)));
    EXPECT_EQ(Str("星期六"), Str(CDate::GetWeekdayName(6)));
    EXPECT_TRUE(CDate::GetWeekdayName(7).IsEmpty());
    EXPECT_TRUE(CDate::GetWeekdayName(-1).IsEmpty());

    struct Case {
        CDate date;
        const char* text;
    } cases[] = {{CDate(), "不详"},
                 {CDate(2001, 2, 29), "非法日期"},
                 {CDate(-1, 5, 1), "非法日期"},
                 {CDate(2004, 2, 21), "2004年2月21日"}};
    for (const Case& c : cases) {
        CString text("x");
        c.date.GetDateText(text);
        EXPECT_EQ(Str(c.text), Str(text));
    }
}

// Every day of a leap year gets the sign whose start it has passed; the boundaries are checked
// by name.
TEST(DateText, StarSigns) {
    struct Case {
        int m, d;
        const char* name;
    } cases[] = {{12, 21, "射手座"}, {12, 22, "魔羯座"}, {1, 1, "魔羯座"},  {1, 19, "魔羯座"},
                 {1, 20, "水瓶座"},  {2, 29, "双鱼座"},  {3, 20, "双鱼座"}, {3, 21, "牡羊座"},
                 {6, 22, "巨蟹座"},  {10, 24, "天蝎座"}, {11, 21, "天蝎座"}};
    for (const Case& c : cases) {
        CString name;
        EXPECT_GE(CDate(2000, c.m, c.d).GetConstellationName(name), 0);
        EXPECT_EQ(Str(c.name), Str(name)) << c.m << "-" << c.d;
    }
    int previous = CDate(1999, 12, 31).GetConstellationIndex();
    for (CDate d(2000, 1, 1); d.GetYear() == 2000; d.NextDay()) {
        int index = d.GetConstellationIndex();
        ASSERT_TRUE(index == previous || index == (previous + 1) % 12)
            << d.GetMonth() << "-" << d.GetDay();
        previous = index;
    }

    CString untouched("x");
    EXPECT_EQ(-1, CDate(2001, 2, 30).GetConstellationName(untouched));
    EXPECT_EQ(Str("x"), Str(untouched));
    EXPECT_EQ(-1, CDate().GetConstellationIndex());
}

TEST(DateText, SystemTimeExchangesOnlyTheDate) {
    SYSTEMTIME st = {2004, 2, 6, 21, 10, 11, 12, 13};
    CDate d;
    d.SetFromSystemTime(&st);
    EXPECT_EQ(CDate(2004, 2, 21), d);
    d.SetFromSystemTime(nullptr);
    EXPECT_EQ(CDate(2004, 2, 21), d);

    SYSTEMTIME out = {0, 0, 9, 0, 8, 7, 6, 5};
    EXPECT_EQ(&out, CDate(1999, 12, 31).GetSystemTime(&out));
    EXPECT_EQ(1999, out.wYear);
    EXPECT_EQ(12, out.wMonth);
    EXPECT_EQ(31, out.wDay);
    EXPECT_EQ(9, out.wDayOfWeek);
    EXPECT_EQ(8, out.wHour);
    EXPECT_EQ(nullptr, d.GetSystemTime(nullptr));
}

TEST(DateText, StoredAsThreeLittleEndianInts) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        CDate(2004, 2, 21).Serialize(ar);
        CDate().Serialize(ar);
        CDate(-1, 12, 31).Serialize(ar);
        ar.Close();
    }
    const std::vector<unsigned char> expected = {
        0xD4, 0x07, 0,    0,    2,  0, 0, 0, 21, 0, 0, 0,  // 2004-02-21
        0,    0,    0,    0,    0,  0, 0, 0, 0,  0, 0, 0,  // null date
        0xFF, 0xFF, 0xFF, 0xFF, 12, 0, 0, 0, 31, 0, 0, 0}; // without a year
    EXPECT_EQ(expected, FileBytes(file));

    file.SeekToBegin();
    CArchive in(&file, CArchive::load);
    CDate a(7, 7, 7), b(7, 7, 7), c;
    a.Serialize(in);
    b.Serialize(in);
    c.Serialize(in);
    EXPECT_EQ(CDate(2004, 2, 21), a);
    EXPECT_TRUE(b.IsNull());
    EXPECT_EQ(CDate(-1, 12, 31), c);
}

TEST(DateText, TruncatedStoredDateThrows) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar << (int)2004 << (int)2;
        ar.Close();
    }
    file.SeekToBegin();
    CArchive in(&file, CArchive::load);
    CDate d;
    bool thrown = false;
    try {
        d.Serialize(in);
    } catch (CArchiveException* e) {
        thrown = true;
        e->Delete();
    }
    EXPECT_TRUE(thrown);
}

TEST(DateText, TodayFollowsThePinnedClock) {
    const __time64_t leapDayNoon = CTime(2008, 2, 29, 12, 0, 0).GetTime();
    CTime::SetNowForTesting(leapDayNoon);
    EXPECT_EQ(CDate(2008, 2, 29), CDate::GetToday(TRUE));
    CTime::SetNowForTesting(leapDayNoon + 86400);
    EXPECT_EQ(CDate(2008, 2, 29), CDate::GetToday(FALSE)); // not read again without a refresh
    EXPECT_EQ(CDate(2008, 3, 1), CDate::GetToday(TRUE));
    CTime::ResetNowForTesting();
}
