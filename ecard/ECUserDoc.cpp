#include "ecard/ECUserDoc.h"

#include "core/FileUtil.h"
#include "platform/base/FileFind.h"

IMPLEMENT_DYNCREATE(CECUserDoc, CQuillmarBaseDoc)

CECUserDoc::CECUserDoc() = default;

CECUserDoc::~CECUserDoc() = default;

void CECUserDoc::Serialize(CArchive& ar) {
    CQuillmarBaseDoc::Serialize(ar);
    m_user.Serialize(ar);
}

void CECUserDoc::DeleteContents() {
    SetCurrentObject(nullptr);
    CQuillmarBaseDoc::DeleteContents();
}

CECContact* CECUserDoc::GetCurrentContact() const {
    return dynamic_cast<CECContact*>(GetCurrentObject());
}

BOOL CECUserDoc::LoadUser(UINT nUid) {
    const CString path = GetECUserFilePath(nUid);
    if (!OnOpenDocument(path))
        return FALSE;
    SetPathName(path, FALSE);
    return TRUE;
}

BOOL CECUserDoc::SaveUser() {
    const UINT nUid = m_user.GetAccount().m_nUid;
    if (nUid == 0)
        return FALSE;
    CreateDirectoryPath(GetECUserFolder(nUid), 4);
    const CString path = GetECUserFilePath(nUid);
    if (!OnSaveDocument(path))
        return FALSE;
    SetPathName(path, FALSE);
    SetModifiedFlag(FALSE);
    return TRUE;
}

CString GetECUsersFolder() {
    return GetAppFilePath("ECard\\Users");
}

CString GetECUserFolder(UINT nUid) {
    CString folder;
    folder.Format("%s\\%u", (LPCTSTR)GetECUsersFolder(), nUid);
    return folder;
}

CString GetECUserFilePath(UINT nUid) {
    return GetECUserFolder(nUid) + "\\User.dat";
}

UINT ParseECUserFolderName(LPCTSTR lpszName) {
    const CString name = lpszName != nullptr ? lpszName : "";
    if (name.IsEmpty())
        return 0;
    unsigned long long value = 0;
    for (int i = 0; i < name.GetLength(); ++i) {
        const char c = name[i];
        if (c < '0' || c > '9')
            return 0;
        value = value * 10 + (unsigned)(c - '0');
        // Digits beyond 32 bits would wrap to another user's number.
        if (value > 0xFFFFFFFFull)
            return 0;
    }
    return (UINT)value;
}

int GetLocalECUsers(CDWordArray& numbers) {
    numbers.RemoveAll();
    CFileFind finder;
    BOOL bMore = finder.FindFile(GetECUsersFolder() + "\\*.*");
    while (bMore) {
        bMore = finder.FindNextFile();
        if (!finder.IsDirectory() || finder.IsDots())
            continue;
        const UINT nUid = ParseECUserFolderName(finder.GetFileName());
        if (nUid != 0)
            numbers.Add(nUid);
    }
    return (int)numbers.GetSize();
}
