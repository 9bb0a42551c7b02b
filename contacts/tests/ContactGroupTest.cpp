#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "contacts/ContactGroup.h"
#include "core/LunarDate.h"
#include "contacts/tests/ContactsTestSupport.h"

namespace {

using contacts_test::AddValue;
using contacts_test::ContactsTest;
using contacts_test::RoundTrip;

class ContactGroupTest : public ContactsTest {
protected:
    static _CGroup* AddGroup(_CGroup& parent, const char* name) {
        auto* g = new _CGroup(name);
        parent.AddSubgroup(g, FALSE, nullptr, TRUE, TRUE);
        return g;
    }
};

TEST_F(ContactGroupTest, StoredTreeKeepsOrderRecordAndComesBackLocked) {
    _CGroup root("");
    _CGroup* b = AddGroup(root, "乙组");
    AddGroup(root, "甲组");
    AddPerson(*b, "王五");
    AddPerson(*b, "李四");
    b->GetInfo().nType = 3;
    b->GetInfo().strAddress = "人民路";
    AddValue(b->GetInfo().email, "team@example.com");
    b->ModifyFlags(0, CGroup::FLAG_PASSWORD);
    b->SetPassword("secret");
    b->SetModifiedTime(CTime(1500000000));

    _CGroup back("");
    RoundTrip(root, back);
    ASSERT_EQ(2, back.GetSubgroupCount());
    POSITION pos = back.GetFirstSubgroupPosition();
    _CGroup* b2 = back.GetNextGroup(pos);
    EXPECT_STREQ("乙组", b2->GetName());
    EXPECT_STREQ("甲组", back.GetNextGroup(pos)->GetName());
    EXPECT_EQ(0xC000u, b2->GetFlags());
    EXPECT_TRUE(b2->IsLocked());
    EXPECT_TRUE(b2->CheckPassword("secret"));
    EXPECT_EQ(3, b2->GetInfo().nType);
    EXPECT_STREQ("人民路", b2->GetInfo().strAddress);
    EXPECT_EQ(1500000000, b2->GetModifiedTime().GetTime());
    pos = b2->GetFirstContentPosition();
    EXPECT_STREQ("王五", b2->GetNextPerson(pos)->GetName());
    EXPECT_STREQ("李四", b2->GetNextPerson(pos)->GetName());
    pos = b2->GetFirstContentPosition();
    EXPECT_EQ(b2, b2->GetNextPerson(pos)->GetParent());

    // A deep copy is detached, modified now and holds copies of everything.
    _CGroup copy(*b, TRUE);
    EXPECT_EQ(nullptr, copy.GetParent());
    EXPECT_EQ(2, copy.GetContentCount(FALSE, TRUE));
    EXPECT_EQ(1700000000, copy.GetModifiedTime().GetTime());
    EXPECT_STREQ("乙组", copy.GetName());
}

TEST_F(ContactGroupTest, SummaryPropertiesAndTypeNames) {
    _CGroup g("同学");
    g.GetInfo().nType = 5;
    AddPerson(g, "甲");
    AddPerson(g, "乙");
    CString text;
    g.GetSummaryText(text);
    EXPECT_EQ(0, text.Find("同学\n学校\n"));
    EXPECT_GE(text.Find("\n最近修改:"), 0);
    EXPECT_EQ(text.GetLength() - (int)strlen("\n组内成员: 2人"), text.Find("\n组内成员: 2人"));
    AddGroup(g, "子组");
    g.GetSummaryText(text);
    EXPECT_GE(text.Find("组内成员: 2人+1组"), 0);
    _CGroup empty("");
    empty.GetSummaryText(text);
    EXPECT_GE(text.Find("组内成员: 空"), 0);

    GetGroupTypeName(6, text);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_TRUE(GetGroupPropertyName(GP_MODIFIED, text));
    EXPECT_FALSE(GetGroupPropertyName(1, text));
}

TEST_F(ContactGroupTest, FindNextResumesInsideTheSubGroupOfTheLastHit) {
    _CGroup root("");
    AddPerson(root, "张一");
    _CGroup* a = AddGroup(root, "A");
    _CGroup* b = AddGroup(root, "B");
    AddPerson(*a, "李二");
    _CPerson* z3 = AddPerson(*b, "赵三");
    _CPerson* z4 = AddPerson(*b, "张四");
    _CGroup* locked = AddGroup(root, "C");
    AddPerson(*locked, "张五");
    locked->ModifyFlags(0, CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED);

    CSearchItemArray hits;
    _CGroup::CPositionStack stack;
    BOOL reported = FALSE;
    const DWORD masks[5] = {1, 0, 0, 0, 0};
    CObject* hit =
        root.FindNext("张", stack, reported, masks, 0, hits, _CGroup::FIND_CONTACTS, FALSE, TRUE);
    ASSERT_NE(nullptr, hit);
    EXPECT_STREQ("张一", static_cast<_CPerson*>(hit)->GetName());
    stack.GetTail() += 1; // the find dialog steps past the hit
    hit = root.FindNext("张", stack, reported, masks, 0, hits, _CGroup::FIND_CONTACTS, FALSE, TRUE);
    EXPECT_EQ(z4, hit);
    ASSERT_EQ(2, stack.GetCount());
    EXPECT_EQ(1, stack.GetHead());
    EXPECT_EQ(1, stack.GetTail());
    // Resuming without stepping finds the same contact again, not the start of the tree.
    EXPECT_EQ(z4, root.FindNext("张", stack, reported, masks, 0, hits, _CGroup::FIND_CONTACTS,
                                FALSE, TRUE));
    stack.GetTail() += 1;
    EXPECT_EQ(nullptr, root.FindNext("张", stack, reported, masks, 0, hits, _CGroup::FIND_CONTACTS,
                                     FALSE, TRUE))
        << "the locked group is skipped";
    EXPECT_TRUE(stack.IsEmpty());

    // Initials mode and groups.
    EXPECT_EQ(z3, root.FindFirst("zs", masks, 0, hits, TRUE, _CGroup::FIND_CONTACTS, TRUE));
    EXPECT_EQ(b,
              root.FindFirst("B", masks, GP_NAME, hits, TRUE, _CGroup::FIND_GROUPS, FALSE, TRUE));
    ASSERT_EQ(1, hits.GetSize());
    EXPECT_EQ(0, hits[0].nGroup);
    EXPECT_EQ((int)GP_NAME, hits[0].nField);
}

// Searching groups and contacts together: a group that matches is reported first, then the
// matching contacts inside it, then its sub-groups.
TEST_F(ContactGroupTest, FindNextGoesFromAMatchingGroupIntoItsOwnContacts) {
    _CGroup root("");
    _CGroup* family = AddGroup(root, "张家");
    _CPerson* z3 = AddPerson(*family, "张三");
    AddPerson(*family, "李四");
    _CGroup* inner = AddGroup(*family, "张家小组");
    _CPerson* z5 = AddPerson(*inner, "张五");

    const DWORD masks[5] = {1, 0, 0, 0, 0};
    const int what = _CGroup::FIND_CONTACTS | _CGroup::FIND_GROUPS;
    CSearchItemArray hits;
    _CGroup::CPositionStack stack;
    BOOL reported = FALSE;
    std::vector<CObject*> found;
    for (int i = 0; i < 10; ++i) {
        CObject* hit =
            root.FindNext("张", stack, reported, masks, GP_NAME, hits, what, FALSE, TRUE);
        if (hit == nullptr)
            break;
        found.push_back(hit);
        stack.GetTail() += 1; // the find dialog steps past each hit
    }
    const std::vector<CObject*> want = {family, z3, inner, z5};
    EXPECT_EQ(want, found);
}

TEST_F(ContactGroupTest, LinkContactsAreSearchedThroughTheirSource) {
    _CGroup root("");
    _CGroup* a = AddGroup(root, "A");
    _CPerson* src = AddPerson(*a, "钱七");
    AddValue(src->GetInfo().m_personal.mobiles, "13812345678");
    _CGroup* b = AddGroup(root, "B");
    auto* link = static_cast<_CPerson*>(src->CreateVirtualCopy());
    ASSERT_NE(nullptr, link);
    b->AddContent(link, FALSE, nullptr, TRUE, TRUE);
    EXPECT_TRUE(link->IsVirtual());

    const DWORD masks[5] = {0xFFFFFFFF, 0, 0, 0, 0};
    CSearchItemArray hits;
    _CGroup::CPositionStack stack;
    BOOL reported = FALSE;
    EXPECT_EQ(src, root.FindNext("1381", stack, reported, masks, 0, hits, 1, FALSE, TRUE));
    stack.GetTail() += 1;
    EXPECT_EQ(link, root.FindNext("1381", stack, reported, masks, 0, hits, 1, FALSE, TRUE));

    a->RemoveContent(src, TRUE);
    stack.RemoveAll();
    EXPECT_EQ(nullptr, root.FindNext("钱", stack, reported, masks, 0, hits, 1, FALSE, TRUE))
        << "a link whose source is gone never matches";
}

TEST_F(ContactGroupTest, BirthdayFindWalksLikeFindNextThroughLinksAndPastLockedGroups) {
    _CGroup root("");
    _CPerson* a = AddPerson(root, "甲");
    ASSERT_TRUE(a->GetBirthday().SetBirthday(1980, 3, 5, FALSE, TRUE));
    ASSERT_TRUE(AddPerson(root, "乙")->GetBirthday().SetBirthday(1980, 5, 1, FALSE, TRUE));
    _CGroup* sub = AddGroup(root, "A");
    _CPerson* c = AddPerson(*sub, "丙");
    ASSERT_TRUE(c->GetBirthday().SetBirthday(1990, 3, 20, FALSE, TRUE));
    auto* link = static_cast<_CPerson*>(a->CreateVirtualCopy());
    sub->AddContent(link, FALSE, nullptr, TRUE, TRUE);
    _CGroup* locked = AddGroup(root, "C");
    ASSERT_TRUE(AddPerson(*locked, "丁")->GetBirthday().SetBirthday(1990, 3, 10, FALSE, TRUE));
    locked->ModifyFlags(0, CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED);

    const CDate from(2024, 3, 1), to(2024, 3, 31);
    _CGroup::CPositionStack stack;
    CSearchItemArray hits;
    std::vector<_CPerson*> found;
    for (BOOL restart = TRUE; found.size() < 10; restart = FALSE) {
        _CPerson* hit = root.FindNextBirthday(from, to, TRUE, stack, hits, restart);
        if (hit == nullptr)
            break;
        found.push_back(hit);
        ASSERT_EQ(1, hits.GetSize());
        EXPECT_EQ(8, hits[0].nField);
        stack.GetTail() += 1;
    }
    EXPECT_EQ((std::vector<_CPerson*>{a, c, link}), found);
    EXPECT_TRUE(stack.IsEmpty());
    EXPECT_EQ(nullptr, root.FindNextBirthday(from, to, FALSE, stack, hits, TRUE))
        << "with the year the 1980 and 1990 birthdays are not in 2024";
}

struct BirthdayHit {
    CString name;
    int lunar;
    int days;
};

void Collect(void* ctx, _CPerson* p, const CBirthday&, int lunar, int days) {
    static_cast<std::vector<BirthdayHit>*>(ctx)->push_back({p->GetName(), lunar, days});
}

TEST_F(ContactGroupTest, UpcomingBirthdaysFollowEachContactsOwnSettings) {
    _CGroup root("");
    _CPerson* shownLunar = AddPerson(root, "甲");
    // Lunar 1980-01-19 = solar 1980-03-05; in 2024 lunar 01-19 is 2024-02-28.
    ASSERT_TRUE(shownLunar->GetBirthday().SetBirthday(1980, 3, 5, FALSE, TRUE));
    shownLunar->GetBirthday().SetShowLunar(TRUE);
    _CPerson* solar = AddPerson(root, "乙");
    ASSERT_TRUE(solar->GetBirthday().SetBirthday(1990, 3, 1, FALSE, TRUE));
    _CPerson* yearlessLunar = AddPerson(root, "丙");
    ASSERT_TRUE(yearlessLunar->GetBirthday().SetBirthday(-1, 1, 20, FALSE, FALSE)); // 2024-02-29
    _CGroup* locked = AddGroup(root, "锁");
    _CPerson* hidden = AddPerson(*locked, "丁");
    ASSERT_TRUE(hidden->GetBirthday().SetBirthday(1990, 2, 27, FALSE, TRUE));
    locked->ModifyFlags(0, CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED);

    const CDate from(2024, 2, 27);
    std::vector<BirthdayHit> hits;
    EXPECT_EQ(3, root.EnumUpcomingBirthdays(from, 5, _CGroup::BIRTHDAY_AS_SHOWN, &hits, Collect));
    ASSERT_EQ(3u, hits.size());
    EXPECT_STREQ("甲", hits[0].name);
    EXPECT_EQ(1, hits[0].lunar);
    EXPECT_EQ(1, hits[0].days);
    EXPECT_STREQ("乙", hits[1].name) << "the contact before chose lunar; this one shows solar";
    EXPECT_EQ(0, hits[1].lunar);
    EXPECT_EQ(3, hits[1].days);
    EXPECT_STREQ("丙", hits[2].name);
    EXPECT_EQ(1, hits[2].lunar);
    EXPECT_EQ(2, hits[2].days);

    // Both calendars: 甲 falls within both ranges (solar 03-05 is 7 days away).
    hits.clear();
    EXPECT_EQ(4, root.EnumUpcomingBirthdays(
                     from, 7, _CGroup::BIRTHDAY_SOLAR | _CGroup::BIRTHDAY_LUNAR, &hits, Collect));
    hits.clear();
    EXPECT_EQ(0, root.EnumUpcomingBirthdays(from, 0, _CGroup::BIRTHDAY_SOLAR, &hits, Collect));
    EXPECT_EQ(1, root.EnumUpcomingBirthdays(CDate(2024, 3, 1), 0, _CGroup::BIRTHDAY_SOLAR, &hits,
                                            Collect));
}

// Lunar anniversaries of every month, day and leap flag, kept as a month and day or as a solar
// date with a year, each counted as the lunar calendar counts it from two starting days (one
// late in a lunar year, so that the next anniversary often falls in the next year).
// The listing works out each month and day's count once; every contact must still get the count
// of its own birthday, solar (29 February included) and lunar alike.
TEST_F(ContactGroupTest, UpcomingBirthdaysCountEachMonthAndDayOnItsOwn) {
    _CGroup root("");
    for (int month = 1; month <= 12; ++month)
        for (int day = 1; day <= 30; ++day)
            for (BOOL leap : {FALSE, TRUE}) {
                _CPerson* p = AddPerson(root, "农历");
                p->GetBirthday().SetBirthday(-1, month, day, leap, FALSE);
                p->GetBirthday().SetRemindLunar(TRUE);
            }
    for (int i = 0; i < 400; ++i) {
        _CPerson* p = AddPerson(root, "公历存农历");
        p->GetBirthday().SetBirthday(1950 + i % 60, 1 + i % 12, 1 + (i * 7) % 28, FALSE, TRUE);
        p->GetBirthday().SetShowLunar(TRUE);
    }
    for (int month = 1; month <= 12; ++month)
        for (int day = 1; day <= CDate::GetDaysInMonth(2000, month); ++day)
            for (int year : {2000, -1}) {
                _CPerson* p = AddPerson(root, "公历");
                ASSERT_TRUE(p->GetBirthday().SetBirthday(year, month, day, FALSE, TRUE));
                p->GetBirthday().SetRemindSolar(TRUE);
            }
    struct Listed {
        _CPerson* person;
        int lunar;
        int days;
    };
    auto collect = [](void* ctx, _CPerson* p, const CBirthday&, int bLunar, int n) {
        static_cast<std::vector<Listed>*>(ctx)->push_back({p, bLunar, n});
    };
    for (const CDate& from : {CDate(2024, 2, 1), CDate(2023, 6, 15), CDate(2023, 2, 28)}) {
        for (int window : {30, 400}) {
            SCOPED_TRACE(testing::Message() << from.GetYear() << "-" << from.GetMonth() << "-"
                                            << from.GetDay() << ", " << window << " days");
            CLunarDate lunarFrom;
            ASSERT_TRUE(lunarFrom.SetFromSolar(from));
            std::vector<Listed> expected;
            for (POSITION pos = root.GetFirstPersonPosition(); pos != nullptr;) {
                _CPerson* p = root.GetNextPerson(pos);
                const CBirthday& b = static_cast<const _CPerson*>(p)->GetBirthday();
                if (!b.IsValid())
                    continue;
                // As shown: the lunar form when asked for or when there is no other.
                if (!b.IsShowLunar() && !b.IsLunarMonthDay()) {
                    int n = CDate::DaysToNextAnniversary(from, b.GetMonth(), b.GetDay());
                    if (n >= 0 && n <= window)
                        expected.push_back({p, 0, n});
                    continue;
                }
                CLunarDate lunar(-1, b.GetMonth(), b.GetDay(), b.IsLeapMonth());
                if (!b.IsLunarMonthDay() && !lunar.SetFromSolar(b))
                    continue;
                int n = CLunarDate::DaysToNextAnniversary(lunarFrom, lunar.GetMonth(),
                                                          lunar.GetDay(), lunar.IsLeapMonth());
                if (n >= 0 && n <= window)
                    expected.push_back({p, 1, n});
            }
            std::vector<Listed> listed;
            root.EnumUpcomingBirthdays(from, window, _CGroup::BIRTHDAY_AS_SHOWN, &listed, collect);
            ASSERT_EQ(expected.size(), listed.size());
            ASSERT_GT(expected.size(), 10u);
            for (size_t i = 0; i < expected.size(); ++i) {
                EXPECT_EQ(expected[i].person, listed[i].person) << "contact " << i;
                EXPECT_EQ(expected[i].lunar, listed[i].lunar) << "contact " << i;
                EXPECT_EQ(expected[i].days, listed[i].days) << "contact " << i;
            }
        }
    }
}

TEST_F(ContactGroupTest, UpcomingBirthdaysReportLinksAsThemselvesWithTheSourcesBirthday) {
    _CGroup root("");
    _CPerson* source = AddPerson(root, "甲");
    ASSERT_TRUE(source->GetBirthday().SetBirthday(1990, 3, 1, FALSE, TRUE));
    _CGroup* friends = AddGroup(root, "朋友");
    auto* link = static_cast<_CPerson*>(source->CreateVirtualCopy());
    friends->AddContent(link, FALSE, nullptr, TRUE, TRUE);
    auto* dangling = new _CPerson("乙");
    dangling->SetVirtualLink("不存在", nullptr);
    friends->AddContent(dangling, FALSE, nullptr, TRUE, TRUE);

    struct Hit {
        _CPerson* person;
        CDate birthday;
    };
    std::vector<Hit> hits;
    auto collect = [](void* ctx, _CPerson* p, const CBirthday& b, int, int) {
        static_cast<std::vector<Hit>*>(ctx)->push_back({p, b});
    };
    EXPECT_EQ(2, root.EnumUpcomingBirthdays(CDate(2024, 2, 27), 5, _CGroup::BIRTHDAY_SOLAR, &hits,
                                            collect));
    ASSERT_EQ(2u, hits.size());
    EXPECT_EQ(source, hits[0].person);
    EXPECT_EQ(link, hits[1].person) << "the list marks a link, so it must see the link";
    EXPECT_EQ(CDate(1990, 3, 1), hits[1].birthday);
}

TEST_F(ContactGroupTest, CsvExportQuotesAndReadsBack) {
    _CGroup root("");
    _CPerson* p = AddPerson(root, "张三 \"小张\", 经理");
    AddValue(p->GetInfo().m_personal.mobiles, "13800138000");
    AddValue(p->GetInfo().m_personal.mobiles, "13900139000");
    p->GetInfo().m_other.strNote = "第一行\n第二行";
    _CGroup* sub = AddGroup(root, "子组");
    AddPerson(*sub, "李四");
    auto* link = static_cast<_CPerson*>(p->CreateVirtualCopy());
    sub->AddContent(link, FALSE, nullptr, TRUE, TRUE);

    CArray<int, int> fields;
    fields.Add(PF_NAME);
    fields.Add(PF_MOBILE);
    fields.Add(PF_NOTE);
    const CString path = PathOf("out.csv");
    {
        CStdioFile file;
        ASSERT_TRUE(file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::typeText));
        file.WriteString("姓名,手机,附注\n");
        EXPECT_TRUE(root.ExportPersons(file, fields, _CGroup::EXPORT_CSV,
                                       _CGroup::EXPORT_SUBGROUPS | _CGroup::EXPORT_LINKS));
    }
    const std::string bytes = ReadBytes(path);
    EXPECT_EQ(
        std::string(
            "姓名,手机,附注\r\n"
            "李四,,\r\n"
            "\"张三 \"\"小张\"\", "
            "经理(虚拟联系人)\",\"13800138000\r\n13900139000\",\"第一行\r\n第二行\"\r\n"
            "\"张三 \"\"小张\"\", 经理\",\"13800138000\r\n13900139000\",\"第一行\r\n第二行\"\r\n"),
        bytes);

