// Runs one test of this same test program in a fresh child process, for behaviour that only shows
// across processes (a file read back after a restart, a lock held by another process).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace child_process {

// Set in the child's environment; a child-only test skips itself when it is absent.
inline const char* const kRoleVariable = "QUILLMAR_TEST_CHILD_ROLE";

inline const char* Role() {
    return std::getenv(kRoleVariable);
}

// Starts the test `testName` (Suite.Name) with the role in its environment; the child inherits the
// rest of this process's environment. Returns the child's pid, or -1.
inline pid_t Start(const std::string& testName, const std::string& role, int stdoutFd = -1) {
    std::string filter = "--gtest_filter=" + testName;
    std::string exe = "/proc/self/exe";
    std::vector<char*> argv = {exe.data(), filter.data(), nullptr};
    std::vector<std::string> envStore;
    // The child runs exactly the one test it is named: the role is replaced, and the test runner
    // may have split this program into shards, which would filter the named test away.
    auto inherited = [](const std::string& entry) {
        for (const char* name : {kRoleVariable, "GTEST_TOTAL_SHARDS", "GTEST_SHARD_INDEX"})
            if (entry.rfind(std::string(name) + "=", 0) == 0)
                return false;
        return true;
    };
    for (char** e = environ; *e; ++e)
        if (inherited(*e))
            envStore.push_back(*e);
    envStore.push_back(std::string(kRoleVariable) + "=" + role);
    std::vector<char*> envp;
    for (auto& s : envStore)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
    pid_t pid = -1;
    int rc = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

// Exit status of the child (0 = its test passed), or -1 when it did not exit normally.
inline int Wait(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// Starts the test with its output on a pipe and reads that output until it holds one of the words
// or the child closes it; `out` receives what was read. Returns the child's pid, or -1.
inline pid_t StartAndReadUntil(const std::string& testName, const std::string& role,
                               const std::vector<std::string>& words, std::string& out) {
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    pid_t pid = Start(testName, role, fds[1]);
    close(fds[1]);
    auto found = [&] {
        for (const std::string& w : words)
            if (out.find(w) != std::string::npos)
                return true;
        return false;
    };
    char buf[256];
    ssize_t n;
    while (pid > 0 && !found() && (n = read(fds[0], buf, sizeof buf)) > 0)
        out.append(buf, (size_t)n);
    close(fds[0]);
    return pid;
}

inline int Run(const std::string& testName, const std::string& role) {
    pid_t pid = Start(testName, role);
    return pid < 0 ? -1 : Wait(pid);
}

} // namespace child_process
