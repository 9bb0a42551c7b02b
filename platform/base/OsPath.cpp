#include "platform/base/OsPath.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "platform/base/Gbk.h"

namespace {

bool EqualsNoCaseAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') {
            x += 'a' - 'A';
        }
        if (y >= 'A' && y <= 'Z') {
            y += 'a' - 'A';
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

struct SplitPath {
    bool absolute = false;
    bool trailingSeparator = false;
    std::vector<std::string> parts; // UTF-8, empty components dropped
};

SplitPath Split(const char* path) {
    SplitPath out;
    size_t len = std::strlen(path);
    out.absolute = len > 0 && (path[0] == '\\' || path[0] == '/');
    size_t start = 0;
    for (size_t i = 0; i < len;) {
        int n = GbkCharSize(path + i, len - i);
        if (n == 1 && (path[i] == '\\' || path[i] == '/')) {
            if (i > start) {
                out.parts.push_back(GbkToUtf8(path + start, i - start));
            }
            start = i + 1;
        }
        i += n;
    }
    if (len > start) {
        out.parts.push_back(GbkToUtf8(path + start, len - start));
    } else if (len > 0 && !out.parts.empty()) {
        out.trailingSeparator = true;
    }
    return out;
}

std::string Join(const std::string& dir, const std::string& name) {
    if (dir.empty()) {
        return name;
    }
    if (dir.back() == '/') {
        return dir + name;
    }
    return dir + "/" + name;
}

bool Exists(const std::string& p) {
    struct stat st;
    return lstat(p.c_str(), &st) == 0;
}

// The entry of dir whose name matches name without regard to ASCII case; the first in byte order
// when several do, so the choice does not depend on the order of the directory listing.
bool FindNoCase(const std::string& dir, const std::string& name, std::string& found) {
    DIR* d = opendir(dir.empty() ? "." : dir.c_str());
    if (d == nullptr) {
        return false;
    }
    bool any = false;
    while (dirent* e = readdir(d)) {
        if (EqualsNoCaseAscii(e->d_name, name) && (!any || found.compare(e->d_name) > 0)) {
            found = e->d_name;
            any = true;
        }
    }
    closedir(d);
    return any;
}

// Makes a path absolute and removes ".", ".." and repeated separators, without asking the disk.
std::string Normalize(const std::string& osPath) {
    std::string full = osPath;
    if (full.empty() || full[0] != '/') {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd) != nullptr) {
            full = Join(cwd, full);
        }
    }
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t i = 0; i <= full.size(); ++i) {
        if (i < full.size() && full[i] != '/') {
            continue;
        }
        std::string part = full.substr(start, i - start);
        start = i + 1;
        if (part.empty() || part == ".") {
            continue;
        }
        if (part == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
            continue;
        }
        parts.push_back(part);
    }
    std::string out;
    for (const std::string& p : parts) {
        out += "/" + p;
    }
    return out.empty() ? "/" : out;
}

} // namespace

int FindLastPathSeparator(const char* path) {
    int last = -1;
    size_t len = std::strlen(path);
    for (size_t i = 0; i < len;) {
        if (path[i] == '\\' || path[i] == '/') {
            last = static_cast<int>(i);
        }
        i += GbkCharSize(path + i, len - i);
    }
    return last;
}

std::string OsPathFromProgramPath(const char* path) {
    if (path == nullptr) {
        return std::string();
    }
    SplitPath split = Split(path);
    std::string out = split.absolute ? "/" : "";
    bool resolving = true;
    for (const std::string& part : split.parts) {
        std::string candidate = Join(out, part);
        if (resolving && part != "." && part != ".." && !Exists(candidate)) {
            std::string found;
            if (FindNoCase(out, part, found)) {
                candidate = Join(out, found);
            } else {
                // Nothing below a missing component can exist either.
                resolving = false;
            }
        }
        out = candidate;
    }
    if (split.trailingSeparator && !out.empty() && out.back() != '/') {
        out += '/';
    }
    return out;
}

CString DisplayPathFromProgramPath(const char* path) {
    return Utf8ToGbk(OsPathFromProgramPath(path));
}

CString ProgramPathFromOsPath(std::string_view osPath) {
    CString out = Utf8ToGbk(osPath);
    out.Replace('/', '\\');
    return out;
}

BOOL IsSameProgramPath(const char* a, const char* b) {
    std::string pa = OsPathFromProgramPath(a);
    std::string pb = OsPathFromProgramPath(b);
    struct stat sa, sb;
    bool ea = stat(pa.c_str(), &sa) == 0;
    bool eb = stat(pb.c_str(), &sb) == 0;
    if (ea && eb) {
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    }
    if (ea != eb) {
        return FALSE;
    }
    return EqualsNoCaseAscii(Normalize(pa), Normalize(pb));
}
