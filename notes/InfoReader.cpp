#include "notes/InfoReader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/base/File.h"
#include "platform/base/ModuleDir.h"

namespace {

// A data or group file larger than this is no file of the base.
constexpr ULONGLONG kMaxFileBytes = 64ull * 1024 * 1024;

BOOL ReadWholeFile(LPCTSTR lpszPath, std::vector<char>& bytes) {
    CFile file;
    try {
        if (!file.Open(lpszPath, CFile::modeRead | CFile::shareDenyWrite))
            return FALSE;
        const ULONGLONG n = file.GetLength();
        if (n > kMaxFileBytes)
            return FALSE;
        bytes.resize((size_t)n);
        UINT got = n > 0 ? file.Read(bytes.data(), (UINT)n) : 0;
        bytes.resize(got);
    } catch (CException* e) {
        e->Delete();
        return FALSE;
    }
    return TRUE;
}

template <class F> void ForEachLine(const char* data, size_t size, F f) {
    size_t start = 0;
    for (size_t i = 0; i <= size; ++i) {
        if (i == size || data[i] == '\n') {
            size_t end = i;
            if (end > start && data[end - 1] == '\r')
                --end;
            if (i < size || end > start)
                f(CString(data + start, (int)(end - start)));
            start = i + 1;
        }
    }
}

} // namespace

CInfoReader::~CInfoReader() {
    // The file is no longer being read: a sibling may name it again.
    if (m_bOpened && m_pOpen && !m_pOpen->empty())
        m_pOpen->pop_back();
}

BOOL CInfoReader::Open(LPCTSTR lpszPath) {
    std::vector<char> bytes;
    if (!ReadWholeFile(lpszPath, bytes))
        return FALSE;
    SetText(bytes.data(), bytes.size());
    m_strPath = lpszPath;
    if (!m_pOpen)
        m_pOpen = std::make_shared<std::vector<CString>>();
    if (!m_bOpened)
        m_pOpen->push_back(m_strPath);
    m_bOpened = TRUE;
    return TRUE;
}

void CInfoReader::SetText(const char* data, size_t size) {
    m_lines.clear();
    m_nNext = 0;
    // Zero bytes are no text; they would cut a line short in the string functions.
    std::string clean(data, size);
    clean.erase(std::remove(clean.begin(), clean.end(), '\0'), clean.end());
    ForEachLine(clean.data(), clean.size(), [this](CString line) { m_lines.push_back(line); });
}

BOOL CInfoReader::ReadLine(CString& line) {
    if (m_nNext >= (int)m_lines.size())
        return FALSE;
    line = m_lines[(size_t)m_nNext++];
    return TRUE;
}

void CInfoReader::Back() {
    if (m_nNext > 0)
        --m_nNext;
}

BOOL CInfoReader::IsBeingRead(const CString& path) const {
    if (!m_pOpen)
        return FALSE;
    for (const CString& open : *m_pOpen)
        if (open.CompareNoCase(path) == 0)
            return TRUE;
    return FALSE;
}

void CInfoReader::InheritOpenFiles(const CInfoReader& parent) {
    m_pOpen = parent.m_pOpen;
}

CString InfoStripLine(const CString& line, BOOL bKeepSlashes) {
    CString s = line;
    if (!bKeepSlashes) {
        int n = s.Find("//");
        if (n >= 0)
            s = s.Left(n);
    }
    s.Trim(" \t\r\n");
    return s;
}

void InfoSplitKey(const CString& line, CString& key, CString& value) {
    int n = -1;
    for (int i = 0; i < line.GetLength(); ++i) {
        char c = line[i];
        if (c == '=' || c == ' ' || c == '\t') {
            n = i;
            break;
        }
    }
    if (n < 0) {
        key = line;
        key.Trim(" \t");
        value.Empty();
        return;
    }
    key = line.Left(n);
    value = line.Mid(n + 1);
    key.Trim(" \t");
    value.Trim(" \t");
    // "key = value": the blank came first, the "=" still stands before the value.
    if (!value.IsEmpty() && value[0] == '=' && line[n] != '=') {
        value = value.Mid(1);
        value.Trim(" \t");
    }
}

