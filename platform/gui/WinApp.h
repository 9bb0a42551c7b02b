// The application object and its message loop.
#pragma once

#include "platform/gui/Wnd.h"

class CWinApp : public CCmdTarget {
    DECLARE_DYNAMIC(CWinApp)
public:
    explicit CWinApp(LPCTSTR lpszAppName = nullptr);
    ~CWinApp() override;

    CWnd* m_pMainWnd = nullptr;
    LPCTSTR m_pszAppName = nullptr;
    LPTSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOW;

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // The event loop: returns the exit code once the loop ends. OnIdle runs whenever the loop is
    // about to wait, with a count that starts at 0 after each real message.
    virtual int Run();
    virtual BOOL OnIdle(LONG lCount);
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // A message posted to no window.
    virtual void OnThreadMessage(const MSG& msg);
    // Whether a message is activity after which idle processing starts again from count 0.
    virtual BOOL IsIdleMessage(const MSG& msg);

    void DoWaitCursor(int nCode);
    HCURSOR LoadStandardCursor(LPCTSTR lpszCursorName) const;
    CWnd* GetMainWnd() { return m_pMainWnd; }

    LONG m_nIdleCount = 0; // current idle count, for the loop and the tests
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
void AfxNoteMessage(UINT message);
