#include "links/AsyncInternet.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

namespace {

// Frees workers whose owner went away while their request ran. Each is cancelled first, so its
// thread ends within moments; deleting the worker waits for that end on a thread of its own,
// never on the user-interface thread. At exit the process waits a little for the last ones, so
// that no thread outlives what it uses.
class OrphanedWorkers {
public:
    void Adopt(CInetThread* worker) {
        worker->Cancel();
        {
            std::lock_guard<std::mutex> lock(m_lock);
            ++m_pending;
        }
        try {
            std::thread([this, worker] {
                delete worker;
                std::lock_guard<std::mutex> lock(m_lock);
                --m_pending;
                m_done.notify_all();
            }).detach();
        } catch (const std::system_error&) {
            // No thread to wait on: wait here; the request has been cancelled.
            delete worker;
            std::lock_guard<std::mutex> lock(m_lock);
            --m_pending;
        }
    }

    ~OrphanedWorkers() {
        std::unique_lock<std::mutex> lock(m_lock);
        m_done.wait_for(lock, std::chrono::seconds(5), [this] { return m_pending == 0; });
    }

private:
    std::mutex m_lock;
    std::condition_variable m_done;
    int m_pending = 0;
};

OrphanedWorkers& Orphans() {
    static OrphanedWorkers orphans;
    return orphans;
}

} // namespace

CInetThread::CInetThread() {
    m_bAutoDelete = FALSE;
    m_strAgent = GetHttpAgentName();
    m_strHeaders = FormatFormPostHeaders(m_strAgent);
}

int CInetThread::Run() {
    m_nResult = HttpRequest(m_strUrl, m_strReply, m_strAgent, m_dwVerb, m_strHeaders, m_strBody,
                            static_cast<DWORD>(m_strBody.GetLength()), &m_cancel);
    return ExitInstance();
}

CAsyncInternet::CAsyncInternet(CIAsyncInetListener* pListener) : m_pListener(pListener) {}

CAsyncInternet::~CAsyncInternet() {
    if (!m_pWorker)
        return;
    if (IsDone())
        delete m_pWorker;
    else
        Orphans().Adopt(m_pWorker);
    m_pWorker = nullptr;
}

CInetThread* CAsyncInternet::CreateWorker() {
    return new (std::nothrow) CInetThread;
}

int CAsyncInternet::StartRequest(LPCTSTR pstrUrl, LPCTSTR pstrData, LPCTSTR pstrHeaders,
                                 LPCTSTR pstrAgent, DWORD dwVerb) {
    if (m_pWorker)
        return INET_START_BUSY;
    CInetThread* worker = CreateWorker();
    if (!worker)
        return INET_RESULT_NO_WORKER;
    worker->m_strUrl = pstrUrl;
    worker->m_strBody = pstrData;
    worker->m_dwVerb = dwVerb;
    if (pstrHeaders)
        worker->m_strHeaders = pstrHeaders;
    if (pstrAgent)
        worker->m_strAgent = pstrAgent;
    if (!worker->CreateThread()) {
        delete worker;
        return INET_RESULT_NO_WORKER;
    }
    m_pWorker = worker;
    return INET_RESULT_OK;
}

BOOL CAsyncInternet::IsDone() const {
    return m_pWorker && WaitForSingleObject(m_pWorker->m_hThread, 0) == WAIT_OBJECT_0;
}

void CAsyncInternet::DispatchResult() {
    CIAsyncInetListener* listener = m_pListener;
    if (IsDone()) {
        // Taken out first: the listener may start the next request from its response.
        std::unique_ptr<CInetThread> worker(m_pWorker);
        m_pWorker = nullptr;
        if (listener)
            listener->OnInetResponse(worker->m_nResult, worker->m_strReply);
    }
    if (listener)
        listener->OnInetStateChanged();
}
