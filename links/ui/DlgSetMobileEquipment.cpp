#include "links/ui/DlgSetMobileEquipment.h"

#include <cstdlib>

#include "links/MobileAgent.h"
#include "links/ui/DialogPump.h"
#include "platform/base/Profile.h"
#include "platform/gui/Dc.h"
#include "platform/gui/Icon.h"
#include "platform/gui/MessageBox.h"

namespace {

const UINT kBaudRates[] = {9600, 14400, 19200, 28800, 38400, 57600, 115200};
constexpr int kPortCount = 9;
constexpr int kIconSize = 48;
constexpr int kMaxCentreDigits = 16;
const COLORREF kNoteColour = RGB(0, 0, 255);
constexpr const char* kCloseAfterConnectKey = "CloseAfterConnect";

// Serves the dialog while a command waits for the phone, then gives the agent back its own.
class CScopedWaitPump {
public:
    CScopedWaitPump(CMobileAgent& agent, CWnd* pWnd) : m_agent(agent), m_saved(agent.GetWaitPump()) {
        agent.SetWaitPump([pWnd] { PumpWindowMessages(pWnd); });
    }
    ~CScopedWaitPump() { m_agent.SetWaitPump(m_saved); }
    CScopedWaitPump(const CScopedWaitPump&) = delete;
    CScopedWaitPump& operator=(const CScopedWaitPump&) = delete;

private:
    CMobileAgent& m_agent;
    std::function<void()> m_saved;
};

} // namespace

namespace {

PHONE_CONNECT_OUTCOME ConnectFailed(CMobileAgent& agent) {
    PHONE_CONNECT_OUTCOME outcome;
    outcome.title = "开启失败";
    outcome.text = "没有成功开启移动设备。\n请检查移动设备是否已经与电脑正确连接。";
    outcome.kind = PHONE_PROMPT_ERROR;
    outcome.open = agent.IsOpen();
    return outcome;
}

} // namespace

PHONE_CONNECT_OUTCOME ConnectPhone(CMobileAgent& agent, UINT nPort, UINT nBaud,
                                   BOOL bGetServiceCentre) {
    PHONE_CONNECT_OUTCOME outcome;
    if (!agent.Probe(nPort, nBaud))
        return ConnectFailed(agent);
    agent.SetComPort(nPort);
    agent.SetBaudRate(nBaud);
    CString errors;
    if (agent.IsOpen()) {
        if (!agent.Setup())
            errors += "\n- 配置移动设备时遇到错误，设备可能无法完全正常工作。";
        if (bGetServiceCentre) {
            CString centre;
            if (agent.QueryServiceCentre(centre))
                outcome.serviceCentre = centre;
            else
                errors += "\n- 自动获取短信中心号码失败。";
        }
    }
    // The phone went away while it was being set up.
    if (!agent.IsOpen())
        return ConnectFailed(agent);
    outcome.title = "开启成功";
    outcome.text = "移动设备已成功开启。";
    if (!errors.IsEmpty()) {
        CString more;
        more.Format("但遇到以下错误：%s", errors.GetString());
        outcome.text += more;
    }
    outcome.kind = errors.IsEmpty() ? PHONE_PROMPT_INFO : PHONE_PROMPT_WARNING;
    outcome.open = agent.IsOpen();
    return outcome;
}

BOOL IsValidServiceCentre(const CString& number, BOOL bAutoGet) {
    CString trimmed = number;
    trimmed.Trim();
    if (trimmed.IsEmpty())
        return bAutoGet;
    CString digits = trimmed.Left(1) == "+" ? trimmed.Mid(1) : trimmed;
    if (digits.IsEmpty())
        return FALSE;
    if (digits.GetLength() > kMaxCentreDigits)
        return FALSE;
    for (int i = 0; i < digits.GetLength(); ++i)
        if (digits[i] < '0' || digits[i] > '9')
            return FALSE;
    return TRUE;
}

