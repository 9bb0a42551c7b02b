#include "links/ui/DlgCheckVersion.h"

#include "links/ServiceAddress.h"
#include "ui/FieldActionOpen.h"

namespace {
enum { TIMER_POLL = 1 };
// How often the dialog looks whether the request has ended.
const UINT kPollMs = 50;
} // namespace

BEGIN_MESSAGE_MAP(CDlgCheckVersion, CDialog)
ON_WM_TIMER()
ON_WM_DESTROY()
ON_BN_CLICKED(CDlgCheckVersion::IDC_DOWNLOAD, &CDlgCheckVersion::OnDownload)
END_MESSAGE_MAP()

CDlgCheckVersion::CDlgCheckVersion(CWnd* pParent) : CDialog(IDD, pParent), m_checker(this) {}

CDlgCheckVersion::~CDlgCheckVersion() {
    // A request still running is cancelled and freed by its runner once its thread has ended;
    // nothing is told about it any more.
    m_checker.SetListener(nullptr);
}

BOOL CDlgCheckVersion::OnInitDialog() {
    CDialog::OnInitDialog();
    if (CWnd* notes = GetDlgItem(IDC_NOTES))
        notes->ShowWindow(SW_HIDE);
    if (CWnd* download = GetDlgItem(IDC_DOWNLOAD))
        download->ShowWindow(SW_HIDE);
    if (m_checker.StartCheck())
        SetTimer(TIMER_POLL, kPollMs, nullptr);
    else
        OnVersionChecked();
    return TRUE;
}

void CDlgCheckVersion::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent != TIMER_POLL) {
        CDialog::OnTimer(nIDEvent);
        return;
    }
    if (!m_checker.IsDone())
        return;
    KillTimer(TIMER_POLL);
    m_checker.DispatchResult();
}

void CDlgCheckVersion::OnDestroy() {
    KillTimer(TIMER_POLL);
    m_checker.SetListener(nullptr);
    CDialog::OnDestroy();
}

void CDlgCheckVersion::OnVersionChecked() {
    if (GetSafeHwnd() == nullptr)
        return;
    CString format, text;
    switch (m_checker.GetStatus()) {
    case CAppVersionChecker::STATUS_NEWER: {
        format.LoadString(IDS_NEWER);
        text.Format(format, CAppVersionChecker::OwnVersion(),
                    m_checker.GetLatestVersion().GetString());
        text += m_checker.GetNotes();
        SetDlgItemText(IDC_NOTES, text);
        if (CWnd* waiting = GetDlgItem(IDC_WAITING))
            waiting->ShowWindow(SW_HIDE);
        if (CWnd* notes = GetDlgItem(IDC_NOTES))
            notes->ShowWindow(SW_SHOW);
        if (CWnd* download = GetDlgItem(IDC_DOWNLOAD))
            download->ShowWindow(SW_SHOW);
        return;
    }
    case CAppVersionChecker::STATUS_LATEST:
        format.LoadString(IDS_LATEST);
        text.Format(format, CAppVersionChecker::OwnVersion());
        break;
    default:
        text.LoadString(IDS_NETWORK_ERROR);
        break;
    }
    SetDlgItemText(IDC_WAITING, text);
}

void CDlgCheckVersion::OnDownload() {
    OpenWebAddress(GetServiceUrl(CAppVersionChecker::kDownloadPage));
}
