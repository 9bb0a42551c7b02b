// Plug-in libraries: a library built with the tests, loaded by its path.
#include <gtest/gtest.h>

#include "core/Dll.h"
#include "platform/base/OsPath.h"

namespace {

using AddProc = int (*)(int, int);

// The plug-in's path as the program names paths: `\` separators.
CString PluginPath() {
    return ProgramPathFromOsPath(CORE_TEST_PLUGIN_PATH);
}

} // namespace

TEST(Dll, LoadsByPathAndFindsExports) {
    CDll dll;
    ASSERT_TRUE(dll.Load(PluginPath()));
    EXPECT_TRUE(dll.IsLoaded());
    EXPECT_STREQ(dll.GetPath(), PluginPath());

    auto add = reinterpret_cast<AddProc>(dll.GetProc("PluginAdd"));
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add(2, 3), 5);
    EXPECT_EQ(dll.GetProc("NoSuchExport"), nullptr);
    EXPECT_EQ(dll.GetProc(nullptr), nullptr);

    // A second load while loaded is refused and keeps the path.
    EXPECT_FALSE(dll.Load("\\elsewhere\\other.so"));
    EXPECT_STREQ(dll.GetPath(), PluginPath());

    EXPECT_TRUE(dll.Free());
    EXPECT_FALSE(dll.IsLoaded());
    EXPECT_EQ(dll.GetProc("PluginAdd"), nullptr);
    EXPECT_TRUE(dll.Free()); // nothing loaded: nothing to do

    // The stored path serves a load without one.
    EXPECT_TRUE(dll.Load());
    EXPECT_NE(dll.GetProc("PluginAdd"), nullptr);
}

TEST(Dll, MissingLibraryLeavesNothingLoaded) {
    CDll dll(PluginPath());
    EXPECT_FALSE(dll.Load("\\no\\such\\folder\\plugin.so"));
    EXPECT_FALSE(dll.IsLoaded());
    EXPECT_EQ(dll.GetHandle(), nullptr);
    EXPECT_STREQ(dll.GetPath(), "\\no\\such\\folder\\plugin.so");
    EXPECT_EQ(dll.GetProc("PluginAdd"), nullptr);

    CDll unnamed;
    EXPECT_FALSE(unnamed.Load());
}
