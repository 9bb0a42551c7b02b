#include "platform/base/File.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <string>

#include "platform/base/Gbk.h"
#include "platform/base/OsPath.h"

IMPLEMENT_DYNAMIC(CFile, CObject)
IMPLEMENT_DYNAMIC(CStdioFile, CFile)
IMPLEMENT_DYNAMIC(CMemFile, CFile)

namespace {

BOOL FailOpen(CFileException* pError, int err, LPCTSTR lpszFileName) {
    if (pError != nullptr) {
        pError->m_cause = CFileException::OsErrorToException(err);
        pError->m_lOsError = err;
        pError->m_strFileName = lpszFileName;
    }
    return FALSE;
}

// Sharing is kept with whole-file flock() locks: they belong to one open of the file, so two opens
// in this process contend with each other just as opens in two processes do. An open that denies
// others anything takes the exclusive lock; a reader that only denies writers, and an open that
// denies nothing, take the shared lock, which keeps them out of files opened exclusively. The one
// combination this cannot see is a writer that denies nothing meeting a reader that denies writers;
// the program does not open files that way.
int LockFor(UINT nOpenFlags) {
    UINT share = nOpenFlags & 0x70;
    UINT access = nOpenFlags & 3;
    if (share == CFile::shareDenyNone) {
        return LOCK_SH;
    }
    if (share == CFile::shareDenyWrite && access == CFile::modeRead) {
        return LOCK_SH;
    }
    return LOCK_EX;
}

int OpenFd(LPCTSTR lpszFileName, UINT nOpenFlags, int& err) {
    std::string osPath = OsPathFromProgramPath(lpszFileName);
    int flags = O_CLOEXEC;
    switch (nOpenFlags & 3) {
    case CFile::modeWrite:
        flags |= O_WRONLY;
        break;
    case CFile::modeReadWrite:
        flags |= O_RDWR;
        break;
    default:
        flags |= O_RDONLY;
        break;
    }
    if (nOpenFlags & CFile::modeCreate) {
        flags |= O_CREAT;
    }
    // Only regular files are documents: a pipe would hang the open (or the first read) for as
    // long as nobody writes to it, and a device reads as an endless or empty file. The open itself
    // must not wait, so it is made non-blocking and turned back once the file is known.
    // A new file is the user's alone; an existing one keeps its mode.
    int fd = ::open(osPath.c_str(), flags | O_NONBLOCK, 0600);
    if (fd < 0) {
        err = errno == ENXIO ? EACCES : errno; // a pipe nobody reads, opened for writing
        return -1;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        err = EACCES;
        ::close(fd);
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (flock(fd, LockFor(nOpenFlags) | LOCK_NB) != 0) {
        err = errno == EWOULDBLOCK ? EWOULDBLOCK : errno;
        ::close(fd);
        return -1;
    }
    // Truncate only once the lock is ours: a refused open must not empty a file someone holds.
    if ((nOpenFlags & CFile::modeCreate) && !(nOpenFlags & CFile::modeNoTruncate) &&
        ftruncate(fd, 0) != 0) {
        err = errno;
        ::close(fd);
        return -1;
    }
    return fd;
}

CString NameOf(const CString& path) {
    int sep = FindLastPathSeparator(path);
    return sep < 0 ? path : path.Mid(sep + 1);
}

CString TitleOf(const CString& path) {
    CString name = NameOf(path);
    int dot = name.ReverseFind('.');
    return dot < 0 ? name : name.Left(dot);
}

} // namespace

// ---- CFile ----

CFile::CFile() : m_hFile(hFileNull), m_bCloseOnDelete(FALSE) {}

CFile::CFile(int hFile) : m_hFile(hFile), m_bCloseOnDelete(FALSE) {}

CFile::CFile(LPCTSTR lpszFileName, UINT nOpenFlags) : CFile() {
    CFileException e;
    if (!Open(lpszFileName, nOpenFlags, &e)) {
        throw new CFileException(e.m_cause, e.m_lOsError, e.m_strFileName);
    }
}

CFile::~CFile() {
    if (m_hFile != hFileNull && m_bCloseOnDelete) {
        ::close(m_hFile);
    }
}

BOOL CFile::Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
    if (m_hFile != hFileNull) {
        Abort();
    }
    int err = 0;
    int fd = OpenFd(lpszFileName, nOpenFlags, err);
    if (fd < 0) {
        return FailOpen(pError, err, lpszFileName);
    }
    m_hFile = fd;
    m_bCloseOnDelete = TRUE;
    m_strFileName = lpszFileName;
    return TRUE;
}

