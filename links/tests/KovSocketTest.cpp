#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "links/HttpClientSocket.h"
#include "links/KovAsyncSocket.h"
#include "links/KovSocket.h"
#include "links/TcpClientSocket.h"
#include "platform/base/Exception.h"
#include "testsupport/LoopbackProxy.h"
#include "testsupport/SocketTestSupport.h"

using test_net::BlockingPair;
using test_net::ListenOnLoopback;
using test_net::RecordingSocket;
using test_net::ScopedPollSource;

namespace {

// A text socket that records what its protocol hooks see.
class ProbeSocket : public CTcpClientSocket {
public:
    // 0: take what the system takes; otherwise at most this many bytes per send.
    int sendCap = 0;
    int writeNotices = 0;
    int completes = 0;
    int closedCalls = 0;
    std::vector<int> reads;
    std::vector<int> bytesSent;

    int Send(const void* lpBuf, int nBufLen, int nFlags = 0) override {
        return CTcpClientSocket::Send(lpBuf, sendCap > 0 ? std::min(sendCap, nBufLen) : nBufLen,
                                      nFlags);
    }
    const char* Cursor() const { return m_sendCursor; }
    int Left() const { return m_sendLeft; }
    BOOL Closed() const { return m_closed; }

protected:
    void OnSend(int err) override {
        ++writeNotices;
        CTcpClientSocket::OnSend(err);
    }
    void OnBytesSent(int n) override {
        bytesSent.push_back(n);
        CTcpClientSocket::OnBytesSent(n);
    }
    void OnSendComplete() override { ++completes; }
    void OnDataReceived(int length) override {
        reads.push_back(length);
        CTcpClientSocket::OnDataReceived(length);
    }
    void OnClosed() override { ++closedCalls; }
};

// A connected ProbeSocket and the accepted end of its connection.
class TextSocketTest : public ::testing::Test {
protected:
    void SetUp() override {
        listener.onAccept = [this](RecordingSocket& l, int) {
            peer = std::make_unique<RecordingSocket>();
            ASSERT_TRUE(l.Accept(*peer));
            peer->AsyncSelect(0);
        };
        UINT port = ListenOnLoopback(listener);
        ASSERT_NE(0u, port);
        probe.m_strHost = "127.0.0.1";
        probe.m_nPort = port;
        ASSERT_TRUE(probe.Connect());
        EXPECT_EQ(CSockSession::STATE_CONNECTING, probe.m_nState);
        ASSERT_TRUE(events.RunUntil(
            [&] { return probe.m_nState == CSockSession::STATE_CONNECTED && peer; }));
    }

