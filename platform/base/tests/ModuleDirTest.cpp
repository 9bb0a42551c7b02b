#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/base/ModuleDir.h"
#include "platform/base/tests/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using test_folders::ScopedEnv;
using test_folders::TempDir;

void WriteFile(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(ProgramFolderTest, FollowsOwnVariableThenXdgThenHome) {
    TempDir tmp;
    struct Case {
        const char* own;
        const char* xdg;
        const char* expected; // relative to tmp
    } cases[] = {
        {"own", "xdg", "own"},
        {nullptr, "xdg", "xdg/Quillmar"},
        {nullptr, nullptr, "home/.local/share/Quillmar"},
    };
    for (const Case& c : cases) {
        std::string own = c.own ? (tmp.path() / c.own).string() : "";
        std::string xdg = c.xdg ? (tmp.path() / c.xdg).string() : "";
        ScopedEnv e1("QUILLMAR_HOME", c.own ? own.c_str() : nullptr);
        ScopedEnv e2("XDG_DATA_HOME", c.xdg ? xdg.c_str() : nullptr);
        ScopedEnv e3("HOME", (tmp.path() / "home").string());
        fs::path folder = GetProgramFolderPath();
        EXPECT_EQ(tmp.path() / c.expected, folder);
        EXPECT_TRUE(fs::is_directory(folder)) << "created on first use";
    }
}

TEST(ProgramFolderTest, ConfigFolderFollowsItsOwnVariables) {
    TempDir tmp;
    ScopedEnv e1("QUILLMAR_CONFIG", nullptr);
    ScopedEnv e2("XDG_CONFIG_HOME", nullptr);
    ScopedEnv e3("HOME", tmp.str());
    EXPECT_EQ(tmp.path() / ".config" / "Quillmar", GetConfigFolderPath());
    ScopedEnv e4("QUILLMAR_CONFIG", (tmp.path() / "cfg").string());
    EXPECT_EQ(tmp.path() / "cfg", GetConfigFolderPath());
}

TEST(ProgramFolderTest, ModuleDirectoryIsAProgramPathWithoutTrailingSeparator) {
    TempDir tmp;
    // The environment holds an operating-system path (UTF-8); the program sees GBK.
    ScopedEnv home("QUILLMAR_HOME", tmp.str() + reinterpret_cast<const char*>(u8"/数据"));
    CString dir = GetModuleDirectory();
    std::string expected = tmp.str() + "/数据"; // GBK bytes of the literal
    for (char& ch : expected)
        if (ch == '/')
            ch = '\\';
    EXPECT_STREQ(expected.c_str(), (const char*)dir);

    char buf[1024];
    DWORD n = GetModuleFileName(nullptr, buf, sizeof buf);
    ASSERT_GT(n, (DWORD)dir.GetLength() + 1);
    EXPECT_EQ(0, std::string(buf).rfind(expected + "\\", 0)) << buf;
    EXPECT_EQ(std::string::npos, std::string(buf + dir.GetLength() + 1).find('\\'));
    // A short buffer gets a terminated prefix, never a split double-byte character.
    DWORD cut = GetModuleFileName(nullptr, buf, (DWORD)expected.size());
    EXPECT_EQ(expected.size() - 2, cut); // the last character is two bytes and does not fit
    EXPECT_EQ(expected.substr(0, cut), std::string(buf));
}

TEST(SeedProgramFolderTest, CopiesMissingFilesAndKeepsTheUsers) {
    TempDir tmp;
    fs::path shipped = tmp.path() / "shipped";
    fs::path home = tmp.path() / "home";
    ScopedEnv env("QUILLMAR_HOME", home.string());
    WriteFile(shipped / "face" / "1-1.bmp", "shipped face");
    WriteFile(shipped / "Calendar" / "Festivals" / "节日.txt", "festivals");
    WriteFile(shipped / "Profiles" / "Certificates.inf", "shipped list");
    fs::create_directories(shipped / "Sms");
    WriteFile(home / "Profiles" / "Certificates.inf", "user's own list");

    EXPECT_EQ(2, SeedProgramFolder(shipped));
    EXPECT_EQ("shipped face", ReadFile(home / "face" / "1-1.bmp"));
    EXPECT_EQ("festivals", ReadFile(home / "Calendar" / "Festivals" / "节日.txt"));
    EXPECT_EQ("user's own list", ReadFile(home / "Profiles" / "Certificates.inf"));
    EXPECT_TRUE(fs::is_directory(home / "Sms"));

    // A second start copies nothing and keeps the user's edits of seeded files.
    WriteFile(home / "face" / "1-1.bmp", "user's face");
    EXPECT_EQ(0, SeedProgramFolder(shipped));
    EXPECT_EQ("user's face", ReadFile(home / "face" / "1-1.bmp"));
    // A deleted file comes back; no temporary copies are left behind.
    fs::remove(home / "face" / "1-1.bmp");
    EXPECT_EQ(1, SeedProgramFolder(shipped));
    for (auto& e : fs::recursive_directory_iterator(home))
        EXPECT_EQ(std::string::npos, e.path().string().find(".seeding")) << e.path();
}

// Under the usual umask the program's folders are the user's alone, and so are the files a
// first start seeds into them.
TEST(SeedProgramFolderTest, AFirstStartMakesPrivateFoldersAndFiles) {
    test_folders::ScopedUmask mask(022);
    TempDir tmp;
    fs::path shipped = tmp.path() / "shipped";
    WriteFile(shipped / "Profiles" / "Certificates.inf", "list");
    fs::create_directories(shipped / "Sms");
    fs::path home = tmp.path() / "data" / "home", config = tmp.path() / "config";
    ScopedEnv homeEnv("QUILLMAR_HOME", home.string());
    ScopedEnv configEnv("QUILLMAR_CONFIG", config.string());

    EXPECT_EQ(home, GetProgramFolderPath());
    EXPECT_EQ(config, GetConfigFolderPath());
    EXPECT_EQ(1, SeedProgramFolder(shipped));
    for (const fs::path& p : {tmp.path() / "data", home, config, home / "Profiles", home / "Sms"})
        EXPECT_EQ(0700, test_folders::ModeOf(p)) << p;
    EXPECT_EQ(0600, test_folders::ModeOf(home / "Profiles" / "Certificates.inf"));
}

TEST(SeedProgramFolderTest, MissingShippedFolderCopiesNothing) {
    TempDir tmp;
    ScopedEnv env("QUILLMAR_HOME", (tmp.path() / "home").string());
    EXPECT_EQ(0, SeedProgramFolder(tmp.path() / "absent"));
    EXPECT_EQ(0, SeedProgramFolder(fs::path()));
}

} // namespace
