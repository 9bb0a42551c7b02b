#include "platform/base/Exception.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "platform/base/Gbk.h"
#include "platform/base/OsPath.h"

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CMemoryException, CException)
IMPLEMENT_DYNAMIC(CNotSupportedException, CException)
IMPLEMENT_DYNAMIC(CUserException, CException)
IMPLEMENT_DYNAMIC(CFileException, CException)
IMPLEMENT_DYNAMIC(CArchiveException, CException)

namespace {

// The address the last CException::operator new handed out on this thread. A constructor that
// runs at that address belongs to an object made with new, which is the only kind Delete frees.
thread_local void* t_lastNew = nullptr;

int DefaultReport(LPCTSTR text, UINT) {
    std::string utf8 = GbkToUtf8(text, std::strlen(text));
    std::fprintf(stderr, "%s\n", utf8.c_str());
    return 1;
}

CException::ReportHook g_reportHook = &DefaultReport;

// Copies GBK text into a caller's buffer of max bytes without splitting a character. None of the
// messages has a help topic.
BOOL CopyMessage(const std::string& text, LPTSTR buf, UINT max, UINT* helpId) {
    if (helpId != nullptr) {
        *helpId = 0;
    }
    if (buf == nullptr || max == 0) {
        return FALSE;
    }
    size_t n = GbkFitLength(text.data(), text.size(), max - 1);
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
    return TRUE;
}

// Fills the file name into a message with one %s; an exception without a name speaks of an
// unnamed file, as the user has no better word for it.
// The name is shown in the system's form, whatever form the program holds it in.
std::string WithFileName(const char* format, const CString& fileName) {
    const CString shown =
        fileName.IsEmpty() ? CString("未命名文件") : DisplayPathFromProgramPath(fileName);
    const char* name = shown;
    int n = std::snprintf(nullptr, 0, format, name);
    std::string out(n > 0 ? n : 0, '\0');
    std::snprintf(out.data(), out.size() + 1, format, name);
    return out;
}

// The format for a cause; an unknown cause gets the generic text (index 1 in both tables).
template <size_t N> const char* MessageFormat(const char* const (&formats)[N], int cause) {
    return cause >= 0 && static_cast<size_t>(cause) < N ? formats[cause] : formats[1];
}

} // namespace

CException::CException(BOOL bAutoDelete)
    : m_bAutoDelete(bAutoDelete), m_bOnHeap(t_lastNew == static_cast<void*>(this)) {
    if (m_bOnHeap) {
        t_lastNew = nullptr;
    }
}

void* CException::operator new(size_t size) {
    void* p = ::operator new(size);
    t_lastNew = p;
    return p;
}

void CException::operator delete(void* p) {
    ::operator delete(p);
}

void CException::Delete() {
    if (m_bAutoDelete && m_bOnHeap) {
        delete this;
    }
}

BOOL CException::GetErrorMessage(LPTSTR buf, UINT max, UINT* helpId) const {
    CopyMessage(std::string(), buf, max, helpId);
    return FALSE;
}

CString CException::GetErrorMessage() const {
    char buf[1024];
    if (!GetErrorMessage(buf, sizeof buf)) {
        return CString();
    }
    return CString(buf);
}

int CException::ReportError(UINT nType, UINT nMessageId) {
    CString text = GetErrorMessage();
    if (text.IsEmpty() && nMessageId != 0) {
        text.LoadString(nMessageId);
    }
    if (text.IsEmpty()) {
        text = "发生了意外错误。";
    }
    return g_reportHook(text, nType);
}

CException::ReportHook CException::SetReportHook(ReportHook hook) {
    ReportHook old = g_reportHook;
    g_reportHook = hook != nullptr ? hook : &DefaultReport;
    return old;
}

BOOL CMemoryException::GetErrorMessage(LPTSTR buf, UINT max, UINT* helpId) const {
    return CopyMessage("内存不足。", buf, max, helpId);
}

