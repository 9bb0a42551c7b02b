// A long piece of work done on the window thread (reading a large file, say) shown in the
// program's progress window: the window appears once the work is large enough to be seen, is
// served a few dozen times a second so that it and the rest of the program paint, and its 取消
// (or Escape) asks the work to stop.
#pragma once

#include <chrono>

#include "links/SendProgress.h"
#include "platform/base/CString.h"

class CDlgSendSmsProgress;
class CWnd;

class CTaskProgress : public CISendProgressOwner {
public:
    // The window shows once the work's total reaches nShowFrom (in the work's own units).
    CTaskProgress(CWnd* pParent, const CString& strTitle, const CString& strLabel,
                  const CString& strSubject, ULONGLONG nShowFrom);
    ~CTaskProgress() override;
    CTaskProgress(const CTaskProgress&) = delete;
    CTaskProgress& operator=(const CTaskProgress&) = delete;

    // nDone of nTotal are done; FALSE when the work is to stop.
    BOOL Step(ULONGLONG nDone, ULONGLONG nTotal);
    // Whether the window was shown at all.
    BOOL WasShown() const { return m_bShown; }
    CDlgSendSmsProgress* GetWindow() const { return m_pWnd; }

    // The window asks only while the work goes on.
    BOOL IsSending() const override { return TRUE; }
    void SetStopRequested(BOOL bStop) override { m_bStop = bStop; }
    CString GetSendResultText(int) const override { return CString(); }
    void OnProgressDestroyed(CISendProgress*) override { m_pWnd = nullptr; }

private:
    CWnd* m_pParent;
    CString m_strTitle, m_strLabel, m_strSubject;
    ULONGLONG m_nShowFrom;
    CDlgSendSmsProgress* m_pWnd = nullptr;
    BOOL m_bShown = FALSE;
    BOOL m_bStop = FALSE;
    BOOL m_bPumped = FALSE;
    std::chrono::steady_clock::time_point m_lastPump;
};
