#include "platform/base/CString.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/base/Collate.h"
#include "platform/base/Gbk.h"

using cstring_detail::FormatArg;

namespace {

std::atomic<CString::ResourceLoader> g_resourceLoader{nullptr};

const char* NonNull(const char* psz) {
    return psz ? psz : "";
}

bool IsAsciiSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c;
}

// Whether the character of `size` bytes at ch is one of the characters of set. The set is read
// character by character too, so a double-byte character in it matches only itself.
bool SetContains(const char* set, const char* ch, int size) {
    size_t n = std::strlen(set);
    for (size_t i = 0; i < n;) {
        int setSize = GbkCharSize(set + i, n - i);
        if (setSize == size && std::memcmp(set + i, ch, size) == 0)
            return true;
        i += setSize;
    }
    return false;
}

// Cuts characters for which drop(pointer, size) holds from the left and/or right end of s.
template <class Pred> void TrimWhere(std::string& s, bool left, bool right, Pred drop) {
    size_t begin = 0, end = 0, pos = 0;
    bool seenKept = false;
    while (pos < s.size()) {
        int size = GbkCharSize(s.data() + pos, s.size() - pos);
        if (!drop(s.data() + pos, size)) {
            if (!seenKept)
                begin = pos;
            seenKept = true;
            end = pos + size;
        }
        pos += size;
    }
    if (!seenKept) {
        if (left || right)
            s.clear();
        return;
    }
    if (!right)
        end = s.size();
    if (!left)
        begin = 0;
    s = s.substr(begin, end - begin);
}

// Changes the ASCII letters that stand as characters of their own, never a trail byte.
template <class Fn> void MapSingleBytes(std::string& s, Fn fn) {
    for (size_t pos = 0; pos < s.size();) {
        int size = GbkCharSize(s.data() + pos, s.size() - pos);
        if (size == 1)
            s[pos] = fn(s[pos]);
        pos += size;
    }
}

template <class T> void AppendPrintf(std::string& out, const std::string& spec, T value) {
    char buf[256];
    int n = std::snprintf(buf, sizeof buf, spec.c_str(), value);
    if (n < 0)
        return;
    if (static_cast<size_t>(n) < sizeof buf) {
        out.append(buf, n);
        return;
    }
    size_t old = out.size();
    out.resize(old + n + 1);
    std::snprintf(out.data() + old, n + 1, spec.c_str(), value);
    out.resize(old + n);
}

long long ToSigned(const FormatArg& a, int lengthBits) {
    long long v = 0;
    switch (a.kind) {
    case FormatArg::Signed:
        v = a.i;
        break;
    case FormatArg::Unsigned:
        v = static_cast<long long>(a.u);
        break;
    case FormatArg::Float:
        v = std::isfinite(a.d) && std::fabs(a.d) < 9.2e18 ? static_cast<long long>(a.d) : 0;
        break;
    default:
        v = static_cast<long long>(reinterpret_cast<intptr_t>(a.p));
        break;
    }
    if (lengthBits == 8)
        return static_cast<signed char>(v);
    if (lengthBits == 16)
        return static_cast<short>(v);
    if ((a.kind == FormatArg::Signed || a.kind == FormatArg::Unsigned) && a.size <= 4)
        return static_cast<int32_t>(v);
    return v;
}

unsigned long long ToUnsigned(const FormatArg& a, int lengthBits) {
    auto v = static_cast<unsigned long long>(ToSigned(a, 64));
    if (lengthBits == 8)
        return static_cast<unsigned char>(v);
    if (lengthBits == 16)
        return static_cast<unsigned short>(v);
    if ((a.kind == FormatArg::Signed || a.kind == FormatArg::Unsigned) && a.size <= 4)
        return static_cast<uint32_t>(v);
    return v;
}

