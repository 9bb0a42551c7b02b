// The binary archive every record is stored with: little-endian values without padding, strings
// with a length prefix, times with a 64-bit marker form, element counts. The layout is the one the
// program's files have always had, byte for byte, so files from earlier versions load here and
// files written here load there.
//
// A loading archive never trusts a count or a length it reads: before anything is allocated it is
// checked against the bytes left in the file, and a short or damaged file ends in a
// CArchiveException (endOfFile for data that stops early, badIndex for a value nothing can hold).
#pragma once

#include <cstring>
#include <type_traits>

#include "platform/base/CString.h"
#include "platform/base/Exception.h"
#include "platform/base/File.h"
#include "platform/base/Time.h"
#include "platform/base/Types.h"

class CDocument;

class CArchive {
public:
    enum Mode { store = 0, load = 1, bNoFlushOnDelete = 2, bNoByteSwap = 4 };

    CArchive(CFile* pFile, UINT nMode, int nBufSize = 4096, void* lpBuf = nullptr);
    // Closes the archive if the owner did not (storing: the buffer is written; errors are
    // swallowed here, so call Close to see them).
    ~CArchive();

    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    BOOL IsLoading() const { return (m_nMode & load) != 0; }
    BOOL IsStoring() const { return (m_nMode & load) == 0; }
    BOOL IsByteSwapping() const { return FALSE; }
    CFile* GetFile() const { return m_pFile; }

    // Raw bytes. Read returns the number read, fewer only at the end of the data.
    UINT Read(void* lpBuf, UINT nMax);
    void Write(const void* lpBuf, UINT nMax);

    // Storing: writes the buffer to the file. Loading: gives unread buffered bytes back to the
    // file.
    void Flush();
    void Close();
    // Detaches from the file without writing what is buffered and without throwing.
    void Abort();

    // The framework's element count: a WORD below 0xFFFF, else 0xFFFF and a DWORD (and above
    // that 0xFFFFFFFF and 8 bytes).
    DWORD_PTR ReadCount();
    void WriteCount(DWORD_PTR dwCount);

    // Bytes that can still be read: the buffered ones plus the rest of the file, or ~0 when the
    // file cannot tell (a stream).
    ULONGLONG GetBytesLeft() const;
    // Throws CArchiveException endOfFile unless nBytes can still be read.
    void RequireBytes(ULONGLONG nBytes) const;
    // A count of elements of at least nMinElementSize stored bytes each, checked against the
    // bytes left before the caller allocates for it.
    DWORD_PTR ReadCountOf(ULONGLONG nMinElementSize);
    // Loading: consumes the next nCount bytes when they are exactly the given ones and answers
    // TRUE; otherwise reads nothing (also when fewer bytes are left or nCount exceeds the
    // buffer). Lets a reader recognise a common stored form without building it.
    BOOL SkipIfNext(const void* pBytes, UINT nCount);
    // Loading: makes at least nAtLeast bytes readable from the buffer when the data has them
    // (never more than the buffer holds) and answers how many are buffered, pBytes pointing at
    // them; nothing is consumed. SkipBuffered then consumes some of them.
    UINT PeekBuffered(const BYTE*& pBytes, UINT nAtLeast);
    void SkipBuffered(UINT nCount);

    // A line of text: up to "\n" (dropped with a "\r" before it). FALSE at the end of the data.
    BOOL ReadString(CString& rString);
    // Text without terminator or length.
    void WriteString(LPCTSTR lpsz);