BOOL CNotSupportedException::GetErrorMessage(LPTSTR buf, UINT max, UINT* helpId) const {
    return CopyMessage("不支持该操作。", buf, max, helpId);
}

CFileException::CFileException(int cause, LONG lOsError, LPCTSTR lpszFileName)
    : m_cause(cause), m_lOsError(lOsError),
      m_strFileName(lpszFileName != nullptr ? lpszFileName : "") {}

BOOL CFileException::GetErrorMessage(LPTSTR buf, UINT max, UINT* helpId) const {
    // Indexed by cause.
    static const char* const kFormats[] = {
        "没有发生错误。",
        "访问 %s 时发生意外错误。",
        "找不到文件 %s。",
        "%s 的全部或部分路径无效。",
        "无法打开 %s，因为打开的文件太多。",
        "拒绝访问 %s。",
        "对 %s 使用了无效的文件句柄。",
        "无法删除 %s，因为它是当前文件夹。",
        "无法创建 %s，因为文件夹已满。",
        "在 %s 中定位失败。",
        "访问 %s 时发生硬件 I/O 错误。",
        "访问 %s 时发生共享冲突。",
        "试图锁定 %s 中已锁定的区域。",
        "写入 %s 时磁盘已满。",
        "读取 %s 时超过文件尾。",
    };
    const char* format = MessageFormat(kFormats, m_cause);
    return CopyMessage(WithFileName(format, m_strFileName), buf, max, helpId);
}

int CFileException::OsErrorToException(LONG lOsError) {
    switch (lOsError) {
    case 0:
        return none;
    case ENOENT:
        return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
        return badPath;
    case EMFILE:
    case ENFILE:
        return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EEXIST:
    case ENOTEMPTY:
    case ETXTBSY:
        return accessDenied;
    case EBADF:
        return invalidFile;
    case EBUSY:
        return removeCurrentDir;
    case ESPIPE:
    case EOVERFLOW:
        return badSeek;
    case EIO:
        return hardIO;
    case EWOULDBLOCK:
        return sharingViolation;
    case ENOLCK:
    case EDEADLK:
        return lockViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return diskFull;
    default:
        return genericException;
    }
}

void CFileException::ThrowOsError(LONG lOsError, LPCTSTR lpszFileName) {
    throw new CFileException(OsErrorToException(lOsError), lOsError, lpszFileName);
}

void CFileException::ThrowErrno(int nErrno, LPCTSTR lpszFileName) {
    ThrowOsError(nErrno, lpszFileName);
}

CArchiveException::CArchiveException(int cause, LPCTSTR lpszArchiveName)
    : m_cause(cause), m_strFileName(lpszArchiveName != nullptr ? lpszArchiveName : "") {}

BOOL CArchiveException::GetErrorMessage(LPTSTR buf, UINT max, UINT* helpId) const {
    // Indexed by cause; a damaged file is just "invalid" to the user, whatever the reader found.
    static const char* const kFormats[] = {
        "没有发生错误。",         "读写 %s 时发生意外错误。", "试图写入正在读取的 %s。",
        "读取 %s 时超过文件尾。", "试图读取正在写入的 %s。",  "文件格式无效。",
        "文件格式无效。",         "文件格式无效。",
    };
    const char* format = MessageFormat(kFormats, m_cause);
    return CopyMessage(WithFileName(format, m_strFileName), buf, max, helpId);
}

void AfxThrowFileException(int cause, LONG lOsError, LPCTSTR lpszFileName) {
    throw new CFileException(cause, lOsError, lpszFileName);
}

void AfxThrowArchiveException(int cause, LPCTSTR lpszArchiveName) {
    throw new CArchiveException(cause, lpszArchiveName);
}

void AfxThrowMemoryException() {
    throw new CMemoryException;
}

void AfxThrowNotSupportedException() {
    throw new CNotSupportedException;
}

void AfxThrowUserException() {
    throw new CUserException;
}