double ToDouble(const FormatArg& a) {
    switch (a.kind) {
    case FormatArg::Float:
        return a.d;
    case FormatArg::Signed:
        return static_cast<double>(a.i);
    case FormatArg::Unsigned:
        return static_cast<double>(a.u);
    default:
        return 0;
    }
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

namespace cstring_detail {

void AppendFormatted(std::string& out, const char* fmt, const FormatArg* args, size_t count) {
    if (!fmt)
        return;
    size_t next = 0;
    const char* p = fmt;
    while (*p) {
        if (*p != '%') {
            const char* q = std::strchr(p, '%');
            q = q ? q : p + std::strlen(p);
            out.append(p, q - p);
            p = q;
            continue;
        }
        const char* specStart = p++;
        if (*p == '%') {
            out += '%';
            ++p;
            continue;
        }
        std::string spec = "%";
        bool missing = false;
        // A '*' width or precision takes its value from the next argument.
        auto starOrDigits = [&]() {
            if (*p == '*') {
                ++p;
                if (next < count)
                    spec += std::to_string(static_cast<int>(ToSigned(args[next++], 32)));
                else
                    missing = true;
            } else {
                while (IsDigit(*p))
                    spec += *p++;
            }
        };
        while (*p && std::strchr("-+ #0", *p))
            spec += *p++;
        starOrDigits();
        if (*p == '.') {
            spec += *p++;
            starOrDigits();
        }
        // Length modifiers are read and dropped: the argument's own type decides, except that
        // h and hh still cut the value to 16 and 8 bits.
        int lengthBits = 0;
        for (;;) {
            if (*p == 'h') {
                lengthBits = lengthBits == 16 ? 8 : 16;
                ++p;
            } else if (*p && std::strchr("lLqjzt", *p)) {
                ++p;
            } else if (*p == 'I') {
                ++p;
                if ((p[0] == '6' && p[1] == '4') || (p[0] == '3' && p[1] == '2'))
                    p += 2;
            } else {
                break;
            }
        }
        char conv = *p;
        if (!conv) {
            out.append(specStart);
            break;
        }
        ++p;
        if (!std::strchr("diouxXceEfFgGaAsSpn", conv)) {
            out.append(specStart, p - specStart);
            continue;
        }
        if (missing || next >= count)
            continue;
        const FormatArg& a = args[next++];
        switch (conv) {
        case 'd':
        case 'i':
            AppendPrintf(out, spec + "lld", ToSigned(a, lengthBits));
            break;
        case 'o':
        case 'u':
        case 'x':
        case 'X':
            AppendPrintf(out, spec + "ll" + conv, ToUnsigned(a, lengthBits));
            break;
        case 'c':
            AppendPrintf(out, spec + 'c',
                         static_cast<int>(static_cast<unsigned char>(ToSigned(a, lengthBits))));
            break;
        case 's':
        case 'S':
            AppendPrintf(out, spec + 's', a.kind == FormatArg::Text ? (a.s ? a.s : "(null)") : "");
            break;
        case 'p':
            AppendPrintf(out, spec + 'p',
                         a.kind == FormatArg::Text || a.kind == FormatArg::Pointer
                             ? a.p
                             : reinterpret_cast<const void*>(ToUnsigned(a, 64)));
            break;
        case 'n':
            break; // never writes through an argument
        default:
            AppendPrintf(out, spec + conv, ToDouble(a));
            break;
        }
    }
}

} // namespace cstring_detail

CString::ResourceLoader CString::SetResourceLoader(ResourceLoader loader) {
    return g_resourceLoader.exchange(loader);
}

CString::CString(const char* psz) : m_s(NonNull(psz)) {}

CString::CString(const unsigned char* psz) : CString(reinterpret_cast<const char*>(psz)) {}

CString::CString(const char* pch, int nLength) {
    if (pch && nLength > 0)
        m_s.assign(pch, nLength);
}

CString::CString(char ch, int nRepeat) {
    if (nRepeat > 0)
        m_s.assign(nRepeat, ch);
}

CString::CString(const char16_t* psz) {
    if (psz)
        *this = Utf16ToGbk(psz);
}

CString& CString::operator=(const char* psz) {
    m_s = NonNull(psz);
    return *this;
}

CString& CString::operator=(char ch) {
    m_s.assign(1, ch);
    return *this;
}

char CString::GetAt(int nIndex) const {
    return (*this)[nIndex];
}

void CString::SetAt(int nIndex, char ch) {
    if (nIndex >= 0 && nIndex < GetLength())
        m_s[nIndex] = ch;
}

CString CString::Left(int nCount) const {
    return Mid(0, nCount);
}

CString CString::Mid(int nFirst) const {
    return Mid(nFirst, GetLength());
}

CString CString::Mid(int nFirst, int nCount) const {
    int len = GetLength();
    nFirst = std::clamp(nFirst, 0, len);
    nCount = std::clamp(nCount, 0, len - nFirst);
    return CString(m_s.data() + nFirst, nCount);
}

CString CString::Right(int nCount) const {
    nCount = std::clamp(nCount, 0, GetLength());
    return Mid(GetLength() - nCount, nCount);
}

// The first character boundary at or after pos. Only a run of bytes that may all be lead bytes
// is ambiguous, and the byte before such a run always ends a character, so the walk starts there
// instead of at the beginning: repeated Find calls over a long text stay linear.
static int GbkCharStartAtOrAfter(const char* p, int len, int pos) {
    if (pos <= 0)
        return 0;
    if (pos >= len)
        return len;
    int start = pos;
    while (start > 0 && IsGbkLeadByte(static_cast<unsigned char>(p[start - 1])))
        --start;
    while (start < pos)
        start += GbkCharSize(p + start, len - start);
    return start;
}

int GbkFindNoCase(const char* text, int len, const char* piece, int nStart) {
    text = NonNull(text);
    piece = NonNull(piece);
    // The piece folded once, by its own characters; short pieces (what people type) stay on the
    // stack.
    const int pieceLen = static_cast<int>(std::strlen(piece));
    char small[64];
    std::string large;
    char* folded = small;
    if (pieceLen > static_cast<int>(sizeof small)) {
        large.resize(pieceLen);
        folded = large.data();
    }
    for (int i = 0; i < pieceLen;) {
        int size = GbkCharSize(piece + i, pieceLen - i);
        folded[i] = size == 1 ? AsciiUpper(piece[i]) : piece[i];
        if (size == 2)
            folded[i + 1] = piece[i + 1];
        i += size;
    }
    if (nStart < 0)
        nStart = 0;
    if (nStart > len)
        return -1;
    // A match starts on a character boundary of the text, ends on one, and compares the text's
    // single-byte characters folded and its double-byte characters as they are.
    auto matchAt = [&](int pos) {
        if (pieceLen > len - pos)
            return false;
        for (int i = pos, j = 0; j < pieceLen;) {
            if (GbkCharSize(text + i, len - i) == 1) {
                if (AsciiUpper(text[i]) != folded[j])
                    return false;
                ++i, ++j;
            } else {
                if (j + 1 >= pieceLen || text[i] != folded[j] || text[i + 1] != folded[j + 1])
                    return false;
                i += 2, j += 2;
            }
        }
        return true;
    };
    for (int pos = GbkCharStartAtOrAfter(text, len, nStart); pos <= len;
         pos += pos < len ? GbkCharSize(text + pos, len - pos) : 1)
        if (matchAt(pos))
            return pos;
    return -1;
}

int CString::CharSizeAt(int pos) const {
    return GbkCharSize(m_s.data() + pos, m_s.size() - pos);
}

CString CString::SpanIncluding(const char* pszCharSet) const {
    const char* set = NonNull(pszCharSet);
    int pos = 0;
    while (pos < GetLength() && SetContains(set, m_s.data() + pos, CharSizeAt(pos)))
        pos += CharSizeAt(pos);
    return Left(pos);
}

CString CString::SpanExcluding(const char* pszCharSet) const {
    int pos = FindOneOf(pszCharSet);
    return pos < 0 ? *this : Left(pos);
}

// The first character boundary at or after pos. Only a run of bytes that may all be lead bytes
// is ambiguous, and the byte before such a run always ends a character, so the walk starts there
// instead of at the beginning: repeated Find calls over a long text stay linear.
int CString::CharStartAtOrAfter(int pos) const {
    return GbkCharStartAtOrAfter(m_s.data(), GetLength(), pos);
}

int CString::Find(char ch, int nStart) const {
    for (int pos = CharStartAtOrAfter(nStart); pos < GetLength(); pos += CharSizeAt(pos))
        if (CharSizeAt(pos) == 1 && m_s[pos] == ch)
            return pos;
    return -1;
}

// Whether sub occurs at the character boundary pos as whole characters: its last byte must not
// be the lead half of a double-byte character of this string.
bool CString::MatchAt(int pos, const char* sub, int subLen) const {
    if (subLen > GetLength() - pos || std::memcmp(m_s.data() + pos, sub, subLen) != 0)
        return false;
    int end = pos;
    while (end < pos + subLen)
        end += CharSizeAt(end);
    return end == pos + subLen;
}

int CString::Find(const char* pszSub, int nStart) const {
    const char* sub = NonNull(pszSub);
    int subLen = static_cast<int>(std::strlen(sub));
    if (nStart > GetLength())
        return -1;
    for (int pos = CharStartAtOrAfter(nStart); pos <= GetLength();
         pos += pos < GetLength() ? CharSizeAt(pos) : 1)
        if (MatchAt(pos, sub, subLen))
            return pos;
    return -1;
}

int CString::ReverseFind(char ch) const {
    int found = -1;
    for (int pos = 0; pos < GetLength(); pos += CharSizeAt(pos))
        if (CharSizeAt(pos) == 1 && m_s[pos] == ch)
            found = pos;
    return found;
}

int CString::FindOneOf(const char* pszCharSet) const {
    const char* set = NonNull(pszCharSet);
    for (int pos = 0; pos < GetLength(); pos += CharSizeAt(pos))
        if (SetContains(set, m_s.data() + pos, CharSizeAt(pos)))
            return pos;
    return -1;
}

CString& CString::MakeUpper() {
    MapSingleBytes(m_s, AsciiUpper);
    return *this;
}

CString& CString::MakeLower() {
    MapSingleBytes(m_s, AsciiLower);
    return *this;
}

CString& CString::MakeReverse() {
    std::string out(m_s.size(), '\0');
    size_t end = m_s.size();
    for (size_t pos = 0; pos < m_s.size();) {
        int size = GbkCharSize(m_s.data() + pos, m_s.size() - pos);
        end -= size;
        std::memcpy(out.data() + end, m_s.data() + pos, size);
        pos += size;
    }
    m_s = std::move(out);
    return *this;
}

int CString::Replace(char chOld, char chNew) {
    int count = 0;
    MapSingleBytes(m_s, [&](char c) {
        if (c != chOld)
            return c;
        ++count;
        return chNew;
    });
    return count;
}

int CString::Replace(const char* pszOld, const char* pszNew) {
    const char* oldText = NonNull(pszOld);
    int oldLen = static_cast<int>(std::strlen(oldText));
    if (oldLen == 0)
        return 0;
    const char* newText = NonNull(pszNew);
    std::string out;
    int count = 0;
    for (int pos = 0; pos < GetLength();) {
        if (MatchAt(pos, oldText, oldLen)) {
            out += newText;
            pos += oldLen;
            ++count;
        } else {
            int size = CharSizeAt(pos);
            out.append(m_s, pos, size);
            pos += size;
        }
    }
    if (count > 0)
        m_s = std::move(out);
    return count;
}

int CString::Remove(char ch) {
    std::string out;
    int count = 0;
    for (int pos = 0; pos < GetLength();) {
        int size = CharSizeAt(pos);
        if (size == 1 && m_s[pos] == ch)
            ++count;
        else
            out.append(m_s, pos, size);
        pos += size;
    }
    m_s = std::move(out);
    return count;
}

int CString::Insert(int nIndex, char ch) {
    m_s.insert(static_cast<size_t>(std::clamp(nIndex, 0, GetLength())), 1, ch);
    return GetLength();
}

int CString::Insert(int nIndex, const char* psz) {
    m_s.insert(static_cast<size_t>(std::clamp(nIndex, 0, GetLength())), NonNull(psz));
    return GetLength();
}

int CString::Delete(int nIndex, int nCount) {
    int first = std::clamp(nIndex, 0, GetLength());
    m_s.erase(first, std::clamp(nCount, 0, GetLength() - first));
    return GetLength();
}

namespace {

bool IsSpaceChar(const char* p, int size) {
    return size == 1 && IsAsciiSpace(*p);
}

struct IsChar {
    char target;
    bool operator()(const char* p, int size) const { return size == 1 && *p == target; }
};

struct InSet {
    const char* set;
    bool operator()(const char* p, int size) const { return SetContains(set, p, size); }
};

} // namespace

CString& CString::Trim() {
    return TrimLeft().TrimRight();
}

CString& CString::Trim(char chTarget) {
    return TrimLeft(chTarget).TrimRight(chTarget);
}

CString& CString::Trim(const char* pszTargets) {
    return TrimLeft(pszTargets).TrimRight(pszTargets);
}

CString& CString::TrimLeft() {
    TrimWhere(m_s, true, false, IsSpaceChar);
    return *this;
}

CString& CString::TrimLeft(char chTarget) {
    TrimWhere(m_s, true, false, IsChar{chTarget});
    return *this;
}

CString& CString::TrimLeft(const char* pszTargets) {
    TrimWhere(m_s, true, false, InSet{NonNull(pszTargets)});
    return *this;
}

CString& CString::TrimRight() {
    TrimWhere(m_s, false, true, IsSpaceChar);
    return *this;
}

CString& CString::TrimRight(char chTarget) {
    TrimWhere(m_s, false, true, IsChar{chTarget});
    return *this;
}

CString& CString::TrimRight(const char* pszTargets) {
    TrimWhere(m_s, false, true, InSet{NonNull(pszTargets)});
    return *this;
}

void CString::FormatV(const char* pszFormat, va_list args) {
    Empty();
    AppendFormatV(pszFormat, args);
}

void CString::AppendFormatV(const char* pszFormat, va_list args) {
    if (!pszFormat)
        return;
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, pszFormat, copy);
    va_end(copy);
    if (n <= 0)
        return;
    size_t old = m_s.size();
    m_s.resize(old + n + 1);
    std::vsnprintf(m_s.data() + old, n + 1, pszFormat, args);
    m_s.resize(old + n);
}

