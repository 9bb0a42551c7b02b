// The SMTP client's connection: queued e-mail messages go to one server over an asynchronous TCP
// connection on the user-interface thread, driven by the server's replies through CSmtpProtocol.
// The session's server, port (25), login method (LOGIN), user and password live in the session
// part; the account sets them, queues messages, sets the listener and calls Connect, which does
// nothing while a session runs. Each message's outcome goes to the listener. A session ends after
// "221", on any failure, when the server closes, when a reply grows past 64 KiB, or when the
// server leaves a command unanswered for a minute; the message in progress is then dropped from
// the socket unreported and the rest of the queue waits for the next Connect.
#pragma once

#include "links/TcpClientSocket.h"
#include "mail/SmtpProtocol.h"

class CEmailMessage;

class CSMTPClientSocket : public CTcpClientSocket {
public:
    using IListener = CSmtpProtocol::IListener;
    // How long the session waits for the server: for the connection, the greeting and each
    // reply, counted from the last byte that went out or came in. A silent server must not keep
    // the session, and with it every later send, busy until the program restarts.
    enum : UINT { REPLY_WAIT_MS = 60000 };

    CSMTPClientSocket();
    ~CSMTPClientSocket() override;

    // The listener must not destroy the socket while it is told of a message.
    void SetListener(IListener* pListener) { m_smtp.SetListener(pListener); }
    // The message waits for the session (a running one takes it before its QUIT); the socket
    // does not own it.
    void AddMessage(CEmailMessage* pMessage) { m_smtp.Queue(pMessage); }
    int GetQueueCount() const { return m_smtp.GetQueueCount(); }
    BOOL IsQueued(const CEmailMessage* pMessage) const { return m_smtp.IsQueued(pMessage); }
    void ClearQueue() { m_smtp.ClearQueue(); }
    // Ends a running session at once, unreported, and forgets the waiting messages: their owner
    // is about to go.
    void Abandon() {
        EndSession();
        m_smtp.ClearQueue();
    }

    // Starts a session with the session part's settings: TRUE at once while one runs, TRUE once
    // connecting, FALSE (the session idle) when the connection cannot even be tried.
    BOOL Connect() override;

    virtual CEmailMessage* GetCurrentMessage() const { return m_smtp.GetCurrentMessage(); }
    virtual BOOL NextMessage();
    int GetLastReplyCode() const { return m_smtp.GetLastReplyCode(); }
    int GetAcceptedCount() const { return m_smtp.GetAcceptedCount(); }
    BOOL WasServerSilent() const { return m_smtp.WasServerSilent(); }

    // Tests wait for a silent server far less than a user's session does.
    UINT m_nReplyWaitMs = REPLY_WAIT_MS;

protected:
    void OnConnect(int nErrorCode) override;
    // Each read goes straight to the dialogue, which keeps at most one reply.
    void OnDataReceived(int length) override;
    void OnSocketError() override;
    void OnClosed() override;
    // A large message going out slowly is no silence: the wait starts again with every piece.
    void OnBytesSent(int n) override;
    void OnSendComplete() override;

private:
    // What the dialogue does through the socket.
    class Transport : public CSmtpProtocol::ITransport {
    public:
        explicit Transport(CSMTPClientSocket& socket) : m_socket(socket) {}
        void Send(const CString& text) override;
        void Close() override;

    private:
        CSMTPClientSocket& m_socket;
    };

    // Ends the session from the socket's side (a socket error or the server gone).
    void EndSession();
    // After every step of the dialogue: the session part follows its state, a send that could
    // not start ends the session, and an ended session stops waiting for the server.
    void AfterStep();
    // Starts the wait for the server again (nothing when the session has ended).
    void ArmReplyWait();
    void KillReplyWait();

    Transport m_transport{*this};
    CSmtpProtocol m_smtp;
    UINT_PTR m_replyTimer = 0;
    CISocketEventSource* m_pTimerSource = nullptr;
    bool m_bSendFailed = false;
};
