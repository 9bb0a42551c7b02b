#include "mail/ui/EmailAccountDoc.h"

#include "core/FileUtil.h"

IMPLEMENT_DYNCREATE(CEmailAccountDoc, CQuillmarBaseDoc)

namespace {
std::unique_ptr<CEmailAccount> MakeAccount() {
    CObject* pObject = RUNTIME_CLASS(CEmailAccount)->CreateObject();
    auto* pAccount = dynamic_cast<CEmailAccount*>(pObject);
    if (pAccount == nullptr)
        delete pObject;
    return std::unique_ptr<CEmailAccount>(pAccount);
}
} // namespace

CEmailAccountDoc::CEmailAccountDoc() {
    // The tree owns the document: the right pane's views come and go without closing it.
    m_bAutoDelete = FALSE;
}

CEmailAccountDoc::~CEmailAccountDoc() = default;

BOOL CEmailAccountDoc::CreateAccount(LPCTSTR lpszFolder, LPCTSTR lpszName) {
    std::unique_ptr<CEmailAccount> pAccount = MakeAccount();
    if (pAccount == nullptr)
        return FALSE;
    pAccount->m_strName = lpszName != nullptr ? lpszName : "";
    if (!pAccount->Create(lpszFolder) || !pAccount->SaveSettings())
        return FALSE;
    m_pCurrentBox = nullptr;
    m_pCurrentMessage = nullptr;
    m_pAccount = std::move(pAccount);
    CString path;
    CombinePath(lpszFolder, CEmailAccount::kSettingsFile, path);
    SetPathName(path, FALSE);
    SetTitle(m_pAccount->GetName());
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CEmailAccountDoc::OnOpenDocument(LPCTSTR lpszPathName) {
    std::unique_ptr<CEmailAccount> pAccount = MakeAccount();
    if (pAccount == nullptr || lpszPathName == nullptr ||
        !pAccount->Open(GetParentDirectory(lpszPathName)))
        return FALSE;
    m_pCurrentBox = nullptr;
    m_pCurrentMessage = nullptr;
    m_pAccount = std::move(pAccount);
    SetTitle(m_pAccount->GetName());
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CEmailAccountDoc::OnSaveDocument(LPCTSTR) {
    if (m_pAccount == nullptr || !m_pAccount->SaveSettings())
        return FALSE;
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CEmailAccountDoc::IsModified() {
    return m_pAccount != nullptr && m_pAccount->HasUnsavedSettings();
}

void CEmailAccountDoc::SetTitle(LPCTSTR lpszTitle) {
    if (m_pAccount != nullptr && !m_pAccount->GetName().IsEmpty())
        lpszTitle = m_pAccount->GetName();
    CQuillmarBaseDoc::SetTitle(lpszTitle);
}

void CEmailAccountDoc::DeleteContents() {
    m_pCurrentBox = nullptr;
    m_pCurrentMessage = nullptr;
    m_pAccount.reset();
}
