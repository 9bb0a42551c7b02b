#include "platform/net/AsyncSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

IMPLEMENT_DYNAMIC(CAsyncSocket, CObject)
IMPLEMENT_DYNAMIC(CSocket, CAsyncSocket)

namespace {

thread_local int t_lastError = 0;
SocketTimeouts g_timeouts;

int FailWith(int wsaError) {
    t_lastError = wsaError;
    return SOCKET_ERROR;
}

int FailWithErrno() {
    return FailWith(AfxWsaErrorFromErrno(errno));
}

// What a host text is. A text that can only be meant as an address (digits and dots) is never
// handed to the resolver, and one that cannot be a host name at all (blanks, control or non-ASCII
// bytes) fails at once: neither goes out to a name server.
enum class HostKind { address, name, invalid };

HostKind ClassifyHost(LPCTSTR lpszHost, in_addr& addr) {
    if (lpszHost == nullptr || *lpszHost == '\0')
        return HostKind::invalid;
    if (inet_pton(AF_INET, lpszHost, &addr) == 1)
        return HostKind::address;
    bool numeric = true;
    for (const char* p = lpszHost; *p != '\0'; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c <= ' ' || c >= 0x7F)
            return HostKind::invalid;
        if (!(c == '.' || (c >= '0' && c <= '9')))
            numeric = false;
    }
    return numeric ? HostKind::invalid : HostKind::name;
}

// The checks both flavours make before connecting: 0, with the kind of host (never invalid), or
// the error to fail with.
int CheckConnectTarget(SOCKET hSocket, LPCTSTR lpszHost, UINT nPort, in_addr& addr,
                       HostKind& kind) {
    if (hSocket == INVALID_SOCKET)
        return WSAENOTSOCK;
    if (nPort == 0 || nPort > 0xFFFF)
        return WSAEADDRNOTAVAIL;
    kind = ClassifyHost(lpszHost, addr);
    return kind == HostKind::invalid ? WSAHOST_NOT_FOUND : 0;
}

bool SystemResolve(const char* host, uint32_t& addr) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &result) != 0 || result == nullptr)
        return false;
    addr = reinterpret_cast<sockaddr_in*>(result->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(result);
    return true;
}

std::mutex g_resolverLock;
HostResolver g_resolver;

HostResolver CurrentResolver() {
    std::lock_guard<std::mutex> lock(g_resolverLock);
    return g_resolver ? g_resolver : HostResolver(SystemResolve);
}

BOOL AddressText(const sockaddr_in& sa, CString& rAddress, UINT& rPort) {
    char text[INET_ADDRSTRLEN] = "";
    if (inet_ntop(AF_INET, &sa.sin_addr, text, sizeof text) == nullptr)
        return FALSE;
    rAddress = text;
    rPort = ntohs(sa.sin_port);
    return TRUE;
}

} // namespace

int AfxWsaErrorFromErrno(int err) {
    switch (err) {
    case 0:
        return 0;
    case EINTR:
        return WSAEINTR;
    case EBADF:
        return WSAENOTSOCK;
    case EACCES:
    case EPERM:
        return WSAEACCES;
    case EFAULT:
        return WSAEFAULT;
    case EINVAL:
        return WSAEINVAL;
    case EMFILE:
    case ENFILE:
        return WSAEMFILE;
    case EAGAIN:
    case EINPROGRESS:
        return WSAEWOULDBLOCK;
    case EALREADY:
        return WSAEALREADY;
    case ENOTSOCK:
        return WSAENOTSOCK;
    case EMSGSIZE:
        return WSAEMSGSIZE;
    case EAFNOSUPPORT:
        return WSAEAFNOSUPPORT;
    case EADDRINUSE:
        return WSAEADDRINUSE;
    case EADDRNOTAVAIL:
        return WSAEADDRNOTAVAIL;
    case ENETDOWN:
        return WSAENETDOWN;
    case ENETUNREACH:
        return WSAENETUNREACH;
    case ECONNABORTED:
    case EPIPE:
        return WSAECONNABORTED;
    case ECONNRESET:
        return WSAECONNRESET;
    case ENOBUFS:
    case ENOMEM:
        return WSAENOBUFS;
    case EISCONN:
        return WSAEISCONN;
    case ENOTCONN:
        return WSAENOTCONN;
    case ESHUTDOWN:
        return WSAESHUTDOWN;
    case ETIMEDOUT:
        return WSAETIMEDOUT;
    case ECONNREFUSED:
        return WSAECONNREFUSED;
    case EHOSTUNREACH:
    case EHOSTDOWN:
        return WSAEHOSTUNREACH;
    default:
        return WSAEINVAL;
    }
}

