// CString: the program's string, a byte string of GBK text with the framework's members.
//
// Lengths and positions count bytes. Searching, trimming and case changes know GBK: a double-byte
// character is never split and its trail byte (which may look like 'A' or '\\') never matches an
// ASCII character. Values are plain copies; there is no shared buffer.
#pragma once

#include <array>
#include <cstdarg>
#include <cstddef>
#include <string>
#include <type_traits>

#include "platform/base/Types.h"

class CString;

namespace cstring_detail {

// One argument of CString::Format, reduced to what a printf conversion can take. Format looks at
// the argument's real type rather than trusting the length modifier: the program was written for a
// platform where long is 32 bits, so "%ld" with a LONG or "%d" with a 64-bit value must still print
// the number, and a conversion without an argument prints nothing instead of reading the stack.
struct FormatArg {
    enum Kind { Signed, Unsigned, Float, Text, Pointer } kind;
    int size; // bytes of the argument as passed, so "%d" of 0xFFFFFFFFu prints -1, a 32-bit int
    union {
        long long i;
        unsigned long long u;
        double d;
        const char* s;
        const void* p;
    };
};

template <class T> struct AlwaysFalse : std::false_type {};

template <class T> FormatArg MakeFormatArg(const T& v) {
    using U = std::remove_cv_t<T>;
    FormatArg a{};
    if constexpr (std::is_convertible_v<const U&, const char*> && !std::is_null_pointer_v<U>) {
        a.kind = FormatArg::Text; // const char*, char arrays, CString and classes built on it
        a.s = v;
    } else if constexpr (std::is_pointer_v<U> &&
                         (std::is_same_v<std::remove_cv_t<std::remove_pointer_t<U>>,
                                         unsigned char> ||
                          std::is_same_v<std::remove_cv_t<std::remove_pointer_t<U>>,
                                         signed char>)) {
        a.kind = FormatArg::Text;
        a.s = reinterpret_cast<const char*>(v);
    } else if constexpr (std::is_pointer_v<U> || std::is_null_pointer_v<U>) {
        a.kind = FormatArg::Pointer;
        a.p = reinterpret_cast<const void*>(v);
    } else if constexpr (std::is_enum_v<U>) {
        return MakeFormatArg(static_cast<std::underlying_type_t<U>>(v));
    } else if constexpr (std::is_integral_v<U> && std::is_signed_v<U>) {
        a.kind = FormatArg::Signed;
        a.size = sizeof(U);
        a.i = v;
    } else if constexpr (std::is_integral_v<U>) {
        a.kind = FormatArg::Unsigned;
        a.size = sizeof(U);
        a.u = v;
    } else if constexpr (std::is_floating_point_v<U>) {
        a.kind = FormatArg::Float;
        a.d = static_cast<double>(v);
    } else {
        static_assert(AlwaysFalse<U>::value,
                      "Format takes numbers, enums, pointers, C strings and CString");
    }
    return a;
}

// printf formatting of fmt with the given arguments, appended to out.
void AppendFormatted(std::string& out, const char* fmt, const FormatArg* args, size_t count);

} // namespace cstring_detail

class CString {
public:
    // Loads a string-table text: TRUE and the text when the id is known. The resource layer
    // installs one; until then every id is unknown.
    using ResourceLoader = BOOL (*)(UINT nID, CString& text);
    static ResourceLoader SetResourceLoader(ResourceLoader loader); // returns the previous one

    CString() = default;
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString(const char* psz);
    CString(const unsigned char* psz);
    CString(const char* pch, int nLength);
    CString(char ch, int nRepeat = 1);
    CString(const char16_t* psz); // UTF-16 text, turned into GBK
    CString& operator=(const char* psz);
    CString& operator=(char ch);

    int GetLength() const { return static_cast<int>(m_s.size()); }
    BOOL IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    const char* GetString() const { return m_s.c_str(); }
    operator const char*() const { return m_s.c_str(); }

    // Out-of-range positions read as 0 and are not written.
    char GetAt(int nIndex) const;
    void SetAt(int nIndex, char ch);
    template <class I>
    requires std::is_integral_v<I>
    char operator[](I nIndex) const {
        if constexpr (std::is_signed_v<I>) {
            if (nIndex < 0)
                return '\0';
        }
        return static_cast<unsigned long long>(nIndex) < m_s.size()
                   ? m_s[static_cast<size_t>(nIndex)]
                   : '\0';
    }

    // Counts and positions out of range are clamped to the string.
    CString Left(int nCount) const;
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString Right(int nCount) const;
    CString SpanIncluding(const char* pszCharSet) const;
    CString SpanExcluding(const char* pszCharSet) const;

