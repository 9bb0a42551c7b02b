// A scripted SMTP server of a test's own on loopback: each connection runs a script on the
// server's thread, which answers and reads as the test says, every wait bounded.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/base/Types.h"

namespace mailtest {

// The server's end of one connection, blocking, every wait bounded so that a test never hangs.
class ServerPeer {
public:
    explicit ServerPeer(int fd) : m_fd(fd) {
        timeval tv{5, 0};
        setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    }
    void Reply(const std::string& text) {
        for (size_t done = 0; done < text.size();) {
            const ssize_t n = send(m_fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
            if (n <= 0)
                return;
            done += static_cast<size_t>(n);
        }
    }
    // One command line without its CR LF; "" when the client closed or said nothing in time.
    std::string Command() { return ReadUntil("\r\n"); }
    // The DATA text up to and including the terminating line.
    std::string Data() { return ReadUntil("\r\n.\r\n", false); }
    // True once the client has closed its end (within the read time-out); a client that closes
    // with our bytes unread resets the connection, which counts as closed too.
    bool ClientClosed() {
        char c;
        for (;;) {
            const ssize_t n = recv(m_fd, &c, 1, 0);
            if (n == 0)
                return true;
            if (n < 0)
                return errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR;
        }
    }

private:
    std::string ReadUntil(const std::string& end, bool strip = true) {
        size_t from = 0;
        for (;;) {
            const size_t at = m_buffer.find(end, from);
            if (at != std::string::npos) {
                std::string text = m_buffer.substr(0, strip ? at : at + end.size());
                m_buffer.erase(0, at + end.size());
                return text;
            }
            char chunk[65536];
            const ssize_t n = recv(m_fd, chunk, sizeof chunk, 0);
            if (n <= 0)
                return std::string();
            from = m_buffer.size() < end.size() ? 0 : m_buffer.size() - end.size() + 1;
            m_buffer.append(chunk, static_cast<size_t>(n));
        }
    }
    int m_fd;
    std::string m_buffer;
};

// A server on a loopback port whose every connection runs the script on a thread of its own
// (one connection after the other). What the script records is read once the server is joined.
class ScriptedServer {
public:
    using Script = std::function<void(ServerPeer&, int nConnection)>;

    explicit ScriptedServer(Script script) : m_script(std::move(script)) {
        m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (bind(m_listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
            listen(m_listener, 5) == 0 &&
            getsockname(m_listener, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
            m_port = ntohs(addr.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }
    ~ScriptedServer() { Join(); }

    UINT Port() const { return m_port; }
    // Waits for the scripts to end; no new connection is taken afterwards.
    void Join() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_listener >= 0)
            close(m_listener);
        m_listener = -1;
    }
    int Connections() const { return m_connections; }

    // Lines the script noted, in order.
    void Note(const std::string& line) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_notes.push_back(line);
    }
    std::vector<std::string> Notes() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_notes;
    }

private:
    void Serve() {
        while (!m_stop) {
            pollfd p{m_listener, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0)
                continue;
            const int fd = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            ServerPeer peer(fd);
            m_script(peer, m_connections++);
            close(fd);
        }
    }

    Script m_script;
    int m_listener = -1;
    UINT m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    std::mutex m_mutex;
    std::vector<std::string> m_notes;
};

} // namespace mailtest
