#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "links/AsyncInternet.h"
#include "testsupport/LoopbackProxy.h"
#include "testsupport/NetTestEnv.h"
#include "testsupport/ServiceStandIn.h"

using test_net::Reply;
using Kind = test_net::Reply::Kind;
using namespace std::chrono_literals;

namespace {

struct Event {
    Event(std::string w, int c = -1, std::string r = std::string())
        : what(std::move(w)), code(c), reply(std::move(r)), thread(std::this_thread::get_id()) {}
    std::string what; // "response" or "state"
    int code;
    std::string reply;
    std::thread::id thread;
    bool operator==(const Event& o) const {
        return what == o.what && code == o.code && reply == o.reply;
    }
};

std::ostream& operator<<(std::ostream& os, const Event& e) {
    return os << e.what << "(" << e.code << ", \"" << e.reply << "\")";
}

class RecordingListener : public CIAsyncInetListener {
public:
    void OnInetResponse(int nResult, const CString& strReply) override {
        events.emplace_back("response", nResult,
                            std::string(strReply.GetString(), strReply.GetLength()));
    }
    void OnInetStateChanged() override { events.emplace_back("state"); }
    std::vector<Event> events;
};

// Polls as the user-interface thread does, without ever waiting on the worker.
bool PollUntilDone(const CAsyncInternet& runner, std::chrono::milliseconds limit = 20s) {
    auto until = std::chrono::steady_clock::now() + limit;
    while (!runner.IsDone()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

class AsyncInternetTest : public test_net::StandInTest {
protected:
    // Starts a request and polls until its worker has ended; false when it did not start or end.
    bool RunToEnd(CAsyncInternet& runner, const std::string& url, LPCTSTR data,
                  LPCTSTR headers = nullptr, LPCTSTR agent = nullptr, DWORD verb = HTTP_VERB_POST) {
        return runner.StartRequest(url.c_str(), data, headers, agent, verb) == INET_RESULT_OK &&
               PollUntilDone(runner);
    }

    RecordingListener listener;
};

TEST_F(AsyncInternetTest, RunsTheRequestOnAWorkerAndReportsOnThePollingThread) {
    CAsyncInternet runner(&listener);
    EXPECT_FALSE(runner.HasWorker());
    EXPECT_FALSE(runner.IsDone());
    EXPECT_EQ(INET_RESULT_OK,
              runner.StartRequest(server.Url("ecard/sms/sendsms.asp").c_str(), "\r\nN=n&a=1"));
    EXPECT_TRUE(runner.HasWorker());
    ASSERT_TRUE(PollUntilDone(runner));
    EXPECT_TRUE(listener.events.empty()); // nothing is told before the dispatch

    runner.DispatchResult();
    const std::vector<Event> expected = {{"response", 0, "0#短信已提交"}, {"state"}};
    EXPECT_EQ(expected, listener.events);
    for (const Event& e : listener.events)
        EXPECT_EQ(std::this_thread::get_id(), e.thread);
    EXPECT_FALSE(runner.HasWorker());
    EXPECT_FALSE(runner.IsDone());

    const test_net::RecordedRequest r = server.Requests().at(0);
    test_net::ExpectFormPost(r, GetHttpAgentName());
    EXPECT_EQ("\r\nN=n&a=1", r.body);
}

TEST_F(AsyncInternetTest, SecondStartIsRefusedUntilTheFirstIsDispatched) {
    CAsyncInternet runner(&listener);
    ASSERT_EQ(INET_RESULT_OK, runner.StartRequest(server.Url("ecard/a.asp").c_str(), "n=1"));
    EXPECT_EQ(INET_START_BUSY,
              runner.StartRequest(server.Url("ecard/b.asp").c_str(), "n=2")); // running
    ASSERT_TRUE(PollUntilDone(runner));
    EXPECT_EQ(INET_START_BUSY,
              runner.StartRequest(server.Url("ecard/b.asp").c_str(), "n=2")); // done
    runner.DispatchResult();
    ASSERT_TRUE(RunToEnd(runner, server.Url("ecard/b.asp"), "n=3"));
    runner.DispatchResult();

    auto requests = server.Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("n=1", requests[0].body);
    EXPECT_EQ("n=3", requests[1].body);
}

TEST_F(AsyncInternetTest, DispatchWithoutAFinishedRequestOnlyReportsTheState) {
    CAsyncInternet runner(&listener);
    runner.DispatchResult();
    const std::vector<Event> stateOnly = {{"state"}};
    EXPECT_EQ(stateOnly, listener.events);

    // A request still running is not taken from its worker.
    server.SetReply("slow", Reply::Of(Kind::Silent));
    ASSERT_EQ(INET_RESULT_OK, runner.StartRequest(server.Url("slow").c_str(), ""));
    ASSERT_TRUE(server.WaitForRequests(1, 10s));
    listener.events.clear();
    runner.DispatchResult();
    EXPECT_EQ(stateOnly, listener.events);
    EXPECT_TRUE(runner.HasWorker());
}

TEST_F(AsyncInternetTest, GetVerbAndGivenHeadersAndAgentReplaceThePresets) {
    CAsyncInternet runner(&listener);
    ASSERT_TRUE(
        RunToEnd(runner, server.Url("Profiles/version.htm"), "", nullptr, nullptr, HTTP_VERB_GET));
    runner.DispatchResult();
    ASSERT_EQ(2u, listener.events.size());
    EXPECT_EQ(0, listener.events[0].code);
    EXPECT_EQ("Version 3.00\r\n当前版本已是最新版本。", listener.events[0].reply);

    ASSERT_TRUE(RunToEnd(runner, server.Url("ecard/c.asp"), "q=1", "X-Mark: 7\r\n", "Other/2"));
    runner.DispatchResult();

    auto requests = server.Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("GET", requests[0].method);
    EXPECT_EQ("POST", requests[1].method);
    EXPECT_EQ("7", requests[1].Header("X-Mark"));
    EXPECT_FALSE(requests[1].HasHeader("Accept"));
    EXPECT_EQ("Other/2", requests[1].Header("User-Agent"));
}

TEST_F(AsyncInternetTest, RequestErrorsReachTheListener) {
    server.SetReply("missing", Reply::Text("no", 404));
    const std::pair<std::string, int> cases[] = {
        {server.Url("missing"), INET_RESULT_HTTP_STATUS},
        {"ftp://127.0.0.1/file", INET_RESULT_NOT_HTTP},
        {"http://127.0.0.1:" + std::to_string(test_net::FreeLoopbackPort()) + "/",
         INET_RESULT_NETWORK_ERROR},
    };
    CAsyncInternet runner(&listener);
    for (const auto& [url, code] : cases) {
        SCOPED_TRACE(url);
        listener.events.clear();
        ASSERT_TRUE(RunToEnd(runner, url, "a=1"));
        runner.DispatchResult();
        ASSERT_EQ(2u, listener.events.size());
        EXPECT_EQ(code, listener.events[0].code);
        EXPECT_EQ("", listener.events[0].reply);
    }
}

TEST_F(AsyncInternetTest, NoWorkerGivesCodeFour) {
    class NoWorkers : public CAsyncInternet {
    public:
        using CAsyncInternet::CAsyncInternet;

    protected:
        CInetThread* CreateWorker() override { return nullptr; }
    };
    NoWorkers runner(&listener);
    EXPECT_EQ(INET_RESULT_NO_WORKER, runner.StartRequest(server.Url("ecard/a.asp").c_str(), ""));
    EXPECT_FALSE(runner.HasWorker());
    EXPECT_FALSE(runner.IsDone());
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(AsyncInternetTest, AReplyThatNeverComesKeepsPollingFreeAndEndsAsANetworkError) {
    test_net::ScopedInternetDefault receive(INTERNET_OPTION_RECEIVE_TIMEOUT, 2000);
    server.SetReply("silent", Reply::Of(Kind::Silent));
    CAsyncInternet runner(&listener);
    ASSERT_EQ(INET_RESULT_OK, runner.StartRequest(server.Url("silent").c_str(), ""));
    ASSERT_TRUE(server.WaitForRequests(1, 10s));
    EXPECT_FALSE(runner.IsDone()); // the poll answers at once while the worker waits
    ASSERT_TRUE(PollUntilDone(runner));
    runner.DispatchResult();
    ASSERT_FALSE(listener.events.empty());
    EXPECT_EQ(INET_RESULT_NETWORK_ERROR, listener.events[0].code);
}

// The owner may go while its request runs (the program quits during a request): deleting the
// runner returns without waiting for the reply, the request is cancelled, nothing is reported,
// and nothing touches freed memory.
TEST_F(AsyncInternetTest, DeletingTheRunnerDuringARequestCancelsIt) {
    // No time-outs: only the cancel can end these requests.
    test_net::ScopedInternetDefault receive(INTERNET_OPTION_RECEIVE_TIMEOUT, 0);
    test_net::ScopedInternetDefault total(QM_INTERNET_OPTION_REQUEST_TIMEOUT, 0);
    server.SetReply("silent", Reply::Of(Kind::Silent));
    server.SetReply("endless", Reply::Of(Kind::Endless, "1\r\n"));
    int abandoned = 0;
    for (const char* page : {"silent", "endless"}) {
        SCOPED_TRACE(page);
        auto runner = std::make_unique<CAsyncInternet>(&listener);
        ASSERT_EQ(INET_RESULT_OK, runner->StartRequest(server.Url(page).c_str(), "a=1"));
        ASSERT_TRUE(server.WaitForRequests(static_cast<size_t>(abandoned + 1), 10s));

        std::promise<void> deleted;
        std::future<void> done = deleted.get_future();
        std::thread owner([&] {
            runner.reset();
            deleted.set_value();
        });
        bool returned = done.wait_for(10s) == std::future_status::ready;
        if (!returned)
            server.Stop(); // ends the request that holds the deletion, so that the test ends
        owner.join();
        ASSERT_TRUE(returned) << "deleting the runner waited for the reply";
        EXPECT_TRUE(server.WaitForAbandoned(++abandoned, 10s));
    }
    EXPECT_TRUE(listener.events.empty());

    // A finished request that was never dispatched is freed with its runner.
    auto runner = std::make_unique<CAsyncInternet>(&listener);
    ASSERT_TRUE(RunToEnd(*runner, server.Url("ecard/a.asp"), ""));
    runner.reset();
    EXPECT_TRUE(listener.events.empty());
}

TEST_F(AsyncInternetTest, WorkerRequestsGoThroughTheEnvironmentsProxy) {
    if (!test_net::LoopbackProxy::IsAvailable())
        FAIL() << "tinyproxy is not installed (scripts/install-deps.sh installs it)";
    test_net::LoopbackProxy proxy;
    ASSERT_TRUE(proxy.Start()) << proxy.Error();
    test_folders::ScopedEnv viaProxy("http_proxy", proxy.Url());

    CAsyncInternet runner(&listener);
    ASSERT_TRUE(RunToEnd(runner, server.Url("ecard/sms/sendsms.asp"), "\r\nN=n"));
    runner.DispatchResult();
    const std::vector<Event> expected = {{"response", 0, "0#短信已提交"}, {"state"}};
    EXPECT_EQ(expected, listener.events);
    const test_net::RecordedRequest r = server.Requests().at(0);
    EXPECT_NE(std::string::npos, r.Header("Via").find("tinyproxy"));
    EXPECT_EQ("\r\nN=n", r.body);
}

} // namespace
