#include "platform/base/Archive.h"

#include <algorithm>
#include <climits>
#include <string>

#include "platform/base/Gbk.h"

static_assert(sizeof(long) == 8, "operator<<(long) stores 8 bytes, the size of int64_t here");

namespace {

const DWORD kTimeMarker = 0x8000000A;
const ULONGLONG kUnknown = ~0ULL;
// Strings are read in steps of this size when the file cannot tell how much it holds.
const ULONGLONG kReadStep = 1 << 20;

} // namespace

CArchive::CArchive(CFile* pFile, UINT nMode, int nBufSize, void* lpBuf)
    : m_pFile(pFile), m_nMode(nMode), m_bUserBuf(lpBuf != nullptr) {
    if (lpBuf != nullptr) {
        m_nBufSize = nBufSize > 0 ? static_cast<UINT>(nBufSize) : 1;
        m_lpBufStart = static_cast<BYTE*>(lpBuf);
    } else {
        m_nBufSize = static_cast<UINT>(std::max(nBufSize, 128));
        m_lpBufStart = new BYTE[m_nBufSize];
    }
    m_lpBufCur = m_lpBufStart;
    m_lpBufMax = IsLoading() ? m_lpBufStart : m_lpBufStart + m_nBufSize;
}

CArchive::~CArchive() {
    if (m_pFile != nullptr && !(m_nMode & bNoFlushOnDelete)) {
        try {
            Close();
        } catch (CException* e) {
            e->Delete();
        }
    }
    if (!m_bUserBuf) {
        delete[] m_lpBufStart;
    }
}

void CArchive::Throw(int cause) const {
    CString name = m_pFile != nullptr ? m_pFile->GetFilePath() : CString();
    AfxThrowArchiveException(cause, name);
}

void CArchive::FillBuffer() {
    m_lpBufCur = m_lpBufStart;
    m_lpBufMax = m_lpBufStart + m_pFile->Read(m_lpBufStart, m_nBufSize);
}

void CArchive::WriteBuffer() {
    if (m_lpBufCur > m_lpBufStart) {
        UINT n = static_cast<UINT>(m_lpBufCur - m_lpBufStart);
        m_lpBufCur = m_lpBufStart;
        m_pFile->Write(m_lpBufStart, n);
    }
}

UINT CArchive::Read(void* lpBuf, UINT nMax) {
    if (!IsLoading()) {
        Throw(CArchiveException::writeOnly);
    }
    if (m_pFile == nullptr) {
        Throw(CArchiveException::genericException);
    }
    BYTE* out = static_cast<BYTE*>(lpBuf);
    UINT done = 0;
    while (done < nMax) {
        UINT avail = static_cast<UINT>(m_lpBufMax - m_lpBufCur);
        if (avail == 0) {
            if (nMax - done >= m_nBufSize) {
                // Large reads bypass the buffer.
                UINT n = m_pFile->Read(out + done, nMax - done);
                if (n == 0) {
                    break;
                }
                done += n;
                continue;
            }
            FillBuffer();
            avail = static_cast<UINT>(m_lpBufMax - m_lpBufCur);
            if (avail == 0) {
                break;
            }
        }
        UINT n = std::min(avail, nMax - done);
        std::memcpy(out + done, m_lpBufCur, n);
        m_lpBufCur += n;
        done += n;
    }
    return done;
}

void CArchive::ReadExact(void* lpBuf, UINT nCount) {
    if (Read(lpBuf, nCount) != nCount) {
        Throw(CArchiveException::endOfFile);
    }
}

void CArchive::Write(const void* lpBuf, UINT nMax) {
    if (IsLoading()) {
        Throw(CArchiveException::readOnly);
    }
    if (m_pFile == nullptr) {
        Throw(CArchiveException::genericException);
    }
    const BYTE* in = static_cast<const BYTE*>(lpBuf);
    while (nMax > 0) {
        UINT room = static_cast<UINT>(m_lpBufMax - m_lpBufCur);
        if (room == 0) {
            WriteBuffer();
            if (nMax >= m_nBufSize) {
                m_pFile->Write(in, nMax);
                return;
            }
            room = m_nBufSize;
        }
        UINT n = std::min(room, nMax);
        std::memcpy(m_lpBufCur, in, n);
        m_lpBufCur += n;
        in += n;
        nMax -= n;
    }
}

