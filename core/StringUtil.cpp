#include "core/StringUtil.h"

#include <climits>
#include <cstring>

#include "core/StringListXString.h"
#include "platform/base/File.h"
#include "platform/base/Gbk.h"

namespace {

// ---- Character-wise helpers over GBK text ---------------------------------------------------

int CharSize(const CString& text, int pos) {
    return GbkCharSize(static_cast<const char*>(text) + pos, text.GetLength() - pos);
}

// Whether the character at pos of text is one of the characters of set (whole characters
// compared, so a set of Chinese punctuation works as well as one of ASCII bytes).
bool IsCharOf(const CString& text, int pos, const CString& set) {
    int size = CharSize(text, pos);
    const char* p = static_cast<const char*>(text) + pos;
    for (int i = 0; i < set.GetLength(); i += CharSize(set, i))
        if (CharSize(set, i) == size &&
            std::memcmp(p, static_cast<const char*>(set) + i, size) == 0)
            return true;
    return false;
}

// A separator is either the whole text sep or, with anyChar, any one character of it.
struct Separator {
    CString text;
    bool anyChar;

    // Length of the separator that starts at pos, 0 when none does.
    int MatchAt(const CString& s, int pos) const {
        if (anyChar)
            return IsCharOf(s, pos, text) ? CharSize(s, pos) : 0;
        return std::strncmp(static_cast<const char*>(s) + pos, text, text.GetLength()) == 0
                   ? text.GetLength()
                   : 0;
    }
    // The first separator at or after pos (which lies on a character boundary): its position and
    // length, or -1.
    int Find(const CString& s, int pos, int& length) const {
        for (; pos < s.GetLength(); pos += CharSize(s, pos)) {
            length = MatchAt(s, pos);
            if (length > 0)
                return pos;
        }
        return -1;
    }
};

CString Str(LPCTSTR text) {
    return CString(text != nullptr ? text : "");
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void ReplaceAll(CString& text, LPCTSTR from, LPCTSTR to) {
    if (from != nullptr && *from != 0)
        text.Replace(from, Str(to));
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Tokens of the text between runs of separator characters, each trimmed of white space.
template <class Sink> int ForEachTrimmedToken(LPCTSTR text, LPCTSTR separators, Sink sink) {
    CString s = Str(text);
    Separator sep{Str(separators), true};
    int count = 0;
    for (int pos = 0, len = 0; pos < s.GetLength();) {
        if (sep.MatchAt(s, pos) > 0) {
            pos += CharSize(s, pos);
            continue;
        }
        int end = sep.Find(s, pos, len);
        if (end < 0)
            end = s.GetLength();
        CString token = s.Mid(pos, end - pos);
        token.Trim();
        if (!sink(token))
            break;
        ++count;
        pos = end;
    }
    return count;
}

} // namespace

// ---- Percent coding --------------------------------------------------------------------------

BOOL NeedsPercentEncoding(BYTE c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return FALSE;
    return std::strchr("!'()*-./:_~", c) == nullptr || c == 0;
}

CString UrlEncodeString(LPCTSTR text) {
    static const char kHex[] = "0123456789abcdef";
    CString out;
    for (const char* p = text != nullptr ? text : ""; *p != 0; ++p) {
        BYTE c = static_cast<BYTE>(*p);
        if (NeedsPercentEncoding(c)) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

BOOL UrlDecodeString(LPCTSTR text, CString& out) {
    std::string decoded;
    for (const char* p = text != nullptr ? text : ""; *p != 0; ++p) {
        if (*p != '%') {
            decoded += *p;
            continue;
        }
        int hi = HexValue(p[1]);
        int lo = hi < 0 ? -1 : HexValue(p[2]);
        // A zero byte cannot be part of a text: it would silently cut off everything after it.
        if (lo < 0 || hi * 16 + lo == 0) {
            out.Empty();
            return FALSE;
        }
        decoded += static_cast<char>(hi * 16 + lo);
        p += 2;
    }
    out = CString(decoded.data(), static_cast<int>(decoded.size()));
    return TRUE;
}

// ---- Number scanning -------------------------------------------------------------------------

int CStringEx::FindDigit(int nPos) const {
    const char* p = m_str;
    for (int i = nPos < 0 ? 0 : nPos; i < m_str.GetLength(); ++i)
        if (IsDigit(p[i]))
            return i;
    return -1;
}

int CStringEx::ScanDigits(int& nPos, CString& digits) const {
    digits.Empty();
    int start = nPos < 0 ? -1 : FindDigit(nPos);
    if (start < 0) {
        nPos = -1;
        return 0;
    }
    const char* p = m_str;
    int end = start;
    while (end < m_str.GetLength() && IsDigit(p[end]))
        ++end;
    digits = m_str.Mid(start, end - start);
    nPos = end < m_str.GetLength() ? end : -1;
    return end - start;
}

BOOL CStringEx::ScanInt(int& nPos, int& nValue) const {
    CString digits;
    if (ScanDigits(nPos, digits) == 0) {
        nValue = -1;
        return FALSE;
    }
    long long value = 0;
    for (const char* p = digits; *p != 0 && value <= INT_MAX; ++p)
        value = value * 10 + (*p - '0');
    nValue = value > INT_MAX ? INT_MAX : static_cast<int>(value);
    return TRUE;
}

namespace {

template <class Add> int ScanUnsigned(const CStringEx& text, int& pos, Add add) {
    int count = 0;
    CString digits;
    for (pos = 0; pos >= 0 && text.ScanDigits(pos, digits) > 0; ++count) {
        unsigned long long value = 0;
        for (const char* p = digits; *p != 0 && value <= UINT_MAX; ++p)
            value = value * 10 + (*p - '0');
        add(value > UINT_MAX ? UINT_MAX : static_cast<UINT>(value));
    }
    return count;
}

} // namespace

int CStringEx::ScanInts(CList<UINT, UINT>& values) {
    return ScanUnsigned(*this, m_nPos, [&](UINT v) { values.AddTail(v); });
}

int CStringEx::ScanDWords(CDWordArray& values) {
    return ScanUnsigned(*this, m_nPos, [&](UINT v) { values.Add(static_cast<DWORD>(v)); });
}

// ---- Splitting and joining -------------------------------------------------------------------

int SplitString(LPCTSTR text, CStringList& list, LPCTSTR separator, BOOL bAnyChar, BOOL bClear) {
    if (bClear)
        list.RemoveAll();
    CString s = Str(text);
    Separator sep{Str(separator), bAnyChar != FALSE};
    if (sep.text.IsEmpty()) {
        list.AddTail(s);
        return 1;
    }
    int added = 0;
    for (int pos = 0;; ++added) {
        int length = 0;
        int at = sep.Find(s, pos, length);
        if (at < 0) {
            list.AddTail(s.Mid(pos));
            return added + 1;
        }
        list.AddTail(s.Mid(pos, at - pos));
        pos = at + length;
    }
}

BOOL GetNextToken(LPCTSTR text, int& nPos, CString& token, LPCTSTR separator, BOOL bAnyChar,
                  BOOL bKeepEmpty) {
    token.Empty();
    CString s = Str(text);
    Separator sep{Str(separator), bAnyChar != FALSE};
    if (nPos >= 0 && !bKeepEmpty && !sep.text.IsEmpty()) {
        for (int length; nPos < s.GetLength() && (length = sep.MatchAt(s, nPos)) > 0;)
            nPos += length;
    }
    if (nPos < 0 || nPos >= s.GetLength()) {
        nPos = -1;
        return FALSE;
    }
    int length = 0;
    int at = sep.text.IsEmpty() ? -1 : sep.Find(s, nPos, length);
    if (at < 0) {
        token = s.Mid(nPos);
        nPos = s.GetLength();
    } else {
        token = s.Mid(nPos, at - nPos);
        nPos = at + length;
    }
    return TRUE;
}

CString GetNextTokenEx(LPCTSTR text, STokenState& state, LPCTSTR separator) {
    CString s = Str(text);
    if (state.nPos < 0 || state.nPos > s.GetLength()) {
        state.nPos = -1;
        return CString();
    }
    Separator sep{Str(separator), false};
    int length = 0;
    int at = sep.text.IsEmpty() ? -1 : sep.Find(s, state.nPos, length);
    CString token;
    if (at < 0) {
        token = s.Mid(state.nPos);
        state.nPos = -1;
    } else {
        token = s.Mid(state.nPos, at - state.nPos);
        state.nPos = at + length < s.GetLength() ? at + length : -1;
    }
    return token;
}

BOOL SplitFirst(LPCTSTR text, LPCTSTR separators, CString& first, CString& rest) {
    CString s = Str(text);
    Separator sep{Str(separators), true};
    first.Empty();
    rest.Empty();
    int pos = 0;
    while (pos < s.GetLength() && sep.MatchAt(s, pos) > 0)
        pos += CharSize(s, pos);
    if (pos >= s.GetLength())
        return FALSE;
    int length = 0;
    int end = sep.Find(s, pos, length);
    if (end < 0) {
        first = s.Mid(pos);
        return TRUE;
    }
    first = s.Mid(pos, end - pos);
    rest = s.Mid(end + length);
    if (!sep.text.IsEmpty())
        rest.Trim(sep.text);
    return TRUE;
}

int SplitAndTrim(LPCTSTR text, LPCTSTR separators, CStringList& list) {
    list.RemoveAll();
    return ForEachTrimmedToken(text, separators, [&](const CString& token) {
        list.AddTail(token);
        return true;
    });
}

int SplitToXString(LPCTSTR text, LPCTSTR separators, CXString& value) {
    int used = 0;
    if (value.GetCount() == 0)
        return 0;
    ForEachTrimmedToken(text, separators, [&](const CString& token) {
        value.ElementAt(used++) = token;
        return used < value.GetCount();
    });
    return used;
}

CString JoinStringList(const CStringList& list, LPCTSTR separator) {
    CString out;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) {
        if (pos != list.GetHeadPosition())
            out += Str(separator);
        out += list.GetNext(pos);
    }
    return out;
}

void AppendRepeated(CString& text, LPCTSTR piece, int nCount) {
    for (int i = 0; i < nCount; ++i)
        text += Str(piece);
}

// ---- Searching -------------------------------------------------------------------------------

int FindOneOf(LPCTSTR text, LPCTSTR charSet, int nStart) {
    CString s = Str(text);
    Separator set{Str(charSet), true};
    int length = 0;
    return set.Find(s, nStart < 0 ? 0 : nStart, length);
}

int FindEndOf(LPCTSTR text, LPCTSTR piece, int nStart) {
    CString s = Str(text), p = Str(piece);
    int at = s.Find(p, nStart < 0 ? 0 : nStart);
    return at < 0 ? -1 : at + p.GetLength();
}

int FindNoCase(LPCTSTR text, LPCTSTR piece, int nStart, BOOL) {
    // Folding both texts to upper or to lower case finds the same places.
    const char* s = text != nullptr ? text : "";
    return GbkFindNoCase(s, static_cast<int>(std::strlen(s)), piece, nStart);
}

CString GetTextBetween(LPCTSTR text, LPCTSTR startMarker, LPCTSTR endMarker, int nStart,
                       int& nEnd) {
    nEnd = -1;
    CString s = Str(text), open = Str(startMarker), close = Str(endMarker);
    if (nStart < 0)
        return CString();
    int at = s.Find(open, nStart);
    if (at < 0)
        return CString();
    int begin = at + open.GetLength();
    int end = s.Find(close, begin);
    if (end < 0)
        return CString();
    int after = end + close.GetLength();
    nEnd = after < s.GetLength() ? after : -1;
    return s.Mid(begin, end - begin);
}

CString GetKeyedValue(LPCTSTR text, LPCTSTR key, LPCTSTR startMarker, LPCTSTR endMarker,
                      int nStart) {
    CString s = Str(text), k = Str(key);
    int at = nStart < 0 ? -1 : s.Find(k, nStart);
    if (at < 0)
        return CString();
    int end;
    return GetTextBetween(text, startMarker, endMarker, at + k.GetLength(), end);
}

BOOL CutAtMarkerOutsideQuotes(CString& text, int nStart, LPCTSTR marker) {
    CString m = Str(marker);
    if (m.IsEmpty())
        return FALSE;
    // Quotes are counted from the start of the search over every hit passed, so a marker after a
    // closed quoted text ("http://x" // note) is found outside the quotes.
    const char* p = text;
    bool inQuotes = false;
    bool afterBackslash = false;
    for (int i = 0; i < text.GetLength(); i += CharSize(text, i)) {
        bool single = CharSize(text, i) == 1;
        if (i >= nStart) {
            if (!inQuotes && std::strncmp(p + i, m, m.GetLength()) == 0) {
                text = text.Left(i);
                return TRUE;
            }
            if (single && p[i] == '"' && !afterBackslash)
                inQuotes = !inQuotes;
        }
        afterBackslash = single && p[i] == '\\';
    }
    return FALSE;
}

// ---- Files -----------------------------------------------------------------------------------

BOOL ReadFileLines(LPCTSTR path, CStringList& list) {
    list.RemoveAll();
    CStdioFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyNone | CFile::typeText))
        return FALSE;
    CString line;
    while (file.ReadString(line))
        if (!line.IsEmpty())
            list.AddTail(line);
    file.Close();
    return TRUE;
}

BOOL ReadFileText(LPCTSTR path, CString& text) {
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary))
        return FALSE;
    std::string bytes;
    char buffer[4096];
    for (UINT got; (got = file.Read(buffer, sizeof buffer)) > 0;)
        for (UINT i = 0; i < got; ++i)
            if (buffer[i] != 0)
                bytes += buffer[i];
    file.Close();
    text = CString(bytes.data(), static_cast<int>(bytes.size()));
    return TRUE;
}

