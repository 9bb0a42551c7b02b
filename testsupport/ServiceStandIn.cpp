#include "testsupport/ServiceStandIn.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <strings.h>

namespace test_net {

namespace {

const size_t kMaxHead = 64 * 1024;
const size_t kMaxBody = 16 * 1024 * 1024;

const char* ReasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

bool StartsWith(const std::string& s, const char* prefix) {
    return s.compare(0, std::strlen(prefix), prefix) == 0;
}

} // namespace

std::string RecordedRequest::Header(const std::string& name) const {
    for (const auto& h : headers)
        if (strcasecmp(h.first.c_str(), name.c_str()) == 0)
            return h.second;
    return std::string();
}

bool RecordedRequest::HasHeader(const std::string& name) const {
    return std::any_of(headers.begin(), headers.end(), [&](const auto& h) {
        return strcasecmp(h.first.c_str(), name.c_str()) == 0;
    });
}

Reply Reply::Text(std::string body, int status) {
    Reply r;
    r.status = status;
    r.body = std::move(body);
    return r;
}

Reply Reply::Of(Kind kind, std::string body) {
    Reply r;
    r.kind = kind;
    r.body = std::move(body);
    return r;
}

Reply ServiceStandIn::DefaultReply(const std::string& method, const std::string& page) {
    // The service's replies: a decimal status first (0 success), then text; "#" before a hint.
    if (method == "POST") {
        if (page == "ecard/sms/sendsms.asp")
            return Reply::Text("0#短信已提交");
        if (page == "ecard/sms/incoming.asp")
            return Reply::Text("0");
        if (page == "sms/user/sendcheckcode.asp")
            return Reply::Text("0#校验码已发送到您的手机");
        if (page == "sms/user/checkcode.asp")
            return Reply::Text("0#校验码正确");
        if (page == "sms/user/submitpsw.asp")
            return Reply::Text("0#注册成功#请用手机号码和密码登录");
        if (StartsWith(page, "ecard/"))
            return Reply::Text("0");
    }
    if (page == "Profiles/version.htm")
        return Reply::Text("Version 3.00\r\n当前版本已是最新版本。");
    if (page == "Profiles/board.htm")
        return Reply::Text("欢迎使用墨川！\r\n服务器运行正常。");
    if (page == "download.htm" || StartsWith(page, "ecard/help/"))
        return Reply::Text("<html><body>Quillmar</body></html>");
    return Reply::Text("Not Found", 404);
}

ServiceStandIn::ServiceStandIn() {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 16) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        close(fd);
        return;
    }
    m_listenFd = fd;
    m_port = ntohs(addr.sin_port);
    m_acceptThread = std::thread([this] { AcceptLoop(); });
}

ServiceStandIn::~ServiceStandIn() {
    Stop();
}

std::string ServiceStandIn::BaseAddress() const {
    return "http://127.0.0.1:" + std::to_string(m_port) + "/";
}

void ServiceStandIn::SetReply(const std::string& page, Reply reply) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_replies[page] = std::move(reply);
}

std::vector<RecordedRequest> ServiceStandIn::Requests() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_requests;
}

bool ServiceStandIn::WaitForRequests(size_t n, std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(m_lock);
    return m_changed.wait_for(lock, timeout, [&] { return m_requests.size() >= n; });
}

bool ServiceStandIn::WaitForAbandoned(int n, std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(m_lock);
    return m_changed.wait_for(lock, timeout, [&] { return m_abandoned >= n; });
}

int ServiceStandIn::Abandoned() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_abandoned;
}

void ServiceStandIn::Stop() {
    if (m_stop.exchange(true))
        return;
    if (m_acceptThread.joinable())
        m_acceptThread.join();
    std::vector<Worker> workers;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        workers.swap(m_workers);
    }
    for (Worker& w : workers)
        w.thread.join();
    if (m_listenFd >= 0)
        close(m_listenFd);
    m_listenFd = -1;
}

void ServiceStandIn::AcceptLoop() {
    while (!m_stop) {
        pollfd p{m_listenFd, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0)
            continue;
        int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        std::lock_guard<std::mutex> lock(m_lock);
        for (auto it = m_workers.begin(); it != m_workers.end();) {
            if (*it->done) {
                it->thread.join();
                it = m_workers.erase(it);
            } else {
                ++it;
            }
        }
        auto done = std::make_shared<std::atomic<bool>>(false);
        m_workers.push_back({std::thread([this, fd, done] {
                                 Serve(fd);
                                 close(fd);
                                 *done = true;
                             }),
                             done});
    }
}

void ServiceStandIn::SetHandler(Handler handler) {
    std::lock_guard<std::mutex> lock(m_handlerLock);
    m_handler = std::move(handler);
}

Reply ServiceStandIn::ReplyFor(const RecordedRequest& request) const {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        auto it = m_replies.find(request.page);
        if (it != m_replies.end())
            return it->second;
    }
    {
        std::lock_guard<std::mutex> lock(m_handlerLock);
        Reply reply;
        if (m_handler && m_handler(request, reply))
            return reply;
    }
    return DefaultReply(request.method, request.page);
}

