#include "mail/ui/EmailAccountsView.h"

#include "core/FileUtil.h"
#include "mail/ui/MailAccountPages.h"
#include "platform/base/FileFind.h"
#include "platform/gui/MessageBox.h"

namespace {
// Images of the tree's strip (bitmap 237, shared with the senders tree).
enum { ImgTop = 0, ImgAccount = 4, ImgInbox = 5, ImgBoxOther = 9 };

CString& AccountsFolderSetting() {
    static CString s_folder;
    return s_folder;
}
} // namespace

IMPLEMENT_DYNCREATE(CEmailAccountsView, CMessageAccountTreeView)

BEGIN_MESSAGE_MAP(CEmailAccountsView, CMessageAccountTreeView)
ON_COMMAND(ID_FILE_NEW, &CEmailAccountsView::OnNewAccount)
ON_COMMAND(ID_ACCOUNT_NEW, &CEmailAccountsView::OnNewAccount)
ON_COMMAND(ID_ACCOUNT_DELETE, &CEmailAccountsView::OnRemoveAccount)
ON_COMMAND(ID_ACCOUNT_PROPERTIES, &CEmailAccountsView::OnEditAccount)
ON_COMMAND(ID_WRITE_EMAIL, &CEmailAccountsView::OnWriteEmail)
ON_UPDATE_COMMAND_UI(ID_ACCOUNT_NEW, &CEmailAccountsView::OnUpdateEmailCommand)
ON_UPDATE_COMMAND_UI(ID_ACCOUNT_DELETE, &CEmailAccountsView::OnUpdateEmailCommand)
ON_UPDATE_COMMAND_UI(ID_ACCOUNT_PROPERTIES, &CEmailAccountsView::OnUpdateEmailCommand)
ON_UPDATE_COMMAND_UI(ID_WRITE_EMAIL, &CEmailAccountsView::OnUpdateEmailCommand)
END_MESSAGE_MAP()

CEmailAccountsView::CEmailAccountsView() {
    m_nViewNameId = IDS_VIEW_NAME;
    m_nNewFileNameId = IDS_NEW_ACCOUNT_NAME;
    m_nFileTypeId = IDS_FILE_TYPE;
    m_nFileCountFormatId = IDS_ACCOUNT_COUNT;
    m_nContextMenuId = IDR_CONTEXT_MENU;
    m_nMenuPosFile = 0;
    m_nMenuPosGroup = 1;
    m_nMenuPosTop = 2;
    m_strExtension = "dat";
    m_pGroupClass = RUNTIME_CLASS(CEmailBox);
    m_nTopImage = m_nTopSelImage = ImgTop;
    m_nFileImage = m_nFileExpandedImage = ImgAccount;
    m_nGroupImage = m_nGroupExpandedImage = ImgBoxOther;
    m_nGroupViewNumber = ViewMessages;
    m_nContentViewNumber = ViewMessages;
    m_nModuleKind = kModuleKind;
}

CString CEmailAccountsView::GetAccountsFolder() {
    return AccountsFolderSetting().IsEmpty() ? GetAppFilePath("Mail") : AccountsFolderSetting();
}

void CEmailAccountsView::SetAccountsFolder(LPCTSTR lpszFolder) {
    AccountsFolderSetting() = lpszFolder != nullptr ? lpszFolder : "";
}

void CEmailAccountsView::InitView() {
    // The tree shows boxes only; their messages are the right pane's list.
    m_groupHelper.m_nInsertFlags = CGroupHelper::InsertGroups;
    m_imageList.Create(237, 16, 10, RGB(255, 255, 255));
    m_groupHelper.m_imageCallback = [](CObject* pRecord, int, int* pImage, int* pSelImage) {
        auto* pBox = dynamic_cast<CMsgBoxBase*>(pRecord);
        if (pBox != nullptr && pBox->GetParent() == nullptr) {
            *pImage = *pSelImage = ImgAccount;
        } else if (pBox != nullptr) {
            const int nType = pBox->GetBoxType();
            *pImage = *pSelImage = nType >= 0 && nType <= 3 ? ImgInbox + nType : ImgBoxOther;
        } else {
            *pImage = *pSelImage = ImgBoxOther;
        }
    };
}

