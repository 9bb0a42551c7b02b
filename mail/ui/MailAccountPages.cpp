#include "mail/ui/MailAccountPages.h"

#include "mail/RegEmailAddress.h"
#include "platform/gui/Controls.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/PropertySheet.h"

#include <algorithm>
#include <memory>
#include <vector>

// ---- Base --------------------------------------------------------------------------------------

CPageMailAccountBase::CPageMailAccountBase(UINT nIDTemplate, int nKind)
    : CKovPropertyPage(nIDTemplate), m_nKind(nKind) {}

BOOL CPageMailAccountBase::OnInitDialog() {
    m_bLoading = TRUE;
    const BOOL result = CKovPropertyPage::OnInitDialog();
    UpdateEnabling();
    m_bLoading = FALSE;
    return result;
}

BOOL CPageMailAccountBase::OnCommand(WPARAM wParam, LPARAM lParam) {
    const BOOL bHandled = CKovPropertyPage::OnCommand(wParam, lParam);
    const UINT code = HIWORD(wParam);
    const UINT id = LOWORD(wParam);
    // The buttons that open dialogs mark the page only when their dialog changed something.
    const bool opensDialog =
        m_nKind == KindServer && (id == CPageMailAccountServer::IDC_AUTH_SETTINGS ||
                                  id == CPageMailAccountServer::IDC_ADVANCED);
    const bool iconButton =
        m_nKind == KindPerson && (id == CPageMailAccountPerson::IDC_CHOOSE_ICON ||
                                  id == CPageMailAccountPerson::IDC_CLEAR_ICON);
    if (!m_bLoading && lParam != 0 && !opensDialog && !iconButton &&
        (code == EN_CHANGE || code == BN_CLICKED)) {
        UpdateEnabling();
        MarkModified();
    }
    return bHandled;
}

void CPageMailAccountBase::MarkModified() {
    if (!IsPageModified())
        SetPageModified(TRUE, TRUE);
    // A sheet enables its 应用 button for a page that says it changed.
    SetModified(TRUE);
}

CRuntimeClass* const* CPageMailAccountBase::GetPageClasses() {
    static CRuntimeClass* const classes[] = {RUNTIME_CLASS(CPageMailAccountPerson),
                                             RUNTIME_CLASS(CPageMailAccountServer), nullptr};
    return classes;
}

// ---- Identity ----------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CPageMailAccountPerson, CKovPropertyPage)

CPageMailAccountPerson::CPageMailAccountPerson() : CPageMailAccountBase(IDD, KindPerson) {}

BOOL CPageMailAccountPerson::OnInitDialog() {
    if (m_pAccount != nullptr) {
        m_person = m_pAccount->m_person;
        m_bUseIcon = m_person.m_dwValue != 0;
    }
    return CPageMailAccountBase::OnInitDialog();
}

void CPageMailAccountPerson::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, IDC_NAME, m_person.m_strText[CEmailAccount::PERSON_NAME]);
    DDX_Text(pDX, IDC_ORGANIZATION, m_person.m_strText[CEmailAccount::PERSON_ORGANIZATION]);
    DDX_Text(pDX, IDC_EMAIL, m_person.m_strText[CEmailAccount::PERSON_EMAIL]);
    DDX_Text(pDX, IDC_REPLY_TO, m_person.m_strText[CEmailAccount::PERSON_REPLY_TO]);
    DDX_Check(pDX, IDC_USE_ICON, m_bUseIcon);
}

BOOL CPageMailAccountPerson::OnKillActive() {
    if (!CPageMailAccountBase::OnKillActive())
        return FALSE;
    const struct {
        int id;
        const char* what;
    } kAddresses[] = {{IDC_EMAIL, "电子邮件地址"}, {IDC_REPLY_TO, "回复地址"}};
    for (const auto& field : kAddresses) {
        CString address;
        GetDlgItemText(field.id, address);
        address.Trim();
        if (address.IsEmpty() || IsMailboxAddress(address))
            continue;
        CString text;
        text.Format("%s“%s”无效。请填写完整的地址，例如 zhang@example.com。", field.what,
                    (LPCTSTR)address);
        AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
        if (CWnd* pEdit = GetDlgItem(field.id))
            pEdit->SetFocus();
        return FALSE;
    }
    return TRUE;
}

void CPageMailAccountPerson::OnOK() {
    if (IsPageModified() && m_pAccount != nullptr && GetSafeHwnd() != nullptr && UpdateData(TRUE)) {
        m_person.m_dwValue = m_bUseIcon ? 1 : 0;
        m_pAccount->m_person = m_person;
        m_bApplied = TRUE;
        SetPageModified(FALSE, FALSE);
    }
    CPageMailAccountBase::OnOK();
}

// ---- Servers -----------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CPageMailAccountServer, CKovPropertyPage)

