#include "ecard/ui/ECWizardRegister.h"

#include "ecard/ECRequest.h"
#include "ecard/ECUserDoc.h"
#include "platform/gui/MessageBox.h"

#include <algorithm>

namespace {

const int kSideBitmap = 6001;
const int kSideControl = 1301;

// The certificate types offered when registering.
const char* const kCertTypes[] = {"身份证", "护照", "军官证", "学生证", "驾驶证", "其他"};

BOOL IsAllDigits(const CString& text) {
    for (int i = 0; i < text.GetLength(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return FALSE;
    return TRUE;
}

} // namespace

// ---- the pages' common part ----

CECWizardRegister* CECPageRegBase::GetWizard() const {
    return static_cast<CECWizardRegister*>(GetSheet());
}

void CECPageRegBase::SetButtons(int nFlags) {
    m_nButtons = nFlags;
    if (CPropertySheet* pSheet = GetSheet())
        pSheet->SetWizardButtons((DWORD)nFlags);
}

void CECPageRegBase::ChangeButtons(int nClear, int nSet) {
    SetButtons(nSet | (m_nButtons & ~nClear));
}

BOOL CECPageRegBase::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    if (m_side.LoadBitmap(kSideBitmap))
        if (auto* pSide = static_cast<CStatic*>(GetDlgItem(kSideControl)))
            pSide->SetBitmap((HBITMAP)m_side.GetSafeHandle());
    m_tips.Create(this);
    return TRUE;
}

void CECPageRegBase::AddTip(int nID, LPCTSTR lpszText) {
    if (CWnd* pCtrl = GetDlgItem(nID))
        m_tips.AddTool(pCtrl, lpszText);
}

BOOL CECPageRegBase::PreTranslateMessage(MSG* pMsg) {
    if (m_tips.GetSafeHwnd() != nullptr && pMsg->message >= WM_MOUSEFIRST &&
        pMsg->message <= WM_MOUSELAST)
        m_tips.RelayEvent(pMsg);
    return CPropertyPage::PreTranslateMessage(pMsg);
}

// ---- step 1: the number ----

BEGIN_MESSAGE_MAP(CECPageRegSelectID, CECPageRegBase)
ON_BN_CLICKED(CECPageRegSelectID::IDC_AUTO, &CECPageRegSelectID::OnAuto)
ON_BN_CLICKED(CECPageRegSelectID::IDC_OWN, &CECPageRegSelectID::OnOwn)
ON_BN_CLICKED(CECPageRegSelectID::IDC_ACTION, &CECPageRegSelectID::OnAction)
ON_EN_CHANGE(CECPageRegSelectID::IDC_NUMBER, &CECPageRegSelectID::OnNumberChanged)
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

BOOL CECPageRegSelectID::OnInitDialog() {
    CECPageRegBase::OnInitDialog();
    CheckRadioButton(IDC_AUTO, IDC_OWN, IDC_AUTO);
    return TRUE;
}

UINT CECPageRegSelectID::GetNumber() const {
    return m_nMode == 1 ? ParseECUserFolderName(m_strTyped) : m_nAssigned;
}

BOOL CECPageRegSelectID::IsAccepted(UINT nUid) const {
    return nUid != 0 && std::find(m_accepted.begin(), m_accepted.end(), nUid) != m_accepted.end();
}

void CECPageRegSelectID::ForgetAccepted(UINT nUid) {
    m_accepted.erase(std::remove(m_accepted.begin(), m_accepted.end(), nUid), m_accepted.end());
    if (m_nAssigned == nUid)
        m_nAssigned = 0;
}

BOOL CECPageRegSelectID::OnSetActive() {
    if (!CECPageRegBase::OnSetActive())
        return FALSE;
    if (!m_bShown) {
        m_bShown = TRUE;
        SetButtons(0);
        ShowAutoMode();
        SetButtons(0);
    } else if (m_nMode == 1) {
        ShowOwnMode();
    } else {
        ShowAutoMode();
    }
    return TRUE;
}

void CECPageRegSelectID::ShowAutoMode() {
    if (m_nMode == 1)
        GetDlgItemText(IDC_NUMBER, m_strTyped);
    m_nMode = 0;
    CheckRadioButton(IDC_AUTO, IDC_OWN, IDC_AUTO);
    CWnd* pLabel = GetDlgItem(IDC_LABEL);
    CWnd* pEdit = GetDlgItem(IDC_NUMBER);
    m_bFilling = true;
    if (m_nAssigned != 0) {
        CString text;
        text.Format("%u", m_nAssigned);
        SetDlgItemText(IDC_LABEL, "系统为您分配了下面的号码：");
        SetDlgItemText(IDC_NUMBER, text);
        static_cast<CEdit*>(pEdit)->SetReadOnly(TRUE);
        pLabel->ShowWindow(SW_SHOW);
        pEdit->ShowWindow(SW_SHOW);
        SetDlgItemText(IDC_ACTION, "请重新分配");
        ChangeButtons(0, PSWIZB_NEXT);
    } else {
        pLabel->ShowWindow(SW_HIDE);
        pEdit->ShowWindow(SW_HIDE);
        SetDlgItemText(IDC_ACTION, "开始分配");
        ChangeButtons(PSWIZB_NEXT, 0);
    }
    m_bFilling = false;
}

void CECPageRegSelectID::ShowOwnMode() {
    m_nMode = 1;
    CheckRadioButton(IDC_AUTO, IDC_OWN, IDC_OWN);
    CWnd* pEdit = GetDlgItem(IDC_NUMBER);
    m_bFilling = true;
    SetDlgItemText(IDC_LABEL, "请输入您想要注册的号码(必须为8位数字)：");
    SetDlgItemText(IDC_NUMBER, m_strTyped);
    static_cast<CEdit*>(pEdit)->SetReadOnly(FALSE);
    GetDlgItem(IDC_LABEL)->ShowWindow(SW_SHOW);
    pEdit->ShowWindow(SW_SHOW);
    pEdit->SetFocus();
    SetDlgItemText(IDC_ACTION, "检测号码");
    m_bFilling = false;
    if (IsAccepted(ParseECUserFolderName(m_strTyped)) && m_strTyped.GetLength() == 8)
        ChangeButtons(0, PSWIZB_NEXT);
    else
        ChangeButtons(PSWIZB_NEXT, 0);
}

void CECPageRegSelectID::OnNumberChanged() {
    if (m_bFilling || m_nMode != 1)
        return;
    GetDlgItemText(IDC_NUMBER, m_strTyped);
    if (m_nButtons & PSWIZB_NEXT)
        ChangeButtons(PSWIZB_NEXT, 0);
}

void CECPageRegSelectID::OnAction() {
    if (m_nMode == 0) {
        UINT nUid = 0;
        int nSecond = -1;
        const int nCode = AssignECUid(nUid, nSecond);
        if (nCode == 0 && nUid != 0) {
            m_nAssigned = nUid;
            ShowAutoMode();
        } else {
            AfxMessageBox(GetECErrorText(nCode != 0 ? nCode : EC_RESULT_NO_NUMBER),
                          MB_OK | MB_ICONSTOP);
        }
        return;
    }
    GetDlgItemText(IDC_NUMBER, m_strTyped);
    // The edit takes whatever is pasted into it: only eight digits make a number.
    if (m_strTyped.GetLength() != 8 || !IsAllDigits(m_strTyped)) {
        AfxMessageBox("输入的号码不是8位数字，请重新输入！", MB_OK | MB_ICONSTOP);
        return;
    }
    if (m_strTyped[0] == '0') {
        AfxMessageBox("第一位数字不能为0，请重新输入！", MB_OK | MB_ICONSTOP);
        return;
    }
    const UINT nUid = ParseECUserFolderName(m_strTyped);
    if (IsAccepted(nUid)) {
        AfxMessageBox("该号码在前面已经检测通过！", MB_OK | MB_ICONINFORMATION);
    } else {
        const int nCode = CheckECUid(nUid);
        if (nCode == 0) {
            m_accepted.push_back(nUid);
            AfxMessageBox("恭喜，检测通过！您可以注册该号码。", MB_OK | MB_ICONINFORMATION);
        } else {
            AfxMessageBox(GetECErrorText(nCode), MB_OK | MB_ICONSTOP);
        }
    }
    if (IsAccepted(nUid))
        ChangeButtons(0, PSWIZB_NEXT);
    else
        ChangeButtons(PSWIZB_NEXT, 0);
}

HBRUSH CECPageRegSelectID::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    HBRUSH hbr = CECPageRegBase::OnCtlColor(pDC, pWnd, nCtlColor);
    if (pWnd != nullptr &&
        (pWnd->GetDlgCtrlID() == IDC_NOTE_NET || pWnd->GetDlgCtrlID() == IDC_NOTE_SPECIAL)) {
        pDC->SetTextColor(RGB(255, 0, 0));
        pDC->SetBkMode(TRANSPARENT);
        return (HBRUSH)::GetStockObject(HOLLOW_BRUSH);
    }
    return hbr;
}

