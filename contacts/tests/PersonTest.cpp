#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "contacts/Person.h"
#include "contacts/tests/ContactsTestSupport.h"
#include "sms/Sms.h"

namespace {

using contacts_test::AddValue;
using contacts_test::ContactsTest;
using contacts_test::FillEveryKind;
using contacts_test::RoundTrip;

TEST(PersonFieldsTest, TableLookups) {
    int group = 0, bit = 0;
    EXPECT_FALSE(GetPersonFieldLocation(PF_MODIFIED, group, bit));
    ASSERT_TRUE(GetPersonFieldLocation(PF_PICTURE, group, bit));
    EXPECT_EQ(1, group);
    EXPECT_EQ(131072, bit);
    EXPECT_EQ(-1, GetPersonFieldAt(1, 16));
    EXPECT_EQ(-1, GetPersonFieldAt(1, 32));
    EXPECT_EQ(PF_COMPANY, GetPersonFieldAt(4, 32768));
    EXPECT_EQ(PF_PHONE, FindPersonFieldByName("电话"));
    EXPECT_EQ(-1, FindPersonFieldByName("位置"));
    EXPECT_EQ(-1, FindPersonFieldByName(""));
    CString name;
    EXPECT_TRUE(GetPersonFieldName(PF_HOME_LOCATION, name));
    EXPECT_STREQ("家庭位置", name);
    EXPECT_FALSE(GetPersonFieldName(47, name));
    EXPECT_FALSE(GetPersonFieldGroupName(32, name));
    // Every field with a row maps back to itself.
    for (int i = 0; i < PERSON_FIELD_COUNT; ++i)
        if (GetPersonFieldLocation(i, group, bit)) {
            EXPECT_EQ(i, GetPersonFieldAt(group, bit)) << i;
        }
}

class PersonTest : public ContactsTest {};

TEST_F(PersonTest, NameIsTheNodeNameAndFieldZero) {
    _CPerson p("张三");
    int kind = 0;
    auto* pName = static_cast<CString*>(p.GetFieldData(PF_NAME, kind));
    ASSERT_NE(nullptr, pName);
    EXPECT_EQ(FIELD_TEXT, kind);
    *pName = "李四";
    EXPECT_STREQ("李四", p.GetName());
    p.SetName("王五");
    EXPECT_STREQ("王五", *pName);
    EXPECT_NE(nullptr, p.GetFieldData(PF_MODIFIED, kind));
    EXPECT_EQ(FIELD_TIME, kind);
    EXPECT_EQ(nullptr, p.GetFieldData(47, kind));
    EXPECT_EQ(0, kind);
    EXPECT_EQ(4, p.GetSmsBox().GetSubBoxCount());
    EXPECT_NE(nullptr, p.GetSmsBox(3));
    EXPECT_EQ(nullptr, p.GetSmsBox(4));
    EXPECT_EQ(nullptr, p.GetSmsBox(-1));
}

// The initials are kept between searches; every way of renaming must show in the next search,
// also a write through the field's storage that the contact is not told about.
TEST_F(PersonTest, NameInitialsFollowEveryRename) {
    _CPerson p("张三");
    EXPECT_EQ(0, p.MatchNameInitials("zs"));
    p.SetName("李四");
    EXPECT_EQ(-1, p.MatchNameInitials("ZS"));
    EXPECT_EQ(0, p.MatchNameInitials("LS"));
    int kind = 0;
    *static_cast<CString*>(p.GetFieldData(PF_NAME, kind)) = "欧阳修";
    EXPECT_EQ(1, p.MatchNameInitials("yx"));
    ASSERT_TRUE(p.SetFieldText(PF_NAME, "Tom王", TRUE, 0, "\n", "-"));
    EXPECT_EQ(2, p.MatchNameInitials("mw"));
    p.SetName("");
    EXPECT_EQ(-1, p.MatchNameInitials("T"));
    EXPECT_EQ(0, p.MatchNameInitials(""));
}

TEST_F(PersonTest, EveryFieldKindRoundTrips) {
    _CPerson p("张三");
    FillEveryKind(p);
    _CPerson back(nullptr, TRUE);
    RoundTrip(p, back);
    for (int i = 0; i <= PF_WORK_LOCATION; ++i) {
        CString a, b;
        p.GetFieldText(a, i);
        back.GetFieldText(b, i);
        EXPECT_EQ(a, b) << "field " << i;
    }
    EXPECT_STREQ("张三", back.GetName());
    EXPECT_EQ(77, back.GetInfo().m_personal.nReserved);
    EXPECT_TRUE(back.GetBirthday() == p.GetBirthday());
    EXPECT_EQ(1, back.GetInfo().m_personal.mobiles.GetCurrentIndex());
    EXPECT_EQ(0, back.GetInfo().m_extra.GetCurrentIndex());
    EXPECT_EQ(1600000000, back.GetModifiedTime().GetTime());
    // The stored box replaced the four the new contact started with.
    EXPECT_EQ(4, back.GetSmsBox().GetSubBoxCount());
}

TEST_F(PersonTest, SexAndPictureShareOneWordAndTheHomeAddressIsWrittenTwice) {
    _CPerson p("甲");
    p.GetInfo().m_personal.nSex = 3;
    p.GetInfo().m_personal.nPicture = 5;
    p.GetInfo().m_home.strAddress = "second";
    CMemFile mem;
    {
        CArchive ar(&mem, CArchive::store);
        p.Serialize(ar);
        ar.Close();
    }
    // Both copies of the home address carry the value (the reading of two different copies,
    // and the packed word itself, are checked against hand-written bytes in StoredLayoutTest).
    CArchive probe(&mem, CArchive::load);
    mem.SeekToBegin();
    CString s;
    for (int i = 0; i < 3; ++i)
        probe >> s; // current address
    CString firstCopy, secondCopy;
    probe >> firstCopy;
    for (int i = 0; i < 4; ++i)
        probe >> s;
    probe >> secondCopy;
    EXPECT_STREQ("second", firstCopy);
    EXPECT_STREQ("second", secondCopy);
    probe.Close();

    _CPerson back(nullptr, FALSE);
    RoundTrip(p, back);
    EXPECT_EQ(3, back.GetInfo().m_personal.nSex);
    EXPECT_EQ(5, back.GetInfo().m_personal.nPicture);
    CString text;
    back.GetFieldText(text, PF_SEX);
    EXPECT_TRUE(text.IsEmpty());
}

TEST_F(PersonTest, SetFieldTextParsesEachKind) {
    struct Case {
        int field;
        const char* text;
        DWORD flags;
        BOOL result;
        const char* want; // the field's text afterwards
    };
    const Case cases[] = {
        {PF_SEX, "  M ", 0, TRUE, "男"},
        {PF_SEX, "x", 0, TRUE, ""},
        {PF_SEX, "女", 0, TRUE, "女"},
        {PF_PICTURE, "no digits", 0, FALSE, ""},
        {PF_NICKNAME, "三", _CPerson::FLAG_SKIP_PRESENT, TRUE, "小三"},
        {PF_NICKNAME, "儿", 0, TRUE, "小三儿"},
        {PF_MOBILE, "13800138000", _CPerson::FLAG_SKIP_PRESENT, TRUE, "13800138000"},
        {PF_MOBILE, "13700137000\n13600136000", 0, TRUE, "13800138000\n13700137000\n13600136000"},
        {PF_QQ, "999-阿三", _CPerson::FLAG_SKIP_PRESENT, TRUE, "12345-阿三"},
        {PF_QQ, "999-别名", _CPerson::FLAG_SKIP_PRESENT, TRUE, "12345-阿三\n999-别名"},
        {PF_BIRTHDAY, "1980-13-01", 0, FALSE, nullptr},
        {PF_CERTIFICATES, "护照-G123-出国", 0, TRUE, "护照-G123-出国"},
        {47, "x", 0, FALSE, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        _CPerson p("张三");
        p.GetInfo().m_personal.strNickname = "小三";
        AddValue(p.GetInfo().m_personal.mobiles, "13800138000");
        AddValue(p.GetInfo().m_personal.qq, "12345", "阿三");
        ASSERT_TRUE(p.GetBirthday().SetBirthday(1980, 3, 5, FALSE, TRUE));
        EXPECT_EQ(c.result, p.SetFieldText(c.field, c.text, FALSE, c.flags, "\n", "-"));
        if (c.field == PF_BIRTHDAY) {
            EXPECT_EQ(CDate(1980, 3, 5), static_cast<const CDate&>(p.GetBirthday()))
                << "a text that is not a date leaves the birthday";
        }
        if (c.want != nullptr) {
            CString text;
            p.GetFieldText(text, c.field);
            EXPECT_STREQ(c.want, text);
        }
    }
}

TEST_F(PersonTest, SearchReportsWhereEachMaskedFieldMatched) {
    _CPerson p("张三");
    FillEveryKind(p);
    const DWORD all[5] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    CSearchItemArray hits;
    ASSERT_TRUE(p.Search("139", all, hits, TRUE));
    ASSERT_EQ(1, hits.GetSize());
    EXPECT_EQ(1, hits[0].nGroup);
    EXPECT_EQ(128, hits[0].nField);
    EXPECT_EQ(1, hits[0].nValue);
    EXPECT_EQ(0, hits[0].nPos);

    EXPECT_TRUE(p.Search("EXAMPLE", all, hits, FALSE));
    EXPECT_FALSE(p.Search("EXAMPLE", all, hits, TRUE));
    EXPECT_EQ(0, hits.GetSize()) << "each search starts with an empty list";

    // Integers match as their decimal text; birthdays never.
    EXPECT_TRUE(p.Search("17", all, hits, TRUE));
    EXPECT_EQ(131072, hits[0].nField);
    EXPECT_FALSE(p.Search("1980", all, hits, TRUE) && hits[0].nField == 8);
    const DWORD onlyWork[5] = {0, 0, 0xFFFFFFFF, 0, 0};
    EXPECT_FALSE(p.Search("139", onlyWork, hits, TRUE));
}

TEST_F(PersonTest, MergeAppliesMaskedFieldsAndTouchesTheTime) {
    _CPerson src("张三"), dst("李四");
    FillEveryKind(src);
    AddValue(dst.GetInfo().m_personal.mobiles, "10086");
    dst.SetModifiedTime(CTime(5));
    const DWORD masks[5] = {128 | 4, 0, 0, 0, 1};
    ASSERT_TRUE(dst.MergeFields(&src, masks, _CPerson::MODE_APPEND, 0));
    CString text;
    dst.GetFieldText(text, PF_MOBILE);
    EXPECT_STREQ("10086\n13800138000\n13900139000", text);
    dst.GetFieldText(text, PF_NICKNAME);
    EXPECT_STREQ("小三", text);
    dst.GetFieldText(text, PF_CERTIFICATES);
    EXPECT_STREQ("身份证-110101198003050011-本人", text);
    EXPECT_EQ(1700000000, dst.GetModifiedTime().GetTime());
    EXPECT_STREQ("李四", dst.GetName()) << "name bit not in the mask";

    EXPECT_FALSE(dst.MergeFields(&dst, masks, _CPerson::MODE_REPLACE, 0));
    const DWORD sexMask[5] = {2, 0, 0, 0, 0};
    dst.GetInfo().m_personal.nSex = 1;
    ASSERT_TRUE(dst.MergeFields(nullptr, sexMask, _CPerson::MODE_CLEAR, 0));
    EXPECT_EQ(2, dst.GetInfo().m_personal.nSex);

    // Plain text values: replace clears first, append keeps, clear adds nothing.
    CString value("13500135000");
    ASSERT_TRUE(
        dst.ApplyFieldValue(PF_MOBILE, &value, kFieldKindPlainText, _CPerson::MODE_REPLACE, 0));
    dst.GetFieldText(text, PF_MOBILE);
    EXPECT_STREQ("13500135000", text);
    ASSERT_TRUE(
        dst.ApplyFieldValue(PF_MOBILE, &value, kFieldKindPlainText, _CPerson::MODE_CLEAR, 0));
    dst.GetFieldText(text, PF_MOBILE);
    EXPECT_TRUE(text.IsEmpty());
    int n = 3;
    EXPECT_FALSE(dst.ApplyFieldValue(PF_NICKNAME, &n, FIELD_INT, _CPerson::MODE_REPLACE, 0));
}

// The modification time is written digit by digit for speed; it must read as the general time
// format does, at the ends of the four-digit years and where the time has no local form at all.
TEST_F(PersonTest, ModifiedTimeTextIsTheTimeFormatsText) {
    const __time64_t times[] = {0,           1600000000,    951782400 /* 29 Feb 2000 */,
                                -1,          -30610224000,  -30610224000 - 86400 * 400,
                                253402300799 /* end of 9999 */, 253402300799 + 86400 * 2,
                                (__time64_t)1 << 60};
    for (__time64_t t : times) {
        SCOPED_TRACE(t);
        _CPerson p("张三");
        p.SetModifiedTime(CTime(t));
        CString text;
        p.GetFieldText(text, PF_MODIFIED);
        EXPECT_EQ(CTime(t).Format("%Y-%m-%d %H:%M:%S"), text);
    }
}

TEST_F(PersonTest, FieldTextsLabelsAndSummary) {
    _CPerson p("张三");
    FillEveryKind(p);
    CString text;
    p.GetFieldText(text, PF_MOBILE, TRUE);
    // Continuation lines line up under the first value after "手机:".
    EXPECT_STREQ("手机:13800138000\n     13900139000", text);
    p.GetFieldText(text, PF_MOBILE, FALSE, nullptr, "\n", "-", TRUE);
    EXPECT_STREQ("13900139000", text);
    p.GetFieldText(text, PF_MODIFIED);
    EXPECT_EQ(CTime(1600000000).Format("%Y-%m-%d %H:%M:%S"), text);
    p.GetFieldText(text, PF_HOME_LOCATION, TRUE);
    EXPECT_STREQ("家庭位置:中国广东广州", text);

    p.GetSummaryText(text);
    EXPECT_EQ(0, text.Find("姓名:张三\n性别:男\n昵称:小三\n生日:"));
    EXPECT_GE(text.Find("\n家庭位置:中国广东广州\n"), 0);
    EXPECT_LT(text.Find("国家(家庭)"), 0);

    p.GetAllFieldsText(text);
    EXPECT_EQ(0, text.Find("姓名:张三\r\n性别:男\r\n"));
    EXPECT_GE(text.Find("\r\n手机:\n13800138000\n13900139000"), 0);
}

TEST_F(PersonTest, BirthdayIndexFilesYearlessLunarBirthdaysOnlyUnderTheLunarDay) {
    struct Case {
        int year, month, day;
        BOOL solar, remindSolar, remindLunar;
        int solarKey, lunarKey; // -1: not filed
    };
    const Case cases[] = {
        {-1, 8, 15, FALSE, FALSE, FALSE, -1, (8 << 8) | 15},
        {-1, 3, 5, TRUE, FALSE, TRUE, 773, -1},
        {1980, 3, 5, TRUE, FALSE, FALSE, 773, -1},
        // 1980-03-05 is lunar 1980-01-19.
        {1980, 3, 5, TRUE, TRUE, TRUE, 773, (1 << 8) | 19},
        {1980, 3, 5, TRUE, FALSE, TRUE, -1, (1 << 8) | 19},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.year << "-" << c.month << "-" << c.day);
        _CPerson p("甲");
        ASSERT_TRUE(p.GetBirthday().SetBirthday(c.year, c.month, c.day, FALSE, c.solar));
        p.GetBirthday().SetRemindSolar(c.remindSolar);
        p.GetBirthday().SetRemindLunar(c.remindLunar);
        CBirthdayMap solar, lunar;
        p.AddBirthdayTo(solar, lunar);
        EXPECT_EQ(c.solarKey >= 0 ? 1 : 0, solar.GetCount());
        EXPECT_EQ(c.lunarKey >= 0 ? 1 : 0, lunar.GetCount());
        CString names;
        if (c.solarKey >= 0) {
            EXPECT_TRUE(solar.Lookup(c.solarKey, names));
        }
        if (c.lunarKey >= 0) {
            EXPECT_TRUE(lunar.Lookup(c.lunarKey, names));
        }
    }
}

TEST_F(PersonTest, BirthdayRangeAndBoxesShownSet) {
    _CPerson p("甲");
    ASSERT_TRUE(p.GetBirthday().SetBirthday(1980, 3, 5, FALSE, TRUE));
    CSearchItemArray hits;
    EXPECT_FALSE(p.IsBirthdayInRange(CDate(2024, 3, 1), CDate(2024, 3, 31), FALSE, hits));
    EXPECT_TRUE(p.IsBirthdayInRange(CDate(2024, 3, 1), CDate(2024, 3, 31), TRUE, hits));
    ASSERT_EQ(1, hits.GetSize());
    EXPECT_EQ(8, hits[0].nField);
    EXPECT_EQ(-1, hits[0].nPos);
    EXPECT_FALSE(p.IsBirthdayInRange(CDate(2024, 2, 30), CDate(2024, 3, 31), TRUE, hits));

    _CPerson yearless("乙");
    ASSERT_TRUE(yearless.GetBirthday().SetBirthday(-1, 2, 29, FALSE, TRUE));
    EXPECT_TRUE(yearless.IsBirthdayInRange(CDate(2023, 2, 1), CDate(2023, 3, 1), TRUE, hits));

    auto* pShown = new _CPerson("丙");
    pShown->SetBoxesShown(TRUE);
    EXPECT_TRUE(_CPerson::IsInBoxesShownSet(pShown));
    delete pShown;
    EXPECT_FALSE(_CPerson::IsInBoxesShownSet(pShown));
}

std::string StoredForm(_CPerson& p) {
    return contacts_test::StoredBytes(p);
}

// A contact's SMS box is only made when asked for; whatever shape it had, a contact read back
// holds the same boxes and messages and stores the same bytes again.
TEST_F(PersonTest, SmsBoxesOfEveryShapeComeBackAsStored) {
    struct Case {
        const char* name;
        BOOL bMakeBoxes;
        int nMessages;  // put into the inbox
        bool bUserBox;  // a fifth box of the user's
        bool bAskFirst; // the box is asked for before storing
        int nBoxes;
    };
    const Case cases[] = {
        {"standard, never asked for", TRUE, 0, false, false, 4},
        {"standard, asked for", TRUE, 0, false, true, 4},
        {"none, never asked for", FALSE, 0, false, false, 0},
        {"none, asked for", FALSE, 0, false, true, 0},
        {"a message in the inbox", TRUE, 2, false, true, 4},
        {"a user box", TRUE, 0, true, true, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        _CPerson p("张三", c.bMakeBoxes);
        if (c.bAskFirst) {
            EXPECT_EQ(c.bMakeBoxes ? 4 : 0, p.GetSmsBox().GetSubBoxCount());
        }
        for (int i = 0; i < c.nMessages; ++i)
            p.GetSmsBox(0)->AddSms(new _CSms("你好"));
        if (c.bUserBox)
            p.GetSmsBox().AddSubBox("我的", _CSmsBox::BOX_USER);
        const std::string stored = StoredForm(p);
        for (BOOL bTargetBoxes : {TRUE, FALSE}) {
            _CPerson back(nullptr, bTargetBoxes);
            CMemFile mem(reinterpret_cast<BYTE*>(const_cast<char*>(stored.data())),
                         static_cast<UINT>(stored.size()));
            CArchive ar(&mem, CArchive::load);
            back.Serialize(ar);
            ar.Close();
            EXPECT_EQ(c.nMessages, back.CountSmsByState(-1));
            EXPECT_EQ(stored, StoredForm(back));
            EXPECT_EQ(c.nBoxes, back.GetSmsBox().GetSubBoxCount());
            EXPECT_EQ(c.nMessages, back.GetSmsBox(0) != nullptr ? back.GetSmsBox(0)->GetSmsCount()
                                                                 : 0);
            EXPECT_EQ(stored, StoredForm(back));
            // A copy takes the boxes as they are, made or not.
            _CPerson copy(nullptr, !bTargetBoxes);
            copy.CopyFrom(&back);
            EXPECT_EQ(c.nBoxes, copy.GetSmsBox().GetSubBoxCount());
        }
    }
}

// A single-text field is searched by bytes with match case, with Latin letters folded without it;
// the hit names the note and where in it the text starts. The same for a contact as edited and
// for one whose details are still kept as read from a file.
TEST_F(PersonTest, SearchInANoteFollowsMatchCase) {
    int noteGroup = 0, noteBit = 0;
    ASSERT_TRUE(GetPersonFieldLocation(PF_NOTE, noteGroup, noteBit));
    _CPerson edited("张三");
    ASSERT_TRUE(edited.SetFieldText(PF_NOTE, "Zhang Office", TRUE, 0, "\n", "-"));
    _CPerson kept(nullptr, TRUE);
    contacts_test::RoundTrip(edited, kept);

    struct Case {
        const char* text;
        BOOL bMatchCase;
        int pos; // -1: no hit
    };
    const Case cases[] = {
        {"zhang", FALSE, 0},  {"zhang", TRUE, -1},  {"Zhang", TRUE, 0},
        {"OFFICE", FALSE, 6}, {"OFFICE", TRUE, -1}, {"Office", TRUE, 6},
    };
    DWORD onlyNote[kPersonGroupCount] = {};
    for (int g = 0; g < kPersonGroupCount; ++g)
        if (kPersonGroupOrder[g] == noteGroup)
            onlyNote[g] = (DWORD)noteBit;
    for (_CPerson* p : {&edited, &kept}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.text) + (c.bMatchCase ? " matching case" : "") +
                         (p == &kept ? " kept" : " edited"));
            CSearchItemArray hits;
            EXPECT_EQ(c.pos >= 0, !!p->Search(c.text, onlyNote, hits, c.bMatchCase));
            if (c.pos < 0) {
                EXPECT_EQ(0, hits.GetSize());
                continue;
            }
            ASSERT_EQ(1, hits.GetSize());
            EXPECT_EQ(noteGroup, hits[0].nGroup);
            EXPECT_EQ(noteBit, hits[0].nField);
            EXPECT_EQ(0, hits[0].nValue);
            EXPECT_EQ(0, hits[0].nPart);
            EXPECT_EQ(c.pos, hits[0].nPos);
        }
    }
}

