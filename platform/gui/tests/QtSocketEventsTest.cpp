// Sockets and timers driven by the Qt event loop, as they run in the program.
#include "GuiTestSupport.h"

#include <QTimer>

#include <memory>

#include "platform/gui/QtSocketEvents.h"
#include "testsupport/SocketTestSupport.h"

using test_net::ListenAndDropOnLoopback;
using test_net::ListenOnLoopback;
using test_net::RecordingSocket;
using test_net::ScopedResolver;

namespace {

class QtSocketEvents : public GuiTest {
protected:
    void SetUp() override {
        ASSERT_EQ(&CQtSocketEventSource::Instance(), AfxGetSocketEventSource());
    }
};

TEST_F(QtSocketEvents, ConnectExchangeAndCloseArriveFromTheEventLoop) {
    RecordingSocket listener;
    std::unique_ptr<RecordingSocket> server;
    listener.onAccept = [&](RecordingSocket& l, int) {
        server = std::make_unique<RecordingSocket>();
        ASSERT_TRUE(l.Accept(*server));
        server->AsyncSelect(FD_READ | FD_CLOSE);
    };
    UINT port = ListenOnLoopback(listener);
    ASSERT_NE(0u, port);
    RecordingSocket client;
    ASSERT_TRUE(client.Create());
    EXPECT_FALSE(client.Connect("127.0.0.1", port));
    ASSERT_TRUE(WaitFor([&] { return client.Count("connect:0") == 1 && server; }));

    // A block of 1500 bytes reaches the reader 1023 bytes at a time, then one close notice.
    client.AsyncSelect(FD_READ | FD_CLOSE);
    std::string block(1500, 'k');
    ASSERT_EQ(1500, client.Send(block.data(), 1500));
    client.Close();
    ASSERT_TRUE(WaitFor([&] { return server->Count("close:0") == 1; }));
    Pump();
    EXPECT_EQ(block, server->received);
    EXPECT_EQ((std::vector<std::string>{"receive", "receive", "close:0"}), server->notices);
}

TEST_F(QtSocketEvents, SocketDestroyedInItsOwnNoticeAndTimersAreSafe) {
    RecordingSocket listener;
    RecordingSocket* server = nullptr;
    listener.onAccept = [&](RecordingSocket& l, int) {
        server = new RecordingSocket;
        ASSERT_TRUE(l.Accept(*server));
        server->AsyncSelect(FD_READ | FD_WRITE | FD_CLOSE);
    };
    UINT port = ListenOnLoopback(listener);
    CSocket client;
    ASSERT_TRUE(client.Create());
    ASSERT_TRUE(client.Connect("127.0.0.1", port));
    ASSERT_TRUE(WaitFor([&] { return server != nullptr; }));
    bool gone = false;
    server->onReceive = [&](RecordingSocket& s, int) {
        gone = true; // before the delete, which takes this handler with it
        delete &s;
    };
    ASSERT_EQ(1, client.Send("x", 1));
    ASSERT_TRUE(WaitFor([&] { return gone; }));
    Pump();

    CISocketEventSource* source = AfxGetSocketEventSource();
    int ran = 0;
    UINT_PTR killed = source->SetTimer(5, [&] { ran += 100; });
    source->SetTimer(20, [&] {
        ++ran;
        source->KillTimer(killed); // already gone: ignored
        source->SetTimer(0, [&] { ++ran; });
    });
    source->KillTimer(killed);
    ASSERT_TRUE(WaitFor([&] { return ran == 2; }));
    Pump();
    EXPECT_EQ(2, ran);
}

// A name server that never answers leaves the window thread free: its timers keep firing, a
// socket waiting for the name closes cleanly, and a name that is answered connects.
TEST_F(QtSocketEvents, NameLookupsLeaveTheWindowThreadFree) {
    RecordingSocket listener;
    UINT port = ListenAndDropOnLoopback(listener);
    ScopedResolver names({{"mail.example", "127.0.0.1"}}, {"dead.example"});
    auto waiting = std::make_unique<RecordingSocket>();
    ASSERT_TRUE(waiting->Create());
    EXPECT_FALSE(waiting->Connect("dead.example", port));
    EXPECT_EQ(WSAEWOULDBLOCK, CAsyncSocket::GetLastError());
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    EXPECT_TRUE(WaitFor([&] { return ticks >= 10; }));
    timer.stop();
    EXPECT_TRUE(waiting->notices.empty());
    waiting.reset();

    RecordingSocket client;
    ASSERT_TRUE(client.Create(0, 1, FD_CONNECT));
    EXPECT_FALSE(client.Connect("mail.example", port));
    ASSERT_TRUE(WaitFor([&] { return !client.notices.empty(); }));
    EXPECT_EQ((std::vector<std::string>{"connect:0"}), client.notices);
    names.Release();
    Pump();
}

} // namespace
