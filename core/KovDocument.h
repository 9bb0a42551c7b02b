// The document file every data file of the system is written in: a 4-byte version word, then the
// document's archive with every byte after offset 4 bit-rotated by its offset. Files whose version
// word is 0x00010000 are older plain archives and load as they are.
//
// Scrambling happens in memory, so no unscrambled archive bytes reach the disk, and a save puts
// the complete new file in the old one's place only once it is written: a save that fails leaves
// the previous file as it was. Bytes after the archive's end (an older, longer file written in
// place by other programs) are ignored when loading.
#pragma once

#include "platform/base/Document.h"
#include "platform/base/Types.h"

// The mix-in that gives any framework document the scrambled file format.
class CKovDocumentBase {
public:
    static constexpr DWORD kCurrentVersion = 0x0001003C;
    static constexpr DWORD kPlainVersion = 0x00010000;

    CKovDocumentBase() = default;

    // TRUE on success. Failures are reported through the owner's load/save error report, except
    // a file shorter than the version word, which fails silently and leaves the document as it
    // was.
    BOOL Load(LPCTSTR lpszPathName);
    BOOL Save(LPCTSTR lpszPathName);

    DWORD GetVersion() const { return m_dwVersion; }
    CDocument* GetOwnerDocument() const { return m_pOwnerDoc; }

protected:
    CDocument* m_pOwnerDoc = nullptr;
    // Set before every save; after a load, the file's first four bytes.
    DWORD m_dwVersion = kCurrentVersion;
};

class CKovDocument : public CDocument, public CKovDocumentBase {
    DECLARE_DYNCREATE(CKovDocument)
public:
    CKovDocument();
    ~CKovDocument() override;

    // The version word, and nothing else: every derived document calls this first.
    void Serialize(CArchive& ar) override;
    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(LPCTSTR lpszPathName) override;
    BOOL OnSaveDocument(LPCTSTR lpszPathName) override;
};
