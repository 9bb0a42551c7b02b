#include "contacts/PersonDoc.h"

#include "platform/base/Archive.h"
#include "platform/base/Exception.h"

IMPLEMENT_DYNCREATE(CPersonDoc, CKovDocument)

void CPersonDoc::Serialize(CArchive& ar) {
    CKovDocument::Serialize(ar);
    if (m_pPerson == nullptr) {
        // Nothing to write into or from: a load without a contact is a failed load.
        if (ar.IsLoading())
            AfxThrowArchiveException(CArchiveException::genericException);
        return;
    }
    m_pPerson->Serialize(ar);
}

BOOL CPersonDoc::LoadPerson(_CPerson* pPerson, LPCTSTR lpszPath) {
    SetPerson(pPerson);
    return pPerson != nullptr && OnOpenDocument(lpszPath);
}

BOOL CPersonDoc::SavePersonAs(_CPerson* pPerson, LPCTSTR lpszPath) {
    if (pPerson == nullptr || lpszPath == nullptr || *lpszPath == '\0')
        return FALSE;
    CPersonDoc doc;
    doc.SetPathName(lpszPath, FALSE);
    doc.SetPerson(pPerson);
    return doc.OnSaveDocument(lpszPath);
}

CString CPersonDoc::MakeFileName(const CString& name) {
    CString out;
    for (int i = 0; i < name.GetLength(); ++i) {
        unsigned char c = (unsigned char)name[i];
        if (c >= 0x81 && c <= 0xFE && i + 1 < name.GetLength()) {
            // A double-byte character: its trail byte may look like "\" or "|" but is no
            // separator.
            out += name.Mid(i, 2);
            ++i;
            continue;
        }
        if (CString("\\/:*?\"<>|").Find((char)c) < 0)
            out += (char)c;
    }
    return out;
}

int CPersonDoc::ImportPersonFiles(_CGroup* pGroup, const CStringList& paths) {
    if (pGroup == nullptr)
        return 0;
    int nImported = 0;
    for (POSITION pos = paths.GetHeadPosition(); pos != nullptr;) {
        const CString& path = paths.GetNext(pos);
        auto* pPerson = new _CPerson(nullptr, FALSE);
        CPersonDoc doc;
        if (doc.LoadPerson(pPerson, path)) {
            pGroup->AddContent(pPerson, TRUE, nullptr, TRUE, TRUE);
            ++nImported;
        } else {
            delete pPerson;
        }
    }
    return nImported;
}
