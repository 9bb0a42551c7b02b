#include "mail/MimeCodec.h"

#include <cstring>
#include <memory>
#include <sys/stat.h>

#include "platform/base/Exception.h"
#include "platform/base/File.h"
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
