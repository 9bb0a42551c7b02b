#include "core/DateTime.h"

#include "core/tests/DateTestSupport.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "platform/base/Archive.h"
#include "platform/base/CString.h"
#include "platform/base/File.h"
#include "platform/base/Time.h"

namespace {

std::string Hms(const CTimeOfDay& t) {
    return ::testing::PrintToString(t);
}

void ExpectParts(const CTimeOfDay& t, int h, int m, int s) {
    EXPECT_EQ(h, t.m_nHour) << Hms(t);
    EXPECT_EQ(m, t.m_nMinute) << Hms(t);
    EXPECT_EQ(s, t.m_nSecond) << Hms(t);
}

} // namespace

TEST(TimeOfDay, NormalizeCarriesAndBorrows) {
    struct Case {
        int h, m, s;
        BOOL withDays;
        int days, nh, nm, ns;
    } cases[] = {
        {0, 60, 0, FALSE, 0, 1, 0, 0},      {0, 0, 125, FALSE, 0, 0, 2, 5},
        {0, -1, -30, FALSE, 0, -1, 58, 30}, {23, 59, 60, TRUE, 1, 0, 0, 0},
        {25, 0, 0, FALSE, 0, 25, 0, 0},     {25, 0, 0, TRUE, 1, 1, 0, 0},
        {0, 0, -10, TRUE, -1, 23, 59, 50},  {-25, 0, 0, TRUE, -2, 23, 0, 0},
        {48, 0, 0, TRUE, 2, 0, 0, 0},       {12, 30, 15, TRUE, 0, 12, 30, 15},
        {0, 120, -120, TRUE, 0, 1, 58, 0},
    };
    for (const Case& c : cases) {
        CTimeOfDay t(c.h, c.m, c.s);
        EXPECT_EQ(c.withDays ? c.days : 0, t.Normalize(c.withDays))
            << c.h << ":" << c.m << ":" << c.s;
        ExpectParts(t, c.nh, c.nm, c.ns);
    }
}

TEST(TimeOfDay, ArithmeticNormalisesMinutesAndSecondsOnly) {
    CTimeOfDay t(23, 59, 30);
    t += CTimeOfDay(0, 0, 45);
    ExpectParts(t, 24, 0, 15); // the hour is not wrapped

    CTimeOfDay u(0, 0, 10);
    u -= CTimeOfDay(0, 0, 20);
    ExpectParts(u, -1, 59, 50);

    ExpectParts(CTimeOfDay(10, 0, 0) - CTimeOfDay(8, 30, 15), 1, 29, 45);
    ExpectParts(CTimeOfDay(8, 0, 0) - CTimeOfDay(9, 0, 1), -2, 59, 59);
    EXPECT_EQ(-3601, (CTimeOfDay(8, 0, 0) - CTimeOfDay(9, 0, 1)).GetTotalSeconds());
    ExpectParts(CTimeOfDay(0, 1, 30).Negate(), -1, 58, 30);
    // Parts near the edge of a byte still carry correctly.
    CTimeOfDay big(0, 59, 59);
    big += CTimeOfDay(0, 59, 59);
    ExpectParts(big, 1, 59, 58);
}

TEST(TimeOfDay, EqualityAndOrderByTotalSeconds) {
    EXPECT_EQ(CTimeOfDay(1, 0, 0), CTimeOfDay(0, 60, 0));
    EXPECT_EQ(3600, CTimeOfDay(0, 60, 0).GetTotalSeconds());
    EXPECT_NE(CTimeOfDay(1, 0, 0), CTimeOfDay(1, 0, 1));
    EXPECT_EQ(1, CTimeOfDay(10, 0, 0).Compare(CTimeOfDay(9, 59, 59)));
    EXPECT_EQ(-1, CTimeOfDay(9, 59, 59).Compare(CTimeOfDay(10, 0, 0)));
    EXPECT_EQ(0, CTimeOfDay(0, 0, 120).Compare(CTimeOfDay(0, 2, 0)));
    CTimeOfDay cleared(5, 6, 7);
    cleared.Clear();
    ExpectParts(cleared, 0, 0, 0);
}

