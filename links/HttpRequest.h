// The one HTTP request every exchange with the service goes through: one connection, one request,
// the whole reply read as text with its lines joined by CR LF; no retries, no redirects, no
// cookies. The synchronous form post runs it on the calling thread.
#pragma once

#include <atomic>

#include "platform/base/CString.h"
#include "platform/net/InternetSession.h"

// Result codes of a request.
enum {
    INET_RESULT_OK = 0,
    INET_RESULT_NOT_HTTP = 1,      // the URL cannot be parsed or is not an http URL
    INET_RESULT_HTTP_STATUS = 2,   // the server answered with a status other than 200
    INET_RESULT_NETWORK_ERROR = 3, // connecting, sending or reading failed (time-outs included)
    INET_RESULT_NO_WORKER = 4,     // the asynchronous runner could not start its thread
};

#define HTTP_VERB_POST CHttpConnection::HTTP_VERB_POST
#define HTTP_VERB_GET CHttpConnection::HTTP_VERB_GET

// The agent name the program sends as "User-Agent".
LPCTSTR GetHttpAgentName();
// "Accept: text/*\r\nUser-Agent: <agent>\r\nContent-Type: application/x-www-form-urlencoded\r\n".
CString FormatFormPostHeaders(LPCTSTR agent);

// The reply of a status 200 replaces `reply`; on any other result `reply` is left as it was.
// With `headers` null, "Accept: text/*" and "User-Agent: <agent>" are sent. The request stops with
// code 3 once *cancel becomes true. The reply size and the time-outs are those of a new
// CInternetSession.
int HttpRequest(LPCTSTR url, CString& reply, LPCTSTR agent, DWORD verb, LPCTSTR headers,
                LPCVOID data, DWORD length, const std::atomic<bool>* cancel = nullptr);

// POSTs the form data (already percent-encoded) with the form header block; blocks the calling
// thread until the reply is read or the request failed.
int HttpPostForm(LPCTSTR url, LPCTSTR formData, CString& reply);

// Fetches a page as text: GET without form data, a form POST with it.
int HttpFetchText(LPCTSTR url, LPCTSTR agent, CString& reply, LPCTSTR formData = nullptr);

// The message for codes 1 to 3; an empty text for any other code.
CString GetRequestErrorText(int code);
