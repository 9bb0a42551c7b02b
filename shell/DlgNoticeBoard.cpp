#include "shell/DlgNoticeBoard.h"

#include "links/ServiceAddress.h"

enum { IDC_INFO_TEXT = 1006 };

namespace {
// How often the dialog looks whether the request has ended.
const UINT kPollMs = 50;
} // namespace

const char* const CDlgNoticeBoard::kBoardPage = "/Profiles/board.htm";
const char* const CDlgNoticeBoard::kNetworkError = "网络连接出错，请检查网络后重试。";

BEGIN_MESSAGE_MAP(CDlgNoticeBoard, CDialog)
ON_WM_TIMER()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CDlgNoticeBoard::CDlgNoticeBoard(CWnd* pParent) : CDialog(IDD, pParent), m_request(this) {}

CDlgNoticeBoard::~CDlgNoticeBoard() {
    // A request still running is cancelled by the runner and freed once its thread ends.
    m_request.SetListener(nullptr);
}

BOOL CDlgNoticeBoard::OnInitDialog() {
    CDialog::OnInitDialog();
    // The dialog is on screen before anything is fetched.
    SetTimer(TIMER_FETCH, 100, nullptr);
    m_bTimerRunning = TRUE;
    return TRUE;
}

void CDlgNoticeBoard::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == TIMER_FETCH) {
        KillTimer(TIMER_FETCH);
        m_bTimerRunning = FALSE;
        CString headers;
        headers.Format("Accept: text/*\r\nUser-Agent: %s\r\n", GetHttpAgentName());
        if (m_request.StartRequest(GetServiceUrl(kBoardPage), nullptr, headers, nullptr,
                                   HTTP_VERB_GET) != 0) {
            ShowText(kNetworkError);
            return;
        }
        SetTimer(TIMER_POLL, kPollMs, nullptr);
    } else if (nIDEvent == TIMER_POLL) {
        if (!m_request.IsDone())
            return;
        KillTimer(TIMER_POLL);
        m_request.DispatchResult();
    } else {
        CDialog::OnTimer(nIDEvent);
    }
}

void CDlgNoticeBoard::OnDestroy() {
    KillTimer(TIMER_FETCH);
    KillTimer(TIMER_POLL);
    m_bTimerRunning = FALSE;
    CDialog::OnDestroy();
}

void CDlgNoticeBoard::OnInetResponse(int nResult, const CString& strReply) {
    ShowText(nResult == INET_RESULT_OK ? strReply : CString(kNetworkError));
}

void CDlgNoticeBoard::ShowText(const CString& text) {
    if (GetSafeHwnd() != nullptr)
        SetDlgItemText(IDC_INFO_TEXT, text);
}
