#include "links/ui/TaskProgress.h"

#include "links/ui/DlgSendSmsProgress.h"

CTaskProgress::CTaskProgress(CWnd* pParent, const CString& strTitle, const CString& strLabel,
                             const CString& strSubject, ULONGLONG nShowFrom)
    : m_pParent(pParent), m_strTitle(strTitle), m_strLabel(strLabel), m_strSubject(strSubject),
      m_nShowFrom(nShowFrom) {}

CTaskProgress::~CTaskProgress() {
    if (m_pWnd != nullptr)
        m_pWnd->DestroyProgress();
}

BOOL CTaskProgress::Step(ULONGLONG nDone, ULONGLONG nTotal) {
    if (m_pWnd == nullptr) {
        if (m_bShown)
            return FALSE; // the window went away: nobody waits for the rest
        if (nTotal < m_nShowFrom)
            return TRUE;
        auto* pWnd = new CDlgSendSmsProgress(this, m_pParent);
        if (!pWnd->CreateModeless()) {
            delete pWnd;
            m_bShown = TRUE;
            return TRUE;
        }
        m_pWnd = pWnd;
        m_bShown = TRUE;
        m_pWnd->ShowForTask(m_strTitle, m_strLabel, m_strSubject);
    }
    // The window is served a few dozen times a second, not after every step.
    const auto now = std::chrono::steady_clock::now();
    if (m_bPumped && now - m_lastPump < std::chrono::milliseconds(40))
        return !m_bStop;
    m_bPumped = TRUE;
    m_lastPump = now;
    const int nPercent = nTotal > 0 ? (int)(nDone * 100 / nTotal) : 100;
    CString status;
    status.Format("已读取%d%%", nPercent);
    m_pWnd->SetTaskProgress(nPercent, status);
    m_pWnd->PumpMessages();
    return !m_bStop && m_pWnd != nullptr;
}