BEGIN_MESSAGE_MAP(CPageMailAccountServer, CKovPropertyPage)
ON_BN_CLICKED(IDC_AUTH_SETTINGS, &CPageMailAccountServer::OnAuthSettings)
ON_BN_CLICKED(IDC_ADVANCED, &CPageMailAccountServer::OnAdvanced)
END_MESSAGE_MAP()

CPageMailAccountServer::CPageMailAccountServer() : CPageMailAccountBase(IDD, KindServer) {}

BOOL CPageMailAccountServer::OnInitDialog() {
    if (m_pAccount != nullptr) {
        m_smtp = m_pAccount->m_smtpServer;
        m_pop3 = m_pAccount->m_pop3Server;
        m_bNeedsAuth = m_smtp.m_dwAuthMode != 0;
    }
    return CPageMailAccountBase::OnInitDialog();
}

void CPageMailAccountServer::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, IDC_SMTP_HOST, m_smtp.m_strHost);
    DDX_Check(pDX, IDC_NEEDS_AUTH, m_bNeedsAuth);
    DDX_Text(pDX, IDC_POP3_HOST, m_pop3.m_strHost);
    DDX_Text(pDX, IDC_POP3_USER, m_pop3.m_strUser);
    DDX_Text(pDX, IDC_POP3_PASSWORD, m_pop3.m_strPassword);
}

void CPageMailAccountServer::UpdateEnabling() {
    if (CWnd* pCheck = GetDlgItem(IDC_NEEDS_AUTH))
        if (CWnd* pSettings = GetDlgItem(IDC_AUTH_SETTINGS))
            pSettings->EnableWindow(static_cast<CButton*>(pCheck)->GetCheck() == BST_CHECKED);
}

void CPageMailAccountServer::OnAuthSettings() {
    CDlgSmtpAuthConfig dlg(this);
    dlg.m_dwOptions = m_smtp.m_dwOptions;
    dlg.m_strUser = m_smtp.m_strUser;
    dlg.m_strPassword = m_smtp.m_strPassword;
    if (dlg.DoModal() != IDOK)
        return;
    m_smtp.m_dwOptions = dlg.m_dwOptions;
    m_smtp.m_strUser = dlg.m_strUser;
    m_smtp.m_strPassword = dlg.m_strPassword;
    MarkModified();
}

void CPageMailAccountServer::OnAdvanced() {
    CDlgMailServerAdvConfig dlg(this);
    dlg.m_nSmtpPort = m_smtp.m_dwPort;
    dlg.m_bSmtpSsl = m_smtp.m_dwSsl != 0;
    dlg.m_nPop3Port = m_pop3.m_dwPort;
    dlg.m_bPop3Ssl = m_pop3.m_dwSsl != 0;
    if (dlg.DoModal() != IDOK)
        return;
    m_smtp.m_dwPort = dlg.m_nSmtpPort;
    m_smtp.m_dwSsl = dlg.m_bSmtpSsl ? 1 : 0;
    m_pop3.m_dwPort = dlg.m_nPop3Port;
    m_pop3.m_dwSsl = dlg.m_bPop3Ssl ? 1 : 0;
    MarkModified();
}

void CPageMailAccountServer::OnOK() {
    if (IsPageModified() && m_pAccount != nullptr && GetSafeHwnd() != nullptr && UpdateData(TRUE)) {
        // The box offers one method; checking it means LOGIN whatever was set before.
        m_smtp.m_dwAuthMode = m_bNeedsAuth ? 2 : 0;
        m_pAccount->m_smtpServer = m_smtp;
        m_pAccount->m_pop3Server = m_pop3;
        m_bApplied = TRUE;
        SetPageModified(FALSE, FALSE);
    }
    CPageMailAccountBase::OnOK();
}

// ---- SMTP log-on -------------------------------------------------------------------------------

CDlgSmtpAuthConfig::CDlgSmtpAuthConfig(CWnd* pParent) : CDialog(IDD, pParent) {}

BOOL CDlgSmtpAuthConfig::OnInitDialog() {
    m_nChoice = (m_dwOptions & CEmailAccount::OPTION_SMTP_USES_POP3_LOGIN) ? 0 : 1;
    m_bLoading = TRUE;
    const BOOL result = CDialog::OnInitDialog();
    UpdateEnabling();
    if (CWnd* pOk = GetDlgItem(IDOK))
        pOk->EnableWindow(FALSE);
    m_bLoading = FALSE;
    return result;
}

void CDlgSmtpAuthConfig::DoDataExchange(CDataExchange* pDX) {
    DDX_Radio(pDX, IDC_SAME_AS_POP3, m_nChoice);
    DDX_Text(pDX, IDC_USER, m_strUser);
    DDX_Text(pDX, IDC_PASSWORD, m_strPassword);
}

