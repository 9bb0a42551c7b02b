#include "platform/net/InternetSession.h"

#include <mutex>

#include "platform/base/Sync.h"
#include "platform/net/HttpFile.h"
#include "platform/net/InternetException.h"

namespace {

// Where a session keeps an option; null for an option it does not know.
DWORD InternetRequestSettings::*SettingOf(DWORD option) {
    switch (option) {
    case INTERNET_OPTION_CONNECT_TIMEOUT:
        return &InternetRequestSettings::connectTimeoutMs;
    case INTERNET_OPTION_RECEIVE_TIMEOUT:
        return &InternetRequestSettings::receiveTimeoutMs;
    case QM_INTERNET_OPTION_REQUEST_TIMEOUT:
        return &InternetRequestSettings::requestTimeoutMs;
    case QM_INTERNET_OPTION_MAX_REPLY_SIZE:
        return &InternetRequestSettings::maxReplySize;
    default:
        SetLastError(ERROR_INTERNET_INVALID_OPTION);
        return nullptr;
    }
}

std::mutex& DefaultsLock() {
    static std::mutex lock;
    return lock;
}

// What a new session starts with; read and changed under DefaultsLock.
InternetRequestSettings& Defaults() {
    static InternetRequestSettings defaults = [] {
        InternetRequestSettings d;
        d.connectTimeoutMs = 20000;
        d.receiveTimeoutMs = 30000;
        d.requestTimeoutMs = 120000;
        d.maxReplySize = 8u * 1024 * 1024;
        d.agent = "Quillmar";
        return d;
    }();
    return defaults;
}

} // namespace

CInternetSession::CInternetSession(LPCTSTR pstrAgent, DWORD_PTR dwContext, DWORD dwAccessType,
                                   LPCTSTR pstrProxyName, LPCTSTR pstrProxyBypass, DWORD)
    : m_dwContext(dwContext) {
    m_settings.accessType = dwAccessType;
    m_settings.proxyName = pstrProxyName;
    m_settings.proxyBypass = pstrProxyBypass;
    {
        std::lock_guard<std::mutex> lock(DefaultsLock());
        const InternetRequestSettings& d = Defaults();
        m_settings.agent = pstrAgent ? CString(pstrAgent) : d.agent;
        m_settings.connectTimeoutMs = d.connectTimeoutMs;
        m_settings.receiveTimeoutMs = d.receiveTimeoutMs;
        m_settings.requestTimeoutMs = d.requestTimeoutMs;
        m_settings.maxReplySize = d.maxReplySize;
    }
}

CInternetSession::~CInternetSession() {
    Close();
}

void CInternetSession::Close() {
    m_bOpen = FALSE;
}

CHttpConnection* CInternetSession::GetHttpConnection(LPCTSTR pstrServer, INTERNET_PORT nPort,
                                                     LPCTSTR, LPCTSTR) {
    if (!m_bOpen)
        AfxThrowInternetException(m_dwContext, ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    if (!pstrServer || !*pstrServer)
        AfxThrowInternetException(m_dwContext, ERROR_INTERNET_INVALID_URL);
    return new CHttpConnection(
        this, pstrServer,
        nPort == INTERNET_INVALID_PORT_NUMBER ? INTERNET_DEFAULT_HTTP_PORT : nPort, m_dwContext);
}

BOOL CInternetSession::SetOption(DWORD dwOption, DWORD dwValue, DWORD) {
    DWORD InternetRequestSettings::*setting = SettingOf(dwOption);
    if (setting)
        m_settings.*setting = dwValue;
    return setting != nullptr;
}

BOOL CInternetSession::SetOption(DWORD dwOption, LPVOID lpBuffer, DWORD dwBufferLength, DWORD) {
    CString InternetRequestSettings::*setting = nullptr;
    if (dwOption == INTERNET_OPTION_PROXY_USERNAME)
        setting = &InternetRequestSettings::proxyUser;
    else if (dwOption == INTERNET_OPTION_PROXY_PASSWORD)
        setting = &InternetRequestSettings::proxyPassword;
    if (!setting)
        return FALSE;
    const char* text = static_cast<const char*>(lpBuffer);
    m_settings.*setting = text ? CString(text, static_cast<int>(dwBufferLength)) : CString();
    return TRUE;
}

BOOL CInternetSession::QueryOption(DWORD dwOption, DWORD& dwValue) const {
    DWORD InternetRequestSettings::*setting = SettingOf(dwOption);
    if (setting)
        dwValue = m_settings.*setting;
    return setting != nullptr;
}

BOOL CInternetSession::SetDefaultOption(DWORD dwOption, DWORD dwValue) {
    DWORD InternetRequestSettings::*setting = SettingOf(dwOption);
    if (setting) {
        std::lock_guard<std::mutex> lock(DefaultsLock());
        Defaults().*setting = dwValue;
    }
    return setting != nullptr;
}

DWORD CInternetSession::GetDefaultOption(DWORD dwOption) {
    DWORD InternetRequestSettings::*setting = SettingOf(dwOption);
    std::lock_guard<std::mutex> lock(DefaultsLock());
    return setting ? Defaults().*setting : 0;
}

void CInternetSession::SetApplicationName(LPCTSTR name) {
    std::lock_guard<std::mutex> lock(DefaultsLock());
    Defaults().agent = name ? name : "";
}

CString CInternetSession::GetApplicationName() {
    std::lock_guard<std::mutex> lock(DefaultsLock());
    return Defaults().agent;
}

CInternetConnection::CInternetConnection(CInternetSession* pSession, LPCTSTR pstrServer,
                                         INTERNET_PORT nPort, DWORD_PTR dwContext)
    : m_pSession(pSession), m_strServerName(pstrServer), m_nPort(nPort), m_dwContext(dwContext) {}

CHttpConnection::CHttpConnection(CInternetSession* pSession, LPCTSTR pstrServer,
                                 INTERNET_PORT nPort, DWORD_PTR dwContext)
    : CInternetConnection(pSession, pstrServer, nPort, dwContext) {}

LPCTSTR CHttpConnection::GetVerbName(int nVerb) {
    static const char* const kVerbs[] = {"POST", "GET", "HEAD", "PUT", "LINK", "DELETE", "UNLINK"};
    if (nVerb < HTTP_VERB_MIN || nVerb > HTTP_VERB_MAX)
        return nullptr;
    return kVerbs[nVerb];
}

CHttpFile* CHttpConnection::OpenRequest(int nVerb, LPCTSTR pstrObjectName, LPCTSTR pstrReferer,
                                        DWORD_PTR dwContext, LPCTSTR*, LPCTSTR, DWORD dwFlags) {
    LPCTSTR verb = GetVerbName(nVerb);
    if (!verb)
        AfxThrowInternetException(dwContext, ERROR_INVALID_PARAMETER);
    if (!m_pSession->IsOpen())
        AfxThrowInternetException(dwContext, ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    return new CHttpFile(m_pSession->GetRequestSettings(), dwContext, verb, m_strServerName,
                         m_nPort, pstrObjectName ? pstrObjectName : "/", pstrReferer, dwFlags);
}
