#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/base/FileFind.h"
#include "platform/base/Gbk.h"
#include "platform/base/tests/TempFolder.h"

namespace {

class FileFindTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"b.txt", "A.TXT", "c", "readme.md", "中文.dat"}) {
            std::ofstream(dir.str() + "/" + GbkToUtf8(name, strlen(name))) << "12";
        }
        mkdir((dir.str() + "/Sub").c_str(), 0755);
    }

    // Names FindFile lists for the pattern, in order, skipping the dot entries.
    std::vector<std::string> List(const char* pattern) {
        std::vector<std::string> names;
        CFileFind ff;
        BOOL more = ff.FindFile(CString(dir.str().c_str()) + "\\" + pattern);
        while (more) {
            more = ff.FindNextFile();
            if (!ff.IsDots()) {
                names.push_back(ff.GetFileName().GetString());
            }
        }
        return names;
    }

    test_folders::TempDir dir;
};

TEST_F(FileFindTest, ListsSortedByNameWithDotsFirst) {
    CFileFind ff;
    ASSERT_TRUE(ff.FindFile(CString(dir.str().c_str()) + "\\*.*"));
    std::vector<std::string> all;
    BOOL more = TRUE;
    while (more) {
        more = ff.FindNextFile();
        all.push_back(ff.GetFileName().GetString());
    }
    EXPECT_EQ(all, (std::vector<std::string>{".", "..", "A.TXT", "b.txt", "c", "readme.md", "Sub",
                                             "中文.dat"}));
}

TEST_F(FileFindTest, PatternsMatchWithoutRegardToCase) {
    struct {
        const char* pattern;
        std::vector<std::string> names;
    } cases[] = {
        {"*.txt", {"A.TXT", "b.txt"}},
        {"?.*", {"A.TXT", "b.txt", "c"}},
        {"*", {"A.TXT", "b.txt", "c", "readme.md", "Sub", "中文.dat"}},
        {"SUB", {"Sub"}},
        {"??.dat", {"中文.dat"}},
        {"*.doc", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(List(c.pattern), c.names) << c.pattern;
    }
}

TEST_F(FileFindTest, EntryDetails) {
    CFileFind ff;
    CString root = CString(dir.str().c_str()) + "/";
    ASSERT_TRUE(ff.FindFile(root + "s*"));
    EXPECT_FALSE(ff.FindNextFile()); // the only match is also the last
    EXPECT_TRUE(ff.IsDirectory());
    EXPECT_FALSE(ff.IsDots());
    EXPECT_STREQ(ff.GetFilePath(), root + "Sub");

    ASSERT_TRUE(ff.FindFile(root + "readme.md"));
    ff.FindNextFile();
    EXPECT_FALSE(ff.IsDirectory());
    EXPECT_EQ(ff.GetLength(), 2u);
    EXPECT_STREQ(ff.GetFileTitle(), "readme");
    CTime t;
    EXPECT_TRUE(ff.GetLastWriteTime(t));
    EXPECT_GT(t.GetTime(), 0);

    EXPECT_FALSE(ff.FindFile(root + "nowhere\\*.*"));
}

} // namespace