BEGIN_MESSAGE_MAP(CDlgSetMobileEquipment, CDialog)
ON_BN_CLICKED(IDC_CONNECT, &CDlgSetMobileEquipment::OnConnect)
ON_BN_CLICKED(IDC_DISCONNECT, &CDlgSetMobileEquipment::OnDisconnect)
ON_WM_PAINT()
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CDlgSetMobileEquipment::CDlgSetMobileEquipment(CMobileAgent* pAgent, CWnd* pParent)
    : CDialog(IDD, pParent), m_pAgent(pAgent) {}

CDlgSetMobileEquipment::~CDlgSetMobileEquipment() {
    if (m_hIcon)
        DestroyIcon(m_hIcon);
}

BOOL CDlgSetMobileEquipment::GetCloseAfterConnect() {
    return CProfileStore().GetProfileInt(COMM_PORT_PROFILE_SECTION, kCloseAfterConnectKey, 0) != 0;
}

void CDlgSetMobileEquipment::SetCloseAfterConnect(BOOL b) {
    CProfileStore().WriteProfileInt(COMM_PORT_PROFILE_SECTION, kCloseAfterConnectKey, b ? 1 : 0);
}

BOOL CDlgSetMobileEquipment::OnInitDialog() {
    CDialog::OnInitDialog();
    m_hIcon = (HICON)LoadImage(nullptr, MAKEINTRESOURCE(IDI_PHONE_SETUP), IMAGE_ICON, kIconSize,
                               kIconSize, 0);
    m_portCombo.SubclassDlgItem(IDC_PORT, this);
    m_baudCombo.SubclassDlgItem(IDC_BAUD, this);
    if (m_pAgent) {
        m_nPortIndex = m_pAgent->GetComPort();
        m_nBaud = m_pAgent->GetBaudRate();
        m_strServiceCentre = m_pAgent->GetServiceCentre();
        m_bAutoConnect = m_pAgent->GetAutoConnect();
        m_bAutoGetServiceCentre = m_pAgent->GetAutoGetServiceCentre();
    }
    for (int i = 1; i <= kPortCount; ++i) {
        CString text;
        text.Format("COM%d", i);
        m_portCombo.AddString(text);
    }
    m_portCombo.SetCurSel(m_nPortIndex >= 1 && m_nPortIndex <= kPortCount ? (int)m_nPortIndex - 1
                                                                           : 0);
    int baudSel = 0;
    for (int i = 0; i < (int)(sizeof kBaudRates / sizeof *kBaudRates); ++i) {
        CString text;
        text.Format("%u", kBaudRates[i]);
        m_baudCombo.AddString(text);
        if (kBaudRates[i] == m_nBaud)
            baudSel = i;
    }
    m_baudCombo.SetCurSel(baudSel);
    SetDlgItemText(IDC_SERVICE_CENTRE, m_strServiceCentre);
    CheckDlgButton(IDC_AUTO_CONNECT, m_bAutoConnect ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_AUTO_GET_CENTRE, m_bAutoGetServiceCentre ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_CLOSE_AFTER_CONNECT, GetCloseAfterConnect() ? BST_CHECKED : BST_UNCHECKED);
    UpdateButtons();
    return TRUE;
}

BOOL CDlgSetMobileEquipment::ReadAndCheck() {
    int port = m_portCombo.GetCurSel();
    m_nPortIndex = port >= 0 ? (UINT)port + 1 : 1;
    CString baud;
    int sel = m_baudCombo.GetCurSel();
    if (sel >= 0)
        m_baudCombo.GetLBText(sel, baud);
    m_nBaud = baud.IsEmpty() ? 9600u : (UINT)strtoul(baud, nullptr, 10);
    GetDlgItemText(IDC_SERVICE_CENTRE, m_strServiceCentre);
    m_strServiceCentre.Trim();
    m_bAutoConnect = IsDlgButtonChecked(IDC_AUTO_CONNECT) == BST_CHECKED;
    m_bAutoGetServiceCentre = IsDlgButtonChecked(IDC_AUTO_GET_CENTRE) == BST_CHECKED;
    SetCloseAfterConnect(IsDlgButtonChecked(IDC_CLOSE_AFTER_CONNECT) == BST_CHECKED);
    if (!IsValidServiceCentre(m_strServiceCentre, m_bAutoGetServiceCentre)) {
        AfxMessageBox("短信中心号码不正确！", MB_OK | MB_ICONEXCLAMATION);
        if (CWnd* edit = GetDlgItem(IDC_SERVICE_CENTRE))
            edit->SetFocus();
        return FALSE;
    }
    return TRUE;
}

