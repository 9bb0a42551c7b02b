// Stopping the mail stores at a chosen file write: in a child process that dies there (what a
// kill leaves on the disk), or in this process with the write failing as a full disk would.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include "mail/KovFile.h"
#include "platform/base/Exception.h"

namespace mailtest {

// Writes still let through before the stop, and whether the stop ends the process.
inline int g_writesLeft = 0;
inline bool g_crash = false;

inline void StopAtWrite() {
    if (g_writesLeft-- > 0)
        return;
    if (g_crash)
        _exit(0x5A); // a crash: nothing after this write step runs, no clean-up
    AfxThrowFileException(CFileException::diskFull);
}

// Runs the step in a child process that dies just before its n-th file write. True when the step
// ran to its end (n was past its last write).
inline bool RunInChildStoppedAt(int n, const std::function<void()>& step) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        g_writesLeft = n;
        g_crash = true;
        CKovFile::SetWriteHookForTesting(StopAtWrite);
        step();
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace mailtest
