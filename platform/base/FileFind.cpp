#include "platform/base/FileFind.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/base/Gbk.h"
#include "platform/base/OsPath.h"

namespace {

// A GBK text as characters (one or two bytes each), ASCII letters folded to lower case, so that
// `?` takes one whole character and a trail byte never matches an ASCII pattern letter.
std::vector<unsigned> Chars(const char* p) {
    std::vector<unsigned> out;
    size_t len = std::strlen(p);
    for (size_t i = 0; i < len;) {
        int n = GbkCharSize(p + i, len - i);
        unsigned c = static_cast<unsigned char>(p[i]);
        if (n == 2) {
            c = (c << 8) | static_cast<unsigned char>(p[i + 1]);
        } else if (c >= 'A' && c <= 'Z') {
            c += 'a' - 'A';
        }
        out.push_back(c);
        i += n;
    }
    return out;
}

bool Match(const std::vector<unsigned>& name, const std::vector<unsigned>& pat) {
    size_t n = 0, p = 0;
    size_t starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pat.size() && (pat[p] == '?' || pat[p] == name[n])) {
            ++n;
            ++p;
        } else if (p < pat.size() && pat[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pat.size() && pat[p] == '*') {
        ++p;
    }
    return p == pat.size();
}

int CompareNames(const CString& a, const CString& b) {
    bool dotsA = a == "." || a == "..";
    bool dotsB = b == "." || b == "..";
    if (dotsA != dotsB) {
        return dotsA ? -1 : 1;
    }
    std::vector<unsigned> ca = Chars(a), cb = Chars(b);
    if (ca != cb) {
        return std::lexicographical_compare(ca.begin(), ca.end(), cb.begin(), cb.end()) ? -1 : 1;
    }
    return std::strcmp(a, b);
}

} // namespace

BOOL CFileFind::MatchesPattern(LPCTSTR name, LPCTSTR pattern) {
    std::vector<unsigned> n = Chars(name);
    std::vector<unsigned> p = Chars(pattern);
    if (Match(n, p)) {
        return TRUE;
    }
    // A trailing ".*" also stands for "no extension at all": "*.*" lists every name.
    if (p.size() >= 2 && p[p.size() - 2] == '.' && p.back() == '*') {
        p.resize(p.size() - 2);
        return Match(n, p);
    }
    return FALSE;
}

BOOL CFileFind::FindFile(LPCTSTR pstrName, DWORD) {
    Close();
    CString pattern = pstrName != nullptr ? pstrName : "*.*";
    int sep = FindLastPathSeparator(pattern);
    m_strRoot = pattern.Left(sep + 1);
    CString namePattern = pattern.Mid(sep + 1);
    if (namePattern.IsEmpty()) {
        return FALSE;
    }
    std::string osDir = m_strRoot.IsEmpty() ? std::string(".") : OsPathFromProgramPath(m_strRoot);
    DIR* d = opendir(osDir.c_str());
    if (d == nullptr) {
        return FALSE;
    }
    while (dirent* e = readdir(d)) {
        Entry entry;
        entry.name = Utf8ToGbk(e->d_name);
        if (!MatchesPattern(entry.name, namePattern)) {
            continue;
        }
        std::string full = osDir + "/" + e->d_name;
        struct stat st;
        if (stat(full.c_str(), &st) == 0 || lstat(full.c_str(), &st) == 0) {
            entry.directory = S_ISDIR(st.st_mode);
            entry.size = static_cast<ULONGLONG>(st.st_size);
            entry.mtime = static_cast<__time64_t>(st.st_mtime);
            entry.readOnly = access(full.c_str(), W_OK) != 0;
        }
        m_entries.push_back(entry);
    }
    closedir(d);
    std::sort(m_entries.begin(), m_entries.end(),
              [](const Entry& a, const Entry& b) { return CompareNames(a.name, b.name) < 0; });
    m_next = 0;
    return !m_entries.empty();
}

BOOL CFileFind::FindNextFile() {
    if (m_next >= static_cast<int>(m_entries.size())) {
        return FALSE;
    }
    ++m_next;
    return m_next < static_cast<int>(m_entries.size());
}

void CFileFind::Close() {
    m_entries.clear();
    m_strRoot.Empty();
    m_next = 0;
}

const CFileFind::Entry* CFileFind::Current() const {
    if (m_next <= 0 || m_next > static_cast<int>(m_entries.size())) {
        return nullptr;
    }
    return &m_entries[m_next - 1];
}

CString CFileFind::GetFileName() const {
    const Entry* e = Current();
    return e != nullptr ? e->name : CString();
}

CString CFileFind::GetFilePath() const {
    const Entry* e = Current();
    return e != nullptr ? m_strRoot + e->name : CString();
}

CString CFileFind::GetFileTitle() const {
    CString name = GetFileName();
    int dot = name.ReverseFind('.');
    return dot < 0 ? name : name.Left(dot);
}

BOOL CFileFind::IsDirectory() const {
    const Entry* e = Current();
    return e != nullptr && e->directory;
}

BOOL CFileFind::IsDots() const {
    const Entry* e = Current();
    return e != nullptr && e->directory && (e->name == "." || e->name == "..");
}

BOOL CFileFind::IsReadOnly() const {
    const Entry* e = Current();
    return e != nullptr && e->readOnly;
}

ULONGLONG CFileFind::GetLength() const {
    const Entry* e = Current();
    return e != nullptr ? e->size : 0;
}

BOOL CFileFind::GetLastWriteTime(CTime& refTime) const {
    const Entry* e = Current();
    if (e == nullptr) {
        return FALSE;
    }
    refTime = CTime(e->mtime);
    return TRUE;
}
