// TCP sockets in two flavours. CAsyncSocket never blocks: it reports through virtual notices
// (OnReceive, OnSend, OnConnect, OnAccept, OnClose) that arrive on the user-interface thread from
// the current socket event source, for the events chosen with AsyncSelect. CSocket waits instead,
// each wait bounded, and keeps only the accept, read and close notices.
//
// The notices follow the rules code written for message-driven sockets relies on:
// - a read notice comes again while data remain, but only once Receive has been called after the
//   previous one (a handler that does not read gets no second notice);
// - a write notice comes only while FD_WRITE is selected and the socket can take data;
// - the end of the stream is one close notice after all data were read, never a failed read;
// - an accept notice comes again once Accept has been called;
// - a connect notice always follows a Connect that answered would-block (10060 when the peer does
//   not answer in time);
// - a socket may be destroyed (or closed) inside any of its own notices.
// Errors are the Windows Sockets numbers (GetLastError), and writing to a peer that has gone gives
// an error, never a signal.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/base/CString.h"
#include "platform/base/Object.h"
#include "platform/base/Types.h"
#include "platform/net/SocketEvents.h"

typedef int SOCKET;
constexpr SOCKET INVALID_SOCKET = -1;
constexpr int SOCKET_ERROR = -1;

enum : long {
    FD_READ = 0x01,
    FD_WRITE = 0x02,
    FD_OOB = 0x04,
    FD_ACCEPT = 0x08,
    FD_CONNECT = 0x10,
    FD_CLOSE = 0x20,
    FD_ALL_EVENTS = 0x3F,
};

// The Windows Sockets error numbers the program sees.
enum : int {
    WSAEINTR = 10004,
    WSAEBADF = 10009,
    WSAEACCES = 10013,
    WSAEFAULT = 10014,
    WSAEINVAL = 10022,
    WSAEMFILE = 10024,
    WSAEWOULDBLOCK = 10035,
    WSAEINPROGRESS = 10036,
    WSAEALREADY = 10037,
    WSAENOTSOCK = 10038,
    WSAEMSGSIZE = 10040,
    WSAEAFNOSUPPORT = 10047,
    WSAEADDRINUSE = 10048,
    WSAEADDRNOTAVAIL = 10049,
    WSAENETDOWN = 10050,
    WSAENETUNREACH = 10051,
    WSAECONNABORTED = 10053,
    WSAECONNRESET = 10054,
    WSAENOBUFS = 10055,
    WSAEISCONN = 10056,
    WSAENOTCONN = 10057,
    WSAESHUTDOWN = 10058,
    WSAETIMEDOUT = 10060,
    WSAECONNREFUSED = 10061,
    WSAEHOSTUNREACH = 10065,
    WSAHOST_NOT_FOUND = 11001,
};

// The Windows Sockets number for an errno value.
int AfxWsaErrorFromErrno(int err);

// Nothing to start on this system; answers TRUE so that callers can keep their check.
BOOL AfxSocketInit(void* lpwsaData = nullptr);

// How long waits last: a connection attempt that gets no answer (both flavours), and each blocking
// read or write of a CSocket. Tests shorten them; answers the previous values.
struct SocketTimeouts {
    UINT connectMs = 20000;
    UINT transferMs = 10000;
};
SocketTimeouts AfxSetSocketTimeouts(const SocketTimeouts& timeouts);
SocketTimeouts AfxGetSocketTimeouts();

// Turns a host name into an IPv4 address (network byte order); answers false when the name is
// unknown. It may wait on a name server for as long as that takes, so both flavours call it on a
// thread of its own, never on the thread that connects. Tests replace it;
// answers the previous one (an empty one means the system's resolver).
using HostResolver = std::function<bool(const char* host, uint32_t& addr)>;
HostResolver AfxSetHostResolver(HostResolver resolver);

class CAsyncSocket : public CObject, private CISocketWatcher {
    DECLARE_DYNAMIC(CAsyncSocket)
public:
    enum { receives = 0, sends = 1, both = 2 };

    CAsyncSocket();
    // Closes the socket.
    ~CAsyncSocket() override;
    CAsyncSocket(const CAsyncSocket&) = delete;
    CAsyncSocket& operator=(const CAsyncSocket&) = delete;

    // A non-blocking IPv4 stream socket bound to the port (0: any) and address (null: any),
    // selecting lEvent. Only SOCK_STREAM is offered.
    BOOL Create(UINT nSocketPort = 0, int nSocketType = 1 /*SOCK_STREAM*/,
                long lEvent = FD_ALL_EVENTS, LPCTSTR lpszSocketAddress = nullptr);
    // Takes over a connected descriptor.
    BOOL Attach(SOCKET hSocket, long lEvent = FD_ALL_EVENTS);
    SOCKET Detach();
    // Chooses the notices; may be changed at any time, inside a notice too.
    BOOL AsyncSelect(long lEvent = FD_ALL_EVENTS);
    long GetSelectedEvents() const { return m_lEvent; }

