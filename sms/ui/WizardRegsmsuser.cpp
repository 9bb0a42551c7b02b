#include "sms/ui/WizardRegsmsuser.h"

#include "core/StringUtil.h"
#include "links/HttpRequest.h"
#include "links/ServiceAddress.h"
#include "links/SmsGateway.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Dc.h"
#include "platform/gui/Icon.h"
#include "platform/gui/MessageBox.h"

namespace {
CWizardRegsmsuser* SheetOf(CPropertyPage* pPage) {
    return dynamic_cast<CWizardRegsmsuser*>(pPage->GetParent());
}
} // namespace

// ---- Step 1: the mobile number ---------------------------------------------------------------

BOOL CPageRegsmsuserPhone::IsValidNumber(const CString& number) {
    if (number.GetLength() != 11 || number.Left(2) != "13")
        return FALSE;
    for (int i = 0; i < number.GetLength(); ++i)
        if (number[i] < '0' || number[i] > '9')
            return FALSE;
    return TRUE;
}

void CPageRegsmsuserPhone::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, IDC_NUMBER, m_strPhone);
    DDX_Check(pDX, IDC_HAVE_CODE, m_bHaveCode);
}

BOOL CPageRegsmsuserPhone::OnSetActive() {
    if (CWizardRegsmsuser* pSheet = SheetOf(this))
        pSheet->SetWizardButtons(PSWIZB_NEXT);
    return CPropertyPage::OnSetActive();
}

LRESULT CPageRegsmsuserPhone::OnWizardNext() {
    if (!UpdateData(TRUE))
        return -1;
    if (!IsValidNumber(m_strPhone)) {
        AfxMessageBox("无效的手机号码！", MB_ICONERROR);
        return -1;
    }
    // With the code at hand the gateway is not asked to send another.
    if (m_bHaveCode)
        return 0;
    CWizardRegsmsuser* pSheet = SheetOf(this);
    CString body = "\r\nN=n&Phone=" + UrlEncodeString(m_strPhone);
    return pSheet != nullptr && pSheet->SendRequest("sms/user/sendcheckcode.asp", body) ? 0 : -1;
}

// ---- Step 2: the check code ------------------------------------------------------------------

void CPageRegsmsuserCheckcode::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, IDC_CODE, m_strCode);
}

BOOL CPageRegsmsuserCheckcode::OnSetActive() {
    if (CWizardRegsmsuser* pSheet = SheetOf(this))
        pSheet->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return CPropertyPage::OnSetActive();
}

LRESULT CPageRegsmsuserCheckcode::OnWizardNext() {
    if (!UpdateData(TRUE))
        return -1;
    CWizardRegsmsuser* pSheet = SheetOf(this);
    if (pSheet == nullptr)
        return -1;
    CString body = "\r\nN=n&Phone=" + UrlEncodeString(pSheet->m_pagePhone.m_strPhone) +
                   "&Checkcode=" + UrlEncodeString(m_strCode);
    return pSheet->SendRequest("sms/user/checkcode.asp", body) ? 0 : -1;
}

// ---- Step 3: the password --------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CPageRegsmsuserPassword, CPropertyPage)
ON_BN_CLICKED(IDC_SHOW, &CPageRegsmsuserPassword::OnShowPassword)
END_MESSAGE_MAP()

CString CPageRegsmsuserPassword::CheckPassword(const CString& password, const CString& repeat) {
    if (password != repeat)
        return "两次输入的密码不一致！请重新输入。";
    if (password.GetLength() < 6)
        return "密码位数必须在6位以上！请重新输入。";
    for (int i = 0; i < password.GetLength(); ++i) {
        char c = password[i];
        bool ok = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!ok)
            return "密码只能包含字母与数字！请重新输入。";
    }
    return CString();
}

void CPageRegsmsuserPassword::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, IDC_PASSWORD, m_strPassword);
    DDX_Text(pDX, IDC_REPEAT, m_strRepeat);
    DDX_Text(pDX, IDC_EMAIL, m_strEmail);
}

BOOL CPageRegsmsuserPassword::OnSetActive() {
    if (CWizardRegsmsuser* pSheet = SheetOf(this))
        pSheet->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return CPropertyPage::OnSetActive();
}

