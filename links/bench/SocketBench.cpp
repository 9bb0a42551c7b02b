// Throughput of the asynchronous sockets on loopback, driven by the poll event source: a 64 MiB
// block sent with StartSend, 64 MiB received through read notices, and 1000 instant messages to
// one listener.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "links/InstantMessage.h"
#include "links/KovAsyncSocket.h"
#include "links/ListeningSocket.h"
#include "platform/net/SocketEvents.h"
#include "sms/Sender.h"
#include "sms/Sms.h"

namespace {

constexpr size_t kBlock = 64u * 1024 * 1024;

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Accepts one connection into a socket made by the factory.
template <class S> class OneShotListener : public CAsyncSocket {
public:
    std::unique_ptr<S> accepted;

protected:
    void OnAccept(int) override {
        accepted = std::make_unique<S>();
        Accept(*accepted);
    }
};

// Reads everything with large reads.
class BulkReader : public CAsyncSocket {
public:
    size_t total = 0;

protected:
    void OnReceive(int) override {
        static char buf[256 * 1024];
        int n = Receive(buf, sizeof buf);
        if (n > 0)
            total += static_cast<size_t>(n);
    }
};

// Writes a block with large sends whenever the socket takes data.
class BulkWriter : public CAsyncSocket {
public:
    std::string block;
    size_t sent = 0;

protected:
    void OnSend(int) override {
        while (sent < block.size()) {
            int n = Send(block.data() + sent, static_cast<int>(block.size() - sent));
            if (n <= 0)
                return;
            sent += static_cast<size_t>(n);
        }
        AsyncSelect(FD_CLOSE);
    }
};

class CountingReader : public CKovAsyncSocket {
public:
    size_t total = 0;

protected:
    void OnDataReceived(int length) override {
        total += static_cast<size_t>(length);
        CKovAsyncSocket::OnDataReceived(length);
    }
};

class Completing : public CKovAsyncSocket {
public:
    bool done = false;

protected:
    void OnSendComplete() override { done = true; }
};

template <class Server, class Client>
bool Connect(CPollEventSource& events, OneShotListener<Server>& listener, Client& client) {
    CString address;
    UINT port = 0;
    if (!listener.Create(0, 1, FD_ACCEPT, "127.0.0.1") || !listener.Listen(5) ||
        !listener.GetSockName(address, port) || !client.Create(0, 1, FD_CONNECT))
        return false;
    client.Connect("127.0.0.1", port);
    return events.RunUntil([&] { return listener.accepted != nullptr; }, 5000);
}

void SendBlock(CPollEventSource& events) {
    OneShotListener<BulkReader> listener;
    Completing sender;
    if (!Connect(events, listener, sender))
        return std::puts("StartSend: no connection"), void();
    listener.accepted->AsyncSelect(FD_READ | FD_CLOSE);
    std::string block(kBlock, 'b');
    auto start = std::chrono::steady_clock::now();
    sender.SetEvents(FD_CLOSE);
    sender.StartSend(block.data(), static_cast<int>(block.size()));
    events.RunUntil([&] { return listener.accepted->total == kBlock; }, 120000);
    double s = Seconds(start);
    std::printf("StartSend of 64 MiB: %.1f MB/s (%s)\n", kBlock / 1e6 / s,
                sender.done ? "complete" : "INCOMPLETE");
}

void ReceiveBlock(CPollEventSource& events) {
    OneShotListener<BulkWriter> listener;
    CountingReader reader;
    if (!Connect(events, listener, reader))
        return std::puts("read notices: no connection"), void();
    reader.SetEvents(FD_READ | FD_CLOSE);
    listener.accepted->block.assign(kBlock, 'r');
    auto start = std::chrono::steady_clock::now();
    listener.accepted->AsyncSelect(FD_WRITE | FD_CLOSE);
    events.RunUntil([&] { return reader.total == kBlock; }, 120000);
    double s = Seconds(start);
    std::printf("64 MiB through read notices (1023 bytes each): %.1f MB/s (%zu bytes)\n",
                kBlock / 1e6 / s, reader.total);
}

class Sink : public CIListeningSocketOwner, public CIIncomingSmsSink {
public:
    _CSender account{"bench"};
    int count = 0;
    _CSender* GetListeningAccount() override { return &account; }
    void MarkModified() override {}
    int DeliverIncomingSms(_CSms* pSms, _CSender*) override {
        delete pSms;
        ++count;
        return 1;
    }
};

void InstantMessages(CPollEventSource& events) {
    Sink sink;
    CListeningSocket listener(&sink, &sink);
    CString address;
    UINT port = 0;
    if (!listener.Create(0, 1, FD_ALL_EVENTS, "127.0.0.1") || !listener.Listen(5) ||
        !listener.GetSockName(address, port))
        return std::puts("instant messages: no listener"), void();
    SetInstantMessageSendPortForTesting(port);
    _CSender from("sender");
    const int kMessages = 1000;
    int failed = 0;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kMessages; ++i) {
        if (SendInstantMessage(from, "127.0.0.1", "基准测试的一条即时消息", "bench") != 0)
            ++failed;
        // Keep the listener's queue short, as a user's copy would.
        events.Pump(0);
    }
    events.RunUntil([&] { return sink.count + failed == kMessages; }, 60000);
    double s = Seconds(start);
    std::printf("instant messages: %.0f messages/s (%d delivered, %d failed)\n", kMessages / s,
                sink.count, failed);
    SetInstantMessageSendPortForTesting(0);
}

} // namespace

int main() {
    CPollEventSource events;
    AfxSetSocketEventSource(&events);
    SendBlock(events);
    ReceiveBlock(events);
    InstantMessages(events);
    AfxSetSocketEventSource(nullptr);
    return 0;
}
