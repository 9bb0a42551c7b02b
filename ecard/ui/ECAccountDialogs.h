// The e-card account dialogs: change the password, deregister the account, modify the account
// information, and leave a message by mail to users named by their IDs. Each performs its one
// request itself and stays open with its input when the request fails.
#pragma once

#include "platform/base/Collections.h"
#include "platform/gui/Dialog.h"

class CECUser;

class CECDlgChangePassword : public CDialog {
public:
    enum { IDD = 492, IDC_OLD = 1006, IDC_NEW = 1007, IDC_REPEAT = 1012 };
    CECDlgChangePassword(CECUser* pUser, CWnd* pParent) : CDialog(IDD, pParent), m_pUser(pUser) {}
    // After OK: the password the service took.
    CString m_strNew;
    void OnOK() override;

private:
    CECUser* m_pUser;
};

class CECDlgDeregister : public CDialog {
public:
    enum { IDD = 489, IDC_ID = 1006, IDC_PASSWORD = 1007, IDC_CODE = 1012, IDC_MAKE_CODE = 1021 };
    CECDlgDeregister(CECUser* pUser, CWnd* pParent) : CDialog(IDD, pParent), m_pUser(pUser) {}
    BOOL OnInitDialog() override;
    void OnOK() override;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void MakeSecureCode();

private:
    CECUser* m_pUser;
};

class CECDlgModifyAccount : public CDialog {
public:
    enum {
        IDD = 490,
        IDC_ID = 1006,
        IDC_NAME = 1007,
        IDC_EMAIL = 1012,
        IDC_SECURE_EMAIL = 1013,
        IDC_CERT_TYPE = 1008,
        IDC_CERT = 1020,
        IDC_SYNC = 1021,
    };
    // What a field shows for a secure value the account holds.
    static constexpr const char* kSpecified = "已指定";
    CECDlgModifyAccount(CECUser* pUser, CWnd* pParent) : CDialog(IDD, pParent), m_pUser(pUser) {}
    BOOL OnInitDialog() override;
    void OnOK() override;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void ShowAccount();
    void Synchronise();

private:
    CECUser* m_pUser;
};

class CECDlgLeaveMessage : public CDialog {
public:
    enum {
        IDD = 4003,
        IDC_IDS = 1006,
        IDC_SUBJECT = 1007,
        IDC_TEXT = 1012,
        IDC_TEMPLATES = 1024,
        IDC_PHRASES = 1021,
    };
    CECDlgLeaveMessage(CECUser* pUser, const CString& ids, CWnd* pParent)
        : CDialog(IDD, pParent), m_pUser(pUser), m_strIDs(ids) {}
    BOOL OnInitDialog() override;
    void OnOK() override;
    // Puts the text in place of the message's selection, its markers filled for a single
    // recipient among the user's contacts while template analysis is on.
    void InsertText(const CString& text);

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnInsertText(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    CECUser* m_pUser;
    CString m_strIDs;
};

class CECContact;
// The four field-list markers of a message text filled for the contact: the fields it lets the
// user read or hides ("GO"), and the fields of the user's card it may read or not (a contact
// outside the friends by the default access).
CString ReplaceECMessageMarkers(const CString& text, CECUser& user, const CECContact& contact);
