#include "core/FileUtil.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/base/Exception.h"
#include "platform/base/File.h"
#include "platform/base/ModuleDir.h"
#include "platform/base/Gbk.h"
#include "platform/base/OsPath.h"

namespace fs = std::filesystem;

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// Byte length of the character at p (n bytes left): a GBK pair counts as one character, so its
// second byte is never taken for a separator or a forbidden character.
int CharLength(const char* p, size_t n) {
    return GbkCharSize(p, n);
}

// The components of a path, split at single-byte separators; empty components are dropped.
std::vector<CString> SplitComponents(const CString& path) {
    std::vector<CString> parts;
    const char* p = path;
    const int len = path.GetLength();
    int start = 0;
    for (int i = 0; i < len;) {
        const int size = CharLength(p + i, static_cast<size_t>(len - i));
        if (size == 1 && IsSeparator(p[i])) {
            if (i > start)
                parts.emplace_back(p + start, i - start);
            start = i + 1;
        }
        i += size;
    }
    if (len > start)
        parts.emplace_back(p + start, len - start);
    return parts;
}

bool StartsWithSeparator(LPCTSTR path) {
    return path != nullptr && IsSeparator(path[0]);
}

fs::path OsPath(LPCTSTR programPath) {
    return fs::path(OsPathFromProgramPath(programPath ? programPath : ""));
}

// The path without separators at its end (a root becomes empty).
CString WithoutTrailingSeparators(LPCTSTR path) {
    CString s(path ? path : "");
    const char* p = s;
    const int len = s.GetLength();
    int keep = 0; // length up to the end of the last character that is not a separator
    for (int i = 0; i < len;) {
        const int size = CharLength(p + i, static_cast<size_t>(len - i));
        if (size != 1 || !IsSeparator(p[i]))
            keep = i + size;
        i += size;
    }
    return s.Left(keep);
}

bool Exists(const fs::path& p) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(p, ec));
}

bool IsRealDirectory(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(fs::symlink_status(p, ec));
}

bool DeleteDirectoryAt(const fs::path& dir);

bool DeleteContentsAt(const fs::path& dir) {
    std::error_code ec;
    std::vector<fs::path> entries;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(it->path());
    if (ec)
        return ec == std::errc::no_such_file_or_directory;

    bool allFoldersGone = true;
    for (const fs::path& entry : entries) {
        if (IsRealDirectory(entry)) {
            if (!DeleteDirectoryAt(entry))
                allFoldersGone = false;
        } else {
            std::error_code ignored; // a file that stays is not the caller's concern here
            fs::remove(entry, ignored);
        }
    }
    return allFoldersGone;
}

bool DeleteDirectoryAt(const fs::path& dir) {
    if (!IsRealDirectory(dir))
        return false;
    DeleteContentsAt(dir);
    std::error_code ec;
    fs::remove(dir, ec);
    return !ec && !Exists(dir);
}

} // namespace

CString GetModuleFilePath(HMODULE hModule) {
    char buf[261] = {};
    const DWORD n = GetModuleFileName(hModule, buf, sizeof buf);
    return CString(buf, static_cast<int>(n));
}

CString GetAppFilePath(LPCTSTR name) {
    CString path;
    CombinePath(GetModuleDirectory(), name, path);
    return path;
}

CString CanonicalizePath(LPCTSTR path) {
    const bool absolute = StartsWithSeparator(path);
    std::vector<CString> kept;
    for (const CString& part : SplitComponents(CString(path ? path : ""))) {
        if (part == ".")
            continue;
        if (part == "..") {
            if (!kept.empty() && kept.back() != "..")
                kept.pop_back();
            else if (!absolute)
                kept.push_back(part);
            continue;
        }
        kept.push_back(part);
    }
    CString out = absolute ? "\\" : "";
    for (size_t i = 0; i < kept.size(); ++i) {
        if (i > 0)
            out += '\\';
        out += kept[i];
    }
    return out;
}

void CombinePath(LPCTSTR folder, LPCTSTR name, CString& out) {
    const bool noFolder = folder == nullptr || *folder == '\0';
    const bool noName = name == nullptr || *name == '\0';
    if (noName)
        out = CanonicalizePath(folder);
    else if (noFolder || StartsWithSeparator(name))
        out = CanonicalizePath(name);
    else
        out = CanonicalizePath(CString(folder) + "\\" + name);
}

CString GetSystemDir() {
    return ProgramPathFromOsPath("/usr/lib");
}

CString GetParentDirectory(LPCTSTR path) {
    return CanonicalizePath(CString(path ? path : "") + "\\..");
}

void ReplaceFileName(CString& path, LPCTSTR newName) {
    CString result;
    CombinePath(GetParentDirectory(path), newName, result);
    if (!result.IsEmpty())
        path = result;
}

BOOL RenameFileInPlace(CString& path, LPCTSTR newName) {
    CString newPath = path;
    ReplaceFileName(newPath, newName);
    if (newPath.IsEmpty())
        return FALSE;
    try {
        CFile::Rename(path, newPath);
    } catch (CException* e) {
        e->Delete();
        return FALSE;
    }
    path = newPath;
    return TRUE;
}

