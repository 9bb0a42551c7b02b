#include "links/ui/PageOptionProxy.h"

#include "platform/gui/Controls.h"

IMPLEMENT_DYNCREATE(CPageOptionProxy, CHostedOptionPage)

BEGIN_MESSAGE_MAP(CPageOptionProxy, CHostedOptionPage)
ON_CONTROL_RANGE(BN_CLICKED, CPageOptionProxy::IDC_SCHEME_DIRECT,
                 CPageOptionProxy::IDC_SCHEME_CUSTOM, &CPageOptionProxy::OnControlRangeChanged)
ON_BN_CLICKED(CPageOptionProxy::IDC_REMEMBER, &CPageOptionProxy::OnControlChanged)
ON_CBN_SELCHANGE(CPageOptionProxy::IDC_PROXY_TYPE, &CPageOptionProxy::OnControlChanged)
ON_EN_CHANGE(CPageOptionProxy::IDC_SERVER, &CPageOptionProxy::OnControlChanged)
ON_EN_CHANGE(CPageOptionProxy::IDC_PORT, &CPageOptionProxy::OnControlChanged)
ON_EN_CHANGE(CPageOptionProxy::IDC_USER, &CPageOptionProxy::OnControlChanged)
ON_EN_CHANGE(CPageOptionProxy::IDC_PASSWORD, &CPageOptionProxy::OnControlChanged)
END_MESSAGE_MAP()

CPageOptionProxy::CPageOptionProxy(CProxyOptions* pOptions)
    : CHostedOptionPage(IDD), m_pOptions(pOptions ? pOptions : GetProgramProxyOptions()) {}

BOOL CPageOptionProxy::OnInitDialog() {
    if (CComboBox* type = static_cast<CComboBox*>(GetDlgItem(IDC_PROXY_TYPE))) {
        type->ResetContent();
        for (const char* name : {"HTTP代理", "SOCKS 4", "SOCKS 5"})
            type->AddString(name);
    }
    if (m_pOptions) {
        m_nScheme = m_pOptions->m_nProxyScheme;
        m_nProxyType = m_pOptions->m_nProxyType;
        m_strPassword = m_pOptions->m_strProxyPsw;
        m_strServer = m_pOptions->m_strProxyAddr;
        m_strPort = m_pOptions->m_strProxyPort;
        m_strUser = m_pOptions->m_strProxyUser;
        m_bRememberPassword = m_pOptions->m_bRememberPsw ? 1 : 0;
    }
    // A stored value the controls cannot show is shown as the first choice.
    if (m_nScheme < 0 || m_nScheme > 2)
        m_nScheme = 0;
    if (m_nProxyType < 0 || m_nProxyType > 2)
        m_nProxyType = 0;
    return CHostedOptionPage::OnInitDialog();
}

void CPageOptionProxy::DoDataExchange(CDataExchange* pDX) {
    CHostedOptionPage::DoDataExchange(pDX);
    DDX_Radio(pDX, IDC_SCHEME_DIRECT, m_nScheme);
    DDX_CBIndex(pDX, IDC_PROXY_TYPE, m_nProxyType);
    DDX_Text(pDX, IDC_SERVER, m_strServer);
    DDX_Text(pDX, IDC_PORT, m_strPort);
    DDX_Text(pDX, IDC_USER, m_strUser);
    DDX_Text(pDX, IDC_PASSWORD, m_strPassword);
    DDX_Check(pDX, IDC_REMEMBER, m_bRememberPassword);
}

void CPageOptionProxy::OnOK() {
    if (!IsPageModified() || !m_pOptions)
        return;
    if (!UpdateData(TRUE))
        return;
    m_pOptions->m_nProxyScheme = m_nScheme;
    m_pOptions->m_nProxyType = m_nProxyType;
    m_pOptions->m_strProxyAddr = m_strServer;
    m_pOptions->m_strProxyPort = m_strPort;
    m_pOptions->m_strProxyUser = m_strUser;
    // A password not to be remembered stays in memory for this run only (Save leaves it out).
    m_pOptions->m_strProxyPsw = m_strPassword;
    m_pOptions->m_bRememberPsw = m_bRememberPassword != 0;
    m_pOptions->Save();
    m_pOptions->ApplyToHttpRequests();
}
