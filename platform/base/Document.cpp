#include "platform/base/Document.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <filesystem>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/base/Archive.h"
#include "platform/base/File.h"
#include "platform/base/Gbk.h"
#include "platform/base/OsPath.h"

IMPLEMENT_DYNAMIC(CDocument, CObject)

namespace {

// The icon of the load/save messages (the framework's exclamation box).
constexpr UINT kExclamationBox = 0x30;

int DefaultMessage(LPCTSTR text, UINT) {
    std::string utf8 = GbkToUtf8(text, std::strlen(text));
    std::fprintf(stderr, "%s\n", utf8.c_str());
    return 1;
}

CDocument::MessageHook g_messageHook = &DefaultMessage;
IDocumentViewHost* g_viewHost = nullptr;

// Frees a caught exception when the reader or writer is done with it.
struct ExceptionDeleter {
    CException* e;
    ~ExceptionDeleter() {
        if (e != nullptr)
            e->Delete();
    }
};

void WriteAll(int fd, const BYTE* pData, size_t nSize);

// The new contents of a document on their way to the file: gathered a window at a time, each
// window encoded at its offset and written. However large the document, it is never held whole.
class CEncodingWriter : public CFile {
public:
    CEncodingWriter(int fd, CDocument::ImageEncoder pfnEncode) : m_fd(fd), m_pfnEncode(pfnEncode) {}

    void Write(const void* lpBuf, UINT nCount) override {
        const BYTE* in = static_cast<const BYTE*>(lpBuf);
        while (nCount > 0) {
            if (m_window.empty())
                m_window.resize(kWindow);
            UINT n = std::min<UINT>(nCount, kWindow - m_nFilled);
            std::memcpy(m_window.data() + m_nFilled, in, n);
            m_nFilled += n;
            in += n;
            nCount -= n;
            if (m_nFilled == kWindow)
                WriteWindow();
        }
    }
    ULONGLONG GetPosition() const override { return m_nOffset + m_nFilled; }
    ULONGLONG GetLength() const override { return GetPosition(); }
    void Flush() override { WriteWindow(); }
    void Close() override {}
    void Abort() override {}

private:
    void WriteWindow() {
        if (m_nFilled == 0)
            return;
        if (m_pfnEncode != nullptr)
            m_pfnEncode(m_window.data(), m_nFilled, m_nOffset);
        WriteAll(m_fd, m_window.data(), m_nFilled);
        m_nOffset += m_nFilled;
        m_nFilled = 0;
    }

    static constexpr UINT kWindow = 256 * 1024;
    int m_fd;
    CDocument::ImageEncoder m_pfnEncode;
    std::vector<BYTE> m_window;
    UINT m_nFilled = 0;
    ULONGLONG m_nOffset = 0;
};

// Puts what `fill` writes to the descriptor in the file's place (see ReplaceFileContents).
void ReplaceFile(LPCTSTR lpszPathName, const std::function<void(int fd)>& fill);
// The same for a path the operating system names; failures name lpszPathName.
void ReplaceFileAt(const std::string& osPath, LPCTSTR lpszPathName,
                   const std::function<void(int fd)>& fill);

void WriteAll(int fd, const BYTE* pData, size_t nSize) {
    while (nSize > 0) {
        ssize_t n = ::write(fd, pData, nSize);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw errno;
        }
        pData += n;
        nSize -= static_cast<size_t>(n);
    }
}

} // namespace

BOOL CatchLoadSaveFailure(const std::function<void()>& work, CException*& failure) {
    failure = nullptr;
    try {
        work();
        return FALSE;
    } catch (CException* e) {
        failure = e;
    } catch (const std::bad_alloc&) {
        failure = new CMemoryException;
    } catch (const std::exception&) {
    }
    return TRUE;
}

CDocument::CDocument() = default;

CDocument::~CDocument() = default;

void CDocument::SetPathName(LPCTSTR lpszPathName, BOOL bAddToMRU) {
    m_strPathName = lpszPathName != nullptr ? lpszPathName : "";
    int sep = FindLastPathSeparator(m_strPathName);
    SetTitle(m_strPathName.Mid(sep + 1));
    if (bAddToMRU && !m_strPathName.IsEmpty() && g_viewHost != nullptr)
        g_viewHost->OnDocumentPathSet(this, m_strPathName);
}

void CDocument::SetTitle(LPCTSTR lpszTitle) {
    m_strTitle = lpszTitle != nullptr ? lpszTitle : "";
    if (g_viewHost != nullptr)
        g_viewHost->OnDocumentTitleChanged(this);
}

BOOL CDocument::IsModified() {
    return m_bModified;
}

void CDocument::SetModifiedFlag(BOOL bModified) {
    m_bModified = bModified;
}