TEST(DateTime, AddAndSubtractMoveTheDateByTheDayCarry) {
    struct Case {
        CDateTime from;
        CTimeOfDay amount;
        bool subtract;
        CDateTime to;
    } cases[] = {
        {CDateTime(2000, 12, 31, 23, 59, 30), CTimeOfDay(0, 0, 45), false,
         CDateTime(2001, 1, 1, 0, 0, 15)},
        {CDateTime(2000, 3, 1, 0, 0, 10), CTimeOfDay(0, 0, 20), true,
         CDateTime(2000, 2, 29, 23, 59, 50)},
        {CDateTime(2001, 3, 1, 0, 30, 0), CTimeOfDay(1, 0, 0), true,
         CDateTime(2001, 2, 28, 23, 30, 0)},
        {CDateTime(2001, 5, 5, 10, 0, 0), CTimeOfDay(2, 30, 0), false,
         CDateTime(2001, 5, 5, 12, 30, 0)},
        {CDateTime(2001, 5, 5, 10, 0, 0), CTimeOfDay(0, 0, 0), true,
         CDateTime(2001, 5, 5, 10, 0, 0)},
    };
    for (const Case& c : cases) {
        CDateTime t = c.from;
        if (c.subtract)
            t.SubtractTime(c.amount);
        else
            t.AddTime(c.amount);
        EXPECT_EQ(0, t.Compare(c.to)) << Hms(t.m_time);
        EXPECT_EQ(c.to.m_date, t.m_date);
        ExpectParts(t.m_time, c.to.m_time.m_nHour, c.to.m_time.m_nMinute, c.to.m_time.m_nSecond);
    }

    CDateTime undated;
    undated.m_time.Set(23, 0, 0);
    undated.AddTime(CTimeOfDay(2, 0, 0));
    EXPECT_TRUE(undated.m_date.IsNull());
    ExpectParts(undated.m_time, 25, 0, 0);
}

TEST(DateTime, ConstructionSettersAndNull) {
    CDateTime t;
    EXPECT_TRUE(t.m_date.IsNull());
    ExpectParts(t.m_time, 0, 0, 0);
    EXPECT_FALSE(t.IsValid());

    t.SetDateTime(2004, 2, 21, 8, 9, 10);
    EXPECT_TRUE(t.IsValid());
    t.SetDateTime(-1, 3, -1, 70, 0, 0); // negative date parts kept; the time as given
    EXPECT_EQ(CDate(2004, 3, 21), t.m_date);
    ExpectParts(t.m_time, 70, 0, 0);
    EXPECT_TRUE(t.IsValid()); // the time is not tested

    t.SetNull();
    EXPECT_EQ(CDateTime(), t);
}

TEST(DateTime, CompareDateFirstThenSeconds) {
    EXPECT_EQ(1, CDateTime(2001, 1, 1, 10, 0, 0).Compare(CDateTime(2001, 1, 1, 9, 59, 59)));
    EXPECT_EQ(-1, CDateTime(2001, 1, 1, 23, 0, 0).Compare(CDateTime(2001, 1, 2, 0, 0, 0)));
    EXPECT_EQ(0, CDateTime(2001, 1, 1, 1, 0, 0).Compare(CDateTime(2001, 1, 1, 0, 60, 0)));
    EXPECT_EQ(CDateTime(2001, 1, 1, 1, 0, 0), CDateTime(2001, 1, 1, 0, 60, 0));
    EXPECT_NE(CDateTime(2001, 1, 1, 1, 0, 0), CDateTime(2001, 1, 2, 1, 0, 0));
}