void InfoSplitList(const CString& text, CStringList& list) {
    list.RemoveAll();
    if (text.IsEmpty())
        return;
    int start = 0;
    for (;;) {
        int n = text.Find(',', start);
        CString piece = n < 0 ? text.Mid(start) : text.Mid(start, n - start);
        piece.Trim(" \t");
        list.AddTail(piece);
        if (n < 0)
            break;
        start = n + 1;
    }
}

int InfoParseInt(const CString& text) {
    CString s = text;
    s.Trim(" \t");
    const char* p = s.GetString();
    int sign = 1;
    if (*p == '-' || *p == '+')
        sign = *p++ == '-' ? -1 : 1;
    long long v = 0;
    bool any = false;
    while (*p >= '0' && *p <= '9') {
        v = std::min<long long>(v * 10 + (*p++ - '0'), 0x7FFFFFFF);
        any = true;
    }
    return any ? (int)(sign * v) : 0;
}

BOOL InfoResolveFileName(const CString& name, CString& path) {
    CString s = name;
    s.Remove('"');
    s.Trim(" \t");
    if (s.IsEmpty() || s[0] == '\\' || s[0] == '/' || (s.GetLength() >= 2 && s[1] == ':'))
        return FALSE;
    // Every step of the name is looked at; a ".." step leaves the folder. The backslash is also a
    // GBK trail byte, so the name is walked character by character.
    CString step;
    auto badStep = [](const CString& st) {
        CString t = st;
        t.Trim(" \t");
        return t == "..";
    };
    for (int i = 0; i < s.GetLength(); ++i) {
        unsigned char c = (unsigned char)s[i];
        if (c >= 0x81 && c <= 0xFE && i + 1 < s.GetLength()) {
            step += s.Mid(i, 2);
            ++i;
            continue;
        }
        if (c == '\\' || c == '/') {
            if (badStep(step))
                return FALSE;
            step.Empty();
            continue;
        }
        step += (char)c;
    }
    if (badStep(step))
        return FALSE;
    path = GetModuleDirectory() + "\\" + s;
    return TRUE;
}

CInfoRow InfoSplitRow(const CString& line, char separator, BOOL bComments) {
    CString s = bComments ? InfoStripLine(line) : InfoStripLine(line, TRUE);
    CInfoRow fields;
    if (s.IsEmpty())
        return fields;
    if (separator == ' ') {
        int i = 0;
        const int n = s.GetLength();
        while (i < n) {
            while (i < n && (s[i] == ' ' || s[i] == '\t'))
                ++i;
            int start = i;
            while (i < n && s[i] != ' ' && s[i] != '\t')
                ++i;
            if (i > start)
                fields.push_back(s.Mid(start, i - start));
        }
        return fields;
    }
    int start = 0;
    for (;;) {
        int n = s.Find(separator, start);
        CString piece = n < 0 ? s.Mid(start) : s.Mid(start, n - start);
        piece.Trim(" \t");
        fields.push_back(piece);
        if (n < 0)
            break;
        start = n + 1;
    }
    return fields;
}

BOOL LoadInfoRows(LPCTSTR lpszPath, int /*nColumns*/, char separator, BOOL bComments,
                  CInfoRows& rows, int nMaxRows) {
    rows.clear();
    std::vector<char> bytes;
    if (!ReadWholeFile(lpszPath, bytes))
        return FALSE;
    std::string clean(bytes.begin(), bytes.end());
    clean.erase(std::remove(clean.begin(), clean.end(), '\0'), clean.end());
    ForEachLine(clean.data(), clean.size(), [&](CString line) {
        if ((int)rows.size() >= nMaxRows)
            return;
        CInfoRow row = InfoSplitRow(line, separator, bComments);
        if (!row.empty())
            rows.push_back(std::move(row));
    });
    return TRUE;
}