// ---- step 2: the account ----

BOOL CECPageRegAccount::OnInitDialog() {
    CECPageRegBase::OnInitDialog();
    AddTip(1007, "用户名可以是任意字符。");
    AddTip(1012, "请输入帐户的登录密码。由字母与数字组成，长度必须在4字符到20字符之间。");
    AddTip(1013, "请重复输入上面的密码。帐户建立后，请牢记密码！");
    AddTip(1020, "请在此填写您常用的Email地址，以便接收重要信息。");
    return TRUE;
}

void CECPageRegAccount::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, 1006, m_nUid);
    DDX_Text(pDX, 1007, m_strUserName);
    DDX_Text(pDX, 1012, m_strPassword);
    DDX_Text(pDX, 1013, m_strRepeat);
    DDX_Text(pDX, 1020, m_strEmail);
}

BOOL CECPageRegAccount::OnSetActive() {
    m_nUid = GetWizard()->m_pageID.GetNumber();
    if (!CECPageRegBase::OnSetActive())
        return FALSE;
    SetDlgItemInt(1006, m_nUid, FALSE);
    SetButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return TRUE;
}

LRESULT CECPageRegAccount::OnWizardNext() {
    if (!UpdateData(TRUE))
        return -1;
    const CString failure = ValidateECPassword(m_strPassword, m_strRepeat);
    if (!failure.IsEmpty()) {
        AfxMessageBox(failure, MB_OK | MB_ICONSTOP);
        if (CWnd* pEdit = GetDlgItem(1012))
            GotoDlgCtrl(pEdit);
        return -1;
    }
    return 0;
}