    // Fixed-size values, little-endian.
    CArchive& operator<<(bool b) { return Put<BYTE>(b ? 1 : 0); }
    CArchive& operator<<(char ch) { return Put(ch); }
    CArchive& operator<<(signed char ch) { return Put(ch); }
    CArchive& operator<<(BYTE by) { return Put(by); }
    CArchive& operator<<(short w) { return Put(w); }
    CArchive& operator<<(WORD w) { return Put(w); }
    CArchive& operator<<(int i) { return Put(i); }  // also LONG and BOOL
    CArchive& operator<<(UINT u) { return Put(u); } // also DWORD
    CArchive& operator<<(long l) { return Put(l); } // 64-bit: int64_t, __time64_t
    // size_t and DWORD_PTR are 8 bytes here but were 4 in the files' original layout: storing one
    // must name its width (DWORD or ULONGLONG).
    CArchive& operator<<(unsigned long) = delete;
    CArchive& operator<<(LONGLONG l) { return Put(l); }
    CArchive& operator<<(ULONGLONG l) { return Put(l); }
    CArchive& operator<<(float f) { return Put(f); }
    CArchive& operator<<(double d) { return Put(d); }
    // A text written as a string (without this it would become a bool).
    CArchive& operator<<(const char* psz) {
        WriteCString(CString(psz != nullptr ? psz : ""));
        return *this;
    }
    // Objects are stored by their own Serialize; storing a pointer is a mistake.
    CArchive& operator<<(const void*) = delete;

    CArchive& operator>>(bool& b) {
        BYTE v = 0;
        Get(v);
        b = v != 0;
        return *this;
    }
    CArchive& operator>>(char& ch) { return Get(ch); }
    CArchive& operator>>(signed char& ch) { return Get(ch); }
    CArchive& operator>>(BYTE& by) { return Get(by); }
    CArchive& operator>>(short& w) { return Get(w); }
    CArchive& operator>>(WORD& w) { return Get(w); }
    CArchive& operator>>(int& i) { return Get(i); }
    CArchive& operator>>(UINT& u) { return Get(u); }
    CArchive& operator>>(long& l) { return Get(l); }
    CArchive& operator>>(unsigned long&) = delete;
    CArchive& operator>>(LONGLONG& l) { return Get(l); }
    CArchive& operator>>(ULONGLONG& l) { return Get(l); }
    CArchive& operator>>(float& f) { return Get(f); }
    CArchive& operator>>(double& d) { return Get(d); }

    // A string: the length prefix, then the bytes. Loading also takes the wide form (UTF-16),
    // converted to GBK.
    void WriteCString(const CString& s);
    void ReadCString(CString& s);
    // A time: the marker 0x8000000A then 8-byte seconds. Loading also takes the old form, a plain
    // 32-bit time.
    void WriteTime(const CTime& t);
    void ReadTime(CTime& t);

    CDocument* m_pDocument = nullptr;

private:
    template <class T> CArchive& Put(T v) {
        static_assert(std::is_arithmetic_v<T>);
        Write(&v, sizeof v);
        return *this;
    }
    template <class T> CArchive& Get(T& v) {
        static_assert(std::is_arithmetic_v<T>);
        ReadExact(&v, sizeof v);
        return *this;
    }
    void ReadExact(void* lpBuf, UINT nCount);
    // Reads the length prefix of a string; sets wide when the UTF-16 marker came first.
    ULONGLONG ReadStringLength(bool& wide);
    // Reads nBytes into a new string, in steps when the file cannot say how much it holds, so that
    // a false length costs no more memory than the data that really arrives.
    std::string ReadBytes(ULONGLONG nBytes);
    void FillBuffer();
    void WriteBuffer();
    [[noreturn]] void Throw(int cause) const;

    CFile* m_pFile;
    UINT m_nMode;
    BYTE* m_lpBufStart;
    BYTE* m_lpBufCur;
    BYTE* m_lpBufMax; // loading: end of the valid bytes; storing: end of the buffer
    UINT m_nBufSize;
    BOOL m_bUserBuf;
};

inline CArchive& operator<<(CArchive& ar, const CString& s) {
    ar.WriteCString(s);
    return ar;
}
inline CArchive& operator>>(CArchive& ar, CString& s) {
    ar.ReadCString(s);
    return ar;
}
inline CArchive& operator<<(CArchive& ar, const CTime& t) {
    ar.WriteTime(t);
    return ar;
}
inline CArchive& operator>>(CArchive& ar, CTime& t) {
    ar.ReadTime(t);
    return ar;
}
