#include <gtest/gtest.h>

#include "calendar/Birthday.h"
#include "testsupport/ArchiveBytes.h"

namespace {

struct SetCase {
    int year, month, day;
    BOOL leap, solar;
    BOOL stored;
    int wantYear, wantMonth, wantDay;
    BOOL lunarMonthDay;
};

TEST(BirthdayTest, SetBirthdayStoresEntriesInTheirCalendar) {
    const SetCase cases[] = {
        // lunar 1980-08-15 is solar 1980-09-23
        {1980, 8, 15, FALSE, FALSE, TRUE, 1980, 9, 23, FALSE},
        {-1, 8, 15, FALSE, FALSE, TRUE, -1, 8, 15, TRUE},
        {-1, 2, 29, FALSE, TRUE, TRUE, -1, 2, 29, FALSE},
        {-1, 2, 30, FALSE, TRUE, FALSE, 0, 0, 0, FALSE},
        {-1, 13, 1, FALSE, FALSE, FALSE, 0, 0, 0, FALSE},
        {1999, 2, 29, FALSE, TRUE, FALSE, 0, 0, 0, FALSE},
        {2002, 4, 1, TRUE, FALSE, FALSE, 0, 0, 0, FALSE}, // 2002 has no leap month
    };
    for (const SetCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.year << "-" << c.month << "-" << c.day);
        CBirthday b;
        b.SetRemindLunar(TRUE);
        CString error;
        BOOL ok = b.SetBirthday(c.year, c.month, c.day, c.leap, c.solar, &error);
        EXPECT_EQ(c.stored, ok);
        EXPECT_EQ(c.wantYear, b.GetYear());
        EXPECT_EQ(c.wantMonth, b.GetMonth());
        EXPECT_EQ(c.wantDay, b.GetDay());
        EXPECT_EQ(c.lunarMonthDay, b.IsLunarMonthDay());
        EXPECT_TRUE(b.IsRemindLunar()) << "other flags stay";
    }
}

TEST(BirthdayTest, FailedLunarConversionReportsItsMessageAndKeepsTheDate) {
    CBirthday b;
    ASSERT_TRUE(b.SetBirthday(1990, 1, 1, FALSE, TRUE));
    CString error;
    EXPECT_FALSE(b.SetBirthday(2051, 1, 1, FALSE, FALSE, &error));
    EXPECT_FALSE(error.IsEmpty());
    EXPECT_EQ(CDate(1990, 1, 1), static_cast<const CDate&>(b));
}

TEST(BirthdayTest, TextsFollowTheStoredAndTheAskedForm) {
    CBirthday lunar;
    ASSERT_TRUE(lunar.SetBirthday(-1, 8, 15, FALSE, FALSE));
    CString text, dateText;
    lunar.GetText(text, TRUE);
    EXPECT_STREQ("八月十五", text);
    lunar.GetText(text, FALSE);
    CDate(-1, 8, 15).GetDateText(dateText, FALSE);
    EXPECT_EQ(dateText, text);

    CBirthday leap;
    ASSERT_TRUE(leap.SetBirthday(-1, 4, 8, TRUE, FALSE));
    leap.GetText(text, TRUE);
    EXPECT_STREQ("闰四月初八", text);

    CBirthday solar;
    ASSERT_TRUE(solar.SetBirthday(-1, 3, 5, FALSE, TRUE));
    solar.GetText(text, FALSE);
    EXPECT_STREQ("3月5日", text);
    solar.GetDisplayText(text);
    EXPECT_STREQ("3月5日", text);

    CBirthday full;
    ASSERT_TRUE(full.SetBirthday(1980, 3, 5, FALSE, TRUE));
    full.GetDisplayText(text);
    CString fullText;
    CDate(1980, 3, 5).GetFullText(fullText);
    EXPECT_EQ(fullText, text);

    CBirthday none;
    none.GetDisplayText(text);
    EXPECT_TRUE(text.IsEmpty());
}

TEST(BirthdayTest, ArchiveKeepsFlagsInTheHighHalfOfTheMonthWord) {
    CBirthday b;
    ASSERT_TRUE(b.SetBirthday(-1, 8, 15, TRUE, FALSE));
    b.SetShowLunar(TRUE);
    b.SetRemindSolar(TRUE);
    CMemFile mem;
    {
        CArchive ar(&mem, CArchive::store);
        b.Serialize(ar);
        ar.Close();
    }
    ASSERT_EQ(12u, mem.GetLength());
    mem.SeekToBegin();
    DWORD words[3];
    mem.Read(words, sizeof(words));
    EXPECT_EQ(0xFFFFFFFFu, words[0]);
    EXPECT_EQ(((DWORD)(0x80 | 0x10 | 0x04 | 0x01) << 16) | 8, words[1]);
    EXPECT_EQ(15u, words[2]);

    CBirthday back;
    archive_bytes::Load(back, archive_bytes::Store(b));
    EXPECT_TRUE(back == b);
    back.Reset();
    EXPECT_TRUE(back.IsNull());
    EXPECT_EQ(0, back.GetFlags());
}

} // namespace