void CDocument::DeleteContents() {}

BOOL CDocument::OnNewDocument() {
    DeleteContents();
    m_strPathName.Empty();
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnOpenDocument(LPCTSTR lpszPathName) {
    CFileException fe;
    CFile file;
    if (!file.Open(lpszPathName, CFile::modeRead | CFile::shareDenyWrite, &fe)) {
        ReportSaveLoadException(lpszPathName, &fe, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
        return FALSE;
    }
    return ReadArchiveFrom(&file, lpszPathName);
}

BOOL CDocument::ReadArchiveFrom(CFile* pFile, LPCTSTR lpszPathName) {
    DeleteContents();
    SetModifiedFlag();
    CException* failure = nullptr;
    BOOL failed = CatchLoadSaveFailure(
        [&] {
            CArchive ar(pFile, CArchive::load | CArchive::bNoFlushOnDelete);
            ar.m_pDocument = this;
            if (pFile->GetLength() != 0)
                Serialize(ar);
            ar.Close();
        },
        failure);
    if (failed) {
        ExceptionDeleter guard{failure};
        // No half-read tree stays behind.
        DeleteContents();
        ReportSaveLoadException(lpszPathName, failure, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnSaveDocument(LPCTSTR lpszPathName) {
    return WriteArchiveTo(lpszPathName, nullptr);
}

namespace {
// An existing file is held open while the new contents are prepared: another open of it that
// denies writers makes the save fail here, before anything is written, and so does a target
// that is not a regular file (a device or a pipe is never replaced). A new file is never
// created ahead of its contents (a save killed part-way would leave it empty); its folder is
// checked instead, so a bad name is still told as one.
BOOL HoldSaveTarget(const CString& path, CFile& target, CFileException* pError) {
    CFileStatus status;
    const BOOL existed = !path.IsEmpty() && CFile::GetStatus(path, status);
    return existed ? target.Open(path, CFile::modeReadWrite | CFile::shareExclusive, pError)
                   : CDocument::CanCreateFileIn(path, pError);
}
} // namespace

BOOL CDocument::WriteArchiveTo(LPCTSTR lpszPathName, ImageEncoder pfnEncode) {
    CString path = lpszPathName != nullptr ? lpszPathName : "";
    CFileException fe;
    CFile target;
    if (!HoldSaveTarget(path, target, &fe)) {
        ReportSaveLoadException(path, &fe, TRUE, AFX_IDP_INVALID_FILENAME);
        return FALSE;
    }
    const BOOL existed = target.m_hFile != CFile::hFileNull;
    CException* failure = nullptr;
    BOOL failed = CatchLoadSaveFailure(
        [&] {
            ReplaceFile(path, [&](int fd) {
                CEncodingWriter image(fd, pfnEncode);
                CArchive ar(&image, CArchive::store | CArchive::bNoFlushOnDelete);
                ar.m_pDocument = this;
                Serialize(ar);
                ar.Close();
                image.Flush();
            });
        },
        failure);
    if (existed)
        target.Abort();
    if (failed) {
        ExceptionDeleter guard{failure};
        ReportSaveLoadException(path, failure, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::CanCreateFileIn(const CString& path, CFileException* pError) {
    std::string osPath = OsPathFromProgramPath(path);
    size_t slash = osPath.find_last_of('/');
    std::string name = slash == std::string::npos ? osPath : osPath.substr(slash + 1);
    std::string dir = slash == std::string::npos ? "." : osPath.substr(0, slash + 1);
    int err = 0;
    struct stat st;
    if (name.empty() || name == "." || name == "..")
        err = EISDIR;
    else if (name.size() > NAME_MAX)
        err = ENAMETOOLONG;
    else if (::stat(dir.c_str(), &st) != 0)
        err = errno;
    else if (!S_ISDIR(st.st_mode))
        err = ENOTDIR;
    else if (::access(dir.c_str(), W_OK | X_OK) != 0)
        err = errno;
    if (err == 0)
        return TRUE;
    pError->m_cause = CFileException::OsErrorToException(err);
    pError->m_lOsError = err;
    pError->m_strFileName = path;
    return FALSE;
}

namespace {

// Temporary files of saves whose process is gone (killed part-way) are left beside the file;
// they are named "<name>.~<pid>-<n>". Those of live processes may be saves under way.
void RemoveStaleTemporaries(const std::string& osPath) {
    size_t slash = osPath.find_last_of('/');
    std::string dir = slash == std::string::npos ? "." : osPath.substr(0, slash);
    std::string prefix = (slash == std::string::npos ? osPath : osPath.substr(slash + 1)) + ".~";
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir.empty() ? "/" : dir, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const char* p = name.c_str() + prefix.size();
        char* dash = nullptr;
        long pid = std::strtol(p, &dash, 10);
        if (dash == p || *dash != '-' || pid <= 0 || pid == ::getpid())
            continue;
        char* tail = nullptr;
        std::strtoul(dash + 1, &tail, 10);
        if (tail == dash + 1 || *tail != '\0')
            continue;
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            ::unlink(it->path().c_str());
    }
}

} // namespace

namespace {

// Whether the kernel's rule for links in shared folders lets the user follow the link at `link`:
// in a sticky, world-writable folder only the user's own links and the folder owner's are
// followed, so another user's link planted there cannot choose which file is written.
bool MayFollowLink(const std::filesystem::path& link, const struct stat& linkStat) {
    std::filesystem::path folder = link.parent_path();
    struct stat dir;
    if (::stat(folder.empty() ? "." : folder.c_str(), &dir) != 0)
        return false;
    if ((dir.st_mode & (S_ISVTX | S_IWOTH)) != (S_ISVTX | S_IWOTH))
        return true;
    return linkStat.st_uid == ::geteuid() || linkStat.st_uid == dir.st_uid;
}

// The file a save through `osPath` replaces: a link stays a link and the file it points at (through
// any further links) is the one replaced; a link to nothing is replaced itself. Throws the save's
// access error for a link the rule above does not let the user follow.
std::string SaveTarget(const std::string& osPath, LPCTSTR lpszPathName) {
    std::filesystem::path path = osPath;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0)
            return hops == 0 ? path.string() : osPath; // a dangling link is replaced as a file
        if (!S_ISLNK(st.st_mode))
            return path.string();
        if (!MayFollowLink(path, st))
            CFileException::ThrowErrno(EACCES, lpszPathName);
        std::error_code ec;
        std::filesystem::path to = std::filesystem::read_symlink(path, ec);
        if (ec)
            CFileException::ThrowErrno(ec.value(), lpszPathName);
        path = to.is_absolute() ? to : path.parent_path() / to;
    }
    CFileException::ThrowErrno(ELOOP, lpszPathName);
}

void ReplaceFile(LPCTSTR lpszPathName, const std::function<void(int fd)>& fill) {
    ReplaceFileAt(OsPathFromProgramPath(lpszPathName), lpszPathName, fill);
}

void ReplaceFileAt(const std::string& linkPath, LPCTSTR lpszPathName,
                   const std::function<void(int fd)>& fill) {
    static std::atomic<unsigned> s_serial{0};
    std::string osPath = SaveTarget(linkPath, lpszPathName);
    struct stat st;
    bool existed = ::stat(osPath.c_str(), &st) == 0;
    RemoveStaleTemporaries(osPath);
    std::string tmpPath;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        tmpPath = osPath + ".~" + std::to_string(::getpid()) + "-" + std::to_string(++s_serial);
        fd = ::open(tmpPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            CFileException::ThrowErrno(errno, lpszPathName);
    }
    if (fd < 0)
        CFileException::ThrowErrno(EEXIST, lpszPathName);
    try {
        if (existed)
            ::fchmod(fd, st.st_mode & 07777);
        fill(fd);
        if (::fsync(fd) != 0)
            throw errno;
        if (::close(fd) != 0) {
            fd = -1;
            throw errno;
        }
        fd = -1;
        if (::rename(tmpPath.c_str(), osPath.c_str()) != 0)
            throw errno;
    } catch (int err) {
        if (fd >= 0)
            ::close(fd);
        ::unlink(tmpPath.c_str());
        CFileException::ThrowErrno(err, lpszPathName);
    } catch (...) {
        // What was to be written failed on its way: the new file goes, the old one stays.
        if (fd >= 0)
            ::close(fd);
        ::unlink(tmpPath.c_str());
        throw;
    }
    // The rename itself reaches the disk with the folder.
    std::string dir = osPath.substr(
        0, osPath.find_last_of('/') == std::string::npos ? 0 : osPath.find_last_of('/') + 1);
    int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

} // namespace

void CDocument::ReplaceFileContents(LPCTSTR lpszPathName, const BYTE* pData, size_t nSize) {
    ReplaceFile(lpszPathName, [&](int fd) { WriteAll(fd, pData, nSize); });
}

void CDocument::ReplaceOsFileContents(const std::string& osPath, const BYTE* pData, size_t nSize) {
    const CString name = ProgramPathFromOsPath(osPath);
    ReplaceFileAt(osPath, name, [&](int fd) { WriteAll(fd, pData, nSize); });
}

void CDocument::ReplaceFileWriting(LPCTSTR lpszPathName, BOOL bText,
                                   const std::function<void(CStdioFile&)>& write) {
    const CString path = lpszPathName != nullptr ? lpszPathName : "";
    CFileException fe;
    CFile target;
    if (!HoldSaveTarget(path, target, &fe))
        throw new CFileException(fe.m_cause, fe.m_lOsError, fe.m_strFileName);
    struct Release {
        CFile& file;
        ~Release() {
            if (file.m_hFile != CFile::hFileNull)
                file.Abort();
        }
    } release{target};
    ReplaceFile(path, [&](int fd) {
        // The stream has a descriptor of its own: closing it leaves the new file to the replace.
        const int own = ::dup(fd);
        FILE* stream = own >= 0 ? ::fdopen(own, "w") : nullptr;
        if (stream == nullptr) {
            const int err = errno;
            if (own >= 0)
                ::close(own);
            throw err;
        }
        CStdioFile file(stream, bText);
        write(file);
        file.Close(); // what is still buffered goes out here: a full disk shows up too
    });
}

CString CDocument::GetDefaultPromptText(UINT nIDPrompt) {
    switch (nIDPrompt) {
    case AFX_IDP_INVALID_FILENAME:
        return "文件名不正确。";
    case AFX_IDP_FAILED_TO_OPEN_DOC:
        return "打开文档失败。";
    case AFX_IDP_FAILED_TO_SAVE_DOC:
        return "保存文档失败。";
    default:
        return CString();
    }
}

CString CDocument::GetFailedToOpenText(LPCTSTR lpszPathName) {
    CString prompt;
    if (!prompt.LoadString(AFX_IDP_FAILED_TO_OPEN_DOC))
        prompt = GetDefaultPromptText(AFX_IDP_FAILED_TO_OPEN_DOC);
    // Several files may fail one after the other: each message names its own.
    if (lpszPathName != nullptr && *lpszPathName != '\0')
        prompt += "\n" + DisplayPathFromProgramPath(lpszPathName);
    return prompt;
}

void CDocument::ReportSaveLoadException(LPCTSTR lpszPathName, CException* e, BOOL,
                                        UINT nIDPDefault) {
    if (e != nullptr && e->IsKindOf(RUNTIME_CLASS(CUserException)))
        return;
    CString prompt;
    // A file that cannot be reached has a message that says why; damaged contents get the
    // document's own prompt.
    if (e != nullptr && e->IsKindOf(RUNTIME_CLASS(CFileException))) {
        auto* fe = static_cast<CFileException*>(e);
        if (fe->m_cause != CFileException::none &&
            fe->m_cause != CFileException::genericException) {
            if (fe->m_strFileName.IsEmpty() && lpszPathName != nullptr)
                fe->m_strFileName = lpszPathName;
            prompt = fe->GetErrorMessage();
        }
    } else if (e != nullptr && e->IsKindOf(RUNTIME_CLASS(CMemoryException))) {
        prompt = e->GetErrorMessage();
    }
    if (prompt.IsEmpty() && nIDPDefault == AFX_IDP_FAILED_TO_OPEN_DOC)
        prompt = GetFailedToOpenText(lpszPathName);
    if (prompt.IsEmpty() && !prompt.LoadString(nIDPDefault))
        prompt = GetDefaultPromptText(nIDPDefault);
    if (prompt.IsEmpty())
        prompt = "发生了意外错误。";
    ShowMessage(prompt, kExclamationBox);
}

void CDocument::AddView(CView* pView) {
    if (pView == nullptr || m_viewList.Find(pView) != nullptr)
        return;
    m_viewList.AddTail(pView);
    if (g_viewHost != nullptr)
        g_viewHost->SetViewDocument(pView, this);
    OnChangedViewList();
}

void CDocument::RemoveView(CView* pView) {
    if (POSITION pos = m_viewList.Find(pView)) {
        m_viewList.RemoveAt(pos);
        if (g_viewHost != nullptr)
            g_viewHost->SetViewDocument(pView, nullptr);
        OnChangedViewList();
    }
}

void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint) {
    if (g_viewHost == nullptr)
        return;
    for (POSITION pos = GetFirstViewPosition(); pos != nullptr;) {
        CView* pView = GetNextView(pos);
        if (pView != pSender)
            g_viewHost->UpdateView(pView, pSender, lHint, pHint);
    }
}

IDocumentViewHost* CDocument::SetViewHost(IDocumentViewHost* pHost) {
    IDocumentViewHost* old = g_viewHost;
    g_viewHost = pHost;
    return old;
}

CDocument::MessageHook CDocument::SetMessageHook(MessageHook hook) {
    MessageHook old = g_messageHook;
    g_messageHook = hook != nullptr ? hook : &DefaultMessage;
    return old;
}

int CDocument::ShowMessage(LPCTSTR text, UINT type) {
    return g_messageHook(text != nullptr ? text : "", type);
}