    ScopedPollSource events;
    RecordingSocket listener;
    std::unique_ptr<RecordingSocket> peer;
    ProbeSocket probe;
};

TEST_F(TextSocketTest, BlockGoesOutInAsManyWriteNoticesAsTheSocketNeeds) {
    // With nothing to send, the first write notice deselects the write event.
    ASSERT_TRUE(events.RunUntil([&] { return probe.writeNotices >= 1; }));
    events.Settle(50);
    EXPECT_EQ(1, probe.writeNotices);
    EXPECT_EQ(0, probe.GetSelectedEvents() & FD_WRITE);

    probe.sendCap = 1000;
    std::string block(3000, '\0');
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>('a' + i % 26);
    probe.writeNotices = 0;
    ASSERT_TRUE(probe.StartSend(block.data(), 3000));
    EXPECT_TRUE(probe.IsSending());
    // A second block while the first is pending is refused and changes nothing.
    const char* cursor = probe.Cursor();
    EXPECT_FALSE(probe.StartSend("other", 5));
    EXPECT_EQ(cursor, probe.Cursor());
    EXPECT_EQ(3000, probe.Left());

    ASSERT_TRUE(events.RunUntil([&] { return probe.completes == 1; }));
    events.Settle(50);
    EXPECT_EQ(3, probe.writeNotices);
    EXPECT_EQ((std::vector<int>{1000, 1000}), probe.bytesSent);
    EXPECT_EQ(1, probe.completes);
    EXPECT_FALSE(probe.IsSending());
    ASSERT_TRUE(events.RunUntil(
        [&] { return peer->ReadSome(4096) <= 0 && peer->received.size() == 3000; }));
    EXPECT_EQ(block, peer->received);
}

TEST_F(TextSocketTest, SeveralMegabytesReachASlowReaderIntact) {
    std::string block(6 * 1024 * 1024, '\0');
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>(i * 7 + i / 4096);
    ASSERT_TRUE(probe.StartSend(block.data(), static_cast<int>(block.size())));
    // The reader takes small bites between rounds of the loop, so the sender meets a full socket
    // again and again.
    ASSERT_TRUE(events.RunUntil(
        [&] {
            for (int i = 0; i < 8; ++i)
                peer->ReadSome(16 * 1024);
            return peer->received.size() == block.size();
        },
        60000));
    EXPECT_EQ(1, probe.completes);
    EXPECT_TRUE(peer->received == block);
    EXPECT_GT(probe.bytesSent.size(), 1u);
}

TEST_F(TextSocketTest, ReadsComeInPiecesOf1023AndGatherAsText) {
    std::string data(1500, 'r');
    data[0] = 'S';
    ASSERT_EQ(1500, peer->Send(data.data(), 1500));
    ASSERT_TRUE(events.RunUntil([&] { return probe.m_recvText.GetLength() == 1500; }));
    EXPECT_EQ((std::vector<int>{1023, 477}), probe.reads);
    EXPECT_EQ(CString(data.c_str()), probe.m_recvText);
}

TEST_F(TextSocketTest, PeerClosingAfterItsDataGivesTheDataThenOneClose) {
    ASSERT_EQ(11, peer->Send("250 done\r\n.", 11));
    peer->ShutDown(CAsyncSocket::both);
    peer->Close();
    ASSERT_TRUE(events.RunUntil([&] { return probe.closedCalls == 1; }));
    events.Settle(50);
    EXPECT_EQ(CString("250 done\r\n."), probe.m_recvText);
    EXPECT_EQ(1, probe.closedCalls);
    EXPECT_TRUE(probe.Closed());
    EXPECT_FALSE(probe.IsValid());
}

TEST_F(TextSocketTest, GatheredTextStopsAtItsLimitAsASocketError) {
    peer->AsyncSelect(FD_WRITE);
    std::string chunk(64 * 1024, 'm');
    size_t sent = 0;
    peer->onSend = [&](RecordingSocket& s, int) {
        int n = s.Send(chunk.data(), static_cast<int>(chunk.size()));
        if (n > 0)
            sent += static_cast<size_t>(n);
        if (sent > static_cast<size_t>(CStringAsyncSocket::kMaxReceivedText) + 4096)
            s.AsyncSelect(0);
    };
    ASSERT_TRUE(events.RunUntil([&] { return !probe.IsValid(); }, 20000));
    EXPECT_LE(probe.m_recvText.GetLength(), CStringAsyncSocket::kMaxReceivedText);
    EXPECT_GT(probe.m_recvText.GetLength(), CStringAsyncSocket::kMaxReceivedText - 1024);
}

TEST_F(TextSocketTest, SendCommandSendsTheTextAndMovesToTheNewState) {
    probe.m_sendText = "EHLO 墨川\r\n";
    EXPECT_TRUE(probe.SendCommand(5));
    EXPECT_EQ(5, probe.m_nState);
    ASSERT_TRUE(events.RunUntil([&] {
        peer->ReadSome();
        return peer->received == std::string(CString("EHLO 墨川\r\n"));
    }));
    // Busy: Connect does nothing.
    EXPECT_TRUE(probe.Connect());
    EXPECT_EQ(5, probe.m_nState);
}

TEST(TcpClientSocket, RefusedConnectionLeavesTheSessionIdleAndClosed) {
    ScopedPollSource events;
    RecordingSocket probePort;
    UINT port = ListenOnLoopback(probePort);
    probePort.Close();
    ProbeSocket client;
    client.m_strHost = "127.0.0.1";
    client.m_nPort = port;
    if (client.Connect()) {
        ASSERT_TRUE(events.RunUntil([&] { return client.m_nState == CSockSession::STATE_IDLE; }));
    }
    EXPECT_EQ(CSockSession::STATE_IDLE, client.m_nState);
    EXPECT_FALSE(client.IsValid());
}

// ---- Blocking lines -----------------------------------------------------------------------

TEST(KovSocket, ReadLineTakesEverythingBeforeCrLf) {
    struct Case {
        std::string wire;
        bool closeAfter;
        int result;
        std::string text;
    };
    const std::string longLine(CKovSocket::kMaxLine, 'L');
    const std::vector<Case> cases = {
        {"HTTP/1.0 200 OK\r\nnext", false, 15, "HTTP/1.0 200 OK"},
        {"a\nb\r\n", false, 3, "a\nb"},     // a lone line feed ends nothing
        {"a\rb\r\r\n", false, 4, "a\rb\r"}, // nor does a lone carriage return
        {"\r\n", false, 0, ""},
        {"unfinished", true, -1, ""},
        {longLine + "\r\n", false, CKovSocket::kMaxLine, longLine},
        {longLine + "XX\r\n", false, -1, ""}, // longer than any line we take
    };
    for (const Case& c : cases) {
        ScopedPollSource events(2000, 300);
        BlockingPair<CKovSocket> pair;
        ASSERT_TRUE(pair.ok);
        ASSERT_EQ(static_cast<int>(c.wire.size()),
                  pair.server.Send(c.wire.data(), static_cast<int>(c.wire.size())));
        if (c.closeAfter)
            pair.server.Close();
        CString text = "stale";
        EXPECT_EQ(c.result, pair.client.ReadLine(text)) << c.wire.substr(0, 30);
        if (c.result >= 0) {
            EXPECT_EQ(c.text, std::string(text)) << c.wire.substr(0, 30);
        }
    }
}

TEST(KovSocket, SendLineAddsTheLineEndWhenAskedAndCloseSocketIsHarmlessTwice) {
    ScopedPollSource events;
    BlockingPair<CKovSocket> pair;
    ASSERT_TRUE(pair.ok);
    EXPECT_EQ(6, pair.client.SendLine("QUIT", TRUE));
    EXPECT_EQ(3, pair.client.SendLine("abc", FALSE));
    char buf[16] = {};
    int got = 0;
    while (got < 9) {
        int n = pair.server.Receive(buf + got, static_cast<int>(sizeof buf) - got);
        ASSERT_GT(n, 0);
        got += n;
    }
    EXPECT_EQ(std::string("QUIT\r\nabc"), std::string(buf, 9));
    EXPECT_TRUE(pair.client.CloseSocket());
    EXPECT_TRUE(pair.client.CloseSocket());
    char c;
    EXPECT_EQ(0, pair.server.Receive(&c, 1));
}

// ---- Through a proxy ----------------------------------------------------------------------

// A server on its own thread that answers one connection with a fixed reply once it has read a
// request head, and keeps what it read.
class ScriptedServer {
public:
    explicit ScriptedServer(std::string reply) : m_reply(std::move(reply)) {
        m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof sa;
        bind(m_fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
        listen(m_fd, 5);
        getsockname(m_fd, reinterpret_cast<sockaddr*>(&sa), &len);
        m_port = ntohs(sa.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }
    ~ScriptedServer() {
        shutdown(m_fd, SHUT_RDWR);
        m_thread.join();
        close(m_fd);
    }
    UINT Port() const { return m_port; }
    // What the client sent; call after it closed.
    std::string Received() {
        m_thread.join();
        m_thread = std::thread([] {});
        return m_received;
    }
    bool Accepted() const { return m_accepted; }

private:
    void Serve() {
        int c = accept(m_fd, nullptr, nullptr);
        if (c < 0)
            return;
        m_accepted = true;
        char buf[4096];
        bool replied = false;
        for (;;) {
            ssize_t n = recv(c, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            m_received.append(buf, static_cast<size_t>(n));
            if (!replied && m_received.find("\r\n\r\n") != std::string::npos) {
                send(c, m_reply.data(), m_reply.size(), MSG_NOSIGNAL);
                replied = true;
            }
        }
        close(c);
    }

    int m_fd = -1;
    UINT m_port = 0;
    std::string m_reply;
    std::string m_received;
    std::atomic<bool> m_accepted{false};
    std::thread m_thread;
};

// Records what reaches the user through the report hook.
class ReportRecorder {
public:
    ReportRecorder() : m_old(CException::SetReportHook(&Record)) { Texts().clear(); }
    ~ReportRecorder() { CException::SetReportHook(m_old); }
    static std::vector<std::string>& Texts() {
        static std::vector<std::string> texts;
        return texts;
    }

private:
    static int Record(LPCTSTR text, UINT) {
        Texts().push_back(text);
        return 1;
    }
    CException::ReportHook m_old;
};

TEST(HttpClientSocket, ProxyAnswersOtherThan200CloseTheSocket) {
    struct Case {
        std::string reply;
        bool connected;
        bool authMessage;
    };
    const std::vector<Case> cases = {
        {"HTTP/1.0 200 Connection established\r\nProxy-agent: x\r\n\r\n", true, false},
        {"HTTP/1.0 407 Proxy Authentication Required\r\n\r\n", false, true},
        {"HTTP/1.0 403 Forbidden\r\n\r\n", false, false},
        {"HTTP/1.0 200 but the head never ends\r\n", false, false},
        {"garbage-without-a-blank\r\n\r\n", false, false},
    };
    for (const Case& c : cases) {
        ScopedPollSource events(2000, 300);
        ReportRecorder reports;
        ScriptedServer proxy(c.reply);
        CHttpClientSocket s;
        ASSERT_TRUE(s.Create());
        s.m_strProxyHost = "127.0.0.1";
        s.m_nProxyPort = proxy.Port();
        EXPECT_EQ(c.connected, s.ConnectViaProxy("10.1.2.3", 7086) != FALSE) << c.reply;
        EXPECT_EQ(c.connected, s.m_hSocket != INVALID_SOCKET) << c.reply;
        s.CloseSocket();
        EXPECT_EQ(std::string("CONNECT 10.1.2.3:7086 HTTP/1.0\r\nhost: 10.1.2.3:7086\r\n\r\n"),
                  proxy.Received());
        EXPECT_EQ(c.authMessage ? std::vector<std::string>{CHttpClientSocket::kProxyAuthMessage}
                                : std::vector<std::string>{},
                  ReportRecorder::Texts())
            << c.reply;
    }
}

TEST(HttpClientSocket, HostThatWouldBreakTheConnectLineIsRefusedBeforeAnythingIsSent) {
    ScopedPollSource events(2000, 300);
    ScriptedServer proxy("HTTP/1.0 200 OK\r\n\r\n");
    for (const char* host : {"a\r\nX-Evil: 1", "a b", "tab\there", ""}) {
        CHttpClientSocket s;
        ASSERT_TRUE(s.Create());
        s.m_strProxyHost = "127.0.0.1";
        s.m_nProxyPort = proxy.Port();
        EXPECT_FALSE(s.ConnectViaProxy(host, 80)) << host;
    }
    EXPECT_FALSE(proxy.Accepted());
}

TEST(HttpClientSocket, TunnelsThroughARealProxyAndMeetsItsPasswordDemand) {
    if (!test_net::LoopbackProxy::IsAvailable())
        FAIL() << "tinyproxy is not installed (scripts/install-deps.sh installs it)";
    ScopedPollSource events(5000, 5000);
    CSocket target;
    UINT targetPort = ListenOnLoopback(target);

    test_net::LoopbackProxy open;
    ASSERT_TRUE(open.Start()) << open.Error();
    CHttpClientSocket s;
    ASSERT_TRUE(s.Create());
    s.m_strProxyHost = "127.0.0.1";
    s.m_nProxyPort = static_cast<UINT>(open.Port());
    ASSERT_TRUE(s.ConnectViaProxy("127.0.0.1", targetPort)) << open.Log();
    CSocket accepted;
    ASSERT_TRUE(target.Accept(accepted));
    ASSERT_EQ(9, s.SendLine("through", TRUE));
    char buf[16] = {};
    int got = 0;
    while (got < 9) {
        int n = accepted.Receive(buf + got, 9 - got);
        ASSERT_GT(n, 0);
        got += n;
    }
    EXPECT_EQ(std::string("through\r\n"), std::string(buf, 9));

    ReportRecorder reports;
    test_net::LoopbackProxy guarded;
    guarded.SetBasicAuth("puser", "ppass");
    ASSERT_TRUE(guarded.Start()) << guarded.Error();
    CHttpClientSocket refused;
    ASSERT_TRUE(refused.Create());
    refused.m_strProxyHost = "127.0.0.1";
    refused.m_nProxyPort = static_cast<UINT>(guarded.Port());
    EXPECT_FALSE(refused.ConnectViaProxy("127.0.0.1", targetPort));
    EXPECT_EQ(INVALID_SOCKET, refused.m_hSocket);
    EXPECT_EQ(std::vector<std::string>{CHttpClientSocket::kProxyAuthMessage},
              ReportRecorder::Texts());
}

} // namespace
