// What socket tests share: a poll event source installed for one test, short time-outs, and a
// socket that records its notices and lets a test choose what each one does.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/net/AsyncSocket.h"
#include "platform/net/SocketEvents.h"

namespace test_net {

// Installs its own poll source and short waits; restores both afterwards.
class ScopedPollSource {
public:
    explicit ScopedPollSource(UINT connectMs = 2000, UINT transferMs = 2000)
        : m_old(AfxSetSocketEventSource(&source)),
          m_oldTimeouts(AfxSetSocketTimeouts(SocketTimeouts{connectMs, transferMs})) {}
    ~ScopedPollSource() {
        AfxSetSocketEventSource(m_old);
        AfxSetSocketTimeouts(m_oldTimeouts);
    }
    ScopedPollSource(const ScopedPollSource&) = delete;
    ScopedPollSource& operator=(const ScopedPollSource&) = delete;

    bool RunUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
        return source.RunUntil(done, timeoutMs);
    }
    // Lets the source deliver whatever is ready for a moment.
    void Settle(int ms = 100) {
        source.RunUntil([] { return false; }, ms);
    }

    CPollEventSource source;

private:
    CISocketEventSource* m_old;
    SocketTimeouts m_oldTimeouts;
};

// Records each notice as "receive", "send", "accept", "connect:<err>", "close:<err>". Without a
// handler of its own, a read notice reads up to 1023 bytes into `received`.
class RecordingSocket : public CAsyncSocket {
public:
    using Handler = std::function<void(RecordingSocket&, int)>;

    std::vector<std::string> notices;
    std::string received;
    Handler onReceive, onSend, onAccept, onConnect, onClose;

    int Count(const std::string& notice) const {
        int n = 0;
        for (const auto& s : notices)
            n += s == notice;
        return n;
    }
    // Reads once into `received`; answers what Receive answered.
    int ReadSome(int max = 1023) {
        std::string buf(static_cast<size_t>(max), '\0');
        int n = Receive(buf.data(), max);
        if (n > 0)
            received.append(buf.data(), static_cast<size_t>(n));
        return n;
    }

protected:
    void OnReceive(int err) override {
        notices.push_back("receive");
        if (onReceive)
            onReceive(*this, err);
        else
            ReadSome();
    }
    void OnSend(int err) override {
        notices.push_back("send");
        if (onSend)
            onSend(*this, err);
    }
    void OnAccept(int err) override {
        notices.push_back("accept");
        if (onAccept)
            onAccept(*this, err);
    }
    void OnConnect(int err) override {
        notices.push_back("connect:" + std::to_string(err));
        if (onConnect)
            onConnect(*this, err);
    }
    void OnClose(int err) override {
        notices.push_back("close:" + std::to_string(err));
        if (onClose)
            onClose(*this, err);
    }
};

// A listening socket on 127.0.0.1 at a port of the system's choosing.
inline UINT ListenOnLoopback(CAsyncSocket& listener, int backlog = 5, long lEvent = FD_ALL_EVENTS) {
    if (!listener.Create(0, 1, lEvent, "127.0.0.1") || !listener.Listen(backlog))
        return 0;
    CString address;
    UINT port = 0;
    listener.GetSockName(address, port);
    return port;
}

// A blocking client of type C connected to the accepted end of its connection, on one thread:
// a test writes first, then reads. `ok` tells whether all of it worked.
template <class C = CSocket> struct BlockingPair {
    BlockingPair() {
        port = ListenOnLoopback(listener);
        ok = port != 0 && client.Create() && client.Connect("127.0.0.1", port) &&
             listener.Accept(server);
    }
    CSocket listener;
    C client;
    CSocket server;
    UINT port = 0;
    bool ok = false;
};

} // namespace test_net