void CFile::ThrowErrno(int err) const {
    CFileException::ThrowOsError(err, m_strFileName);
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
    if (m_hFile == hFileNull) {
        AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
    }
    char* p = static_cast<char*>(lpBuf);
    UINT done = 0;
    while (done < nCount) {
        ssize_t n = ::read(m_hFile, p + done, nCount - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ThrowErrno(errno == EBADF ? EACCES : errno);
        }
        if (n == 0) {
            break;
        }
        done += static_cast<UINT>(n);
    }
    return done;
}

void CFile::Write(const void* lpBuf, UINT nCount) {
    if (m_hFile == hFileNull) {
        AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
    }
    const char* p = static_cast<const char*>(lpBuf);
    UINT done = 0;
    while (done < nCount) {
        ssize_t n = ::write(m_hFile, p + done, nCount - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ThrowErrno(errno == EBADF ? EACCES : errno);
        }
        if (n == 0) {
            ThrowErrno(ENOSPC);
        }
        done += static_cast<UINT>(n);
    }
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom) {
    if (m_hFile == hFileNull) {
        AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
    }
    int whence = nFrom == current ? SEEK_CUR : nFrom == end ? SEEK_END : SEEK_SET;
    off_t pos = lseek(m_hFile, static_cast<off_t>(lOff), whence);
    if (pos < 0) {
        AfxThrowFileException(CFileException::badSeek, errno, m_strFileName);
    }
    return static_cast<ULONGLONG>(pos);
}

ULONGLONG CFile::GetPosition() const {
    off_t pos = m_hFile == hFileNull ? -1 : lseek(m_hFile, 0, SEEK_CUR);
    if (pos < 0) {
        AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
    }
    return static_cast<ULONGLONG>(pos);
}

ULONGLONG CFile::GetLength() const {
    struct stat st;
    if (m_hFile == hFileNull || fstat(m_hFile, &st) != 0) {
        AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
    }
    return static_cast<ULONGLONG>(st.st_size);
}

void CFile::SetLength(ULONGLONG dwNewLen) {
    if (m_hFile == hFileNull) {
        AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
    }
    if (dwNewLen > static_cast<ULONGLONG>(LLONG_MAX) ||
        ftruncate(m_hFile, static_cast<off_t>(dwNewLen)) != 0) {
        ThrowErrno(errno == EINVAL ? EBADF : errno);
    }
}

void CFile::Flush() {
    if (m_hFile != hFileNull && fsync(m_hFile) != 0 && errno != EINVAL) {
        ThrowErrno(errno);
    }
}

void CFile::Close() {
    int fd = m_hFile;
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    if (fd != hFileNull && ::close(fd) != 0 && errno != EINTR) {
        ThrowErrno(errno);
    }
}

void CFile::Abort() {
    if (m_hFile != hFileNull) {
        ::close(m_hFile);
        m_hFile = hFileNull;
    }
    m_bCloseOnDelete = FALSE;
}

CString CFile::GetFileName() const {
    return NameOf(GetFilePath());
}

CString CFile::GetFileTitle() const {
    return TitleOf(GetFilePath());
}

BOOL CFile::GetStatus(CFileStatus& rStatus) const {
    return !m_strFileName.IsEmpty() && GetStatus(m_strFileName, rStatus);
}

BOOL CFile::GetStatus(LPCTSTR lpszFileName, CFileStatus& rStatus) {
    std::string osPath = OsPathFromProgramPath(lpszFileName);
    struct stat st;
    if (osPath.empty() || stat(osPath.c_str(), &st) != 0) {
        rStatus.m_szFullName[0] = '\0';
        return FALSE;
    }
    rStatus.m_ctime = CTime(static_cast<__time64_t>(st.st_ctime));
    rStatus.m_mtime = CTime(static_cast<__time64_t>(st.st_mtime));
    rStatus.m_atime = CTime(static_cast<__time64_t>(st.st_atime));
    rStatus.m_size = static_cast<ULONGLONG>(st.st_size);
    BYTE attr = 0;
    if (S_ISDIR(st.st_mode)) {
        attr |= directory;
    }
    if (access(osPath.c_str(), W_OK) != 0) {
        attr |= readOnly;
    }
    int sep = FindLastPathSeparator(lpszFileName);
    if (lpszFileName[sep + 1] == '.') {
        attr |= hidden;
    }
    rStatus.m_attribute = attr;

    CString full;
    if (char* real = realpath(osPath.c_str(), nullptr)) {
        full = ProgramPathFromOsPath(real);
        std::free(real);
    }
    size_t n = GbkFitLength(full, full.GetLength(), sizeof rStatus.m_szFullName - 1);
    std::memcpy(rStatus.m_szFullName, (LPCTSTR)full, n);
    rStatus.m_szFullName[n] = '\0';
    return TRUE;
}

