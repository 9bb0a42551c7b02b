// Every test program runs in folders of its own, whatever the caller's environment holds: the
// settings, the user folder and the runtime folder all lie in one fresh temporary folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(PrivateFoldersTest, SettingsDataAndRuntimeFoldersAreTheProgramsOwn) {
    const char* names[] = {"QUILLMAR_CONFIG", "QUILLMAR_HOME", "XDG_RUNTIME_DIR"};
    fs::path root;
    for (const char* name : names) {
        const char* value = std::getenv(name);
        ASSERT_TRUE(value && *value) << name;
        fs::path parent = fs::path(value).parent_path();
        if (root.empty())
            root = parent;
        EXPECT_EQ(parent, root) << name << " lies beside the others";
    }
    EXPECT_NE(root.filename().string().find("quillmar-test-"), std::string::npos) << root;
    struct stat st {};
    ASSERT_EQ(::lstat(std::getenv("XDG_RUNTIME_DIR"), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_uid, ::getuid());
    EXPECT_EQ(st.st_mode & 0777, 0700u) << "a runtime folder is private, as a session's is";
}
