#include "links/HttpClientSocket.h"

#include <cstring>

#include "platform/base/Exception.h"

const char* const CHttpClientSocket::kProxyAuthMessage =
    "Sorry Guys Http Proxy Authentication Not Implemented in Current Version!!!";

namespace {

// The host goes into the CONNECT line: a line end in it would let a caller's data write further
// request lines.
bool IsSafeHost(LPCTSTR lpszHost) {
    if (lpszHost == nullptr || *lpszHost == '\0')
        return false;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(lpszHost); *p; ++p)
        if (*p <= ' ' || *p == 0x7F)
            return false;
    return true;
}

// A message for the user, shown the way every other report of the program is.
class CProxyNotice : public CException {
public:
    explicit CProxyNotice(LPCTSTR text) : CException(FALSE), m_text(text) {}
    using CException::GetErrorMessage;
    BOOL GetErrorMessage(LPTSTR buf, UINT max, UINT* helpId = nullptr) const override {
        if (helpId != nullptr)
            *helpId = 0;
        if (buf == nullptr || max == 0)
            return FALSE;
        CString text = m_text.Left(static_cast<int>(max) - 1);
        memcpy(buf, static_cast<LPCTSTR>(text), static_cast<size_t>(text.GetLength()) + 1);
        return TRUE;
    }

private:
    CString m_text;
};

} // namespace

BOOL CHttpClientSocket::ConnectViaProxy(LPCTSTR lpszHost, UINT nPort) {
    if (!IsSafeHost(lpszHost)) {
        SetLastError(WSAHOST_NOT_FOUND);
        return FALSE;
    }
    if (m_strProxyHost.IsEmpty())
        return Connect(lpszHost, nPort);
    if (!Connect(m_strProxyHost, m_nProxyPort))
        return FALSE;
    CString request;
    request.Format("CONNECT %s:%d HTTP/1.0\r\nhost: %s:%d\r\n\r\n", lpszHost,
                   static_cast<int>(nPort), lpszHost, static_cast<int>(nPort));
    CString line;
    if (SendLine(request, FALSE) != SOCKET_ERROR && ReadLine(line) >= 0) {
        int space = line.Find(' ');
        CString code = space >= 0 ? line.Mid(space + 1, 3) : CString();
        if (code == "200") {
            for (;;) {
                int n = ReadLine(line);
                if (n == 0)
                    return TRUE;
                if (n < 0)
                    break;
            }
        } else if (code == "407") {
            CProxyNotice(kProxyAuthMessage).ReportError();
        }
    }
    CloseSocket();
    return FALSE;
}
