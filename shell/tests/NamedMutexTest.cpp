#include "platform/base/tests/ChildProcess.h"
#include "platform/base/tests/TempFolder.h"
#include "shell/NamedMutex.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <string>

namespace {

const char* const kName = "0F6B2C1D-9A3E-4B7F-8C5D-1E2A3B4C5D6E";
const int kSawTaken = 20;
const int kSawFree = 21;

// What a second copy of the program finds.
TEST(NamedMutexChild, Probe) {
    if (!child_process::Role())
        GTEST_SKIP() << "runs only as a child process";
    CNamedMutex mutex(kName);
    std::_Exit(mutex.Create() ? kSawFree : kSawTaken);
}

// A first copy that keeps running until it is killed.
TEST(NamedMutexChild, HoldUntilKilled) {
    if (!child_process::Role())
        GTEST_SKIP() << "runs only as a child process";
    CNamedMutex mutex(kName);
    std::printf(mutex.Create() ? "\nheld\n" : "\nrefused\n");
    std::fflush(stdout);
    for (;;)
        pause();
}

class NamedMutexTest : public ::testing::Test {
protected:
    test_folders::TempDir runtime;
    test_folders::ScopedEnv env{"XDG_RUNTIME_DIR", runtime.str()};

    static int Probe() { return child_process::Run("NamedMutexChild.Probe", "probe"); }
};

TEST_F(NamedMutexTest, OnlyTheFirstHolderGetsTheNameUntilItGoes) {
    {
        CNamedMutex first(kName);
        EXPECT_TRUE(first.Create());
        EXPECT_EQ(Probe(), kSawTaken);
        CNamedMutex second(kName); // a second holder in this process
        EXPECT_FALSE(second.Create());
    }
    EXPECT_EQ(Probe(), kSawFree) << "the name is free once its holders are gone";
    CNamedMutex again(kName);
    EXPECT_TRUE(again.Create());
}

TEST_F(NamedMutexTest, AKilledHolderLeavesTheNameFree) {
    std::string out;
    pid_t holder = child_process::StartAndReadUntil("NamedMutexChild.HoldUntilKilled", "hold",
                                                    {"\nheld\n", "refused"}, out);
    ASSERT_GT(holder, 0);
    ASSERT_NE(out.find("\nheld\n"), std::string::npos) << out;
    {
        CNamedMutex mine(kName);
        EXPECT_FALSE(mine.Create()) << "another process holds it";
    }
    kill(holder, SIGKILL);
    EXPECT_EQ(child_process::Wait(holder), -1);
    CNamedMutex mine(kName);
    EXPECT_TRUE(mine.Create());
}

} // namespace
