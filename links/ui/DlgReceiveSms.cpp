#include "links/ui/DlgReceiveSms.h"

#include "links/CommDevice.h"
#include "links/ui/DialogPump.h"

namespace {
enum { TIMER_START = 1 };
} // namespace

BEGIN_MESSAGE_MAP(CDlgReceiveSms, CDialog)
ON_WM_TIMER()
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CDlgReceiveSms::CDlgReceiveSms(CCommDevice& device, _CSender& account, CWnd* pParent)
    : CDialog(IDD, pParent), m_device(device), m_account(account) {}

COLORREF CDlgReceiveSms::GetStatusColour(int nStatusKind) {
    switch (nStatusKind) {
    case STATUS_RECEIVED:
        return RGB(0, 210, 0);
    case STATUS_NOTHING_NEW:
        return RGB(128, 0, 64);
    case STATUS_ERROR:
        return RGB(255, 0, 0);
    default:
        return GetSysColor(COLOR_WINDOWTEXT);
    }
}

BOOL CDlgReceiveSms::OnInitDialog() {
    CDialog::OnInitDialog();
    // Receiving starts once the window is on screen.
    SetTimer(TIMER_START, 100, nullptr);
    return TRUE;
}

void CDlgReceiveSms::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent != TIMER_START) {
        CDialog::OnTimer(nIDEvent);
        return;
    }
    KillTimer(TIMER_START);
    if (!m_bDone && !m_bBusy)
        Receive();
}

void CDlgReceiveSms::Receive() {
    m_bBusy = TRUE;
    ShowStatus(STATUS_WORKING, "正在与服务器通信。请稍候...");
    PumpWindowMessages(this);

    int received = 0;
    const int code =
        m_device.FetchIncomingSms(m_account, received, [this] { PumpWindowMessages(this); });
    m_nReceived = received;
    CString text;
    int kind;
    if (code != 0) {
        text = m_device.GetSendResultText(code);
        kind = STATUS_ERROR;
    } else if (received == 0) {
        text = "您目前没有新短信!";
        kind = STATUS_NOTHING_NEW;
    } else {
        text.Format("成功收取新短信%d条，已被保存到帐户 [%s] 的收信箱中，请查看。", received,
                    m_account.GetName().GetString());
        kind = STATUS_RECEIVED;
    }
    m_bBusy = FALSE;
    m_bDone = TRUE;
    ShowStatus(kind, text);
}

void CDlgReceiveSms::ShowStatus(int nKind, const CString& text) {
    m_nStatusKind = nKind;
    m_strStatusText = text;
    SetDlgItemText(IDC_STATUS_TEXT, text);
    if (CWnd* status = GetDlgItem(IDC_STATUS_TEXT))
        status->Invalidate();
}

void CDlgReceiveSms::OnOK() {
    if (!m_bBusy)
        CDialog::OnOK();
}

void CDlgReceiveSms::OnCancel() {
    if (!m_bBusy)
        CDialog::OnCancel();
}

HBRUSH CDlgReceiveSms::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    HBRUSH brush = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    if (pWnd && pWnd->GetDlgCtrlID() == IDC_STATUS_TEXT) {
        pDC->SetTextColor(GetStatusColour(m_nStatusKind));
        pDC->SetBkMode(TRANSPARENT);
        return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)); // the dialog's ground shows
    }
    return brush;
}