void CFile::Rename(LPCTSTR lpszOldName, LPCTSTR lpszNewName) {
    std::string from = OsPathFromProgramPath(lpszOldName);
    std::string to = OsPathFromProgramPath(lpszNewName);
    if (IsSameProgramPath(lpszOldName, lpszNewName)) {
        // Only the spelling changes (the new name resolved to the file itself): give the entry
        // the name exactly as asked.
        const char* name = lpszNewName + FindLastPathSeparator(lpszNewName) + 1;
        to = to.substr(0, to.rfind('/') + 1) + GbkToUtf8(name, std::strlen(name));
        if (::rename(from.c_str(), to.c_str()) != 0) {
            CFileException::ThrowOsError(errno, lpszOldName);
        }
        return;
    }
    // The target must not exist: moving over a file would silently destroy it.
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return;
    }
    int err = errno;
    if (err == EINVAL || err == ENOSYS) {
        // A file system without the no-replace flag.
        struct stat st;
        if (lstat(to.c_str(), &st) == 0) {
            err = EEXIST;
        } else if (::rename(from.c_str(), to.c_str()) == 0) {
            return;
        } else {
            err = errno;
        }
    }
    CFileException::ThrowOsError(err, lpszOldName);
}

void CFile::Remove(LPCTSTR lpszFileName) {
    std::string osPath = OsPathFromProgramPath(lpszFileName);
    if (::unlink(osPath.c_str()) != 0) {
        CFileException::ThrowOsError(errno, lpszFileName);
    }
}

// ---- CStdioFile ----

CStdioFile::CStdioFile() : m_pStream(nullptr), m_bText(TRUE) {}

CStdioFile::CStdioFile(LPCTSTR lpszFileName, UINT nOpenFlags) : CStdioFile() {
    CFileException e;
    if (!Open(lpszFileName, nOpenFlags, &e)) {
        throw new CFileException(e.m_cause, e.m_lOsError, e.m_strFileName);
    }
}

CStdioFile::CStdioFile(FILE* pOpenStream, BOOL bText) : m_pStream(pOpenStream), m_bText(bText) {
    m_hFile = pOpenStream != nullptr ? fileno(pOpenStream) : hFileNull;
    m_bCloseOnDelete = pOpenStream != nullptr;
}

CStdioFile::~CStdioFile() {
    if (m_pStream != nullptr && m_bCloseOnDelete) {
        std::fclose(m_pStream);
        m_pStream = nullptr;
        m_hFile = hFileNull;
    }
}

BOOL CStdioFile::Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
    if (m_pStream != nullptr) {
        Abort();
    }
    if (!CFile::Open(lpszFileName, nOpenFlags & ~(typeText | typeBinary), pError)) {
        return FALSE;
    }
    const char* mode = (nOpenFlags & 3) == modeWrite       ? "w"
                       : (nOpenFlags & 3) == modeReadWrite ? "r+"
                                                           : "r";
    m_pStream = fdopen(m_hFile, mode);
    if (m_pStream == nullptr) {
        int err = errno;
        CFile::Abort();
        return FailOpen(pError, err, lpszFileName);
    }
    m_bText = (nOpenFlags & typeBinary) == 0;
    return TRUE;
}

int CStdioFile::ReadChar() {
    int c = getc(m_pStream);
    if (c == '\r' && m_bText) {
        int next = getc(m_pStream);
        if (next == '\n') {
            return '\n';
        }
        if (next != EOF) {
            ungetc(next, m_pStream);
        }
    }
    return c;
}