CMsgAccountBase* CEmailAccountsView::GetDocAccount(CQuillmarBaseDoc* pDoc) {
    auto* pEmail = dynamic_cast<CEmailAccountDoc*>(pDoc);
    return pEmail != nullptr ? pEmail->GetAccount() : nullptr;
}

CEmailAccount* CEmailAccountsView::GetEmailAccountOfItem(HTREEITEM hItem) {
    CFileInfo* pInfo = GetFileInfo(hItem);
    return pInfo != nullptr ? dynamic_cast<CEmailAccount*>(GetDocAccount(pInfo->pDoc)) : nullptr;
}

CQuillmarBaseDoc* CEmailAccountsView::CreateDocument() {
    return new CEmailAccountDoc;
}

CEmailAccountDoc* CEmailAccountsView::FindAccountDocument(CEmailAccount* pAccount) {
    for (int i = 0; i < GetFileCount(); ++i) {
        auto* pDoc = dynamic_cast<CEmailAccountDoc*>(GetFileAt(i)->pDoc);
        if (pDoc != nullptr && (pAccount == nullptr || pDoc->GetAccount() == pAccount))
            return pDoc;
    }
    return nullptr;
}

// ---- Accounts ---------------------------------------------------------------------------------

CQuillmarBaseDoc* CEmailAccountsView::OpenFile(LPCTSTR lpszPath, BOOL bCreateNew) {
    if (bCreateNew || lpszPath == nullptr)
        return bCreateNew ? NewAccount() : nullptr;
    CFileInfo* pOpen = nullptr;
    if (FindFileByPath(lpszPath, pOpen))
        return pOpen->pDoc;
    auto* pDoc = dynamic_cast<CEmailAccountDoc*>(OpenOneFile(lpszPath, FALSE));
    if (pDoc == nullptr)
        return nullptr;
    CFileInfo* pInfo = nullptr;
    if (FindFileByPath(lpszPath, pInfo) && pInfo != nullptr)
        pDoc->GetAccount()->SetFileNumber(static_cast<DWORD>(pInfo->nFileId));
    if (m_hTopItem != nullptr)
        Tree().Expand(m_hTopItem, TVE_EXPAND);
    return pDoc;
}

int CEmailAccountsView::OpenAllAccounts() {
    const CString folder = GetAccountsFolder();
    int opened = 0;
    CFileFind find;
    BOOL more = find.FindFile(folder + "\\*.*");
    while (more) {
        more = find.FindNextFile();
        if (find.IsDots() || !find.IsDirectory())
            continue;
        CString path;
        CombinePath(find.GetFilePath(), CEmailAccount::kSettingsFile, path);
        CFileStatus status;
        if (CFile::GetStatus(path, status) && OpenFile(path, FALSE) != nullptr)
            ++opened;
    }
    return opened;
}

