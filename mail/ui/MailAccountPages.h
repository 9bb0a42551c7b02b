// An e-mail account's settings on two pages, the identity and the servers, each able to sit in a
// property sheet or in any window, and the two dialogs the server page opens: the SMTP log-on and
// the ports. A page changes the account only on OK, and only when something on it changed.
#pragma once

#include "mail/EmailAccount.h"
#include "platform/gui/Dialog.h"
#include "ui/KovPropertyPage.h"

class CEmailAccount;

class CPageMailAccountBase : public CKovPropertyPage {
public:
    // Page kinds.
    enum { KindPerson = 1, KindServer = 2 };

    CPageMailAccountBase(UINT nIDTemplate, int nKind);
    BOOL OnInitDialog() override;

    void SetAccount(CEmailAccount* pAccount) { m_pAccount = pAccount; }
    CEmailAccount* GetAccount() const { return m_pAccount; }
    int GetKind() const { return m_nKind; }

    // The page classes in the order they are shown, identity first; null ends the table.
    static CRuntimeClass* const* GetPageClasses();
    // Whether the page has written its values to the account (on OK or 应用).
    BOOL HasApplied() const { return m_bApplied; }

protected:
    // Any edit or click of the page's controls marks it modified (not while it fills them).
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    virtual void UpdateEnabling() {}
    // The page differs from the account now: its host hears of it, and a sheet enables 应用.
    void MarkModified();

    CEmailAccount* m_pAccount = nullptr;
    int m_nKind;
    BOOL m_bLoading = FALSE;
    BOOL m_bApplied = FALSE;
};

class CPageMailAccountPerson : public CPageMailAccountBase {
    DECLARE_DYNCREATE(CPageMailAccountPerson)
public:
    enum {
        IDD = 4201,
        IDC_NAME = 1006,
        IDC_ORGANIZATION = 1007,
        IDC_EMAIL = 1012,
        IDC_REPLY_TO = 1013,
        IDC_USE_ICON = 1024,
        IDC_CHOOSE_ICON = 1021,
        IDC_CLEAR_ICON = 1022
    };

    CPageMailAccountPerson();
    BOOL OnInitDialog() override;
    // The sender and reply addresses must be whole addresses ("name@domain") or empty: the page
    // is not left, nor are its values taken, with one that a server would refuse.
    BOOL OnKillActive() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange* pDX) override;

    SAccountPersonInfo m_person;
    int m_bUseIcon = FALSE;
};

class CPageMailAccountServer : public CPageMailAccountBase {
    DECLARE_DYNCREATE(CPageMailAccountServer)
public:
    enum {
        IDD = 4202,
        IDC_SMTP_HOST = 1006,
        IDC_NEEDS_AUTH = 1024,
        IDC_AUTH_SETTINGS = 1021,
        IDC_POP3_HOST = 1007,
        IDC_POP3_USER = 1012,
        IDC_POP3_PASSWORD = 1013,
        IDC_WEBMAIL = 1207,
        IDC_ADVANCED = 1022
    };

    CPageMailAccountServer();
    BOOL OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange* pDX) override;

    CEmailAccount::SServerInfo m_smtp;
    CEmailAccount::SServerInfo m_pop3;
    int m_bNeedsAuth = FALSE;

protected:
    void UpdateEnabling() override;
    void OnAuthSettings();
    void OnAdvanced();
    DECLARE_MESSAGE_MAP()
};

// How the SMTP server is logged on to: as the POP3 user, or with a user and password of its own.
class CDlgSmtpAuthConfig : public CDialog {
public:
    enum {
        IDD = 4204,
        IDC_SAME_AS_POP3 = 1213,
        IDC_OWN_LOGIN = 1214,
        IDC_USER = 1006,
        IDC_PASSWORD = 1007
    };

    explicit CDlgSmtpAuthConfig(CWnd* pParent = nullptr);
    BOOL OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange* pDX) override;

    int m_nChoice = 0;
    DWORD m_dwOptions = 0;
    CString m_strUser;
    CString m_strPassword;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void UpdateEnabling();
    BOOL m_bLoading = FALSE;
};

// The server ports and their secure-connection flags; "默认(&D)" puts back 25 and 110.
class CDlgMailServerAdvConfig : public CDialog {
public:
    enum {
        IDD = 4205,
        IDC_SMTP_PORT = 1006,
        IDC_SMTP_SSL = 1024,
        IDC_POP3_PORT = 1007,
        IDC_POP3_SSL = 1025,
        IDC_DEFAULTS = 1021
    };

    explicit CDlgMailServerAdvConfig(CWnd* pParent = nullptr);
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    UINT m_nSmtpPort = 25;
    UINT m_nPop3Port = 110;
    int m_bSmtpSsl = FALSE;
    int m_bPop3Ssl = FALSE;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnDefaults();
    BOOL m_bLoading = FALSE;
};

// The account's two pages in a modal sheet captioned by the account's name; TRUE when the user
// confirmed (the pages that changed have then written the account).
BOOL EditMailAccount(CWnd* pParent, CEmailAccount* pAccount, int nStartPage = 0);
