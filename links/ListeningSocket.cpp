#include "links/ListeningSocket.h"

#include <algorithm>

#include "links/InstantMessage.h"
#include "platform/net/SocketEvents.h"
#include "sms/Sender.h"
#include "sms/Sms.h"

namespace {

UINT g_readLimitMs = CListeningSocket::kDefaultReadLimitMs;
CListeningSocket::Clock g_clock;

constexpr long long kMinuteMs = 60 * 1000;

long long Now() {
    return g_clock ? g_clock() : AfxSocketClockMs();
}

// Instant messages in the box and its sub-boxes that nobody has read yet.
int CountUnseenIn(const _CSmsBox& box) {
    int n = 0;
    for (POSITION pos = box.GetFirstSmsPosition(); pos != nullptr;) {
        const _CSms* pSms = box.GetNextSms(pos);
        n += pSms->m_nKind == _CSms::KIND_INSTANT && (pSms->GetState() == _CSms::STATE_UNREAD ||
                                                      pSms->GetState() == _CSms::STATE_HELD);
    }
    for (POSITION pos = box.GetFirstSubBoxPosition(); pos != nullptr;)
        n += CountUnseenIn(*box.GetNextSubBox(pos));
    return n;
}

} // namespace

// One accepted connection, read by notices.
class CListeningSocket::CConnection : public CAsyncSocket {
public:
    explicit CConnection(CListeningSocket* pListener) : m_pListener(pListener) {}
    ~CConnection() override {
        if (m_timer != 0)
            GetEventSource()->KillTimer(m_timer);
    }

    void Start() {
        AsyncSelect(FD_READ | FD_CLOSE);
        m_timer = GetEventSource()->SetTimer(g_readLimitMs, [this] {
            m_timer = 0;
            m_pListener->Finish(this);
        });
    }

    std::vector<BYTE> m_buffer;
    InstantMessageRecord m_record;
    // The address the connection came from.
    CString m_strPeer;

protected:
    void OnReceive(int) override {
        // Never more than one byte past the limit: that byte is enough to know the record is
        // too large.
        const size_t limit = static_cast<size_t>(kInstantMessageMaxRecord) + 1;
        size_t old = m_buffer.size();
        size_t wanted = old + std::min<size_t>(limit - old, 4096);
        // The buffer grows by doubling, but never past the limit.
        if (m_buffer.capacity() < wanted)
            m_buffer.reserve(std::min(limit, std::max(wanted, 2 * m_buffer.capacity())));
        m_buffer.resize(wanted);
        int n = Receive(m_buffer.data() + old, static_cast<int>(m_buffer.size() - old));
        m_buffer.resize(old + (n > 0 ? static_cast<size_t>(n) : 0));
        if (n == SOCKET_ERROR && GetLastError() == WSAEWOULDBLOCK)
            return;
        if (n == 0) {
            Examine(true);
            return;
        }
        if (n < 0 || m_buffer.size() > static_cast<size_t>(kInstantMessageMaxRecord)) {
            m_pListener->Finish(this);
            return;
        }
        Examine(false);
    }
    void OnClose(int) override { Examine(true); }

private:
    // Hands on a complete record; drops a damaged one, or an incomplete one once the peer closed.
    void Examine(bool peerClosed) {
        switch (ParseInstantMessage(m_buffer, m_record)) {
        case InstantMessageParse::complete:
            m_pListener->Deliver(this);
            return;
        case InstantMessageParse::incomplete:
            if (peerClosed)
                m_pListener->Finish(this);
            return;
        case InstantMessageParse::damaged:
            m_pListener->Finish(this);
            return;
        }
    }

    CListeningSocket* m_pListener;
    UINT_PTR m_timer = 0;
};

CListeningSocket::CListeningSocket(CIListeningSocketOwner* pOwner, CIIncomingSmsSink* pSink)
    : m_pOwner(pOwner), m_pSink(pSink) {}

CListeningSocket::~CListeningSocket() = default;

UINT CListeningSocket::SetReadLimitMs(UINT nMs) {
    UINT old = g_readLimitMs;
    g_readLimitMs = nMs;
    return old;
}

CListeningSocket::Clock CListeningSocket::SetClockForTesting(Clock clock) {
    Clock old = std::move(g_clock);
    g_clock = std::move(clock);
    return old;
}

void CListeningSocket::OnAccept(int) {
    auto connection = std::make_unique<CConnection>(this);
    if (!CAsyncSocket::Accept(*connection))
        return;
    UINT nPeerPort = 0;
    if (!connection->GetPeerName(connection->m_strPeer, nPeerPort))
        connection->m_strPeer.Empty();
    if (static_cast<int>(m_connections.size()) >= kMaxConnections) {
        connection->Close();
        return;
    }
    connection->Start();
    m_connections.push_back(std::move(connection));
}

void CListeningSocket::Deliver(CConnection* pConnection) {
    InstantMessageRecord record = pConnection->m_record;
    // The address the record states is only what the peer wrote; a reply goes where the
    // connection came from.
    const CString sender = InstantMessageSenderFromPeer(record.sender, pConnection->m_strPeer);
    const CString peer = pConnection->m_strPeer;
    // The connection is done before anything else runs: the sink may show windows or pump.
    Finish(pConnection);
    _CSender* pAccount = m_pOwner != nullptr ? m_pOwner->GetListeningAccount() : nullptr;
    if (pAccount == nullptr || sender.IsEmpty() || CountUnseen(pAccount) >= kMaxUnseen ||
        !TakeFromPeer(peer))
        return;
    auto* pSms = new _CSms(record.subject);
    pSms->m_strContent = record.content;
    pSms->m_sender.m_str = sender;
    pSms->m_recipient.m_str = pAccount->GetName();
    pSms->m_nKind = _CSms::KIND_INSTANT;
    pSms->m_nSize = record.content.GetLength();
    pSms->SetState(_CSms::STATE_HELD);
    m_pOwner->MarkModified();
    if (m_pSink != nullptr)
        m_pSink->DeliverIncomingSms(pSms, pAccount);
    else
        delete pSms;
}

void CListeningSocket::Finish(CConnection* pConnection) {
    auto it = std::find_if(m_connections.begin(), m_connections.end(),
                           [&](const auto& c) { return c.get() == pConnection; });
    if (it == m_connections.end())
        return;
    pConnection->ShutDown(CAsyncSocket::both);
    pConnection->Close();
    m_connections.erase(it);
}

bool CListeningSocket::TakeFromPeer(const CString& peer) {
    const long long now = Now();
    // Only the last minute counts; peers with nothing in it are forgotten.
    for (auto it = m_recentByPeer.begin(); it != m_recentByPeer.end();) {
        auto& times = it->second;
        times.erase(std::remove_if(times.begin(), times.end(),
                                   [now](long long t) { return now - t >= kMinuteMs; }),
                    times.end());
        it = times.empty() ? m_recentByPeer.erase(it) : std::next(it);
    }
    std::vector<long long>& times = m_recentByPeer[peer];
    if (static_cast<int>(times.size()) >= kMaxPerPeerPerMinute)
        return false;
    times.push_back(now);
    return true;
}

int CListeningSocket::CountUnseen(_CSender* pAccount) {
    int n = CountUnseenIn(pAccount->GetRootSmsBox());
    if (_CSmsBox* pHeld = m_pSink != nullptr ? m_pSink->GetHeldMessages() : nullptr)
        n += CountUnseenIn(*pHeld);
    return n;
}
