// Constants and small types of the internet session classes: ports, access types, request and
// header flags, options and the error numbers that CInternetException carries.
#pragma once

#include "platform/base/Sync.h" // GetLastError after a FALSE result
#include "platform/base/Types.h"

typedef WORD INTERNET_PORT;

#define INTERNET_INVALID_PORT_NUMBER 0
#define INTERNET_DEFAULT_FTP_PORT 21
#define INTERNET_DEFAULT_HTTP_PORT 80
#define INTERNET_DEFAULT_HTTPS_PORT 443

// Access types of a session. "Preconfigured" is the user's own proxy set-up, which on this
// system is the environment (http_proxy, no_proxy).
#define INTERNET_OPEN_TYPE_PRECONFIG 0
#define INTERNET_OPEN_TYPE_DIRECT 1
#define INTERNET_OPEN_TYPE_PROXY 3
#define PRE_CONFIG_INTERNET_ACCESS INTERNET_OPEN_TYPE_PRECONFIG

// Session and request flags. Nothing is cached and connections are never shared between
// requests, so the cache and connection flags are accepted and have nothing left to change.
#define INTERNET_FLAG_RELOAD 0x80000000u
#define INTERNET_FLAG_EXISTING_CONNECT 0x20000000u
#define INTERNET_FLAG_DONT_CACHE 0x04000000u
#define INTERNET_FLAG_NO_AUTO_REDIRECT 0x00200000u
#define INTERNET_FLAG_NO_COOKIES 0x00080000u

#define HTTP_ADDREQ_FLAG_ADD_IF_NEW 0x10000000u
#define HTTP_ADDREQ_FLAG_ADD 0x20000000u
#define HTTP_ADDREQ_FLAG_REPLACE 0x80000000u

#define HTTP_STATUS_OK 200

// Service types answered by AfxParseURL.
#define AFX_INET_SERVICE_FTP 1u
#define AFX_INET_SERVICE_GOPHER 2u
#define AFX_INET_SERVICE_HTTP 3u
#define AFX_INET_SERVICE_UNK 0x1000u
#define AFX_INET_SERVICE_FILE 0x1001u
#define AFX_INET_SERVICE_MAILTO 0x1002u
#define AFX_INET_SERVICE_HTTPS 0x100Bu

// Options of a session, in milliseconds. The connect time-out bounds reaching the server (or
// proxy); the receive time-out bounds any silence once connected. The two QM_ options are ours:
// a bound on the whole request, so that a reply trickling in forever still ends, and a bound on
// the size of a reply body, so that an endless or hostile reply cannot exhaust memory (0: none).
#define INTERNET_OPTION_CONNECT_TIMEOUT 2u
#define INTERNET_OPTION_RECEIVE_TIMEOUT 6u
// The user and password a proxy asking for them is given (text options).
#define INTERNET_OPTION_PROXY_USERNAME 43u
#define INTERNET_OPTION_PROXY_PASSWORD 44u
#define QM_INTERNET_OPTION_REQUEST_TIMEOUT 0x7F000001u
#define QM_INTERNET_OPTION_MAX_REPLY_SIZE 0x7F000002u

// Error numbers of CInternetException::m_dwError.
#define ERROR_INTERNET_TIMEOUT 12002u
#define ERROR_INTERNET_INTERNAL_ERROR 12004u
#define ERROR_INTERNET_INVALID_URL 12005u
#define ERROR_INTERNET_NAME_NOT_RESOLVED 12007u
#define ERROR_INTERNET_INVALID_OPTION 12009u
#define ERROR_INTERNET_OPERATION_CANCELLED 12017u
#define ERROR_INTERNET_INCORRECT_HANDLE_STATE 12019u
#define ERROR_INTERNET_CANNOT_CONNECT 12029u
#define ERROR_INTERNET_CONNECTION_ABORTED 12030u
#define ERROR_INTERNET_CONNECTION_RESET 12031u
#define ERROR_HTTP_HEADER_NOT_FOUND 12150u
#define ERROR_HTTP_INVALID_SERVER_RESPONSE 12152u
#define ERROR_HTTP_INVALID_HEADER 12153u
#define ERROR_HTTP_HEADER_ALREADY_EXISTS 12155u
// A reply body larger than QM_INTERNET_OPTION_MAX_REPLY_SIZE reads as ERROR_NOT_ENOUGH_MEMORY.
