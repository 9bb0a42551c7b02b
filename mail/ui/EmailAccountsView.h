// The tree of the "电子邮件" folder: every e-mail account kept in the data folder ("Mail", one
// folder per account) is a root item with its boxes beneath. Selecting a box shows its messages
// in the right pane (view 1 of the e-mail kind), selecting an account its inbox. The tree's menu
// makes, removes and edits accounts and writes new mail.
#pragma once

#include "mail/ui/EmailAccountDoc.h"
#include "sms/ui/SendersView.h"

class CEmailAccountsView : public CMessageAccountTreeView {
    DECLARE_DYNCREATE(CEmailAccountsView)
public:
    enum : UINT {
        ID_WRITE_EMAIL = 32840,
        IDR_CONTEXT_MENU = 4211,
        IDS_VIEW_NAME = 4212,
        IDS_FILE_TYPE = 4213,
        IDS_NEW_ACCOUNT_NAME = 4214,
        IDS_ACCOUNT_COUNT = 4215
    };
    // The right pane's e-mail kind and the view that lists a box.
    static constexpr int kModuleKind = 6;
    enum { ViewMessages = 1 };

    CEmailAccountsView();

    // The folder that holds the accounts, one sub-folder each ("Mail" in the data folder unless
    // set, as tests do).
    static CString GetAccountsFolder();
    static void SetAccountsFolder(LPCTSTR lpszFolder);

    // Opens every account of the accounts folder (at start). Answers how many opened.
    int OpenAllAccounts();
    // Makes a new account in a new folder and selects it; null when it cannot be made.
    CEmailAccountDoc* NewAccount(LPCTSTR lpszName = nullptr);
    // Removes the account of the item after asking by name: its folder with all its mail goes.
    // Refused, with a message, while one of its mails is being composed.
    BOOL RemoveAccount(HTREEITEM hItem, BOOL bAsk = TRUE);
    // The account's two pages; TRUE when confirmed (the settings are then saved).
    BOOL EditAccount(HTREEITEM hItem);
    // Asks every account's compose frames to close (program close); FALSE when one stayed.
    BOOL CloseAllComposeFrames();
    CEmailAccountDoc* FindAccountDocument(CEmailAccount* pAccount);
    CEmailAccount* GetEmailAccountOfItem(HTREEITEM hItem);

    CMsgAccountBase* GetDocAccount(CQuillmarBaseDoc* pDoc) override;
    CQuillmarBaseDoc* CreateDocument() override;
    CQuillmarBaseDoc* OpenFile(LPCTSTR lpszPath, BOOL bCreateNew) override;
    BOOL CloseFile(CFileInfo* pInfo, BOOL bQuiet, BOOL bAskSave) override;
    void OnCurrentItemChanged(HTREEITEM hItem, BOOL bUpdateViews) override;
    void SetDocumentCurrentRecord(CQuillmarBaseDoc* pDoc, HTREEITEM hItem) override;
    void UpdateTitle() override;
    void InitView() override;

protected:
    void OnNewAccount();
    void OnRemoveAccount();
    void OnEditAccount();
    void OnWriteEmail();
    void OnUpdateEmailCommand(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()
};
