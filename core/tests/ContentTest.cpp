// Leaves: the use counter, names in the Chinese order, paths, links and comparison by field.
#include <gtest/gtest.h>

#include <memory>

#include "core/Content.h"
#include "core/Group.h"
#include "core/tests/GroupTestRecords.h"

namespace {

TEST(LockBase, CountsUsersAndAGroupAnswersForItsSubtree) {
    CTestFolder top("top");
    auto* sub = new CTestFolder("sub");
    top.AddSubgroup(sub);
    auto* card = new CTestCard("张三");
    sub->AddContent(card);

    EXPECT_EQ(card->Lock(), 1);
    EXPECT_EQ(card->Lock(), 2);
    EXPECT_EQ(card->GetLockCount(), 2);
    // Seen through the node part, the group's use test covers its descendants.
    CGroupItem* node = &top;
    EXPECT_TRUE(node->IsLocked());
    EXPECT_TRUE(top.IsInUse());
    // The group's own IsLocked is the password lock, not the use counter.
    EXPECT_FALSE(top.IsLocked());
    EXPECT_EQ(card->Unlock(), 1);
    EXPECT_EQ(card->Unlock(), 0);
    EXPECT_FALSE(node->IsLocked());
    sub->Lock();
    EXPECT_TRUE(top.IsInUse());
}

TEST(GroupItem, NamesFollowTheChineseOrderNotByteOrder) {
    // 亍 (chu) is stored as D8 A1 and 张 (zhang) as D5 C5: pinyin puts chu first.
    CTestCard chu("亍"), zhang("张"), li("李四");
    EXPECT_LT(chu.CompareName(&zhang), 0);
    EXPECT_GT(zhang.CompareName(&li), 0);
    EXPECT_EQ(li.CompareName(&li), 0);
    CTestCard unnamed(nullptr);
    EXPECT_STREQ(unnamed.GetName(), "");
    EXPECT_EQ(zhang.GetObject(), &zhang);
    CTestFolder folder("f");
    EXPECT_EQ(folder.GetObject(), &folder);
}

// top > 同事 > 北京 > 张三, and 李四 directly in the top.
struct Tree {
    CTestFolder top{"通讯录"};
    CTestFolder* colleagues = new CTestFolder("同事");
    CTestFolder* beijing = new CTestFolder("北京");
    CTestCard* zhang = new CTestCard("张三");
    CTestCard* li = new CTestCard("李四");
    Tree() {
        top.AddSubgroup(colleagues);
        colleagues->AddSubgroup(beijing);
        beijing->AddContent(zhang);
        top.AddContent(li);
    }
};

TEST(Content, PathsJoinTheGroupsBelowTheTopAndTheName) {
    Tree t;
    CString path;
    t.zhang->GetPath(path);
    EXPECT_STREQ(path, "同事\\北京\\张三");
    t.li->GetPath(path);
    EXPECT_STREQ(path, "李四");
    t.zhang->GetPath(path, nullptr, TRUE, "/", TRUE);
    // The separator joins only the name; the groups keep theirs.
    EXPECT_STREQ(path, "通讯录\\同事\\北京/张三");
    t.zhang->GetPath(path, t.colleagues, FALSE);
    EXPECT_STREQ(path, "北京");

    CTestCard loose("孤儿");
    loose.GetPath(path, nullptr, FALSE);
    EXPECT_STREQ(path, "");
    loose.GetPath(path);
    EXPECT_STREQ(path, "孤儿");
}

TEST(Content, SiblingsWalkTheParentsContentList) {
    Tree t;
    auto* wang = new CTestCard("王五");
    t.beijing->AddContent(wang, FALSE);
    EXPECT_EQ(t.zhang->GetSibling(TRUE), wang);
    EXPECT_EQ(wang->GetSibling(FALSE), t.zhang);
    EXPECT_EQ(wang->GetSibling(TRUE), nullptr);
    EXPECT_EQ(t.zhang->GetSibling(FALSE), nullptr);
    CTestCard loose("x");
    EXPECT_EQ(loose.GetSibling(TRUE), nullptr);
}

TEST(Content, LinksStandForTheirSourceUntilItIsHidden) {
    Tree t;
    std::unique_ptr<CContent> link(t.zhang->CreateVirtualCopy());
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->IsVirtual());
    CString path;
    link->GetVirtualPath(path);
    EXPECT_STREQ(path, "同事\\北京\\张三");
    // Unattached, the link finds nothing and stands for itself.
    EXPECT_EQ(link->GetVirtualSource(), nullptr);
    EXPECT_EQ(link->ResolveLink(), link.get());

    CContent* placed = link.release();
    t.top.AddContent(placed);
    EXPECT_EQ(placed->GetVirtualSource(), t.zhang);
    EXPECT_EQ(placed->ResolveLink(), t.zhang);
    // A link to a link is not made.
    EXPECT_EQ(placed->CreateVirtualCopy(), nullptr);
    CTestCard loose("x");
    EXPECT_EQ(loose.CreateVirtualCopy(), nullptr);

    // A locked group on the way hides the source.
    t.colleagues->ModifyFlags(0, CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED);
    EXPECT_EQ(placed->GetVirtualSource(), nullptr);
    EXPECT_EQ(placed->ResolveLink(), placed);
    t.colleagues->ModifyFlags(CGroup::FLAG_LOCKED, 0);

