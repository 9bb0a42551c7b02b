#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "contacts/PersonDoc.h"
#include "contacts/SmsDoc.h"
#include "contacts/tests/ContactsTestSupport.h"

namespace {

using contacts_test::ContactsTest;
using contacts_test::FillEveryKind;
using contacts_test::Messages;

class AddressBookFilesTest : public ContactsTest {};

// Every contact's full text, in tree order.
CString DescribeTree(_CGroup& group) {
    CString out = group.GetName() + "{";
    for (POSITION pos = group.GetFirstContentPosition(); pos != nullptr;) {
        CString text;
        group.GetNextPerson(pos)->GetAllFieldsText(text);
        out += text + "|";
    }
    for (POSITION pos = group.GetFirstSubgroupPosition(); pos != nullptr;)
        out += DescribeTree(*group.GetNextGroup(pos));
    return out + "}";
}

TEST_F(AddressBookFilesTest, AddressBookRoundTripsEveryFieldKind) {
    CSmsDoc doc;
    _CPerson* full = AddPerson(doc.GetRootGroup(), "张三");
    FillEveryKind(*full);
    auto* sub = new _CGroup("同事");
    doc.GetRootGroup().AddSubgroup(sub, FALSE, nullptr, TRUE, TRUE);
    AddPerson(*sub, "李四")->GetBirthday().SetBirthday(-1, 8, 15, FALSE, FALSE);
    auto* link = static_cast<_CPerson*>(full->CreateVirtualCopy());
    sub->AddContent(link, FALSE, nullptr, TRUE, TRUE);

    const CString path = PathOf("book.sms");
    ASSERT_TRUE(doc.OnSaveDocument(path));
    CSmsDoc loaded;
    ASSERT_TRUE(loaded.OnOpenDocument(path));
    EXPECT_EQ(DescribeTree(doc.GetRootGroup()), DescribeTree(loaded.GetRootGroup()));
    POSITION pos = loaded.GetRootGroup().GetFirstSubgroupPosition();
    _CGroup* sub2 = loaded.GetRootGroup().GetNextGroup(pos);
    pos = sub2->GetFirstContentPosition();
    sub2->GetNextPerson(pos);
    _CPerson* link2 = sub2->GetNextPerson(pos);
    EXPECT_TRUE(link2->IsVirtual());
    EXPECT_STREQ("张三", link2->ResolveLink()->GetName()) << "the link finds its source again";
    EXPECT_TRUE(Messages().empty());
}

TEST_F(AddressBookFilesTest, BirthdayMapsAndCalendarItems) {
    CSmsDoc doc;
    AddPerson(doc.GetRootGroup(), "甲")->GetBirthday().SetBirthday(1980, 3, 5, FALSE, TRUE);
    AddPerson(doc.GetRootGroup(), "乙")->GetBirthday().SetBirthday(-1, 3, 5, FALSE, TRUE);
    // Lunar 2024-01-25 is solar 2024-03-05.
    AddPerson(doc.GetRootGroup(), "丙")->GetBirthday().SetBirthday(-1, 1, 25, FALSE, FALSE);
    doc.RebuildBirthdayMaps();
    CString names;
    ASSERT_TRUE(doc.GetSolarBirthdays().Lookup(773, names));
    EXPECT_STREQ("甲\n乙", names);

    CKovCalendarCellItemList items;
    EXPECT_EQ(0, doc.GetCalendarItems(CDate(2024, 3, 6), items, TRUE));
    EXPECT_EQ(1, doc.GetCalendarItems(CDate(2024, 3, 5), items, TRUE));
    EXPECT_TRUE(items.IsEmpty());
    ASSERT_EQ(3, doc.GetCalendarItems(CDate(2024, 3, 5), items, FALSE));
    const char* const wantNames[] = {"甲", "乙", "丙"};
    const int wantColour[] = {1, 1, 0};
    int i = 0;
    for (POSITION pos = items.GetHeadPosition(); pos != nullptr; ++i) {
        const CKovCalendarCellItem& item = items.GetNext(pos);
        EXPECT_EQ(CKovCalendarCellItem::KIND_BIRTHDAY, item.m_nKind);
        EXPECT_STREQ(wantNames[i], item.m_strText);
        EXPECT_EQ(wantColour[i], item.m_nColour);
    }

    doc.DeleteContents();
    EXPECT_EQ(0, doc.GetSolarBirthdays().GetCount());
    EXPECT_TRUE(doc.GetRootGroup().IsEmpty());
}

TEST_F(AddressBookFilesTest, DamagedFilesFailToLoadWithTheOpenMessage) {
    CSmsDoc doc;
    for (int i = 0; i < 20; ++i)
        FillEveryKind(*AddPerson(doc.GetRootGroup(), "张三"));
    const CString path = PathOf("book.sms");
    ASSERT_TRUE(doc.OnSaveDocument(path));
    const auto size = std::filesystem::file_size(path.GetString());

    // Cut short: the scrambling depends only on the position, so a prefix stays readable.
    const CString cut = PathOf("cut.sms");
    std::filesystem::copy_file(path.GetString(), cut.GetString());
    std::filesystem::resize_file(cut.GetString(), size / 2);

    // An old plain file whose root announces far more sub-groups than it holds.
    std::string hostile("\x00\x00\x01\x00", 4);
    hostile += std::string(4, '\0'); // type
    hostile += std::string(8, '\0'); // eight empty strings
    for (int i = 0; i < 4; ++i)      // four empty lists
        hostile += std::string(4, '\0') + std::string(4, '\xFF');
    hostile += std::string("\xF0\xFF\xFF\x7F", 4) + std::string(4, '\0');
    const CString bad = PathOf("hostile.sms");
    WriteBytes(bad, hostile);

    for (const CString& p : {cut, bad}) {
        SCOPED_TRACE(p.GetString());
        Messages().clear();
        CSmsDoc loaded;
        AddPerson(loaded.GetRootGroup(), "旧");
        EXPECT_FALSE(loaded.OnOpenDocument(p));
        ASSERT_EQ(1u, Messages().size());
        EXPECT_NE(std::string::npos, Messages()[0].find("打开文档失败。"));
        EXPECT_TRUE(loaded.GetRootGroup().IsEmpty()) << "a failed read leaves no half tree";
    }
}

TEST_F(AddressBookFilesTest, ContactCardsSaveLoadAndImport) {
    _CPerson card("张三");
    FillEveryKind(card);
    const CString path = PathOf("zhang.psn");
    ASSERT_TRUE(CPersonDoc::SavePersonAs(&card, path));
    EXPECT_FALSE(CPersonDoc::SavePersonAs(&card, ""));

    _CPerson back(nullptr, FALSE);
    CPersonDoc doc;
    ASSERT_TRUE(doc.LoadPerson(&back, path));
    EXPECT_EQ(CKovDocumentBase::kCurrentVersion, doc.GetVersion());
    CString a, b;
    card.GetAllFieldsText(a);
    back.GetAllFieldsText(b);
    EXPECT_EQ(a, b);

    const CString junk = PathOf("junk.psn");
    WriteBytes(junk, std::string("\x00\x00\x01\x00\xFF\xFF\xFF", 7));
    _CGroup group("");
    AddPerson(group, "王五");
    CStringList paths;
    paths.AddTail(junk);
    paths.AddTail(path);
    paths.AddTail(PathOf("missing.psn"));
    EXPECT_EQ(1, CPersonDoc::ImportPersonFiles(&group, paths));
    POSITION pos = group.GetFirstContentPosition();
    EXPECT_STREQ("王五", group.GetNextPerson(pos)->GetName());
    EXPECT_STREQ("张三", group.GetNextPerson(pos)->GetName()) << "sorted in by name";

    EXPECT_STREQ("张三经理", CPersonDoc::MakeFileName("张三?经理"));
    EXPECT_STREQ("ab", CPersonDoc::MakeFileName("a\\/:*?\"<>|b"));
    // 0x5C is a trail byte here, not a separator.
    EXPECT_STREQ("\x81\x5C", CPersonDoc::MakeFileName("\x81\x5C"));
}

TEST_F(AddressBookFilesTest, SelectionQueries) {
    CSmsDoc doc;
    _CPerson* p = AddPerson(doc.GetRootGroup(), "甲");
    EXPECT_EQ(CSmsDoc::KIND_PERSON, CSmsDoc::GetObjectKind(p));
    EXPECT_EQ(CSmsDoc::KIND_GROUP, CSmsDoc::GetObjectKind(&doc.GetRootGroup()));
    EXPECT_EQ(CSmsDoc::KIND_NONE, CSmsDoc::GetObjectKind(nullptr));
    doc.SetCurrentObject(p);
    EXPECT_EQ(&p->GetSmsBox(), doc.GetSelectedPersonBox());
    EXPECT_EQ(nullptr, doc.GetSelectedGroup());
    doc.SetCurrentObject(&doc.GetRootGroup());
    EXPECT_EQ(nullptr, doc.GetSelectedPersonBox());
    EXPECT_EQ(&doc.GetRootGroup(), doc.GetSelectedGroup());
}

} // namespace