CEmailAccountDoc* CEmailAccountsView::NewAccount(LPCTSTR lpszName) {
    const CString folder = GetAccountsFolder();
    if (!CreateDirectoryPath(folder, 2)) {
        AfxMessageBox("无法创建邮件帐户的文件夹：" + folder, MB_ICONEXCLAMATION);
        return nullptr;
    }
    CString name;
    MakeUniqueFileName(name, folder, "account", "", FALSE);
    CString accountFolder;
    CombinePath(folder, name, accountFolder);
    auto* pDoc = new CEmailAccountDoc;
    CString title = lpszName != nullptr ? CString(lpszName) : LoadText(IDS_NEW_ACCOUNT_NAME);
    if (!pDoc->CreateAccount(accountFolder, title)) {
        delete pDoc;
        DeleteDirectory(accountFolder);
        AfxMessageBox("无法创建邮件帐户：" + accountFolder, MB_ICONEXCLAMATION);
        return nullptr;
    }
    CFileInfo* pInfo = nullptr;
    HTREEITEM hItem = AddFileRoot(pDoc, nullptr, nullptr, &pInfo);
    if (pInfo != nullptr)
        pDoc->GetAccount()->SetFileNumber(static_cast<DWORD>(pInfo->nFileId));
    if (m_hTopItem != nullptr)
        Tree().Expand(m_hTopItem, TVE_EXPAND);
    if (hItem != nullptr) {
        Tree().Expand(hItem, TVE_EXPAND);
        Tree().SelectItem(hItem);
    }
    return pDoc;
}

