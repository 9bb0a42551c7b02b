#include "links/TcpClientSocket.h"

BOOL CTcpClientSocket::Connect() {
    if (m_nState != STATE_IDLE)
        return TRUE;
    if (IsValid())
        Close();
    if (!Create(0, 1, FD_ALL_EVENTS))
        return FALSE;
    SetEvents(FD_ALL_EVENTS);
    if (CAsyncSocket::Connect(m_strHost, m_nPort)) {
        m_nState = STATE_CONNECTED;
        return TRUE;
    }
    if (GetLastError() == WSAEWOULDBLOCK) {
        m_nState = STATE_CONNECTING;
        return TRUE;
    }
    return FALSE;
}

BOOL CTcpClientSocket::SendCommand(int nNewState) {
    BOOL result = SendText();
    m_nState = nNewState;
    return result;
}

void CTcpClientSocket::OnConnect(int nErrorCode) {
    if (nErrorCode == 0) {
        m_nState = STATE_CONNECTED;
        return;
    }
    m_nState = STATE_IDLE;
    Close();
}
