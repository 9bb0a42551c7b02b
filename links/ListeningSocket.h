// The listener on which instant messages from other copies of the program arrive. Its owner
// (the sender document of the active account) creates it on the port and starts listening; each
// accepted connection is read by notices into a buffer of its own, so that no peer can hold up
// the program: a record over kInstantMessageMaxRecord, a damaged one, or one not complete within
// the read limit is dropped, and at most kMaxConnections are read at once (more are closed as
// they are accepted). A complete record becomes a received instant message for the owner's
// account, handed to the incoming-message sink; the connection is then closed.
// The message is filed as from the address the connection came from, under the name the record
// states. So that no peer can fill the account, a peer files at most kMaxPerPeerPerMinute
// messages a minute and nothing is filed while kMaxUnseen instant messages wait unread; the
// records past either limit are dropped.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/base/CString.h"

#include "links/KovSocket.h"

class _CSender;
class _CSms;
class _CSmsBox;

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
    virtual LRESULT DeliverIncomingSms(_CSms* pSms, _CSender* pAccount) = 0;
    // The box where taken messages wait until an account files them, if any.
    virtual _CSmsBox* GetHeldMessages() { return nullptr; }

protected:
    ~CIIncomingSmsSink() = default;
};

class CListeningSocket : public CKovSocket {
public:
    static constexpr int kMaxConnections = 8;
    static constexpr UINT kDefaultReadLimitMs = 10000;
    static constexpr int kMaxPerPeerPerMinute = 10;
    static constexpr int kMaxUnseen = 100;

    // The clock in milliseconds the per-peer limit counts by (tests set their own; null restores
    // the sockets' clock); answers the previous one.
    using Clock = std::function<long long()>;
    static Clock SetClockForTesting(Clock clock);

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
    // Whether the peer may file one more message now; when it may, the message is counted.
    bool TakeFromPeer(const CString& peer);
    // Instant messages the user has not seen yet: unread in the account, or not yet filed.
    int CountUnseen(_CSender* pAccount);

    CIListeningSocketOwner* m_pOwner;
    CIIncomingSmsSink* m_pSink;
    std::vector<std::unique_ptr<CConnection>> m_connections;
    // The times of the last minute's filed messages, by peer address.
    std::map<CString, std::vector<long long>> m_recentByPeer;
};
