// A blocking client connection, made directly or through an HTTP proxy's CONNECT tunnel.
#pragma once

#include "links/KovSocket.h"

class CHttpClientSocket : public CKovSocket {
public:
    // The text shown when the proxy asks for a password, which is not offered.
    static const char* const kProxyAuthMessage;

    // Without a proxy: connects to host and port. With one: connects to the proxy, asks it for a
    // tunnel to host and port and reads its answer: "200" after the first blank of the status
    // line opens the tunnel (the header lines up to the empty one are dropped); "407" shows
    // kProxyAuthMessage; any other answer, or a failed send or read, closes the socket. A host
    // holding blanks, line ends or other control characters is refused before anything is sent.
    BOOL ConnectViaProxy(LPCTSTR lpszHost, UINT nPort);

    CString m_strProxyHost;
    UINT m_nProxyPort = 0;
};
