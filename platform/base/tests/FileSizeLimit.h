// A full disk for one process: files limited in size, so that writing past the limit fails.
#pragma once

#include <sys/resource.h>

#include <csignal>

namespace test_folders {

// Runs the action with files limited to the size for this process alone, so that writing beyond
// it fails as on a full disk; the limit is lifted afterwards.
template <class Action> auto WithFileSizeLimit(rlim_t bytes, Action action) {
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &small);
    auto result = action();
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    return result;
}

} // namespace test_folders
