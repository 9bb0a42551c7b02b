// Platform facts, the UTC time record and string resources.
#include <gtest/gtest.h>

#include "core/SystemInformation.h"

TEST(SystemInformation, FlagsFromTheVersionWords) {
    const struct {
        DWORD platform;
        DWORD expected;
        bool consumer, above3, correction;
    } cases[] = {
        {0x00000004, 0x00040000, false, true, true},  {0x80000004, 0x00040000, true, true, true},
        {0x0000000A, 0x00040000, false, true, true},  {0x00000003, 0x00040000, false, false, false},
        {0x00000004, 0x0003FFFF, false, true, false}, {0x00000005, 0x0003000A, false, true, false},
    };
    for (const auto& c : cases) {
        const CSystemInformation info(c.platform, c.expected);
        EXPECT_EQ(info.IsConsumerLine() != FALSE, c.consumer) << std::hex << c.platform;
        EXPECT_EQ(info.IsMajorAbove3() != FALSE, c.above3) << std::hex << c.platform;
        EXPECT_EQ(info.HasScrollBarCorrection() != FALSE, c.correction)
            << std::hex << c.platform << " " << c.expected;
    }
    EXPECT_FALSE(CSystemInformation::Get().IsConsumerLine());
    EXPECT_TRUE(CSystemInformation::Get().IsMajorAbove3());
}

TEST(SystemInformation, FillSystemTimeIsUtc) {
    CTime::SetNowForTesting(1700000000); // 2023-11-14 22:13:20 UTC, a Tuesday
    SYSTEMTIME st{};
    FillSystemTime(st);
    CTime::ResetNowForTesting();
    EXPECT_EQ(st.wYear, 2023);
    EXPECT_EQ(st.wMonth, 11);
    EXPECT_EQ(st.wDay, 14);
    EXPECT_EQ(st.wDayOfWeek, 2);
    EXPECT_EQ(st.wHour, 22);
    EXPECT_EQ(st.wMinute, 13);
    EXPECT_EQ(st.wSecond, 20);
}

namespace {

BOOL TestStrings(UINT nID, CString& text) {
    if (nID != 127)
        return FALSE;
    text = "万年历";
    return TRUE;
}

} // namespace

TEST(SystemInformation, LoadResStringByIdOrEmpty) {
    const CString::ResourceLoader previous = CString::SetResourceLoader(TestStrings);
    EXPECT_STREQ(LoadResString(127), "万年历");
    EXPECT_STREQ(LoadResString(128), "");
    CString::SetResourceLoader(previous);
}
