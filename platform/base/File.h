// Files: CFile over a POSIX descriptor, CStdioFile for text lines, CMemFile over a memory block.
// Paths are program paths (GBK, `\` or `/`); see OsPath.h for how they reach the disk.
#pragma once

#include <cstdio>

#include "platform/base/CString.h"
#include "platform/base/Exception.h"
#include "platform/base/Object.h"
#include "platform/base/Time.h"
#include "platform/base/Types.h"

struct CFileStatus {
    CTime m_ctime; // time of the last status change (no creation time here)
    CTime m_mtime; // last write
    CTime m_atime; // last access
    ULONGLONG m_size = 0;
    BYTE m_attribute = 0;         // CFile::Attribute bits
    char m_szFullName[1024] = {}; // absolute program path, `\` separators
};

class CFile : public CObject {
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000
    };
    enum Attribute {
        normal = 0x00,
        readOnly = 0x01,
        hidden = 0x02,
        system = 0x04,
        volume = 0x08,
        directory = 0x10,
        archive = 0x20
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    static constexpr int hFileNull = -1;

    CFile();
    explicit CFile(int hFile);
    // Opens or throws the CFileException that Open would have filled.
    CFile(LPCTSTR lpszFileName, UINT nOpenFlags);
    // Closes an open file, ignoring errors (use Close to see them).
    ~CFile() override;

    // Sharing: shareExclusive (and shareCompat, which the framework treats the same way) lets no
    // other open of the file succeed; shareDenyWrite lets others read only. Other opens that
    // conflict fail with sharingViolation, in this process and in others. Only a regular file
    // opens: a folder, a pipe or a device fails at once with accessDenied.
    virtual BOOL Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);

    // Reads up to nCount bytes; fewer only at the end of the file.
    virtual UINT Read(void* lpBuf, UINT nCount);
    // Writes all bytes or throws (diskFull when the disk fills).
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    virtual ULONGLONG GetPosition() const;
    virtual ULONGLONG GetLength() const;
    virtual void SetLength(ULONGLONG dwNewLen);
    virtual void Flush();
    virtual void Close();
    // Closes without throwing; for clean-up after an error.
    virtual void Abort();

    virtual CString GetFilePath() const { return m_strFileName; }
    virtual void SetFilePath(LPCTSTR lpszNewName) { m_strFileName = lpszNewName; }
    virtual CString GetFileName() const;
    virtual CString GetFileTitle() const;

    BOOL GetStatus(CFileStatus& rStatus) const;
    static BOOL GetStatus(LPCTSTR lpszFileName, CFileStatus& rStatus);
    // Both throw CFileException on failure. Rename does not replace an existing file.
    static void Rename(LPCTSTR lpszOldName, LPCTSTR lpszNewName);
    static void Remove(LPCTSTR lpszFileName);

    int m_hFile;

protected:
    // Throws the CFileException for errno, naming this file.
    [[noreturn]] void ThrowErrno(int err) const;

    BOOL m_bCloseOnDelete;
    CString m_strFileName;
};

// Lines of text. In text mode (the default; typeBinary turns it off) a "\r\n" read from the file
// arrives as "\n" and each "\n" written goes to the file as "\r\n".
class CStdioFile : public CFile {
    DECLARE_DYNAMIC(CStdioFile)
public:
    CStdioFile();
    CStdioFile(LPCTSTR lpszFileName, UINT nOpenFlags);
    // Over a stream opened for writing elsewhere; the file closes it.
    CStdioFile(FILE* pOpenStream, BOOL bText);
    ~CStdioFile() override;

    BOOL Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override;

    // The next line without its line end; FALSE at the end of the file.
    virtual BOOL ReadString(CString& rString);
    // Up to nMax - 1 bytes, stopping after a "\n" (which is kept); null at the end of the file.
    virtual LPTSTR ReadString(LPTSTR lpsz, UINT nMax);
    virtual void WriteString(LPCTSTR lpsz);

    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetPosition() const override;
    ULONGLONG GetLength() const override;
    void SetLength(ULONGLONG dwNewLen) override;
    void Flush() override;
    void Close() override;
    void Abort() override;

    FILE* m_pStream;

private:
    int ReadChar();
    BOOL m_bText;
};

// A file in memory that grows by blocks of nGrowBytes. Memory is malloc'ed, so a block taken with
// Detach is released with free().
class CMemFile : public CFile {
    DECLARE_DYNAMIC(CMemFile)
public:
    explicit CMemFile(UINT nGrowBytes = 1024);
    // Over a caller's buffer: with nGrowBytes 0 the file is the buffer's nBufferSize bytes and
    // cannot grow; otherwise it starts empty and the buffer is its first block.
    CMemFile(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0);
    ~CMemFile() override;

    void Attach(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0);
    // Hands the memory to the caller and leaves the file empty.
    BYTE* Detach();

    BOOL Open(LPCTSTR, UINT, CFileException* = nullptr) override { return FALSE; }
    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetPosition() const override { return m_nPosition; }
    ULONGLONG GetLength() const override { return m_nFileSize; }
    void SetLength(ULONGLONG dwNewLen) override;
    void Flush() override {}
    void Close() override;
    void Abort() override { Close(); }

private:
    void GrowFile(size_t nNewSize);

    size_t m_nGrowBytes;
    size_t m_nPosition = 0;
    size_t m_nBufferSize = 0;
    size_t m_nFileSize = 0;
    BYTE* m_lpBuffer = nullptr;
    BOOL m_bAutoDelete = TRUE;
};
