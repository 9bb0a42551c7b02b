// An internet session and its HTTP connections. A session names the agent, the proxy access and
// the time and size limits of its requests; a connection names a server and port; each request
// (CHttpFile, made by CHttpConnection::OpenRequest) is one round trip on a connection of its own.
//
// The objects are used by one thread. Only the cancel flag may be set from another thread: every
// request of the session then stops within a few hundredths of a second with
// ERROR_INTERNET_OPERATION_CANCELLED.
#pragma once

#include <atomic>

#include "platform/base/CString.h"
#include "platform/net/InternetDefs.h"

class CHttpConnection;
class CHttpFile;

// What a request takes from its session when it is opened.
struct InternetRequestSettings {
    CString agent;
    DWORD accessType = INTERNET_OPEN_TYPE_PRECONFIG;
    CString proxyName;
    CString proxyBypass;
    CString proxyUser;     // given to a proxy that asks (empty: none)
    CString proxyPassword;
    DWORD connectTimeoutMs = 0;
    DWORD receiveTimeoutMs = 0;
    DWORD requestTimeoutMs = 0;
    DWORD maxReplySize = 0;
    const std::atomic<bool>* cancel = nullptr;
};

class CInternetSession {
public:
    // A null agent takes the application's name (SetApplicationName). With
    // INTERNET_OPEN_TYPE_PROXY, pstrProxyName is "host:port" or a list such as
    // "http=host:port ftp=host:port", and pstrProxyBypass lists hosts reached directly (separated
    // by blanks, ";" or ",").
    explicit CInternetSession(LPCTSTR pstrAgent = nullptr, DWORD_PTR dwContext = 1,
                              DWORD dwAccessType = PRE_CONFIG_INTERNET_ACCESS,
                              LPCTSTR pstrProxyName = nullptr, LPCTSTR pstrProxyBypass = nullptr,
                              DWORD dwFlags = 0);
    CInternetSession(const CInternetSession&) = delete;
    CInternetSession& operator=(const CInternetSession&) = delete;
    virtual ~CInternetSession();

    // Throws CInternetException (ERROR_INTERNET_INCORRECT_HANDLE_STATE) once closed. The caller
    // deletes the connection before the session.
    CHttpConnection* GetHttpConnection(LPCTSTR pstrServer,
                                       INTERNET_PORT nPort = INTERNET_INVALID_PORT_NUMBER,
                                       LPCTSTR pstrUserName = nullptr,
                                       LPCTSTR pstrPassword = nullptr);
    virtual void Close();

    // The options of InternetDefs.h; FALSE (ERROR_INTERNET_INVALID_OPTION) for any other.
    BOOL SetOption(DWORD dwOption, DWORD dwValue, DWORD dwFlags = 0);
    BOOL QueryOption(DWORD dwOption, DWORD& dwValue) const;
    // The text options INTERNET_OPTION_PROXY_USERNAME and INTERNET_OPTION_PROXY_PASSWORD (the
    // buffer holds the text, the length counts its bytes); FALSE for any other.
    BOOL SetOption(DWORD dwOption, LPVOID lpBuffer, DWORD dwBufferLength, DWORD dwFlags = 0);

    // Requests check the flag while they wait; the flag must outlive the session.
    void SetCancelFlag(const std::atomic<bool>* flag) { m_settings.cancel = flag; }

    DWORD_PTR GetContext() const { return m_dwContext; }
    const InternetRequestSettings& GetRequestSettings() const { return m_settings; }
    BOOL IsOpen() const { return m_bOpen; }

    // The value every new session starts with (tests shorten the time-outs). Defaults: connect
    // 20 s, receive 30 s, whole request 120 s, reply 8 MiB.
    static BOOL SetDefaultOption(DWORD dwOption, DWORD dwValue);
    static DWORD GetDefaultOption(DWORD dwOption);
    // The agent of sessions opened without one.
    static void SetApplicationName(LPCTSTR name);
    static CString GetApplicationName();

private:
    DWORD_PTR m_dwContext;
    InternetRequestSettings m_settings;
    BOOL m_bOpen = TRUE;
};

class CInternetConnection {
public:
    CInternetConnection(CInternetSession* pSession, LPCTSTR pstrServer, INTERNET_PORT nPort,
                        DWORD_PTR dwContext);
    CInternetConnection(const CInternetConnection&) = delete;
    CInternetConnection& operator=(const CInternetConnection&) = delete;
    virtual ~CInternetConnection() = default;

    virtual void Close() {}
    CInternetSession* GetSession() const { return m_pSession; }
    CString GetServerName() const { return m_strServerName; }
    INTERNET_PORT GetPort() const { return m_nPort; }
    DWORD_PTR GetContext() const { return m_dwContext; }

protected:
    CInternetSession* m_pSession;
    CString m_strServerName;
    INTERNET_PORT m_nPort;
    DWORD_PTR m_dwContext;
};

class CHttpConnection : public CInternetConnection {
public:
    enum {
        HTTP_VERB_MIN = 0,
        HTTP_VERB_POST = 0,
        HTTP_VERB_GET = 1,
        HTTP_VERB_HEAD = 2,
        HTTP_VERB_PUT = 3,
        HTTP_VERB_LINK = 4,
        HTTP_VERB_DELETE = 5,
        HTTP_VERB_UNLINK = 6,
        HTTP_VERB_MAX = 6,
    };

    CHttpConnection(CInternetSession* pSession, LPCTSTR pstrServer, INTERNET_PORT nPort,
                    DWORD_PTR dwContext = 1);

    // A request of the verb for the object path ("/page?query"); the caller deletes it. A verb
    // out of range throws CInternetException (ERROR_INVALID_PARAMETER).
    CHttpFile* OpenRequest(int nVerb, LPCTSTR pstrObjectName, LPCTSTR pstrReferer = nullptr,
                           DWORD_PTR dwContext = 1, LPCTSTR* ppstrAcceptTypes = nullptr,
                           LPCTSTR pstrVersion = nullptr,
                           DWORD dwFlags = INTERNET_FLAG_EXISTING_CONNECT);

    static LPCTSTR GetVerbName(int nVerb); // null when out of range
};
