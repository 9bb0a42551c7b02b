#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/base/Archive.h"
#include "platform/base/tests/ThrownCause.h"
#include "platform/net/AsyncSocket.h"
#include "platform/net/SocketFile.h"
#include "testsupport/SocketTestSupport.h"

using test_net::BlockingPair;
using test_net::ListenAndDropOnLoopback;
using test_net::ListenOnLoopback;
using test_net::RecordingSocket;
using test_net::ScopedPollSource;
using test_net::ScopedResolver;

namespace {

// A listener that accepts every connection into a RecordingSocket of its own, and a client
// connected to it.
class ConnectedPair : public ::testing::Test {
protected:
    void SetUp() override {
        listener.onAccept = [this](RecordingSocket& l, int) {
            auto s = std::make_unique<RecordingSocket>();
            ASSERT_TRUE(l.Accept(*s));
            accepted.push_back(std::move(s));
        };
        port = ListenOnLoopback(listener);
        ASSERT_NE(0u, port);
        ASSERT_TRUE(client.Create());
        EXPECT_FALSE(client.Connect("127.0.0.1", port));
        EXPECT_EQ(WSAEWOULDBLOCK, CAsyncSocket::GetLastError());
        ASSERT_TRUE(
            events.RunUntil([&] { return client.Count("connect:0") == 1 && !accepted.empty(); }));
        server = accepted[0].get();
    }

