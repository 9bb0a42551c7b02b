// The application object and its message loop.
#pragma once

#include "platform/gui/Wnd.h"

#include <memory>

class CDocTemplate;
class CDocument;
class CRecentFileList;
class CCommandLineInfo;
class CSingleInstance;

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

    // 1 shows the wait cursor (nested calls count), -1 takes one back, 0 shows it again.
    virtual void DoWaitCursor(int nCode);
    HICON LoadIcon(UINT nIDResource) const;
    HICON LoadIcon(LPCTSTR lpszResourceName) const;
    HICON LoadStandardIcon(LPCTSTR lpszIconName) const;
    HCURSOR LoadCursor(UINT nIDResource) const;
    HCURSOR LoadCursor(LPCTSTR lpszResourceName) const;
    HCURSOR LoadStandardCursor(LPCTSTR lpszCursorName) const;
    CWnd* GetMainWnd() { return m_pMainWnd; }

    // The document side, handed to the document manager.
    void AddDocTemplate(CDocTemplate* pTemplate);
    virtual CDocument* OpenDocumentFile(LPCTSTR lpszFileName);
    // Adds to m_pRecentFileList when there is one (never back to the manager).
    virtual void AddToRecentFileList(LPCTSTR lpszPathName);
    CRecentFileList* m_pRecentFileList = nullptr; // owned
    // A shell command handed to the running program ([open("path")]); the document manager
    // carries it out. FALSE when it was not understood or failed.
    virtual BOOL OnDDECommand(LPTSTR lpszCommand);
    // Lets later copies of the program hand their files to this one (see CSingleInstance):
    // listens on the channel GetShellOpenChannel names. FALSE when another copy listens there.
    BOOL EnableShellOpen();
    // The application's name, or the program's when it has none.
    CString GetShellOpenChannel() const;
    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);
    void OnFileNew();
    void OnFileOpen();

    LONG m_nIdleCount = 0; // current idle count, for the loop and the tests

private:
    std::unique_ptr<CSingleInstance> m_pShellOpen;
};

CWinApp* AfxGetApp();
// The wait cursor through the application when there is one (it may override DoWaitCursor).
void AfxWaitCursor(int nCode);
CWnd* AfxGetMainWnd();
void AfxNoteMessage(UINT message);