// ---- step 3: security ----

BOOL CECPageRegSecurity::OnInitDialog() {
    CECPageRegBase::OnInitDialog();
    if (auto* pCombo = static_cast<CComboBox*>(GetDlgItem(1008)))
        for (const char* type : kCertTypes)
            pCombo->AddString(type);
    AddTip(1006, "强烈建议您填写此Email。别人永远无法更改此信息。万一发生盗号情况，可以凭此Email取回帐户。");
    AddTip(1008, "如果您想填写证件，请选择其类型。");
    AddTip(1007, "您也可以在此填写您的有效证件。一经填写，便不可更改。万一发生盗号情况，可以凭此证件取回帐户。");
    return TRUE;
}

void CECPageRegSecurity::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, 1006, m_strSecureEmail);
    DDX_CBIndex(pDX, 1008, m_nCertType);
    DDX_Text(pDX, 1007, m_strCert);
}

BOOL CECPageRegSecurity::OnSetActive() {
    if (!CECPageRegBase::OnSetActive())
        return FALSE;
    SetButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return TRUE;
}

LRESULT CECPageRegSecurity::OnWizardNext() {
    if (!UpdateData(TRUE))
        return -1;
    CECWizardRegister* pWizard = GetWizard();
    const CECPageRegAccount& account = pWizard->m_pageAccount;
    SECAccount& a = pWizard->GetAccount();
    a.m_nUid = pWizard->m_pageID.GetNumber();
    a.m_strUserName = account.m_strUserName;
    a.m_strPassword = account.m_strPassword;
    a.m_strEmail = account.m_strEmail;
    a.m_strSecureEmail = m_strSecureEmail;
    a.m_strCertType.Empty();
    if (auto* pCombo = static_cast<CComboBox*>(GetDlgItem(1008)))
        pCombo->GetWindowText(a.m_strCertType);
    a.m_strCert = m_strCert;
    return 0;
}

// ---- step 4: check and register ----

BOOL CECPageRegCheckup::OnSetActive() {
    if (!CECPageRegBase::OnSetActive())
        return FALSE;
    SetButtons(PSWIZB_BACK | PSWIZB_NEXT);
    const SECAccount& a = GetWizard()->GetAccount();
    CString text;
    text.Format("用户ID号： %u\r\n用户名称： %s\r\n访问密码： %s\r\nEmail：    %s\r\n安全Email：%s\r\n"
                "证件类型： %s\r\n证件号码： %s",
                a.m_nUid, (LPCTSTR)a.m_strUserName, (LPCTSTR)a.m_strPassword,
                (LPCTSTR)a.m_strEmail, (LPCTSTR)a.m_strSecureEmail, (LPCTSTR)a.m_strCertType,
                (LPCTSTR)a.m_strCert);
    SetDlgItemText(1006, text);
    return TRUE;
}

LRESULT CECPageRegCheckup::OnWizardNext() {
    CECWizardRegister* pWizard = GetWizard();
    CString reply;
    const int nCode = RegisterECUser(pWizard->GetAccount(), reply);
    pWizard->SetReplyText(reply);
    if (nCode == 0)
        return 0;
    AfxMessageBox(GetECErrorText(nCode), MB_OK | MB_ICONSTOP);
    if (nCode == 210) {
        // The number has been taken meanwhile: it is no longer one the user may go on with.
        pWizard->m_pageID.ForgetAccepted(pWizard->GetAccount().m_nUid);
        return CECPageRegSelectID::IDD;
    }
    return -1;
}

// ---- step 5: done ----

void CECPageRegFinish::DoDataExchange(CDataExchange* pDX) {
    DDX_Check(pDX, IDC_LOGIN, m_bLogin);
}

BOOL CECPageRegFinish::OnSetActive() {
    if (!CECPageRegBase::OnSetActive())
        return FALSE;
    SetButtons(PSWIZB_FINISH);
    SetDlgItemText(1006, GetWizard()->GetReplyText());
    return TRUE;
}

BOOL CECPageRegFinish::OnWizardFinish() {
    UpdateData(TRUE);
    return CECPageRegBase::OnWizardFinish();
}

// ---- the sheet ----

CECWizardRegister::CECWizardRegister(LPCTSTR lpszCaption, CWnd* pParent)
    : CPropertySheet(lpszCaption, pParent) {
    AddPage(&m_pageID);
    AddPage(&m_pageAccount);
    AddPage(&m_pageSecurity);
    AddPage(&m_pageCheckup);
    AddPage(&m_pageFinish);
    SetWizardMode();
    m_psh.dwFlags &= ~PSH_HASHELP;
}