void CDlgSetMobileEquipment::UpdateButtons() {
    const BOOL open = m_pAgent && m_pAgent->IsOpen();
    if (CWnd* connect = GetDlgItem(IDC_CONNECT))
        connect->EnableWindow(m_pAgent && !open);
    if (CWnd* disconnect = GetDlgItem(IDC_DISCONNECT))
        disconnect->EnableWindow(open);
}

void CDlgSetMobileEquipment::OnConnect() {
    if (!m_pAgent || m_pAgent->IsOpen() || !ReadAndCheck())
        return;
    PHONE_CONNECT_OUTCOME outcome;
    {
        CWaitCursor wait;
        CScopedWaitPump pump(*m_pAgent, this);
        outcome = ConnectPhone(*m_pAgent, m_nPortIndex, m_nBaud, m_bAutoGetServiceCentre);
    }
    if (outcome.open) {
        if (!outcome.serviceCentre.IsEmpty()) {
            m_strServiceCentre = outcome.serviceCentre;
            SetDlgItemText(IDC_SERVICE_CENTRE, m_strServiceCentre);
        }
        m_pAgent->SetServiceCentre(m_strServiceCentre);
    }
    UpdateButtons();
    ShowOutcome(outcome);
    if (outcome.open && GetCloseAfterConnect())
        OnOK();
}

void CDlgSetMobileEquipment::OnDisconnect() {
    if (!m_pAgent)
        return;
    m_pAgent->Close();
    UpdateButtons();
}

void CDlgSetMobileEquipment::ShowOutcome(const PHONE_CONNECT_OUTCOME& outcome) {
    m_lastOutcome = outcome;
    if (m_prompt) {
        m_prompt(outcome.title, outcome.text, outcome.kind, PHONE_PROMPT_MS);
        return;
    }
    UINT icon = outcome.kind == PHONE_PROMPT_ERROR     ? MB_ICONSTOP
                : outcome.kind == PHONE_PROMPT_WARNING ? MB_ICONEXCLAMATION
                                                       : MB_ICONINFORMATION;
    AfxMessageBox(outcome.text, MB_OK | icon);
}

void CDlgSetMobileEquipment::OnOK() {
    if (m_pAgent && !m_pAgent->IsOpen()) {
        if (!ReadAndCheck())
            return;
        m_pAgent->SetComPort(m_nPortIndex);
        m_pAgent->SetBaudRate(m_nBaud);
        m_pAgent->SetServiceCentre(m_strServiceCentre);
    } else {
        m_bAutoConnect = IsDlgButtonChecked(IDC_AUTO_CONNECT) == BST_CHECKED;
        m_bAutoGetServiceCentre = IsDlgButtonChecked(IDC_AUTO_GET_CENTRE) == BST_CHECKED;
        SetCloseAfterConnect(IsDlgButtonChecked(IDC_CLOSE_AFTER_CONNECT) == BST_CHECKED);
    }
    if (m_pAgent) {
        m_pAgent->SetAutoGetServiceCentre(m_bAutoGetServiceCentre);
        m_pAgent->SetAutoConnect(m_bAutoConnect);
    }
    CDialog::OnOK();
}

void CDlgSetMobileEquipment::OnPaint() {
    CPaintDC dc(this);
    CWnd* place = GetDlgItem(IDC_ICON_PLACE);
    if (!place || !m_hIcon)
        return;
    CRect rc;
    place->GetWindowRect(&rc);
    ScreenToClient(&rc);
    DrawIconEx(dc.GetSafeHdc(), rc.left, rc.top, m_hIcon, kIconSize, kIconSize, 0, nullptr,
               DI_NORMAL);
}

HBRUSH CDlgSetMobileEquipment::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    HBRUSH brush = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    if (pWnd && pWnd->GetDlgCtrlID() == IDC_NOTE) {
        pDC->SetTextColor(kNoteColour);
        pDC->SetBkMode(TRANSPARENT);
        return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    }
    return brush;
}