BOOL AfxSocketInit(void*) {
    return TRUE;
}

SocketTimeouts AfxSetSocketTimeouts(const SocketTimeouts& timeouts) {
    SocketTimeouts old = g_timeouts;
    g_timeouts = timeouts;
    return old;
}

SocketTimeouts AfxGetSocketTimeouts() {
    return g_timeouts;
}

HostResolver AfxSetHostResolver(HostResolver resolver) {
    std::lock_guard<std::mutex> lock(g_resolverLock);
    HostResolver old = std::move(g_resolver);
    g_resolver = std::move(resolver);
    return old;
}

// One name being looked up. The looking-up thread and the socket share it; the thread signals
// the end through the event descriptor, which the socket watches on its own event source (the
// blocking flavour polls it). A socket that is closed or gives up meanwhile just lets go of it,
// and the thread's late answer goes nowhere.
struct CAsyncSocket::Lookup {
    int fd = -1;
    UINT port = 0;
    uint32_t addr = 0;
    std::atomic<bool> found{false};

    ~Lookup() {
        if (fd >= 0)
            close(fd);
    }
};

// ---- CAsyncSocket ----------------------------------------------------------------------------

CAsyncSocket::CAsyncSocket() = default;

CAsyncSocket::~CAsyncSocket() {
    if (m_pDestroyed != nullptr)
        *m_pDestroyed = true;
    Close();
}

int CAsyncSocket::GetLastError() {
    return t_lastError;
}

void CAsyncSocket::SetLastError(int nError) {
    t_lastError = nError;
}

BOOL CAsyncSocket::Create(UINT nSocketPort, int nSocketType, long lEvent,
                          LPCTSTR lpszSocketAddress) {
    if (m_hSocket != INVALID_SOCKET)
        return FailWith(WSAEINVAL), FALSE;
    if (nSocketType != SOCK_STREAM)
        return FailWith(WSAEAFNOSUPPORT), FALSE;
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return FailWithErrno(), FALSE;
    m_hSocket = fd;
    m_pSource = AfxGetSocketEventSource();
    m_state = State::created;
    if ((nSocketPort != 0 || (lpszSocketAddress != nullptr && *lpszSocketAddress != '\0')) &&
        !Bind(nSocketPort, lpszSocketAddress)) {
        int err = GetLastError();
        Close();
        return FailWith(err), FALSE;
    }
    return AsyncSelect(lEvent);
}

BOOL CAsyncSocket::Attach(SOCKET hSocket, long lEvent) {
    if (hSocket == INVALID_SOCKET || m_hSocket != INVALID_SOCKET)
        return FailWith(WSAEINVAL), FALSE;
    fcntl(hSocket, F_SETFL, fcntl(hSocket, F_GETFL) | O_NONBLOCK);
    m_hSocket = hSocket;
    m_pSource = AfxGetSocketEventSource();
    m_state = State::connected;
    m_bReadArmed = true;
    m_bEndSeen = false;
    return AsyncSelect(lEvent);
}

SOCKET CAsyncSocket::Detach() {
    SOCKET fd = m_hSocket;
    if (fd != INVALID_SOCKET && m_watchedMask != 0)
        m_pSource->WatchSocket(fd, 0, nullptr);
    StopConnectTimer();
    AbandonLookup();
    m_watchedMask = 0;
    m_hSocket = INVALID_SOCKET;
    m_state = State::none;
    return fd;
}

BOOL CAsyncSocket::AsyncSelect(long lEvent) {
    if (m_hSocket == INVALID_SOCKET)
        return FailWith(WSAENOTSOCK), FALSE;
    m_lEvent = lEvent & FD_ALL_EVENTS;
    UpdateWatch();
    return TRUE;
}

