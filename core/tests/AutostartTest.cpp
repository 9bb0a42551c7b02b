// Start with the desktop session: the autostart entry is written, read back and removed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/Autostart.h"
#include "platform/base/tests/TempFolder.h"

namespace fs = std::filesystem;
using test_folders::ScopedEnv;
using test_folders::TempDir;

namespace {

std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class Autostart : public testing::Test {
protected:
    TempDir m_tmp;
    ScopedEnv m_config{"XDG_CONFIG_HOME", m_tmp.str()};
    fs::path Entry(const char* name = "Quillmar") const {
        return m_tmp.path() / "autostart" / (std::string(name) + ".desktop");
    }
};

} // namespace

TEST_F(Autostart, SetWritesAnEntryAndUnsetRemovesIt) {
    EXPECT_FALSE(GetRunAtStartup("Quillmar"));
    ASSERT_TRUE(SetRunAtStartup("Quillmar", "/opt/quillmar/bin/quillmar", TRUE));
    const std::string text = ReadText(Entry());
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u) << text;
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nExec=/opt/quillmar/bin/quillmar\n"), std::string::npos) << text;
    EXPECT_FALSE(fs::exists(Entry().string() + ".tmp"));

    CString command;
    EXPECT_TRUE(GetRunAtStartup("Quillmar", &command));
    EXPECT_STREQ(command, "/opt/quillmar/bin/quillmar");

    EXPECT_TRUE(SetRunAtStartup("Quillmar", nullptr, FALSE));
    EXPECT_FALSE(fs::exists(Entry()));
    EXPECT_FALSE(GetRunAtStartup("Quillmar"));
    EXPECT_TRUE(SetRunAtStartup("Quillmar", nullptr, FALSE)); // already gone
}

TEST_F(Autostart, CommandsWithDesktopSyntaxRoundTrip) {
    const char* commands[] = {
        "/home/me/My Programs/quillmar",
        "/tmp/a\"b`c$d'e",
        "/tmp/100%/run",
        "/tmp/墨川/quillmar",
        "/tmp/x;rm -rf ~",
    };
    for (const char* cmd : commands) {
        ASSERT_TRUE(SetRunAtStartup("Quillmar", cmd, TRUE)) << cmd;
        CString back;
        EXPECT_TRUE(GetRunAtStartup("Quillmar", &back)) << cmd;
        EXPECT_STREQ(back, cmd);
        // One line per key: nothing the command holds starts a new key.
        const std::string text = ReadText(Entry());
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5) << text;
    }
    // A program path with `\` separators names the same file.
    ASSERT_TRUE(SetRunAtStartup("Quillmar", "\\opt\\q\\quillmar", TRUE));
    CString back;
    GetRunAtStartup("Quillmar", &back);
    EXPECT_STREQ(back, "/opt/q/quillmar");
}

TEST_F(Autostart, WithoutACommandTheProgramItselfRuns) {
    ASSERT_TRUE(SetRunAtStartup("Quillmar", nullptr, TRUE));
    CString command;
    EXPECT_TRUE(GetRunAtStartup("Quillmar", &command));
    EXPECT_STREQ(command, fs::read_symlink("/proc/self/exe").string().c_str());
}

TEST_F(Autostart, OtherMethodsDoNothing) {
    EXPECT_TRUE(SetRunAtStartup("Quillmar", "/bin/true", TRUE, 2));
    EXPECT_TRUE(SetRunAtStartup("Quillmar", "/bin/true", TRUE, 0));
    EXPECT_FALSE(fs::exists(m_tmp.path() / "autostart"));
}

TEST_F(Autostart, RefusesNamesThatLeaveTheFolderAndUnwritableFolders) {
    for (const char* name : {"", "..", "a/b", "..\\x", "a:b"}) {
        EXPECT_FALSE(SetRunAtStartup(name, "/bin/true", TRUE)) << name;
        EXPECT_FALSE(GetRunAtStartup(name)) << name;
    }
    EXPECT_FALSE(fs::exists(m_tmp.path() / "autostart"));

    std::ofstream(m_tmp.path() / "autostart") << "a file where the folder should be";
    EXPECT_FALSE(SetRunAtStartup("Quillmar", "/bin/true", TRUE));
}

TEST_F(Autostart, HiddenOrForeignEntriesDoNotCount) {
    fs::create_directories(Entry().parent_path());
    std::ofstream(Entry()) << "[Desktop Entry]\nType=Application\nExec=/bin/q\nHidden=true\n";
    EXPECT_FALSE(GetRunAtStartup("Quillmar"));
    std::ofstream(Entry()) << "[Other Group]\nExec=/bin/q\n";
    EXPECT_FALSE(GetRunAtStartup("Quillmar"));
    std::ofstream(Entry()) << "[Desktop Entry]\r\nExec=\"/bin/my q\" --tray\r\n";
    CString command;
    EXPECT_TRUE(GetRunAtStartup("Quillmar", &command));
    EXPECT_STREQ(command, "/bin/my q");
}

// The desktop's files are the user's too (the list of default programs holds every program's
// choices): one kept elsewhere and linked into place stays linked, its target gets the new text.
TEST_F(Autostart, ADesktopFileKeptAsALinkStaysALinkAndItsTargetIsReplaced) {
    const fs::path kept = m_tmp.path() / "dotfiles" / "mimeapps.list";
    fs::create_directory(kept.parent_path());
    std::ofstream(kept, std::ios::binary) << "[Default Applications]\ntext/plain=editor.desktop\n";
    const fs::path place = m_tmp.path() / "mimeapps.list";
    fs::create_symlink(kept, place);

    const std::string text = "[Default Applications]\ntext/plain=other.desktop\n";
    ASSERT_TRUE(WriteDesktopFile(place, text));
    EXPECT_TRUE(fs::is_symlink(place));
    EXPECT_EQ(ReadText(kept), text);
    EXPECT_EQ(1, (int)std::distance(fs::directory_iterator(kept.parent_path()),
                                    fs::directory_iterator()));
    EXPECT_EQ(2,
              (int)std::distance(fs::directory_iterator(m_tmp.path()), fs::directory_iterator()));
}
