#include "mail/MimeCodec.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <memory>
#include <sys/stat.h>
#include <vector>

#include "platform/base/Exception.h"
#include "platform/base/File.h"
#include "platform/base/Gbk.h"
#include "platform/base/OsPath.h"

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const char kHex[] = "0123456789ABCDEF";

constexpr size_t kLineBytes = 57; // source bytes of one 76-character line

// The length of the Base64 text of n bytes.
size_t EncodedLength(size_t n, DWORD dwFlags) {
    size_t length = n / 3 * 4;
    if (n % 3 != 0)
        length += (dwFlags & BASE64_NO_PADDING) ? n % 3 + 1 : 4;
    if (!(dwFlags & BASE64_NO_LINES))
        length += n / kLineBytes * 2;
    return length;
}

// Three bytes as four characters.
inline void EncodeGroup(const BYTE* p, char* out) {
    const DWORD v = (DWORD(p[0]) << 16) | (DWORD(p[1]) << 8) | p[2];
    out[0] = kAlphabet[v >> 18];
    out[1] = kAlphabet[(v >> 12) & 63];
    out[2] = kAlphabet[(v >> 6) & 63];
    out[3] = kAlphabet[v & 63];
}

// Writes the Base64 text of n bytes at out and answers its length. Lines restart at the source's
// first byte, so a long source can be encoded in pieces of whole lines.
size_t EncodeInto(const BYTE* in, size_t n, char* out, DWORD dwFlags) {
    char* start = out;
    const bool lines = !(dwFlags & BASE64_NO_LINES);
    size_t done = 0;
    if (lines) {
        for (; done + kLineBytes <= n; done += kLineBytes) {
            const BYTE* p = in + done;
            for (int g = 0; g < 19; ++g, p += 3, out += 4)
                EncodeGroup(p, out);
            *out++ = '\r';
            *out++ = '\n';
        }
    }
    for (; done + 3 <= n; done += 3, out += 4)
        EncodeGroup(in + done, out);
    const size_t rest = n - done;
    if (rest > 0) {
        const BYTE* p = in + done;
        const DWORD v = (DWORD(p[0]) << 16) | (rest == 2 ? DWORD(p[1]) << 8 : 0);
        *out++ = kAlphabet[v >> 18];
        *out++ = kAlphabet[(v >> 12) & 63];
        if (rest == 2)
            *out++ = kAlphabet[(v >> 6) & 63];
        if (!(dwFlags & BASE64_NO_PADDING)) {
            if (rest == 1)
                *out++ = '=';
            *out++ = '=';
        }
    }
    return static_cast<size_t>(out - start);
}

// Room for nMore bytes at the end of the output (emptied first unless appending); answers where
// they go.
char* Extend(CString& out, BOOL bAppend, size_t nMore, int& oldLength) {
    oldLength = bAppend ? out.GetLength() : 0;
    return out.GetBufferSetLength(oldLength + static_cast<int>(nMore)) + oldLength;
}

void AppendHex(CString& out, BYTE b) {
    out += '=';
    out += kHex[b >> 4];
    out += kHex[b & 15];
}

int DecodeValue(unsigned char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

} // namespace

BOOL EncodeBase64(const void* pData, size_t nBytes, CString* pOut, BOOL bAppend, DWORD dwFlags) {
    if ((pData == nullptr && nBytes > 0) || pOut == nullptr)
        return FALSE;
    const size_t length = EncodedLength(nBytes, dwFlags);
    if (length > static_cast<size_t>(INT_MAX) - static_cast<size_t>(pOut->GetLength()))
        return FALSE;
    int oldLength = 0;
    char* out = Extend(*pOut, bAppend, length, oldLength);
    if (nBytes > 0)
        EncodeInto(static_cast<const BYTE*>(pData), nBytes, out, dwFlags);
    return TRUE;
}

BOOL EncodeBase64(const CString* pSource, CString* pOut, BOOL bAppend, DWORD dwFlags) {
    if (pSource == nullptr || pOut == nullptr)
        return FALSE;
    if (pSource == pOut) {
        const CString copy = *pSource;
        return EncodeBase64(copy.GetString(), copy.GetLength(), pOut, bAppend, dwFlags);
    }
    return EncodeBase64(pSource->GetString(), pSource->GetLength(), pOut, bAppend, dwFlags);
}

