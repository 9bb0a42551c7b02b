#include <gtest/gtest.h>

#include <string>

#include "platform/base/ModuleDir.h"
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

} // namespace