// ---- Quote-aware fields ----------------------------------------------------------------------

BOOL QuotedFieldTokenizer::Step(const CString& text, char separator, char quote,
                                LPCTSTR doubledQuote, LPCTSTR singleQuote) {
    const int len = text.GetLength();
    const char* p = text;
    if (m_nPos >= len)
        return FALSE;

    int i = m_nPos;
    bool finished = false;
    while (i < len && !finished) {
        const char c = p[i];
        const int size = CharSize(text, i);
        const bool last = i + size >= len;
        if (m_bInQuotes) {
            if (size == 1 && c == quote) {
                if (last || p[i + 1] != quote) {
                    m_nFieldEnd = i;
                    m_bInQuotes = FALSE;
                    m_bAfterClosingQuote = TRUE;
                    finished = true;
                    break;
                }
                i += 2;
                continue;
            }
        } else if (m_bAfterClosingQuote) {
            if (size == 1 && c == separator) {
                m_bAfterClosingQuote = FALSE;
                m_nFieldStart = i + 1;
            }
        } else if (size == 1 && c == separator) {
            if (m_nFieldEnd < 0)
                m_nFieldEnd = i;
            finished = true;
            break;
        } else if (size == 1 && c == quote && i == m_nFieldStart && m_nFieldEnd < 0) {
            m_bInQuotes = TRUE;
            m_nFieldStart = i + 1;
        } else if (last) {
            m_nFieldEnd = len;
            i = len - 1;
            finished = true;
            break;
        }
        i += size;
    }

    if (!finished) {
        m_nPos = len;
        if (m_bInQuotes) {
            // The quoted field goes on in the next line: keep what this line holds of it. A field
            // that starts here replaces whatever an earlier field left in the token.
            if (m_bComplete)
                m_strToken = text.Mid(m_nFieldStart);
            else
                m_strToken += text.Mid(m_nFieldStart);
            m_bComplete = FALSE;
        }
        return FALSE;
    }

    CString field = text.Mid(m_nFieldStart, m_nFieldEnd - m_nFieldStart);
    if (m_bComplete) {
        if (m_bExtract) {
            ReplaceAll(field, doubledQuote, singleQuote);
            m_strToken = field;
        }
    } else {
        m_strToken += field;
        if (!m_strToken.IsEmpty())
            ReplaceAll(m_strToken, doubledQuote, singleQuote);
    }
    m_nPos = i + 1;
    return TRUE;
}