    int Find(char ch, int nStart = 0) const;
    int Find(const char* pszSub, int nStart = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(const char* pszCharSet) const;

    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();
    int Replace(char chOld, char chNew);
    int Replace(const char* pszOld, const char* pszNew);
    int Remove(char ch);
    int Insert(int nIndex, char ch);
    int Insert(int nIndex, const char* psz);
    int Delete(int nIndex, int nCount = 1);

    CString& Trim();
    CString& Trim(char chTarget);
    CString& Trim(const char* pszTargets);
    CString& TrimLeft();
    CString& TrimLeft(char chTarget);
    CString& TrimLeft(const char* pszTargets);
    CString& TrimRight();
    CString& TrimRight(char chTarget);
    CString& TrimRight(const char* pszTargets);

    template <class... Args> void Format(const char* pszFormat, const Args&... args) {
        std::array<cstring_detail::FormatArg, sizeof...(Args)> a{
            cstring_detail::MakeFormatArg(args)...};
        std::string s;
        cstring_detail::AppendFormatted(s, pszFormat, a.data(), a.size());
        m_s = std::move(s);
    }
    // The format comes from the string table; an unknown id gives an empty string.
    template <class... Args> void Format(UINT nFormatID, const Args&... args) {
        CString fmt;
        if (fmt.LoadString(nFormatID))
            Format(fmt.GetString(), args...);
        else
            Empty();
    }
    template <class... Args> void AppendFormat(const char* pszFormat, const Args&... args) {
        std::array<cstring_detail::FormatArg, sizeof...(Args)> a{
            cstring_detail::MakeFormatArg(args)...};
        cstring_detail::AppendFormatted(m_s, pszFormat, a.data(), a.size());
    }
    // Plain C formatting: the caller's argument types must match the conversions exactly.
    void FormatV(const char* pszFormat, va_list args);
    void AppendFormatV(const char* pszFormat, va_list args);

    // Byte order (unsigned), as the C library's comparison; NoCase folds ASCII letters only.
    int Compare(const char* psz) const;
    int CompareNoCase(const char* psz) const;
    // The Chinese (pinyin) order of the locale.
    int Collate(const char* psz) const;
    int CollateNoCase(const char* psz) const;

    CString& operator+=(const CString& s);
    CString& operator+=(const char* psz);
    CString& operator+=(char ch);

    // The buffer has room for at least nMinBufLength bytes plus a terminating NUL. After writing
    // into it, ReleaseBuffer sets the length (-1: up to the first NUL).
    char* GetBuffer(int nMinBufLength);
    char* GetBuffer() { return m_s.data(); }
    char* GetBufferSetLength(int nNewLength);
    void ReleaseBuffer(int nNewLength = -1);
    char* LockBuffer() { return m_s.data(); }
    void UnlockBuffer() {}

    BOOL LoadString(UINT nID);

private:
    int CharSizeAt(int pos) const;
    int CharStartAtOrAfter(int pos) const;
    bool MatchAt(int pos, const char* sub, int subLen) const;
    std::string m_s;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, const char* b);
CString operator+(const char* a, const CString& b);
CString operator+(const CString& a, char b);
CString operator+(char a, const CString& b);

inline bool operator==(const CString& a, const CString& b) {
    return a.Compare(b) == 0;
}
inline bool operator==(const CString& a, const char* b) {
    return a.Compare(b) == 0;
}
inline bool operator==(const char* a, const CString& b) {
    return b.Compare(a) == 0;
}
inline bool operator!=(const CString& a, const CString& b) {
    return a.Compare(b) != 0;
}
inline bool operator!=(const CString& a, const char* b) {
    return a.Compare(b) != 0;
}
inline bool operator!=(const char* a, const CString& b) {
    return b.Compare(a) != 0;
}
inline bool operator<(const CString& a, const CString& b) {
    return a.Compare(b) < 0;
}
inline bool operator<(const CString& a, const char* b) {
    return a.Compare(b) < 0;
}
inline bool operator<(const char* a, const CString& b) {
    return b.Compare(a) > 0;
}
inline bool operator>(const CString& a, const CString& b) {
    return a.Compare(b) > 0;
}
inline bool operator>(const CString& a, const char* b) {
    return a.Compare(b) > 0;
}
inline bool operator>(const char* a, const CString& b) {
    return b.Compare(a) < 0;
}
inline bool operator<=(const CString& a, const CString& b) {
    return a.Compare(b) <= 0;
}
inline bool operator<=(const CString& a, const char* b) {
    return a.Compare(b) <= 0;
}
inline bool operator<=(const char* a, const CString& b) {
    return b.Compare(a) >= 0;
}
inline bool operator>=(const CString& a, const CString& b) {
    return a.Compare(b) >= 0;
}
inline bool operator>=(const CString& a, const char* b) {
    return a.Compare(b) >= 0;
}
inline bool operator>=(const char* a, const CString& b) {
    return b.Compare(a) <= 0;
}

// Replaces %1 .. %9 in the format with the given texts; other text is copied unchanged.
void AfxFormatStrings(CString& rString, const char* pszFormat, const char* const* rgpsz,
                      int nString);
// The same with the format loaded from the string table (empty when the id is unknown).
void AfxFormatString1(CString& rString, UINT nIDS, const char* psz1);
void AfxFormatString2(CString& rString, UINT nIDS, const char* psz1, const char* psz2);
