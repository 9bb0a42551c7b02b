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

// The mail header's zone text is built from these values: the bias, plus the daylight bias while
// daylight time is in force.
TEST_F(CTimeTest, TimeZoneInformationGivesTheBiasInForceNow) {
    const __time64_t january = 1705320000, july = 1721044800; // the 15th, 12:00 UTC, 2024
    struct Case {
        const char* zone;
        __time64_t now;
        DWORD id;
        LONG bias, daylightBias;
        const char* zoneText;
        const wchar_t* standardName;
    } cases[] = {
        {"UTC0", january, TIME_ZONE_ID_UNKNOWN, 0, 0, "+0000", L"UTC"},
        {"CST-8", july, TIME_ZONE_ID_UNKNOWN, -480, 0, "+0800", L"CST"},
        {"IST-5:30", january, TIME_ZONE_ID_UNKNOWN, -330, 0, "+0530", L"IST"},
        {"EST5EDT,M3.2.0,M11.1.0", january, TIME_ZONE_ID_STANDARD, 300, -60, "-0500", L"EST"},
        {"EST5EDT,M3.2.0,M11.1.0", july, TIME_ZONE_ID_DAYLIGHT, 300, -60, "-0400", L"EST"},
        {"NST3:30NDT,M3.2.0,M11.1.0", july, TIME_ZONE_ID_DAYLIGHT, 210, -60, "-0230", L"NST"},
        // Southern hemisphere: daylight time in January.
        {"ACST-9:30ACDT,M10.1.0,M4.1.0/3", january, TIME_ZONE_ID_DAYLIGHT, -570, -60, "+1030",
         L"ACST"},
        {"ACST-9:30ACDT,M10.1.0,M4.1.0/3", july, TIME_ZONE_ID_STANDARD, -570, -60, "+0930",
         L"ACST"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.zone) + (c.now == july ? " in July" : " in January"));
        UseZone(c.zone);
        CTime::SetNowForTesting(c.now);
        TIME_ZONE_INFORMATION tzi;
        ASSERT_EQ(c.id, GetTimeZoneInformation(&tzi));
        EXPECT_EQ(c.bias, tzi.Bias);
        EXPECT_EQ(0, tzi.StandardBias);
        EXPECT_EQ(c.daylightBias, tzi.DaylightBias);
        EXPECT_EQ(std::wstring(c.standardName), std::wstring(tzi.StandardName));
        LONG bias = tzi.Bias + (c.id == TIME_ZONE_ID_DAYLIGHT ? tzi.DaylightBias : 0);
        CString text;
        text.Format("%+.2d%.2d", bias / -60, std::abs(bias % 60));
        EXPECT_STREQ(c.zoneText, text.GetString());
    }
    EXPECT_EQ(TIME_ZONE_ID_INVALID, GetTimeZoneInformation(nullptr));
}

TEST(TickCountTest, NeverRunsBackwardsAndCountsSleeps) {
    ULONGLONG before = GetTickCount64();
    Sleep(20);
    ULONGLONG after = GetTickCount64();
    EXPECT_GE(after - before, 20u);
}

} // namespace
