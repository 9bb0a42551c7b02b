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

void EncodeForSave(BYTE* pData, size_t nSize) {
    ScrambleBytes(pData, nSize, 0, TRUE);
}

// The file's bytes, wiped when they go: they hold the document in the clear.
struct ClearBuffer {
    std::vector<BYTE> bytes;
    ~ClearBuffer() {
        if (!bytes.empty())
            std::memset(bytes.data(), 0, bytes.size());
    }
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

    // The whole file, unscrambled in memory; the archive then reads exactly these bytes, so a
    // file cut short ends in the archive's end-of-file error instead of stale padding.
    ClearBuffer image;
    CException* failure = nullptr;
    BOOL failed = CatchLoadSaveFailure(
        [&] {
            ULONGLONG nLength = file.GetLength();
            if (nLength > kMaxDocumentBytes)
                AfxThrowArchiveException(CArchiveException::badIndex, lpszPathName);
            image.bytes.resize((size_t)nLength);
            file.SeekToBegin();
            size_t nRead = 0;
            while (nRead < image.bytes.size()) {
                UINT nChunk = (UINT)std::min<size_t>(image.bytes.size() - nRead, 1u << 20);
                UINT n = file.Read(image.bytes.data() + nRead, nChunk);
                if (n == 0)
                    break;
                nRead += n;
            }
            image.bytes.resize(nRead);
        },
        failure);
    if (failed) {
        pDoc->DeleteContents();
        pDoc->ReportSaveLoadException(lpszPathName, failure, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
        if (failure != nullptr)
            failure->Delete();
        return FALSE;
    }
    file.Close();
    ScrambleBytes(image.bytes.data(), image.bytes.size(), 0, FALSE);
    CMemFile memFile(image.bytes.data(), (UINT)image.bytes.size());
    return pDoc->ReadArchiveFrom(&memFile, lpszPathName);
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