    // The export reads back into the same values.
    _CGroup imported("");
    CArray<int, int> map;
    map.Add(PF_NAME);
    map.Add(PF_MOBILE);
    map.Add(PF_NOTE);
    EXPECT_EQ(3, imported.ImportCsv(path, map, 0, -1));
    POSITION pos = imported.GetFirstContentPosition();
    imported.GetNextPerson(pos);
    imported.GetNextPerson(pos);
    _CPerson* back = imported.GetNextPerson(pos);
    EXPECT_STREQ("张三 \"小张\", 经理", back->GetName());
    EXPECT_EQ(2, back->GetInfo().m_personal.mobiles.GetCount());
    EXPECT_STREQ("第一行\r\n第二行", back->GetInfo().m_other.strNote);

    // Locked groups write nothing.
    sub->ModifyFlags(0, CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED);
    CStdioFile file;
    ASSERT_TRUE(
        file.Open(PathOf("locked.csv"), CFile::modeCreate | CFile::modeWrite | CFile::typeText));
    EXPECT_FALSE(sub->ExportPersons(file, fields, _CGroup::EXPORT_CSV, 0));
}

TEST_F(ContactGroupTest, CardTextBlocks) {
    _CGroup root("");
    _CPerson* p = AddPerson(root, "张三");
    AddValue(p->GetInfo().m_personal.mobiles, "13800138000");
    AddValue(p->GetInfo().m_personal.mobiles, "13900139000");
    p->GetInfo().m_personal.mobiles.SetCurrentIndex(1);
    CArray<int, int> fields;
    fields.Add(PF_NAME);
    fields.Add(PF_MOBILE);
    fields.Add(PF_NOTE);
    for (DWORD flags : {0u, (DWORD)_CGroup::EXPORT_CURRENT_ONLY}) {
        const CString path = PathOf("card.txt");
        {
            CStdioFile file;
            ASSERT_TRUE(file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::typeText));
            root.ExportPersons(file, fields, _CGroup::EXPORT_CARD_TEXT, flags);
        }
        std::string want = std::string(47, '-') + "\r\n姓名:张三\r\n手机:" +
                           (flags ? "13900139000" : "\r\n13800138000\r\n13900139000") + "\r\n";
        EXPECT_EQ(want, ReadBytes(path));
    }
}

