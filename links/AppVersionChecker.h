// Asks the service's site for the latest program version: one GET of the version page on a
// worker thread, polled by the user-interface thread, and a comparison of the version texts.
// The page's first line names the latest version ("Version3.10"), the lines after it are notes.
#pragma once

#include "links/AsyncInternet.h"

class CIAppVersionCheckerListener {
public:
    virtual ~CIAppVersionCheckerListener() = default;
    virtual void OnVersionChecked() = 0;
};

class CAppVersionChecker : private CIAsyncInetListener {
public:
    enum {
        STATUS_NONE = 0,   // no answer yet
        STATUS_NEWER = 1,  // a newer version exists
        STATUS_LATEST = 2, // this is the latest
        STATUS_FAILED = 4, // the request failed
    };
    // The version page and the download page, relative to the service's address.
    static const char* const kVersionPage;
    static const char* const kDownloadPage;

    explicit CAppVersionChecker(CIAppVersionCheckerListener* pListener = nullptr);

    // Starts the request unless one is held; FALSE when none could be started.
    BOOL StartCheck();
    BOOL IsDone() const { return m_request.IsDone(); }
    // TRUE while a request is held (running or not yet dispatched).
    BOOL IsRunning() const { return m_request.HasWorker(); }
    // When the request is done: the result is taken in and the listener told.
    void DispatchResult() { m_request.DispatchResult(); }
    void SetListener(CIAppVersionCheckerListener* pListener) { m_pListener = pListener; }

    // The program's own version text.
    static const char* OwnVersion();
    // The latest version named by the page's first line (its first piece between the letters of
    // "Version" and blanks); empty when the line names none.
    static CString ParseVersionLine(const CString& line);

    int GetStatus() const { return m_nStatus; }
    int GetChecks() const { return m_nChecks; }
    const CString& GetLatestVersion() const { return m_strLatestVersion; }
    const CString& GetNotes() const { return m_strNotes; }

private:
    void OnInetResponse(int nResult, const CString& strReply) override;
    void OnInetStateChanged() override {}

    CAsyncInternet m_request;
    CIAppVersionCheckerListener* m_pListener;
    int m_nChecks = 0;
    int m_nStatus = STATUS_NONE;
    CString m_strLatestVersion;
    CString m_strNotes;
};
