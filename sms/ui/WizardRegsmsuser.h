// The four-step wizard that registers a new user of the web SMS gateway: the mobile number (the
// gateway sends a check code to it), the check code, a password and an e-mail address, and the
// gateway's answer. Each of the first three steps posts one form and goes on only on success.
#pragma once

#include "core/ReplyStatus.h"
#include "platform/gui/PropertySheet.h"

class CWizardRegsmsuser;

class CPageRegsmsuserPhone : public CPropertyPage {
public:
    enum { IDD = 479, IDC_NUMBER = 1006, IDC_HAVE_CODE = 1024 };
    CPageRegsmsuserPhone() : CPropertyPage(IDD) {}
    CString m_strPhone;
    BOOL m_bHaveCode = FALSE;
    // Exactly 11 digits beginning with "13".
    static BOOL IsValidNumber(const CString& number);
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
};

class CPageRegsmsuserCheckcode : public CPropertyPage {
public:
    enum { IDD = 480, IDC_CODE = 1006 };
    CPageRegsmsuserCheckcode() : CPropertyPage(IDD) {}
    CString m_strCode;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
};

class CPageRegsmsuserPassword : public CPropertyPage {
public:
    enum { IDD = 481, IDC_PASSWORD = 1006, IDC_REPEAT = 1007, IDC_EMAIL = 1012, IDC_SHOW = 1024 };
    CPageRegsmsuserPassword() : CPropertyPage(IDD) {}
    CString m_strPassword, m_strRepeat, m_strEmail;
    // The reason a password is refused (equal entries, 6 characters or more, letters and digits
    // only, checked in that order), empty when it passes.
    static CString CheckPassword(const CString& password, const CString& repeat);
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;

protected:
    void OnShowPassword();
    DECLARE_MESSAGE_MAP()
};

class CPageRegsmsuserComplete : public CPropertyPage {
public:
    enum { IDD = 482, IDC_ANSWER = 1006, IDC_HINT = 1111 };
    CPageRegsmsuserComplete() : CPropertyPage(IDD) {}
    // The reply text split at its last "#": the answer before, the hint after (empty: hidden).
    static void SplitFinalText(const CString& text, CString& answer, CString& hint);
    BOOL OnSetActive() override;

protected:
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()
};

class CWizardRegsmsuser : public CPropertySheet {
public:
    explicit CWizardRegsmsuser(CWnd* pParent = nullptr);

    // Posts one form to the page; 0 lets the wizard go on, otherwise the user is told why.
    BOOL SendRequest(LPCTSTR lpszPage, const CString& body);

    CPageRegsmsuserPhone m_pagePhone;
    CPageRegsmsuserCheckcode m_pageCheckcode;
    CPageRegsmsuserPassword m_pagePassword;
    CPageRegsmsuserComplete m_pageComplete;
    CReplyStatus m_status;
};
