#include "core/KovDocument.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/KovDocumentScramble.h"
#include "platform/base/Archive.h"
#include "platform/base/File.h"

IMPLEMENT_DYNCREATE(CKovDocument, CDocument)

namespace {

// Largest file a document is read from: the archive works with 32-bit sizes.
constexpr ULONGLONG kMaxDocumentBytes = 0x7FFFFFFF;

void EncodeForSave(BYTE* pData, size_t nSize, ULONGLONG nOffset) {
    ScrambleBytes(pData, nSize, nOffset, TRUE);
}

// The document file read and unscrambled a window at a time: the archive reads exactly the file's
// bytes as they were when it was opened (a file cut short ends in the archive's end-of-file error),
// and however large the file, only one window of it is held in the clear. The window is wiped
// when it goes.
class CUnscramblingReader : public CFile {
public:
    CUnscramblingReader(CFile& file, ULONGLONG nLength) : m_file(file), m_nLength(nLength) {}
    ~CUnscramblingReader() override { std::memset(m_window.data(), 0, m_window.size()); }

    UINT Read(void* lpBuf, UINT nCount) override {
        BYTE* out = static_cast<BYTE*>(lpBuf);
        UINT done = 0;
        while (done < nCount) {
            if (m_nUsed == m_nFilled && !Fill())
                break;
            UINT n = std::min(nCount - done, m_nFilled - m_nUsed);
            std::memcpy(out + done, m_window.data() + m_nUsed, n);
            m_nUsed += n;
            m_nPosition += n;
            done += n;
        }
        return done;
    }
    // Only the archive's giving back of unread bytes at its close moves the position; the
    // window is read again from the new place.
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override {
        LONGLONG base = nFrom == begin ? 0 : nFrom == current ? (LONGLONG)m_nPosition
                                                             : (LONGLONG)m_nLength;
        LONGLONG target = base + lOff;
        if (target < 0 || (ULONGLONG)target > m_nLength)
            AfxThrowFileException(CFileException::badSeek);
        m_file.Seek(target, begin);
        m_nPosition = (ULONGLONG)target;
        m_nUsed = m_nFilled = 0;
        return m_nPosition;
    }
    ULONGLONG GetPosition() const override { return m_nPosition; }
    ULONGLONG GetLength() const override { return m_nLength; }
    void Close() override {}
    void Abort() override {}

private:
    bool Fill() {
        ULONGLONG fileAt = m_nPosition;
        if (fileAt >= m_nLength)
            return false;
        if (m_window.empty())
            m_window.resize(kWindow);
        UINT want = (UINT)std::min<ULONGLONG>(kWindow, m_nLength - fileAt);
        UINT n = m_file.Read(m_window.data(), want);
        if (n == 0)
            return false;
        ScrambleBytes(m_window.data(), n, fileAt, FALSE);
        m_nUsed = 0;
        m_nFilled = n;
        return true;
    }

    static constexpr UINT kWindow = 256 * 1024;
    CFile& m_file;
    ULONGLONG m_nLength;
    ULONGLONG m_nPosition = 0;
    std::vector<BYTE> m_window;
    UINT m_nUsed = 0, m_nFilled = 0;
};

} // namespace

BOOL CKovDocumentBase::Load(LPCTSTR lpszPathName) {
    CDocument* pDoc = m_pOwnerDoc;
    CFileException fe;
    CFile file;
    if (!file.Open(lpszPathName, CFile::modeRead | CFile::shareDenyWrite, &fe)) {
        pDoc->ReportSaveLoadException(lpszPathName, &fe, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
        return FALSE;
    }
    DWORD dwVersion = 0;
    try {
        if (file.Read(&dwVersion, sizeof dwVersion) < sizeof dwVersion)
            return FALSE;
    } catch (CException* e) {
        e->Delete();
        return FALSE;
    }
    m_dwVersion = dwVersion;
    if (dwVersion == kPlainVersion) {
        file.Close();
        return pDoc->CDocument::OnOpenDocument(lpszPathName);
    }

    ULONGLONG nLength = 0;
    CException* failure = nullptr;
    BOOL failed = CatchLoadSaveFailure(
        [&] {
            nLength = file.GetLength();
            if (nLength > kMaxDocumentBytes)
                AfxThrowArchiveException(CArchiveException::badIndex, lpszPathName);
            file.SeekToBegin();
        },
        failure);
    if (failed) {
        pDoc->DeleteContents();
        pDoc->ReportSaveLoadException(lpszPathName, failure, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
        if (failure != nullptr)
            failure->Delete();
        return FALSE;
    }
    CUnscramblingReader reader(file, nLength);
    BOOL bRead = pDoc->ReadArchiveFrom(&reader, lpszPathName);
    file.Abort();
    return bRead;
}

BOOL CKovDocumentBase::Save(LPCTSTR lpszPathName) {
    m_dwVersion = kCurrentVersion;
    return m_pOwnerDoc->WriteArchiveTo(lpszPathName, &EncodeForSave);
}

CKovDocument::CKovDocument() {
    m_pOwnerDoc = this;
    m_dwVersion = kCurrentVersion;
}

CKovDocument::~CKovDocument() = default;

void CKovDocument::Serialize(CArchive& ar) {
    if (ar.IsStoring())
        ar << m_dwVersion;
    else
        ar >> m_dwVersion;
}

BOOL CKovDocument::OnNewDocument() {
    return CDocument::OnNewDocument();
}

BOOL CKovDocument::OnOpenDocument(LPCTSTR lpszPathName) {
    return Load(lpszPathName);
}

BOOL CKovDocument::OnSaveDocument(LPCTSTR lpszPathName) {
    return Save(lpszPathName);
}