void CArchive::Flush() {
    if (m_pFile == nullptr) {
        return;
    }
    if (IsStoring()) {
        WriteBuffer();
        return;
    }
    // Leave the file just after what the archive consumed, so the caller can read on from there.
    if (m_lpBufMax > m_lpBufCur) {
        LONGLONG unread = m_lpBufMax - m_lpBufCur;
        m_lpBufCur = m_lpBufMax;
        try {
            m_pFile->Seek(-unread, CFile::current);
        } catch (CException* e) {
            // A stream cannot go back; its unread bytes are simply dropped.
            e->Delete();
        }
    }
}

void CArchive::Close() {
    try {
        Flush();
    } catch (...) {
        m_pFile = nullptr;
        throw;
    }
    m_pFile = nullptr;
}

void CArchive::Abort() {
    m_pFile = nullptr;
    m_lpBufCur = m_lpBufStart;
    m_lpBufMax = IsLoading() ? m_lpBufStart : m_lpBufStart + m_nBufSize;
}

ULONGLONG CArchive::GetBytesLeft() const {
    if (!IsLoading()) {
        return 0;
    }
    ULONGLONG buffered = static_cast<ULONGLONG>(m_lpBufMax - m_lpBufCur);
    if (m_pFile == nullptr) {
        return buffered;
    }
    try {
        ULONGLONG length = m_pFile->GetLength();
        ULONGLONG position = m_pFile->GetPosition();
        return buffered + (length > position ? length - position : 0);
    } catch (CException* e) {
        e->Delete();
        return kUnknown;
    }
}

void CArchive::RequireBytes(ULONGLONG nBytes) const {
    // Most values lie in the buffer already; only larger ones need to ask the file.
    if (nBytes > static_cast<ULONGLONG>(m_lpBufMax - m_lpBufCur) && nBytes > GetBytesLeft()) {
        Throw(CArchiveException::endOfFile);
    }
}

DWORD_PTR CArchive::ReadCount() {
    WORD w = 0;
    *this >> w;
    if (w != 0xFFFF) {
        return w;
    }
    DWORD dw = 0;
    *this >> dw;
    if (dw != 0xFFFFFFFF) {
        return dw;
    }
    ULONGLONG qw = 0;
    *this >> qw;
    return static_cast<DWORD_PTR>(qw);
}

void CArchive::WriteCount(DWORD_PTR dwCount) {
    if (dwCount < 0xFFFF) {
        *this << static_cast<WORD>(dwCount);
        return;
    }
    *this << static_cast<WORD>(0xFFFF);
    if (dwCount < 0xFFFFFFFF) {
        *this << static_cast<DWORD>(dwCount);
        return;
    }
    *this << static_cast<DWORD>(0xFFFFFFFF) << static_cast<ULONGLONG>(dwCount);
}

DWORD_PTR CArchive::ReadCountOf(ULONGLONG nMinElementSize) {
    DWORD_PTR n = ReadCount();
    if (nMinElementSize > 0) {
        if (n > ~0ULL / nMinElementSize) {
            Throw(CArchiveException::endOfFile);
        }
        RequireBytes(n * nMinElementSize);
    }
    return n;
}

UINT CArchive::PeekBuffered(const BYTE*& pBytes, UINT nAtLeast) {
    if (!IsLoading() || m_pFile == nullptr) {
        pBytes = m_lpBufCur;
        return 0;
    }
    nAtLeast = std::min(nAtLeast, m_nBufSize);
    UINT avail = static_cast<UINT>(m_lpBufMax - m_lpBufCur);
    if (avail < nAtLeast) {
        // The unread bytes move to the front and the rest of the buffer is filled behind them;
        // the file stays just after the buffered bytes, as Flush expects.
        std::memmove(m_lpBufStart, m_lpBufCur, avail);
        m_lpBufCur = m_lpBufStart;
        m_lpBufMax = m_lpBufStart + avail;
        while (avail < nAtLeast) {
            UINT n = m_pFile->Read(m_lpBufMax, m_nBufSize - avail);
            if (n == 0)
                break;
            m_lpBufMax += n;
            avail += n;
        }
    }
    pBytes = m_lpBufCur;
    return avail;
}

