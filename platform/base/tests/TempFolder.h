// A fresh temporary folder per test and environment variables set for one test only.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include <sys/stat.h>

namespace test_folders {

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quillmar-XXXXXX").string();
        if (char* made = mkdtemp(pattern.data()))
            m_path = made;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::string str() const { return m_path.string(); }

private:
    std::filesystem::path m_path;
};

// Sets (or, with a null value, removes) an environment variable and restores it on destruction.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ScopedEnv(const char* name, const std::string& value) : ScopedEnv(name, value.c_str()) {}
    ~ScopedEnv() {
        if (m_old)
            setenv(m_name.c_str(), m_old->c_str(), 1);
        else
            unsetenv(m_name.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// Sets the process's file-creation mask for one test and restores it on destruction.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : m_old(::umask(mask)) {}
    ~ScopedUmask() { ::umask(m_old); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t m_old;
};

// The permission bits of a file or folder (of a link itself with `ofLink`); -1 when it is missing.
inline int ModeOf(const std::filesystem::path& p, bool ofLink = false) {
    struct stat st;
    return (ofLink ? ::lstat(p.c_str(), &st) : ::stat(p.c_str(), &st)) == 0
               ? static_cast<int>(st.st_mode & 07777)
               : -1;
}

} // namespace test_folders
