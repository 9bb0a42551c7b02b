// The stored layouts of a contact and a contact group, written out byte by byte: a field order that
// the writer and the reader got wrong alike would still pass a round trip, not these.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <utility>

#include "contacts/ContactGroup.h"
#include "contacts/Person.h"
#include "sms/tests/SmsTestSupport.h"

namespace {

using smstest::Bytes;
using smstest::Cat;
using smstest::Dword;
using smstest::Str;

// The modification time: eight bytes of signed seconds, not the framework's time form.
Bytes Seconds(long long t) {
    return Cat({Dword(static_cast<DWORD>(t)), Dword(static_cast<DWORD>(t >> 32))});
}

// A multi-value list as stored: the count, every part of every value, the current index.
Bytes Values(std::initializer_list<std::initializer_list<const char*>> values, int current = -1) {
    Bytes out = Dword(static_cast<DWORD>(values.size()));
    for (const auto& value : values)
        for (const char* part : value)
            out = Cat({out, Str(part)});
    return Cat({out, Dword(static_cast<DWORD>(current))});
}

// Where two byte strings part, for a readable failure.
testing::AssertionResult SameBytes(const Bytes& got, const Bytes& expected) {
    size_t i = 0;
    while (i < got.size() && i < expected.size() && got[i] == expected[i])
        ++i;
    if (i == got.size() && i == expected.size())
        return testing::AssertionSuccess();
    auto around = [&](const Bytes& b) {
        std::string text;
        for (size_t k = i; k < b.size() && k < i + 12; ++k)
            text += testing::PrintToString(static_cast<int>(b[k])) + " ";
        return text;
    };
    return testing::AssertionFailure() << "bytes part at offset " << i << " of " << got.size()
                                       << " / " << expected.size() << ": got " << around(got)
                                       << "expected " << around(expected);
}

void Add(CXStringList& list, std::initializer_list<const char*> parts) {
    CXString value(static_cast<int>(parts.size()));
    int i = 0;
    for (const char* part : parts)
        value.SetAt(i++, part);
    list.AddTail(value);
}

// A contact with a different value in every field it stores.
void Fill(_CPerson& p) {
    _CPersonInfo& info = p.GetInfo();
    info.m_address.strPostCode = "100001";
    info.m_address.strAddress = "北京东路1号";
    info.m_address.strNote = "寄信";
    info.m_home.strAddress = "家址";
    info.m_home.strCountry = "中国";
    info.m_home.strProvince = "江苏";
    info.m_home.strCity = "南京";
    info.m_home.strPostCode = "210000";
    info.m_home.strSpouse = "李四";
    info.m_home.strCustom = "家自";
    info.m_home.strMembers = "三人";
    Add(info.m_home.phones, {"025-1"});
    info.m_personal.strPager = "96";
    info.m_personal.strNickname = "小张";
    info.m_personal.strHobby = "书";
    info.m_personal.strSpeciality = "算";
    info.m_personal.strCustom = "个自";
    info.m_personal.nSex = 1;
    info.m_personal.nPicture = 7;
    info.m_personal.nReserved = 9;
    static_cast<CDate&>(info.m_personal.birthday) = CDate(1990, 5, 6);
    info.m_personal.birthday.SetFlags(0x0012);
    Add(info.m_personal.email, {"a@b.cn"});
    Add(info.m_personal.mobiles, {"13800000000"});
    Add(info.m_personal.qq, {"12345", "同学"});
    info.m_personal.qq.SetCurrentIndex(0);
    Add(info.m_personal.web, {"w.cn"});
    info.m_other.strNote = "附注";
    info.m_other.certificates.AddTail({"身份证", "110", "本人"});
    info.m_work.strCompany = "公司";
    info.m_work.strAddress = "单位路";
    info.m_work.strTitle = "经理";
    info.m_work.strDepartment = "部门";
    info.m_work.strOffice = "301";
    info.m_work.strCustom = "单自";
    Add(info.m_work.phones, {"010-2"});
    Add(info.m_work.homepage, {"c.cn"});
    info.m_extra.AddTail("额外");
    p.SetModifiedTime(CTime(static_cast<__time64_t>(1600000000)));
}

// The same contact as the layout has it; the two home-address copies are given apart.
Bytes FilledBytes(const char* firstHomeAddress = "家址", DWORD sexAndPicture = (7 << 2) | 1) {
    return Cat({
        // current address
        Str("100001"), Str("北京东路1号"), Str("寄信"),
        // home: the address, location, the address again, spouse, custom, members; phones, faxes
        Str(firstHomeAddress), Str("中国"), Str("江苏"), Str("南京"), Str("210000"), Str("家址"),
        Str("李四"), Str("家自"), Str("三人"), Values({{"025-1"}}), Values({}),
        // personal: six strings, sex and picture, reserved, link marker, birthday, seven lists
        Str("96"), Str("张三"), Str("小张"), Str("书"), Str("算"), Str("个自"),
        Dword(sexAndPicture), Dword(9), Dword(static_cast<DWORD>(-1)), // -1: not a link
        Dword(1990), Dword((0x0012u << 16) | 5), Dword(6),
        Values({{"a@b.cn"}}),                 // E-mail
        Values({}),                           // ICQ
        Values({{"13800000000"}}),            // mobiles
        Values({}),                           // phones
        Values({{"12345", "同学"}}, 0),       // QQ
        Values({}),                           // home page
        Values({{"w.cn"}}),                   // web addresses
        // other: the note, then the certificates
        Str("附注"), Dword(1), Str("身份证"), Str("110"), Str("本人"),
        // work: ten strings, then dormitory, office, fax, e-mail, home page
        Str("公司"), Str(""), Str(""), Str(""), Str(""), Str("单位路"), Str("经理"), Str("部门"),
        Str("301"), Str("单自"),
        Values({}), Values({{"010-2"}}), Values({}), Values({}), Values({{"c.cn"}}),
        // the extra list
        Dword(1), Str("额外"), Dword(static_cast<DWORD>(-1)),
        // the contact's own message box, without sub-boxes: name, boxes, messages, type
        Str(""), Dword(0), Dword(0), Dword(static_cast<DWORD>(-1)),
        Seconds(1600000000),
    });
}

TEST(StoredLayout, ContactIsWrittenAndReadFieldByField) {
    _CPerson p("张三", FALSE);
    Fill(p);
    const Bytes expected = FilledBytes();
    EXPECT_TRUE(SameBytes(smstest::Store(p), expected));

    _CPerson back(nullptr, FALSE);
    EXPECT_EQ(smstest::Load(back, expected), 0u);
    EXPECT_TRUE(SameBytes(smstest::Store(back), expected));
    EXPECT_STREQ(back.GetName(), "张三");
    EXPECT_STREQ(back.GetInfo().m_work.strTitle, "经理");
    EXPECT_EQ(back.GetInfo().m_personal.nReserved, 9);
    EXPECT_EQ(back.GetModifiedTime().GetTime(), 1600000000);
}

TEST(StoredLayout, TheSecondHomeAddressAndThePackedSexAndPictureAreRead) {
    // The two copies differ, as files from elsewhere may have them: the second one stays.
    // Sex 3 with picture 5 is the word 23.
    _CPerson back(nullptr, FALSE);
    EXPECT_EQ(smstest::Load(back, FilledBytes("旧址", 23)), 0u);
    EXPECT_STREQ(back.GetInfo().m_home.strAddress, "家址");
    EXPECT_EQ(back.GetInfo().m_personal.nSex, 3);
    EXPECT_EQ(back.GetInfo().m_personal.nPicture, 5);
}

TEST(StoredLayout, ContactGroupIsWrittenAndReadFieldByField) {
    _CGroup group("同事");
    SGroupInfo& info = group.GetInfo();
    info.nType = 2;
    info.strAddress = "路";
    info.strCity = "南京";
    info.strCountry = "中国";
    info.strNote = "注";
    info.strPostCode = "210000";
    info.strProvince = "江苏";
    Add(info.email, {"g@b.cn"});
    Add(info.phones, {"025-3"});
    auto* sub = new _CGroup("小组");
    sub->SetModifiedTime(CTime(static_cast<__time64_t>(1500000000)));
    group.AddSubgroup(sub, FALSE);
    auto* person = new _CPerson("张三", FALSE);
    Fill(*person);
    group.AddContent(person, FALSE);
    group.SetModifiedTime(CTime(static_cast<__time64_t>(1600000001)));
    group.ModifyFlags(0, _CGroup::FLAG_PASSWORD);
    group.SetPasswordChecksum(0x12345678);

    const Bytes emptyLists = Cat({Values({}), Values({}), Values({}), Values({})});
    const Bytes expected = Cat({
        Dword(2), Str("同事"), Str("路"), Str("南京"), Str("中国"), Str("同事"), Str("注"),
        Str("210000"), Str("江苏"),
        Values({{"g@b.cn"}}), Values({}), Values({{"025-3"}}), Values({}), // e-mail, fax, phone, page
        Dword(1), Dword(1),                                              // sub-groups, contacts
        // the sub-group, the same layout
        Dword(0), Str("小组"), Str(""), Str(""), Str(""), Str("小组"), Str(""), Str(""), Str(""),
        emptyLists, Dword(0), Dword(0), Seconds(1500000000), Dword(0), Dword(0),
        // the contact
        FilledBytes(),
        Seconds(1600000001), Dword(_CGroup::FLAG_PASSWORD), Dword(0x12345678),
    });
    EXPECT_TRUE(SameBytes(smstest::Store(group), expected));

    // Read back, the group is locked behind its password; the second copy of the name stays.
    Bytes renamed = expected;
    const Bytes oldName = Str("旧名");
    ASSERT_EQ(oldName.size(), Str("同事").size());
    std::copy(oldName.begin(), oldName.end(), renamed.begin() + 4); // the first copy only
    _CGroup back("");
    EXPECT_EQ(smstest::Load(back, renamed), 0u);
    EXPECT_STREQ(back.GetName(), "同事");
    EXPECT_EQ(back.GetFlags(), DWORD(_CGroup::FLAG_PASSWORD | _CGroup::FLAG_LOCKED));
    EXPECT_EQ(back.GetSubgroupCount(), 1);
    ASSERT_EQ(back.GetContentCount(FALSE, TRUE), 1);
}

} // namespace