    // LinkTo makes an existing leaf a link.
    auto* other = new CTestCard("别名");
    t.beijing->AddContent(other);
    other->LinkTo(t.li);
    other->GetVirtualPath(path);
    EXPECT_STREQ(path, "李四");
    EXPECT_EQ(other->GetVirtualSource(), t.li);
}

TEST(Content, ALinkWhosePathNamesAnotherLinkFindsNothing) {
    Tree t;
    auto* link = static_cast<CTestCard*>(t.zhang->CreateVirtualCopy());
    t.top.AddContent(link); // named 张三 in the top, a link
    auto* second = new CTestCard("x");
    second->SetVirtualLink("张三", link);
    t.top.AddContent(second);
    EXPECT_EQ(second->GetVirtualSource(), nullptr);
}

TEST(Content, BaseRecordHasNoFieldsAndMakesPlainInstances) {
    CContent base("名字");
    int kind = 0;
    EXPECT_EQ(base.GetFieldData(1, kind), nullptr);
    EXPECT_EQ(kind, FIELD_NONE);
    FieldValueHolder holder;
    FieldValue value = holder.MakeValue(FIELD_TEXT);
    EXPECT_FALSE(base.GetFieldValue(1, value));
    EXPECT_STREQ(base.GetText(), "");
    EXPECT_EQ(base.Clone(), nullptr);
    std::unique_ptr<CContent> made(base.CreateInstance("新"));
    EXPECT_STREQ(made->GetName(), "新");
    EXPECT_EQ(made->GetRuntimeClass(), RUNTIME_CLASS(CContent));
    std::unique_ptr<CObject> created(CRuntimeClass::CreateObject("CContent"));
    ASSERT_NE(created, nullptr);
    EXPECT_STREQ(static_cast<CContent*>(created.get())->GetName(), "");
}

TEST(FieldValueHolder, EveryKindHasItsOwnSlot) {
    FieldValueHolder h;
    EXPECT_EQ(h.GetSlot(FIELD_TEXT), &h.strText);
    EXPECT_EQ(h.GetSlot(FIELD_MULTI_VALUE), &h.listValues);
    EXPECT_EQ(h.GetSlot(FIELD_INT), &h.nInt);
    EXPECT_EQ(h.GetSlot(FIELD_DATE), &h.date);
    EXPECT_EQ(h.GetSlot(FIELD_TIME), &h.time);
    EXPECT_EQ(h.GetSlot(FIELD_CERTIFICATES), &h.certificates);
    EXPECT_EQ(h.GetSlot(FIELD_INT7), &h.nInt7);
    EXPECT_EQ(h.GetSlot(FIELD_INT8), &h.nInt8);
    for (int kind : {(int)FIELD_NONE, 0, (int)FIELD_FLAGS, 10})
        EXPECT_EQ(h.GetSlot(kind), nullptr) << kind;
}

// Two cards that differ in every field; the expected sign of (a, b) per field.
TEST(Content, CompareByFieldOrdersEachKind) {
    CTestFolder top("top");
    CTestCard* a = MakeFullCard("李四", 1);
    CTestCard* b = MakeFullCard("张三", 2);
    top.AddContent(a);
    top.AddContent(b);
    a->m_strNote = "亍";
    b->m_strNote = "张";
    a->m_phones.ElementAt(0, 0) = "139";
    b->m_phones.ElementAt(0, 0) = "138";
    a->m_certificates.GetHead().strNumber = "1";
    b->m_certificates.GetHead().strNumber = "2";
    a->m_nAge = 0x7FFFFFFF;
    b->m_nAge = -5;

    struct Row {
        int field;
        int sign;
    } rows[] = {
        {kFieldName, -1},         // 李 before 张
        {kFieldNote, -1},         // chu before zhang, though its bytes are greater
        {kFieldPhones, 1},        // 139 after 138
        {kFieldAge, 1},           // far apart, the sign survives
        {kFieldBirthday, -1},     // 1981 before 1982
        {kFieldCreated, -1},      // earlier time
        {kFieldCertificates, -1}, // number 1 before 2
        {kFieldRank, 0},          // kind 7 is never compared
        {kFieldScore, -1},        // 3 - 6
        {kFieldFlags, 0},         // flag words are never compared
        {kFieldShout, -1},        // no storage: compared through GetFieldValue
        {42, 0},                  // no such field on either side
    };
    for (const Row& row : rows) {
        int r = CContent::CompareByField(a, b, row.field);
        EXPECT_EQ((r > 0) - (r < 0), row.sign) << "field " << row.field;
        int back = CContent::CompareByField(b, a, row.field);
        EXPECT_EQ(
            (back > 0) - (back < 0),
            row.field == kFieldRank || row.field == kFieldFlags || row.field == 42 ? 0 : -row.sign)
            << "field " << row.field;
    }

    // A link compares as its source.
    CContent* link = b->CreateVirtualCopy();
    top.AddContent(link);
    static_cast<CTestCard*>(link)->m_nScore = -100;
    EXPECT_EQ(CContent::CompareByField(link, b, kFieldScore), 0);
    EXPECT_EQ(CContent::CompareByField(nullptr, b, kFieldScore), 0);
}

} // namespace
