#include "platform/base/ModuleDir.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

#include <cerrno>

#include <dlfcn.h>
#include <link.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/base/Gbk.h"
#include "platform/base/OsPath.h"

namespace fs = std::filesystem;

namespace {

const char* EnvValue(const char* name) {
    const char* v = std::getenv(name);
    return v && *v ? v : nullptr;
}

fs::path HomeFolder() {
    if (const char* home = EnvValue("HOME"))
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()))
        return pw->pw_dir;
    return fs::temp_directory_path();
}

// The folder named by `own`, else <$xdg or ~/fallback>/Quillmar; created when missing.
fs::path UserFolder(const char* own, const char* xdg, const char* fallback) {
    fs::path folder;
    if (const char* v = EnvValue(own))
        folder = v;
    else if (const char* base = EnvValue(xdg))
        folder = fs::path(base) / "Quillmar";
    else
        folder = HomeFolder() / fallback / "Quillmar";
    CreatePrivateFolders(folder);
    return folder;
}

fs::path ExecutablePath() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : exe;
}

// The file a loaded library was mapped from; empty when the handle is not a library's.
fs::path LibraryPath(HMODULE hModule) {
    link_map* map = nullptr;
    if (::dlinfo(hModule, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name)
        return fs::path();
    return map->l_name;
}

// Copies through a temporary name and links it into place, so an interrupted copy never leaves a
// half file that would afterwards count as the user's own and never be replaced.
bool CopyWithoutReplacing(const fs::path& from, const fs::path& to) {
    fs::path temp = to;
    temp += ".seeding";
    std::error_code ec;
    fs::remove(temp, ec);
    if (!fs::copy_file(from, temp, fs::copy_options::overwrite_existing, ec))
        return false;
    // Once in the program folder the copy is the user's own file, like those the program writes.
    fs::permissions(temp, fs::perms::owner_read | fs::perms::owner_write, ec);
    bool linked = ::link(temp.c_str(), to.c_str()) == 0;
    fs::remove(temp, ec);
    return linked;
}

} // namespace

bool CreatePrivateFolders(const fs::path& folder) {
    if (folder.empty())
        return false;
    std::error_code ec;
    if (fs::is_directory(folder, ec))
        return true;
    fs::path parent = folder.parent_path();
    if (!parent.empty() && parent != folder && !CreatePrivateFolders(parent))
        return false;
    // The umask may only take bits away from 0700, never add them.
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    return fs::is_directory(folder, ec);
}

fs::path GetProgramFolderPath() {
    return UserFolder("QUILLMAR_HOME", "XDG_DATA_HOME", ".local/share");
}

fs::path GetConfigFolderPath() {
    return UserFolder("QUILLMAR_CONFIG", "XDG_CONFIG_HOME", ".config");
}

fs::path GetShippedDataFolderPath() {
    std::error_code ec;
    fs::path exe = ExecutablePath();
    if (!exe.empty()) {
        fs::path installed = exe.parent_path().parent_path() / "share" / "quillmar";
        if (fs::is_directory(installed, ec))
            return installed;
    }
#ifdef QUILLMAR_SOURCE_DIR
    fs::path source = fs::path(QUILLMAR_SOURCE_DIR) / "res" / "app";
    if (fs::is_directory(source, ec))
        return source;
#endif
    return fs::path();
}

int SeedProgramFolder(const fs::path& shippedDir) {
    std::error_code ec;
    if (shippedDir.empty() || !fs::is_directory(shippedDir, ec))
        return 0;
    fs::path target = GetProgramFolderPath();
    int copied = 0;
    fs::recursive_directory_iterator it(shippedDir, fs::directory_options::skip_permission_denied,
                                        ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const fs::directory_entry& entry = *it;
        fs::path dest = target / fs::relative(entry.path(), shippedDir, ec);
        if (ec)
            break;
        std::error_code statEc;
        if (entry.is_directory(statEc)) {
            CreatePrivateFolders(dest);
        } else if (entry.is_regular_file(statEc) && !fs::exists(fs::symlink_status(dest, statEc))) {
            CreatePrivateFolders(dest.parent_path());
            if (CopyWithoutReplacing(entry.path(), dest))
                ++copied;
        }
    }
    return copied;
}

CString GetModuleDirectory(HMODULE hModule) {
    fs::path folder = hModule ? LibraryPath(hModule).parent_path() : GetProgramFolderPath();
    if (folder.empty())
        return CString();
    return ProgramPathFromOsPath(folder.string());
}

DWORD GetModuleFileName(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    if (!lpFilename || nSize == 0)
        return 0;
    CString path;
    if (hModule) {
        fs::path lib = LibraryPath(hModule);
        if (!lib.empty())
            path = ProgramPathFromOsPath(lib.string());
    } else {
        fs::path exe = ExecutablePath();
        path = GetModuleDirectory() + "\\" +
               Utf8ToGbk(exe.empty() ? "quillmar" : exe.filename().string());
    }
    if (path.IsEmpty()) {
        lpFilename[0] = 0;
        return 0;
    }
    size_t n = GbkFitLength(path, path.GetLength(), nSize - 1);
    std::memcpy(lpFilename, (const char*)path, n);
    lpFilename[n] = 0;
    return (DWORD)n;
}