int CString::Compare(const char* psz) const {
    int r = std::strcmp(m_s.c_str(), NonNull(psz));
    return (r > 0) - (r < 0);
}

int CString::CompareNoCase(const char* psz) const {
    // Folding only single-byte characters keeps a trail byte such as 'A' from comparing equal
    // to 'a' in another character.
    CString a(*this), b(psz);
    return a.MakeLower().Compare(b.MakeLower());
}

int CString::Collate(const char* psz) const {
    return GbkCollate(m_s.c_str(), NonNull(psz));
}

int CString::CollateNoCase(const char* psz) const {
    return GbkCollateNoCase(m_s.c_str(), NonNull(psz));
}

CString& CString::operator+=(const CString& s) {
    m_s += s.m_s;
    return *this;
}

CString& CString::operator+=(const char* psz) {
    m_s += NonNull(psz);
    return *this;
}

CString& CString::operator+=(char ch) {
    m_s += ch;
    return *this;
}

char* CString::GetBuffer(int nMinBufLength) {
    if (nMinBufLength > GetLength())
        m_s.resize(nMinBufLength, '\0');
    return m_s.data();
}

char* CString::GetBufferSetLength(int nNewLength) {
    m_s.resize(std::max(nNewLength, 0), '\0');
    return m_s.data();
}