    BOOL Bind(UINT nSocketPort, LPCTSTR lpszSocketAddress = nullptr);
    // A host name or a dotted address. Answers FALSE with WSAEWOULDBLOCK while the attempt goes
    // on; OnConnect tells how it ended (WSAHOST_NOT_FOUND for a name nobody knows). A name is
    // looked up on a thread of its own; the connect time-out counts from this call.
    virtual BOOL Connect(LPCTSTR lpszHostAddress, UINT nHostPort);
    BOOL Listen(int nConnectionBacklog = 5);
    // Hands the next waiting connection to rConnectedSocket (which must have no socket), which
    // selects the events this socket selects.
    virtual BOOL Accept(CAsyncSocket& rConnectedSocket);
    // Up to nBufLen bytes: the count, 0 at the end of the stream, SOCKET_ERROR (WSAEWOULDBLOCK
    // when nothing is there yet).
    virtual int Receive(void* lpBuf, int nBufLen, int nFlags = 0);
    // What the socket takes now: the count, or SOCKET_ERROR (WSAEWOULDBLOCK when it takes none).
    virtual int Send(const void* lpBuf, int nBufLen, int nFlags = 0);
    BOOL ShutDown(int nHow = sends);
    virtual void Close();

    // The dotted address and port of this end and of the peer.
    BOOL GetSockName(CString& rSocketAddress, UINT& rSocketPort);
    BOOL GetPeerName(CString& rPeerAddress, UINT& rPeerPort);
    // The error of the last failed call on this thread.
    static int GetLastError();
    static void SetLastError(int nError);
    // The source the socket's notices come from (the one current when it was made); timers that
    // belong with the socket go there too.
    CISocketEventSource* GetEventSource() const {
        return m_pSource != nullptr ? m_pSource : AfxGetSocketEventSource();
    }

    SOCKET m_hSocket = INVALID_SOCKET;

protected:
    virtual void OnReceive(int nErrorCode);
    virtual void OnSend(int nErrorCode);
    virtual void OnOutOfBandData(int nErrorCode);
    virtual void OnAccept(int nErrorCode);
    virtual void OnConnect(int nErrorCode);
    virtual void OnClose(int nErrorCode);
    // The events the socket asks its source for; CSocket leaves out those it waits for itself.
    virtual long FilterWatchedEvents(long lEvent) const { return lEvent; }

    // What the blocking flavour needs of the socket's state.
    bool IsConnecting() const { return m_state == State::connecting; }
    void MarkConnected();
    // Connects to an address already known; the attempt then goes on as Connect describes.
    BOOL ConnectToAddress(uint32_t addr, UINT nHostPort);

    // A name being looked up on a thread of its own; its descriptor turns readable at the end.
    struct Lookup;
    // Starts looking the name up; null, with the error set, when that cannot start.
    static std::shared_ptr<Lookup> StartLookup(LPCTSTR lpszHost, UINT nPort);

private:
    enum class State { none, created, resolving, connecting, connected, listening };

    void OnSocketReady(int fd, UINT events) override;
    void UpdateWatch();
    void StopConnectTimer();
    void OnConnectTimeout();
    void FinishConnect(int nError);
    void OnLookupDone();
    void AbandonLookup();
    // Runs a notice; false when the socket was destroyed inside it.
    template <class F> bool Notify(F&& notice);

    long m_lEvent = 0;
    State m_state = State::none;
    bool m_bReadArmed = true;   // a read notice may come (Receive was called since the last)
    bool m_bAcceptArmed = true; // an accept notice may come (Accept was called since the last)
    bool m_bEndSeen = false;    // the close notice was given
    UINT m_watchedMask = 0;
    UINT_PTR m_connectTimer = 0;
    std::shared_ptr<Lookup> m_pLookup; // the name being looked up, while resolving
    CISocketEventSource* m_pSource = nullptr;
    bool* m_pDestroyed = nullptr;
};

// The blocking flavour: Connect, Send, Receive and Accept wait, each for a bounded time (the
// transfer time-out, the connect time-out), and fail with WSAETIMEDOUT when it runs out. Send
// returns once everything is written. The accept, read and close notices still come for the
// events selected; the write and connect notices never do.
class CSocket : public CAsyncSocket {
    DECLARE_DYNAMIC(CSocket)
public:
    BOOL Create(UINT nSocketPort = 0, int nSocketType = 1 /*SOCK_STREAM*/,
                long lEvent = FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE,
                LPCTSTR lpszSocketAddress = nullptr);
    BOOL Connect(LPCTSTR lpszHostAddress, UINT nHostPort) override;
    BOOL Accept(CAsyncSocket& rConnectedSocket) override;
    int Receive(void* lpBuf, int nBufLen, int nFlags = 0) override;
    int Send(const void* lpBuf, int nBufLen, int nFlags = 0) override;

protected:
    long FilterWatchedEvents(long lEvent) const override {
        return lEvent & ~(FD_WRITE | FD_CONNECT);
    }
    // Called every few milliseconds while a call waits (for a host name, a connection, data or
    // room to write), on the calling thread: where a caller keeps its window answering. The
    // socket must not be closed or destroyed from here. Does nothing by default.
    virtual void OnMessagePending() {}

private:
    static constexpr long long kPendingStepMs = 10;
    // Waits for POLLIN or POLLOUT; false with WSAETIMEDOUT or the error.
    bool WaitFor(short events, UINT timeoutMs);
    bool WaitUntil(int fd, short events, long long untilMs);
};
