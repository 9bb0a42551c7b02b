#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <string>

#include "platform/base/Gbk.h"
#include "platform/base/OsPath.h"
#include "platform/base/tests/TempFolder.h"

namespace {

std::string Utf8(const char* gbk) {
    return GbkToUtf8(gbk, strlen(gbk));
}

class OsPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = dir.str();
        mkdir((root + "/Data").c_str(), 0755);
        mkdir((root + "/Data/Sub").c_str(), 0755);
        std::ofstream(root + "/Data/Sub/File.TXT") << "x";
    }
    CString Program(const char* tail) const { return CString(root.c_str()) + tail; }

    test_folders::TempDir dir;
    std::string root;
};

TEST_F(OsPathTest, ResolvesComponentsWithoutRegardToCase) {
    struct {
        const char* program;
        const char* os;
    } cases[] = {
        {"\\data\\SUB\\file.txt", "/Data/Sub/File.TXT"},
        {"/Data/Sub/File.TXT", "/Data/Sub/File.TXT"},
        {"\\DATA\\new\\x.txt", "/Data/new/x.txt"},         // missing parts kept as written
        {"\\data\\\\sub\\", "/Data/Sub/"},                 // repeated separators, trailing one kept
        {"\\data\\.\\sub\\..\\SUB", "/Data/./Sub/../Sub"}, // dots left to the system
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OsPathFromProgramPath(Program(c.program)), root + c.os) << c.program;
    }
    EXPECT_EQ(OsPathFromProgramPath("relative\\name.txt"), "relative/name.txt");
}

// 0x5C (`\`) is also the second byte of GBK characters such as 乗 (81 5C) and 刓 (84 5C).
TEST_F(OsPathTest, BackslashInsideADoubleByteCharacterIsNoSeparator) {
    const char* folder = "\x81\x5C\x84\x5C";
    ASSERT_EQ(mkdir((root + "/" + Utf8(folder)).c_str(), 0755), 0);
    CString program = Program("\\") + folder + "\\a.txt";
    EXPECT_EQ(OsPathFromProgramPath(program), root + "/" + Utf8(folder) + "/a.txt");

    EXPECT_EQ(FindLastPathSeparator(CString("x\\") + folder), 1);
    EXPECT_EQ(FindLastPathSeparator(folder), -1);
}

TEST_F(OsPathTest, OsPathsComeBackWithBackslashes) {
    EXPECT_STREQ(ProgramPathFromOsPath(Utf8("/home/用户/a.txt")), "\\home\\用户\\a.txt");
    // A character with a 0x5C trail byte survives the way back unchanged.
    EXPECT_STREQ(ProgramPathFromOsPath("/x/" + Utf8("\x81\x5C")), "\\x\\\x81\x5C");
}

TEST_F(OsPathTest, SameFileWhateverTheSpelling) {
    struct {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"\\Data\\Sub\\File.TXT", "/data/sub/file.txt", true},
        {"\\Data\\Sub\\File.TXT", "\\Data\\.\\Sub\\..\\Sub\\File.TXT", true},
        {"\\Data\\new.txt", "\\DATA\\NEW.TXT", true}, // neither exists yet
        {"\\Data\\Sub\\File.TXT", "\\Data\\Sub\\Other.txt", false},
        {"\\Data\\a.txt", "\\Data\\b.txt", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsSameProgramPath(Program(c.a), Program(c.b)) != FALSE, c.same)
            << c.a << " vs " << c.b;
    }
}

} // namespace
