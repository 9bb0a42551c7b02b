#include "shell/AboutDlg.h"

#include "links/ServiceAddress.h"

enum {
    IDS_CREDITS = 111,
    IDC_CREDITS = 1232,
    IDC_LINK_HOME = 1233,
    IDC_LINK_SUPPORT = 1234,
    IDC_LINK_SMS = 1240,
};

const char* const CAboutDlg::kSupportAddress = "mailto:support@quillmar.example";

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
ON_BN_CLICKED(IDC_ECARD_LOGIN, &CAboutDlg::OnECardLogin)
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_credits.SubclassDlgItem(IDC_CREDITS, this);
    CString credits;
    credits.LoadString(IDS_CREDITS);
    m_credits.SetCredits(credits, '|');
    m_bScrolling = m_credits.StartScrolling();

    m_homeLink.SubclassDlgItem(IDC_LINK_HOME, this);
    m_homeLink.SetLinkUrl(GetServiceBaseAddress());
    m_smsLink.SubclassDlgItem(IDC_LINK_SMS, this);
    m_smsLink.SetLinkUrl(GetServiceUrl("sms/"));
    m_supportLink.SubclassDlgItem(IDC_LINK_SUPPORT, this);
    m_supportLink.SetLinkUrl(kSupportAddress);
    return TRUE;
}

void CAboutDlg::StopScrolling() {
    if (!m_bScrolling)
        return;
    m_credits.StopScrolling();
    m_bScrolling = FALSE;
}

void CAboutDlg::OnOK() {
    StopScrolling();
    CDialog::OnOK();
}

void CAboutDlg::OnCancel() {
    StopScrolling();
    CDialog::OnCancel();
}

void CAboutDlg::OnECardLogin() {
    StopScrolling();
    EndDialog(IDC_ECARD_LOGIN);
}
