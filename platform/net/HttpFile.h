// One HTTP request and its reply. Headers are added, SendRequest sends the request with its body
// and returns once the reply's status and headers have come; the body is then read with Read or
// ReadString, as it arrives. A failure before the status is known throws from SendRequest; a
// failure while the body comes in throws from the read that reaches it, after the bytes that did
// arrive. Redirects are never followed and no cookies are kept.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/CString.h"
#include "platform/net/InternetDefs.h"
#include "platform/net/InternetSession.h"

class CHttpFile {
public:
    CHttpFile(const InternetRequestSettings& settings, DWORD_PTR dwContext, LPCTSTR pstrVerb,
              LPCTSTR pstrServer, INTERNET_PORT nPort, LPCTSTR pstrObject, LPCTSTR pstrReferer,
              DWORD dwFlags);
    CHttpFile(const CHttpFile&) = delete;
    CHttpFile& operator=(const CHttpFile&) = delete;
    virtual ~CHttpFile();

    // Adds "Name: value" lines separated by CR LF (nLength -1: up to the terminator).
    // HTTP_ADDREQ_FLAG_ADD_IF_NEW skips a header whose name is already set (the result is then
    // FALSE with ERROR_HTTP_HEADER_ALREADY_EXISTS, the other lines are still added);
    // HTTP_ADDREQ_FLAG_REPLACE replaces it (an empty value removes it); otherwise the line is
    // added. A line without a colon gives FALSE with ERROR_HTTP_INVALID_HEADER.
    BOOL AddRequestHeaders(LPCTSTR pstrHeaders, DWORD dwFlags = HTTP_ADDREQ_FLAG_ADD_IF_NEW,
                           int nLength = -1);
    BOOL AddRequestHeaders(const CString& str, DWORD dwFlags = HTTP_ADDREQ_FLAG_ADD_IF_NEW);

    // Headers given here are added (HTTP_ADDREQ_FLAG_ADD); lpOptional is the body. Throws
    // CInternetException when no reply status could be had. A request is sent once.
    BOOL SendRequest(LPCTSTR pstrHeaders = nullptr, DWORD dwHeadersLength = 0,
                     LPVOID lpOptional = nullptr, DWORD dwOptionalLength = 0);
    BOOL SendRequest(const CString& strHeaders, LPVOID lpOptional = nullptr,
                     DWORD dwOptionalLength = 0);

    // FALSE before SendRequest succeeded.
    BOOL QueryInfoStatusCode(DWORD& dwStatusCode) const;
    // The value of a reply header (the last one of that name); FALSE
    // (ERROR_HTTP_HEADER_NOT_FOUND) when there is none.
    BOOL QueryInfo(LPCTSTR pstrHeaderName, CString& strValue) const;

    // Bytes of the body; 0 at its end.
    UINT Read(void* lpBuf, UINT nCount);
    // The next line without its line end ("\n" or "\r\n"); a last line without a line end counts.
    // FALSE, with an empty string, at the end of the body.
    BOOL ReadString(CString& rString);

    void Close();

    CString GetVerb() const { return m_strVerb; }
    CString GetObject() const { return m_strObject; }
    CString GetServerName() const { return m_strServer; }
    DWORD_PTR GetContext() const { return m_dwContext; }

private:
    struct Transfer;

    void Prepare(const void* body, DWORD bodyLength);
    template <class Enough> void Pump(Enough enough);
    [[noreturn]] void Fail(DWORD error);
    void ThrowIfFailed();
    size_t Buffered() const;

    InternetRequestSettings m_settings;
    DWORD_PTR m_dwContext;
    CString m_strVerb;
    CString m_strServer;
    INTERNET_PORT m_nPort;
    CString m_strObject;
    std::vector<std::pair<CString, CString>> m_headers;
    std::unique_ptr<Transfer> m_transfer;
    bool m_sent = false;
};
