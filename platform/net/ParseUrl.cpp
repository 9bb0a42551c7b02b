#include "platform/net/ParseUrl.h"

#include <cstring>

namespace {

struct Scheme {
    const char* name;
    DWORD service;
    INTERNET_PORT port;
};

const Scheme kSchemes[] = {
    {"http", AFX_INET_SERVICE_HTTP, INTERNET_DEFAULT_HTTP_PORT},
    {"https", AFX_INET_SERVICE_HTTPS, INTERNET_DEFAULT_HTTPS_PORT},
    {"ftp", AFX_INET_SERVICE_FTP, INTERNET_DEFAULT_FTP_PORT},
    {"gopher", AFX_INET_SERVICE_GOPHER, 70},
    {"file", AFX_INET_SERVICE_FILE, INTERNET_INVALID_PORT_NUMBER},
    {"mailto", AFX_INET_SERVICE_MAILTO, INTERNET_INVALID_PORT_NUMBER},
};

} // namespace

BOOL AfxParseURL(LPCTSTR pstrURL, DWORD& dwServiceType, CString& strServer, CString& strObject,
                 INTERNET_PORT& nPort) {
    dwServiceType = AFX_INET_SERVICE_UNK;
    strServer.Empty();
    strObject.Empty();
    nPort = INTERNET_INVALID_PORT_NUMBER;
    if (!pstrURL)
        return FALSE;
    CString url(pstrURL);
    for (int i = 0; i < url.GetLength(); ++i) {
        unsigned char c = static_cast<unsigned char>(url[i]);
        if (c <= 0x20 || c == 0x7F)
            return FALSE;
    }

    int colon = url.Find("://");
    if (colon <= 0)
        return FALSE;
    CString scheme = url.Left(colon);
    const Scheme* known = nullptr;
    for (const Scheme& s : kSchemes)
        if (scheme.CompareNoCase(s.name) == 0)
            known = &s;
    if (!known)
        return FALSE;
    dwServiceType = known->service;

    CString rest = url.Mid(colon + 3);
    int slash = rest.FindOneOf("/?#");
    CString authority = slash < 0 ? rest : rest.Left(slash);
    CString object = slash < 0 ? CString("/") : rest.Mid(slash);
    int fragment = object.Find('#');
    if (fragment >= 0)
        object = object.Left(fragment);
    if (object.IsEmpty() || object[0] != '/')
        object = "/" + object;

    int at = authority.ReverseFind('@');
    if (at >= 0)
        authority = authority.Mid(at + 1);

    CString server = authority, port;
    if (!authority.IsEmpty() && authority[0] == '[') {
        int close = authority.Find(']');
        if (close < 0)
            return FALSE;
        server = authority.Left(close + 1);
        CString after = authority.Mid(close + 1);
        if (!after.IsEmpty()) {
            if (after[0] != ':')
                return FALSE;
            port = after.Mid(1);
        }
    } else {
        int portColon = authority.Find(':');
        if (portColon >= 0) {
            server = authority.Left(portColon);
            port = authority.Mid(portColon + 1);
        }
    }
    if (server.IsEmpty() || server == "[]")
        return FALSE;

    nPort = known->port;
    if (!port.IsEmpty()) {
        if (port.GetLength() > 5 || port.SpanIncluding("0123456789") != port)
            return FALSE;
        long value = std::strtol(port, nullptr, 10);
        if (value < 1 || value > 65535)
            return FALSE;
        nPort = static_cast<INTERNET_PORT>(value);
    }
    strServer = server;
    strObject = object;
    return TRUE;
}
