// A small HTTP server standing in for the service's web server, on 127.0.0.1 and a port of its
// own choosing. It answers the service's pages with replies of the service's form (a decimal
// status first, then text) and, per test, with scripted replies: any status and text, a delay,
// a dropped connection, a reply cut short, a reply that never comes or never ends, bytes that are
// not HTTP at all. It records every request it gets.
//
// Texts are bytes: replies in GBK reach the client unchanged. Every connection gets one reply
// and is closed.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace test_net {

struct RecordedRequest {
    std::string method;
    std::string target;  // as sent: "/page?x" or, through a proxy, possibly "http://host/page"
    std::string page;    // path without the leading "/" and without the query
    std::string version; // "HTTP/1.1"
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    // The value of the first header of that name (any case); empty when absent.
    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const;
};

struct Reply {
    enum class Kind {
        Normal,      // status line, headers, body, close
        Chunked,     // as Normal with the body in chunks
        Close,       // closes without answering
        CutShort,    // announces the whole body, sends half of it, closes
        Silent,      // reads the request and never answers
        HeadersOnly, // sends the status and headers of a long body, then nothing
        Endless,     // status and headers, then body bytes without end
        Raw,         // sends the body bytes as they are (no status line), closes
    };
    Kind kind = Kind::Normal;
    int status = 200;
    std::string body;
    int delayMs = 0;                       // before anything is sent
    std::vector<std::string> extraHeaders; // "Name: value"

    static Reply Text(std::string body, int status = 200);
    static Reply Of(Kind kind, std::string body = std::string());
};

class ServiceStandIn {
public:
    ServiceStandIn();
    ~ServiceStandIn();
    ServiceStandIn(const ServiceStandIn&) = delete;
    ServiceStandIn& operator=(const ServiceStandIn&) = delete;

    bool IsListening() const { return m_listenFd >= 0; }
    int Port() const { return m_port; }
    // "http://127.0.0.1:<port>/", the base address the client is pointed at.
    std::string BaseAddress() const;
    std::string Url(const std::string& page) const { return BaseAddress() + page; }

    // The reply of a page ("ecard/sms/sendsms.asp") from now on, in place of its default.
    void SetReply(const std::string& page, Reply reply);
    // Answers the requests no scripted reply covers (before the defaults) when it returns true.
    // It runs on the server's threads, one request at a time.
    typedef std::function<bool(const RecordedRequest&, Reply&)> Handler;
    void SetHandler(Handler handler);
    // The reply of the pages of the service's table, and 404 for any other page.
    static Reply DefaultReply(const std::string& method, const std::string& page);

    std::vector<RecordedRequest> Requests() const;
    // Waits until n requests have been recorded (false after the time-out).
    bool WaitForRequests(size_t n, std::chrono::milliseconds timeout) const;
    // Connections whose client went away while the server still held them open (a reply that
    // never came or never ended); waits until n have been seen.
    bool WaitForAbandoned(int n, std::chrono::milliseconds timeout) const;
    int Abandoned() const;

    // Closes every connection and ends the server's threads; the destructor calls it.
    void Stop();

private:
    void AcceptLoop();
    void Serve(int fd);
    bool ReadRequest(int fd, RecordedRequest& request);
    bool SendAll(int fd, const std::string& data);
    bool WaitWhileConnected(int fd, int ms); // false when the client went away
    Reply ReplyFor(const RecordedRequest& request) const;

    int m_listenFd = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_acceptThread;
    mutable std::mutex m_lock;
    mutable std::condition_variable m_changed;
    // One thread per connection; those that have ended are joined as new ones start, so that a
    // long run of requests does not pile up ended threads.
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<Worker> m_workers;
    std::map<std::string, Reply> m_replies;
    Handler m_handler;
    mutable std::mutex m_handlerLock;
    std::vector<RecordedRequest> m_requests;
    int m_abandoned = 0;
};

} // namespace test_net