void CString::ReleaseBuffer(int nNewLength) {
    if (nNewLength < 0)
        m_s.resize(std::strlen(m_s.c_str()));
    else
        m_s.resize(std::min(static_cast<size_t>(nNewLength), m_s.size()));
}

BOOL CString::LoadString(UINT nID) {
    ResourceLoader loader = g_resourceLoader.load();
    CString text;
    if (!loader || !loader(nID, text))
        return FALSE;
    *this = std::move(text);
    return TRUE;
}

CString operator+(const CString& a, const CString& b) {
    CString r(a);
    return r += b;
}

CString operator+(const CString& a, const char* b) {
    CString r(a);
    return r += b;
}

CString operator+(const char* a, const CString& b) {
    CString r(a);
    return r += b;
}

CString operator+(const CString& a, char b) {
    CString r(a);
    return r += b;
}

CString operator+(char a, const CString& b) {
    CString r(a);
    return r += b;
}

void AfxFormatStrings(CString& rString, const char* pszFormat, const char* const* rgpsz,
                      int nString) {
    CString out;
    for (const char* p = NonNull(pszFormat); *p; ++p) {
        int index = p[0] == '%' && p[1] >= '1' && p[1] <= '9' ? p[1] - '1' : -1;
        if (index >= 0 && index < nString) {
            out += rgpsz[index];
            ++p;
        } else {
            out += *p;
        }
    }
    rString = std::move(out);
}

void AfxFormatString1(CString& rString, UINT nIDS, const char* psz1) {
    AfxFormatString2(rString, nIDS, psz1, nullptr);
}

void AfxFormatString2(CString& rString, UINT nIDS, const char* psz1, const char* psz2) {
    CString format;
    const char* texts[] = {psz1, psz2};
    if (format.LoadString(nIDS))
        AfxFormatStrings(rString, format, texts, psz2 ? 2 : 1);
    else
        rString.Empty();
}