ULONGLONG GetBase64Length(ULONGLONG nBytes, DWORD dwFlags) {
    return EncodedLength(static_cast<size_t>(nBytes), dwFlags);
}

BOOL EncodeBase64File(LPCTSTR lpszPath, CString* pOut, DWORD dwLimitHigh, DWORD dwLimitLow,
                      BOOL bAppend, DWORD dwFlags) {
    if (lpszPath == nullptr || pOut == nullptr)
        return FALSE;
    const bool limited = dwLimitHigh != 0 || dwLimitLow != 0;
    const ULONGLONG limit = (ULONGLONG(dwLimitHigh) << 32) | dwLimitLow;
    // Only a regular file: a device would never end and opening a pipe would wait for a writer.
    struct stat st;
    if (::stat(OsPathFromProgramPath(lpszPath).c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return FALSE;
    CFile file;
    if (!file.Open(lpszPath, CFile::modeRead | CFile::shareDenyWrite))
        return FALSE;
    CString encoded;
    try {
        const ULONGLONG size = file.GetLength();
        if (limited && size > limit)
            return FALSE;
        // Pieces of whole lines, so that each piece's lines end where the whole file's would.
        constexpr size_t kPiece = kLineBytes * 4096;
        std::unique_ptr<BYTE[]> buffer(new BYTE[kPiece]);
        ULONGLONG total = 0;
        size_t reserved = EncodedLength(static_cast<size_t>(size), dwFlags);
        char* out = encoded.GetBufferSetLength(static_cast<int>(reserved));
        size_t used = 0;
        for (;;) {
            size_t got = 0;
            while (got < kPiece) {
                const UINT n = file.Read(buffer.get() + got, static_cast<UINT>(kPiece - got));
                if (n == 0)
                    break;
                got += n;
            }
            if (got == 0)
                break;
            total += got;
            if ((limited && total > limit) || total > ULONGLONG(INT_MAX) / 2)
                return FALSE;
            const size_t need = EncodedLength(got, dwFlags);
            if (used + need > reserved) {
                // The file grew while it was read.
                reserved = used + need + EncodedLength(kPiece, dwFlags);
                out = encoded.GetBufferSetLength(static_cast<int>(reserved));
            }
            used += EncodeInto(buffer.get(), got, out + used, dwFlags);
            if (got < kPiece)
                break;
        }
        encoded.ReleaseBuffer(static_cast<int>(used));
    } catch (CException* e) {
        e->Delete();
        return FALSE;
    }
    if (bAppend)
        *pOut += encoded;
    else
        *pOut = std::move(encoded);
    return TRUE;
}

BOOL DecodeBase64(const CString* pSource, CString* pOut) {
    if (pSource == nullptr || pOut == nullptr)
        return FALSE;
    const unsigned char* in = reinterpret_cast<const unsigned char*>(pSource->GetString());
    const size_t n = static_cast<size_t>(pSource->GetLength());
    std::string bytes;
    bytes.reserve(n / 4 * 3 + 3);
    DWORD group = 0;
    int count = 0;
    for (size_t i = 0; i < n && in[i] != 0; ++i) {
        const int v = DecodeValue(in[i]);
        if (v < 0)
            continue;
        group = (group << 6) | static_cast<DWORD>(v);
        if (++count == 4) {
            bytes += static_cast<char>(group >> 16);
            bytes += static_cast<char>(group >> 8);
            bytes += static_cast<char>(group);
            group = 0;
            count = 0;
        }
    }
    if (count >= 2) {
        group <<= 6 * (4 - count);
        bytes += static_cast<char>(group >> 16);
        if (count == 3)
            bytes += static_cast<char>(group >> 8);
    }
    *pOut = CString(bytes.data(), static_cast<int>(bytes.size()));
    return TRUE;
}

namespace {

// "=?charset?X?" + the encoding of the whole source + "?=".
BOOL EncodeWord(const CString* pSource, CString* pOut, LPCTSTR lpszCharset, char kind,
                void (*encode)(const CString& source, CString& word)) {
    if (pSource == nullptr || pOut == nullptr || lpszCharset == nullptr)
        return FALSE;
    CString word = "=?";
    word += lpszCharset;
    word += '?';
    word += kind;
    word += '?';
    encode(*pSource, word);
    word += "?=";
    *pOut = std::move(word);
    return TRUE;
}

} // namespace

BOOL EncodeWordB(const CString* pSource, CString* pOut, LPCTSTR lpszCharset) {
    return EncodeWord(pSource, pOut, lpszCharset, 'B', [](const CString& source, CString& word) {
        EncodeBase64(&source, &word, TRUE, BASE64_NO_LINES);
    });
}

BOOL EncodeWordQ(const CString* pSource, CString* pOut, LPCTSTR lpszCharset) {
    return EncodeWord(pSource, pOut, lpszCharset, 'Q', [](const CString& source, CString& word) {
        const BYTE* in = reinterpret_cast<const BYTE*>(source.GetString());
        for (int i = 0; i < source.GetLength(); ++i) {
            const BYTE b = in[i];
            if (b >= '!' && b <= '~' && b != '=' && b != '?' && b != '_')
                word += static_cast<char>(b);
            else
                AppendHex(word, b);
        }
    });
}

BOOL EncodeQuotedPrintable(const CString* pSource, CString* pOut, BOOL bAppend, DWORD) {
    if (pSource == nullptr || pOut == nullptr)
        return FALSE;
    CString out = bAppend ? *pOut : CString();
    const BYTE* in = reinterpret_cast<const BYTE*>(pSource->GetString());
    const int n = pSource->GetLength();
    int line = 0;
    for (int i = 0; i < n; ++i) {
        const BYTE b = in[i];
        if (b >= '!' && b <= '~' && b != '=') {
            out += static_cast<char>(b);
            ++line;
        } else if ((b == ' ' || b == '\t') && line < 64 && i + 1 < n) {
            // A blank at the very end would end the encoded line, where transports drop it.
            out += static_cast<char>(b);
            ++line;
        } else {
            AppendHex(out, b);
            line += 3;
        }
        if (line > 64) {
            out += "=\r\n";
            line = 0;
        }
    }
    *pOut = std::move(out);
    return TRUE;
}

CString MailCharsetOf(const CString& text) {
    bool ascii = true;
    for (int i = 0; i < text.GetLength() && ascii; ++i)
        ascii = static_cast<unsigned char>(text[i]) < 0x80;
    if (ascii)
        return "gb2312";
    // The C library's GB2312 is strict: a character outside it does not convert.
    iconv_t cd = iconv_open("GB2312", "CP936");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return "gb18030";
    char* in = const_cast<char*>(text.GetString());
    size_t left = static_cast<size_t>(text.GetLength());
    bool fits = true;
    while (left > 0 && fits) {
        char buffer[1024];
        char* out = buffer;
        size_t room = sizeof buffer;
        fits = iconv(cd, &in, &left, &out, &room) != static_cast<size_t>(-1) || errno == E2BIG;
    }
    iconv_close(cd);
    return fits ? "gb2312" : "gb18030";
}

CString MailBytes(const CString& text, LPCTSTR lpszCharset) {
    if (lpszCharset == nullptr || CString(lpszCharset).CompareNoCase("gb18030") != 0 ||
        text.Find('\x80') < 0)
        return text;
    CString out;
    const char* p = text.GetString();
    const size_t n = static_cast<size_t>(text.GetLength());
    for (size_t i = 0; i < n;) {
        const int size = GbkCharSize(p + i, n - i);
        if (size == 1 && static_cast<unsigned char>(p[i]) == 0x80)
            out += "\xA2\xE3";
        else
            out += CString(p + i, size);
        i += static_cast<size_t>(size);
    }
    return out;
}

CString EncodeHeaderWords(const CString& text, char kind, int nFirstWordLength) {
    const CString charset = MailCharsetOf(text);
    const CString bytes = MailBytes(text, charset);
    // "=?" charset "?X?" ... "?=" in at most 75 characters (the first word as asked).
    int room = std::min(nFirstWordLength, 75) - (charset.GetLength() + 7);
    const char* p = bytes.GetString();
    const size_t n = static_cast<size_t>(bytes.GetLength());
    CString out;
    size_t start = 0;
    do {
        // Whole characters while their encoding fits.
        size_t end = start;
        int used = 0;
        while (end < n) {
            const int size = GbkCharSize(p + end, n - end);
            int cost = 0;
            if (kind == 'B') {
                const size_t bytesThen = end + static_cast<size_t>(size) - start;
                cost = static_cast<int>((bytesThen + 2) / 3 * 4) - used;
            } else {
                for (int k = 0; k < size; ++k) {
                    const unsigned char b = static_cast<unsigned char>(p[end + k]);
                    cost += b >= '!' && b <= '~' && b != '=' && b != '?' && b != '_' ? 1 : 3;
                }
            }
            if (used + cost > room && end > start)
                break;
            used += cost;
            end += static_cast<size_t>(size);
        }
        const CString piece(p + start, static_cast<int>(end - start));
        CString word;
        if (kind == 'B')
            EncodeWordB(&piece, &word, charset);
        else
            EncodeWordQ(&piece, &word, charset);
        if (!out.IsEmpty())
            out += ' ';
        out += word;
        start = end;
        room = 75 - (charset.GetLength() + 7);
    } while (start < n);
    return out;
}

CString StripControlChars(const CString& text) {
    CString out;
    for (int i = 0; i < text.GetLength(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != 0x7F)
            out += static_cast<char>(c);
    }
    return out;
}

CString FoldHeaderLine(const CString& line) {
    constexpr int kWidth = 78;
    CString out;
    // Lines folded already (CR LF before a blank or tab) are taken one by one.
    for (int segment = 0; segment <= line.GetLength();) {
        int segmentEnd = line.Find("\r\n", segment);
        if (segmentEnd < 0)
            segmentEnd = line.GetLength();
        if (segment > 0)
            out += "\r\n";
        int lineStart = segment;
        int lastBlank = -1;
        // Never right after the header's name: the value would begin with a blank.
        const int firstFold = segment == 0 ? line.Find(':') + 2 : segment;
        for (int i = segment; i < segmentEnd; ++i) {
            if (line[i] == ' ' && i > lineStart && i >= firstFold)
                lastBlank = i;
            if (i - lineStart >= kWidth && lastBlank > lineStart) {
                out += line.Mid(lineStart, lastBlank - lineStart);
                out += "\r\n";
                lineStart = lastBlank; // the blank starts the continuation line
                lastBlank = -1;
            }
        }
        out += line.Mid(lineStart, segmentEnd - lineStart);
        segment = segmentEnd + 2;
    }
    return out;
}

CString EncodeRfc2231Parameter(LPCTSTR lpszName, const CString& value) {
    const CString charset = MailCharsetOf(value);
    const CString bytes = MailBytes(value, charset);
    // Percent-encoded pieces of at most 60 characters, split between whole characters: readers
    // decode each piece by itself.
    std::vector<CString> pieces(1);
    const char* p = bytes.GetString();
    const size_t n = static_cast<size_t>(bytes.GetLength());
    for (size_t i = 0; i < n;) {
        const int size = GbkCharSize(p + i, n - i);
        CString code;
        for (int k = 0; k < size; ++k) {
            const unsigned char b = static_cast<unsigned char>(p[i + k]);
            if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
                std::strchr("!#$&+-.^_`|~", b) != nullptr)
                code += static_cast<char>(b);
            else
                code.AppendFormat("%%%02X", b);
        }
        if (pieces.back().GetLength() + code.GetLength() > 60)
            pieces.emplace_back();
        pieces.back() += code;
        i += static_cast<size_t>(size);
    }
    CString out;
    if (pieces.size() == 1) {
        out.Format(";\r\n\t%s*=%s''%s", lpszName, charset.GetString(), pieces[0].GetString());
        return out;
    }
    for (size_t i = 0; i < pieces.size(); ++i)
        out.AppendFormat(";\r\n\t%s*%d*=%s%s", lpszName, static_cast<int>(i),
                         i == 0 ? (charset + "''").GetString() : "", pieces[i].GetString());
    return out;
}