void CDlgSmtpAuthConfig::UpdateEnabling() {
    auto* pOwn = static_cast<CButton*>(GetDlgItem(IDC_OWN_LOGIN));
    const BOOL own = pOwn != nullptr && pOwn->GetCheck() == BST_CHECKED;
    for (int id : {IDC_USER, IDC_PASSWORD})
        if (CWnd* p = GetDlgItem(id))
            p->EnableWindow(own);
}

BOOL CDlgSmtpAuthConfig::OnCommand(WPARAM wParam, LPARAM lParam) {
    const BOOL bHandled = CDialog::OnCommand(wParam, lParam);
    const UINT code = HIWORD(wParam);
    const UINT id = LOWORD(wParam);
    if (!m_bLoading && lParam != 0 && id != IDOK && id != IDCANCEL &&
        (code == EN_CHANGE || code == BN_CLICKED)) {
        UpdateEnabling();
        if (CWnd* pOk = GetDlgItem(IDOK))
            pOk->EnableWindow(TRUE);
    }
    return bHandled;
}

void CDlgSmtpAuthConfig::OnOK() {
    if (!UpdateData(TRUE))
        return;
    if (m_nChoice == 0)
        m_dwOptions |= CEmailAccount::OPTION_SMTP_USES_POP3_LOGIN;
    else
        m_dwOptions &= ~static_cast<DWORD>(CEmailAccount::OPTION_SMTP_USES_POP3_LOGIN);
    EndDialog(IDOK);
}

// ---- Ports -------------------------------------------------------------------------------------

CDlgMailServerAdvConfig::CDlgMailServerAdvConfig(CWnd* pParent) : CDialog(IDD, pParent) {}

BOOL CDlgMailServerAdvConfig::OnInitDialog() {
    m_bLoading = TRUE;
    const BOOL result = CDialog::OnInitDialog();
    if (CWnd* pOk = GetDlgItem(IDOK))
        pOk->EnableWindow(FALSE);
    m_bLoading = FALSE;
    return result;
}

void CDlgMailServerAdvConfig::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, IDC_SMTP_PORT, m_nSmtpPort);
    // A port outside 1..65535 names no server: the dialog says so and keeps the focus there.
    DDV_MinMaxInt(pDX, m_nSmtpPort > 65535 ? 65536 : static_cast<int>(m_nSmtpPort), 1, 65535);
    DDX_Check(pDX, IDC_SMTP_SSL, m_bSmtpSsl);
    DDX_Text(pDX, IDC_POP3_PORT, m_nPop3Port);
    DDV_MinMaxInt(pDX, m_nPop3Port > 65535 ? 65536 : static_cast<int>(m_nPop3Port), 1, 65535);
    DDX_Check(pDX, IDC_POP3_SSL, m_bPop3Ssl);
}

BOOL CDlgMailServerAdvConfig::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT code = HIWORD(wParam);
    const UINT id = LOWORD(wParam);
    if (id == IDC_DEFAULTS && code == BN_CLICKED) {
        OnDefaults();
        return TRUE;
    }
    const BOOL bHandled = CDialog::OnCommand(wParam, lParam);
    if (!m_bLoading && lParam != 0 && id != IDOK && id != IDCANCEL &&
        (code == EN_CHANGE || code == BN_CLICKED))
        if (CWnd* pOk = GetDlgItem(IDOK))
            pOk->EnableWindow(TRUE);
    return bHandled;
}

void CDlgMailServerAdvConfig::OnDefaults() {
    m_nSmtpPort = 25;
    m_nPop3Port = 110;
    m_bSmtpSsl = FALSE;
    m_bPop3Ssl = FALSE;
    m_bLoading = TRUE;
    UpdateData(FALSE);
    m_bLoading = FALSE;
    if (CWnd* pOk = GetDlgItem(IDOK))
        pOk->EnableWindow(TRUE);
}

// ---- The sheet ---------------------------------------------------------------------------------

BOOL EditMailAccount(CWnd* pParent, CEmailAccount* pAccount, int nStartPage) {
    if (pAccount == nullptr)
        return FALSE;
    CString caption = pAccount->GetName();
    caption += caption.IsEmpty() ? "邮件帐户属性" : " 属性";
    CPropertySheet sheet(caption, pParent, static_cast<UINT>(nStartPage));
    sheet.m_psh.dwFlags &= ~PSH_HASHELP;
    std::vector<std::unique_ptr<CPageMailAccountBase>> pages;
    for (CRuntimeClass* const* p = CPageMailAccountBase::GetPageClasses(); *p != nullptr; ++p) {
        pages.emplace_back(static_cast<CPageMailAccountBase*>((*p)->CreateObject()));
        pages.back()->SetAccount(pAccount);
        sheet.AddPage(pages.back().get());
    }
    const bool ok = sheet.DoModal() == IDOK;
    // 应用 followed by 取消 has changed the account too.
    return ok || std::any_of(pages.begin(), pages.end(),
                             [](const auto& page) { return page->HasApplied(); });
}
