// One HTTP request at a time on a worker thread. The user-interface thread starts a request,
// polls IsDone without waiting (from its idle handler or message pre-translation) and then calls
// DispatchResult, which tells the listener on the user-interface thread. The worker never posts a
// message and nothing is locked: the worker touches only its own CInetThread until its thread has
// ended, and the user-interface thread reads the result only after that.
#pragma once

#include <atomic>

#include "links/HttpRequest.h"
#include "platform/base/Thread.h"

// StartRequest's answer while the runner still holds a request (the value of the request error 1,
// which callers already treat as "nothing was sent").
enum { INET_START_BUSY = 1 };

class CIAsyncInetListener {
public:
    virtual ~CIAsyncInetListener() = default;
    // A request finished with this result code and reply text (HttpRequest's).
    virtual void OnInetResponse(int nResult, const CString& strReply) = 0;
    // After every dispatch, also when no request was pending: owners start their next request.
    virtual void OnInetStateChanged() = 0;
};

// The worker thread of one request; not deleted by its own end.
class CInetThread : public CWinThread {
public:
    CInetThread();

    // Runs the request on the thread; the thread's end signals its handle.
    int Run() override;
    // Makes a running request stop soon with code 3 (any thread may call it).
    void Cancel() { m_cancel = true; }

    CString m_strUrl;
    CString m_strBody;    // the form data
    CString m_strHeaders; // preset to the form-post header block
    CString m_strAgent;
    DWORD m_dwVerb = HTTP_VERB_POST;
    int m_nResult = 0;
    CString m_strReply;

private:
    std::atomic<bool> m_cancel{false};
};

class CAsyncInternet {
public:
    explicit CAsyncInternet(CIAsyncInetListener* pListener = nullptr);
    CAsyncInternet(const CAsyncInternet&) = delete;
    CAsyncInternet& operator=(const CAsyncInternet&) = delete;
    // A request still running is cancelled and its worker is freed once its thread has ended, so
    // that the owner may go (the program may quit during a request) without waiting for it.
    virtual ~CAsyncInternet();

    // 1 when a request of this runner is still held (running or not yet dispatched; nothing is
    // started); 4 when the worker cannot be made or started; 0 when started. Headers and agent
    // replace the worker's preset ones only when given.
    int StartRequest(LPCTSTR pstrUrl, LPCTSTR pstrData, LPCTSTR pstrHeaders = nullptr,
                     LPCTSTR pstrAgent = nullptr, DWORD dwVerb = HTTP_VERB_POST);
    // TRUE when a worker exists and its thread has ended (tested without waiting).
    BOOL IsDone() const;
    // TRUE while a request is held, running or done.
    BOOL HasWorker() const { return m_pWorker != nullptr; }
    // Makes a running request stop soon with code 3; it is then done and dispatched as any other.
    void CancelRequest() {
        if (m_pWorker)
            m_pWorker->Cancel();
    }
    // When the held request is done: the listener's OnInetResponse, and the worker is freed. In
    // every case OnInetStateChanged follows. A request still running is left alone.
    void DispatchResult();

    void SetListener(CIAsyncInetListener* pListener) { m_pListener = pListener; }
    CIAsyncInetListener* GetListener() const { return m_pListener; }

protected:
    // Makes the worker object of a new request; null when it cannot be made.
    virtual CInetThread* CreateWorker();

private:
    CInetThread* m_pWorker = nullptr;
    CIAsyncInetListener* m_pListener;
};