BOOL CAsyncSocket::Bind(UINT nSocketPort, LPCTSTR lpszSocketAddress) {
    if (m_hSocket == INVALID_SOCKET)
        return FailWith(WSAENOTSOCK), FALSE;
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<uint16_t>(nSocketPort));
    if (lpszSocketAddress == nullptr || *lpszSocketAddress == '\0')
        sa.sin_addr.s_addr = htonl(INADDR_ANY);
    else if (inet_pton(AF_INET, lpszSocketAddress, &sa.sin_addr) != 1)
        return FailWith(WSAEINVAL), FALSE;
    // A listener must be able to take its port again at once after the program restarts, while
    // the previous run's connections linger; two listeners on one port are still refused.
    if (nSocketPort != 0) {
        int on = 1;
        setsockopt(m_hSocket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    }
    if (bind(m_hSocket, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0)
        return FailWithErrno(), FALSE;
    return TRUE;
}

BOOL CAsyncSocket::Connect(LPCTSTR lpszHostAddress, UINT nHostPort) {
    in_addr addr{};
    HostKind kind = HostKind::invalid;
    if (int err = CheckConnectTarget(m_hSocket, lpszHostAddress, nHostPort, addr, kind))
        return FailWith(err), FALSE;
    if (kind == HostKind::address)
        return ConnectToAddress(addr.s_addr, nHostPort);
    AbandonLookup();
    m_pLookup = StartLookup(lpszHostAddress, nHostPort);
    if (m_pLookup == nullptr)
        return FALSE;
    m_state = State::resolving;
    StopConnectTimer();
    m_connectTimer = m_pSource->SetTimer(g_timeouts.connectMs, [this] { OnConnectTimeout(); });
    m_pSource->WatchSocket(m_pLookup->fd, CISocketEventSource::readable, this);
    UpdateWatch();
    return FailWith(WSAEWOULDBLOCK), FALSE;
}

std::shared_ptr<CAsyncSocket::Lookup> CAsyncSocket::StartLookup(LPCTSTR lpszHost, UINT nPort) {
    auto lookup = std::make_shared<Lookup>();
    lookup->fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (lookup->fd < 0)
        return FailWithErrno(), nullptr;
    lookup->port = nPort;
    try {
        std::thread([lookup, host = std::string(lpszHost), resolve = CurrentResolver()] {
            uint32_t found = 0;
            if (resolve(host.c_str(), found)) {
                lookup->addr = found;
                lookup->found.store(true, std::memory_order_release);
            }
            uint64_t one = 1;
            (void)!write(lookup->fd, &one, sizeof one);
        }).detach();
    } catch (const std::system_error&) {
        return FailWith(WSAENOBUFS), nullptr;
    }
    return lookup;
}

BOOL CAsyncSocket::ConnectToAddress(uint32_t addr, UINT nHostPort) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<uint16_t>(nHostPort));
    sa.sin_addr.s_addr = addr;
    if (connect(m_hSocket, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 &&
        errno != EINPROGRESS)
        return FailWithErrno(), FALSE;
    // Even a connection made at once is reported by a connect notice, so that callers have one
    // road for both.
    bool timing = m_state == State::resolving && m_connectTimer != 0;
    m_state = State::connecting;
    if (!timing) {
        StopConnectTimer();
        m_connectTimer = m_pSource->SetTimer(g_timeouts.connectMs, [this] { OnConnectTimeout(); });
    }
    UpdateWatch();
    return FailWith(WSAEWOULDBLOCK), FALSE;
}

void CAsyncSocket::AbandonLookup() {
    if (m_pLookup == nullptr)
        return;
    m_pSource->WatchSocket(m_pLookup->fd, 0, nullptr);
    m_pLookup.reset();
}

void CAsyncSocket::OnLookupDone() {
    std::shared_ptr<Lookup> lookup = m_pLookup;
    AbandonLookup();
    if (m_state != State::resolving)
        return;
    if (!lookup->found.load(std::memory_order_acquire)) {
        FinishConnect(WSAHOST_NOT_FOUND);
        return;
    }
    if (!ConnectToAddress(lookup->addr, lookup->port) && GetLastError() != WSAEWOULDBLOCK)
        FinishConnect(GetLastError());
}

