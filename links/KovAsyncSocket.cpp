#include "links/KovAsyncSocket.h"

void CKovAsyncSocket::SelectEvents(long clear, long set) {
    // Starts from what the socket selects, which Create may have set without this class.
    m_eventMask = (GetSelectedEvents() & ~clear) | set;
    AsyncSelect(m_eventMask);
}

void CKovAsyncSocket::SetEvents(long mask) {
    m_eventMask = mask;
    AsyncSelect(m_eventMask);
}

BOOL CKovAsyncSocket::StartSend(const void* data, int length) {
    if (m_sendLeft > 0)
        return FALSE;
    m_sendBlock.assign(static_cast<const char*>(data),
                       length > 0 ? static_cast<size_t>(length) : 0);
    m_sendCursor = m_sendBlock.data();
    m_sendLeft = static_cast<int>(m_sendBlock.size());
    SelectEvents(0, FD_WRITE);
    return TRUE;
}

void CKovAsyncSocket::OnBytesSent(int n) {
    m_sendCursor += n;
    m_sendLeft -= n;
}

void CKovAsyncSocket::OnDataReceived(int) {
    m_recvLength = 0;
}

void CKovAsyncSocket::OnSocketError() {
    ShutDown(both);
    Close();
}

void CKovAsyncSocket::OnSend(int) {
    if (m_sendLeft <= 0) {
        SelectEvents(FD_WRITE, 0);
        return;
    }
    int n = Send(m_sendCursor, m_sendLeft);
    if (n == SOCKET_ERROR) {
        if (GetLastError() != WSAEWOULDBLOCK)
            OnSocketError();
        return;
    }
    if (n >= m_sendLeft) {
        m_sendLeft = 0;
        m_sendCursor = nullptr;
        m_sendBlock.clear();
        SelectEvents(FD_WRITE, 0);
        OnSendComplete();
    } else {
        OnBytesSent(n);
    }
}

void CKovAsyncSocket::OnReceive(int) {
    int n = Receive(m_recvBuffer, static_cast<int>(sizeof m_recvBuffer) - m_reserve);
    if (n <= 0) {
        OnSocketError();
        return;
    }
    m_recvLength = n;
    OnDataReceived(n);
}

void CKovAsyncSocket::OnClose(int) {
    m_closed = TRUE;
    for (;;) {
        int n = Receive(m_recvBuffer, static_cast<int>(sizeof m_recvBuffer) - m_reserve);
        if (n <= 0)
            break;
        m_recvLength = n;
        OnDataReceived(n);
    }
    ShutDown(both);
    Close();
    OnClosed();
}

BOOL CStringAsyncSocket::SendText() {
    return StartSend(static_cast<LPCTSTR>(m_sendText), m_sendText.GetLength());
}

void CStringAsyncSocket::OnDataReceived(int length) {
    if (m_recvText.GetLength() + length > kMaxReceivedText) {
        m_recvLength = 0;
        OnSocketError();
        return;
    }
    m_recvBuffer[length] = '\0';
    m_recvText += CString(m_recvBuffer, length);
    m_recvLength = 0;
}
