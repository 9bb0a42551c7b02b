// The options page of the proxy: how the program's HTTP requests reach the service (directly,
// through the desktop's proxy settings, or through a server of the user's choice with a user and
// password). OK saves the proxy section and the requests follow it at once.
#pragma once

#include "links/ProxyOptions.h"
#include "ui/HostedOptionPage.h"

class CPageOptionProxy : public CHostedOptionPage {
    DECLARE_DYNCREATE(CPageOptionProxy)
public:
    enum { IDD = 392 };
    enum {
        IDC_SCHEME_DIRECT = 1001, // the three scheme radios, in order
        IDC_SCHEME_SYSTEM = 1002,
        IDC_SCHEME_CUSTOM = 1003,
        IDC_PROXY_TYPE = 1004,
        IDC_SERVER = 1005,
        IDC_PORT = 1006,
        IDC_USER = 1007,
        IDC_PASSWORD = 1008,
        IDC_REMEMBER = 1009,
    };

    // Edits the program's proxy section (GetProgramProxyOptions) unless given another.
    explicit CPageOptionProxy(CProxyOptions* pOptions = nullptr);

    int m_nScheme = 0;
    int m_nProxyType = 0;
    CString m_strServer;
    CString m_strPort;
    CString m_strUser;
    CString m_strPassword;
    int m_bRememberPassword = 0;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    DECLARE_MESSAGE_MAP()

private:
    CProxyOptions* m_pOptions;
};