// A range holds its first and its last day, with the year and without it; the days just
// outside it are outside.
TEST_F(PersonTest, ABirthdayOnTheFirstOrLastDayOfARangeIsInIt) {
    _CPerson p("甲");
    ASSERT_TRUE(p.GetBirthday().SetBirthday(1980, 3, 5, FALSE, TRUE));
    struct Case {
        CDate from, to;
        BOOL ignoreYear;
        BOOL inside;
    };
    const Case cases[] = {
        {CDate(1980, 3, 5), CDate(1980, 3, 31), FALSE, TRUE},
        {CDate(1980, 3, 1), CDate(1980, 3, 5), FALSE, TRUE},
        {CDate(1980, 3, 5), CDate(1980, 3, 5), FALSE, TRUE},
        {CDate(1980, 3, 6), CDate(1980, 3, 31), FALSE, FALSE},
        {CDate(1980, 3, 1), CDate(1980, 3, 4), FALSE, FALSE},
        {CDate(2024, 3, 5), CDate(2024, 3, 31), TRUE, TRUE},
        {CDate(2024, 3, 1), CDate(2024, 3, 5), TRUE, TRUE},
        {CDate(2024, 3, 6), CDate(2024, 3, 31), TRUE, FALSE},
        {CDate(2024, 3, 1), CDate(2024, 3, 4), TRUE, FALSE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.from.GetMonth()) + "-" + std::to_string(c.from.GetDay()) +
                     " .. " + std::to_string(c.to.GetMonth()) + "-" +
                     std::to_string(c.to.GetDay()) + (c.ignoreYear ? " any year" : ""));
        CSearchItemArray hits;
        EXPECT_EQ(c.inside, p.IsBirthdayInRange(c.from, c.to, c.ignoreYear, hits));
        EXPECT_EQ(c.inside ? 1 : 0, hits.GetSize());
    }
}

} // namespace