void ChangeFileExtension(CString& path, LPCTSTR extension) {
    const int nameStart = FindLastPathSeparator(path) + 1;
    const int dot = path.ReverseFind('.');
    if (dot >= nameStart)
        path = path.Left(dot);
    path += '.';
    path += extension ? extension : "";
}

BOOL ResolveRelativePath(CString& path, LPCTSTR base, BOOL bBaseIsFile) {
    CString folder(base ? base : "");
    if (bBaseIsFile)
        folder = folder.Left(std::max(FindLastPathSeparator(folder), 0));
    CString result;
    CombinePath(folder, path, result);
    if (result.IsEmpty())
        return FALSE;
    path = result;
    return TRUE;
}

namespace {
// The drive of a path ("X:"), empty for none.
CString DriveOf(LPCTSTR path) {
    if (path && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':')
        return CString(path, 2);
    return CString();
}
} // namespace

BOOL IsRelativePath(LPCTSTR path) {
    return !StartsWithSeparator(path) && DriveOf(path).IsEmpty();
}

BOOL MakeRelativePath(CString& path, LPCTSTR base, BOOL bBaseIsFile) {
    if (IsRelativePath(path) || IsRelativePath(base))
        return FALSE;
    const CString drive = DriveOf(path);
    if (drive.CompareNoCase(DriveOf(base)) != 0)
        return FALSE;
    // Past the drive both are rooted paths of one file system.
    std::vector<CString> to =
        SplitComponents(CanonicalizePath(CString(path).Mid(drive.GetLength())));
    std::vector<CString> from =
        SplitComponents(CanonicalizePath(CString(base).Mid(drive.GetLength())));
    if (bBaseIsFile && !from.empty())
        from.pop_back();
    size_t common = 0;
    while (common < to.size() && common < from.size() &&
           to[common].CompareNoCase(from[common]) == 0)
        ++common;
    CString out = common == from.size() ? CString(".") : CString();
    for (size_t i = common; i < from.size(); ++i)
        out += i == common ? ".." : "\\..";
    for (size_t i = common; i < to.size(); ++i)
        out += "\\" + to[i];
    path = out;
    return TRUE;
}

BOOL IsValidFileName(LPCTSTR name) {
    const size_t len = name ? std::strlen(name) : 0;
    for (size_t i = 0; i < len;) {
        const int size = CharLength(name + i, len - i);
        if (size == 1 && std::strchr("\\/:*?\"<>|", name[i]) != nullptr)
            return FALSE;
        i += static_cast<size_t>(size);
    }
    return TRUE;
}

CString RemoveInvalidFileNameChars(LPCTSTR name) {
    CString out;
    const size_t len = name ? std::strlen(name) : 0;
    for (size_t i = 0; i < len;) {
        const int size = CharLength(name + i, len - i);
        if (size != 1 || std::strchr("\\/:*?\"<>|", name[i]) == nullptr)
            out += CString(name + i, size);
        i += static_cast<size_t>(size);
    }
    return out;
}

CString& MakeUniqueFileName(CString& out, LPCTSTR folder, LPCTSTR base, LPCTSTR extension,
                            BOOL bFullPath) {
    CString name, path;
    for (int n = 0;; ++n) {
        if (n == 0)
            name.Format("%s%s", base, extension);
        else
            name.Format("%s%d%s", base, n, extension);
        CombinePath(folder, name, path);
        if (!Exists(OsPath(path)))
            break;
    }
    out = bFullPath ? path : name;
    return out;
}

BOOL SubdirectoryExists(LPCTSTR folder, LPCTSTR name) {
    if (name == nullptr || *name == '\0')
        return FALSE;
    std::error_code ec;
    for (fs::directory_iterator it(OsPath(folder), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError) && Utf8ToGbk(it->path().filename().string()) == name)
            return TRUE;
    }
    return FALSE;
}

BOOL IsDirectoryEmpty(LPCTSTR folder) {
    std::error_code ec;
    fs::directory_iterator it(OsPath(folder), ec);
    return ec || it == fs::directory_iterator();
}

BOOL DeleteDirectoryContents(LPCTSTR folder) {
    return DeleteContentsAt(OsPath(folder));
}

BOOL DeleteDirectory(LPCTSTR folder) {
    return DeleteDirectoryAt(OsPath(WithoutTrailingSeparators(folder)));
}

BOOL CreateDirectoryPath(LPCTSTR folder, int nDepth) {
    const CString path = WithoutTrailingSeparators(folder);
    if (path.IsEmpty() || nDepth <= 0)
        return FALSE;
    std::error_code ec;
    if (fs::is_directory(OsPath(path), ec))
        return TRUE;
    const int sep = FindLastPathSeparator(path);
    if (sep > 0) {
        const CString parent = path.Left(sep);
        if (!Exists(OsPath(parent)) && !CreateDirectoryPath(parent, nDepth - 1))
            return FALSE;
    }
    return CreatePrivateFolders(OsPath(path));
}

BOOL DeleteFileByPath(LPCTSTR path) {
    try {
        CFile::Remove(path);
    } catch (CException* e) {
        e->Delete();
        return FALSE;
    }
    return TRUE;
}
