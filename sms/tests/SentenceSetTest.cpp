#include "sms/SentenceSet.h"

#include "platform/base/OsPath.h"
#include "platform/base/tests/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

void WriteBytes(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Phrases(const CSentenceSet& set) {
    std::vector<std::string> out;
    for (POSITION pos = set.m_phrases.GetHeadPosition(); pos != nullptr;)
        out.emplace_back((LPCTSTR)set.m_phrases.GetNext(pos));
    return out;
}

CString P(const fs::path& path) {
    return ProgramPathFromOsPath(path.string());
}


class SentenceSetTest : public ::testing::Test {
protected:
    test_folders::TempDir dir;
    // Names are program text (GBK); the disk gets them as the platform writes them.
    fs::path Path(const char* name) const {
        return fs::path(OsPathFromProgramPath(P(dir.path()) + "\\" + name));
    }
};

TEST_F(SentenceSetTest, BlankLinesAndZeroBytesAreLeftOutAndNotWrittenBack) {
    WriteBytes(Path("s.txt"), "早上好\r\n\r\n\n晚安\r\nab\0cd\r\n\0\r\nlast"s);
    CSentenceSet set;
    ASSERT_EQ(1, set.Load(P(Path("s.txt"))));
    EXPECT_EQ(Phrases(set), (std::vector<std::string>{"早上好", "晚安", "ab", "last"}));
    EXPECT_TRUE(set.IsLoaded());
    EXPECT_EQ(0, set.Load()) << "a loaded set is not read again";

    set.m_phrases.AddTail("");
    set.SetModified(TRUE);
    ASSERT_EQ(1, set.Save());
    EXPECT_FALSE(set.IsModified());
    EXPECT_EQ(ReadBytes(Path("s.txt")), "早上好\r\n晚安\r\nab\r\nlast\r\n");
}

TEST_F(SentenceSetTest, AHundredThousandLinesLoad) {
    std::string text;
    for (int i = 0; i < 100000; ++i)
        text += "phrase " + std::to_string(i) + "\n";
    WriteBytes(Path("big.txt"), text);
    CSentenceSet set;
    ASSERT_EQ(1, set.Load(P(Path("big.txt"))));
    EXPECT_EQ(100000, set.m_phrases.GetCount());
    EXPECT_EQ("phrase 99999", std::string((LPCTSTR)set.m_phrases.GetTail()));
}

TEST_F(SentenceSetTest, AMissingFileDoesNotLoadAndAFileThatCannotBeWrittenStaysModified) {
    CSentenceSet set;
    EXPECT_EQ(0, set.Load(P(Path("absent.txt"))));
    EXPECT_FALSE(set.IsLoaded());

    set.SetPath(P(Path("no-such-folder") / "x.txt"));
    set.m_phrases.AddTail("text");
    set.SetModified(TRUE);
    EXPECT_EQ(0, set.Save());
    EXPECT_TRUE(set.IsModified());
}

TEST_F(SentenceSetTest, UnloadSavesOnlyWhenAskedAndModified) {
    WriteBytes(Path("u.txt"), "one\r\n");
    CSentenceSet set;
    set.Load(P(Path("u.txt")));
    set.SetPhrase(0, "changed");
    EXPECT_FALSE(set.SetModified(TRUE));
    set.Unload(FALSE);
    EXPECT_EQ(ReadBytes(Path("u.txt")), "one\r\n") << "a set left unsaved loses its changes";
    EXPECT_FALSE(set.IsLoaded());
    EXPECT_TRUE(set.m_phrases.IsEmpty());

    set.Load();
    EXPECT_FALSE(set.SetPhrase(5, "none"));
    set.SetPhrase(0, "kept");
    set.SetModified(TRUE);
    set.Unload(TRUE);
    EXPECT_EQ(ReadBytes(Path("u.txt")), "kept\r\n");
}

TEST_F(SentenceSetTest, RenameMovesTheFileInItsFolderAndNeverOverAnother) {
    WriteBytes(Path("a.dat"), "a\r\n");
    WriteBytes(Path("taken.txt"), "b\r\n");
    CSentenceSet set;
    set.SetPath(P(Path("a.dat")));
    EXPECT_FALSE(set.Rename("taken.txt"));
    EXPECT_EQ(ReadBytes(Path("taken.txt")), "b\r\n");
    EXPECT_TRUE(fs::exists(Path("a.dat")));

    EXPECT_TRUE(set.Rename("问候.txt"));
    EXPECT_TRUE(fs::exists(Path("问候.txt")));
    EXPECT_FALSE(fs::exists(Path("a.dat")));
    EXPECT_EQ(set.GetPath(), P(Path("问候.txt")));
}

TEST_F(SentenceSetTest, AFolderTreeBecomesGroupsAndSetsInNameOrder) {
    WriteBytes(Path("bank/节日/春节.txt"), "新年好\r\n");
    WriteBytes(Path("bank/节日/sub/deep.inf"), "x\r\n");
    WriteBytes(Path("bank/b.txt"), "b\r\n");
    WriteBytes(Path("bank/a.dat"), "a\r\n");
    fs::create_directories(Path("bank/空组"));

    CSentenceSetGroup root;
    EXPECT_EQ(0, root.LoadFolder(P(Path("missing")), FALSE));
    ASSERT_EQ(1, root.LoadFolder(P(Path("bank")), FALSE));
    EXPECT_EQ("bank", std::string((LPCTSTR)root.GetName()));
    ASSERT_EQ(2, root.GetSubgroupCount());
    POSITION pos = root.GetFirstContentPosition();
    auto* a = static_cast<CSentenceSet*>(root.GetNextContent(pos));
    auto* b = static_cast<CSentenceSet*>(root.GetNextContent(pos));
    EXPECT_EQ("a", std::string((LPCTSTR)a->GetName()));
    EXPECT_EQ("b", std::string((LPCTSTR)b->GetName()));
    EXPECT_FALSE(a->IsLoaded()) << "sets are read when first shown";

    pos = root.GetFirstSubgroupPosition();
    auto* festival = static_cast<CSentenceSetGroup*>(root.GetNextSubgroup(pos));
    auto* empty = static_cast<CSentenceSetGroup*>(root.GetNextSubgroup(pos));
    EXPECT_EQ("节日", std::string((LPCTSTR)festival->GetName()));
    EXPECT_EQ(1, festival->GetSubgroupCount());
    EXPECT_FALSE(festival->CanDelete()) << "a group holding a set cannot be deleted";
    EXPECT_TRUE(empty->CanDelete());
    EXPECT_TRUE(empty->DeleteFolder());
    EXPECT_TRUE(empty->GetPath().IsEmpty());
    EXPECT_FALSE(fs::exists(Path("bank/空组")));

    CSentenceSetGroup loaded;
    loaded.LoadFolder(P(Path("bank")), TRUE);
    POSITION p2 = loaded.GetFirstContentPosition();
    EXPECT_TRUE(static_cast<CSentenceSet*>(loaded.GetNextContent(p2))->IsLoaded());
}

TEST_F(SentenceSetTest, AGroupRenameKeepsItsSetsReachableAndNeverMergesIntoAnother) {
    WriteBytes(Path("bank/g1/s.txt"), "one\r\n");
    fs::create_directories(Path("bank/g2"));
    CSentenceSetGroup root;
    root.LoadFolder(P(Path("bank")), FALSE);
    POSITION pos = root.GetFirstSubgroupPosition();
    auto* g1 = static_cast<CSentenceSetGroup*>(root.GetNextSubgroup(pos));

    EXPECT_FALSE(g1->Rename("g2"));
    EXPECT_TRUE(fs::exists(Path("bank/g1/s.txt")));
    EXPECT_EQ("g1", std::string((LPCTSTR)g1->GetName()));

    ASSERT_TRUE(g1->Rename("问候"));
    EXPECT_EQ("问候", std::string((LPCTSTR)g1->GetName()));
    POSITION p = g1->GetFirstContentPosition();
    auto* set = static_cast<CSentenceSet*>(g1->GetNextContent(p));
    EXPECT_EQ(1, set->Load()) << "the set follows its folder";
}

TEST_F(SentenceSetTest, SaveAllMakesTheFolderAndWritesOnlyModifiedSets) {
    CSentenceSetGroup group(P(Path("new/组")));
    auto* changed = new CSentenceSet("c");
    changed->SetPath(P(Path("new/组/c.txt")));
    changed->m_phrases.AddTail("hello");
    changed->SetModified(TRUE);
    auto* untouched = new CSentenceSet("u");
    untouched->SetPath(P(Path("new/组/u.txt")));
    group.AddContent(changed);
    group.AddContent(untouched);
    EXPECT_EQ(0, group.SaveAll()) << "only the last folder of the path is made";
    fs::create_directories(Path("new"));
    EXPECT_EQ(1, group.SaveAll());
    EXPECT_EQ(ReadBytes(Path("new/组/c.txt")), "hello\r\n");
    EXPECT_FALSE(fs::exists(Path("new/组/u.txt")));
}

} // namespace