void CPageRegsmsuserPassword::OnShowPassword() {
    BOOL bShow = IsDlgButtonChecked(IDC_SHOW) != 0;
    for (int id : {(int)IDC_PASSWORD, (int)IDC_REPEAT})
        if (auto* pEdit = dynamic_cast<CEdit*>(GetDlgItem(id))) {
            pEdit->SetPasswordChar(bShow ? 0 : '*');
            pEdit->Invalidate();
        }
}

LRESULT CPageRegsmsuserPassword::OnWizardNext() {
    if (!UpdateData(TRUE))
        return -1;
    CString reason = CheckPassword(m_strPassword, m_strRepeat);
    if (!reason.IsEmpty()) {
        AfxMessageBox(reason, MB_ICONERROR);
        return -1;
    }
    CWizardRegsmsuser* pSheet = SheetOf(this);
    if (pSheet == nullptr)
        return -1;
    CString body = "\r\nN=n&Phone=" + UrlEncodeString(pSheet->m_pagePhone.m_strPhone) +
                   "&Checkcode=" + UrlEncodeString(pSheet->m_pageCheckcode.m_strCode) +
                   "&Password=" + UrlEncodeString(m_strPassword) +
                   "&Email=" + UrlEncodeString(m_strEmail);
    return pSheet->SendRequest("sms/user/submitpsw.asp", body) ? 0 : -1;
}

// ---- Step 4: the answer ----------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CPageRegsmsuserComplete, CPropertyPage)
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

void CPageRegsmsuserComplete::SplitFinalText(const CString& text, CString& answer, CString& hint) {
    int at = text.ReverseFind('#');
    if (at < 0) {
        answer = text;
        hint.Empty();
        return;
    }
    answer = text.Left(at);
    hint = text.Mid(at + 1);
}

BOOL CPageRegsmsuserComplete::OnSetActive() {
    CWizardRegsmsuser* pSheet = SheetOf(this);
    if (pSheet != nullptr) {
        pSheet->SetWizardButtons(PSWIZB_FINISH);
        CString answer, hint;
        SplitFinalText(pSheet->m_status.m_strText, answer, hint);
        SetDlgItemText(IDC_ANSWER, answer);
        SetDlgItemText(IDC_HINT, hint);
        if (CWnd* pHint = GetDlgItem(IDC_HINT))
            pHint->ShowWindow(hint.IsEmpty() ? SW_HIDE : SW_SHOW);
    }
    return CPropertyPage::OnSetActive();
}

HBRUSH CPageRegsmsuserComplete::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    HBRUSH hbr = CPropertyPage::OnCtlColor(pDC, pWnd, nCtlColor);
    if (pWnd != nullptr && pWnd->GetDlgCtrlID() == IDC_HINT) {
        pDC->SetTextColor(RGB(255, 0, 0));
        if (hbr == nullptr)
            hbr = (HBRUSH)GetStockObject(NULL_BRUSH);
    }
    return hbr;
}

// ---- The sheet -------------------------------------------------------------------------------

CWizardRegsmsuser::CWizardRegsmsuser(CWnd* pParent) : CPropertySheet("注册短信向导", pParent) {
    AddPage(&m_pagePhone);
    AddPage(&m_pageCheckcode);
    AddPage(&m_pagePassword);
    AddPage(&m_pageComplete);
    m_psh.dwFlags &= ~PSH_HASHELP;
    SetWizardMode();
}

BOOL CWizardRegsmsuser::SendRequest(LPCTSTR lpszPage, const CString& body) {
    CWaitCursor wait;
    CString reply;
    int transport = HttpPostForm(GetServiceUrl(lpszPage), body, reply);
    m_status.Parse(transport, reply, TRUE);
    if (m_status.IsOk())
        return TRUE;
    // The service's own reason when it answered, else the text of what went wrong on the way.
    CString text = transport == INET_RESULT_OK && !m_status.m_strText.IsEmpty()
                       ? m_status.m_strText
                       : GetSmsResultText(m_status.m_nCode);
    AfxMessageBox(text, MB_ICONERROR);
    return FALSE;
}