    ScopedPollSource events;
    RecordingSocket listener;
    RecordingSocket client;
    std::vector<std::unique_ptr<RecordingSocket>> accepted;
    RecordingSocket* server = nullptr;
    UINT port = 0;
};

TEST_F(ConnectedPair, ConnectsAcceptsAndNamesBothEnds) {
    CString address;
    UINT localPort = 0;
    ASSERT_TRUE(client.GetSockName(address, localPort));
    EXPECT_EQ(CString("127.0.0.1"), address);
    CString peer;
    UINT peerPort = 0;
    ASSERT_TRUE(server->GetPeerName(peer, peerPort));
    EXPECT_EQ(localPort, peerPort);
    ASSERT_TRUE(client.GetPeerName(peer, peerPort));
    EXPECT_EQ(port, peerPort);
    // The accepted socket selects what the listener selects.
    EXPECT_EQ(FD_ALL_EVENTS, server->GetSelectedEvents());
}

TEST_F(ConnectedPair, ReadNoticeComesAgainWhileDataRemainButOnlyAfterAReceive) {
    server->AsyncSelect(FD_READ | FD_CLOSE);
    // The first notice is not answered with a read: no second one comes.
    server->onReceive = [](RecordingSocket&, int) {};
    client.AsyncSelect(FD_READ | FD_CLOSE);
    std::string block(1500, 'x');
    ASSERT_EQ(1500, client.Send(block.data(), 1500));
    ASSERT_TRUE(events.RunUntil([&] { return server->Count("receive") == 1; }));
    events.Settle();
    EXPECT_EQ(1, server->Count("receive"));

    // Reading re-arms the notice; 1500 bytes read 1023 at a time take two notices.
    server->onReceive = nullptr;
    EXPECT_EQ(1023, server->ReadSome(1023));
    ASSERT_TRUE(events.RunUntil([&] { return server->received.size() == 1500; }));
    EXPECT_EQ(2, server->Count("receive"));
    events.Settle();
    EXPECT_EQ(2, server->Count("receive"));
}

TEST_F(ConnectedPair, EndOfStreamIsOneCloseNoticeAfterTheData) {
    client.AsyncSelect(FD_READ | FD_CLOSE);
    server->AsyncSelect(FD_READ | FD_CLOSE);
    ASSERT_EQ(5, client.Send("hello", 5));
    client.ShutDown(CAsyncSocket::both);
    client.Close();
    ASSERT_TRUE(events.RunUntil([&] { return server->Count("close:0") == 1; }));
    events.Settle();
    EXPECT_EQ("hello", server->received);
    EXPECT_EQ((std::vector<std::string>{"receive", "close:0"}), server->notices);
    // After the close notice a read answers the end of the stream.
    char c;
    EXPECT_EQ(0, server->Receive(&c, 1));
}

TEST_F(ConnectedPair, WriteNoticeOnlyWhileSelectedAndWritable) {
    server->AsyncSelect(0);
    client.AsyncSelect(FD_WRITE);
    // Selected and writable: notices keep coming until the handler deselects.
    client.onSend = [](RecordingSocket& s, int) {
        if (s.Count("send") == 3)
            s.AsyncSelect(0);
    };
    ASSERT_TRUE(events.RunUntil([&] { return client.Count("send") == 3; }));
    events.Settle();
    EXPECT_EQ(3, client.Count("send"));

    // A socket that takes no more (the peer does not read) gives no write notice until the peer
    // reads.
    std::string block(64 * 1024, 'y');
    long long sent = 0;
    for (;;) {
        int n = client.Send(block.data(), static_cast<int>(block.size()));
        if (n == SOCKET_ERROR) {
            EXPECT_EQ(WSAEWOULDBLOCK, CAsyncSocket::GetLastError());
            break;
        }
        sent += n;
    }
    client.onSend = nullptr;
    client.AsyncSelect(FD_WRITE);
    events.Settle();
    EXPECT_EQ(3, client.Count("send"));
    long long drained = 0;
    ASSERT_TRUE(events.RunUntil([&] {
        char buf[65536];
        int n = server->Receive(buf, sizeof buf);
        if (n > 0)
            drained += n;
        return client.Count("send") > 3;
    }));
    EXPECT_GT(drained, 0);
    client.AsyncSelect(0);
}

TEST_F(ConnectedPair, WritingToAPeerThatHasGoneGivesAnErrorNotASignal) {
    server->Close();
    std::string block(4096, 'z');
    int result = 0;
    ASSERT_TRUE(events.RunUntil([&] {
        result = client.Send(block.data(), static_cast<int>(block.size()));
        return result == SOCKET_ERROR && CAsyncSocket::GetLastError() != WSAEWOULDBLOCK;
    }));
    int err = CAsyncSocket::GetLastError();
    EXPECT_TRUE(err == WSAECONNRESET || err == WSAECONNABORTED) << err;
}

TEST_F(ConnectedPair, SocketDestroyedInsideItsOwnNoticesIsSafe) {
    // Destroyed in a read notice while a write notice is due in the same round: the source
    // must not touch it again (the sanitizer would see it).
    RecordingSocket* doomed = accepted[0].release();
    doomed->AsyncSelect(FD_READ | FD_WRITE | FD_CLOSE);
    bool gone = false;
    doomed->onReceive = [&](RecordingSocket& s, int) {
        gone = true; // before the delete, which takes this handler with it
        delete &s;
    };
    client.AsyncSelect(FD_READ | FD_CLOSE);
    ASSERT_EQ(1, client.Send("x", 1));
    ASSERT_TRUE(events.RunUntil([&] { return gone; }));
    // The byte it never read makes the end a reset, which the peer sees; the source goes on
    // serving the others.
    ASSERT_TRUE(events.RunUntil([&] { return client.Count("close:10054") == 1; }));

    // Destroyed in its close notice.
    auto* second = new RecordingSocket;
    ASSERT_TRUE(second->Create());
    second->Connect("127.0.0.1", port);
    bool closed = false;
    second->onClose = [&](RecordingSocket& s, int) {
        closed = true;
        delete &s;
    };
    ASSERT_TRUE(events.RunUntil([&] { return accepted.size() == 2; }));
    accepted[1]->Close();
    ASSERT_TRUE(events.RunUntil([&] { return closed; }));
}

TEST(AsyncSocket, RefusedConnectionGives10061) {
    ScopedPollSource events;
    // A port that was just free, with nobody listening.
    RecordingSocket probe;
    UINT port = ListenOnLoopback(probe);
    probe.Close();
    RecordingSocket client;
    ASSERT_TRUE(client.Create());
    if (!client.Connect("127.0.0.1", port) && CAsyncSocket::GetLastError() != WSAEWOULDBLOCK) {
        EXPECT_EQ(WSAECONNREFUSED, CAsyncSocket::GetLastError());
        return;
    }
    ASSERT_TRUE(events.RunUntil([&] { return !client.notices.empty(); }));
    EXPECT_EQ((std::vector<std::string>{"connect:10061"}), client.notices);
}

TEST(AsyncSocket, UnansweredConnectionEndsWith10060AfterTheConnectTimeOut) {
    ScopedPollSource events(300);
    // A listener that accepts nobody, with the smallest queue: once the queue is full the system
    // drops further attempts without an answer.
    CAsyncSocket listener;
    UINT port = ListenOnLoopback(listener, 0);
    ASSERT_NE(0u, port);
    std::vector<std::unique_ptr<RecordingSocket>> clients;
    for (int i = 0; i < 4; ++i) {
        clients.push_back(std::make_unique<RecordingSocket>());
        ASSERT_TRUE(clients.back()->Create());
        clients.back()->Connect("127.0.0.1", port);
    }
    ASSERT_TRUE(events.RunUntil([&] {
        for (auto& c : clients)
            if (c->notices.empty())
                return false;
        return true;
    }));
    EXPECT_EQ((std::vector<std::string>{"connect:10060"}), clients.back()->notices);
    // A blocking connect gives up the same way.
    CSocket blocking;
    ASSERT_TRUE(blocking.Create());
    EXPECT_FALSE(blocking.Connect("127.0.0.1", port));
    EXPECT_EQ(WSAETIMEDOUT, CAsyncSocket::GetLastError());
}

TEST(AsyncSocket, HostThatCannotBeAnAddressFailsWithoutAskingANameServer) {
    ScopedPollSource events;
    for (const char* host : {"13800138000", "1.2.3", "no such host", "张三", ""}) {
        CSocket s;
        ASSERT_TRUE(s.Create());
        EXPECT_FALSE(s.Connect(host, 7)) << host;
        EXPECT_EQ(WSAHOST_NOT_FOUND, CAsyncSocket::GetLastError()) << host;
    }
}

TEST(AsyncSocket, HostNameIsLookedUpOffTheNoticeThreadAndEndsInTheConnectNotice) {
    ScopedPollSource events(400);
    RecordingSocket listener;
    UINT port = ListenAndDropOnLoopback(listener);
    ScopedResolver names({{"mail.example", "127.0.0.1"}}, {"dead.example"});
    struct Case {
        const char* host;
        const char* notice;
    };
    for (const Case& c :
         {Case{"mail.example", "connect:0"}, Case{"nobody.example", "connect:11001"},
          Case{"dead.example", "connect:10060"}}) {
        RecordingSocket client;
        ASSERT_TRUE(client.Create(0, 1, FD_CONNECT));
        long long start = AfxSocketClockMs();
        EXPECT_FALSE(client.Connect(c.host, port)) << c.host;
        EXPECT_EQ(WSAEWOULDBLOCK, CAsyncSocket::GetLastError()) << c.host;
        EXPECT_LT(AfxSocketClockMs() - start, 1000) << c.host; // never the lookup's wait
        ASSERT_TRUE(events.RunUntil([&] { return !client.notices.empty(); })) << c.host;
        events.Settle(50);
        EXPECT_EQ((std::vector<std::string>{c.notice}), client.notices) << c.host;
    }
    // The blocking flavour asks the same resolver.
    CSocket blocking;
    ASSERT_TRUE(blocking.Create());
    EXPECT_TRUE(blocking.Connect("mail.example", port));
    CSocket unknown;
    ASSERT_TRUE(unknown.Create());
    EXPECT_FALSE(unknown.Connect("nobody.example", port));
    EXPECT_EQ(WSAHOST_NOT_FOUND, CAsyncSocket::GetLastError());
}

TEST(AsyncSocket, NameServerThatNeverAnswersLeavesTimersRunningAndTheSocketClosable) {
    ScopedPollSource events(60000);
    ScopedResolver names({{"dead.example", "127.0.0.1"}}, {"dead.example"});
    CISocketEventSource* source = AfxGetSocketEventSource();
    int ticks = 0;
    std::function<void()> tick = [&] {
        ++ticks;
        source->SetTimer(10, tick);
    };
    source->SetTimer(10, tick);
    auto closed = std::make_unique<RecordingSocket>();
    auto destroyed = std::make_unique<RecordingSocket>();
    ASSERT_TRUE(closed->Create() && destroyed->Create());
    EXPECT_FALSE(closed->Connect("dead.example", 25));
    EXPECT_FALSE(destroyed->Connect("dead.example", 25));
    ASSERT_TRUE(events.RunUntil([&] { return ticks >= 10; }, 2000));
    EXPECT_EQ(2, names.Waiting());
    // Both let go of the lookup: one closed and used again for a known address, one destroyed.
    closed->Close();
    destroyed.reset();
    RecordingSocket listener;
    UINT port = ListenAndDropOnLoopback(listener);
    ASSERT_TRUE(closed->Create(0, 1, FD_CONNECT));
    EXPECT_FALSE(closed->Connect("127.0.0.1", port));
    ASSERT_TRUE(events.RunUntil([&] { return !closed->notices.empty(); }));
    // The late answers reach nobody.
    names.Release();
    events.Settle(50);
    EXPECT_EQ((std::vector<std::string>{"connect:0"}), closed->notices);
}

// A blocking socket that tells each time it could serve its caller's window while it waits.
class PatientSocket : public CSocket {
public:
    int pending = 0;
    std::function<void()> onPending;

protected:
    void OnMessagePending() override {
        ++pending;
        if (onPending)
            onPending();
    }
};

// The blocking flavour looks a name up off the calling thread too: the caller is served while
// the name server keeps it waiting, an answer that never comes costs the connect time-out, and
// a name answered late or at once connects.
TEST(AsyncSocket, BlockingConnectServesTheCallerWhileANameIsLookedUp) {
    ScopedPollSource events(400);
    RecordingSocket listener;
    UINT port = ListenAndDropOnLoopback(listener);
    ScopedResolver names({{"late.example", "127.0.0.1"}, {"localhost", "127.0.0.1"}},
                         {"dead.example", "late.example"});
    {
        PatientSocket dead;
        ASSERT_TRUE(dead.Create());
        long long start = AfxSocketClockMs();
        EXPECT_FALSE(dead.Connect("dead.example", port));
        EXPECT_EQ(WSAETIMEDOUT, CAsyncSocket::GetLastError());
        EXPECT_LT(AfxSocketClockMs() - start, 2000);
        EXPECT_GT(dead.pending, 5);
        EXPECT_EQ(1, names.Waiting()) << "given up on, not waited for";
    }
    PatientSocket late;
    ASSERT_TRUE(late.Create());
    late.onPending = [&] {
        if (late.pending == 3)
            names.Release(); // the silent names answer now
    };
    EXPECT_TRUE(late.Connect("late.example", port));
    EXPECT_GE(late.pending, 3);
    for (const char* host : {"localhost", "nobody.example"}) {
        PatientSocket s;
        ASSERT_TRUE(s.Create());
        EXPECT_EQ(host == std::string("localhost"), s.Connect(host, port)) << host;
    }
    EXPECT_EQ(WSAHOST_NOT_FOUND, CAsyncSocket::GetLastError());
}

TEST(AsyncSocket, AcceptNoticeComesAgainOnlyAfterAccept) {
    ScopedPollSource events;
    RecordingSocket listener;
    listener.onAccept = [](RecordingSocket&, int) {};
    UINT port = ListenOnLoopback(listener);
    CSocket a, b;
    ASSERT_TRUE(a.Create() && b.Create());
    ASSERT_TRUE(a.Connect("127.0.0.1", port));
    ASSERT_TRUE(b.Connect("127.0.0.1", port));
    ASSERT_TRUE(events.RunUntil([&] { return listener.Count("accept") == 1; }));
    events.Settle();
    EXPECT_EQ(1, listener.Count("accept"));
    CAsyncSocket first;
    ASSERT_TRUE(listener.Accept(first));
    ASSERT_TRUE(events.RunUntil([&] { return listener.Count("accept") == 2; }));
    // A socket that already has a connection takes no second one.
    EXPECT_FALSE(listener.Accept(first));
    EXPECT_EQ(WSAEINVAL, CAsyncSocket::GetLastError());
}

TEST(SocketTimers, RunOnceAfterTheirDelayAndCanBeKilled) {
    ScopedPollSource events;
    CISocketEventSource* source = AfxGetSocketEventSource();
    std::vector<std::string> ran;
    long long start = AfxSocketClockMs();
    long long firstAt = 0;
    source->SetTimer(60, [&] {
        ran.push_back("first");
        firstAt = AfxSocketClockMs();
        // A timer set from a timer runs later.
        source->SetTimer(0, [&] { ran.push_back("chained"); });
    });
    UINT_PTR killed = source->SetTimer(10, [&] { ran.push_back("killed"); });
    source->KillTimer(killed);
    source->KillTimer(9999);
    ASSERT_TRUE(events.RunUntil([&] { return ran.size() == 2; }));
    EXPECT_EQ((std::vector<std::string>{"first", "chained"}), ran);
    EXPECT_GE(firstAt - start, 60);
    events.Settle();
    EXPECT_EQ(2u, ran.size());
}

TEST(BlockingSocket, ReceiveAndAcceptGiveUpWith10060) {
    ScopedPollSource events(2000, 150);
    CSocket listener;
    UINT port = ListenOnLoopback(listener);
    CSocket idle;
    EXPECT_FALSE(listener.Accept(idle));
    EXPECT_EQ(WSAETIMEDOUT, CAsyncSocket::GetLastError());

    CSocket client;
    ASSERT_TRUE(client.Create());
    ASSERT_TRUE(client.Connect("127.0.0.1", port));
    CSocket server;
    ASSERT_TRUE(listener.Accept(server));
    char buf[16];
    long long start = AfxSocketClockMs();
    EXPECT_EQ(SOCKET_ERROR, server.Receive(buf, sizeof buf));
    EXPECT_EQ(WSAETIMEDOUT, CAsyncSocket::GetLastError());
    EXPECT_GE(AfxSocketClockMs() - start, 140);
}

TEST(BlockingSocket, ArchiveOverASocketFileCarriesStrings) {
    ScopedPollSource events;
    BlockingPair<> pair;
    ASSERT_TRUE(pair.ok);
    {
        CSocketFile file(&pair.client);
        CArchive ar(&file, CArchive::store);
        ar << CString("即时消息") << CString("张三\n127.0.0.1") << CString("");
        ar.Flush();
    }
    pair.client.ShutDown(CAsyncSocket::sends);
    CSocketFile file(&pair.server);
    CArchive ar(&file, CArchive::load);
    CString a, b, c;
    ar >> a >> b >> c;
    EXPECT_EQ(CString("即时消息"), a);
    EXPECT_EQ(CString("张三\n127.0.0.1"), b);
    EXPECT_TRUE(c.IsEmpty());
    // The stream ends: a further string is an archive error, not a hang.
    CString d;
    EXPECT_EQ(CArchiveException::endOfFile, ThrownCause<CArchiveException>([&] { ar >> d; }));
}

TEST(BlockingSocket, SocketFileThrowsTheSocketErrorWhenAReadTimesOut) {
    ScopedPollSource events(2000, 100);
    BlockingPair<> pair;
    ASSERT_TRUE(pair.ok);
    CSocketFile file(&pair.server);
    char buf[4];
    try {
        file.Read(buf, sizeof buf);
        FAIL() << "the read returned";
    } catch (CFileException* e) {
        EXPECT_EQ(WSAETIMEDOUT, e->m_lOsError);
        e->Delete();
    }
}

} // namespace
