#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "mail/MiniDBGroup.h"
#include "mail/tests/MailTestSupport.h"
#include "platform/base/Archive.h"
#include "platform/base/tests/TempFolder.h"

using namespace mailtest;

namespace {

// A box-like owner that stores a name of its own before the group's fields.
class NamedGroup : public CMiniDBGroup {
public:
    void Serialize(CArchive& ar) override {
        if (ar.IsStoring())
            ar << m_strName;
        else
            ar >> m_strName;
        CMiniDBGroup::Serialize(ar);
    }
    CString m_strName = "unset";
};

std::string IdListBytes(std::initializer_list<DWORD> ids) {
    std::string bytes;
    for (DWORD id : ids)
        bytes.append(reinterpret_cast<const char*>(&id), 4);
    return bytes;
}

std::vector<DWORD> SlotsOf(const std::string& path) {
    const std::string bytes = ReadBytes(path);
    std::vector<DWORD> slots(bytes.size() / 4);
    std::memcpy(slots.data(), bytes.data(), slots.size() * 4);
    return slots;
}

std::set<DWORD> IdsOf(const CMiniDBGroup& group) {
    std::set<DWORD> ids;
    for (POSITION pos = group.GetFirstIdPosition(); pos != nullptr;)
        ids.insert(group.GetNextId(pos));
    return ids;
}

class MiniDBGroupTest : public ::testing::Test {
protected:
    std::string Path(const char* name) const { return m_dir.str() + "/" + name; }
    test_folders::TempDir m_dir;
};

TEST_F(MiniDBGroupTest, CreateMakesTheIdListBesideTheGroupFileOnce) {
    NamedGroup group;
    ASSERT_TRUE(group.Create(Path("in.box").c_str()));
    EXPECT_TRUE(std::filesystem::exists(Path("in.gp")));
    EXPECT_FALSE(std::filesystem::exists(Path("in.box")));
    NamedGroup again;
    EXPECT_FALSE(again.Create(Path("in.box").c_str()));

    NamedGroup named;
    named.SetIdListName("lists/ids.dat");
    std::filesystem::create_directory(Path("lists"));
    ASSERT_TRUE(named.Create(Path("out.box").c_str()));
    EXPECT_TRUE(std::filesystem::exists(Path("lists/ids.dat")));
}

TEST_F(MiniDBGroupTest, FreeSlotsAreReusedLowestFirst) {
    WriteBytes(Path("in.gp"), IdListBytes({10, 11, 0xFFFFFFFF, 13, 14, 0xFFFFFFFF}));
    std::set<DWORD> ids;
    {
        NamedGroup group;
        ASSERT_TRUE(group.Open(Path("in.box").c_str()));
        EXPECT_EQ(2, group.GetFreeSlotHint());
        EXPECT_EQ((std::set<DWORD>{10, 11, 13, 14}), IdsOf(group));
        EXPECT_TRUE(group.AddId(20));
        EXPECT_TRUE(group.AddId(20)); // already there: no second slot
        EXPECT_TRUE(group.AddId(21));
        EXPECT_TRUE(group.AddId(22));
        EXPECT_EQ((std::vector<DWORD>{10, 11, 20, 13, 14, 21, 22}), SlotsOf(Path("in.gp")));
        EXPECT_TRUE(group.RemoveId(13));
        EXPECT_TRUE(group.RemoveId(99));
        EXPECT_TRUE(group.RemoveId(11));
        EXPECT_EQ(1, group.GetFreeSlotHint());
        EXPECT_TRUE(group.AddId(30));
        EXPECT_TRUE(group.AddId(31));
        EXPECT_EQ((std::vector<DWORD>{10, 30, 20, 31, 14, 21, 22}), SlotsOf(Path("in.gp")));
        EXPECT_TRUE(group.HasId(31));
        EXPECT_FALSE(group.HasId(11));
        ids = IdsOf(group);
    }
    // The map is rebuilt the same from the file.
    NamedGroup reopened;
    ASSERT_TRUE(reopened.Open(Path("in.box").c_str()));
    EXPECT_EQ(ids, IdsOf(reopened));
    EXPECT_EQ(-1, reopened.GetFreeSlotHint());

    reopened.ClearIds();
    EXPECT_EQ(0, reopened.GetIdCount());
    EXPECT_EQ(0, reopened.GetFreeSlotHint());
    EXPECT_EQ(std::vector<DWORD>(7, 0xFFFFFFFF), SlotsOf(Path("in.gp")));
}

TEST_F(MiniDBGroupTest, AnIdListCutShortOpensWithItsWholeSlots) {
    WriteBytes(Path("in.gp"), IdListBytes({5, 6}) + "\x07\x00");
    NamedGroup group;
    ASSERT_TRUE(group.Open(Path("in.box").c_str()));
    EXPECT_EQ((std::set<DWORD>{5, 6}), IdsOf(group));
    ASSERT_TRUE(group.AddId(8));
    EXPECT_EQ((std::vector<DWORD>{5, 6, 8}), SlotsOf(Path("in.gp")));
    EXPECT_FALSE(NamedGroup().Open(Path("none.box").c_str()));
}

TEST_F(MiniDBGroupTest, GroupFileRoundTripsAndAnEmptyFileIsAnEmptyGroup) {
    {
        NamedGroup group;
        ASSERT_TRUE(group.Create(Path("in.box").c_str()));
        group.m_strName = "收件箱";
        group.AddSubgroupName("mailbox.box");
        group.AddSubgroupName("工作.box");
        group.AddSubgroupName("Mailbox1.box");
        ASSERT_TRUE(group.Save());
    }
    NamedGroup loaded;
    ASSERT_TRUE(loaded.Open(Path("in.box").c_str()));
    EXPECT_EQ("收件箱", S(loaded.m_strName));
    ASSERT_EQ(3, loaded.GetSubgroupNames().GetCount());
    EXPECT_EQ("工作.box",
              S(loaded.GetSubgroupNames().GetAt(loaded.GetSubgroupNames().FindIndex(1))));
    EXPECT_TRUE(loaded.RemoveSubgroupName("MAILBOX.BOX"));
    EXPECT_FALSE(loaded.RemoveSubgroupName("other.box"));
    ASSERT_EQ(2, loaded.GetSubgroupNames().GetCount());
    EXPECT_EQ("工作.box", S(loaded.GetSubgroupNames().GetHead()));

    WriteBytes(Path("in.box"), "");
    NamedGroup empty;
    ASSERT_TRUE(empty.Load(Path("in.box").c_str()));
    EXPECT_EQ("unset", S(empty.m_strName)); // Serialize never ran
    EXPECT_FALSE(empty.Load(Path("none.box").c_str()));
}

TEST_F(MiniDBGroupTest, SaveReplacesTheWholeFileAndAFailedSaveKeepsTheOld) {
    NamedGroup group;
    ASSERT_TRUE(group.Create(Path("in.box").c_str()));
    group.m_strName = std::string(500, 'x').c_str();
    ASSERT_TRUE(group.Save());
    const std::string longer = ReadBytes(Path("in.box"));
    group.m_strName = "short";
    ASSERT_TRUE(group.Save());
    const std::string shorter = ReadBytes(Path("in.box"));
    EXPECT_LT(shorter.size(), 20u); // no stale tail of the longer file

    // A folder that cannot take the new file: the old file stays whole.
    std::filesystem::permissions(m_dir.path(), std::filesystem::perms::owner_read |
                                                   std::filesystem::perms::owner_exec);
    group.m_strName = "changed";
    const BOOL saved = group.Save();
    std::filesystem::permissions(m_dir.path(), std::filesystem::perms::owner_all);
    if (geteuid() != 0) {
        EXPECT_FALSE(saved);
        EXPECT_EQ(shorter, ReadBytes(Path("in.box")));
    }
}

TEST_F(MiniDBGroupTest, SubBoxNamesThatAreNotPlainFileNamesAreDropped) {
    const char* const names[] = {
        "in.box", "../escape.box", "/etc/passwd",   "a\\b.box", "c:x.box", "", ".",
        "..",     "邮件.box",      "tab\tname.box", "ok2.box"};
    // The file holds every name, as a damaged or foreign file could.
    CStringListEx list;
    for (const char* n : names)
        list.AddTail(n);
    CMemFile memory;
    {
        CArchive ar(&memory, CArchive::store);
        CString name = "box";
        ar << name;
        list.Serialize(ar);
        ar.Close();
    }
    std::string bytes(static_cast<size_t>(memory.GetLength()), '\0');
    memory.SeekToBegin();
    memory.Read(bytes.data(), static_cast<UINT>(bytes.size()));
    WriteBytes(Path("in.box"), bytes);

    NamedGroup group;
    ASSERT_TRUE(group.Load(Path("in.box").c_str()));
    std::vector<std::string> kept;
    for (POSITION pos = group.GetSubgroupNames().GetHeadPosition(); pos != nullptr;)
        kept.push_back(S(group.GetSubgroupNames().GetNext(pos)));
    EXPECT_EQ((std::vector<std::string>{"in.box", "邮件.box", "ok2.box"}), kept);
}

// A damaged group file does not cost the box its mail: the ids still open.
TEST_F(MiniDBGroupTest, ADamagedGroupFileStillOpensTheIds) {
    WriteBytes(Path("in.gp"), IdListBytes({7}));
    WriteBytes(Path("in.box"), "\x05\xFF\xFF\xFF\xFF\xFF");
    NamedGroup group;
    EXPECT_FALSE(group.Load(Path("in.box").c_str()));
    EXPECT_EQ(0, group.GetSubgroupNames().GetCount());
    ASSERT_TRUE(group.Open(Path("in.box").c_str()));
    EXPECT_EQ((std::set<DWORD>{7}), IdsOf(group));
}

TEST_F(MiniDBGroupTest, DeleteFilesRemovesBothFiles) {
    NamedGroup group;
    ASSERT_TRUE(group.Create(Path("in.box").c_str()));
    ASSERT_TRUE(group.Save());
    ASSERT_TRUE(group.AddId(3));
    group.DeleteFiles();
    EXPECT_TRUE(group.GetPath().IsEmpty());
    EXPECT_FALSE(std::filesystem::exists(Path("in.box")));
    EXPECT_FALSE(std::filesystem::exists(Path("in.gp")));
    EXPECT_FALSE(group.AddId(4));
}

} // namespace
