#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <unistd.h>

#include "platform/base/ModuleDir.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/base/Sync.h"
#include "platform/sys/DynLib.h"

namespace {

typedef int (*GetGatewayListFn)(char*, int);

// The program writes library paths with backslashes.
std::string ProgramStyle(std::string path) {
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

TEST(DynLibTest, LoadsAPluginAndCallsItsExport) {
    HMODULE lib = LoadLibrary(ProgramStyle(TEST_PLUGIN_PATH).c_str());
    ASSERT_NE(nullptr, lib) << TEST_PLUGIN_PATH;
    auto fn = reinterpret_cast<GetGatewayListFn>(GetProcAddress(lib, "GetGatewayList"));
    ASSERT_NE(nullptr, fn);
    char buf[1024];
    EXPECT_EQ(2, fn(buf, sizeof buf));
    EXPECT_STREQ("alpha\nbeta", buf);

    EXPECT_EQ(nullptr, GetProcAddress(lib, "NoSuchExport"));
    EXPECT_EQ((DWORD)ERROR_PROC_NOT_FOUND, GetLastError());

    std::string folder = TEST_PLUGIN_PATH;
    folder.erase(folder.rfind('/'));
    EXPECT_STREQ(ProgramStyle(folder).c_str(), (const char*)GetModuleDirectory(lib));
    EXPECT_TRUE(FreeLibrary(lib));
}

TEST(DynLibTest, MissingOrBrokenLibraryGivesNull) {
    const char* bad[] = {"\\nonexistent\\gateway.dll", "", "not-a-library-here.so"};
    for (const char* path : bad) {
        SetLastError(0);
        EXPECT_EQ(nullptr, LoadLibrary(path)) << path;
        EXPECT_NE(0u, GetLastError()) << path;
    }
    EXPECT_EQ(nullptr, GetProcAddress(nullptr, "GetGatewayList"));
    EXPECT_FALSE(FreeLibrary(nullptr));
}

// A name without a folder is looked for in the program folder and nowhere else: the current
// folder of a desktop launch is often the home folder or the folder of the file being opened.
TEST(DynLibTest, ABareNameIsLookedForInTheProgramFolderOnly) {
    namespace fs = std::filesystem;
    test_folders::TempDir program, current;
    test_folders::ScopedEnv home("QUILLMAR_HOME", program.str());
    fs::path here = fs::current_path();
    ASSERT_EQ(0, ::chdir(current.path().c_str()));
    struct Back {
        fs::path to;
        ~Back() { std::error_code ec; fs::current_path(to, ec); }
    } back{here};

    fs::copy_file(TEST_PLUGIN_PATH, current.path() / "gateway.so");
    EXPECT_EQ(nullptr, LoadLibrary("gateway.so"));

    fs::copy_file(TEST_PLUGIN_PATH, program.path() / "gateway.so");
    HMODULE lib = LoadLibrary("gateway.so");
    ASSERT_NE(nullptr, lib);
    EXPECT_STREQ(ProgramStyle(program.str()).c_str(), (const char*)GetModuleDirectory(lib));
    EXPECT_TRUE(FreeLibrary(lib));
}

} // namespace
