// The document of one e-mail account as the accounts tree keeps it: the account (made through its
// runtime class) with its folder, and the box and message the account's views show now. Its path
// is the account's settings file; opening reads the folder, saving writes the settings (the
// messages and boxes are stored as they change).
#pragma once

#include <memory>

#include "core/QuillmarBaseDoc.h"
#include "mail/EmailAccount.h"

class CEmailAccountDoc : public CQuillmarBaseDoc {
    DECLARE_DYNCREATE(CEmailAccountDoc)
public:
    CEmailAccountDoc();
    ~CEmailAccountDoc() override;

    // Makes a new account in the folder (its name given) and takes the settings file as path.
    BOOL CreateAccount(LPCTSTR lpszFolder, LPCTSTR lpszName);
    // The path is an account's settings file (CEmailAccount::kSettingsFile in its folder).
    BOOL OnOpenDocument(LPCTSTR lpszPathName) override;
    BOOL OnSaveDocument(LPCTSTR lpszPathName) override;
    void DeleteContents() override;
    // Only settings that could not be written are unsaved: the views mark the document when
    // mails change, but the account has stored those changes already.
    BOOL IsModified() override;
    // The title is the name the user gave the account, not its settings file's.
    void SetTitle(LPCTSTR lpszTitle) override;

    CEmailAccount* GetAccount() const { return m_pAccount.get(); }

    // The box and the message the document's views show (null for none); not stored.
    void SetCurrentBox(CObject* pBox) { m_pCurrentBox = pBox; }
    void SetCurrentMessage(CObject* pMessage) { m_pCurrentMessage = pMessage; }

private:
    std::unique_ptr<CEmailAccount> m_pAccount;
};