// Links are written only when asked for, with their source's fields and a mark that says
// whether the source still exists.
TEST_F(ContactGroupTest, ExportWritesLinksOnlyWhenAskedAndMarksMissingSources) {
    _CGroup root("");
    _CPerson* source = AddPerson(root, "甲");
    AddValue(source->GetInfo().m_personal.mobiles, "13800138000");
    root.AddContent(source->CreateVirtualCopy(), FALSE, nullptr, TRUE, TRUE);
    auto* dangling = new _CPerson("乙");
    dangling->SetVirtualLink("不存在", nullptr);
    root.AddContent(dangling, FALSE, nullptr, TRUE, TRUE);

    CArray<int, int> fields;
    fields.Add(PF_NAME);
    fields.Add(PF_MOBILE);
    const std::string dashes(47, '-');
    struct Case {
        int format;
        DWORD flags;
        std::string want;
    };
    const Case cases[] = {
        {_CGroup::EXPORT_CSV, 0, "甲,13800138000\r\n"},
        {_CGroup::EXPORT_CSV, _CGroup::EXPORT_LINKS,
         "甲,13800138000\r\n甲(虚拟联系人),13800138000\r\n乙(无效的虚拟联系人),\r\n"},
        {_CGroup::EXPORT_CARD_TEXT, 0, dashes + "\r\n姓名:甲\r\n手机:13800138000\r\n"},
        {_CGroup::EXPORT_CARD_TEXT, _CGroup::EXPORT_LINKS,
         dashes + "\r\n姓名:甲\r\n手机:13800138000\r\n" + dashes +
             "\r\n[虚拟联系人:甲]\r\n姓名:甲\r\n手机:13800138000\r\n" + dashes +
             "\r\n[无效的虚拟联系人:乙]\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << c.format << ", flags " << c.flags);
        const CString path = PathOf("links.txt");
        {
            CStdioFile file;
            ASSERT_TRUE(file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::typeText));
            EXPECT_TRUE(root.ExportPersons(file, fields, c.format, c.flags));
        }
        EXPECT_EQ(c.want, ReadBytes(path));
    }
}

