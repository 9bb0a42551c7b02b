// The five-step wizard that registers a new user of the e-card service: a number (given by the
// service or chosen and checked), the account, the security data, a summary to check, and the
// service's answer.
#pragma once

#include "ecard/ECAccount.h"
#include "platform/gui/PropertySheet.h"
#include "platform/gui/ToolTipCtrl.h"

#include <vector>

class CECWizardRegister;

// A page of the wizard: which of Back, Next and Finish it lets the user press.
class CECPageRegBase : public CPropertyPage {
public:
    explicit CECPageRegBase(UINT nIDTemplate) : CPropertyPage(nIDTemplate) {}

    void SetButtons(int nFlags);
    // flags = set | (flags & ~clear).
    void ChangeButtons(int nClear, int nSet);
    int GetButtons() const { return m_nButtons; }

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    CECWizardRegister* GetWizard() const;
    void AddTip(int nID, LPCTSTR lpszText);

    int m_nButtons = 0;
    CBitmap m_side;
    CToolTipCtrl m_tips;
};

class CECPageRegSelectID : public CECPageRegBase {
public:
    enum { IDD = 487, IDC_LABEL = 1111, IDC_NUMBER = 1006, IDC_ACTION = 1021, IDC_AUTO = 1213,
           IDC_OWN = 1214, IDC_NOTE_NET = 1137, IDC_NOTE_SPECIAL = 1117 };
    CECPageRegSelectID() : CECPageRegBase(IDD) {}

    UINT m_nAssigned = 0;
    CString m_strTyped;
    std::vector<UINT> m_accepted;
    int m_nMode = 0;
    BOOL m_bShown = FALSE;

    // The number the next pages register: the typed one in own mode, else the assigned one.
    UINT GetNumber() const;
    BOOL IsAccepted(UINT nUid) const;

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    // Drops a number the service refused at registration.
    void ForgetAccepted(UINT nUid);

protected:
    void ShowAutoMode();
    void ShowOwnMode();
    void OnAuto() { ShowAutoMode(); }
    void OnOwn() { ShowOwnMode(); }
    void OnNumberChanged();
    void OnAction();
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);

    bool m_bFilling = false;
    DECLARE_MESSAGE_MAP()
};

class CECPageRegAccount : public CECPageRegBase {
public:
    enum { IDD = 498 };
    CECPageRegAccount() : CECPageRegBase(IDD) {}

    UINT m_nUid = 0;
    CString m_strUserName, m_strPassword, m_strRepeat, m_strEmail;

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
    void DoDataExchange(CDataExchange* pDX) override;
};

class CECPageRegSecurity : public CECPageRegBase {
public:
    enum { IDD = 499 };
    CECPageRegSecurity() : CECPageRegBase(IDD) {}

    CString m_strSecureEmail, m_strCert;
    int m_nCertType = -1;

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
    void DoDataExchange(CDataExchange* pDX) override;
};

class CECPageRegCheckup : public CECPageRegBase {
public:
    enum { IDD = 501 };
    CECPageRegCheckup() : CECPageRegBase(IDD) {}

    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
};

class CECPageRegFinish : public CECPageRegBase {
public:
    enum { IDD = 500, IDC_LOGIN = 1024 };
    CECPageRegFinish() : CECPageRegBase(IDD) {}

    int m_bLogin = 1;

    BOOL OnSetActive() override;
    BOOL OnWizardFinish() override;
    void DoDataExchange(CDataExchange* pDX) override;
};

class CECWizardRegister : public CPropertySheet {
public:
    explicit CECWizardRegister(LPCTSTR lpszCaption, CWnd* pParent = nullptr);

    SECAccount& GetAccount() { return m_account; }
    const CString& GetReplyText() const { return m_strReply; }
    void SetReplyText(const CString& text) { m_strReply = text; }
    BOOL IsLoginAfterFinish() const { return m_pageFinish.m_bLogin; }

    CECPageRegSelectID m_pageID;
    CECPageRegAccount m_pageAccount;
    CECPageRegSecurity m_pageSecurity;
    CECPageRegCheckup m_pageCheckup;
    CECPageRegFinish m_pageFinish;

private:
    SECAccount m_account;
    CString m_strReply;
};
