#include "platform/base/Thread.h"

#include <atomic>
#include <system_error>
#include <thread>

namespace {

class ThreadObject : public sync_detail::WaitableObject {
public:
    bool IsSignaled() const override { return m_done; }
    bool m_done = false;
    DWORD m_exitCode = STILL_ACTIVE;
};

std::atomic<DWORD> g_nextThreadId{1};
thread_local DWORD t_threadId = 0;

DWORD NewThreadId() {
    return g_nextThreadId.fetch_add(1);
}

} // namespace

DWORD GetCurrentThreadId() {
    if (t_threadId == 0)
        t_threadId = NewThreadId();
    return t_threadId;
}

CWinThread::CWinThread() = default;

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_pThreadParams(pParam), m_pfnThreadProc(pfnThreadProc) {}

CWinThread::~CWinThread() {
    if (m_started && GetCurrentThreadId() != m_nThreadID)
        sync_detail::WaitForObjects({m_state}, true, INFINITE);
    if (m_hThread)
        CloseHandle(m_hThread);
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT, LPSECURITY_ATTRIBUTES) {
    if (m_state)
        return FALSE;
    m_state = std::make_shared<ThreadObject>();
    m_nThreadID = NewThreadId();
    m_hThread = sync_detail::AddHandle(m_state);
    if (dwCreateFlags & CREATE_SUSPENDED)
        return TRUE;
    if (Start())
        return TRUE;
    CloseHandle(m_hThread);
    m_hThread = nullptr;
    m_state.reset();
    return FALSE;
}

DWORD CWinThread::ResumeThread() {
    if (!m_state || m_started)
        return 0;
    return Start() ? 1 : (DWORD)-1;
}

BOOL CWinThread::Start() {
    // Set before the thread exists: an auto-deleting thread may free this object at once.
    m_started = true;
    try {
        std::thread([this] { Main(); }).detach();
    } catch (const std::system_error&) {
        m_started = false;
        return FALSE;
    }
    return TRUE;
}

void CWinThread::Main() {
    t_threadId = m_nThreadID;
    UINT code;
    if (m_pfnThreadProc)
        code = m_pfnThreadProc(m_pThreadParams);
    else
        code = InitInstance() ? (UINT)Run() : (UINT)ExitInstance();
    // Delete may free this object: keep what is still needed in locals.
    auto state = std::static_pointer_cast<ThreadObject>(m_state);
    Delete();
    {
        sync_detail::Guard guard;
        state->m_exitCode = code;
        state->m_done = true;
    }
    sync_detail::WakeWaiters();
}

void CWinThread::Delete() {
    if (m_bAutoDelete)
        delete this;
}

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int, UINT nStackSize,
                           DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
    if (!pfnThreadProc)
        return nullptr;
    auto* thread = new CWinThread(pfnThreadProc, pParam);
    if (!thread->CreateThread(dwCreateFlags, nStackSize, lpSecurityAttrs)) {
        delete thread;
        return nullptr;
    }
    return thread;
}

BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) {
    auto thread = std::dynamic_pointer_cast<ThreadObject>(sync_detail::FindHandle(hThread));
    if (!thread || !lpExitCode) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    sync_detail::Guard guard;
    *lpExitCode = thread->m_exitCode;
    return TRUE;
}