BOOL CAsyncSocket::Listen(int nConnectionBacklog) {
    if (m_hSocket == INVALID_SOCKET)
        return FailWith(WSAENOTSOCK), FALSE;
    if (listen(m_hSocket, nConnectionBacklog) != 0)
        return FailWithErrno(), FALSE;
    m_state = State::listening;
    m_bAcceptArmed = true;
    UpdateWatch();
    return TRUE;
}

BOOL CAsyncSocket::Accept(CAsyncSocket& rConnectedSocket) {
    if (m_hSocket == INVALID_SOCKET)
        return FailWith(WSAENOTSOCK), FALSE;
    if (rConnectedSocket.m_hSocket != INVALID_SOCKET || m_state != State::listening)
        return FailWith(WSAEINVAL), FALSE;
    int fd = accept4(m_hSocket, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    int err = errno;
    m_bAcceptArmed = true;
    UpdateWatch();
    if (fd < 0)
        return FailWith(AfxWsaErrorFromErrno(err)), FALSE;
    rConnectedSocket.m_hSocket = fd;
    rConnectedSocket.m_pSource = m_pSource;
    rConnectedSocket.m_state = State::connected;
    rConnectedSocket.m_bReadArmed = true;
    rConnectedSocket.m_bEndSeen = false;
    rConnectedSocket.AsyncSelect(m_lEvent);
    return TRUE;
}

int CAsyncSocket::Receive(void* lpBuf, int nBufLen, int nFlags) {
    if (m_hSocket == INVALID_SOCKET)
        return FailWith(WSAENOTSOCK);
    if (nBufLen < 0)
        return FailWith(WSAEINVAL);
    ssize_t n = recv(m_hSocket, lpBuf, static_cast<size_t>(nBufLen), nFlags | MSG_DONTWAIT);
    int err = errno;
    // Reading lets the next read notice come.
    if (!m_bReadArmed) {
        m_bReadArmed = true;
        UpdateWatch();
    }
    if (n < 0)
        return FailWith(AfxWsaErrorFromErrno(err));
    return static_cast<int>(n);
}

int CAsyncSocket::Send(const void* lpBuf, int nBufLen, int nFlags) {
    if (m_hSocket == INVALID_SOCKET)
        return FailWith(WSAENOTSOCK);
    if (nBufLen < 0)
        return FailWith(WSAEINVAL);
    ssize_t n =
        send(m_hSocket, lpBuf, static_cast<size_t>(nBufLen), nFlags | MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n < 0)
        return FailWithErrno();
    return static_cast<int>(n);
}

BOOL CAsyncSocket::ShutDown(int nHow) {
    if (m_hSocket == INVALID_SOCKET)
        return FailWith(WSAENOTSOCK), FALSE;
    if (shutdown(m_hSocket, nHow) != 0)
        return FailWithErrno(), FALSE;
    return TRUE;
}

void CAsyncSocket::Close() {
    SOCKET fd = Detach();
    if (fd != INVALID_SOCKET)
        close(fd);
    m_bReadArmed = true;
    m_bAcceptArmed = true;
    m_bEndSeen = false;
}

BOOL CAsyncSocket::GetSockName(CString& rSocketAddress, UINT& rSocketPort) {
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (m_hSocket == INVALID_SOCKET)
        return FailWith(WSAENOTSOCK), FALSE;
    if (getsockname(m_hSocket, reinterpret_cast<sockaddr*>(&sa), &len) != 0)
        return FailWithErrno(), FALSE;
    return AddressText(sa, rSocketAddress, rSocketPort);
}

BOOL CAsyncSocket::GetPeerName(CString& rPeerAddress, UINT& rPeerPort) {
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (m_hSocket == INVALID_SOCKET)
        return FailWith(WSAENOTSOCK), FALSE;
    if (getpeername(m_hSocket, reinterpret_cast<sockaddr*>(&sa), &len) != 0)
        return FailWithErrno(), FALSE;
    return AddressText(sa, rPeerAddress, rPeerPort);
}

void CAsyncSocket::OnReceive(int) {}
void CAsyncSocket::OnSend(int) {}
void CAsyncSocket::OnOutOfBandData(int) {}
void CAsyncSocket::OnAccept(int) {}
void CAsyncSocket::OnConnect(int) {}
void CAsyncSocket::OnClose(int) {}

void CAsyncSocket::MarkConnected() {
    StopConnectTimer();
    m_state = State::connected;
    m_bReadArmed = true;
    m_bEndSeen = false;
    UpdateWatch();
}

void CAsyncSocket::UpdateWatch() {
    if (m_hSocket == INVALID_SOCKET)
        return;
    long ev = FilterWatchedEvents(m_lEvent);
    UINT mask = 0;
    switch (m_state) {
    case State::listening:
        if ((ev & FD_ACCEPT) && m_bAcceptArmed)
            mask = CISocketEventSource::readable;
        break;
    case State::connecting:
        // The end of the attempt is watched whether or not it is reported, so that the read,
        // write and close notices can follow; only the blocking flavour waits for it itself.
        if (FilterWatchedEvents(FD_CONNECT) != 0)
            mask = CISocketEventSource::writable;
        break;
    case State::connected:
        if ((ev & (FD_READ | FD_CLOSE)) && m_bReadArmed && !m_bEndSeen)
            mask |= CISocketEventSource::readable;
        if (ev & FD_WRITE)
            mask |= CISocketEventSource::writable;
        break;
    default:
        break;
    }
    if (mask != m_watchedMask) {
        m_watchedMask = mask;
        m_pSource->WatchSocket(m_hSocket, mask, this);
    }
}

void CAsyncSocket::StopConnectTimer() {
    if (m_connectTimer != 0) {
        m_pSource->KillTimer(m_connectTimer);
        m_connectTimer = 0;
    }
}

void CAsyncSocket::OnConnectTimeout() {
    m_connectTimer = 0;
    if (m_state == State::connecting || m_state == State::resolving)
        FinishConnect(WSAETIMEDOUT);
}

void CAsyncSocket::FinishConnect(int nError) {
    StopConnectTimer();
    AbandonLookup();
    if (nError == 0) {
        MarkConnected();
    } else {
        // The attempt is over; the socket is good for nothing but Close.
        m_state = State::created;
        UpdateWatch();
    }
    if (m_lEvent & FD_CONNECT)
        Notify([&] { OnConnect(nError); });
}

template <class F> bool CAsyncSocket::Notify(F&& notice) {
    bool destroyed = false;
    bool* outer = m_pDestroyed;
    m_pDestroyed = &destroyed;
    notice();
    if (destroyed) {
        if (outer != nullptr)
            *outer = true;
        return false;
    }
    m_pDestroyed = outer;
    return true;
}

void CAsyncSocket::OnSocketReady(int fd, UINT events) {
    if (m_pLookup != nullptr && fd == m_pLookup->fd) {
        OnLookupDone();
        return;
    }
    if (fd != m_hSocket)
        return;
    if (m_state == State::connecting) {
        if (events & CISocketEventSource::writable) {
            int err = 0;
            socklen_t len = sizeof err;
            getsockopt(m_hSocket, SOL_SOCKET, SO_ERROR, &err, &len);
            FinishConnect(AfxWsaErrorFromErrno(err));
        }
        return;
    }
    if (m_state == State::listening) {
        if (events & CISocketEventSource::readable) {
            // The next accept notice waits for Accept.
            m_bAcceptArmed = false;
            UpdateWatch();
            Notify([&] { OnAccept(0); });
        }
        return;
    }
    if (m_state != State::connected)
        return;
    if ((events & CISocketEventSource::readable) && m_bReadArmed && !m_bEndSeen) {
        char probe = 0;
        ssize_t n = recv(m_hSocket, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
        int err = errno;
        if (n > 0) {
            m_bReadArmed = false;
            UpdateWatch();
            if ((m_lEvent & FD_READ) && !Notify([&] { OnReceive(0); }))
                return;
        } else if (n == 0 || (err != EAGAIN && err != EINTR)) {
            // The end of the stream (or a reset) once every byte before it was read.
            m_bEndSeen = true;
            UpdateWatch();
            int nError = n == 0 ? 0 : AfxWsaErrorFromErrno(err);
            if ((m_lEvent & FD_CLOSE) && !Notify([&] { OnClose(nError); }))
                return;
        }
    }
    if ((events & CISocketEventSource::writable) && fd == m_hSocket &&
        m_state == State::connected && (m_lEvent & FD_WRITE))
        Notify([&] { OnSend(0); });
}

// ---- CSocket ---------------------------------------------------------------------------------

BOOL CSocket::Create(UINT nSocketPort, int nSocketType, long lEvent, LPCTSTR lpszSocketAddress) {
    return CAsyncSocket::Create(nSocketPort, nSocketType, lEvent, lpszSocketAddress);
}

bool CSocket::WaitFor(short events, UINT timeoutMs) {
    return WaitUntil(m_hSocket, events, AfxSocketClockMs() + timeoutMs);
}

bool CSocket::WaitUntil(int fd, short events, long long untilMs) {
    for (;;) {
        long long left = std::max(0LL, untilMs - AfxSocketClockMs());
        pollfd p{fd, events, 0};
        int rc = poll(&p, 1, static_cast<int>(std::min<long long>(left, kPendingStepMs)));
        if (rc > 0)
            return true;
        if (rc == 0) {
            if (left <= kPendingStepMs)
                return FailWith(WSAETIMEDOUT), false;
            OnMessagePending();
        } else if (errno != EINTR) {
            return FailWithErrno(), false;
        }
    }
}

BOOL CSocket::Connect(LPCTSTR lpszHostAddress, UINT nHostPort) {
    in_addr addr{};
    HostKind kind = HostKind::invalid;
    if (int err = CheckConnectTarget(m_hSocket, lpszHostAddress, nHostPort, addr, kind))
        return FailWith(err), FALSE;
    // The connect time-out counts from here, the name's lookup included.
    long long until = AfxSocketClockMs() + AfxGetSocketTimeouts().connectMs;
    if (kind == HostKind::name) {
        // Looked up on a thread of its own, as the other flavour does: a name server that never
        // answers costs the time-out, and the caller's window is served meanwhile. The late
        // answer of a lookup given up on goes nowhere.
        std::shared_ptr<Lookup> lookup = StartLookup(lpszHostAddress, nHostPort);
        if (lookup == nullptr || !WaitUntil(lookup->fd, POLLIN, until))
            return FALSE;
        if (!lookup->found.load(std::memory_order_acquire))
            return FailWith(WSAHOST_NOT_FOUND), FALSE;
        addr.s_addr = lookup->addr;
    }
    if (ConnectToAddress(addr.s_addr, nHostPort))
        return TRUE;
    if (GetLastError() != WSAEWOULDBLOCK)
        return FALSE;
    int err = 0;
    if (WaitUntil(m_hSocket, POLLOUT, until)) {
        socklen_t len = sizeof err;
        getsockopt(m_hSocket, SOL_SOCKET, SO_ERROR, &err, &len);
        err = AfxWsaErrorFromErrno(err);
    } else {
        err = GetLastError();
    }
    if (err != 0) {
        // Nothing more can be done with the socket; its next use fails.
        int fd = Detach();
        close(fd);
        return FailWith(err), FALSE;
    }
    MarkConnected();
    return TRUE;
}

BOOL CSocket::Accept(CAsyncSocket& rConnectedSocket) {
    if (m_hSocket == INVALID_SOCKET)
        return FailWith(WSAENOTSOCK), FALSE;
    if (!WaitFor(POLLIN, AfxGetSocketTimeouts().transferMs))
        return FALSE;
    return CAsyncSocket::Accept(rConnectedSocket);
}

int CSocket::Receive(void* lpBuf, int nBufLen, int nFlags) {
    if (m_hSocket == INVALID_SOCKET)
        return FailWith(WSAENOTSOCK);
    if (!WaitFor(POLLIN, AfxGetSocketTimeouts().transferMs))
        return SOCKET_ERROR;
    return CAsyncSocket::Receive(lpBuf, nBufLen, nFlags);
}

int CSocket::Send(const void* lpBuf, int nBufLen, int nFlags) {
    const char* p = static_cast<const char*>(lpBuf);
    int sent = 0;
    while (sent < nBufLen) {
        int n = CAsyncSocket::Send(p + sent, nBufLen - sent, nFlags);
        if (n > 0) {
            sent += n;
            continue;
        }
        if (n == SOCKET_ERROR && GetLastError() != WSAEWOULDBLOCK)
            return SOCKET_ERROR;
        if (!WaitFor(POLLOUT, AfxGetSocketTimeouts().transferMs))
            return SOCKET_ERROR;
    }
    return nBufLen;
}
