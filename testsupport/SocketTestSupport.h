// What socket tests share: a poll event source installed for one test, short time-outs, and a
// socket that records its notices and lets a test choose what each one does.
#pragma once

#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
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

// A listener on 127.0.0.1 that takes every connection and closes it at once: a peer that only
// answers connection attempts.
inline UINT ListenAndDropOnLoopback(RecordingSocket& listener) {
    listener.onAccept = [](RecordingSocket& l, int) {
        CAsyncSocket connection;
        l.Accept(connection);
    };
    return ListenOnLoopback(listener);
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

// Stands in for the name servers while it lives: a name in `answers` resolves to its dotted
// address, any other name is unknown, and a name in `silent` gets no answer until the stand-in
// goes (as a dead name server would). On leaving it lets every waiting lookup end and waits for
// them, so that no lookup outlives the test.
class ScopedResolver {
public:
    ScopedResolver(std::map<std::string, std::string> answers, std::vector<std::string> silent = {})
        : m_state(std::make_shared<State>()) {
        m_state->answers = std::move(answers);
        m_state->silent = std::move(silent);
        m_old = AfxSetHostResolver([state = m_state](const char* host, uint32_t& addr) {
            std::unique_lock<std::mutex> lock(state->lock);
            ++state->asked;
            ++state->running;
            for (const auto& name : state->silent)
                if (name == host)
                    state->changed.wait(lock, [&] { return state->released; });
            auto it = state->answers.find(host);
            bool found =
                it != state->answers.end() && inet_pton(AF_INET, it->second.c_str(), &addr) == 1;
            --state->running;
            state->changed.notify_all();
            return found;
        });
    }
    ~ScopedResolver() {
        AfxSetHostResolver(std::move(m_old));
        Release();
    }
    // The silent names answer now; waits (up to 5 s) until every lookup has ended.
    void Release() {
        std::unique_lock<std::mutex> lock(m_state->lock);
        m_state->released = true;
        m_state->changed.notify_all();
        m_state->changed.wait_for(lock, std::chrono::seconds(5),
                                  [&] { return m_state->running == 0; });
    }
    ScopedResolver(const ScopedResolver&) = delete;
    ScopedResolver& operator=(const ScopedResolver&) = delete;

    // How many lookups were asked for, and how many are still waiting.
    int Asked() const {
        std::lock_guard<std::mutex> lock(m_state->lock);
        return m_state->asked;
    }
    int Waiting() const {
        std::lock_guard<std::mutex> lock(m_state->lock);
        return m_state->running;
    }

private:
    struct State {
        std::mutex lock;
        std::condition_variable changed;
        std::map<std::string, std::string> answers;
        std::vector<std::string> silent;
        bool released = false;
        int asked = 0;
        int running = 0;
    };
    std::shared_ptr<State> m_state;
    HostResolver m_old;
};

} // namespace test_net
