// The web gateway account dialogs: recharge with a prepaid card, change the number after the
// service number (the suffix), the remaining message balance, the own service number, and the
// signature the gateway appends. Each shows the account's user number and password, sends one
// request per action and writes the outcome into its result box, red while the last request
// failed; OK never closes the dialog, Cancel does.
#pragma once

#include "platform/gui/Dialog.h"

#include <functional>

class CDlgSmsAccountBase : public CDialog {
public:
    enum { IDC_USER = 1006, IDC_PASSWORD = 1007, IDC_FIELD1 = 1012, IDC_FIELD2 = 1013,
           IDC_RESULT = 1014, IDC_BUTTON1 = 1021, IDC_BUTTON2 = 1022 };
    // A request: the user number, the password; fills the text, answers the code (0 success).
    typedef std::function<int(UINT nUid, const CString& password, CString& text)> Request;

    CDlgSmsAccountBase(UINT nIDTemplate, CWnd* pParent) : CDialog(nIDTemplate, pParent) {}

    CString m_strUser;
    CString m_strPassword;
    int m_nResult = 0;
    CString m_strResult;

    // The user number as the gateway takes it: decimal digits within 32 bits. FALSE otherwise
    // (a longer number would wrap into another user's).
    static BOOL ParseUserNumber(const CString& text, UINT& nUid);
    // Takes the controls' values, runs the request (none when the user number is refused) and
    // shows its outcome. Answers the code.
    int RunRequest(const Request& request);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;

protected:
    // The dialog's own action for OK.
    virtual int DoOK() = 0;
    void ShowResult();
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()
};

class CDlgSmsAccountChargeSms : public CDlgSmsAccountBase {
public:
    enum { IDD = 4021 };
    explicit CDlgSmsAccountChargeSms(CWnd* pParent = nullptr) : CDlgSmsAccountBase(IDD, pParent) {}
    CString m_strCardNo, m_strCardPassword;
    void DoDataExchange(CDataExchange* pDX) override;

protected:
    int DoOK() override;
};

class CDlgSmsAccountEditSuffixCode : public CDlgSmsAccountBase {
public:
    enum { IDD = 4022, IDC_CHOICE_CARD = 1213, IDC_CHOICE_LAST = 1214, IDC_CHOICE_NEW = 1215 };
    explicit CDlgSmsAccountEditSuffixCode(CWnd* pParent = nullptr)
        : CDlgSmsAccountBase(IDD, pParent) {}
    int m_nChoice = 0;
    CString m_strMobile, m_strCheckCode;
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

protected:
    int DoOK() override;
    // The number, the check code and "我想获取" only for a new phone.
    void UpdateEnabling();
    void OnChoice();
    void OnShowSuffix();
    void OnGetCheckCode();
    DECLARE_MESSAGE_MAP()
};

class CDlgSmsAccountGetSmsBalance : public CDlgSmsAccountBase {
public:
    enum { IDD = 4023 };
    explicit CDlgSmsAccountGetSmsBalance(CWnd* pParent = nullptr)
        : CDlgSmsAccountBase(IDD, pParent) {}

protected:
    int DoOK() override;
};

class CDlgSmsAccountGetSmsCode : public CDlgSmsAccountBase {
public:
    enum { IDD = 4025 };
    explicit CDlgSmsAccountGetSmsCode(CWnd* pParent = nullptr) : CDlgSmsAccountBase(IDD, pParent) {}

protected:
    int DoOK() override;
};

class CDlgSmsAccountSignature : public CDlgSmsAccountBase {
public:
    enum { IDD = 4026 };
    explicit CDlgSmsAccountSignature(CWnd* pParent = nullptr) : CDlgSmsAccountBase(IDD, pParent) {}
    CString m_strSignature;
    void DoDataExchange(CDataExchange* pDX) override;

protected:
    int DoOK() override;
    void OnShowSignature();
    void OnNotice();
    DECLARE_MESSAGE_MAP()
};
