#include "sms/ui/DlgSmsAccount.h"

#include "ecard/WebSmsAccount.h"
#include "ecard/ECRequest.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Dc.h"
#include "platform/gui/Icon.h"

#include <cerrno>
#include <cstdlib>

BEGIN_MESSAGE_MAP(CDlgSmsAccountBase, CDialog)
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

BOOL CDlgSmsAccountBase::ParseUserNumber(const CString& text, UINT& nUid) {
    CString t = text;
    t.Trim();
    if (t.IsEmpty() || t.GetLength() > 10)
        return FALSE;
    for (int i = 0; i < t.GetLength(); ++i)
        if (t[i] < '0' || t[i] > '9')
            return FALSE;
    unsigned long long v = std::strtoull(t.GetString(), nullptr, 10);
    if (v > 0xFFFFFFFFull)
        return FALSE;
    nUid = (UINT)v;
    return TRUE;
}

BOOL CDlgSmsAccountBase::OnInitDialog() {
    return CDialog::OnInitDialog();
}

void CDlgSmsAccountBase::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, IDC_USER, m_strUser);
    DDX_Text(pDX, IDC_PASSWORD, m_strPassword);
}

void CDlgSmsAccountBase::OnOK() {
    DoOK();
}

int CDlgSmsAccountBase::RunRequest(const Request& request) {
    if (!UpdateData(TRUE))
        return -1;
    UINT nUid = 0;
    m_strResult.Empty();
    if (!ParseUserNumber(m_strUser, nUid)) {
        // Refused before any request: a number past 32 bits would reach another user.
        m_nResult = -1;
        m_strResult = "用户名必须是不超过4294967295的数字！";
    } else {
        CWaitCursor wait;
        m_nResult = request(nUid, m_strPassword, m_strResult);
        if (m_nResult != 0 && m_strResult.IsEmpty())
            m_strResult = GetECErrorText(m_nResult);
    }
    ShowResult();
    return m_nResult;
}

void CDlgSmsAccountBase::ShowResult() {
    SetDlgItemText(IDC_RESULT, m_strResult);
    if (CWnd* pResult = GetDlgItem(IDC_RESULT))
        pResult->Invalidate();
}

HBRUSH CDlgSmsAccountBase::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    HBRUSH hbr = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    if (pWnd != nullptr && pWnd->GetDlgCtrlID() == IDC_RESULT && m_nResult != 0) {
        pDC->SetTextColor(RGB(255, 0, 0));
        // The box keeps its own background; only the text turns red.
        if (hbr == nullptr)
            hbr = GetSysColorBrush(COLOR_WINDOW);
    }
    return hbr;
}

// ---- Recharge --------------------------------------------------------------------------------

void CDlgSmsAccountChargeSms::DoDataExchange(CDataExchange* pDX) {
    CDlgSmsAccountBase::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_FIELD1, m_strCardNo);
    DDX_Text(pDX, IDC_FIELD2, m_strCardPassword);
}

int CDlgSmsAccountChargeSms::DoOK() {
    return RunRequest([this](UINT nUid, const CString& password, CString& out) {
        return ChargeSms(nUid, password, m_strCardNo, m_strCardPassword, out);
    });
}

// ---- Suffix ----------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDlgSmsAccountEditSuffixCode, CDlgSmsAccountBase)
ON_BN_CLICKED(IDC_CHOICE_CARD, &CDlgSmsAccountEditSuffixCode::OnChoice)
ON_BN_CLICKED(IDC_CHOICE_LAST, &CDlgSmsAccountEditSuffixCode::OnChoice)
ON_BN_CLICKED(IDC_CHOICE_NEW, &CDlgSmsAccountEditSuffixCode::OnChoice)
ON_BN_CLICKED(IDC_BUTTON1, &CDlgSmsAccountEditSuffixCode::OnShowSuffix)
ON_BN_CLICKED(IDC_BUTTON2, &CDlgSmsAccountEditSuffixCode::OnGetCheckCode)
END_MESSAGE_MAP()

BOOL CDlgSmsAccountEditSuffixCode::OnInitDialog() {
    BOOL b = CDlgSmsAccountBase::OnInitDialog();
    UpdateEnabling();
    return b;
}

void CDlgSmsAccountEditSuffixCode::DoDataExchange(CDataExchange* pDX) {
    CDlgSmsAccountBase::DoDataExchange(pDX);
    DDX_Radio(pDX, IDC_CHOICE_CARD, m_nChoice);
    DDX_Text(pDX, IDC_FIELD1, m_strMobile);
    DDX_Text(pDX, IDC_FIELD2, m_strCheckCode);
}

void CDlgSmsAccountEditSuffixCode::UpdateEnabling() {
    BOOL bNew = IsDlgButtonChecked(IDC_CHOICE_NEW) != 0;
    for (int id : {(int)IDC_FIELD1, (int)IDC_FIELD2, (int)IDC_BUTTON2})
        if (CWnd* p = GetDlgItem(id))
            p->EnableWindow(bNew);
}

void CDlgSmsAccountEditSuffixCode::OnChoice() {
    UpdateEnabling();
}

int CDlgSmsAccountEditSuffixCode::DoOK() {
    return RunRequest([this](UINT nUid, const CString& password, CString& out) {
        return EditSmsSuffixCode(nUid, password, m_nChoice, m_strMobile, m_strCheckCode, out);
    });
}

void CDlgSmsAccountEditSuffixCode::OnShowSuffix() {
    RunRequest([](UINT nUid, const CString& password, CString& out) {
        return GetSmsSuffixCode(nUid, password, out);
    });
}

void CDlgSmsAccountEditSuffixCode::OnGetCheckCode() {
    RunRequest([](UINT nUid, const CString& password, CString& out) {
        return GenSmsCheckCode(nUid, password, out);
    });
}

// ---- Balance and service number --------------------------------------------------------------

int CDlgSmsAccountGetSmsBalance::DoOK() {
    return RunRequest([](UINT nUid, const CString& password, CString& out) {
        return GetSmsBalance(nUid, password, out);
    });
}

int CDlgSmsAccountGetSmsCode::DoOK() {
    // The own service number is the suffix request's answer.
    return RunRequest([](UINT nUid, const CString& password, CString& out) {
        return GetSmsSuffixCode(nUid, password, out);
    });
}

// ---- Signature -------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDlgSmsAccountSignature, CDlgSmsAccountBase)
ON_BN_CLICKED(IDC_BUTTON1, &CDlgSmsAccountSignature::OnShowSignature)
ON_BN_CLICKED(IDC_BUTTON2, &CDlgSmsAccountSignature::OnNotice)
END_MESSAGE_MAP()

void CDlgSmsAccountSignature::DoDataExchange(CDataExchange* pDX) {
    CDlgSmsAccountBase::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_FIELD1, m_strSignature);
}

int CDlgSmsAccountSignature::DoOK() {
    return RunRequest([this](UINT nUid, const CString& password, CString& out) {
        return SetSmsSignature(nUid, password, m_strSignature, out);
    });
}

void CDlgSmsAccountSignature::OnShowSignature() {
    RunRequest([](UINT nUid, const CString& password, CString& out) {
        return GetSmsSignature(nUid, password, out);
    });
}

void CDlgSmsAccountSignature::OnNotice() {
    RunRequest([](UINT nUid, const CString& password, CString& out) {
        return GetSmsSignNotif(nUid, password, out);
    });
}
