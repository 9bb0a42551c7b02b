// A client connection of a text protocol: the session's server, account and state, and the
// asynchronous text socket that talks to it. Protocols derive from it and add states above 2.
#pragma once

#include "links/KovAsyncSocket.h"
#include "platform/base/CString.h"

class CSockSession {
public:
    enum : int { STATE_IDLE = 0, STATE_CONNECTING = 1, STATE_CONNECTED = 2 };

    virtual ~CSockSession() = default;
    // A session in any state but idle is busy.
    BOOL IsBusy() const { return m_nState != STATE_IDLE; }

    int m_nState = STATE_IDLE;
    CString m_strHost;
    UINT m_nPort = 0;
    int m_nAuthMethod = 0;
    CString m_strUser;
    CString m_strPassword;
};

class CTcpClientSocket : public CStringAsyncSocket, public CSockSession {
public:
    using CAsyncSocket::Connect;

    virtual CString GetLineEnd() const { return "\r\n"; }
    // Starts connecting to the session's host and port. TRUE at once when the session is busy;
    // otherwise TRUE once the connection is made or under way (state 2 or 1), FALSE when the
    // socket cannot be made or the attempt fails at once.
    virtual BOOL Connect();
    // Sends the send buffer and moves to the new state; answers the send's result.
    BOOL SendCommand(int nNewState);

    CString m_strResponse;
    // Free for the protocol built on the socket.
    int m_nProtocolValue = -1;

protected:
    // Connected: state 2. Failed: back to idle with the socket closed.
    void OnConnect(int nErrorCode) override;
};
