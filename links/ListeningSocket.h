// The listener on which instant messages from other copies of the program arrive. Its owner
// (the sender document of the active account) creates it on the port and starts listening; each
// accepted connection is read by notices into a buffer of its own, so that no peer can hold up
// the program: a record over kInstantMessageMaxRecord, a damaged one, or one not complete within
// the read limit is dropped, and at most kMaxConnections are read at once (more are closed as
// they are accepted). A complete record becomes a received instant message for the owner's
// account, handed to the incoming-message sink; the connection is then closed.
#pragma once

#include <memory>
#include <vector>

#include "links/KovSocket.h"

class _CSender;
class _CSms;

// What the listener needs of its owner.
class CIListeningSocketOwner {
public:
    // The account messages arrive for.
    virtual _CSender* GetListeningAccount() = 0;
    // A message arrived: the owner's data changed.
    virtual void MarkModified() = 0;

protected:
    ~CIListeningSocketOwner() = default;
};

// Where received messages go (the communications device manager).
class CIIncomingSmsSink {
public:
    // Takes the message, held for filing in the account.
    virtual int DeliverIncomingSms(_CSms* pSms, _CSender* pAccount) = 0;

protected:
    ~CIIncomingSmsSink() = default;
};

class CListeningSocket : public CKovSocket {
public:
    static constexpr int kMaxConnections = 8;
    static constexpr UINT kDefaultReadLimitMs = 10000;

    CListeningSocket(CIListeningSocketOwner* pOwner, CIIncomingSmsSink* pSink);
    ~CListeningSocket() override;

    // How long a connection may take to bring its record (tests shorten it); answers the
    // previous limit.
    static UINT SetReadLimitMs(UINT nMs);
    // Connections being read now.
    int GetOpenConnections() const { return static_cast<int>(m_connections.size()); }

protected:
    void OnAccept(int nErrorCode) override;

private:
    class CConnection;
    friend class CConnection;
    // The connection is done (delivered, dropped or timed out): closes and destroys it.
    void Finish(CConnection* pConnection);
    void Deliver(CConnection* pConnection);

    CIListeningSocketOwner* m_pOwner;
    CIIncomingSmsSink* m_pSink;
    std::vector<std::unique_ptr<CConnection>> m_connections;
};
