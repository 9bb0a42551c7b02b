// The e-card contact, group, union and access records: defaults, access arithmetic, readability,
// field names and texts, the stored forms and what a damaged file does to them.
#include "ecard/tests/ECardTestSupport.h"

#include <memory>

#include "ecard/ECUnion.h"
#include "testsupport/ArchiveBytes.h"

using namespace ecard_test;
using archive_bytes::Bytes;

namespace {

class ECRecordsTest : public ECardTest {};

TEST_F(ECRecordsTest, NewContactMayReadNothingButItsFixedFields) {
    CECContact c("张三");
    EXPECT_EQ(SECAccess(), c.m_access);
    EXPECT_EQ(SECAccess(), c.m_received);
    EXPECT_EQ(1, c.m_nExists);
    EXPECT_EQ(0u, c.m_dwStatus);
    for (int i = 0; i < EC_FIELD_ORDER_COUNT; ++i) {
        int f = GetECFieldInOrder(i);
        bool fixed = f == PF_MODIFIED || f == ECF_UID || f == ECF_USERNAME;
        EXPECT_EQ(fixed, IsECFieldReadable(c, f, EC_RECORD_ACCESS) != FALSE) << f;
        EXPECT_EQ(fixed, IsECFieldReadable(c, f, EC_RECORD_RECEIVED) != FALSE) << f;
    }
    EXPECT_FALSE(IsECFieldReadable(c, 999, EC_RECORD_ACCESS));
}

TEST_F(ECRecordsTest, MergeTakesOnlySelectedBitsThatAreFields) {
    SECAccess source, target;
    source.SetAll(-1);
    SECAccess selector; // only the communication category chosen
    selector[3] = -1;
    SECAccess::Merge(source, target, &selector);
    SECAccess expected;
    expected[3] = 7;
    EXPECT_EQ(expected, target);

    // Without a selector every valid bit is replaced and invalid ones stay.
    target.SetAll(0x40000000);
    SECAccess zero;
    SECAccess::Merge(source, target);
    EXPECT_EQ(0x40000000 | 0x3FFCF, target[0]);
    EXPECT_EQ(0x40000000 | 7, target[5]);
    SECAccess::Merge(zero, target);
    EXPECT_EQ(0x40000000, target[2]);

    EXPECT_EQ(-1, CategoryIndex(3));
    EXPECT_EQ(5, CategoryIndex(32));
}

TEST_F(ECRecordsTest, ReadableFieldsTextListsLabelsOrEverything) {
    CECContact c;
    c.m_received = GetECAccessFullMasks();
    EXPECT_EQ("[<全部资料>]", GetECReadableFieldsText(c, TRUE, EC_RECORD_RECEIVED, "[%s]", ","));
    EXPECT_EQ("", GetECReadableFieldsText(c, FALSE, EC_RECORD_RECEIVED, "%s", ","));
    c.m_access[3] = 2; // the current address only
    EXPECT_EQ("目前通信地址", GetECReadableFieldsText(c, TRUE, EC_RECORD_ACCESS, "%s", "、"));
    MarkECFieldReceived(c.m_received, PF_NAME, FALSE);
    EXPECT_FALSE(IsECFieldReadable(c, PF_NAME, EC_RECORD_RECEIVED));
    EXPECT_TRUE(IsECFieldReadable(c, ECF_LOCATION, EC_RECORD_RECEIVED));
}

TEST_F(ECRecordsTest, WireNamesMapBothWays) {
    int named = 0;
    for (int i = 0; i < EC_FIELD_ORDER_COUNT; ++i) {
        int f = GetECFieldInOrder(i);
        LPCTSTR name = GetECFieldName(f);
        ASSERT_NE(nullptr, name) << f;
        EXPECT_EQ(f, GetECFieldId(name));
        ++named;
    }
    EXPECT_EQ(52, named);
    EXPECT_STREQ("psn_portrait", GetECFieldName(PF_PICTURE));
    EXPECT_EQ(-1, GetECFieldId("PSN_NAME"));
    EXPECT_EQ(-1, GetECFieldId(""));
    EXPECT_EQ(nullptr, GetECFieldName(48));
}

TEST_F(ECRecordsTest, ExtraFieldsHaveDataLabelsTextAndPlaces) {
    CECContact c("李四");
    c.m_nUid = 3000000000u;
    c.m_strUserName = "lisi";
    c.m_strLocation = "北京";
    int kind = 0;
    EXPECT_EQ(&c.m_nUid, c.GetFieldData(ECF_UID, kind));
    EXPECT_EQ(FIELD_INT8, kind);
    CString text;
    c.GetFieldText(text, ECF_UID, TRUE);
    EXPECT_EQ("用户ID:3000000000", text);
    c.GetFieldText(text, ECF_LOCATION);
    EXPECT_EQ("北京", text);
    EXPECT_EQ(ECF_UID, c.GetFieldAt(ECAC_STATE, 16));
    EXPECT_EQ(PF_NAME, c.GetFieldAt(ECAC_INDIV, 1));
    EXPECT_EQ(-1, c.GetFieldAt(ECAC_STATE, 8));
    EXPECT_EQ(3000000000u, (UINT)c.GetIdentifier());

    CString all;
    c.GetAllFieldsText(all);
    EXPECT_NE(-1, all.Find("目前位置:北京"));
    EXPECT_NE(-1, all.Find("用户名称:lisi"));

    CSearchItemArray hits;
    EXPECT_TRUE(c.SearchExtra("0000", 0, hits));
    EXPECT_TRUE(c.SearchCategory("北", ECAC_STATE, 0xFF, hits, FALSE));
    EXPECT_FALSE(c.SearchCategory("北", ECAC_STATE, 1, hits, FALSE));

    CECContact other;
    other.m_nUid = 5;
    EXPECT_EQ(1, c.CompareByNumber(&other));
    EXPECT_EQ(-1, other.CompareByNumber(&c));

    c.m_dwStatus = CECContact::STATUS_ACCESS_PENDING | CECContact::STATUS_FRIEND;
    c.UpdateStatus(CECContact::STATUS_DEREGISTERED, CECContact::STATUS_FRIEND);
    EXPECT_EQ(CECContact::STATUS_ACCESS_PENDING | CECContact::STATUS_DEREGISTERED, c.m_dwStatus);
}

CECContact* FilledContact(UINT uid) {
    auto* c = new CECContact("王五");
    c->m_nUid = uid;
    c->m_strUserName = "wangwu";
    c->m_strLocation = "上海";
    c->m_strAction = "开会";
    c->m_strNote = "你好";
    c->m_strMemory = "not stored";
    c->m_timeGoAccessModify = CTime(1600000000);
    c->m_timeAccessModify = CTime(1650000000);
    c->m_access[1] = 0x3FF;
    c->m_received[5] = 7;
    c->SetFieldText(PF_MOBILE, "13900000000", FALSE, 0, "\n", "-");
    return c;
}

TEST_F(ECRecordsTest, ContactAndGroupsRoundTripByteForByte) {
    CECGroup root("我的好友", CECGroup::ROLE_FRIENDS);
    root.InsertPerson(FilledContact(7));
    auto* sub = new CECGroup("同事");
    root.AddSubgroup(sub, FALSE);
    sub->InsertPerson(FilledContact(8));
    auto* deeper = new CECGroup("项目组");
    sub->AddSubgroup(deeper, FALSE);
    deeper->InsertPerson(FilledContact(9));
    // As a locked group is saved: a group with a password loads locked.
    deeper->ModifyFlags(0, CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED);

    Bytes stored = archive_bytes::Store(root);
    CECGroup loaded;
    EXPECT_EQ(0u, archive_bytes::Load(loaded, stored));
    EXPECT_EQ(stored, archive_bytes::Store(loaded));
    EXPECT_EQ("我的好友", loaded.GetName());

    CECContact* c = loaded.FindByNumber(9);
    ASSERT_NE(nullptr, c);
    EXPECT_EQ("wangwu", c->m_strUserName);
    EXPECT_EQ("开会", c->m_strAction);
    EXPECT_EQ(CTime(1650000000), c->m_timeAccessModify);
    EXPECT_EQ(0x3FF, c->m_access[1]);
    EXPECT_EQ(7, c->m_received[5]);
    EXPECT_EQ("", c->m_strMemory);
    EXPECT_EQ(4, c->GetSmsBox().GetSubBoxCount());
    // A stored password comes back locked.
    auto* group = dynamic_cast<CECGroup*>(c->GetParent());
    ASSERT_NE(nullptr, group);
    EXPECT_TRUE(group->IsLocked());
    EXPECT_EQ(nullptr, loaded.FindByNumber(10));
}

TEST_F(ECRecordsTest, LoadingKeepsTheFirstOfTwoStandardBoxesOfOneKind) {
    CECContact c;
    c.GetSmsBox().AddSubBox("发信箱", 1);
    ASSERT_EQ(5, c.GetSmsBox().GetSubBoxCount());
    c.GetSmsBox().GetSubBoxAt(1)->AddSms(new _CSms("first"));
    CECContact loaded(nullptr, FALSE);
    archive_bytes::Load(loaded, archive_bytes::Store(c));
    ASSERT_EQ(4, loaded.GetSmsBox().GetSubBoxCount());
    EXPECT_EQ(1, loaded.GetSmsBox().GetSubBoxAt(1)->GetSmsCount());
}

// A group archive whose counts or nesting the file cannot hold.
Bytes GroupHeader(DWORD groups, DWORD contacts) {
    return archive_bytes::Write([&](CArchive& ar) { ar << groups << contacts; });
}

TEST_F(ECRecordsTest, DamagedGroupArchivesFailWithoutMakingObjects) {
    const Bytes hugeCounts = GroupHeader(0xFFFFFFFF, 0xFFFFFFFF);
    Bytes deep;
    for (int i = 0; i < CGroup::kMaxLoadDepth + 10; ++i) {
        Bytes level = GroupHeader(1, 0);
        deep.insert(deep.end(), level.begin(), level.end());
    }
    deep.resize(deep.size() + 64 * 1024, 0);
    Bytes cut = archive_bytes::Store(*std::unique_ptr<CECContact>(FilledContact(1)));
    cut.resize(cut.size() / 2);
    Bytes oneContactCut = GroupHeader(0, 1);
    oneContactCut.insert(oneContactCut.end(), cut.begin(), cut.end());
    oneContactCut.resize(oneContactCut.size() + 8, 0);

    for (const Bytes* bytes : std::vector<const Bytes*>{&hugeCounts, &deep, &oneContactCut}) {
        CECGroup group;
        EXPECT_NE(-1, archive_bytes::LoadFailure(group, *bytes));
    }
}

TEST_F(ECRecordsTest, GroupsFindRolesNumbersAndCommonAccess) {
    CECGroup root("", CECGroup::ROLE_ROOT);
    auto* friends = new CECGroup("我的好友", CECGroup::ROLE_FRIENDS);
    root.AddSubgroup(friends, FALSE);
    auto* mine = new CECGroup("同学");
    friends->AddSubgroup(mine, FALSE);
    CECContact* a = AddContact(*mine, 11, "张小明");
    CECContact* b = AddContact(*friends, 12, "李大明");
    EXPECT_EQ(CECGroup::ROLE_FRIENDS, mine->GetTopRole());
    EXPECT_EQ(CECGroup::ROLE_ROOT, root.GetTopRole());
    EXPECT_EQ(a, root.FindByNumber(11));

    CDWordArray numbers;
    root.CollectNumbers(numbers);
    ASSERT_EQ(2, numbers.GetSize());
    EXPECT_EQ(12u, numbers[0]); // a group's own contacts before its sub-groups
    CECContactMap map;
    root.CollectContacts(map);
    EXPECT_EQ(2, map.GetCount());

    a->m_access[0] = 0x0F;
    b->m_access[0] = 0x0B;
    SECAccess values, masks;
    BOOL first = TRUE;
    root.ReadPendingAccess(values, masks, first);
    EXPECT_FALSE(first);
    EXPECT_EQ(0x0B, values[0]); // the first contact met gives the values
    EXPECT_EQ(~0x04, masks[0]); // they disagree on bit 2 only
    EXPECT_EQ(-1, masks[1]);

    // The search walks a group's contacts before its sub-groups and resumes after each hit.
    CList<int, int> position;
    EXPECT_EQ(friends, root.SearchNext("明", position, FALSE));
    EXPECT_EQ(mine, root.SearchNext("明", position, FALSE));
    EXPECT_EQ(nullptr, root.SearchNext("明", position, FALSE));
    EXPECT_TRUE(position.IsEmpty());
    EXPECT_EQ(mine, root.SearchNext("zxm", position, TRUE));
}

TEST_F(ECRecordsTest, UnionGroupOwnsItsObjects) {
    CECUnionGroup group("u");
    EXPECT_EQ(nullptr, group.GetFirstItem());
    auto* content = new CContent("c");
    group.AddContent(content, FALSE);
    EXPECT_EQ(content, group.GetFirstItem());
    auto* own = new CECUnion("x");
    group.AddObject(own);
    EXPECT_EQ(own, group.GetFirstItem());
    group.Clear();
    EXPECT_EQ(0, group.GetObjectCount());
    EXPECT_EQ(nullptr, group.GetFirstItem());
}

} // namespace
