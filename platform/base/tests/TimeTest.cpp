#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/base/Time.h"

namespace {

// Runs each test in a fixed zone with daylight time and puts the caller's zone back afterwards.
class ZoneTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        m_hadTz = tz != nullptr;
        if (tz)
            m_oldTz = tz;
        UseZone("Europe/Berlin");
    }
    void TearDown() override {
        if (m_hadTz)
            setenv("TZ", m_oldTz.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
        CTime::ResetNowForTesting();
    }
    static void UseZone(const char* zone) {
        setenv("TZ", zone, 1);
        tzset();
    }

private:
    bool m_hadTz = false;
    std::string m_oldTz;
};

using CTimeTest = ZoneTest;

TEST_F(CTimeTest, BreaksLocalPartsBackOut) {
    CTime t(2005, 3, 7, 12, 30, 45);
    EXPECT_EQ(2005, t.GetYear());
    EXPECT_EQ(3, t.GetMonth());
    EXPECT_EQ(7, t.GetDay());
    EXPECT_EQ(12, t.GetHour());
    EXPECT_EQ(30, t.GetMinute());
    EXPECT_EQ(45, t.GetSecond());
    EXPECT_EQ(2, t.GetDayOfWeek()); // a Monday; 1 is Sunday
    // Berlin is one hour ahead of UTC in winter.
    EXPECT_EQ(1110195045, t.GetTime());
}

TEST_F(CTimeTest, RefusesPartsThatNameNoLocalTime) {
    struct Case {
        int y, mo, d, h, mi, s;
        bool valid;
    } cases[] = {
        {2005, 3, 7, 12, 30, 0, true},  {2004, 2, 29, 0, 0, 0, true},
        {2005, 2, 29, 0, 0, 0, false},  {2005, 2, 31, 0, 0, 0, false},
        {2005, 0, 1, 0, 0, 0, false},   {2005, 13, 1, 0, 0, 0, false},
        {2005, 1, 0, 0, 0, 0, false},   {2005, 1, 1, 24, 0, 0, false},
        {2005, 1, 1, 0, 60, 0, false},  {2005, 1, 1, 0, 0, 60, false},
        {1899, 12, 31, 0, 0, 0, false}, {3001, 1, 1, 0, 0, 0, false},
        {2024, 3, 31, 2, 30, 0, false}, // skipped by the change to summer time
        {2024, 3, 31, 3, 0, 0, true},   {2024, 10, 27, 2, 30, 0, true}, // repeated hour exists
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.y << "-" << c.mo << "-" << c.d << " " << c.h << ":"
                                        << c.mi << ":" << c.s);
        EXPECT_EQ(c.valid, !!CTime::IsValidParts(c.y, c.mo, c.d, c.h, c.mi, c.s));
        CTime made(c.y, c.mo, c.d, c.h, c.mi, c.s);
        if (!c.valid) {
            EXPECT_EQ(0, made.GetTime());
        }
        CTime kept(12345);
        EXPECT_EQ(c.valid, !!kept.SetDateTime(c.y, c.mo, c.d, c.h, c.mi, c.s));
        if (!c.valid) {
            EXPECT_EQ(12345, kept.GetTime());
        }
    }
}

TEST_F(CTimeTest, FormatsInLocalTimeWithEnglishNames) {
    CTime t(2001, 8, 23, 14, 5, 2);
    struct Case {
        const char* format;
        const char* expected;
    } cases[] = {
        {"%Y-%m-%d %H:%M:%S", "2001-08-23 14:05:02"},
        {"%a, %d %b %Y %H:%M:%S ", "Thu, 23 Aug 2001 14:05:02 "},
        {"%A %B %y %p %I", "Thursday August 01 PM 02"},
        {"%j %w", "235 4"},
        {"%c|%x|%X", "08/23/01 14:05:02|08/23/01|14:05:02"},
        {"%#m/%#d %#H", "8/23 14"},
        {"100%% %Q", "100% %Q"},
        {"%Y年%m月%d日", "2001年08月23日"},
        {"trailing %", "trailing %"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.expected, (const char*)t.Format(c.format)) << c.format;
    EXPECT_STREQ("2001-08-23 12:05", (const char*)t.FormatGmt("%Y-%m-%d %H:%M"));
}

TEST_F(CTimeTest, DifferenceAndSpanArithmetic) {
    CTime a(2000, 12, 31, 23, 59, 30);
    CTime b = a + CTimeSpan(0, 0, 0, 45);
    EXPECT_EQ(2001, b.GetYear());
    EXPECT_EQ(15, b.GetSecond());
    CTimeSpan d = CTime(2005, 3, 9, 1, 2, 3) - CTime(2005, 3, 7, 0, 0, 0);
    EXPECT_EQ(2, d.GetDays());
    EXPECT_EQ(1, d.GetHours());
    EXPECT_EQ(2, d.GetMinutes());
    EXPECT_EQ(3, d.GetSeconds());
    EXPECT_EQ(2 * 86400 + 3723, d.GetTotalSeconds());
    EXPECT_EQ(49, d.GetTotalHours());
    EXPECT_STREQ("2 days 01:02:03 100%", (const char*)d.Format("%D days %H:%M:%S 100%%"));
    EXPECT_TRUE(a < b);
    EXPECT_TRUE(b - CTimeSpan(45) == a);
}

TEST_F(CTimeTest, SystemTimeRoundTripsThroughLocalTime) {
    SYSTEMTIME st = {2024, 7, 0, 14, 9, 8, 7, 0};
    CTime t(st);
    EXPECT_EQ(CTime(2024, 7, 14, 9, 8, 7), t);
    SYSTEMTIME back = {};
    ASSERT_TRUE(t.GetAsSystemTime(back));
    EXPECT_EQ(2024, back.wYear);
    EXPECT_EQ(7, back.wMonth);
    EXPECT_EQ(0, back.wDayOfWeek); // Sunday
    EXPECT_EQ(14, back.wDay);
    EXPECT_EQ(9, back.wHour);
}

TEST_F(CTimeTest, PinnedNowDrivesEveryClockReading) {
    CTime pinned(2010, 1, 2, 3, 4, 5);
    CTime::SetNowForTesting(pinned.GetTime());
    EXPECT_EQ(pinned, CTime::GetCurrentTime());
    EXPECT_EQ(pinned.GetTime(), _time64(nullptr));
    SYSTEMTIME local = {}, utc = {};
    GetLocalTime(&local);
    GetSystemTime(&utc);
    EXPECT_EQ(3, local.wHour);
    EXPECT_EQ(2, utc.wHour);
    EXPECT_EQ(2, local.wDay);
    CTime::ResetNowForTesting();
    EXPECT_GT(CTime::GetCurrentTime().GetYear(), 2020);
}

TEST(TickCountTest, NeverRunsBackwardsAndCountsSleeps) {
    ULONGLONG before = GetTickCount64();
    Sleep(20);
    ULONGLONG after = GetTickCount64();
    EXPECT_GE(after - before, 20u);
}

} // namespace