TEST(DateTime, SystemTimeLeavesWeekDayAndMilliseconds) {
    SYSTEMTIME st = {2004, 2, 6, 21, 10, 11, 12, 13};
    CDateTime t;
    t.SetFromSystemTime(&st);
    EXPECT_EQ(CDateTime(2004, 2, 21, 10, 11, 12), t);
    SYSTEMTIME out = {0, 0, 9, 0, 0, 0, 0, 99};
    EXPECT_EQ(&out, t.GetSystemTime(&out));
    EXPECT_EQ(2004, out.wYear);
    EXPECT_EQ(21, out.wDay);
    EXPECT_EQ(10, out.wHour);
    EXPECT_EQ(11, out.wMinute);
    EXPECT_EQ(12, out.wSecond);
    EXPECT_EQ(9, out.wDayOfWeek);
    EXPECT_EQ(99, out.wMilliseconds);
}

TEST(DateTime, StoredAsFifteenBytes) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        CDateTime(2004, 2, 21, 23, 59, 58).Serialize(ar);
        CDateTime t;
        t.m_time.Set(-1, 58, 30); // an amount, as kept by reminders
        t.Serialize(ar);
        ar.Close();
    }
    const std::vector<unsigned char> expected = {0xD4, 0x07, 0,  0,  2,  0, 0, 0,    21, 0,
                                                 0,    0,    23, 59, 58, 0, 0, 0,    0,  0,
                                                 0,    0,    0,  0,  0,  0, 0, 0xFF, 58, 30};
    EXPECT_EQ(expected, FileBytes(file));

    file.SeekToBegin();
    CArchive in(&file, CArchive::load);
    CDateTime a, b;
    a.Serialize(in);
    b.Serialize(in);
    EXPECT_EQ(CDateTime(2004, 2, 21, 23, 59, 58), a);
    ExpectParts(b.m_time, -1, 58, 30);
}

TEST(DateTime, CurrentFollowsThePinnedClock) {
    CTime::SetNowForTesting(CTime(2008, 2, 29, 13, 14, 15).GetTime());
    EXPECT_EQ(CDateTime(2008, 2, 29, 13, 14, 15), CDateTime::GetCurrent());
    CTime::ResetNowForTesting();
}

TEST(ParseTimeText, ReadsUpToSixNumbersAsLocalTime) {
    struct Case {
        const char* text;
        BOOL ok;
        int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    } cases[] = {
        {"2005-3-7 12:30", TRUE, 2005, 3, 7, 12, 30, 0},
        {"2005年3月7日 8时5分9秒 星期一 99", TRUE, 2005, 3, 7, 8, 5, 9},
        {"20050307", FALSE}, // one number: month 0
        {"2005-3", FALSE},   // day 0
        {"1899-1-1", FALSE},
        {"2005-13-1", FALSE},
        {"2005-2-30", FALSE}, // no such day: refused, not moved into March
        {"2005-3-7 24:00", FALSE},
        {"2005-3-7 12:60", FALSE},
        {"2005-3-7 12:00:60", FALSE},
        {"99999999999-1-1", FALSE},
        {"", FALSE},
    };
    for (const Case& c : cases) {
        CTime out(12345);
        EXPECT_EQ(c.ok, ParseTimeText(CString(c.text), out)) << c.text;
        if (!c.ok) {
            EXPECT_EQ(12345, out.GetTime()) << c.text;
            continue;
        }
        struct tm local;
        __time64_t t = out.GetTime();
        ASSERT_EQ(0, _localtime64_s(&local, &t));
        EXPECT_EQ(c.y, local.tm_year + 1900) << c.text;
        EXPECT_EQ(c.mo, local.tm_mon + 1) << c.text;
        EXPECT_EQ(c.d, local.tm_mday) << c.text;
        EXPECT_EQ(c.h, local.tm_hour) << c.text;
        EXPECT_EQ(c.mi, local.tm_min) << c.text;
        EXPECT_EQ(c.s, local.tm_sec) << c.text;
    }
}
