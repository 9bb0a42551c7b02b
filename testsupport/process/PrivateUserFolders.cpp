// Linked into every test program and every benchmark: before any test runs, the program's
// settings folder, its user folder, the desktop's settings folder (XDG_CONFIG_HOME, where Qt
// keeps its own) and the runtime folder (XDG_RUNTIME_DIR: the single-instance channel, named
// mutexes, Qt's own sockets) point into a fresh temporary folder of this process, so tests and
// benchmarks never read or write the settings of the person running them, programs running side
// by side never share (and race on) one settings file, and the suite behaves the same whether
// or not the caller's session has a runtime folder. A test that sets these variables itself
// still wins for as long as it holds them. The folder is removed when the process that made it
// ends.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace {

class PrivateUserFolders {
public:
    PrivateUserFolders() {
        // A test program started by a test (a second instance, a child) inherits its folders,
        // the runtime folder or its absence included.
        if (std::getenv("QUILLMAR_CONFIG") && std::getenv("QUILLMAR_HOME"))
            return;
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/quillmar-test-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            return;
        m_root = pattern;
        m_owner = ::getpid();
        std::error_code ec;
        for (const char* name : {"config", "home", "runtime", "xdg-config"})
            std::filesystem::create_directories(m_root / name, ec);
        ::setenv("QUILLMAR_CONFIG", (m_root / "config").c_str(), 0);
        ::setenv("QUILLMAR_HOME", (m_root / "home").c_str(), 0);
        // Qt keeps its own settings there (the file dialog's folders, history and column
        // widths): the caller's are neither read nor written.
        ::setenv("XDG_CONFIG_HOME", (m_root / "xdg-config").c_str(), 1);
        // The caller's own runtime folder (a desktop session's) is never used, and its absence
        // (a plain shell, a CI runner) changes nothing: the folder is private, as a session's is.
        std::filesystem::permissions(m_root / "runtime", std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, ec);
        ::setenv("XDG_RUNTIME_DIR", (m_root / "runtime").c_str(), 1);
    }
    ~PrivateUserFolders() {
        // A child made by fork() that ends through exit() must not take its parent's folder.
        if (m_root.empty() || ::getpid() != m_owner)
            return;
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }

private:
    std::filesystem::path m_root;
    pid_t m_owner = 0;
};

PrivateUserFolders g_folders;

} // namespace