void CArchive::SkipBuffered(UINT nCount) {
    m_lpBufCur += std::min(nCount, static_cast<UINT>(m_lpBufMax - m_lpBufCur));
}

BOOL CArchive::SkipIfNext(const void* pBytes, UINT nCount) {
    if (nCount > m_nBufSize)
        return FALSE;
    const BYTE* p = nullptr;
    if (PeekBuffered(p, nCount) < nCount || std::memcmp(p, pBytes, nCount) != 0)
        return FALSE;
    m_lpBufCur += nCount;
    return TRUE;
}

ULONGLONG CArchive::ReadStringLength(bool& wide) {
    BYTE b = 0;
    *this >> b;
    if (b < 0xFF) {
        return b;
    }
    WORD w = 0;
    *this >> w;
    if (w == 0xFFFE) {
        // The wide marker comes once, then the whole prefix again, counting UTF-16 units.
        if (wide) {
            Throw(CArchiveException::badIndex);
        }
        wide = true;
        return ReadStringLength(wide);
    }
    if (w < 0xFFFF) {
        return w;
    }
    DWORD dw = 0;
    *this >> dw;
    if (dw < 0xFFFFFFFF) {
        return dw;
    }
    ULONGLONG qw = 0;
    *this >> qw;
    return qw;
}

std::string CArchive::ReadBytes(ULONGLONG nBytes) {
    std::string out;
    while (out.size() < nBytes) {
        size_t have = out.size();
        size_t step = static_cast<size_t>(std::min(nBytes - have, kReadStep));
        out.resize(have + step);
        ReadExact(out.data() + have, static_cast<UINT>(step));
    }
    return out;
}

void CArchive::ReadCString(CString& s) {
    bool wide = false;
    ULONGLONG length = ReadStringLength(wide);
    // A CString holds at most INT_MAX bytes; a wide text can double in GBK.
    ULONGLONG maxLength = wide ? INT_MAX / 2 : INT_MAX;
    if (length > maxLength) {
        Throw(CArchiveException::badIndex);
    }
    ULONGLONG bytes = wide ? length * 2 : length;
    RequireBytes(bytes);
    std::string raw = ReadBytes(bytes);
    if (!wide) {
        s = CString(raw.data(), static_cast<int>(raw.size()));
        return;
    }
    std::u16string units(static_cast<size_t>(length), u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(static_cast<BYTE>(raw[2 * i]) |
                                         (static_cast<BYTE>(raw[2 * i + 1]) << 8));
    }
    s = Utf16ToGbk(units);
}

void CArchive::WriteCString(const CString& s) {
    ULONGLONG n = static_cast<ULONGLONG>(s.GetLength());
    if (n < 0xFF) {
        *this << static_cast<BYTE>(n);
    } else if (n < 0xFFFE) {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(n);
    } else if (n < 0xFFFFFFFF) {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFF) << static_cast<DWORD>(n);
    } else {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFF)
              << static_cast<DWORD>(0xFFFFFFFF) << n;
    }
    Write(s.GetString(), static_cast<UINT>(n));
}

void CArchive::WriteTime(const CTime& t) {
    *this << kTimeMarker << static_cast<LONGLONG>(t.GetTime());
}

void CArchive::ReadTime(CTime& t) {
    DWORD first = 0;
    *this >> first;
    if (first == kTimeMarker) {
        LONGLONG seconds = 0;
        *this >> seconds;
        t = CTime(static_cast<__time64_t>(seconds));
    } else {
        t = CTime(static_cast<__time64_t>(static_cast<int32_t>(first)));
    }
}

BOOL CArchive::ReadString(CString& rString) {
    std::string line;
    bool any = false;
    BYTE c = 0;
    while (Read(&c, 1) == 1) {
        any = true;
        if (c == '\n') {
            break;
        }
        line += static_cast<char>(c);
    }
    if (c == '\n' && !line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    rString = CString(line.data(), static_cast<int>(line.size()));
    return any;
}

void CArchive::WriteString(LPCTSTR lpsz) {
    Write(lpsz, static_cast<UINT>(std::strlen(lpsz)));
}
