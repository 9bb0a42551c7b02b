#include "mail/SmtpClientSocket.h"

void CSMTPClientSocket::Transport::Send(const CString& text) {
    m_socket.m_sendText = text;
    // A block still going out means the server answered before it had our last command: the
    // dialogue is lost, so the session ends once the step is over.
    if (!m_socket.SendCommand(m_socket.m_smtp.GetState()))
        m_socket.m_bSendFailed = true;
    else
        m_socket.ArmReplyWait();
}

void CSMTPClientSocket::Transport::Close() {
    m_socket.CAsyncSocket::Close();
}

CSMTPClientSocket::CSMTPClientSocket() {
    m_nPort = 25;
    m_nAuthMethod = CSmtpProtocol::AUTH_LOGIN;
    m_smtp.SetTransport(&m_transport);
}

CSMTPClientSocket::~CSMTPClientSocket() {
    KillReplyWait();
}

BOOL CSMTPClientSocket::Connect() {
    if (m_smtp.GetState() != CSmtpProtocol::STATE_CLOSED)
        return TRUE;
    m_smtp.m_strHost = m_strHost;
    m_smtp.m_nPort = m_nPort;
    m_smtp.m_nAuthMode = m_nAuthMethod;
    m_smtp.m_strUser = m_strUser;
    m_smtp.m_strPassword = m_strPassword;
    m_smtp.Start();
    m_nState = STATE_IDLE;
    // A block the last session was still sending when it ended belongs to that session: left
    // pending, it would hold up every command of this one.
    m_sendLeft = 0;
    m_sendCursor = nullptr;
    if (!CTcpClientSocket::Connect()) {
        m_smtp.CloseSession();
        AfterStep();
        return FALSE;
    }
    // The connection's outcome always comes as a connect notice.
    m_nState = m_smtp.GetState();
    ArmReplyWait();
    return TRUE;
}

BOOL CSMTPClientSocket::NextMessage() {
    return m_smtp.NextMessage();
}

void CSMTPClientSocket::OnConnect(int nErrorCode) {
    CTcpClientSocket::OnConnect(nErrorCode);
    m_smtp.OnConnected(nErrorCode == 0);
    AfterStep();
}

void CSMTPClientSocket::OnDataReceived(int length) {
    m_recvLength = 0;
    // A reply coming in pieces is being answered: its wait starts again with every piece.
    ArmReplyWait();
    m_smtp.OnReceive(m_recvBuffer, length);
    AfterStep();
}

void CSMTPClientSocket::OnBytesSent(int n) {
    CTcpClientSocket::OnBytesSent(n);
    ArmReplyWait();
}

void CSMTPClientSocket::OnSendComplete() {
    CTcpClientSocket::OnSendComplete();
    ArmReplyWait();
}

void CSMTPClientSocket::OnSocketError() {
    CTcpClientSocket::OnSocketError();
    EndSession();
}

void CSMTPClientSocket::OnClosed() {
    EndSession();
}

void CSMTPClientSocket::EndSession() {
    if (m_smtp.GetState() != CSmtpProtocol::STATE_CLOSED)
        m_smtp.CloseSession();
    AfterStep();
}

void CSMTPClientSocket::AfterStep() {
    if (m_bSendFailed) {
        m_bSendFailed = false;
        if (m_smtp.GetState() != CSmtpProtocol::STATE_CLOSED)
            m_smtp.CloseSession();
    }
    m_nState = m_smtp.GetState();
    if (m_nState == CSmtpProtocol::STATE_CLOSED)
        KillReplyWait();
}

void CSMTPClientSocket::ArmReplyWait() {
    KillReplyWait();
    if (m_smtp.GetState() == CSmtpProtocol::STATE_CLOSED)
        return;
    m_pTimerSource = GetEventSource();
    m_replyTimer = m_pTimerSource->SetTimer(m_nReplyWaitMs, [this] {
        m_replyTimer = 0;
        m_smtp.OnServerSilent();
        AfterStep();
    });
}

void CSMTPClientSocket::KillReplyWait() {
    if (m_replyTimer != 0) {
        m_pTimerSource->KillTimer(m_replyTimer);
        m_replyTimer = 0;
    }
}