bool ServiceStandIn::WaitWhileConnected(int fd, int ms) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!m_stop && std::chrono::steady_clock::now() < until) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 10) > 0) {
            char c;
            if (recv(fd, &c, 1, MSG_PEEK | MSG_DONTWAIT) <= 0)
                return false;
            // A client does not send more after its request; swallow what it does send.
            recv(fd, &c, 1, MSG_DONTWAIT);
        }
    }
    return true;
}

bool ServiceStandIn::SendAll(int fd, const std::string& data) {
    size_t sent = 0;
    while (sent < data.size() && !m_stop) {
        pollfd p{fd, POLLOUT, 0};
        if (poll(&p, 1, 20) <= 0)
            continue;
        ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return sent == data.size();
}

bool ServiceStandIn::ReadRequest(int fd, RecordedRequest& request) {
    std::string data;
    size_t headEnd = std::string::npos;
    size_t bodyLength = 0;
    char buf[16384];
    while (!m_stop) {
        if (headEnd == std::string::npos) {
            headEnd = data.find("\r\n\r\n");
            if (headEnd != std::string::npos) {
                std::string head = data.substr(0, headEnd);
                size_t lineEnd = head.find("\r\n");
                std::string line = head.substr(0, lineEnd);
                size_t s1 = line.find(' '), s2 = line.rfind(' ');
                if (s1 == std::string::npos || s2 == s1)
                    return false;
                request.method = line.substr(0, s1);
                request.target = line.substr(s1 + 1, s2 - s1 - 1);
                request.version = line.substr(s2 + 1);
                size_t pos = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
                while (pos < head.size()) {
                    size_t end = head.find("\r\n", pos);
                    if (end == std::string::npos)
                        end = head.size();
                    std::string h = head.substr(pos, end - pos);
                    pos = end + 2;
                    size_t colon = h.find(':');
                    if (colon == std::string::npos)
                        continue;
                    size_t v = h.find_first_not_of(" \t", colon + 1);
                    request.headers.emplace_back(h.substr(0, colon),
                                                 v == std::string::npos ? "" : h.substr(v));
                }
                std::string length = request.Header("Content-Length");
                bodyLength = length.empty() ? 0 : std::stoul(length);
                if (bodyLength > kMaxBody)
                    return false;
                std::string path = request.target;
                size_t scheme = path.find("://");
                if (scheme != std::string::npos) {
                    size_t slash = path.find('/', scheme + 3);
                    path = slash == std::string::npos ? "/" : path.substr(slash);
                }
                path = path.substr(0, path.find('?'));
                request.page = path.empty() ? path : path.substr(1);
            } else if (data.size() > kMaxHead) {
                return false;
            }
        }
        if (headEnd != std::string::npos && data.size() >= headEnd + 4 + bodyLength) {
            request.body = data.substr(headEnd + 4, bodyLength);
            return true;
        }
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0)
            continue;
        ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            return false;
        data.append(buf, static_cast<size_t>(n));
    }
    return false;
}

void ServiceStandIn::Serve(int fd) {
    RecordedRequest request;
    if (!ReadRequest(fd, request))
        return;
    Reply reply = ReplyFor(request);
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_requests.push_back(request);
    }
    m_changed.notify_all();

    auto abandoned = [this] {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            ++m_abandoned;
        }
        m_changed.notify_all();
    };
    if (reply.delayMs > 0 && !WaitWhileConnected(fd, reply.delayMs)) {
        abandoned();
        return;
    }

    using Kind = Reply::Kind;
    if (reply.kind == Kind::Close)
        return;
    if (reply.kind == Kind::Raw) {
        SendAll(fd, reply.body);
        return;
    }
    if (reply.kind == Kind::Silent) {
        while (!m_stop)
            if (!WaitWhileConnected(fd, 1000)) {
                abandoned();
                return;
            }
        return;
    }

    std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " +
                       ReasonPhrase(reply.status) +
                       "\r\nContent-Type: text/plain; charset=gbk\r\nConnection: close\r\n";
    for (const std::string& h : reply.extraHeaders)
        head += h + "\r\n";
    switch (reply.kind) {
    case Kind::Chunked: {
        head += "Transfer-Encoding: chunked\r\n\r\n";
        std::string out = head;
        for (size_t pos = 0; pos < reply.body.size(); pos += 7) {
            std::string piece = reply.body.substr(pos, 7);
            char size[16];
            std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
            out += size + piece + "\r\n";
        }
        SendAll(fd, out + "0\r\n\r\n");
        return;
    }
    case Kind::CutShort:
        head += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n\r\n";
        SendAll(fd, head + reply.body.substr(0, reply.body.size() / 2));
        return;
    case Kind::HeadersOnly:
        head += "Content-Length: 1000000\r\n\r\n";
        if (SendAll(fd, head + reply.body))
            while (!m_stop)
                if (!WaitWhileConnected(fd, 1000)) {
                    abandoned();
                    return;
                }
        return;
    case Kind::Endless: {
        head += "\r\n";
        if (!SendAll(fd, head))
            return;
        std::string piece = reply.body.empty() ? std::string("0123456789\r\n") : reply.body;
        while (!m_stop) {
            if (!SendAll(fd, piece) || !WaitWhileConnected(fd, 5)) {
                abandoned();
                return;
            }
        }
        return;
    }
    default:
        head += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n\r\n";
        SendAll(fd, head + reply.body);
        return;
    }
}

} // namespace test_net
