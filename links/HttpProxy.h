// The proxy every HTTP request of the program goes through. The options hand it over at start and
// whenever the user changes it; the requests read it when they open their session (also on
// worker threads). Direct connections of the program's own (instant messages) never use it.
#pragma once

#include <memory>

#include "platform/base/CString.h"

class CInternetSession;

enum {
    HTTP_PROXY_DIRECT = 0, // no proxy
    HTTP_PROXY_SYSTEM = 1, // the desktop's settings: http_proxy, https_proxy and no_proxy
    HTTP_PROXY_CUSTOM = 2, // the server below
};
enum { HTTP_PROXY_TYPE_HTTP = 0, HTTP_PROXY_TYPE_SOCKS4 = 1, HTTP_PROXY_TYPE_SOCKS5 = 2 };

struct HttpProxySettings {
    int nScheme = HTTP_PROXY_SYSTEM;
    int nType = HTTP_PROXY_TYPE_HTTP;
    CString strServer;
    CString strPort; // empty: the type's usual port
    CString strUser; // empty: the proxy is not given any
    CString strPassword;
};

void SetHttpProxySettings(const HttpProxySettings& settings);
HttpProxySettings GetHttpProxySettings();

// The proxy name a session of these settings opens with ("socks5h://host:port"...); empty for
// the direct and system schemes, and for a custom scheme without a server.
CString FormatHttpProxyName(const HttpProxySettings& settings);

// A session for the settings in force now, with the agent and flags given; null when they name a
// custom proxy without a server (nothing can be reached then).
std::unique_ptr<CInternetSession> MakeHttpSession(LPCTSTR agent, DWORD flags);
