// The service's notice board. The dialog shows first; a moment later the board page is fetched on
// a worker thread, so a slow or silent server never freezes the program, and the dialog may be
// closed while the request still runs.
#pragma once

#include "links/AsyncInternet.h"
#include "platform/gui/Dialog.h"

class CDlgNoticeBoard : public CDialog, private CIAsyncInetListener {
public:
    enum { IDD = 461 };
    enum { TIMER_FETCH = 1, TIMER_POLL = 2 };
    explicit CDlgNoticeBoard(CWnd* pParent = nullptr);
    ~CDlgNoticeBoard() override;

    // The board page, relative to the service's address.
    static const char* const kBoardPage;
    // Shown when the board cannot be read.
    static const char* const kNetworkError;

    BOOL IsTimerRunning() const { return m_bTimerRunning; }
    // TRUE while the board's request runs.
    BOOL IsFetching() const { return m_request.HasWorker(); }

protected:
    BOOL OnInitDialog() override;
    void OnTimer(UINT_PTR nIDEvent);
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void OnInetResponse(int nResult, const CString& strReply) override;
    void OnInetStateChanged() override {}
    void ShowText(const CString& text);

    BOOL m_bTimerRunning = FALSE;
    CAsyncInternet m_request;
};