TEST_F(ContactGroupTest, CsvImportMapsColumnsPathsAndMerges) {
    const CString path = PathOf("in.csv");
    WriteBytes(path, "姓名,手机,分组,多余\r\n"
                     "张三,13800138000,朋友\\同学,x,y,z\r\n"
                     "李四\r\n"
                     ",13700137000\r\n"
                     "张三,13900139000\r\n"
                     "王五,13600136000,朋友\\同学\r\n");
    CArray<int, int> map;
    map.Add(PF_NAME);
    map.Add(PF_MOBILE);
    map.Add(-1);
    _CGroup root("");
    AddPerson(root, "张三"); // an existing contact of that name, reused by the merge
    EXPECT_EQ(5, root.ImportCsv(path, map, _CGroup::IMPORT_SORTED | _CGroup::IMPORT_MERGE, 2));

    BOOL create = FALSE;
    CGroup* classmates = root.FindOrCreateSubgroupByPath("朋友\\同学", create);
    ASSERT_NE(nullptr, classmates) << "both levels of the path were created";
    EXPECT_EQ(1, classmates->GetContentCount(FALSE, TRUE)) << "only 王五 is new there";
    auto* zhang = dynamic_cast<_CPerson*>(root.FindByName("张三", FALSE, FALSE, FALSE));
    ASSERT_NE(nullptr, zhang);
    CString text;
    zhang->GetFieldText(text, PF_MOBILE);
    EXPECT_STREQ("13800138000\n13900139000", text);
    EXPECT_NE(nullptr, root.FindByName("李四", FALSE, FALSE, FALSE));
    EXPECT_NE(nullptr, root.FindByName("未命名", FALSE, FALSE, FALSE));

    EXPECT_EQ(-1, root.ImportCsv(PathOf("missing.csv"), map, 0, -1));
}

TEST_F(ContactGroupTest, CountsCollectsAndFindsByMobile) {
    _CGroup root("");
    _CPerson* a = AddPerson(root, "甲");
    AddValue(a->GetInfo().m_personal.email, "a@example.com");
    AddValue(a->GetInfo().m_personal.email, "a2@example.com");
    a->GetInfo().m_personal.email.SetCurrentIndex(1);
    _CGroup* sub = AddGroup(root, "子");
    _CPerson* b = AddPerson(*sub, "乙");
    AddValue(b->GetInfo().m_personal.email, "b@example.com");
    AddValue(b->GetInfo().m_personal.mobiles, "13800000000");
    AddPerson(*sub, "丙");
    CString out;
    root.CollectFieldValues(PF_EMAIL, out, TRUE, ";");
    EXPECT_STREQ("a2@example.com;b@example.com", out);
    EXPECT_EQ(b, root.FindPersonByMobile("13800000000"));
    EXPECT_EQ(nullptr, root.FindPersonByMobile("1380000000"));
    EXPECT_EQ(0, root.CountPersonSmsByState(-1));
}

} // namespace