BOOL CEmailAccountsView::RemoveAccount(HTREEITEM hItem, BOOL bAsk) {
    CFileInfo* pInfo = GetItemKind(hItem) == KindAccount ? GetFileInfo(hItem) : nullptr;
    CEmailAccount* pAccount = GetEmailAccountOfItem(hItem);
    if (pInfo == nullptr || pAccount == nullptr)
        return FALSE;
    if (pAccount->GetComposeFrameCount() > 0) {
        CString text;
        text.Format("邮件帐户“%s”还有正在撰写的邮件，请先关闭撰写窗口。",
                    pAccount->GetName().GetString());
        AfxMessageBox(text, MB_ICONEXCLAMATION);
        return FALSE;
    }
    if (bAsk) {
        CString text;
        text.Format("确实要删除邮件帐户“%s”吗？\n该帐户的所有邮件和信箱都将被删除。",
                    pAccount->GetName().GetString());
        if (AfxMessageBox(text, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return FALSE;
    }
    const CString folder = pAccount->GetFolder();
    if (!CloseFile(pInfo, TRUE, FALSE))
        return FALSE;
    DeleteDirectory(folder);
    // The tree went to the top item before the account left the list of open files: the
    // top item's pane lists the files again, without this one.
    if (m_hCurrent == m_hTopItem)
        OnCurrentItemChanged(m_hCurrent, TRUE);
    UpdateTitle();
    return TRUE;
}

BOOL CEmailAccountsView::EditAccount(HTREEITEM hItem) {
    CEmailAccount* pAccount = GetEmailAccountOfItem(hItem);
    if (pAccount == nullptr || !UnlockItem(FileRootOf(hItem)))
        return FALSE;
    if (!EditMailAccount(this, pAccount))
        return FALSE;
    if (CEmailAccountDoc* pDoc = FindAccountDocument(pAccount))
        pDoc->SetTitle(pAccount->GetName()); // the name may have been changed
    if (!pAccount->SaveSettings())
        AfxMessageBox("无法保存邮件帐户的设置。", MB_ICONEXCLAMATION);
    return TRUE;
}

BOOL CEmailAccountsView::CloseAllComposeFrames() {
    for (int i = 0; i < GetFileCount(); ++i)
        if (CEmailAccount* pAccount =
                dynamic_cast<CEmailAccount*>(GetDocAccount(GetFileAt(i)->pDoc)))
            if (!pAccount->CloseComposeFrames())
                return FALSE;
    return TRUE;
}

BOOL CEmailAccountsView::CloseFile(CFileInfo* pInfo, BOOL bQuiet, BOOL bAskSave) {
    auto* pDoc = pInfo != nullptr ? dynamic_cast<CEmailAccountDoc*>(pInfo->pDoc) : nullptr;
    // The account's compose frames are asked first: a message being written is never lost.
    if (pDoc != nullptr && pDoc->GetAccount() != nullptr &&
        !pDoc->GetAccount()->CloseComposeFrames())
        return FALSE;
    if (!CMessageAccountTreeView::CloseFile(pInfo, bQuiet, bAskSave))
        return FALSE;
    return TRUE;
}

// ---- Current item ------------------------------------------------------------------------------

void CEmailAccountsView::OnCurrentItemChanged(HTREEITEM hItem, BOOL bUpdateViews) {
    // A box and an account (its inbox) both show the message list.
    const int kind = GetItemKind(hItem);
    m_nPaneMode = kind == KindTop ? 3 : 1;
    m_nGroupViewNumber = ViewMessages;
    CGroupTreeView::OnCurrentItemChanged(hItem, bUpdateViews);
    m_groupHelper.EnableLabelEdit(kind == KindAccount);
}

void CEmailAccountsView::SetDocumentCurrentRecord(CQuillmarBaseDoc* pDoc, HTREEITEM hItem) {
    CGroupTreeView::SetDocumentCurrentRecord(pDoc, hItem);
    auto* pEmail = dynamic_cast<CEmailAccountDoc*>(pDoc);
    if (pEmail == nullptr)
        return;
    CMsgBoxBase* pBox = GetBoxOfItem(hItem);
    if (GetItemKind(hItem) == KindAccount && pEmail->GetAccount() != nullptr)
        pBox = pEmail->GetAccount()->FindBox(CMsgBoxBase::BOX_INBOX);
    pEmail->SetCurrentBox(pBox);
    pEmail->SetCurrentMessage(nullptr);
}

void CEmailAccountsView::UpdateTitle() {
    CString title = AppTitle() + " - " + LoadText(m_nViewNameId);
    CFileInfo* pInfo = m_pCurrentFile;
    if (CMsgAccountBase* pAccount = pInfo != nullptr ? GetDocAccount(pInfo->pDoc) : nullptr) {
        title += " - " + pAccount->GetName();
        auto* pBox = dynamic_cast<CMsgBoxBase*>(GetBoxOfItem(m_hCurrent));
        if (pBox != nullptr && pBox->GetParent() != nullptr)
            title += " {" + pBox->GetName() + "}";
    }
    SetFrameTitle(title);
    if (pInfo != nullptr)
        RedrawItem(pInfo->hItem);
}

// ---- Commands ----------------------------------------------------------------------------------

void CEmailAccountsView::OnNewAccount() {
    if (NewAccount() == nullptr)
        return;
    // The account exists only once its pages are confirmed: a cancelled sheet takes the new
    // account, its folder and its tree item away again.
    const HTREEITEM hItem = FileRootOf(m_hCurrent);
    if (!EditAccount(hItem))
        RemoveAccount(hItem, FALSE);
}

void CEmailAccountsView::OnRemoveAccount() {
    RemoveAccount(FileRootOf(m_hCurrent));
}

void CEmailAccountsView::OnEditAccount() {
    EditAccount(m_hCurrent);
}

void CEmailAccountsView::OnWriteEmail() {
    CEmailAccount* pAccount = GetEmailAccountOfItem(m_hCurrent);
    if (pAccount == nullptr && GetFileCount() > 0)
        pAccount = dynamic_cast<CEmailAccount*>(GetDocAccount(GetFileAt(0)->pDoc));
    if (pAccount == nullptr) {
        AfxMessageBox("请先新建一个邮件帐户。", MB_ICONINFORMATION);
        return;
    }
    if (pAccount->Compose(nullptr) == nullptr)
        AfxMessageBox("无法打开撰写邮件的窗口。", MB_ICONEXCLAMATION);
}

void CEmailAccountsView::OnUpdateEmailCommand(CCmdUI* pCmdUI) {
    const int kind = GetItemKind(m_hCurrent);
    switch (pCmdUI->m_nID) {
    case ID_ACCOUNT_DELETE:
    case ID_ACCOUNT_PROPERTIES:
        pCmdUI->Enable(kind == KindAccount || (kind >= KindInbox && kind <= KindUserBox));
        break;
    default:
        pCmdUI->Enable(TRUE);
    }
}