UINT CStdioFile::Read(void* lpBuf, UINT nCount) {
    if (m_pStream == nullptr) {
        AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
    }
    char* p = static_cast<char*>(lpBuf);
    UINT done = 0;
    if (!m_bText) {
        done = static_cast<UINT>(std::fread(p, 1, nCount, m_pStream));
    } else {
        int c;
        while (done < nCount && (c = ReadChar()) != EOF) {
            p[done++] = static_cast<char>(c);
        }
    }
    if (done < nCount && std::ferror(m_pStream)) {
        clearerr(m_pStream);
        ThrowErrno(EIO);
    }
    return done;
}

BOOL CStdioFile::ReadString(CString& rString) {
    if (m_pStream == nullptr) {
        AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
    }
    std::string line;
    int c;
    bool any = false;
    while ((c = ReadChar()) != EOF) {
        any = true;
        if (c == '\n') {
            break;
        }
        line += static_cast<char>(c);
    }
    if (std::ferror(m_pStream)) {
        clearerr(m_pStream);
        ThrowErrno(EIO);
    }
    // In binary mode a "\r\n" file still gives lines without the "\r".
    if (c == '\n' && !line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    rString = CString(line.data(), static_cast<int>(line.size()));
    return any;
}

LPTSTR CStdioFile::ReadString(LPTSTR lpsz, UINT nMax) {
    if (m_pStream == nullptr) {
        AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
    }
    if (lpsz == nullptr || nMax == 0) {
        return nullptr;
    }
    UINT n = 0;
    int c = 0;
    while (n + 1 < nMax && (c = ReadChar()) != EOF) {
        lpsz[n++] = static_cast<char>(c);
        if (c == '\n') {
            break;
        }
    }
    lpsz[n] = '\0';
    if (std::ferror(m_pStream)) {
        clearerr(m_pStream);
        ThrowErrno(EIO);
    }
    return n == 0 && nMax > 1 ? nullptr : lpsz;
}

void CStdioFile::Write(const void* lpBuf, UINT nCount) {
    if (m_pStream == nullptr) {
        AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
    }
    const char* p = static_cast<const char*>(lpBuf);
    if (!m_bText) {
        if (std::fwrite(p, 1, nCount, m_pStream) != nCount) {
            ThrowErrno(errno != 0 ? errno : ENOSPC);
        }
        return;
    }
    const char* end = p + nCount;
    for (;;) {
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
        const size_t n = (lf != nullptr ? lf : end) - p;
        if (std::fwrite(p, 1, n, m_pStream) != n ||
            (lf != nullptr && std::fwrite("\r\n", 1, 2, m_pStream) != 2)) {
            ThrowErrno(errno != 0 ? errno : ENOSPC);
        }
        if (lf == nullptr)
            break;
        p = lf + 1;
    }
}

void CStdioFile::WriteString(LPCTSTR lpsz) {
    Write(lpsz, static_cast<UINT>(std::strlen(lpsz)));
}

ULONGLONG CStdioFile::Seek(LONGLONG lOff, UINT nFrom) {
    if (m_pStream == nullptr) {
        AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
    }
    int whence = nFrom == current ? SEEK_CUR : nFrom == end ? SEEK_END : SEEK_SET;
    if (fseeko(m_pStream, static_cast<off_t>(lOff), whence) != 0) {
        AfxThrowFileException(CFileException::badSeek, errno, m_strFileName);
    }
    return GetPosition();
}

ULONGLONG CStdioFile::GetPosition() const {
    off_t pos = m_pStream == nullptr ? -1 : ftello(m_pStream);
    if (pos < 0) {
        AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
    }
    return static_cast<ULONGLONG>(pos);
}

ULONGLONG CStdioFile::GetLength() const {
    if (m_pStream != nullptr) {
        std::fflush(m_pStream);
    }
    return CFile::GetLength();
}

void CStdioFile::SetLength(ULONGLONG dwNewLen) {
    if (m_pStream != nullptr) {
        std::fflush(m_pStream);
    }
    CFile::SetLength(dwNewLen);
}

void CStdioFile::Flush() {
    if (m_pStream != nullptr && std::fflush(m_pStream) != 0) {
        ThrowErrno(errno);
    }
}

void CStdioFile::Close() {
    FILE* stream = m_pStream;
    m_pStream = nullptr;
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    // fclose writes what is still buffered; a full disk shows up here.
    if (stream != nullptr && std::fclose(stream) != 0) {
        ThrowErrno(errno);
    }
}

void CStdioFile::Abort() {
    if (m_pStream != nullptr) {
        std::fclose(m_pStream);
    }
    m_pStream = nullptr;
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
}

// ---- CMemFile ----

CMemFile::CMemFile(UINT nGrowBytes) : m_nGrowBytes(nGrowBytes) {}

CMemFile::CMemFile(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes) : m_nGrowBytes(0) {
    Attach(lpBuffer, nBufferSize, nGrowBytes);
}

CMemFile::~CMemFile() {
    Close();
}

void CMemFile::Attach(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes) {
    Close();
    m_lpBuffer = lpBuffer;
    m_nBufferSize = nBufferSize;
    m_nGrowBytes = nGrowBytes;
    m_nFileSize = nGrowBytes == 0 ? nBufferSize : 0;
    m_nPosition = 0;
    m_bAutoDelete = FALSE;
}

BYTE* CMemFile::Detach() {
    BYTE* p = m_lpBuffer;
    m_lpBuffer = nullptr;
    m_nBufferSize = m_nFileSize = m_nPosition = 0;
    m_bAutoDelete = TRUE;
    return p;
}

void CMemFile::GrowFile(size_t nNewSize) {
    if (nNewSize <= m_nBufferSize) {
        return;
    }
    if (m_nGrowBytes == 0) {
        AfxThrowMemoryException();
    }
    size_t newBuffer = (nNewSize + m_nGrowBytes - 1) / m_nGrowBytes * m_nGrowBytes;
    BYTE* p;
    if (m_bAutoDelete) {
        p = static_cast<BYTE*>(std::realloc(m_lpBuffer, newBuffer));
    } else {
        // The first block was the caller's; from now on the memory is ours.
        p = static_cast<BYTE*>(std::malloc(newBuffer));
        if (p != nullptr && m_nFileSize > 0) {
            std::memcpy(p, m_lpBuffer, m_nFileSize);
        }
    }
    if (p == nullptr) {
        AfxThrowMemoryException();
    }
    m_lpBuffer = p;
    m_nBufferSize = newBuffer;
    m_bAutoDelete = TRUE;
}

UINT CMemFile::Read(void* lpBuf, UINT nCount) {
    if (m_nPosition >= m_nFileSize || nCount == 0) {
        return 0;
    }
    size_t n = std::min<size_t>(nCount, m_nFileSize - m_nPosition);
    std::memcpy(lpBuf, m_lpBuffer + m_nPosition, n);
    m_nPosition += n;
    return static_cast<UINT>(n);
}

void CMemFile::Write(const void* lpBuf, UINT nCount) {
    if (nCount == 0) {
        return;
    }
    size_t end = m_nPosition + nCount;
    GrowFile(end);
    if (m_nPosition > m_nFileSize) {
        // Writing after a seek past the end: the gap reads as zeros.
        std::memset(m_lpBuffer + m_nFileSize, 0, m_nPosition - m_nFileSize);
    }
    std::memcpy(m_lpBuffer + m_nPosition, lpBuf, nCount);
    m_nPosition = end;
    if (end > m_nFileSize) {
        m_nFileSize = end;
    }
}

ULONGLONG CMemFile::Seek(LONGLONG lOff, UINT nFrom) {
    LONGLONG base = nFrom == current ? static_cast<LONGLONG>(m_nPosition)
                    : nFrom == end   ? static_cast<LONGLONG>(m_nFileSize)
                                     : 0;
    if ((lOff < 0 && base + lOff < 0) || (lOff > 0 && base > LLONG_MAX - lOff)) {
        AfxThrowFileException(CFileException::badSeek, EINVAL, m_strFileName);
    }
    m_nPosition = static_cast<size_t>(base + lOff);
    return m_nPosition;
}

void CMemFile::SetLength(ULONGLONG dwNewLen) {
    if (dwNewLen > m_nBufferSize) {
        GrowFile(static_cast<size_t>(dwNewLen));
    }
    if (dwNewLen > m_nFileSize) {
        std::memset(m_lpBuffer + m_nFileSize, 0, static_cast<size_t>(dwNewLen) - m_nFileSize);
    }
    if (m_nPosition > dwNewLen) {
        m_nPosition = static_cast<size_t>(dwNewLen);
    }
    m_nFileSize = static_cast<size_t>(dwNewLen);
}

void CMemFile::Close() {
    if (m_bAutoDelete) {
        std::free(m_lpBuffer);
    }
    m_lpBuffer = nullptr;
    m_nBufferSize = m_nFileSize = m_nPosition = 0;
    m_bAutoDelete = TRUE;
}
