// The log-in dialog of the e-card service: a user number (the local users offered in its list)
// and a password, checked against the stored user file and, when that does not settle it,
// against the service.
#pragma once

#include "platform/gui/Dialog.h"

class CECUsersManager;

class CECDlgLogin : public CDialog {
public:
    enum { IDD = 486, IDC_NUMBER = 1008, IDC_PASSWORD_EDIT = 1009, IDC_CLEAR = 1023,
           IDC_NEW_USER = 1251, IDC_AUTO_SHOW = 1024, IDC_BANNER = 1300 };

    explicit CECDlgLogin(CECUsersManager* pManager, CWnd* pParent = nullptr);

    // The number of the user that logged in (after IDOK).
    UINT GetUserNumber() const { return m_nUid; }

    CString m_strPassword;
    CString m_strNumber;
    int m_bAutoShow = 1;

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;

protected:
    void OnNewUser();
    void OnClearRecord();
    // Takes the controls' values and hands the show-at-start setting to the manager.
    void TakeData();
    void FillLocalUsers();
    // The typed number of a user whose window is open nowhere; 0 (the user told) otherwise.
    UINT TakeClosedUserNumber();

    CECUsersManager* m_pManager;
    UINT m_nUid = 0;
    CBitmap m_banner;

    DECLARE_MESSAGE_MAP()
};
