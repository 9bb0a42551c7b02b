// The SMTP client's dialogue, driven entirely by the server's replies and free of any socket: the
// connection hands it what it receives and carries out what it sends and when it closes. Greeting,
// EHLO or HELO, optional authentication (CRAM-MD5, LOGIN or PLAIN), then per queued message MAIL
// FROM (with delivery-notification parameters when asked), one RCPT TO per recipient, DATA and
// the message text, and QUIT when the queue is empty. Each message's outcome goes to a listener.
#pragma once

#include <string>

#include "platform/base/Collections.h"
#include "platform/base/CString.h"
#include "platform/base/Time.h"
#include "platform/base/Types.h"

class CEmailMessage;

class CSmtpProtocol {
public:
    // Session states.
    enum : int {
        STATE_CLOSED = 0,
        STATE_CONNECTING = 1,
        STATE_GREETING = 2,
        STATE_HELO = 3,
        STATE_EHLO = 4,
        STATE_AUTH = 5,
        STATE_AUTH_USER = 6,
        STATE_AUTH_ANSWER = 7,
        STATE_MAIL_FROM = 8,
        STATE_RCPT_TO = 9,
        STATE_RCPT_CC = 10,
        STATE_RCPT_BCC = 11,
        STATE_DATA = 12,
        STATE_TEXT = 13,
        STATE_QUIT = 14,
    };
    // Authentication modes.
    enum : int { AUTH_NONE = 0, AUTH_CRAM_MD5 = 1, AUTH_LOGIN = 2, AUTH_PLAIN = 3 };
    // A reply longer than this closes the session: a server that never ends its reply must not
    // fill the memory.
    enum : int { MAX_REPLY = 64 * 1024 };
    // Seconds a running session waits for the server before it gives up: a silent server must
    // not keep the session, and with it every later send, busy until the program restarts.
    enum : int { SILENCE_LIMIT = 300 };

    class IListener {
    public:
        virtual ~IListener() = default;
        virtual void OnMessageSent(CEmailMessage* pMessage, BOOL bSuccess) = 0;
        // The message cannot go out: the file attached from the path could not be read. Its
        // failure follows (OnMessageSent) and the session goes on with the next message.
        virtual void OnAttachmentUnreadable(CEmailMessage* pMessage, const CString& strPath) {
            (void)pMessage;
            (void)strPath;
        }
        // The session ended (after QUIT or on any failure); the queue still holds what it did
        // not reach. The listener must not destroy the connection here.
        virtual void OnSessionEnded() {}
    };
    // What the connection does for the dialogue.
    class ITransport {
    public:
        virtual ~ITransport() = default;
        virtual void Send(const CString& text) = 0;
        virtual void Close() = 0;
    };

    CSmtpProtocol() = default;
    CSmtpProtocol(const CSmtpProtocol&) = delete;
    CSmtpProtocol& operator=(const CSmtpProtocol&) = delete;

    void SetTransport(ITransport* pTransport) { m_pTransport = pTransport; }
    void SetListener(IListener* pListener) { m_pListener = pListener; }
    // The message waits for the session; the queue does not own it.
    void Queue(CEmailMessage* pMessage) { m_queue.AddTail(pMessage); }
    int GetQueueCount() const { return static_cast<int>(m_queue.GetCount()); }
    // Whether the message waits in the queue or is the one being sent.
    BOOL IsQueued(const CEmailMessage* pMessage) const {
        return pMessage != nullptr &&
               (pMessage == m_pCurrent ||
                m_queue.Find(const_cast<CEmailMessage*>(pMessage)) != nullptr);
    }
    // Forgets the waiting messages (the one being sent stays current).
    void ClearQueue() { m_queue.RemoveAll(); }

    // A session starts (the connection is being made); FALSE when one is running already.
    BOOL Start();
    // The connection's outcome: awaiting the greeting, or closed.
    void OnConnected(BOOL bSuccess);
    // Bytes from the server. Each complete reply (a last line without "-" in its fourth place)
    // runs OnReply; an incomplete line waits for more. Bytes after a reply's last line in the
    // same piece are dropped.
    void OnReceive(const char* pData, int nLength);
    // The state machine: the reply's code and its text (the code, a blank and the lines' texts).
    virtual void OnReply(int nCode, const CString& strText);
    // Ends the session: the connection is closed and the message in progress dropped without a
    // report (it stays wherever its account filed it); the queue waits for the next session.
    void CloseSession();
    // Called now and then by the connection: ends a session that has heard nothing from the
    // server for SILENCE_LIMIT seconds. TRUE when it ended one.
    BOOL CheckSilence();

    // The queue's head becomes the current message; FALSE (and none current) when it is empty.
    BOOL NextMessage();
    CEmailMessage* GetCurrentMessage() const { return m_pCurrent; }
    int GetState() const { return m_nState; }
    int GetLastReplyCode() const { return m_nLastReply; }
    int GetAcceptedCount() const { return m_nAccepted; }

    // The CRAM-MD5 answer line (without its CR LF) to a challenge reply's text.
    static CString CramMd5Answer(const CString& strReplyText, const CString& strUser,
                                 const CString& strPassword);

    CString m_strHost;
    UINT m_nPort = 25;
    int m_nAuthMode = AUTH_LOGIN;
    CString m_strUser;
    CString m_strPassword;

private:
    void Send(const CString& text, int nNextState);
    void StartNextMessage();
    // Tells the listener the current message's outcome; none is current afterwards.
    void ReportCurrent(BOOL bSuccess);
    // Reports the current message and starts the next one.
    void Report(BOOL bSuccess);
    // Sends RCPT for the recipient after the current one; FALSE when none is left.
    BOOL SendNextRecipient();
    // The reply text after the code and its blank (empty when the reply is shorter).
    static CString ReplyArgument(const CString& strText);

    ITransport* m_pTransport = nullptr;
    IListener* m_pListener = nullptr;
    CPtrList m_queue;
    CEmailMessage* m_pCurrent = nullptr;
    // The current message's DATA text, made before its MAIL FROM: a mail whose text cannot be
    // made (an attachment that cannot be read) is never begun.
    CString m_strData;
    // The server named 8BITMIME in its EHLO reply: bodies may go as 8-bit text.
    bool m_b8BitMime = false;
    int m_nState = STATE_CLOSED;
    int m_nLastReply = 0;
    int m_nAccepted = 0;
    // The recipient walk: the list (0 To, 1 Cc, 2 Bcc) and the entry in it.
    int m_nRecipientList = 0;
    int m_nRecipient = -1;
    // Received bytes not yet taken, and the reply gathered so far.
    std::string m_received;
    CString m_strReply;
    bool m_bInReply = false;
    // When the session last started, sent or heard something.
    __time64_t m_tLastActivity = 0;
};
