#include "links/KovSocket.h"

#include <string>

BOOL CKovSocket::CloseSocket() {
    if (m_hSocket != INVALID_SOCKET) {
        ShutDown(both);
        Close();
    }
    return TRUE;
}

int CKovSocket::ReadLine(CString& rText) {
    rText.Empty();
    std::string line;
    for (;;) {
        char c = 0;
        if (Receive(&c, 1) != 1)
            return -1;
        line += c;
        if (line.size() >= 2 && line[line.size() - 2] == '\r' && c == '\n') {
            line.resize(line.size() - 2);
            rText = CString(line.data(), static_cast<int>(line.size()));
            return rText.GetLength();
        }
        if (line.size() > static_cast<size_t>(kMaxLine) + 1)
            return -1;
    }
}

int CKovSocket::SendLine(const CString& text, BOOL bAddLineEnd) {
    CString data = text;
    if (bAddLineEnd)
        data += "\r\n";
    return Send(static_cast<LPCTSTR>(data), data.GetLength());
}
