// Worker threads in the framework's form: CWinThread objects started with AfxBeginThread or
// CreateThread, whose m_hThread handle is signalled when the thread has ended.
#pragma once

#include "platform/base/Sync.h"
#include "platform/base/Types.h"

typedef UINT (*AFX_THREADPROC)(LPVOID);

#define CREATE_SUSPENDED 0x00000004u
#define STILL_ACTIVE 259u
#define THREAD_PRIORITY_NORMAL 0

class CWinThread {
public:
    CWinThread();
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;
    // Deleting a thread object whose thread still runs (from another thread) first waits for the
    // thread to end: the thread uses the object until its last instruction.
    virtual ~CWinThread();

    // Starts the thread; with CREATE_SUSPENDED it waits for ResumeThread before running.
    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0,
                      LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
    // Lets a suspended thread run; returns the previous suspend count (1), 0 when it already ran.
    DWORD ResumeThread();

    // Without a thread procedure the thread runs InitInstance, then Run when it succeeded, else
    // ExitInstance; the result is the exit code. There is no message queue here, so the default
    // Run just ends the thread through ExitInstance.
    virtual BOOL InitInstance() { return TRUE; }
    virtual int Run() { return ExitInstance(); }
    virtual int ExitInstance() { return 0; }
    // Called on the thread when it has finished; deletes the object when m_bAutoDelete is set.
    virtual void Delete();

    operator HANDLE() const { return m_hThread; }

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    BOOL m_bAutoDelete = TRUE;
    LPVOID m_pThreadParams = nullptr;
    AFX_THREADPROC m_pfnThreadProc = nullptr;

private:
    void Main();
    BOOL Start();

    std::shared_ptr<sync_detail::WaitableObject> m_state;
    bool m_started = false;
};

// Makes and starts a worker thread running pfn(pParam); its return value is the exit code. The
// object deletes itself when the thread ends unless m_bAutoDelete is cleared (start it with
// CREATE_SUSPENDED to do that safely). Null when the thread cannot be started.
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam,
                           int nPriority = THREAD_PRIORITY_NORMAL, UINT nStackSize = 0,
                           DWORD dwCreateFlags = 0,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);

// STILL_ACTIVE while the thread runs, then its exit code.
BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode);
DWORD GetCurrentThreadId();
